// The resources of quorel.exe, compiled into this test program, loaded the
// way the program loads them: every menu item, key, dialog control, picture,
// the icon, the version and the manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"

namespace {

HINSTANCE instance() {
    return GetModuleHandleW(nullptr);
}

// ---------------------------------------------------------------------------
// Menu

struct Item {
    UINT id = 0;        // 0 for a separator or a submenu
    std::wstring text;  // empty for a separator
    bool checked = false;
    bool grayed = false;
    bool separator = false;
    std::vector<Item> sub;  // the items of a submenu
};

Item cmd(UINT id, const wchar_t* text, bool checked = false, bool grayed = false) {
    return Item{id, text, checked, grayed, false, {}};
}
Item sep() {
    return Item{0, L"", false, false, true, {}};
}
Item popup(const wchar_t* text, std::vector<Item> items) {
    return Item{0, text, false, false, false, items};
}
constexpr bool kChecked = true;
constexpr bool kGrayed = true;

// What a user sees in the menu bar before any data is loaded.
std::vector<Item> expectedMenu() {
    const std::wstring ignore = L" \t(ignore dynamic filters)";
    auto filter = [&](UINT id, const wchar_t* text, bool checked = false, bool grayed = false) {
        return cmd(id, (text + ignore).c_str(), checked, grayed);
    };
    return {
        popup(L"&File",
              {
                  cmd(50001, L"&New Scan...\tCtrl+N"),
                  cmd(50069, L"&Re-Scan"),
                  sep(),
                  cmd(50002, L"&Open...\tCtrl+O"),
                  cmd(50003, L"&Save\tCtrl+S"),
                  cmd(50004, L"Save &As..."),
                  sep(),
                  cmd(50028, L"&Compare to..."),
                  cmd(50037, L"En&d Compare Mode", false, kGrayed),
                  sep(),
                  cmd(50032, L"&Export to CSV..."),
                  cmd(50075, L"&Print...\tCtrl+P"),
                  sep(),
                  cmd(50033, L"Save Settings..."),
                  cmd(50034, L"Load Settings..."),
                  cmd(50035, L"Save Settings as Default"),
                  cmd(50036, L"Manage Settings for Shell-Mode"),
                  sep(),
                  cmd(50005, L"E&xit"),
              }),
        popup(L"&Edit",
              {
                  cmd(50006, L"&Undo\tCtrl+Z", false, kGrayed),
                  sep(),
                  cmd(50051, L"&Enable ACL write &mode", false, kGrayed),
                  sep(),
                  cmd(50007, L"Cu&t\tCtrl+X", false, kGrayed),
                  cmd(50008, L"&Copy\tCtrl+C", false, kGrayed),
                  cmd(50009, L"&Paste\tCtrl+V", false, kGrayed),
                  cmd(50053, L"C&ombine\tCtrl+B", false, kGrayed),
                  sep(),
                  cmd(50049, L"&Add ACE (Trustee)", false, kGrayed),
                  cmd(50048, L"&Delete ACEs (Trustee)", false, kGrayed),
                  cmd(50057, L"Modi&fy ACE..."),
                  cmd(50058, L"Change Inheritance flags", false, kGrayed),
                  cmd(50054, L"Con&vert inherited ACEs to non-inherited ACEs", false, kGrayed),
                  cmd(50060, L"Try to get Ownership ( needs admin privileges )", false, kGrayed),
                  cmd(50065, L"Eliminate Unresolved Trustees"),
                  sep(),
                  cmd(50052, L"&Inherit ACL", false, kGrayed),
                  cmd(50056, L"Propagate made Changes to Subsequent Elements", false, kGrayed),
                  cmd(50070, L"Res&tore permissions", false, kGrayed),
                  sep(),
                  cmd(50073, L"Select All\tCtrl+A"),
                  cmd(50071, L"Change Selection from Files/Folders to ACEs (Trustees)"),
                  cmd(50072, L"Change Selection from ACEs (Trustees) to Files/Folders"),
                  sep(),
                  cmd(50026, L"&Find\tCtrl+F"),
              }),
        popup(L"&View",
              {
                  cmd(50044, L"&Directory Depth"),
                  cmd(50027, L"&Show Complete Path", kChecked),
                  cmd(50050, L"Show &also <inherit only> ACEs", kChecked),
                  cmd(50055, L"Do &not show inherited ACEs"),
                  sep(),
                  cmd(50030, L"&Select Permissions to Display\tCtrl+R", kChecked),
                  cmd(50064, L"&Display Basic Permission set"),
                  sep(),
                  cmd(50062, L"Break Down Groups ( Show Group Members )"),
                  sep(),
                  popup(L"&Mouse Wheel Speed",
                        {cmd(50066, L"High", kChecked), cmd(50067, L"Normal"), cmd(50068, L"Low")}),
                  sep(),
                  cmd(50061, L"View Error Log"),
              }),
        popup(
            L"F&ilter",
            {
                cmd(50031, L"Choose D&ynamic and Static Filters\tCtrl+D"),
                sep(),
                filter(50020, L"Show &all Files", kChecked),
                filter(
                    50021,
                    L"Show Only Files Whose Permissions Differ From Those of the Parent Directory",
                    false, kGrayed),
                filter(50022, L"Show Only Files Which Have at Least One Deny Entry"),
                filter(50023,
                       L"Show Only Files With Permissions Not Inherited From the Parent Directory"),
                filter(50024, L"Show Only Dire&ctories"),
                filter(50025,
                       L"Show Only Directories Whose Permissions Differ From Those of the Parent "
                       L"Directory"),
                filter(50045, L"Show Only Files Where a User or Group Cannot be Resolved"),
                filter(50046, L"Show Only Files Where an Error Occurred while Analysing the ACL"),
            }),
        popup(L"&Help", {cmd(50018, L"&Help"), sep(), cmd(50019, L"&About Quorel")}),
    };
}

std::vector<Item> readMenu(HMENU menu) {
    std::vector<Item> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[300] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 299;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
            ADD_FAILURE() << "GetMenuItemInfoW failed at position " << i;
            continue;
        }
        Item item;
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        item.text = text;
        // A separator's state means nothing (the resource compiler greys it).
        item.checked = !item.separator && (info.fState & MFS_CHECKED) != 0;
        item.grayed = !item.separator && (info.fState & MFS_GRAYED) != 0;
        if (info.hSubMenu != nullptr) {
            item.sub = readMenu(info.hSubMenu);
        } else if (!item.separator) {
            item.id = info.wID;
        }
        items.push_back(item);
    }
    return items;
}

void compareMenus(const std::vector<Item>& actual, const std::vector<Item>& expected,
                  const std::wstring& where) {
    ASSERT_EQ(actual.size(), expected.size()) << "items in " << testing::PrintToString(where);
    for (size_t i = 0; i < expected.size(); ++i) {
        const Item& a = actual[i];
        const Item& e = expected[i];
        SCOPED_TRACE(testing::PrintToString(where + L" / " + e.text) + " at position " +
                     std::to_string(i));
        EXPECT_EQ(a.separator, e.separator);
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.text, e.text);
        EXPECT_EQ(a.checked, e.checked);
        EXPECT_EQ(a.grayed, e.grayed);
        EXPECT_EQ(a.sub.empty(), e.sub.empty());
        if (!e.sub.empty()) {
            compareMenus(a.sub, e.sub, where + L" / " + e.text);
        }
    }
}

TEST(MainMenu, HoldsEveryItemWithItsTextKeyAndInitialState) {
    HMENU menu = LoadMenuW(instance(), QUOREL_MAIN_MENU_NAME);
    ASSERT_NE(menu, nullptr);
    compareMenus(readMenu(menu), expectedMenu(), L"MAINMENU");
    DestroyMenu(menu);
}

TEST(MainMenu, EditIsTheSecondTopLevelMenuAndHoldsInheritAcl) {
    // The window updates "&Inherit ACL" when the second top-level menu opens.
    HMENU menu = LoadMenuW(instance(), QUOREL_MAIN_MENU_NAME);
    ASSERT_NE(menu, nullptr);
    HMENU edit = GetSubMenu(menu, 1);
    ASSERT_NE(edit, nullptr);
    wchar_t text[50] = {};
    GetMenuStringW(menu, 1, text, 50, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&Edit");
    EXPECT_NE(GetMenuState(edit, IDM_INHERIT_ACL, MF_BYCOMMAND), static_cast<UINT>(-1));
    DestroyMenu(menu);
}

// ---------------------------------------------------------------------------
// Accelerators

TEST(MainAccelerators, MapExactlyTheKeysOfTheMainWindow) {
    HACCEL table = LoadAcceleratorsW(instance(), QUOREL_MAIN_ACCELERATORS_NAME);
    ASSERT_NE(table, nullptr);
    ACCEL keys[64];
    const int count = CopyAcceleratorTableW(table, keys, 64);
    using Key = std::tuple<int, int, int>;  // modifiers, virtual key, command
    std::vector<Key> actual;
    for (int i = 0; i < count; ++i) {
        actual.emplace_back(keys[i].fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT), keys[i].key,
                            keys[i].cmd);
    }
    const int ctrl = FVIRTKEY | FCONTROL;
    std::vector<Key> expected = {
        {ctrl, 'N', 50001},          {ctrl, 'O', 50002},         {ctrl, 'S', 50003},
        {ctrl, 'F', 50026},          {ctrl, 'D', 50031},         {ctrl, 'R', 50030},
        {ctrl, 'X', 50007},          {ctrl, 'C', 50008},         {ctrl, 'V', 50009},
        {ctrl, 'B', 50053},          {ctrl, 'Z', 50006},         {ctrl, 'A', 50073},
        {ctrl, 'P', 50075},          {FVIRTKEY, VK_UP, 50040},   {FVIRTKEY, VK_DOWN, 50041},
        {FVIRTKEY, VK_PRIOR, 50042}, {FVIRTKEY, VK_NEXT, 50043}, {FVIRTKEY, VK_RETURN, 50074},
    };
    std::sort(actual.begin(), actual.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(actual, expected);
    DestroyAcceleratorTable(table);
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
    checkPlace(dialog, IDC_DEPTH_EDIT, 141, 17, 22, 12);
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

// ---------------------------------------------------------------------------
// Pictures

struct Picture {
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
    int width = 0;
    int height = 0;

    explicit Picture(const std::wstring& name) {
        bitmap = static_cast<HBITMAP>(LoadImageW(instance(), name.c_str(), IMAGE_BITMAP, 0, 0, 0));
        if (bitmap != nullptr) {
            BITMAP info{};
            GetObjectW(bitmap, sizeof info, &info);
            width = info.bmWidth;
            height = info.bmHeight;
            dc = CreateCompatibleDC(nullptr);
            old = SelectObject(dc, bitmap);
        }
    }
    ~Picture() {
        if (dc != nullptr) {
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
};

struct PictureSize {
    const wchar_t* name;
    int width;
    int height;
};

TEST(Pictures, EveryBitmapExistsAtItsSizeAndAtDoubleSize) {
    const PictureSize pictures[] = {
        {L"LOGO", 320, 640},
        {L"ICONBUTTON0", 64, 64},
        {L"ICONBUTTON1", 64, 64},
        {L"ICONBUTTON2", 64, 64},
        {L"ICONBUTTON3", 64, 64},
        {L"ICONBUTTON4", 64, 64},
        {L"ICONBUTTON0PRESSED", 64, 64},
        {L"ICONBUTTON1PRESSED", 64, 64},
        {L"ICONBUTTON2PRESSED", 64, 64},
        {L"ICONBUTTON3PRESSED", 64, 64},
        {L"ICONBUTTON4PRESSED", 64, 64},
        {L"HOOKON", 14, 14},
        {L"HOOKOFF", 14, 14},
        {L"HOOKONBLUE", 14, 14},
        {L"HOOKOFFBLUE", 14, 14},
        {L"FILESBLACK", 31, 14},
        {L"FILESGHOSTED", 31, 14},
        {L"FOLDERSBLACK", 31, 14},
        {L"FOLDERSGHOSTED", 31, 14},
    };
    for (const PictureSize& p : pictures) {
        for (int scale : {1, 2}) {
            const std::wstring name = std::wstring(p.name) + (scale == 2 ? L"_2X" : L"");
            SCOPED_TRACE(testing::PrintToString(name));
            Picture picture(name);
            ASSERT_NE(picture.bitmap, nullptr);
            EXPECT_EQ(picture.width, p.width * scale);
            EXPECT_EQ(picture.height, p.height * scale);
        }
    }
    EXPECT_EQ(Picture(L"LOGO_3X").bitmap, nullptr);
}

int red(COLORREF c) {
    return GetRValue(c);
}
int green(COLORREF c) {
    return GetGValue(c);
}
int blue(COLORREF c) {
    return GetBValue(c);
}
int brightness(COLORREF c) {
    return red(c) + green(c) + blue(c);
}

// A point of a picture in its own units, sampled at both sizes.
struct Sample {
    int x;
    int y;
};

void forBothSizes(const wchar_t* name, Sample at, const std::function<void(COLORREF)>& check) {
    for (int scale : {1, 2}) {
        const std::wstring full = std::wstring(name) + (scale == 2 ? L"_2X" : L"");
        SCOPED_TRACE(testing::PrintToString(full));
        Picture picture(full);
        ASSERT_NE(picture.bitmap, nullptr);
        check(picture.at(at.x * scale + scale / 2, at.y * scale + scale / 2));
    }
}

TEST(Pictures, EachNameHoldsItsOwnPicture) {
    // On the tick (5, 9) and on the left edge of the box (1, 7).
    forBothSizes(L"HOOKON", {5, 9}, [](COLORREF c) { EXPECT_LT(brightness(c), 150); });
    forBothSizes(L"HOOKOFF", {5, 9}, [](COLORREF c) { EXPECT_EQ(c, RGB(255, 255, 255)); });
    forBothSizes(L"HOOKOFF", {1, 7}, [](COLORREF c) { EXPECT_EQ(c, RGB(0, 0, 0)); });
    forBothSizes(L"HOOKONBLUE", {5, 9}, [](COLORREF c) { EXPECT_GT(blue(c), red(c) + 80); });
    forBothSizes(L"HOOKOFFBLUE", {5, 9}, [](COLORREF c) { EXPECT_EQ(c, RGB(255, 255, 255)); });
    forBothSizes(L"HOOKOFFBLUE", {1, 7}, [](COLORREF c) { EXPECT_GT(blue(c), red(c) + 80); });
    // (12, 8) is the front sheet's edge, inside the front folder; (8, 10) the
    // front folder's edge, left of the sheets.
    forBothSizes(L"FILESBLACK", {12, 8}, [](COLORREF c) { EXPECT_EQ(c, RGB(0, 0, 0)); });
    forBothSizes(L"FILESBLACK", {8, 10}, [](COLORREF c) { EXPECT_EQ(c, RGB(255, 255, 255)); });
    forBothSizes(L"FILESGHOSTED", {12, 8}, [](COLORREF c) { EXPECT_EQ(c, RGB(160, 160, 160)); });
    forBothSizes(L"FOLDERSBLACK", {8, 10}, [](COLORREF c) { EXPECT_EQ(c, RGB(0, 0, 0)); });
    forBothSizes(L"FOLDERSBLACK", {12, 8}, [](COLORREF c) { EXPECT_EQ(c, RGB(255, 255, 255)); });
    forBothSizes(L"FOLDERSGHOSTED", {8, 10}, [](COLORREF c) { EXPECT_EQ(c, RGB(160, 160, 160)); });
}

TEST(Pictures, StartButtonsHaveTheirColoursAndLookPressed) {
    // Left part of each face, clear of the symbols: scan blue, start green,
    // exit red, open amber, compare violet.
    const std::function<void(COLORREF)> hue[5] = {
        [](COLORREF c) { EXPECT_GT(blue(c), red(c) + 80); },
        [](COLORREF c) { EXPECT_GT(green(c), red(c) + 60); },
        [](COLORREF c) { EXPECT_GT(red(c), green(c) + 80); },
        [](COLORREF c) { EXPECT_GT(green(c), blue(c) + 80); },
        [](COLORREF c) { EXPECT_GT(blue(c), green(c) + 60); },
    };
    for (int i = 0; i < 5; ++i) {
        const std::wstring normal = L"ICONBUTTON" + std::to_wstring(i);
        const std::wstring pressed = normal + L"PRESSED";
        forBothSizes(normal.c_str(), {7, 32}, hue[i]);
        forBothSizes(pressed.c_str(), {7, 32}, hue[i]);
        for (const wchar_t* suffix : {L"", L"_2X"}) {
            Picture up(normal + suffix);
            Picture down(pressed + suffix);
            const int scale = up.width / 64;
            SCOPED_TRACE(testing::PrintToString(normal + suffix));
            EXPECT_LT(brightness(down.at(7 * scale, 32 * scale)),
                      brightness(up.at(7 * scale, 32 * scale)));
            // Outside the face both are white.
            EXPECT_EQ(up.at(0, 0), RGB(255, 255, 255));
            EXPECT_EQ(down.at(0, 0), RGB(255, 255, 255));
        }
    }
    forBothSizes(L"LOGO", {10, 10}, [](COLORREF c) { EXPECT_GT(blue(c), red(c) + 50); });
}

TEST(Pictures, IconHasEveryStandardSize) {
    for (int size : {16, 24, 32, 48, 256}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(
            LoadImageW(instance(), MAKEINTRESOURCEW(IDI_QUOREL), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectW(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    // The image picked for each size is the one drawn for it, not a scaled
    // neighbour: the resource holds exactly these five.
    HRSRC group = FindResourceW(instance(), MAKEINTRESOURCEW(IDI_QUOREL),
                                MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const WORD*>(LockResource(LoadResource(instance(), group)));
    EXPECT_EQ(dir[2], 5) << "images in the icon";
}

// ---------------------------------------------------------------------------
// Version and manifest

std::wstring versionString(const std::vector<char>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || value == nullptr) {
        return L"(missing)";
    }
    return static_cast<const wchar_t*>(value);
}

TEST(Version, Is1_4_251) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(4, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 251));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(4, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(0, 251));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(versionString(block, L"ProductName"), L"Quorel");
    EXPECT_EQ(versionString(block, L"FileVersion"), L"1.4.251");
    EXPECT_EQ(versionString(block, L"ProductVersion"), L"1.4.251");
    EXPECT_EQ(versionString(block, L"OriginalFilename"), L"quorel.exe");
}

TEST(Manifest, AsksForCommonControls6DpiAwarenessLongPathsAndNoElevation) {
    HRSRC found =
        FindResourceW(instance(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(instance(), found)));
    const std::string manifest(bytes, SizeofResource(instance(), found));
    for (const char* part : {
             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
             "<dpiAware "
             "xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
             ">PerMonitorV2, PerMonitor</dpiAwareness>",
             "<longPathAware "
             "xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>",
             "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
             "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
         }) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
    // The manifest is in force: the process gets version 6 of the common
    // controls from the side-by-side store, not the system folder's version 5.
    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(controls, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(controls, path, MAX_PATH);
    std::wstring lower = path;
    CharLowerW(lower.data());
    EXPECT_NE(lower.find(L"common-controls"), std::wstring::npos) << testing::PrintToString(lower);
    EXPECT_NE(lower.find(L"_6."), std::wstring::npos) << testing::PrintToString(lower);
    FreeLibrary(controls);
}

}  // namespace
