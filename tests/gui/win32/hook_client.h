#pragma once

// The asking side of the main window's test hook (WM_COPYDATA queries, see
// ui/win32/test_hook.h): a message-only window of the test that receives
// the answers, and the answers taken apart.

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorel::gui {

// One item of the main menu as the program holds it.
struct MenuEntry {
    int level = 0;      // 0 for the menu bar's items
    std::wstring kind;  // "popup", "separator" or "item"
    UINT id = 0;
    std::wstring state;  // "enabled", "grayed" or "disabled"
    bool checked = false;
    std::wstring text;
};

// One screen line of an entry in the matrix, in client pixels.
struct MatrixLine {
    int top = 0, bottom = 0;  // rows top..bottom-1
    std::wstring path;
    int ace = -1;        // the ACE's index in the entry; -1 off ACE lines
    std::wstring ticks;  // per permission column: '1' ticked, '0' not, '-' no cell
};
struct MatrixShown {
    std::vector<int> columns;  // left edge of each permission column
    std::vector<MatrixLine> lines;
};

class HookClient {
  public:
    HookClient();
    ~HookClient();
    HookClient(const HookClient&) = delete;
    HookClient& operator=(const HookClient&) = delete;

    // The raw answer of `mainWindow` to `query`; nothing when it did not
    // answer (no hook, or no answer within the step timeout).
    std::optional<std::wstring> Ask(HWND mainWindow, const std::wstring& query);

    std::optional<std::vector<MenuEntry>> Menu(HWND mainWindow);
    // The paths of the shown lines.
    std::optional<std::vector<std::wstring>> Lines(HWND mainWindow);
    std::optional<std::map<std::wstring, std::wstring>> View(HWND mainWindow);
    std::optional<MatrixShown> Matrix(HWND mainWindow);

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::optional<std::wstring> answer_;
};

// The records of an answer (split at "\n") and the fields of a record
// (split at U+001F).
std::vector<std::wstring> Records(const std::wstring& answer);
std::vector<std::wstring> Fields(const std::wstring& record);

}  // namespace quorel::gui
