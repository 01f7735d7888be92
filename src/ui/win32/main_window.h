#pragma once

namespace quorel {
class AppController;
}

namespace quorel::win32 {

class GuiInteraction;
class Win32AppWindows;

// The main window "Rizive": creates it with its menu, status bar and find
// bar, and runs its message loop until the user quits.
void RunMainWindow(AppController& app, GuiInteraction& ui, Win32AppWindows& windows);

}  // namespace quorel::win32
