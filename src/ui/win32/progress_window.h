#pragma once

#include <windows.h>

#include <string>

namespace quorel::win32 {

// The scan progress window "Rizive_ScanStateWin": the path being read and
// a Cancel button. It has no message loop; each Update handles the
// messages that are pending, which is how Cancel is pressed.
class ProgressWindow {
  public:
    explicit ProgressWindow(bool& cancelRequested) : cancel_(cancelRequested) {}
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // The title names a scan started from the command line.
    void Show(bool shellScan);
    void Update(const std::wstring& text);
    void Close();
    HWND window() const { return hwnd_; }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    bool& cancel_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    UINT dpi_ = 96;
};

}  // namespace quorel::win32
