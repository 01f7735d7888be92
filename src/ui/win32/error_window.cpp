#include "ui/win32/error_window.h"

#include <string>

#include "app/window_texts.h"
#include "core/error_list.h"
#include "ui/win32/dpi.h"
#include "ui/win32/window_support.h"

namespace quorel::win32 {

namespace {
constexpr wchar_t kClass[] = L"Error";

struct ErrorState {
    ErrorList* errors;
    const DisplayList* lines;
    const std::function<void(std::size_t)>* showLine;
    UINT dpi = 96;
    HFONT font = nullptr;
    HWND edit = nullptr, button = nullptr;
    bool done = false;
};

void Layout(HWND hwnd, ErrorState& st) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int w = rc.right, h = rc.bottom;
    auto s = [&](int v) { return Scale(v, st.dpi); };
    MoveWindow(st.edit, s(10), s(10), w - s(20), h - s(60), TRUE);
    MoveWindow(st.button, w - s(120), h - s(40), s(100), s(20), TRUE);
}

void JumpFromCaret(ErrorState& st) {
    const LRESULT line = SendMessageW(st.edit, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0);
    wchar_t buffer[256] = {};
    buffer[0] = 255;  // EM_GETLINE reads the buffer size from its first unit
    const LRESULT n = SendMessageW(st.edit, EM_GETLINE, static_cast<WPARAM>(line),
                                   reinterpret_cast<LPARAM>(buffer));
    const std::optional<std::int32_t> number =
        ErrorNumberOfLine(std::wstring(buffer, static_cast<std::size_t>(n)));
    if (!number) {
        return;
    }
    if (std::optional<std::size_t> index = DisplayLineOfError(*st.errors, *number, *st.lines)) {
        (*st.showLine)(*index);
    }
}

LRESULT CALLBACK ErrorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* st = WindowState<ErrorState>(hwnd, message, lParam);
    switch (message) {
        case WM_CREATE: {
            st->edit =
                CreateScaledChild(L"edit", L"",
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                                      ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                  10, 10, 600, 300, hwnd, 1, st->dpi, st->font);
            st->button = CreateScaledChild(L"button", L"Clear Errorlist",
                                           WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 500, 320, 100, 20,
                                           hwnd, 2, st->dpi, st->font);
            SendMessageW(st->edit, EM_SETLIMITTEXT, 0, 0);
            SetWindowTextW(st->edit, FormatErrorReport(*st->errors).c_str());
            return 0;
        }
        case WM_SIZE:
            Layout(hwnd, *st);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == 1 && HIWORD(wParam) == EN_SETFOCUS) {
                JumpFromCaret(*st);
            } else if (LOWORD(wParam) == 2 && HIWORD(wParam) == BN_CLICKED) {
                st->errors->clear();
                SetWindowTextW(st->edit, L"");
            }
            return 0;
        case WM_PARENTNOTIFY:
            // A click into the edit control that already has the focus:
            // jump again from the line clicked.
            if (LOWORD(wParam) == WM_LBUTTONDOWN && GetFocus() == st->edit) {
                PostMessageW(hwnd, WM_APP, 0, 0);
            }
            return 0;
        case WM_APP:
            JumpFromCaret(*st);
            return 0;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == st->edit) {
                return DefWindowProcW(hwnd, message, wParam, lParam);
            }
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return static_cast<LRESULT>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
        case WM_CLOSE:
            st->done = true;
            DestroyWindow(hwnd);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
}  // namespace

void RunErrorWindow(HWND owner, ErrorList& errors, const DisplayList& lines,
                    const std::function<void(std::size_t)>& showLine) {
    static const HBRUSH background = CreateSolidBrush(RGB(240, 240, 240));  // kept by the class
    WNDCLASSW wc{};
    wc.lpfnWndProc = ErrorProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = kClass;
    if (RegisterClassW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        MessageBoxW(nullptr, L"This program requires at least Windows NT!", kClass, MB_ICONERROR);
        return;
    }
    ErrorState st{&errors, &lines, &showLine};
    st.dpi = ScreenDpi();
    st.font = CreateScaledFont(L"MS Shell Dlg", 12, FW_NORMAL, st.dpi);
    HWND hwnd = CreateWindowExW(0, kClass, L"Error reports", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, Scale(640, st.dpi), Scale(400, st.dpi), owner,
                                nullptr, GetModuleHandleW(nullptr), &st);
    if (hwnd == nullptr) {
        MessageBoxW(nullptr, L"Error Creating Window for reporting Errors", kClass, MB_ICONERROR);
        DeleteObject(st.font);
        return;
    }
    RunUntilDone(hwnd, st.done);
    DeleteObject(st.font);
}

}  // namespace quorel::win32
