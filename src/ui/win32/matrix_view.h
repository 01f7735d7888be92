#pragma once

#include <windows.h>

#include <cstddef>

#include "app/commands.h"
#include "app/main_view.h"
#include "ui/win32/screen_renderer.h"

namespace quorel {
class AppController;
class InteractionPort;
}  // namespace quorel

namespace quorel::win32 {

// The ACL matrix in the main window: the memory bitmap it is drawn into,
// the scroll bars, and the mouse and scroll messages, each translated into
// a call of the portable MainView. Returns to the main window what it must
// do besides (menu states, the find bar).
class MatrixView {
  public:
    MatrixView(AppController& app, InteractionPort& ui, UINT dpi);
    ~MatrixView();
    MatrixView(const MatrixView&) = delete;
    MatrixView& operator=(const MatrixView&) = delete;

    const wchar_t* loadFailure() const { return renderer_.loadFailure(); }

    // The window, its find text edit and its two find check boxes.
    void Attach(HWND window, HWND findText, HWND highlightBox, HWND showMatchingBox);
    // The drawing area changed size (device pixels): a new memory bitmap.
    // False when it could not be made.
    bool OnSize(int widthPx, int heightPx);

    // Does the window-side part of `changes` (scroll boxes, the wheel word,
    // the redraw) and returns them for the rest.
    unsigned Apply(unsigned changes);
    // Lays out and paints the matrix into the memory bitmap and sets the
    // find check boxes; the screen gets it with the next paint.
    void Redraw();
    // WM_PAINT: copies the memory bitmap; in find mode the label "Find".
    void Paint(HDC dc);

    // Scroll, wheel, mouse and key messages; false for any other message.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, unsigned& changes);
    // A command of the main window (the command table), with the find
    // bar's text.
    CommandOutcome Command(int id);
    // The error window's jump to a display-list entry.
    unsigned ShowLine(std::size_t index);

    MainView& view() { return view_; }
    const MainCommands& commands() const { return commands_; }
    const ScreenModel& screen() const { return view_.screen(); }
    int lineHeightPx() const;
    // A layout position (96 DPI) in client pixels.
    int toDevice(int value96) const { return renderer_.toDevice(value96); }

  private:
    void contextMenu(int x, int y);
    void freeBitmap();

    AppController& app_;
    InteractionPort& ui_;
    UINT dpi_;
    ScreenRenderer renderer_;
    MainView view_;
    MainCommands commands_;
    HWND window_ = nullptr;
    HWND findText_ = nullptr;
    HWND highlightBox_ = nullptr;
    HWND showMatchingBox_ = nullptr;
    HDC memDc_ = nullptr;
    HBITMAP memBitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    int widthPx_ = 0;
    int heightPx_ = 0;
    int lineHeight_ = 15;
};

}  // namespace quorel::win32
