// The dialog templates of quorel.exe, compiled into this test program,
// created hidden: every control with its id, kind and text, where given its
// place in dialog units, and every text fitting its control.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resource.h"

namespace {

HINSTANCE instance() {
    return GetModuleHandleW(nullptr);
}

// ---------------------------------------------------------------------------
// Dialogs

INT_PTR CALLBACK plainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// A dialog created from its template, hidden, destroyed at the end.
class Dialog {
  public:
    explicit Dialog(const wchar_t* name)
        : hwnd_(CreateDialogParamW(instance(), name, nullptr, plainDialogProc, 0)) {}
    ~Dialog() {
        if (hwnd_ != nullptr) {
            DestroyWindow(hwnd_);
        }
    }
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    HWND hwnd() const { return hwnd_; }

    // Dialog units to client pixels, with this dialog's font, as the dialog
    // manager places a control: its origin and its size each converted.
    RECT pixels(int x, int y, int w, int h) const {
        RECT origin{x, y, w, h};
        MapDialogRect(hwnd_, &origin);
        return RECT{origin.left, origin.top, origin.left + origin.right,
                    origin.top + origin.bottom};
    }

  private:
    HWND hwnd_;
};

enum class Kind {
    PushButton,
    DefaultButton,
    CheckBox,  // plain: the program sets the check mark itself
    AutoCheckBox,
    AutoRadio,
    GroupBox,
    LeftText,
    CentredText,
    Edit,
    NumberEdit,
    MultiLineEdit,
    DropDownList,
    SortedDropDown,
};

struct Control {
    int id;
    Kind kind;
    std::wstring text;
    bool disabled = false;
};

struct Actual {
    HWND hwnd;
    int id;
    std::wstring className;
    std::wstring text;
    LONG style;
};

std::wstring windowText(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

std::vector<Actual> children(HWND dialog) {
    std::vector<Actual> list;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[64] = {};
        GetClassNameW(child, cls, 64);
        list.push_back(
            {child, GetDlgCtrlID(child), cls, windowText(child), GetWindowLongW(child, GWL_STYLE)});
    }
    return list;
}

bool iequal(const std::wstring& a, const wchar_t* b) {
    return lstrcmpiW(a.c_str(), b) == 0;
}

void checkKind(const Actual& a, Kind kind) {
    const LONG button = a.style & BS_TYPEMASK;
    switch (kind) {
        case Kind::PushButton:
            EXPECT_TRUE(iequal(a.className, L"Button")) << "class";
            EXPECT_TRUE(button == BS_PUSHBUTTON || button == BS_DEFPUSHBUTTON) << "push button";
            break;
        case Kind::DefaultButton:
            EXPECT_TRUE(iequal(a.className, L"Button")) << "class";
            EXPECT_EQ(button, BS_DEFPUSHBUTTON) << "default push button";
            break;
        case Kind::CheckBox:
            EXPECT_TRUE(iequal(a.className, L"Button")) << "class";
            EXPECT_EQ(button, BS_CHECKBOX) << "plain check box";
            break;
        case Kind::AutoCheckBox:
            EXPECT_TRUE(iequal(a.className, L"Button")) << "class";
            EXPECT_EQ(button, BS_AUTOCHECKBOX) << "automatic check box";
            break;
        case Kind::AutoRadio:
            EXPECT_TRUE(iequal(a.className, L"Button")) << "class";
            EXPECT_EQ(button, BS_AUTORADIOBUTTON) << "radio button";
            break;
        case Kind::GroupBox:
            EXPECT_TRUE(iequal(a.className, L"Button")) << "class";
            EXPECT_EQ(button, BS_GROUPBOX) << "group box";
            break;
        case Kind::LeftText:
            EXPECT_TRUE(iequal(a.className, L"Static")) << "class";
            EXPECT_EQ(a.style & SS_TYPEMASK, SS_LEFT) << "left-aligned text";
            break;
        case Kind::CentredText:
            EXPECT_TRUE(iequal(a.className, L"Static")) << "class";
            EXPECT_EQ(a.style & SS_TYPEMASK, SS_CENTER) << "centred text";
            break;
        case Kind::Edit:
            EXPECT_TRUE(iequal(a.className, L"Edit")) << "class";
            EXPECT_EQ(a.style & (ES_MULTILINE | ES_NUMBER), 0) << "single-line edit";
            break;
        case Kind::NumberEdit:
            EXPECT_TRUE(iequal(a.className, L"Edit")) << "class";
            EXPECT_NE(a.style & ES_NUMBER, 0) << "digits only";
            break;
        case Kind::MultiLineEdit:
            EXPECT_TRUE(iequal(a.className, L"Edit")) << "class";
            EXPECT_NE(a.style & ES_MULTILINE, 0) << "multi-line";
            EXPECT_NE(a.style & ES_WANTRETURN, 0) << "Enter starts a new line";
            break;
        case Kind::DropDownList:
            EXPECT_TRUE(iequal(a.className, L"ComboBox")) << "class";
            EXPECT_EQ(a.style & 3, CBS_DROPDOWNLIST) << "drop-down list";
            break;
        case Kind::SortedDropDown:
            EXPECT_TRUE(iequal(a.className, L"ComboBox")) << "class";
            EXPECT_EQ(a.style & 3, CBS_DROPDOWN) << "editable drop-down";
            EXPECT_NE(a.style & CBS_SORT, 0) << "sorted";
            break;
    }
}

RECT clientRect(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The widest line of a control's text in the dialog's font, without the
// mnemonic ampersands.
int textWidth(HWND dialog, const std::wstring& text) {
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    int widest = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        std::wstring line = text.substr(start, end - start);
        line.erase(std::remove(line.begin(), line.end(), L'\r'), line.end());
        line.erase(std::remove(line.begin(), line.end(), L'&'), line.end());
        SIZE size{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        widest = std::max<int>(widest, size.cx);
        start = end + 1;
    }
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return widest;
}

// The controls in template (tab) order, each with its id, kind and text;
// every control inside the dialog's client area, and every text fitting its
// control.
void checkControls(const Dialog& dialog, const std::vector<Control>& expected) {
    const std::vector<Actual> actual = children(dialog.hwnd());
    ASSERT_EQ(actual.size(), expected.size()) << "number of controls";
    RECT client;
    GetClientRect(dialog.hwnd(), &client);
    const RECT checkMark = dialog.pixels(0, 0, 12, 10);  // the box and its gap
    for (size_t i = 0; i < expected.size(); ++i) {
        const Control& e = expected[i];
        const Actual& a = actual[i];
        SCOPED_TRACE(testing::PrintToString(e.text) + " (control " + std::to_string(e.id) + ")");
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.text, e.text);
        checkKind(a, e.kind);
        EXPECT_EQ((a.style & WS_DISABLED) != 0, e.disabled) << "disabled";
        const RECT r = clientRect(dialog.hwnd(), a.hwnd);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right &&
                    r.bottom <= client.bottom)
            << "outside the dialog: " << r.left << "," << r.top << " - " << r.right << ","
            << r.bottom;
        if (!e.text.empty()) {
            int room = r.right - r.left;
            if (e.kind == Kind::CheckBox || e.kind == Kind::AutoCheckBox ||
                e.kind == Kind::AutoRadio) {
                room -= checkMark.right;
            }
            if (e.kind == Kind::GroupBox) {
                room -= 2 * checkMark.bottom;
            }
            EXPECT_LE(textWidth(dialog.hwnd(), e.text), room) << "text cut off";
        }
    }
}

void checkCaption(const Dialog& dialog, const wchar_t* caption) {
    ASSERT_NE(dialog.hwnd(), nullptr);
    EXPECT_EQ(windowText(dialog.hwnd()), caption);
    const LONG style = GetWindowLongW(dialog.hwnd(), GWL_STYLE);
    const LONG frame = static_cast<LONG>(WS_POPUP | WS_CAPTION | DS_MODALFRAME);
    EXPECT_EQ(style & frame, frame) << "a popup with caption and modal frame";
}

// Position and size in dialog units.
void checkPlace(const Dialog& dialog, int id, int x, int y, int w, int h) {
    SCOPED_TRACE("control " + std::to_string(id));
    HWND control = GetDlgItem(dialog.hwnd(), id);
    ASSERT_NE(control, nullptr);
    const RECT want = dialog.pixels(x, y, w, h);
    const RECT got = clientRect(dialog.hwnd(), control);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

void checkClientSize(const Dialog& dialog, int w, int h) {
    const RECT want = dialog.pixels(0, 0, w, h);
    RECT got;
    GetClientRect(dialog.hwnd(), &got);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

TEST(Dialogs, AboutHasTheButtonsTextAndPlacesOfItsTemplate) {
    Dialog dialog(MAKEINTRESOURCEW(IDD_ABOUT));
    checkCaption(dialog, L"About Quorel");
    checkControls(dialog, {
                              {IDOK, Kind::DefaultButton, L"OK"},
                              {IDC_ABOUT_VISIT_WEBSITE, Kind::PushButton, L"&Visit Website"},
                              {IDC_ABOUT_SEND_EMAIL, Kind::PushButton, L"&Send Email"},
                              {-1, Kind::GroupBox, L""},
                              {IDC_ABOUT_TEXT, Kind::CentredText, L""},
                          });
    checkClientSize(dialog, 239, 122);
    checkPlace(dialog, IDOK, 174, 18, 50, 14);
    checkPlace(dialog, IDC_ABOUT_VISIT_WEBSITE, 174, 35, 50, 14);
    checkPlace(dialog, IDC_ABOUT_SEND_EMAIL, 174, 52, 50, 14);
    checkPlace(dialog, -1, 7, 7, 225, 108);
    checkPlace(dialog, IDC_ABOUT_TEXT, 16, 18, 144, 91);
}

TEST(Dialogs, DepthTakesDigitsOnlyAtTheGivenPlaces) {
    Dialog dialog(MAKEINTRESOURCEW(IDD_DEPTH));
    checkCaption(dialog, L"Set displayed depth");
    checkControls(dialog, {
                              {-1, Kind::LeftText, L"Enter desired depth (0 for unlimited):"},
                              {IDC_DEPTH_EDIT, Kind::NumberEdit, L""},
                              {IDOK, Kind::DefaultButton, L"&OK"},
                              {IDCANCEL, Kind::PushButton, L"&Cancel"},
                          });
    checkClientSize(dialog, 194, 62);
    checkPlace(dialog, IDC_DEPTH_EDIT, 150, 17, 22, 12);
    checkPlace(dialog, IDOK, 78, 45, 50, 14);
    checkPlace(dialog, IDCANCEL, 138, 45, 50, 14);
    // The label starts at (14, 19).
    const RECT label = clientRect(dialog.hwnd(), GetWindow(dialog.hwnd(), GW_CHILD));
    const RECT want = dialog.pixels(14, 19, 0, 0);
    EXPECT_EQ(label.left, want.left);
    EXPECT_EQ(label.top, want.top);
}

TEST(Dialogs, LoadingShowsTwoLinesAndNoButton) {
    Dialog dialog(MAKEINTRESOURCEW(IDD_LOADING));
    checkCaption(dialog, L"Loading dataset");
    checkControls(dialog, {
                              {-1, Kind::CentredText, L"Loading data set..."},
                              {-1, Kind::CentredText, L"This could take several minutes."},
                          });
    // Modeless: nothing on it closes it but the program.
    EXPECT_EQ(GetWindowLongW(dialog.hwnd(), GWL_STYLE) & WS_SYSMENU, 0);
}

TEST(Dialogs, ProjectSettingsHasItsEditsCheckBoxAndButtons) {
    Dialog dialog(MAKEINTRESOURCEW(IDD_PROJECT_SETTINGS));
    checkCaption(dialog, L"Project Settings");
    checkControls(dialog, {
                              {-1, Kind::GroupBox, L"Manage Project Settings"},
                              {-1, Kind::LeftText, L"Directories:"},
                              {IDC_PROJECT_DIRECTORIES, Kind::MultiLineEdit, L""},
                              {-1, Kind::LeftText, L"Name of Output File\r\nWithout Extension:"},
                              {IDC_PROJECT_OUTPUT_NAME, Kind::Edit, L""},
                              {IDC_PROJECT_ADD_COUNTER, Kind::CheckBox,
                               L"Prevent Overwriting of Old Files by Adding Counter to Filename"},
                              {IDC_PROJECT_OPEN, Kind::PushButton, L"&Open Project File"},
                              {IDC_PROJECT_SAVE, Kind::DefaultButton, L"&Save Project File"},
                              {IDCANCEL, Kind::PushButton, L"&Cancel"},
                          });
}

TEST(Dialogs, AddUserHasTheListChoiceTheNameBoxDenyAndRebuild) {
    Dialog dialog(MAKEINTRESOURCEW(IDD_ADD_USER));
    checkCaption(dialog, L"Add user");
    checkControls(dialog, {
                              {-1, Kind::GroupBox, L"Select user or group to add to ACL"},
                              {IDC_ADD_USER_LIST, Kind::DropDownList, L""},
                              {IDC_ADD_USER_NAME, Kind::SortedDropDown, L""},
                              {IDC_ADD_USER_DENY, Kind::CheckBox, L"Deny Entry"},
                              {IDC_ADD_USER_REBUILD, Kind::PushButton, L"Rebuild Userlists"},
                              {IDOK, Kind::DefaultButton, L"&OK"},
                              {IDCANCEL, Kind::PushButton, L"&Cancel"},
                          });
}

TEST(Dialogs, ModifyInheritanceFlagsHasFourPlainCheckBoxes) {
    Dialog dialog(MAKEINTRESOURCEW(IDD_MODIFY_INHERITANCE_FLAGS));
    checkCaption(dialog, L"Modify Inheritance Flags");
    checkControls(dialog, {
                              {-1, Kind::GroupBox, L"Available inheritance flags"},
                              {20, Kind::CheckBox, L"Inherit only"},
                              {21, Kind::CheckBox, L"Inherit to files"},
                              {22, Kind::CheckBox, L"Inherit to folders"},
                              {23, Kind::CheckBox, L"Don't propagate"},
                              {IDOK, Kind::DefaultButton, L"&OK"},
                              {IDCANCEL, Kind::PushButton, L"&Cancel"},
                          });
}

TEST(Dialogs, InheritanceSettingsStartsWithGiveBackOwnershipDisabled) {
    Dialog dialog(MAKEINTRESOURCEW(IDD_INHERITANCE_SETTINGS));
    checkCaption(dialog, L"Inheritance settings");
    checkControls(
        dialog,
        {
            {-1, Kind::LeftText, L"Try to get ownership of a file or directory if inherit fails"},
            {-1, Kind::LeftText, L"(needs admin priviliges)?"},
            {20, Kind::CheckBox, L"Automatically take ownership"},
            {21, Kind::CheckBox, L"Give back ownership after access (if possible)", true},
            {22, Kind::CheckBox, L"Leave non inherited ACEs untouched"},
            {23, Kind::CheckBox,
             L"Do not inherit to files and folders which where not inherited before"},
            {IDOK, Kind::DefaultButton, L"&OK"},
            {IDCANCEL, Kind::PushButton, L"&Cancel"},
        });
}

TEST(Dialogs, RestoreSettingsHasTwoChoicesAndTheOwnershipBoxes) {
    Dialog dialog(MAKEINTRESOURCEW(IDD_RESTORE_SETTINGS));
    checkCaption(dialog, L"Restore permissions - settings");
    checkControls(dialog, {
                              {-1, Kind::LeftText, L"What has to be done with new files/folders?"},
                              {20, Kind::AutoRadio, L"apply inheritance rules"},
                              {21, Kind::AutoRadio, L"do nothing"},
                              {22, Kind::CheckBox, L"Try to get ownership"},
                              {23, Kind::CheckBox, L"Give back ownership", true},
                              {IDOK, Kind::DefaultButton, L"&OK"},
                              {IDCANCEL, Kind::PushButton, L"&Cancel"},
                          });
    // The two choices are one group, the ownership boxes start the next.
    EXPECT_NE(GetWindowLongW(GetDlgItem(dialog.hwnd(), 20), GWL_STYLE) & WS_GROUP, 0);
    EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog.hwnd(), 21), GWL_STYLE) & WS_GROUP, 0);
    EXPECT_NE(GetWindowLongW(GetDlgItem(dialog.hwnd(), 22), GWL_STYLE) & WS_GROUP, 0);
}

TEST(Dialogs, ModifyAceHasTypeFlagsAndTheNineteenRights) {
    Dialog dialog(QUOREL_MODIFY_ACE_DIALOG_NAME);
    checkCaption(dialog, L"Modify ACE");
    const wchar_t* rights[IDC_MODIFY_ACE_RIGHT_COUNT] = {
        L"All Permissions (all)",
        L"GENERIC_ALL (alternate ALL flags)",
        L"GENERIC_READ (alternate read flag)",
        L"GENERIC_WRITE (alternate write flag)",
        L"GENERIC_EXECUTE (alternate execute flag)",
        L"Execute / Search Folders (ex)",
        L"Read / List Folders (rd)",
        L"Read Attributes (rd_a)",
        L"Read Exteded Attributes (rd_ea)",
        L"Write / Create Files (wr)",
        L"Append Data / Create Folders (app)",
        L"Write Attributes (wr_a)",
        L"Write Extended Attributes (wr_ea)",
        L"Delete (del)",
        L"Read Permissions (rd_p)",
        L"Write Permissions (wr_p)",
        L"Take Ownership (ow_t)",
        L"Delete Child (del_ch)",
        L"Synchronize (sync)",
    };
    std::vector<Control> controls = {
        {IDC_MODIFY_ACE_TRUSTEE, Kind::LeftText, L""},
        {-1, Kind::GroupBox, L"Type"},
        {IDC_MODIFY_ACE_ALLOW, Kind::AutoRadio, L"Allow"},
        {IDC_MODIFY_ACE_DENY, Kind::AutoRadio, L"Deny"},
        {-1, Kind::GroupBox, L"Inheritance flags"},
        {IDC_MODIFY_ACE_INHERITED, Kind::AutoCheckBox, L"Inherited"},
        {IDC_MODIFY_ACE_INHERIT_ONLY, Kind::AutoCheckBox, L"Inherit only"},
        {IDC_MODIFY_ACE_INHERIT_TO_FILES, Kind::AutoCheckBox, L"Inherit to files"},
        {IDC_MODIFY_ACE_INHERIT_TO_FOLDERS, Kind::AutoCheckBox, L"Inherit to folders"},
        {IDC_MODIFY_ACE_DONT_PROPAGATE, Kind::AutoCheckBox, L"Don't propagate"},
        {-1, Kind::GroupBox, L"Permissions"},
    };
    for (int i = 0; i < IDC_MODIFY_ACE_RIGHT_COUNT; ++i) {
        controls.push_back({IDC_MODIFY_ACE_FIRST_RIGHT + i, Kind::AutoCheckBox, rights[i]});
    }
    controls.push_back({IDOK, Kind::DefaultButton, L"&OK"});
    controls.push_back({IDCANCEL, Kind::PushButton, L"&Cancel"});
    checkControls(dialog, controls);
}

TEST(Dialogs, ControlsOfADialogDoNotOverlapExceptInsideGroupBoxes) {
    const wchar_t* dialogs[] = {
        MAKEINTRESOURCEW(IDD_ABOUT),
        MAKEINTRESOURCEW(IDD_DEPTH),
        MAKEINTRESOURCEW(IDD_LOADING),
        MAKEINTRESOURCEW(IDD_PROJECT_SETTINGS),
        MAKEINTRESOURCEW(IDD_ADD_USER),
        MAKEINTRESOURCEW(IDD_MODIFY_INHERITANCE_FLAGS),
        MAKEINTRESOURCEW(IDD_INHERITANCE_SETTINGS),
        MAKEINTRESOURCEW(IDD_RESTORE_SETTINGS),
        QUOREL_MODIFY_ACE_DIALOG_NAME,
    };
    for (const wchar_t* name : dialogs) {
        Dialog dialog(name);
        ASSERT_NE(dialog.hwnd(), nullptr);
        SCOPED_TRACE(testing::PrintToString(windowText(dialog.hwnd())));
        const std::vector<Actual> list = children(dialog.hwnd());
        for (size_t i = 0; i < list.size(); ++i) {
            for (size_t j = i + 1; j < list.size(); ++j) {
                const bool group = (list[i].style & BS_TYPEMASK) == BS_GROUPBOX &&
                                   iequal(list[i].className, L"Button");
                const bool group2 = (list[j].style & BS_TYPEMASK) == BS_GROUPBOX &&
                                    iequal(list[j].className, L"Button");
                if (group || group2) {
                    continue;
                }
                RECT a = clientRect(dialog.hwnd(), list[i].hwnd);
                RECT b = clientRect(dialog.hwnd(), list[j].hwnd);
                RECT overlap;
                EXPECT_FALSE(IntersectRect(&overlap, &a, &b))
                    << testing::PrintToString(list[i].text) << " (" << list[i].id << ") and "
                    << testing::PrintToString(list[j].text) << " (" << list[j].id << ")";
            }
        }
    }
}

}  // namespace
