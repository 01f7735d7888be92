#include "hook_client.h"

#include "ui/win32/test_hook.h"
#include "window_access.h"

namespace quorel::gui {

namespace {
constexpr wchar_t kClass[] = L"QuorelGuiTestHookAnswers";
}

HookClient::HookClient() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &HookClient::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // already registered by an earlier client: fine
    window_ = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

HookClient::~HookClient() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK HookClient::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* self = reinterpret_cast<HookClient*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (self != nullptr && data != nullptr && data->dwData == win32::kTestHookReply) {
            const auto* text = static_cast<const wchar_t*>(data->lpData);
            self->answer_ = std::wstring(text, text + data->cbData / sizeof(wchar_t));
            return TRUE;
        }
        return FALSE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::optional<std::wstring> HookClient::Ask(HWND mainWindow, const std::wstring& query) {
    if (window_ == nullptr || query.size() >= 32) {
        return std::nullopt;
    }
    win32::TestHookRequest request{};
    request.replyWindow = reinterpret_cast<UINT_PTR>(window_);
    query.copy(request.query, query.size());
    COPYDATASTRUCT data{};
    data.dwData = win32::kTestHookRequest;
    data.cbData = sizeof request;
    data.lpData = &request;
    answer_.reset();
    DWORD_PTR handled = 0;
    // The answer arrives while this call waits: a thread waiting in
    // SendMessage handles the messages sent to its own windows.
    if (!SendMessageTimeoutW(mainWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(window_),
                             reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kStepTimeoutMs,
                             &handled) ||
        handled == 0) {
        return std::nullopt;
    }
    return answer_;
}

std::vector<std::wstring> Records(const std::wstring& answer) {
    std::vector<std::wstring> out;
    std::size_t start = 0;
    while (start < answer.size()) {
        std::size_t end = answer.find(L'\n', start);
        if (end == std::wstring::npos) {
            end = answer.size();
        }
        out.push_back(answer.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::vector<std::wstring> Fields(const std::wstring& record) {
    std::vector<std::wstring> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = record.find(L'\x1F', start);
        out.push_back(record.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos) {
            return out;
        }
        start = end + 1;
    }
}

std::optional<std::vector<MenuEntry>> HookClient::Menu(HWND mainWindow) {
    std::optional<std::wstring> answer = Ask(mainWindow, L"menu");
    if (!answer) {
        return std::nullopt;
    }
    std::vector<MenuEntry> items;
    for (const std::wstring& record : Records(*answer)) {
        const std::vector<std::wstring> f = Fields(record);
        if (f.size() != 6) {
            return std::nullopt;
        }
        MenuEntry e;
        e.level = std::stoi(f[0]);
        e.kind = f[1];
        e.id = static_cast<UINT>(std::stoul(f[2]));
        e.state = f[3];
        e.checked = f[4] == L"checked";
        e.text = f[5];
        items.push_back(e);
    }
    return items;
}

std::optional<std::vector<std::wstring>> HookClient::Lines(HWND mainWindow) {
    std::optional<std::wstring> answer = Ask(mainWindow, L"lines");
    if (!answer) {
        return std::nullopt;
    }
    std::vector<std::wstring> records = Records(*answer);
    if (records.empty() || std::to_wstring(records.size() - 1) != records[0]) {
        return std::nullopt;
    }
    records.erase(records.begin());
    return records;
}

std::optional<std::map<std::wstring, std::wstring>> HookClient::View(HWND mainWindow) {
    std::optional<std::wstring> answer = Ask(mainWindow, L"view");
    if (!answer) {
        return std::nullopt;
    }
    std::map<std::wstring, std::wstring> view;
    for (const std::wstring& record : Records(*answer)) {
        const std::vector<std::wstring> f = Fields(record);
        if (f.size() != 2) {
            return std::nullopt;
        }
        view[f[0]] = f[1];
    }
    return view;
}

std::optional<MatrixShown> HookClient::Matrix(HWND mainWindow) {
    std::optional<std::wstring> answer = Ask(mainWindow, L"matrix");
    if (!answer) {
        return std::nullopt;
    }
    const std::vector<std::wstring> records = Records(*answer);
    if (records.empty() || Fields(records[0])[0] != L"columns") {
        return std::nullopt;
    }
    MatrixShown shown;
    const std::vector<std::wstring> columns = Fields(records[0]);
    for (std::size_t i = 1; i < columns.size(); ++i) {
        shown.columns.push_back(std::stoi(columns[i]));
    }
    for (std::size_t r = 1; r < records.size(); ++r) {
        const std::vector<std::wstring> f = Fields(records[r]);
        if (f.size() != 5) {
            return std::nullopt;
        }
        shown.lines.push_back({std::stoi(f[0]), std::stoi(f[1]), f[2], std::stoi(f[3]), f[4]});
    }
    return shown;
}

}  // namespace quorel::gui
