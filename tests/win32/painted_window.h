#pragma once

// Test support: what a main window paints, in a 32-bit memory bitmap of its
// client size, read back pixel by pixel.

#include <windows.h>

#include "ui/win32/main_window.h"

namespace quorel::win32::test {

class PaintedWindow {
  public:
    PaintedWindow(HWND hwnd, MainWindow& window) {
        RECT client{};
        GetClientRect(hwnd, &client);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        window.PaintInto(dc_);
    }
    ~PaintedWindow() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    PaintedWindow(const PaintedWindow&) = delete;
    PaintedWindow& operator=(const PaintedWindow&) = delete;

    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

}  // namespace quorel::win32::test
