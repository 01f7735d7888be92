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
#include "ui/win32/matrix_view.h"
#include "ui/win32/test_hook.h"
#include "ui/win32/win32_app_windows.h"
#include "ui/win32/window_support.h"
#include "view/find_bar.h"

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
    std::unique_ptr<MatrixView> matrix;
};

[[noreturn]] void Fatal(const wchar_t* text) {
    MessageBoxW(nullptr, text, nullptr, MB_ICONERROR);
    ExitProcess(0);
}

void ApplyMenuStates(MainState& st) {
    for (const MainMenuItem& item :
         st.matrix->commands().MenuStates(st.matrix->view().menuFlags())) {
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
    const bool shown = st.app->view().find().findMode;
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

// Does what the matrix left to the window: menu states, the find bar.
void Finish(MainState& st, unsigned changes) {
    if (changes & main_view_change::kMenu) {
        ApplyMenuStates(st);
    }
    if (changes & main_view_change::kFindBar) {
        PlaceFindBar(st, false);
        InvalidateRect(st.hwnd, nullptr, FALSE);
    }
    if (changes & main_view_change::kFocusFindText) {
        SetFocus(st.find[0]);
    }
}

void OnCreate(HWND hwnd, MainState& st) {
    st.hwnd = hwnd;
    st.ui->setStatusText(1, L"Fast Scroll");
    st.ui->setStatusText(2, L"Ready.");
    st.ui->setStatusText(0, L"Quorel started.");
    st.matrix = std::make_unique<MatrixView>(*st.app, *st.ui, st.dpi);
    if (const wchar_t* failure = st.matrix->loadFailure()) {
        Fatal(failure);
    }
    RECT rc;
    GetClientRect(hwnd, &rc);
    st.clientWidth = rc.right;
    st.status = CreateWindowExW(0, STATUSCLASSNAMEW, L"status bar", WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                0, hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (st.status == nullptr) {
        Fatal(L"Error creating status bar ( mainwin: hwndStatusBar )");
    }
    SetStatusParts(st);
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

    st.matrix->Attach(hwnd, st.find[0], st.find[3], st.find[4]);
    if (!st.matrix->OnSize(st.clientWidth, st.drawingHeight)) {
        Fatal(L"Error creating compatible bitmap ( mainwin- create: hCompatibleBitmap )");
    }
    st.app->OnMainWindowCreated();
    st.ready = true;
    Finish(st, st.matrix->Apply(st.matrix->view().Start()));
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
    if (!st.matrix->OnSize(width, st.drawingHeight)) {
        Fatal(L"Error creating compatible DC ( mainwin - size: hdcMem )");
    }
}

// For the start-up benchmark: with QUOREL_FIRST_PAINT_REPORT naming a file,
// the first paint writes the milliseconds since the process was created
// into it and ends the process.
void ReportFirstPaint() {
    wchar_t path[MAX_PATH];
    if (GetEnvironmentVariableW(L"QUOREL_FIRST_PAINT_REPORT", path, MAX_PATH) == 0) {
        return;
    }
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    const std::string text = std::to_string((ticks(now) - ticks(created)) / 10000) + "\n";
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    ExitProcess(0);
}

void OnPaint(MainState& st) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(st.hwnd, &ps);
    st.matrix->Paint(dc);
    EndPaint(st.hwnd, &ps);
    ReportFirstPaint();
}

// Returns true when the window is to close.
bool OnCommand(MainState& st, int id) {
    const CommandOutcome outcome = st.matrix->Command(id);
    if (outcome.end) {
        EndProcess(*st.ui, *outcome.end);
    }
    if ((outcome.changes & main_view_change::kQuit) != 0) {
        return true;
    }
    Finish(st, outcome.changes);
    return false;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* st = WindowState<MainState>(hwnd, message, lParam);
    if (st == nullptr || message == WM_NCCREATE) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (st->ready) {
        unsigned changes = 0;
        if (st->matrix->HandleMessage(message, wParam, lParam, changes)) {
            Finish(*st, changes);
            return 0;
        }
    }
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
            if (!st->matrix) {
                break;
            }
            OnPaint(*st);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        case WM_COMMAND:
            if (st->ready && OnCommand(*st, LOWORD(wParam))) {
                DestroyWindow(hwnd);
            }
            return 0;
        case WM_MENUSELECT:
            // Opening the Edit menu: Inherit ACL follows the last click.
            if (st->ready && (HIWORD(wParam) & MF_POPUP) != 0 && LOWORD(wParam) == 1 &&
                reinterpret_cast<HMENU>(lParam) == st->menu) {
                ApplyMenuStates(*st);
            }
            return 0;
        case WM_CLOSE:
            if (OnCommand(*st, IDM_EXIT)) {
                DestroyWindow(hwnd);
            }
            return 0;
        case kShowLineMessage:
            if (st->ready) {
                Finish(*st, st->matrix->ShowLine(static_cast<std::size_t>(wParam)));
            }
            return 0;
        case WM_COPYDATA:
            return HandleTestHookCopyData(hwnd, st->ready ? st->matrix.get() : nullptr,
                                          reinterpret_cast<const COPYDATASTRUCT*>(lParam))
                       ? TRUE
                       : FALSE;
        case WM_DESTROY:
            st->ui->AttachMainWindow(nullptr, nullptr);
            st->ready = false;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
}  // namespace

void ShowLineInMainWindow(HWND mainWindow, std::size_t line) {
    PostMessageW(mainWindow, kShowLineMessage, static_cast<WPARAM>(line), 0);
}

struct MainWindow::State : MainState {};

MainWindow::MainWindow(AppController& app, GuiInteraction& ui, Win32AppWindows& windows)
    : st_(std::make_unique<State>()) {
    st_->app = &app;
    st_->ui = &ui;
    st_->windows = &windows;
    st_->dpi = ScreenDpi();
}

MainWindow::~MainWindow() {
    if (st_->hwnd != nullptr && IsWindow(st_->hwnd)) {
        DestroyWindow(st_->hwnd);
    }
    st_->windows->SetMainWindow(nullptr);
    st_->matrix.reset();
    if (st_->font != nullptr) {
        DeleteObject(st_->font);
    }
}

HWND MainWindow::Create() {
    MainState& st = *st_;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    st.menu = LoadMenuW(instance, QUOREL_MAIN_MENU_NAME);
    ModifyMenuW(st.menu, IDM_UNDO, MF_BYCOMMAND | MF_STRING | MF_GRAYED, IDM_UNDO,
                L"Undo: \tCtrl+Z");
    WNDCLASSW wc{};
    // Double clicks open an ACE's "MODIFYACE" dialog.
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_QUOREL));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClass;
    if (RegisterClassW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        MessageBoxW(nullptr, L"This program requires at least Windows NT!", kClass, MB_ICONERROR);
        return nullptr;
    }
    // The find bar's controls use the matrix's normal font.
    st.font = CreateScaledFont(L"MS Shell Dlg", 14, FW_NORMAL, st.dpi);
    // 1024 x 600 at 96 DPI, scaled, but never larger than the screen.
    const SIZE size = FitToWorkArea(Scale(1024, st.dpi), Scale(600, st.dpi));
    // WS_CLIPCHILDREN: the matrix's bitmap is copied around the find bar.
    HWND hwnd = CreateWindowExW(
        0, kClass, L"Quorel", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_CLIPCHILDREN,
        CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, st.menu, instance, &st);
    if (hwnd == nullptr) {
        Fatal(L"Error allocating memory for main window");
    }
    st.windows->SetMainWindow(hwnd);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    return hwnd;
}

void MainWindow::RunLoop() {
    HACCEL accel = LoadAcceleratorsW(GetModuleHandleW(nullptr), QUOREL_MAIN_ACCELERATORS_NAME);
    if (accel == nullptr) {
        MessageBoxW(nullptr, L"Error loading accelerators ( mainwin: hAccelMainwin )", kClass,
                    MB_ICONERROR);
        ExitProcess(0);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(st_->hwnd, accel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

HWND MainWindow::hwnd() const {
    return st_->hwnd;
}

MainView& MainWindow::view() {
    return st_->matrix->view();
}

void MainWindow::PaintInto(HDC dc) {
    st_->matrix->Paint(dc);
}

void RunMainWindow(AppController& app, GuiInteraction& ui, Win32AppWindows& windows) {
    MainWindow window(app, ui, windows);
    if (window.Create() != nullptr) {
        window.RunLoop();
    }
}

}  // namespace quorel::win32
