#pragma once

#include <windows.h>

namespace quorel::win32 {

// The state a window was created with (the lpParam of CreateWindowExW),
// kept in GWLP_USERDATA from WM_NCCREATE on; null for the few messages that
// come before it.
template <class State>
State* WindowState(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Shows `hwnd` and handles the thread's messages until `done` is set (the
// window's procedure sets it when it closes) or the queue ends.
inline void RunUntilDone(HWND hwnd, const bool& done) {
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    MSG msg;
    while (!done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace quorel::win32
