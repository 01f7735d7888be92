#include "ui/win32/dynamic_filter_window.h"

#include <windowsx.h>

#include <array>
#include <cstdint>
#include <string>

#include "filters/dynamic_filter_editor.h"
#include "filters/filter_window_layout.h"
#include "filters/permissions.h"
#include "ui/win32/dpi.h"
#include "ui/win32/filter_window_controls.h"
#include "ui/win32/gui_interaction.h"
#include "ui/win32/window_support.h"

namespace quorel::win32 {

namespace {

constexpr wchar_t kClass[] = L"DynamicFilters";
using namespace filter_window;

struct SlotControls {
    HWND subject = nullptr, op = nullptr, permission = nullptr, edit = nullptr;
    HWND minus = nullptr, plus = nullptr;
    bool subjectsFilled = false;
};

struct FilterWindowState {
    DynamicFilterEditor* editor = nullptr;
    bool* closed = nullptr;
    HWND owner = nullptr;
    UINT dpi = 96;
    HFONT font = nullptr;
    HWND staticList = nullptr;
    std::array<SlotControls, DynamicFilterEditor::kSlots> slots;
    HWND scroll = nullptr;
    HWND andRadio = nullptr, orRadio = nullptr;
    std::uint64_t shownRevision = 0;
    bool filling = false;  // notifications of the window's own changes are not the user's
};

// The text line height L at 96 DPI: the font's height and external leading.
int LineHeight96(HWND hwnd, HFONT font, UINT dpi) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return MulDiv(tm.tmHeight + tm.tmExternalLeading, 96, static_cast<int>(dpi));
}

void FillSubjects(HWND combo, const std::vector<std::wstring>& subjects) {
    std::size_t bytes = 0;
    for (const std::wstring& s : subjects) {
        bytes += (s.size() + 1) * sizeof(wchar_t);
    }
    // One allocation for all items, each appended: they come sorted, and
    // CB_ADDSTRING would compare every one with its neighbours again.
    SendMessageW(combo, CB_INITSTORAGE, subjects.size(), static_cast<LPARAM>(bytes));
    for (const std::wstring& s : subjects) {
        SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(s.c_str()));
    }
}

void Show(HWND control, bool shown) {
    ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

void ShowSlots(FilterWindowState& st) {
    const DynamicFilterEditor& e = *st.editor;
    st.filling = true;
    for (int k = 0; k < DynamicFilterEditor::kSlots; ++k) {
        const FilterSlot& slot = e.slot(k);
        SlotControls& c = st.slots[static_cast<std::size_t>(k)];
        if (slot.shown) {
            // Each subject list is filled once per opening, when its slot
            // first shows a row: with tens of thousands of accounts filling
            // all seven at once takes a noticeable time.
            if (!c.subjectsFilled) {
                FillSubjects(c.subject, e.subjects());
                c.subjectsFilled = true;
            }
            // Selected by its index in the list, not searched for in it.
            const int subject = e.subjectIndex(slot.subject);
            SendMessageW(c.subject, CB_SETCURSEL, static_cast<WPARAM>(subject), 0);
            if (subject < 0) {
                SetWindowTextW(c.subject, slot.subject.c_str());  // a name not in the list
            }
            SendMessageW(c.op, CB_RESETCONTENT, 0, 0);
            for (FilterOperator op : slot.operators) {
                const std::wstring text(OperatorText(op));
                SendMessageW(c.op, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            }
            SelectComboText(c.op, slot.op ? std::wstring(OperatorText(*slot.op)) : L"");
            SendMessageW(c.permission, CB_SETCURSEL,
                         slot.permission <= 14 ? slot.permission : static_cast<WPARAM>(-1), 0);
            if (WindowText(c.edit) != slot.editText) {
                SetWindowTextW(c.edit, slot.editText.c_str());
            }
        }
        Show(c.subject, slot.shown);
        Show(c.op, slot.shown);
        Show(c.permission, slot.shown && slot.permissionShown);
        Show(c.edit, slot.shown && slot.editShown);
        Show(c.minus, slot.buttonsShown);
        Show(c.plus, slot.buttonsShown);
    }
    SetScrollRange(st.scroll, SB_CTL, 0, e.scrollMaximum(), FALSE);
    SetScrollPos(st.scroll, SB_CTL, e.scrollPosition(), TRUE);
    // Greyed while all rows fit: a thumb that cannot move looks movable.
    EnableWindow(st.scroll, e.scrollMaximum() > 0);
    st.shownRevision = e.revision();
    st.filling = false;
}

void ShowSlotsIfChanged(FilterWindowState& st) {
    if (st.editor->revision() != st.shownRevision) {
        ShowSlots(st);
    }
}

void ShowCombination(FilterWindowState& st) {
    const bool orMode = st.editor->orChosen();
    SendMessageW(st.andRadio, BM_SETCHECK, orMode ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageW(st.orRadio, BM_SETCHECK, orMode ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OnCreate(HWND hwnd, FilterWindowState& st) {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    const int w = MulDiv(rc.right, 96, static_cast<int>(st.dpi));
    const int h = MulDiv(rc.bottom, 96, static_cast<int>(st.dpi));
    const int l = LineHeight96(hwnd, st.font, st.dpi);
    for (const WindowControl& c : DynamicFilterWindowControls(w, h, l)) {
        HWND control = CreateWindowControl(hwnd, c, st.dpi, st.font);
        if (const auto slot = SlotOfControl(c.id)) {
            SlotControls& s = st.slots[static_cast<std::size_t>(slot->slot)];
            switch (slot->part) {
                case kSubject:
                    s.subject = control;
                    break;
                case kOperator:
                    s.op = control;
                    break;
                case kPermission:
                    s.permission = control;
                    break;
                case kEdit:
                    s.edit = control;
                    break;
                case kMinus:
                    s.minus = control;
                    break;
                case kPlus:
                    s.plus = control;
                    break;
            }
        } else if (c.id == kStaticList) {
            st.staticList = control;
        } else if (c.id == kScrollBar) {
            st.scroll = control;
        } else if (c.id == kAnd) {
            st.andRadio = control;
        } else if (c.id == kOr) {
            st.orRadio = control;
        }
    }
    const DynamicFilterEditor& e = *st.editor;
    for (std::uint8_t value : e.staticFilterValues()) {
        const std::wstring label(DynamicFilterEditor::StaticFilterLabel(value));
        SendMessageW(st.staticList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
    }
    SendMessageW(st.staticList, CB_SETCURSEL, static_cast<WPARAM>(e.staticFilterSelection()), 0);
    for (SlotControls& s : st.slots) {
        for (int i = 0; i <= 14; ++i) {
            SendMessageW(s.permission, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(rightForFilterIndex(i)->filterLabel));
        }
    }
    ShowCombination(st);
    ShowSlots(st);
}

void Close(HWND hwnd, FilterWindowState& st) {
    // The owner first, so that it is activated when this window goes.
    if (st.owner != nullptr) {
        EnableWindow(st.owner, TRUE);
    }
    DestroyWindow(hwnd);
}

void OnSlotCommand(FilterWindowState& st, const SlotControl& sc, int code, HWND control) {
    DynamicFilterEditor& e = *st.editor;
    const int k = sc.slot;
    switch (sc.part) {
        case kSubject:
            if (code == CBN_SELCHANGE) {
                const auto i = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
                e.ChooseSubject(k, ComboItemText(control, i));
            } else if (code == CBN_EDITCHANGE) {
                e.TypeSubject(k, WindowText(control));
            }
            break;
        case kOperator:
            if (code == CBN_SELCHANGE) {
                const auto i = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
                if (const auto op = OperatorFromText(ComboItemText(control, i))) {
                    e.ChooseOperator(k, *op);
                }
            }
            break;
        case kPermission:
            if (code == CBN_SELCHANGE) {
                const auto i = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
                if (i >= 0) {
                    e.ChoosePermission(k, static_cast<std::uint32_t>(i));
                }
            }
            break;
        case kEdit:
            if (code == EN_CHANGE) {
                e.TypeEditText(k, WindowText(control));
            } else if (code == EN_KILLFOCUS) {
                e.EditLostFocus(k);
            }
            break;
        case kMinus:
            if (code == BN_CLICKED) {
                e.Minus(k);
            }
            break;
        case kPlus:
            if (code == BN_CLICKED) {
                if (std::optional<ProcessEnd> end = e.Plus(k)) {
                    EndProcess(e.ui(), *end);
                }
            }
            break;
    }
}

void OnCommand(HWND hwnd, FilterWindowState& st, int id, int code, HWND control) {
    DynamicFilterEditor& e = *st.editor;
    if (const auto sc = SlotOfControl(id)) {
        if (!st.filling) {
            OnSlotCommand(st, *sc, code, control);
            ShowSlotsIfChanged(st);
        }
        return;
    }
    switch (id) {
        case kStaticList:
            if (code == CBN_SELCHANGE) {
                const auto i = SendMessageW(control, CB_GETCURSEL, 0, 0);
                if (i >= 0) {
                    e.ChooseStaticFilter(static_cast<std::size_t>(i));
                }
            }
            return;
        case kAnd:
        case kOr:
            if (code == BN_CLICKED) {
                e.ChooseCombination(id == kOr);
                ShowCombination(st);
            }
            return;
        case kOk:
            e.Ok();
            Close(hwnd, st);
            return;
        case kCancel:
            e.Cancel();
            Close(hwnd, st);
            return;
        default:
            return;
    }
}

DynamicFilterEditor::Scroll ScrollAction(int code) {
    switch (code) {
        case SB_LINEUP:
            return DynamicFilterEditor::Scroll::LineUp;
        case SB_LINEDOWN:
            return DynamicFilterEditor::Scroll::LineDown;
        case SB_PAGEUP:
            return DynamicFilterEditor::Scroll::PageUp;
        case SB_PAGEDOWN:
            return DynamicFilterEditor::Scroll::PageDown;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            return DynamicFilterEditor::Scroll::Thumb;
        default:
            return DynamicFilterEditor::Scroll::Other;
    }
}

LRESULT CALLBACK FilterWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* st = WindowState<FilterWindowState>(hwnd, message, lParam);
    if (st == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    switch (message) {
        case WM_CREATE:
            OnCreate(hwnd, *st);
            return 0;
        case WM_COMMAND:
            OnCommand(hwnd, *st, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_VSCROLL:
            if (reinterpret_cast<HWND>(lParam) == st->scroll) {
                const int code = LOWORD(wParam);
                if (code != SB_ENDSCROLL) {
                    st->editor->OnScroll(ScrollAction(code), HIWORD(wParam));
                    ShowSlotsIfChanged(*st);
                }
            }
            return 0;
        case WM_MOUSEWHEEL:
            st->editor->OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            ShowSlotsIfChanged(*st);
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(FilterWindowBackground());
        }
        case WM_CLOSE:
            st->editor->Close();
            Close(hwnd, *st);
            return 0;
        case WM_NCDESTROY: {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            *st->closed = true;
            DeleteObject(st->font);
            delete st;
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

HWND OpenDynamicFilterWindow(HWND owner, DynamicFilterEditor& editor, bool& closed) {
    closed = false;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = FilterWindowProc;
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
    auto* st = new FilterWindowState;
    st->editor = &editor;
    st->closed = &closed;
    st->owner = owner;
    st->dpi = ScreenDpi();
    st->font = CreateScaledFont(L"MS Shell Dlg", 12, FW_NORMAL, st->dpi);
    if (owner != nullptr) {
        EnableWindow(owner, FALSE);
    }
    HWND hwnd = CreateWindowExW(0, kClass, L"Set Dynamic Filters",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, Scale(kWidth, st->dpi),
                                Scale(kHeight, st->dpi), owner, nullptr, instance, st);
    if (hwnd == nullptr) {
        if (owner != nullptr) {
            EnableWindow(owner, TRUE);
        }
        if (!closed) {
            // No WM_NCDESTROY came to free the state.
            DeleteObject(st->font);
            delete st;
        }
        MessageBoxW(nullptr, L"Error creating window for dynamic filters", kClass, MB_ICONERROR);
        closed = true;
        return nullptr;
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    return hwnd;
}

void RunDynamicFilterWindow(HWND owner, DynamicFilterEditor& editor) {
    bool closed = false;
    if (OpenDynamicFilterWindow(owner, editor, closed) == nullptr) {
        return;
    }
    MSG msg;
    while (!closed && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace quorel::win32
