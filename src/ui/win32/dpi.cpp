#include "ui/win32/dpi.h"

#include <algorithm>

namespace quorel::win32 {

int Scale(int value96, UINT dpi) {
    return MulDiv(value96, static_cast<int>(dpi), 96);
}

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

SIZE FitToWorkArea(int width, int height) {
    RECT area{};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) && area.right > area.left &&
        area.bottom > area.top) {
        width = std::min(width, static_cast<int>(area.right - area.left));
        height = std::min(height, static_cast<int>(area.bottom - area.top));
    }
    return SIZE{width, height};
}

HFONT CreateScaledFont(const wchar_t* face, int height96, int weight, UINT dpi) {
    return CreateFontW(Scale(height96, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

HWND CreateScaledChild(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                       int width, int height, HWND parent, int id, UINT dpi, HFONT font) {
    HWND child = CreateWindowExW(0, className, text, style, Scale(x, dpi), Scale(y, dpi),
                                 Scale(width, dpi), Scale(height, dpi), parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
    if (child != nullptr && font != nullptr) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    return child;
}

}  // namespace quorel::win32
