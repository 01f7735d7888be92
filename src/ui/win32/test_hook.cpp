#include "ui/win32/test_hook.h"

#include <algorithm>
#include <string>

#include "app/app_controller.h"
#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "ui/win32/matrix_view.h"

namespace quorel::win32 {

namespace {
constexpr wchar_t kField = L'\x1F';
const AppController* g_app = nullptr;

void AppendMenu(std::wstring& out, HMENU menu, int level) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 511;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
            continue;
        }
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        const wchar_t* kind = info.hSubMenu != nullptr ? L"popup"
                              : separator              ? L"separator"
                                                       : L"item";
        const UINT id = info.hSubMenu == nullptr && !separator ? info.wID : 0;
        out += std::to_wstring(level) + kField + kind + kField + std::to_wstring(id) + kField;
        // MF_GRAYED (1) greys an item; MF_DISABLED (2) alone disables it
        // without greying it.
        out += (info.fState & MF_GRAYED) != 0     ? L"grayed"
               : (info.fState & MF_DISABLED) != 0 ? L"disabled"
                                                  : L"enabled";
        out += kField;
        out += (info.fState & MFS_CHECKED) != 0 ? L"checked" : L"unchecked";
        out += kField;
        out += separator ? L"" : text;
        out += L'\n';
        if (info.hSubMenu != nullptr) {
            AppendMenu(out, info.hSubMenu, level + 1);
        }
    }
}

std::wstring LinesAnswer(const AppController& app) {
    const DisplayList& lines = app.view().lines();
    std::wstring out = std::to_wstring(lines.lineCount()) + L'\n';
    for (std::size_t i = 0; i < lines.lineCount(); ++i) {
        const CDirEntry* entry = lines.at(i);
        out += entry != nullptr ? entry->path() : std::wstring();
        out += L'\n';
    }
    return out;
}

std::wstring ViewAnswer(const AppController& app) {
    const ViewSession& view = app.view();
    const CDirList* dataset = view.dataset();
    std::wstring out;
    auto add = [&](const wchar_t* name, const std::wstring& value) {
        out += name;
        out += kField;
        out += value;
        out += L'\n';
    };
    add(L"depth", std::to_wstring(view.displayDepth()));
    add(L"filter", std::to_wstring(view.staticFilter()));
    add(L"filterItem", std::to_wstring(view.staticFilterMenuItem()));
    add(L"compare", view.compareMode() ? L"1" : L"0");
    add(L"scanned", app.view().liveData() ? L"1" : L"0");
    add(L"writeMode", app.gate().on() ? L"1" : L"0");
    add(L"entries", std::to_wstring(dataset != nullptr ? dataset->entryCount() : 0));
    add(L"errors", std::to_wstring(dataset != nullptr ? dataset->errorList().count() : 0));
    add(L"file", dataset != nullptr ? dataset->fileName() : std::wstring());
    return out;
}
// The ticks of an ACE line, one character per permission column.
std::wstring Ticks(const ScreenModel& screen, const ScreenLine& line) {
    const HitGeometry& g = screen.geometry;
    std::wstring ticks(static_cast<std::size_t>(std::max(g.columnCount, 0)), L'-');
    for (std::uint32_t i = 0; i < line.cellCount; ++i) {
        const CellItem& cell = screen.cells[line.firstCell + i];
        const int offset = cell.x - g.firstColumnX;
        if (offset < 0 || g.columnWidth <= 0 || offset % g.columnWidth != 0 ||
            offset / g.columnWidth >= g.columnCount) {
            continue;  // an inheritance cell
        }
        const bool on = cell.bitmap == Bitmap::HookOn || cell.bitmap == Bitmap::HookOnBlue;
        ticks[static_cast<std::size_t>(offset / g.columnWidth)] = on ? L'1' : L'0';
    }
    return ticks;
}

std::wstring MatrixAnswer(const MatrixView& matrix) {
    const ScreenModel& screen = matrix.screen();
    const HitGeometry& g = screen.geometry;
    std::wstring out = L"columns";
    for (int i = 0; i < g.columnCount; ++i) {
        out += kField + std::to_wstring(matrix.toDevice(g.firstColumnX + i * g.columnWidth));
    }
    out += L'\n';
    for (const ScreenLine& line : screen.lines) {
        if (line.y < 0 || line.height <= 0 || screen.lineHeight <= 0) {
            continue;
        }
        const auto slotIndex = static_cast<std::size_t>(line.y / screen.lineHeight);
        if (slotIndex >= screen.lineTable.size() || screen.lineTable[slotIndex].entry == nullptr) {
            continue;
        }
        const LineSlot& slot = screen.lineTable[slotIndex];
        int ace = -1;
        for (std::uint32_t i = 0; slot.ace != nullptr && i < slot.entry->aceCount(); ++i) {
            ace = slot.entry->ace(i) == slot.ace ? static_cast<int>(i) : ace;
        }
        out += std::to_wstring(matrix.toDevice(line.y)) + kField +
               std::to_wstring(matrix.toDevice(line.y + line.height)) + kField +
               slot.entry->path() + kField + std::to_wstring(ace) + kField;
        out += line.kind == LineKind::Ace ? Ticks(screen, line) : std::wstring();
        out += L'\n';
    }
    return out;
}
}  // namespace

void AttachTestHook(const AppController& app) {
    g_app = &app;
}

bool HandleTestHookCopyData(HWND mainWindow, const MatrixView* matrix, const COPYDATASTRUCT* data) {
    if (data == nullptr || data->dwData != kTestHookRequest ||
        data->cbData != sizeof(TestHookRequest) || data->lpData == nullptr) {
        return false;
    }
    TestHookRequest request;
    CopyMemory(&request, data->lpData, sizeof request);
    request.query[31] = L'\0';
    const HWND reply = reinterpret_cast<HWND>(static_cast<UINT_PTR>(request.replyWindow));
    if (!IsWindow(reply)) {
        return false;
    }
    const std::wstring query = request.query;
    std::wstring answer;
    if (query == L"menu") {
        AppendMenu(answer, GetMenu(mainWindow), 0);
    } else if (query == L"lines" && g_app != nullptr) {
        answer = LinesAnswer(*g_app);
    } else if (query == L"view" && g_app != nullptr) {
        answer = ViewAnswer(*g_app);
    } else if (query == L"matrix" && matrix != nullptr) {
        answer = MatrixAnswer(*matrix);
    } else {
        return false;
    }
    COPYDATASTRUCT back{};
    back.dwData = kTestHookReply;
    back.cbData = static_cast<DWORD>(answer.size() * sizeof(wchar_t));
    back.lpData = answer.data();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(reply, WM_COPYDATA, reinterpret_cast<WPARAM>(mainWindow),
                        reinterpret_cast<LPARAM>(&back), SMTO_ABORTIFHUNG, 5000, &result);
    return true;
}

}  // namespace quorel::win32
