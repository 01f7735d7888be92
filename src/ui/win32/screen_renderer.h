#pragma once

#include <windows.h>

#include <string_view>

#include "ui/win32/bitmaps.h"
#include "view/line_layout.h"
#include "view/screen_model.h"

namespace quorel::win32 {

// Paints a screen model into a DC with GDI and measures texts for the
// layout. The model is in 96-DPI pixels; the renderer scales every position
// by DPI / 96 (fonts are made at the scaled height and the cell pictures are
// drawn from their double-size versions), so the layout is the same at any
// DPI and the matrix stays sharp.
class ScreenRenderer : public TextMeasure {
  public:
    explicit ScreenRenderer(UINT dpi);
    ~ScreenRenderer() override;
    ScreenRenderer(const ScreenRenderer&) = delete;
    ScreenRenderer& operator=(const ScreenRenderer&) = delete;

    // The text of the failure when a picture could not be loaded, else null.
    const wchar_t* loadFailure() const { return loadFailure_; }

    // Width of `text` in 96-DPI pixels.
    int textWidth(std::wstring_view text, Font font) const override;
    // tmHeight + tmExternalLeading of the normal font, in 96-DPI pixels.
    int textLineHeight() const;

    // 96-DPI pixels to device pixels and back.
    int toDevice(int value96) const;
    int fromDevice(int pixels) const;

    // Paints `model` into `dc` whose bitmap is widthPx x heightPx: white
    // first, then every line.
    void Paint(HDC dc, const ScreenModel& model, int widthPx, int heightPx) const;

    HFONT normalFont() const { return fonts_[0]; }

  private:
    HFONT font(Font f) const { return fonts_[static_cast<int>(f)]; }
    const ScaledBitmap& bitmap(Bitmap b) const { return bitmaps_[static_cast<int>(b)]; }
    void paintLine(HDC dc, const ScreenModel& model, const ScreenLine& line, int widthPx) const;

    UINT dpi_;
    HDC measureDc_ = nullptr;
    HFONT fonts_[3] = {};
    ScaledBitmap bitmaps_[8];
    const wchar_t* loadFailure_ = nullptr;
};

}  // namespace quorel::win32
