#include "ui/win32/heartbeat_window.h"

#include <commctrl.h>

#include "ui/win32/dpi.h"

namespace quorel::win32 {

namespace {
constexpr wchar_t kClass[] = L"Heartbeat Window";
constexpr int kCancelId = 0;
}  // namespace

void HeartbeatWindow::Show(HWND owner) {
    if (hwnd_ != nullptr) {
        return;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (background_ == nullptr) {
        background_ = CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0));
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background_;
    wc.lpszClassName = kClass;
    if (RegisterClassW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        MessageBoxW(nullptr, L"This program requires Windows NT!", kClass, MB_ICONERROR);
        return;
    }
    const UINT dpi = ScreenDpi();
    if (font_ == nullptr) {
        font_ = CreateScaledFont(L"MS Shell Dlg", 12, FW_NORMAL, dpi);
    }
    hwnd_ = CreateWindowExW(0, kClass, L"Quorel is working. Please wait.....",
                            WS_OVERLAPPED | WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
                            Scale(600, dpi), Scale(120, dpi), owner, nullptr, instance, this);
    if (hwnd_ == nullptr) {
        return;
    }
    HWND bar = CreateScaledChild(PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_MARQUEE, 10, 10,
                                 550, 20, hwnd_, 1, dpi, nullptr);
    SendMessageW(bar, PBM_SETMARQUEE, TRUE, 10);
    CreateScaledChild(L"button", L"Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 250, 50, 80, 24,
                      hwnd_, kCancelId, dpi, font_);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
}

void HeartbeatWindow::Close() {
    if (hwnd_ != nullptr) {
        HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
        font_ = nullptr;
    }
}

LRESULT CALLBACK HeartbeatWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<HeartbeatWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kCancelId && self != nullptr) {
                self->cancel_ = true;
                self->Close();
            }
            return 0;
        case WM_CLOSE:
            if (self != nullptr) {
                self->Close();
            }
            return 0;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            if (self != nullptr) {
                SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
                return reinterpret_cast<LRESULT>(self->background_);
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace quorel::win32
