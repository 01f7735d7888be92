#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

namespace quorel {
class ErrorList;
class DisplayList;
}  // namespace quorel

namespace quorel::win32 {

// The "Error reports" window (class "Error"), owned by the main window:
// the dataset's errors as text, the jump from an error line to its entry
// (`showLine` gets the display-list index of the entry), "Clear Errorlist".
// Runs its own loop until closed.
void RunErrorWindow(HWND owner, ErrorList& errors, const DisplayList& lines,
                    const std::function<void(std::size_t)>& showLine);

}  // namespace quorel::win32
