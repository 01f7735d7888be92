#include "ui/win32/start_window.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "app/window_texts.h"
#include "ui/win32/bitmaps.h"
#include "ui/win32/dpi.h"
#include "ui/win32/window_support.h"

namespace quorel::win32 {

namespace {
constexpr wchar_t kClass[] = L"Rizive_StartWin";

struct Button {
    int id;
    const wchar_t* text;
    int y;
    StartChoice choice;
    const wchar_t* label;
};
// "Comapare": the label as users know it.
constexpr Button kButtons[] = {
    {0, L"SCAN", 100, StartChoice::Scan, L"Scan Directory"},
    {1, L"STARTMAIN", 180, StartChoice::StartMain, L"Start Main Program"},
    {3, L"OPEN", 260, StartChoice::Open, L"Open Saved File"},
    {4, L"COMPARE", 340, StartChoice::Compare, L"Comapare Scan to Saved File"},
    {2, L"EXIT", 420, StartChoice::Exit, L"EXIT"},
};

struct StartState {
    UINT dpi = 96;
    HFONT large = nullptr;
    HFONT small = nullptr;
    ScaledBitmap logo;
    ScaledBitmap normal[5];
    ScaledBitmap pressed[5];
    StartChoice choice = StartChoice::Exit;
    bool done = false;
};

LRESULT CALLBACK StartProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* st = WindowState<StartState>(hwnd, message, lParam);
    switch (message) {
        case WM_CREATE: {
            st->logo = LoadScaledBitmap(L"LOGO", st->dpi);
            for (const Button& b : kButtons) {
                const std::wstring name = L"ICONBUTTON" + std::to_wstring(b.id);
                st->normal[b.id] = LoadScaledBitmap(name.c_str(), st->dpi);
                st->pressed[b.id] = LoadScaledBitmap((name + L"PRESSED").c_str(), st->dpi);
                CreateScaledChild(L"button", b.text, 0x5000008B, 350, b.y, 64, 64, hwnd, b.id,
                                  st->dpi, nullptr);
            }
            return 0;
        }
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (di->CtlID < 5) {
                const bool down = (di->itemState & ODS_SELECTED) != 0;
                const ScaledBitmap& bmp = down ? st->pressed[di->CtlID] : st->normal[di->CtlID];
                DrawScaledBitmap(di->hDC, bmp, di->rcItem.left, di->rcItem.top,
                                 di->rcItem.right - di->rcItem.left,
                                 di->rcItem.bottom - di->rcItem.top);
            }
            return TRUE;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            DrawScaledBitmap(dc, st->logo, 0, 0, Scale(st->logo.width96, st->dpi),
                             Scale(st->logo.height96, st->dpi));
            SetBkColor(dc, RGB(255, 255, 255));
            SetTextColor(dc, RGB(0, 0, 0));
            auto s = [&](int v) { return Scale(v, st->dpi); };
            HGDIOBJ old = SelectObject(dc, st->large);
            const wchar_t* product = L"Quorel - rapid ACL examination tool";
            TextOutW(dc, s(350), s(20), product, lstrlenW(product));
            SelectObject(dc, st->small);
            const std::wstring version = StartWindowVersionLine();
            TextOutW(dc, s(350), s(50), version.c_str(), static_cast<int>(version.size()));
            for (const Button& b : kButtons) {
                TextOutW(dc, s(430), s(b.y + 27), b.label, lstrlenW(b.label));
            }
            SelectObject(dc, old);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == 5) {
                ShellExecuteW(hwnd, L"open", kVideoAddress, nullptr, nullptr, SW_SHOWNORMAL);
                return 0;
            }
            for (const Button& b : kButtons) {
                if (b.id == id) {
                    st->choice = b.choice;
                    st->done = true;
                    DestroyWindow(hwnd);
                    return 0;
                }
            }
            return 0;
        }
        case WM_CLOSE:
            st->done = true;
            DestroyWindow(hwnd);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
}  // namespace

StartChoice RunStartWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = StartProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClass;
    if (RegisterClassW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        MessageBoxW(nullptr, L"This program requires Windows NT!", kClass, MB_ICONERROR);
        return StartChoice::Exit;
    }
    StartState st;
    st.dpi = ScreenDpi();
    st.large = CreateScaledFont(L"Arial", 30, FW_NORMAL, st.dpi);
    st.small = CreateScaledFont(L"Arial", 16, FW_NORMAL, st.dpi);
    HWND hwnd = CreateWindowExW(
        0, kClass, L"Quorel - select action", 0x00400084 | WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
        Scale(900, st.dpi), Scale(640, st.dpi), nullptr, nullptr, GetModuleHandleW(nullptr), &st);
    if (hwnd != nullptr) {
        RunUntilDone(hwnd, st.done);
    }
    DeleteObject(st.large);
    DeleteObject(st.small);
    return st.choice;
}

}  // namespace quorel::win32
