#pragma once

#include <windows.h>

namespace quorel::win32 {

// "Quorel is working. Please wait.....": the busy window of a long ACL run
// (Inherit ACL, group break-down), a marquee bar and Cancel. The run pumps
// its messages once per item and stops when Cancel was pressed.
class HeartbeatWindow {
  public:
    explicit HeartbeatWindow(bool& cancel) : cancel_(cancel) {}
    ~HeartbeatWindow() { Close(); }
    HeartbeatWindow(const HeartbeatWindow&) = delete;
    HeartbeatWindow& operator=(const HeartbeatWindow&) = delete;

    void Show(HWND owner);
    void Close();
    HWND hwnd() const { return hwnd_; }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    bool& cancel_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH background_ = nullptr;
};

}  // namespace quorel::win32
