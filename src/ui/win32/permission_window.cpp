#include "ui/win32/permission_window.h"

#include <array>

#include "filters/filter_window_layout.h"
#include "filters/permission_selection.h"
#include "ui/win32/dpi.h"
#include "ui/win32/filter_window_controls.h"
#include "ui/win32/window_support.h"

namespace quorel::win32 {

namespace {

constexpr wchar_t kClass[] = L"ChooseRights";

struct PermissionWindowState {
    PermissionSelection* selection = nullptr;
    bool* closed = nullptr;
    HWND owner = nullptr;
    UINT dpi = 96;
    HFONT font = nullptr;
    std::array<HWND, PermissionSelection::kCount> boxes{};
};

void ShowMarks(PermissionWindowState& st) {
    for (std::size_t r = 0; r < st.boxes.size(); ++r) {
        SendMessageW(st.boxes[r], BM_SETCHECK,
                     st.selection->checked(r) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void OnCreate(HWND hwnd, PermissionWindowState& st) {
    for (const WindowControl& c : PermissionWindowControls()) {
        HWND control = CreateWindowControl(hwnd, c, st.dpi, st.font);
        if (const auto right = RightOfCheckBox(c.id)) {
            st.boxes[*right] = control;
        }
    }
    ShowMarks(st);
}

void Close(HWND hwnd, PermissionWindowState& st) {
    if (st.owner != nullptr) {
        EnableWindow(st.owner, TRUE);
    }
    DestroyWindow(hwnd);
}

LRESULT CALLBACK PermissionWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* st = WindowState<PermissionWindowState>(hwnd, message, lParam);
    if (st == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    switch (message) {
        case WM_CREATE:
            OnCreate(hwnd, *st);
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (HIWORD(wParam) != BN_CLICKED) {
                return 0;
            }
            if (const auto right = RightOfCheckBox(id)) {
                st->selection->Click(*right);
                ShowMarks(*st);
            } else if (id == rights_window::kInfo) {
                st->selection->ShowGenericInfo();
            } else if (id == rights_window::kOk) {
                st->selection->Ok();
                Close(hwnd, *st);
            } else if (id == rights_window::kCancel) {
                st->selection->Cancel();
                Close(hwnd, *st);
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(FilterWindowBackground());
        }
        case WM_CLOSE:
            st->selection->Close();
            Close(hwnd, *st);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            *st->closed = true;
            DeleteObject(st->font);
            delete st;
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

HWND OpenPermissionWindow(HWND owner, PermissionSelection& selection, bool& closed) {
    closed = false;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = PermissionWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = FilterWindowBackground();
    wc.lpszClassName = kClass;
    if (RegisterClassW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        MessageBoxW(nullptr, L"This program requires at least Windows NT!", kClass, MB_ICONERROR);
        closed = true;
        return nullptr;
    }
    auto* st = new PermissionWindowState;
    st->selection = &selection;
    st->closed = &closed;
    st->owner = owner;
    st->dpi = ScreenDpi();
    st->font = CreateScaledFont(L"MS Shell Dlg", 12, FW_NORMAL, st->dpi);
    if (owner != nullptr) {
        EnableWindow(owner, FALSE);
    }
    // A dialog frame (WS_CAPTION holds WS_DLGFRAME); an overlapped window
    // so that the default position applies.
    HWND hwnd =
        CreateWindowExW(WS_EX_DLGMODALFRAME, kClass, L"Select Permissions to Display",
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                        Scale(rights_window::kWidth, st->dpi),
                        Scale(rights_window::kHeight, st->dpi), owner, nullptr, instance, st);
    if (hwnd == nullptr) {
        if (owner != nullptr) {
            EnableWindow(owner, TRUE);
        }
        if (!closed) {
            DeleteObject(st->font);
            delete st;
        }
        MessageBoxW(nullptr, L"Error Creating Window for Selecting Permissions", kClass,
                    MB_ICONERROR);
        closed = true;
        return nullptr;
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    return hwnd;
}

void RunPermissionWindow(HWND owner, PermissionSelection& selection) {
    bool closed = false;
    if (OpenPermissionWindow(owner, selection, closed) == nullptr) {
        return;
    }
    MSG msg;
    while (!closed && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace quorel::win32
