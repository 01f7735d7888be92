#include "ui/win32/main_window.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "app/app_controller.h"
#include "app/menu_model.h"
#include "core/dir_list.h"
#include "resource.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gui_interaction.h"
#include "ui/win32/win32_app_windows.h"
#include "ui/win32/window_support.h"
#include "view/find_bar.h"

#if __has_include("ui/win32/matrix_view.h")
#include "ui/win32/matrix_view.h"
#define QUOREL_HAS_MATRIX_VIEW 1
#else
#define QUOREL_HAS_MATRIX_VIEW 0
#endif
#if __has_include("ui/win32/test_hook.h")
#include "ui/win32/test_hook.h"
#define QUOREL_HAS_TEST_HOOK 1
#else
#define QUOREL_HAS_TEST_HOOK 0
#endif

namespace quorel::win32 {

namespace {
constexpr wchar_t kClass[] = L"Rizive";
constexpr UINT kShowLineMessage = WM_APP + 1;  // wParam: display-list index (error window)

struct MainState {
    AppController* app = nullptr;
    GuiInteraction* ui = nullptr;
    Win32AppWindows* windows = nullptr;
    HWND hwnd = nullptr;
    HWND status = nullptr;
    HWND find[5] = {};
    HMENU menu = nullptr;
    HFONT font = nullptr;
    UINT dpi = 96;
    int statusHeight = 0;
    int clientWidth = 0;
    int drawingHeight = 0;
    bool ready = false;
    MenuViewFlags flags;
#if QUOREL_HAS_MATRIX_VIEW
    std::unique_ptr<MatrixView> matrix;
#endif
};

[[noreturn]] void Fatal(const wchar_t* text) {
    MessageBoxW(nullptr, text, nullptr, MB_ICONERROR);
    ExitProcess(0);
}

bool OwnedByMatrixView(int id) {
#if QUOREL_HAS_MATRIX_VIEW
    // The wheel speed and the complete-path switch live in the view state
    // of the matrix, which keeps their check marks itself.
    return id == IDM_WHEEL_HIGH || id == IDM_WHEEL_NORMAL || id == IDM_WHEEL_LOW ||
           id == IDM_SHOW_COMPLETE_PATH;
#else
    (void)id;
    return false;
#endif
}

void ApplyMenuStates(MainState& st) {
    for (const MainMenuItem& item : MainMenuStates(*st.app, st.flags)) {
        if (OwnedByMatrixView(item.id)) {
            continue;
        }
        const UINT id = static_cast<UINT>(item.id);
        if (item.text) {
            ModifyMenuW(st.menu, id, MF_BYCOMMAND | MF_STRING, id, item.text->c_str());
        }
        EnableMenuItem(st.menu, id, MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(st.menu, id, MF_BYCOMMAND | (item.checked ? MF_CHECKED : MF_UNCHECKED));
    }
    DrawMenuBar(st.hwnd);
}

void PlaceFindBar(MainState& st, bool atCreation) {
    const int h96 = MulDiv(st.drawingHeight, 96, static_cast<int>(st.dpi));
    const auto places = FindBarPlaces(h96, atCreation);
    const bool shown = st.app->view().find.findMode;
    for (int i = 0; i < 5; ++i) {
        if (st.find[i] == nullptr) {
            continue;
        }
        const ControlPlace& p = places[static_cast<std::size_t>(i)];
        // The bar keeps its distance to the bottom edge at any DPI.
        const int y = st.drawingHeight - Scale(h96 - p.y, st.dpi);
        MoveWindow(st.find[i], Scale(p.x, st.dpi), y, Scale(p.width, st.dpi),
                   Scale(p.height, st.dpi), TRUE);
        ShowWindow(st.find[i], shown ? SW_SHOW : SW_HIDE);
    }
}

void SetStatusParts(MainState& st) {
    const int w = st.clientWidth;
    int edges[3] = {w - Scale(200, st.dpi), w - Scale(100, st.dpi), -1};
    SendMessageW(st.status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void OnCreate(HWND hwnd, MainState& st) {
    st.hwnd = hwnd;
    st.ui->setStatusText(1, L"Fast Scroll");
    st.ui->setStatusText(2, L"Ready.");
    st.ui->setStatusText(0, L"Quorel started.");
    RECT rc;
    GetClientRect(hwnd, &rc);
    st.clientWidth = rc.right;
    st.status = CreateWindowExW(0, STATUSCLASSNAMEW, L"status bar", WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                0, hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (st.status == nullptr) {
        Fatal(L"Error creating status bar ( mainwin: hwndStatusBar )");
    }
    SetStatusParts(st);
    RECT part{};
    SendMessageW(st.status, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
    RECT bar{};
    GetWindowRect(st.status, &bar);
    st.statusHeight = bar.bottom - bar.top;
    st.drawingHeight = rc.bottom - st.statusHeight;
    st.ui->AttachMainWindow(hwnd, st.status);
    st.ui->ReapplyStatusTexts();

    const wchar_t* failures[5] = {
        L"Error creating find text box ( mainwin: hwndFindTextBox )",
        L"Error creating find previous button ( mainwin: hwndFindPrev )",
        L"Error creating find next button ( mainwin: hwndFindNext )",
        L"Error creating find highlight button ( mainwin: hwndHighlight )",
        L"Error creating find filter button ( mainwin: hwndFindFilter )"};
    const DWORD styles[5] = {WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, WS_CHILD | BS_PUSHBUTTON,
                             WS_CHILD | BS_DEFPUSHBUTTON, WS_CHILD | BS_CHECKBOX,
                             WS_CHILD | BS_CHECKBOX};
    const auto places = FindBarPlaces(0, true);
    for (int i = 0; i < 5; ++i) {
        const ControlPlace& p = places[static_cast<std::size_t>(i)];
        st.find[i] = CreateWindowExW(0, i == 0 ? L"edit" : L"button", p.text, styles[i], 0, 0, 0, 0,
                                     hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)),
                                     GetModuleHandleW(nullptr), nullptr);
        if (st.find[i] == nullptr) {
            Fatal(failures[i]);
        }
        SendMessageW(st.find[i], WM_SETFONT, reinterpret_cast<WPARAM>(st.font), TRUE);
    }
    SendMessageW(st.find[0], EM_SETLIMITTEXT, find_bar::kMaxText, 0);
    PlaceFindBar(st, true);

#if QUOREL_HAS_MATRIX_VIEW
    st.matrix = std::make_unique<MatrixView>(*st.app);
    st.matrix->Attach(hwnd, st.status);
    st.matrix->SetDpi(st.dpi);
    st.matrix->OnSize(st.clientWidth, st.drawingHeight);
#else
    SetScrollRange(hwnd, SB_HORZ, 0, 100, FALSE);
#endif
    st.app->OnMainWindowCreated();
    st.ready = true;
    ApplyMenuStates(st);
#if QUOREL_HAS_MATRIX_VIEW
    st.matrix->AfterCommand(true, true);
#endif
}

void OnSize(MainState& st, int width, int height) {
    st.clientWidth = width;
    SendMessageW(st.status, WM_SIZE, 0, 0);
    SetStatusParts(st);
    st.ui->ReapplyStatusTexts();
    RECT bar{};
    GetWindowRect(st.status, &bar);
    st.statusHeight = bar.bottom - bar.top;
    st.drawingHeight = height - st.statusHeight;
    PlaceFindBar(st, false);
#if QUOREL_HAS_MATRIX_VIEW
    st.matrix->OnSize(width, st.drawingHeight);
#endif
    InvalidateRect(st.hwnd, nullptr, FALSE);
}

void OnPaint(MainState& st) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(st.hwnd, &ps);
#if QUOREL_HAS_MATRIX_VIEW
    st.matrix->Paint(dc);
#else
    // Until the matrix is drawn here: the shown entries' paths, one a line.
    RECT rc{0, 0, st.clientWidth, st.drawingHeight};
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ old = SelectObject(dc, st.font);
    const DisplayList& lines = st.app->view().lines();
    const int lineHeight = Scale(16, st.dpi);
    for (std::size_t i = 0; i < lines.lineCount() && static_cast<int>(i) * lineHeight < rc.bottom;
         ++i) {
        const std::wstring path = lines.at(i)->path();
        TextOutW(dc, Scale(10, st.dpi), static_cast<int>(i) * lineHeight, path.c_str(),
                 static_cast<int>(path.size()));
    }
    SelectObject(dc, old);
#endif
    EndPaint(st.hwnd, &ps);
}

// Returns true when the window is to close.
bool OnCommand(MainState& st, int id) {
#if QUOREL_HAS_MATRIX_VIEW
    if (st.matrix->HandleCommand(id)) {
        ApplyMenuStates(st);
        PlaceFindBar(st, false);
        return false;
    }
#endif
    const CommandResult result = st.app->Execute(id);
    if (result.quit) {
        return true;
    }
#if QUOREL_HAS_MATRIX_VIEW
    st.matrix->AfterCommand(result.resetScroll, result.redraw);
#else
    if (result.redraw || result.resetScroll) {
        InvalidateRect(st.hwnd, nullptr, FALSE);
    }
#endif
    ApplyMenuStates(st);
    PlaceFindBar(st, false);
    return false;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* st = WindowState<MainState>(hwnd, message, lParam);
    if (st == nullptr || message == WM_NCCREATE) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
#if QUOREL_HAS_MATRIX_VIEW
    if (st->ready && st->matrix) {
        LRESULT handled = 0;
        if (st->matrix->HandleMessage(message, wParam, lParam, handled)) {
            return handled;
        }
    }
#endif
    switch (message) {
        case WM_CREATE:
            OnCreate(hwnd, *st);
            return 0;
        case WM_SIZE:
            if (st->ready) {
                OnSize(*st, LOWORD(lParam), HIWORD(lParam));
            }
            return 0;
        case WM_PAINT:
            OnPaint(*st);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        case WM_COMMAND:
            if (OnCommand(*st, LOWORD(wParam))) {
                DestroyWindow(hwnd);
            }
            return 0;
        case WM_CLOSE:
            if (OnCommand(*st, IDM_EXIT)) {
                DestroyWindow(hwnd);
            }
            return 0;
        case kShowLineMessage:
            // The error window's jump. The matrix view takes a display-list
            // index as its new top line once it offers that.
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_COPYDATA:
#if QUOREL_HAS_TEST_HOOK
            return HandleTestHookCopyData(hwnd, reinterpret_cast<const COPYDATASTRUCT*>(lParam))
                       ? TRUE
                       : FALSE;
#else
            return FALSE;
#endif
        case WM_DESTROY:
            st->ui->AttachMainWindow(nullptr, nullptr);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
}  // namespace

void ShowLineInMainWindow(HWND mainWindow, std::size_t line) {
    PostMessageW(mainWindow, kShowLineMessage, static_cast<WPARAM>(line), 0);
}

void RunMainWindow(AppController& app, GuiInteraction& ui, Win32AppWindows& windows) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    MainState st;
    st.app = &app;
    st.ui = &ui;
    st.windows = &windows;
    st.dpi = ScreenDpi();
    st.menu = LoadMenuW(instance, QUOREL_MAIN_MENU_NAME);
    ModifyMenuW(st.menu, IDM_UNDO, MF_BYCOMMAND | MF_STRING | MF_GRAYED, IDM_UNDO,
                L"Undo: \tCtrl+Z");
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_QUOREL));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClass;
    if (RegisterClassW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        MessageBoxW(nullptr, L"This program requires at least Windows NT!", kClass, MB_ICONERROR);
        return;
    }
    st.font = CreateScaledFont(L"MS Shell Dlg", 12, FW_NORMAL, st.dpi);
    HWND hwnd = CreateWindowExW(0, kClass, L"Quorel", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL,
                                CW_USEDEFAULT, CW_USEDEFAULT, Scale(1024, st.dpi),
                                Scale(600, st.dpi), nullptr, st.menu, instance, &st);
    if (hwnd == nullptr) {
        Fatal(L"Error allocating memory for main window");
    }
    windows.SetMainWindow(hwnd);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    HACCEL accel = LoadAcceleratorsW(instance, QUOREL_MAIN_ACCELERATORS_NAME);
    if (accel == nullptr) {
        MessageBoxW(nullptr, L"Error loading accelerators ( mainwin: hAccelMainwin )", kClass,
                    MB_ICONERROR);
        ExitProcess(0);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(hwnd, accel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    windows.SetMainWindow(nullptr);
    DeleteObject(st.font);
}

}  // namespace quorel::win32
