// The main menu and its accelerators, compiled into this test program and
// loaded as the main window loads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
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
                  cmd(50076, L"&Repair ACE order", false, kGrayed),
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

// The keys reach the window as the commands the window dispatches: Ctrl+P
// prints (50075), a command the main menu offers only through
// "&Print...\tCtrl+P"; Ctrl+D and Ctrl+R open the filter windows.
std::vector<int> gCommands;
LRESULT CALLBACK recordCommands(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        gCommands.push_back(LOWORD(wParam));
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(MainAccelerators, CtrlPPrintsAndCtrlDAndCtrlROpenTheFilterWindows) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = recordCommands;
    wc.hInstance = instance();
    wc.lpszClassName = L"QuorelAcceleratorProbe";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, instance(), nullptr);
    ASSERT_NE(hwnd, nullptr);
    HACCEL table = LoadAcceleratorsW(instance(), QUOREL_MAIN_ACCELERATORS_NAME);
    ASSERT_NE(table, nullptr);
    BYTE keys[256] = {};
    auto press = [&](bool control, WPARAM key) {
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG msg{hwnd, WM_KEYDOWN, key, 1, 0, {0, 0}};
        return TranslateAcceleratorW(hwnd, table, &msg) != 0;
    };
    gCommands.clear();
    EXPECT_TRUE(press(true, 'P'));
    EXPECT_TRUE(press(true, 'D'));
    EXPECT_TRUE(press(true, 'R'));
    EXPECT_FALSE(press(false, 'P'));  // P alone is no key of the window
    EXPECT_EQ(gCommands,
              (std::vector<int>{IDM_PRINT, IDM_DYNAMIC_FILTERS, IDM_SELECT_PERMISSIONS}));
    // The menu item that shows the key sends the same command.
    HMENU menu = LoadMenuW(instance(), QUOREL_MAIN_MENU_NAME);
    wchar_t text[50] = {};
    GetMenuStringW(menu, IDM_PRINT, text, 50, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"&Print...\tCtrl+P");
    EXPECT_EQ(GetMenuState(menu, IDM_PRINT, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED), 0u);
    DestroyMenu(menu);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    DestroyAcceleratorTable(table);
    DestroyWindow(hwnd);
}

}  // namespace
