#pragma once

#include <windows.h>

namespace quorel {
class DynamicFilterEditor;
}

namespace quorel::win32 {

// The window "Set Dynamic Filters" (class DynamicFilters) over `editor`,
// created and shown. Every notification of its controls goes to the editor
// and the slots are shown again as the editor describes them. It destroys
// itself when it is closed (OK, Cancel, the close box) and sets `closed`.
// While it is up `owner` is disabled, as under a modal dialog, so that no
// command of the main window changes the dataset under it. Null when the
// window could not be made (the user was told).
HWND OpenDynamicFilterWindow(HWND owner, DynamicFilterEditor& editor, bool& closed);

// Opens the window and handles the thread's messages until it is closed.
void RunDynamicFilterWindow(HWND owner, DynamicFilterEditor& editor);

}  // namespace quorel::win32
