#include "ui/win32/configuration_window.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "platform/interaction_port.h"
#include "ui/win32/dpi.h"
#include "ui/win32/window_support.h"

namespace quorel::win32 {

namespace {
constexpr wchar_t kClass[] = L"ChooseConfiguration";
constexpr COLORREF kBackground = RGB(240, 240, 240);

struct Radio {
    int id;
    const wchar_t* text;
    int y;
    std::uint8_t filter;
};
constexpr Radio kRadios[] = {
    {5, L"Show All Files", 120, 1},
    {6, L"Show Only Files Whose Permissions Differ From Those of the Parent Directory", 150, 2},
    {7, L"Show Only Files Which Have at Least One Deny Entry", 180, 3},
    {8, L"Show Only Files With Permissions non-inherited From the Parent Directory", 210, 4},
    {9, L"Show Only Directories", 240, 5},
    {10, L"Show Only Directories Whose Permissions Differ From Those of the Parent Directory", 270,
     6},
    {11, L"Show Only Files Where a User or Group Cannot be Resolved", 300, 7},
    {13, L"Show Only Files Where an Error Occurred while Analysing the ACL", 330, 8},
};

struct ConfigState {
    bool compare = false;
    const ConfigurationPorts* ports = nullptr;
    UINT dpi = 96;
    HFONT font = nullptr;
    HWND directories = nullptr, depth = nullptr, compareFile = nullptr;
    HWND radios[8] = {};
    std::uint8_t filter = 1;
    std::optional<ScanConfiguration> result;
    bool done = false;
};

std::wstring TextOf(HWND control) {
    const int n = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    GetWindowTextW(control, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

std::optional<std::wstring> BrowseFolder(HWND owner) {
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.lpszTitle = L"Choose a Directory";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
    if (pidl == nullptr) {
        return std::nullopt;
    }
    std::vector<wchar_t> path(32768, L'\0');
    const bool ok = SHGetPathFromIDListEx(pidl, path.data(), static_cast<DWORD>(path.size()),
                                          GPFIDL_DEFAULT) != FALSE;
    CoTaskMemFree(pidl);
    if (!ok) {
        return std::nullopt;
    }
    return std::wstring(path.data());
}

void OnCreate(HWND hwnd, ConfigState& st) {
    const UINT d = st.dpi;
    const int y0 = st.compare ? 448 : 398;
    st.directories =
        CreateScaledChild(L"edit", L"", 0x50B00084, 90, 10, 410, 70, hwnd, 4, d, st.font);
    CreateScaledChild(L"button", L"Browse...", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 510, 10, 72,
                      24, hwnd, 1, d, st.font);
    CreateScaledChild(L"button", L"OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 430, y0, 72, 24,
                      hwnd, 2, d, st.font);
    CreateScaledChild(L"button", L"Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 510, y0, 72, 24,
                      hwnd, 3, d, st.font);
    st.depth =
        CreateScaledChild(L"edit", L"0", 0x50802080, 150, y0 - 20, 30, 20, hwnd, 11, d, st.font);
    CreateScaledChild(L"button", L"Choose Filter", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 10, 90, 570,
                      282, hwnd, 0, d, st.font);
    for (int i = 0; i < 8; ++i) {
        const Radio& r = kRadios[i];
        DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
        st.radios[i] =
            CreateScaledChild(L"button", r.text, style, 20, r.y, 550, 20, hwnd, r.id, d, st.font);
        if (st.compare && !StaticFilterAllowedInCompareForm(r.filter)) {
            EnableWindow(st.radios[i], FALSE);
        }
    }
    SendMessageW(st.radios[0], BM_SETCHECK, BST_CHECKED, 0);
    st.filter = 1;
    if (st.compare) {
        st.compareFile =
            CreateScaledChild(L"edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 90,
                              390, 410, 20, hwnd, 11, d, st.font);
        CreateScaledChild(L"button", L"Browse...", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 510, 388,
                          72, 24, hwnd, 12, d, st.font);
    }
    SetFocus(st.directories);
}

void OnOk(HWND hwnd, ConfigState& st) {
    ConfigurationInput input;
    input.directoryText = TextOf(st.directories);
    input.depthText = TextOf(st.depth);
    if (st.compareFile != nullptr) {
        input.compareFile = TextOf(st.compareFile);
    }
    input.staticFilter = st.filter;
    const ConfigurationPorts& p = *st.ports;
    std::optional<ScanConfiguration> config =
        CheckConfiguration(input, st.compare, p.fileSystem, p.files, p.ui);
    if (config) {
        st.result = std::move(config);
        st.done = true;
        DestroyWindow(hwnd);
    }
}

LRESULT CALLBACK ConfigProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* st = WindowState<ConfigState>(hwnd, message, lParam);
    switch (message) {
        case WM_CREATE:
            OnCreate(hwnd, *st);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            HGDIOBJ old = SelectObject(dc, st->font);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(0, 0, 0));
            const int y0 = st->compare ? 448 : 398;
            auto label = [&](int x, int y, const wchar_t* text) {
                TextOutW(dc, Scale(x, st->dpi), Scale(y, st->dpi), text, lstrlenW(text));
            };
            label(10, 10, L"Directory:");
            label(10, y0 - 16, L"Depth (0 for unlimited):");
            if (st->compare) {
                label(10, 390, L"Compare to:");
            }
            SelectObject(dc, old);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return static_cast<LRESULT>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
        case WM_COMMAND: {
            const HWND from = reinterpret_cast<HWND>(lParam);
            switch (LOWORD(wParam)) {
                case 1: {
                    std::wstring text = TextOf(st->directories);
                    if (!text.empty() && text.back() != L'\n') {
                        text += L"\r\n";
                    }
                    if (std::optional<std::wstring> folder = BrowseFolder(hwnd)) {
                        text += *folder;
                    }
                    SetWindowTextW(st->directories, text.c_str());
                    return 0;
                }
                case 2:
                    OnOk(hwnd, *st);
                    return 0;
                case 3:
                    st->done = true;
                    DestroyWindow(hwnd);
                    return 0;
                case 12:
                    if (st->compareFile != nullptr) {
                        if (std::optional<std::wstring> file =
                                st->ports->chooseFile(FileDialog::CompareFile)) {
                            SetWindowTextW(st->compareFile, file->c_str());
                        }
                    }
                    return 0;
                default:
                    // Three controls share id 11: the radio button is the one
                    // that was clicked.
                    for (int i = 0; i < 8; ++i) {
                        if (from == st->radios[i] && HIWORD(wParam) == BN_CLICKED) {
                            st->filter = kRadios[i].filter;
                        }
                    }
                    return 0;
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

std::optional<ScanConfiguration> RunConfigurationWindow(bool compareForm,
                                                        const ConfigurationPorts& ports) {
    static const HBRUSH background =
        CreateSolidBrush(kBackground);  // the class keeps it for the run
    WNDCLASSW wc{};
    wc.lpfnWndProc = ConfigProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = kClass;
    if (RegisterClassW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        MessageBoxW(nullptr, L"This program requires at least Windows NT!", kClass, MB_ICONERROR);
        return std::nullopt;
    }
    ConfigState st;
    st.compare = compareForm;
    st.ports = &ports;
    st.dpi = ScreenDpi();
    st.font = CreateScaledFont(L"MS Shell Dlg", 12, FW_NORMAL, st.dpi);
    HWND hwnd =
        CreateWindowExW(0, kClass, L"New Scan", 0x00400084 | WS_CAPTION, CW_USEDEFAULT,
                        CW_USEDEFAULT, Scale(600, st.dpi), Scale(compareForm ? 510 : 460, st.dpi),
                        nullptr, nullptr, GetModuleHandleW(nullptr), &st);
    if (hwnd == nullptr) {
        MessageBoxW(nullptr, L"Error creating configuration window", kClass, MB_ICONERROR);
        DeleteObject(st.font);
        return std::nullopt;
    }
    RunUntilDone(hwnd, st.done);
    DeleteObject(st.font);
    return st.result;
}

}  // namespace quorel::win32
