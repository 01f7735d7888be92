#pragma once

// Read-only queries that another process can send to the main window with
// WM_COPYDATA, for the GUI tests: a menu's item states cannot be read from
// outside the process. The answer goes back with WM_COPYDATA to a window
// named in the request; nothing in the program changes.
//
// Request: COPYDATASTRUCT with dwData = kTestHookRequest and lpData a
// TestHookRequest. Answer: COPYDATASTRUCT with dwData = kTestHookReply and
// lpData the UTF-16 text of the answer, without terminator, sent to
// `replyWindow` before SendMessage of the request returns.
//
// Queries and their answers (records end with "\n", fields are separated by
// U+001F):
//   "menu"   one record per item of the main menu, depth first in menu
//            order: nesting level (0 for the menu bar's items), kind ("popup",
//            "separator" or "item"), command id (0 for popups and
//            separators), "grayed", "disabled" or "enabled", "checked" or "unchecked",
//            the item's text with its accelerator text.
//   "lines"  the number of shown lines, then one record per line with the
//            path of its entry.
//   "view"   records "name" U+001F "value": depth, filter, filterItem,
//            compare, scanned, writeMode, entries, errors, file.
//   "matrix" the matrix as last laid out, in client pixels: first
//            "columns" and the left edge of each permission column, then
//            one record per screen line of an entry: its top row, the row
//            below it, the entry's path, the ACE's index in the entry (-1
//            on the entry's other lines) and, on an ACE line, its ticks:
//            one character per permission column, "1" ticked, "0" not,
//            "-" no cell.

#include <windows.h>

#include <cstdint>

namespace quorel {
class AppController;
}

namespace quorel::win32 {

class MatrixView;

inline constexpr ULONG_PTR kTestHookRequest = 0x51524C51;  // "QLRQ"
inline constexpr ULONG_PTR kTestHookReply = 0x51524C41;    // "ALRQ"

struct TestHookRequest {
    std::uint64_t replyWindow;  // HWND of the asking window
    wchar_t query[32];          // NUL-terminated
};

// The controller whose state the "lines" and "view" queries report.
void AttachTestHook(const AppController& app);

// Answers a request sent to `mainWindow`, whose matrix is `matrix` (null
// before it exists); false when `data` is no request of this hook.
bool HandleTestHookCopyData(HWND mainWindow, const MatrixView* matrix, const COPYDATASTRUCT* data);

}  // namespace quorel::win32
