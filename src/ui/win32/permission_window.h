#pragma once

#include <windows.h>

namespace quorel {
class PermissionSelection;
}

namespace quorel::win32 {

// The window "Select Permissions to Display" (class ChooseRights) over
// `selection`, owned by `owner`, created and shown; `owner` is disabled
// while it is up. It destroys itself when it is closed and sets `closed`.
// Null when it could not be made (the user was told).
HWND OpenPermissionWindow(HWND owner, PermissionSelection& selection, bool& closed);

// Opens the window and handles the thread's messages until it is closed.
void RunPermissionWindow(HWND owner, PermissionSelection& selection);

}  // namespace quorel::win32
