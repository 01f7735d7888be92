// Every item of the main menu as the running program holds it (read
// through its test hook): id, text with accelerator text, place, and the
// enabled, greyed and checked states with scanned data, in compare mode,
// with data loaded from a file and without data; the depth item's text;
// the accelerators reaching their commands.

#include <gtest/gtest.h>

#include <set>

#include "host.h"
#include "quorel_session.h"
#include "window_access.h"

namespace quorel::gui {
namespace {

struct Item {
    int level;
    const wchar_t* kind;  // "popup", "separator", "item"
    UINT id;
    std::wstring text;
};

// The menu "MAINMENU" of resources/quorel.rc, in order, with the texts the
// window gives some items when it is created: Undo reads "Undo: " and the
// depth item "Depth " and the infinity sign (unlimited depth).
std::vector<Item> ExpectedItems() {
    const std::wstring ignore = L" \t(ignore dynamic filters)";
    auto popup = [](int level, const wchar_t* text) { return Item{level, L"popup", 0, text}; };
    auto sep = [](int level) { return Item{level, L"separator", 0, L""}; };
    auto item = [](int level, UINT id, std::wstring text) {
        return Item{level, L"item", id, std::move(text)};
    };
    return {
        popup(0, L"&File"),
        item(1, 50001, L"&New Scan...\tCtrl+N"),
        item(1, 50069, L"&Re-Scan"),
        sep(1),
        item(1, 50002, L"&Open...\tCtrl+O"),
        item(1, 50003, L"&Save\tCtrl+S"),
        item(1, 50004, L"Save &As..."),
        sep(1),
        item(1, 50028, L"&Compare to..."),
        item(1, 50037, L"En&d Compare Mode"),
        sep(1),
        item(1, 50032, L"&Export to CSV..."),
        item(1, 50075, L"&Print...\tCtrl+P"),
        sep(1),
        item(1, 50033, L"Save Settings..."),
        item(1, 50034, L"Load Settings..."),
        item(1, 50035, L"Save Settings as Default"),
        item(1, 50036, L"Manage Settings for Shell-Mode"),
        sep(1),
        item(1, 50005, L"E&xit"),
        popup(0, L"&Edit"),
        item(1, 50006, L"Undo: \tCtrl+Z"),
        sep(1),
        item(1, 50051, L"&Enable ACL write &mode"),
        sep(1),
        item(1, 50007, L"Cu&t\tCtrl+X"),
        item(1, 50008, L"&Copy\tCtrl+C"),
        item(1, 50009, L"&Paste\tCtrl+V"),
        item(1, 50053, L"C&ombine\tCtrl+B"),
        sep(1),
        item(1, 50049, L"&Add ACE (Trustee)"),
        item(1, 50048, L"&Delete ACEs (Trustee)"),
        item(1, 50057, L"Modi&fy ACE..."),
        item(1, 50058, L"Change Inheritance flags"),
        item(1, 50054, L"Con&vert inherited ACEs to non-inherited ACEs"),
        item(1, 50076, L"&Repair ACE order"),
        item(1, 50060, L"Try to get Ownership ( needs admin privileges )"),
        item(1, 50065, L"Eliminate Unresolved Trustees"),
        sep(1),
        item(1, 50052, L"&Inherit ACL"),
        item(1, 50056, L"Propagate made Changes to Subsequent Elements"),
        item(1, 50070, L"Res&tore permissions"),
        sep(1),
        item(1, 50073, L"Select All\tCtrl+A"),
        item(1, 50071, L"Change Selection from Files/Folders to ACEs (Trustees)"),
        item(1, 50072, L"Change Selection from ACEs (Trustees) to Files/Folders"),
        sep(1),
        item(1, 50026, L"&Find\tCtrl+F"),
        popup(0, L"&View"),
        item(1, 50044, L"Depth \u221E"),
        item(1, 50027, L"&Show Complete Path"),
        item(1, 50050, L"Show &also <inherit only> ACEs"),
        item(1, 50055, L"Do &not show inherited ACEs"),
        sep(1),
        item(1, 50030, L"&Select Permissions to Display\tCtrl+R"),
        item(1, 50064, L"&Display Basic Permission set"),
        sep(1),
        item(1, 50062, L"Break Down Groups ( Show Group Members )"),
        sep(1),
        popup(1, L"&Mouse Wheel Speed"),
        item(2, 50066, L"High"),
        item(2, 50067, L"Normal"),
        item(2, 50068, L"Low"),
        sep(1),
        item(1, 50061, L"View Error Log"),
        popup(0, L"F&ilter"),
        item(1, 50031, L"Choose D&ynamic and Static Filters\tCtrl+D"),
        sep(1),
        item(1, 50020, L"Show &all Files" + ignore),
        item(1, 50021,
             L"Show Only Files Whose Permissions Differ From Those of the Parent Directory" +
                 ignore),
        item(1, 50022, L"Show Only Files Which Have at Least One Deny Entry" + ignore),
        item(1, 50023,
             L"Show Only Files With Permissions Not Inherited From the Parent Directory" + ignore),
        item(1, 50024, L"Show Only Dire&ctories" + ignore),
        item(1, 50025,
             L"Show Only Directories Whose Permissions Differ From Those of the Parent "
             L"Directory" +
                 ignore),
        item(1, 50045, L"Show Only Files Where a User or Group Cannot be Resolved" + ignore),
        item(1, 50046, L"Show Only Files Where an Error Occurred while Analysing the ACL" + ignore),
        popup(0, L"&Help"),
        item(1, 50018, L"&Help"),
        sep(1),
        item(1, 50019, L"&About Quorel"),
    };
}

enum class Data { Scanned, Compare, Loaded, None };

// The items that change ACLs on disk: only for data scanned in this run,
// never in compare mode, after opening a file or without data. "&Inherit
// ACL" (50052) is among them but also needs a clicked folder, which none of
// these starts has: the window greys it whenever the Edit menu opens
// without one, so a user never sees it enabled here.
const std::set<UINT> kLiveDataItems = {50051, 50054, 50076, 50056, 50049, 50048, 50058,
                                       50060, 50007, 50008, 50009, 50021, 50053};

// The items greyed in compare mode, and the two only compare mode enables.
const std::set<UINT> kNotInCompareMode = {50028, 50021, 50022, 50023, 50025};
const std::set<UINT> kOnlyInCompareMode = {50037, 50070};

// Checked at start: show all files, complete paths, inherit-only ACEs, the
// chosen permission columns, the fast wheel.
const std::set<UINT> kCheckedAtStart = {50020, 50027, 50050, 50030, 50066};

std::wstring ExpectedState(Data data, UINT id) {
    if (id == 50006 || id == 50052) {
        return L"grayed";  // nothing to undo; no folder clicked
    }
    if (kOnlyInCompareMode.count(id) != 0) {
        return data == Data::Compare ? L"enabled" : L"grayed";
    }
    if (data == Data::Compare && kNotInCompareMode.count(id) != 0) {
        return L"grayed";
    }
    if (kLiveDataItems.count(id) != 0) {
        return data == Data::Scanned ? L"enabled" : L"grayed";
    }
    return L"enabled";
}

class MainMenu : public QuorelSession {
  protected:
    void ExpectMenu(HWND main, Data data) {
        const std::vector<MenuEntry> menu = Menu(main);
        const std::vector<Item> expected = ExpectedItems();
        ASSERT_EQ(menu.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const Item& e = expected[i];
            const MenuEntry& a = menu[i];
            SCOPED_TRACE("position " + std::to_string(i) + ": " + Narrow(e.text) + " (" +
                         std::to_string(e.id) + ")");
            EXPECT_EQ(a.level, e.level);
            EXPECT_EQ(Narrow(a.kind), Narrow(e.kind));
            EXPECT_EQ(a.id, e.id);
            EXPECT_EQ(Narrow(a.text), Narrow(e.text));
            if (std::wstring(e.kind) != L"item") {
                continue;
            }
            EXPECT_EQ(Narrow(a.state), Narrow(ExpectedState(data, e.id)));
            EXPECT_EQ(a.checked, kCheckedAtStart.count(e.id) != 0);
        }
    }
};

TEST_F(MainMenu, WithScannedDataEveryItemHasItsTextIdAndState) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    ExpectMenu(main, Data::Scanned);
    Quit(main);
}

TEST_F(MainMenu, InCompareModeTheCompareItemsSwapAndEditingIsGreyed) {
    const std::wstring tree = MakeSmallTree();
    const std::wstring saved = scratch.path(L"saved.acl");
    ASSERT_EQ(RunCli(L"scan -o \"" + saved + L"\" \"" + tree + L"\""), 0u);
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Command(main, 50028));
    ChooseFile(L"Open", saved);
    ASSERT_TRUE(WaitForView(main, L"compare", L"1"));
    ExpectMenu(main, Data::Compare);
    // Ending compare mode gives the scanned data back its editing commands.
    ASSERT_TRUE(Command(main, 50037));
    ASSERT_TRUE(WaitForView(main, L"compare", L"0"));
    EXPECT_TRUE(WaitForStatus(main, 0, L"Compare ended. Switched back to normal mode"));
    ExpectMenu(main, Data::Scanned);
    Quit(main);
}

TEST_F(MainMenu, WithDataLoadedFromAFileEditingIsGreyed) {
    const std::wstring tree = MakeSmallTree();
    const std::wstring saved = scratch.path(L"saved.acl");
    ASSERT_EQ(RunCli(L"scan -o \"" + saved + L"\" \"" + tree + L"\""), 0u);
    Start(L"\"" + saved + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    ExpectMenu(main, Data::Loaded);
    Quit(main);
}

TEST_F(MainMenu, WithoutDataEditingIsGreyed) {
    HWND main = StartWithoutData();
    ASSERT_NE(main, nullptr);
    ExpectMenu(main, Data::None);
    Quit(main);
}

TEST_F(MainMenu, AStaticFilterCommandChecksItsItemAloneAndFiltersTheLines) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Command(main, 50024));
    ASSERT_TRUE(WaitForView(main, L"filter", L"5"));
    EXPECT_TRUE(WaitForStatus(main, 0, L"Filter set to <show only directories ( exclude files )>"));
    for (UINT id : {50020u, 50021u, 50022u, 50023u, 50024u, 50025u, 50045u, 50046u}) {
        EXPECT_EQ(MenuItem(main, id).checked, id == 50024u) << id;
    }
    const std::vector<std::wstring> directories = {tree, tree + L"\\b", tree + L"\\d"};
    EXPECT_EQ(Lines(main), directories);
    ASSERT_TRUE(Command(main, 50020));
    ASSERT_TRUE(WaitForView(main, L"filter", L"1"));
    EXPECT_TRUE(WaitForStatus(main, 0, L"Filter set to <show all>"));
    EXPECT_TRUE(MenuItem(main, 50020).checked);
    EXPECT_FALSE(MenuItem(main, 50024).checked);
    EXPECT_EQ(Lines(main).size(), 5u);
    Quit(main);
}

// The wheel speed and find are commands of the matrix view.
TEST_F(MainMenu, TheWheelSpeedItemsCheckOneAndNameItInTheStatusBar) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const struct {
        UINT id;
        const wchar_t* status;
    } speeds[] = {{50068, L"Slow Scroll"}, {50067, L"Normal Scroll"}, {50066, L"Fast Scroll"}};
    for (const auto& speed : speeds) {
        SCOPED_TRACE(Narrow(speed.status));
        ASSERT_TRUE(Command(main, static_cast<int>(speed.id)));
        EXPECT_TRUE(WaitForStatus(main, 1, speed.status));
        for (UINT id : {50066u, 50067u, 50068u}) {
            EXPECT_EQ(MenuItem(main, id).checked, id == speed.id) << id;
        }
    }
    Quit(main);
}

TEST_F(MainMenu, AcceleratorsReachTheirCommands) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    // Ctrl+O: the open dialog; cancelled, the scanned data stays.
    ASSERT_TRUE(PressKey(main, 'O', {VK_CONTROL}));
    CancelFile(L"Open");
    EXPECT_EQ(View(main)[L"scanned"], L"1");
    // Ctrl+N: the configuration window of a new scan; cancelled, the command
    // ends with its status texts.
    ASSERT_TRUE(PressKey(main, 'N', {VK_CONTROL}));
    HWND config = Window(L"ChooseConfiguration", L"New Scan");
    ASSERT_NE(config, nullptr);
    ASSERT_TRUE(Click(Child(config, 3)));
    EXPECT_TRUE(WaitForStatus(main, 0, L"New scan completed"));
    EXPECT_TRUE(WaitForStatus(main, 2, L"Ready."));
    EXPECT_EQ(Lines(main).size(), 5u);
    Quit(main);
}

TEST_F(MainMenu, FindTogglesFindModeAndItsCheckMark) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PressKey(main, 'F', {VK_CONTROL}));
    EXPECT_TRUE(PollUntil([&] { return MenuItem(main, 50026).checked; }))
        << "Ctrl+F did not turn find mode on";
    ASSERT_TRUE(Command(main, 50026));
    EXPECT_TRUE(PollUntil([&] { return !MenuItem(main, 50026).checked; }));
    Quit(main);
}

}  // namespace
}  // namespace quorel::gui
