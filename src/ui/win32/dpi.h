#pragma once

#include <windows.h>

namespace quorel::win32 {

// Every position, size and font height of the windows is given for 96 DPI;
// this scales it to `dpi` (value × dpi / 96, rounded). At 96 DPI it is the
// value itself.
int Scale(int value96, UINT dpi);

// The DPI the windows are drawn at: the screen's (Wine's LogPixels).
UINT ScreenDpi();

// A window size no larger than the desktop's work area.
SIZE FitToWorkArea(int width, int height);

// A font of `face` with a 96-DPI cell height, scaled to `dpi`.
HFONT CreateScaledFont(const wchar_t* face, int height96, int weight, UINT dpi);

// A child control at a 96-DPI place.
HWND CreateScaledChild(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                       int width, int height, HWND parent, int id, UINT dpi, HFONT font);

}  // namespace quorel::win32
