#include "ui/win32/progress_window.h"

#include "app/window_texts.h"
#include "ui/win32/dpi.h"

namespace quorel::win32 {

namespace {
constexpr wchar_t kClass[] = L"Rizive_ScanStateWin";
constexpr COLORREF kBackground = RGB(240, 240, 240);

// GetClassInfoW: a class an earlier window of this process registered is
// found, so the class is registered once per process without a flag.
bool RegisterOnce() {
    WNDCLASSW existing{};
    if (GetClassInfoW(GetModuleHandleW(nullptr), kClass, &existing)) {
        return true;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window below
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(kBackground);
    wc.lpszClassName = kClass;
    return RegisterClassW(&wc) != 0;
}
}  // namespace

ProgressWindow::~ProgressWindow() {
    Close();
}

void ProgressWindow::Show(bool shellScan) {
    if (hwnd_ != nullptr) {
        return;
    }
    if (!RegisterOnce()) {
        MessageBoxW(nullptr, L"This program requires Windows NT!", kClass, MB_ICONERROR);
        return;
    }
    dpi_ = ScreenDpi();
    font_ = CreateScaledFont(L"MS Shell Dlg", 12, FW_NORMAL, dpi_);
    const wchar_t* title = shellScan ? L"Quorel is scanning the directory:" : L"Current Directory:";
    hwnd_ = CreateWindowExW(0, kClass, title, 0x00400084 | WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
                            Scale(600, dpi_), Scale(120, dpi_), nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        return;
    }
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProgressWindow::Proc));
    CreateScaledChild(L"button", L"Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 250, 50, 80, 24,
                      hwnd_, 0, dpi_, font_);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

void ProgressWindow::Update(const std::wstring& raw) {
    if (hwnd_ != nullptr) {
        const std::wstring text = PaddedProgressText(raw);
        HDC dc = GetDC(hwnd_);
        HGDIOBJ old = SelectObject(dc, font_);
        SetBkColor(dc, kBackground);
        SetTextColor(dc, RGB(0, 0, 0));
        SIZE size{};
        // The width of the text itself decides; the blanks only wipe.
        GetTextExtentPoint32W(dc, raw.c_str(), static_cast<int>(raw.size()), &size);
        const ProgressTextLayout layout =
            LayoutProgressText(MulDiv(size.cx, 96, static_cast<int>(dpi_)));
        auto s = [&](int v) { return Scale(v, dpi_); };
        const int top = s(10), bottom = s(30);
        const int n = static_cast<int>(text.size());
        if (layout.clipped) {
            RECT begin{s(layout.beginLeft), top, s(layout.beginRight), bottom};
            ExtTextOutW(dc, begin.left, top, ETO_OPAQUE | ETO_CLIPPED, &begin, text.c_str(), n,
                        nullptr);
            RECT dots{s(layout.dotsX), top, s(layout.endLeft), bottom};
            ExtTextOutW(dc, dots.left, top, ETO_OPAQUE | ETO_CLIPPED, &dots, L"...", 3, nullptr);
            RECT end{s(layout.endLeft), top, s(layout.endRight), bottom};
            const int rawWidth = size.cx;
            ExtTextOutW(dc, end.right - rawWidth, top, ETO_OPAQUE | ETO_CLIPPED, &end, raw.c_str(),
                        static_cast<int>(raw.size()), nullptr);
        } else {
            RECT box{s(20), top, s(570), bottom};
            ExtTextOutW(dc, box.left, top, ETO_OPAQUE | ETO_CLIPPED, &box, text.c_str(), n,
                        nullptr);
        }
        SelectObject(dc, old);
        ReleaseDC(hwnd_, dc);
    }
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void ProgressWindow::Close() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
        font_ = nullptr;
    }
}

LRESULT CALLBACK ProgressWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == 0 && self != nullptr) {
                self->cancel_ = true;
                DestroyWindow(hwnd);
                self->hwnd_ = nullptr;
            }
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            if (self != nullptr) {
                self->hwnd_ = nullptr;
            }
            return 0;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return static_cast<LRESULT>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace quorel::win32
