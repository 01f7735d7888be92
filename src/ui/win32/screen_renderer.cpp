#include "ui/win32/screen_renderer.h"

#include <algorithm>

#include "ui/win32/dpi.h"

namespace quorel::win32 {

namespace {

// The cell pictures in the order of Bitmap, with the failure each one's
// absence reports.
struct PictureName {
    const wchar_t* name;
    const wchar_t* failure;
};
constexpr PictureName kPictures[8] = {
    {L"HOOKON", L"Error loading bitmap ( mainwin: hhook_on_bitmap )"},
    {L"HOOKOFF", L"Error loading bitmap ( mainwin: hhook_off_bitmap )"},
    {L"HOOKONBLUE", L"Error loading bitmap ( mainwin: hhook_on_blue_bitmap )"},
    {L"HOOKOFFBLUE", L"Error loading bitmap ( mainwin: hhook_off_blue_bitmap )"},
    {L"FILESBLACK", L"Error loading bitmap ( mainwin: hfiles_black_bitmap )"},
    {L"FILESGHOSTED", L"Error loading bitmap ( mainwin: hfiles_ghosted_bitmap )"},
    {L"FOLDERSBLACK", L"Error loading bitmap ( mainwin: hfolders_black_bitmap )"},
    {L"FOLDERSGHOSTED", L"Error loading bitmap ( mainwin: hfolders_ghosted_bitmap )"},
};

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    const RECT r{left, top, right, bottom};
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

}  // namespace

ScreenRenderer::ScreenRenderer(UINT dpi) : dpi_(dpi) {
    // The matrix fonts: cell heights 14, 14 bold and 32 at 96 DPI.
    fonts_[0] = CreateScaledFont(L"MS Shell Dlg", 14, 400, dpi);
    fonts_[1] = CreateScaledFont(L"MS Shell Dlg", 14, 800, dpi);
    fonts_[2] = CreateScaledFont(L"MS Shell Dlg", 32, 400, dpi);
    measureDc_ = CreateCompatibleDC(nullptr);
    for (int i = 0; i < 8; ++i) {
        bitmaps_[i] = LoadScaledBitmap(kPictures[i].name, dpi);
        if (bitmaps_[i].bitmap == nullptr && loadFailure_ == nullptr) {
            loadFailure_ = kPictures[i].failure;
        }
    }
}

ScreenRenderer::~ScreenRenderer() {
    for (ScaledBitmap& b : bitmaps_) {
        FreeScaledBitmap(b);
    }
    for (HFONT f : fonts_) {
        if (f != nullptr) {
            DeleteObject(f);
        }
    }
    if (measureDc_ != nullptr) {
        DeleteDC(measureDc_);
    }
}

int ScreenRenderer::toDevice(int value96) const {
    return Scale(value96, dpi_);
}

int ScreenRenderer::fromDevice(int pixels) const {
    return MulDiv(pixels, 96, static_cast<int>(dpi_));
}

int ScreenRenderer::textWidth(std::wstring_view text, Font f) const {
    if (text.empty() || measureDc_ == nullptr) {
        return 0;
    }
    HGDIOBJ old = SelectObject(measureDc_, font(f));
    SIZE size{};
    GetTextExtentPoint32W(measureDc_, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(measureDc_, old);
    // Rounded up, so that a text measured to fit does fit when drawn.
    return MulDiv(size.cx, 96, static_cast<int>(dpi_)) + (size.cx * 96 % dpi_ != 0 ? 1 : 0);
}

int ScreenRenderer::textLineHeight() const {
    TEXTMETRICW tm{};
    HGDIOBJ old = SelectObject(measureDc_, fonts_[0]);
    GetTextMetricsW(measureDc_, &tm);
    SelectObject(measureDc_, old);
    return fromDevice(tm.tmHeight + tm.tmExternalLeading);
}

void ScreenRenderer::Paint(HDC dc, const ScreenModel& model, int widthPx, int heightPx) const {
    Fill(dc, 0, 0, widthPx, heightPx, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    HGDIOBJ oldFont = SelectObject(dc, fonts_[0]);
    for (const ScreenLine& line : model.lines) {
        paintLine(dc, model, line, widthPx);
    }
    SelectObject(dc, oldFont);
}

void ScreenRenderer::paintLine(HDC dc, const ScreenModel& model, const ScreenLine& line,
                               int widthPx) const {
    const int top = toDevice(line.y);
    const int bottom = toDevice(line.y + line.height);
    if (line.height > 0) {
        Fill(dc, 0, top, widthPx, bottom, line.background);
    }
    SetBkColor(dc, line.background);
    for (std::uint32_t i = line.firstText; i < line.firstText + line.textCount; ++i) {
        const TextItem& t = model.texts[i];
        const int left = toDevice(std::max(t.clipLeft, 0));
        const int right = t.clipRight <= t.clipLeft ? left : toDevice(t.clipRight);
        if (right <= left) {
            continue;
        }
        const RECT clip{left, top, right, std::max(bottom, toDevice(t.y) + 1)};
        SelectObject(dc, font(t.font));
        ExtTextOutW(dc, toDevice(t.x), toDevice(t.y), ETO_CLIPPED, &clip, t.text.data(),
                    static_cast<UINT>(t.text.size()), nullptr);
    }
    for (std::uint32_t i = line.firstCell; i < line.firstCell + line.cellCount; ++i) {
        const CellItem& c = model.cells[i];
        const ScaledBitmap& b = bitmap(c.bitmap);
        DrawScaledBitmap(dc, b, toDevice(c.x), toDevice(c.y), toDevice(b.width96),
                         toDevice(b.height96));
    }
    for (std::uint32_t i = line.firstSegment; i < line.firstSegment + line.segmentCount; ++i) {
        const Segment& s = model.segments[i];
        HPEN pen = CreatePen(PS_SOLID, 0, s.colour);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, toDevice(s.x1), toDevice(s.y1), nullptr);
        LineTo(dc, toDevice(s.x2), toDevice(s.y2));
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    for (std::uint32_t i = line.firstPixel; i < line.firstPixel + line.pixelCount; ++i) {
        const Pixel& p = model.pixels[i];
        // One pixel at 96 DPI; the block it becomes at other DPIs.
        Fill(dc, toDevice(p.x), toDevice(p.y), std::max(toDevice(p.x + 1), toDevice(p.x) + 1),
             std::max(toDevice(p.y + 1), toDevice(p.y) + 1), p.colour);
    }
    SetBkColor(dc, line.background);
}

}  // namespace quorel::win32
