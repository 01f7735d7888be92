#include "ui/win32/filter_window_controls.h"

#include <vector>

#include "ui/win32/dpi.h"

namespace quorel::win32 {

namespace {
// Room for the list a combo box drops down, at 96 DPI.
constexpr int kDropDownRoom = 240;
}  // namespace

HWND CreateWindowControl(HWND parent, const WindowControl& c, UINT dpi, HFONT font) {
    const wchar_t* cls = L"button";
    DWORD style = WS_CHILD | WS_VISIBLE;
    int height = c.height;
    switch (c.kind) {
        case ControlKind::GroupBox:
            style |= BS_GROUPBOX;
            break;
        case ControlKind::DropDownList:
            cls = L"combobox";
            style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
            height += kDropDownRoom;
            break;
        case ControlKind::SortedList:
            cls = L"combobox";
            style |= CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
            height += kDropDownRoom;
            break;
        case ControlKind::SubjectBox:
            cls = L"combobox";
            style |= CBS_DROPDOWN | CBS_SORT | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
            height += kDropDownRoom;
            break;
        case ControlKind::Edit:
            cls = L"edit";
            style |= WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
            break;
        case ControlKind::PushButton:
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::DefaultButton:
            style |= BS_DEFPUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::VerticalScrollBar:
            cls = L"scrollbar";
            style |= SBS_VERT;
            break;
        case ControlKind::RadioButton:
            style |= BS_RADIOBUTTON;
            break;
        case ControlKind::CheckBox:
            style |= BS_CHECKBOX | WS_TABSTOP;
            break;
    }
    const std::wstring text(c.text);
    const int id = c.id < 0 ? 0xFFFF : c.id;
    return CreateScaledChild(cls, text.c_str(), style, c.x, c.y, c.width, height, parent, id, dpi,
                             font);
}

std::wstring WindowText(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

std::wstring ComboItemText(HWND combo, int index) {
    const LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

int SelectComboText(HWND combo, const std::wstring& text) {
    // CB_FINDSTRINGEXACT ignores case: walk its hits until the exact one.
    int from = -1;
    int first = -1;
    for (;;) {
        const auto hit =
            static_cast<int>(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(from),
                                          reinterpret_cast<LPARAM>(text.c_str())));
        if (hit == CB_ERR || hit == first) {
            break;
        }
        if (first < 0) {
            first = hit;
        }
        if (ComboItemText(combo, hit) == text) {
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(hit), 0);
            return hit;
        }
        if (hit <= from) {
            break;  // wrapped around
        }
        from = hit;
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return -1;
}

HBRUSH FilterWindowBackground() {
    static const HBRUSH brush = CreateSolidBrush(RGB(240, 240, 240));  // made once, never freed
    return brush;
}

}  // namespace quorel::win32
