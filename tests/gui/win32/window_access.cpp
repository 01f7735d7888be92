#include "window_access.h"

#include "program.h"

namespace quorel::gui {

bool PollUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return done();
        }
        Sleep(kPollMs);
    }
}

namespace {
struct EnumData {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM param) {
    auto* data = reinterpret_cast<EnumData*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == data->pid && IsWindowVisible(window)) {
        data->found.push_back(window);
    }
    return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid) {
    EnumData data{pid, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND FindTopWindow(DWORD pid, const wchar_t* className, const wchar_t* title) {
    for (HWND window : TopWindows(pid)) {
        if (className != nullptr && ClassOf(window) != className) {
            continue;
        }
        if (title != nullptr && TitleOf(window) != title) {
            continue;
        }
        return window;
    }
    return nullptr;
}

HWND WaitForTopWindow(const Program& program, const wchar_t* className, const wchar_t* title,
                      std::wstring& why, DWORD timeoutMs) {
    HWND found = nullptr;
    PollUntil(
        [&] {
            found = FindTopWindow(program.pid(), className, title);
            return found != nullptr || !program.Running();
        },
        timeoutMs);
    if (found == nullptr) {
        why = std::wstring(L"no window of class \"") + (className ? className : L"*") +
              L"\" titled \"" + (title ? title : L"*") + L"\" within " +
              std::to_wstring(timeoutMs) + L" ms; the program " + program.Describe() +
              L"; its windows:\n" + DescribeWindows(program.pid());
    }
    return found;
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
    return PollUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 255);
    return name;
}

std::wstring TitleOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1023);
    return text;
}

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kStepTimeoutMs,
                             &length)) {
        return L"<no answer>";
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kStepTimeoutMs, &copied)) {
        return L"<no answer>";
    }
    text.resize(copied);
    return text;
}

bool SetText(HWND window, const std::wstring& text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, kStepTimeoutMs, &result) != 0;
}

std::wstring DescribeWindows(DWORD pid) {
    std::wstring out;
    for (HWND window : TopWindows(pid)) {
        out += L"  " + ClassOf(window) + L" \"" + TitleOf(window) + L"\"";
        if (HWND text = GetDlgItem(window, 0xFFFF)) {
            out += L": \"" + TitleOf(text) + L"\"";
        }
        out += L"\n";
    }
    if (out.empty()) {
        out = L"  (none)\n";
    }
    return out;
}

HWND Child(HWND parent, int id) {
    return GetDlgItem(parent, id);
}

HWND Descendant(HWND parent, const wchar_t* className) {
    for (HWND child : Children(parent)) {
        if (ClassOf(child) == className) {
            return child;
        }
        if (HWND inner = Descendant(child, className)) {
            return inner;
        }
    }
    return nullptr;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> out;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        out.push_back(child);
    }
    return out;
}

bool IsEnabled(HWND window) {
    return IsWindowEnabled(window) != FALSE;
}

int CheckState(HWND button) {
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kStepTimeoutMs, &state)) {
        return -1;
    }
    return static_cast<int>(state);
}

bool Click(HWND button) {
    return button != nullptr && PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

bool Command(HWND window, int id) {
    return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0) != FALSE;
}

bool CommandDone(HWND window, int id) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_ABORTIFHUNG,
                               kStepTimeoutMs, &result) != 0;
}

bool Close(HWND window) {
    return PostMessageW(window, WM_CLOSE, 0, 0) != FALSE;
}

bool ClickAt(HWND window, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    return PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at) != FALSE &&
           PostMessageW(window, WM_LBUTTONUP, 0, at) != FALSE;
}

bool PressKey(HWND window, WORD key, const std::vector<WORD>& modifiers) {
    // The keys go to the active window of the foreground thread: wait until
    // that is `window` in the program's own view too (after a dialog closes
    // the program activates its owner a moment later).
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    auto active = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetForegroundWindow() == window && GetGUIThreadInfo(thread, &info) &&
               info.hwndActive == window;
    };
    if (!PollUntil([&] {
            if (!active()) {
                SetForegroundWindow(window);
            }
            return active();
        })) {
        return false;
    }
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD m : modifiers) {
        add(m, false);
    }
    add(key, false);
    add(key, true);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        add(*it, true);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

bool Sync(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

}  // namespace quorel::gui
