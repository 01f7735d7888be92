#include "ui/win32/bitmaps.h"

#include <string>

namespace quorel::win32 {

namespace {
HBITMAP Load(const std::wstring& name, BITMAP& info) {
    auto* bmp = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), name.c_str(),
                                                IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bmp != nullptr) {
        GetObjectW(bmp, sizeof info, &info);
    }
    return bmp;
}
}  // namespace

ScaledBitmap LoadScaledBitmap(const wchar_t* name, UINT dpi) {
    ScaledBitmap out;
    BITMAP info{};
    HBITMAP base = Load(name, info);
    if (base == nullptr) {
        return out;
    }
    out.width96 = info.bmWidth;
    out.height96 = info.bmHeight;
    out.bitmap = base;
    out.pixelWidth = info.bmWidth;
    out.pixelHeight = info.bmHeight;
    if (dpi >= 144) {
        BITMAP big{};
        if (HBITMAP twice = Load(std::wstring(name) + L"_2X", big)) {
            DeleteObject(base);
            out.bitmap = twice;
            out.pixelWidth = big.bmWidth;
            out.pixelHeight = big.bmHeight;
        }
    }
    return out;
}

void DrawScaledBitmap(HDC dc, const ScaledBitmap& bitmap, int x, int y, int width, int height) {
    if (bitmap.bitmap == nullptr) {
        return;
    }
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bitmap.bitmap);
    if (width == bitmap.pixelWidth && height == bitmap.pixelHeight) {
        BitBlt(dc, x, y, width, height, mem, 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, x, y, width, height, mem, 0, 0, bitmap.pixelWidth, bitmap.pixelHeight,
                   SRCCOPY);
    }
    SelectObject(mem, old);
    DeleteDC(mem);
}

void FreeScaledBitmap(ScaledBitmap& bitmap) {
    if (bitmap.bitmap != nullptr) {
        DeleteObject(bitmap.bitmap);
        bitmap.bitmap = nullptr;
    }
}

}  // namespace quorel::win32
