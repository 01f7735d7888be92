#pragma once

#include <windows.h>

namespace quorel::win32 {

// A bitmap resource for the screen's DPI: the double-size picture ("_2X")
// from 144 DPI up, with the size it has at 96 DPI.
struct ScaledBitmap {
    HBITMAP bitmap = nullptr;
    int width96 = 0, height96 = 0;
    int pixelWidth = 0, pixelHeight = 0;
};
ScaledBitmap LoadScaledBitmap(const wchar_t* name, UINT dpi);
// Draws it into the rectangle (stretched with half-tone when sizes differ).
void DrawScaledBitmap(HDC dc, const ScaledBitmap& bitmap, int x, int y, int width, int height);
void FreeScaledBitmap(ScaledBitmap& bitmap);

}  // namespace quorel::win32
