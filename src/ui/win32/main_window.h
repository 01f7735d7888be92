#pragma once

#include <windows.h>

#include <memory>

namespace quorel {
class AppController;
class MainView;
}  // namespace quorel

namespace quorel::win32 {

class GuiInteraction;
class Win32AppWindows;

// The main window "Rizive": its menu, status bar, find bar and the matrix.
class MainWindow {
  public:
    MainWindow(AppController& app, GuiInteraction& ui, Win32AppWindows& windows);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates and shows the window; null when its class cannot be
    // registered (after telling the user).
    HWND Create();
    // Handles the thread's messages, with the accelerators, until the
    // window is destroyed.
    void RunLoop();

    HWND hwnd() const;
    // The matrix's view state, selection and screen model.
    MainView& view();
    // What WM_PAINT copies to the screen, into `dc` (client size).
    void PaintInto(HDC dc);

  private:
    struct State;
    std::unique_ptr<State> st_;
};

// Creates the main window and runs it until the user quits.
void RunMainWindow(AppController& app, GuiInteraction& ui, Win32AppWindows& windows);

}  // namespace quorel::win32
