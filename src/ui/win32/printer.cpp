#include "ui/win32/printer.h"

#include <commdlg.h>

#include <string>
#include <vector>

#include "view/print_job.h"

namespace quorel::win32 {

namespace {

// A bitmap resource as a bottom-up 32-bit DIB, to be stretched onto a
// printer with StretchDIBits: printer drivers need not take BitBlt from a
// memory DC.
struct TickPicture {
    BITMAPINFO info{};
    std::vector<std::uint32_t> pixels;
};

bool LoadTickPicture(const wchar_t* name, TickPicture& out) {
    auto* bmp = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bmp == nullptr) {
        return false;
    }
    BITMAP b{};
    GetObjectW(bmp, sizeof b, &b);
    out.info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    out.info.bmiHeader.biWidth = b.bmWidth;
    out.info.bmiHeader.biHeight = b.bmHeight;
    out.info.bmiHeader.biPlanes = 1;
    out.info.bmiHeader.biBitCount = 32;
    out.info.bmiHeader.biCompression = BI_RGB;
    out.pixels.resize(static_cast<std::size_t>(b.bmWidth) * static_cast<std::size_t>(b.bmHeight));
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bmp, 0, static_cast<UINT>(b.bmHeight), out.pixels.data(),
                                &out.info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bmp);
    return lines == b.bmHeight;
}

[[noreturn]] void FatalPicture(const wchar_t* text) {
    MessageBoxW(nullptr, text, nullptr, MB_ICONERROR);
    ExitProcess(0);
}

class GdiPrinter : public PrintDevice {
  public:
    explicit GdiPrinter(HDC dc) : dc_(dc) {
        metrics_.pageWidth = GetDeviceCaps(dc_, HORZRES);
        metrics_.pageHeight = GetDeviceCaps(dc_, VERTRES);
        metrics_.unit = GetDeviceCaps(dc_, LOGPIXELSY) / 10;
        LOGFONTW lf{};
        lf.lfHeight = metrics_.unit;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, L"Arial", LF_FACESIZE);
        font_ = CreateFontIndirectW(&lf);
        oldFont_ = SelectObject(dc_, font_);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc_, &tm);
        metrics_.lineHeight = tm.tmHeight + tm.tmExternalLeading;
        SetBkMode(dc_, TRANSPARENT);
        SetTextColor(dc_, RGB(0, 0, 0));
        if (!LoadTickPicture(L"HOOKON", on_)) {
            FatalPicture(L"Error loading bitmap ( mainwin: hhook_on_bitmap - print )");
        }
        if (!LoadTickPicture(L"HOOKOFF", off_)) {
            FatalPicture(L"Error loading bitmap ( mainwin: hhook_off_bitmap - print )");
        }
    }
    ~GdiPrinter() override {
        SelectObject(dc_, oldFont_);
        DeleteObject(font_);
        DeleteDC(dc_);
    }
    GdiPrinter(const GdiPrinter&) = delete;
    GdiPrinter& operator=(const GdiPrinter&) = delete;

    int textWidth(std::wstring_view text) const override {
        SIZE size{};
        GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    PrintMetrics metrics() const override { return metrics_; }
    bool StartDocument() override {
        const std::wstring name(kPrintDocumentName);
        DOCINFOW doc{};
        doc.cbSize = sizeof doc;
        doc.lpszDocName = name.c_str();
        return StartDocW(dc_, &doc) > 0;
    }
    bool StartPage() override {
        if (::StartPage(dc_) <= 0) {
            return false;
        }
        // Some drivers reset the DC's objects with each page.
        SelectObject(dc_, font_);
        SetBkMode(dc_, TRANSPARENT);
        return true;
    }
    bool EndPage() override { return ::EndPage(dc_) > 0; }
    void EndDocument() override { EndDoc(dc_); }
    void Draw(const PrintItem& item) override {
        switch (item.kind) {
            case PrintItem::Kind::Text:
                TextOutW(dc_, item.x, item.y, item.text.c_str(),
                         static_cast<int>(item.text.size()));
                break;
            case PrintItem::Kind::TickOn:
            case PrintItem::Kind::TickOff: {
                const TickPicture& p = item.kind == PrintItem::Kind::TickOn ? on_ : off_;
                StretchDIBits(dc_, item.x, item.y, item.extent, item.extent, 0, 0,
                              p.info.bmiHeader.biWidth, p.info.bmiHeader.biHeight, p.pixels.data(),
                              &p.info, DIB_RGB_COLORS, SRCCOPY);
                break;
            }
            case PrintItem::Kind::Line:
                MoveToEx(dc_, item.x, item.y, nullptr);
                LineTo(dc_, item.extent, item.y);
                break;
        }
    }

  private:
    HDC dc_;
    PrintMetrics metrics_;
    HFONT font_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    TickPicture on_, off_;
};

}  // namespace

std::unique_ptr<PrintDevice> ChoosePrinter(HWND owner, PrinterChoice choice) {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.Flags = PD_RETURNDC | (choice == PrinterChoice::DefaultPrinter ? PD_RETURNDEFAULT : 0);
    const BOOL chosen = PrintDlgW(&pd);
    if (pd.hDevMode != nullptr) {
        GlobalFree(pd.hDevMode);
    }
    if (pd.hDevNames != nullptr) {
        GlobalFree(pd.hDevNames);
    }
    if (!chosen || pd.hDC == nullptr) {
        return nullptr;
    }
    return std::make_unique<GdiPrinter>(pd.hDC);
}

}  // namespace quorel::win32
