// The real main window in this process, on the bundled sample dataset:
// clicks at the coordinates the layout gives select entries and ACEs,
// scroll messages move the top and the scroll boxes, the find bar steps
// through matches, the context menu offers its items, and what is painted
// is the screen model's colours.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_controller.h"
#include "app/main_view.h"
#include "core/dir_entry.h"
#include "painted_window.h"
#include "platform/file_io_port.h"
#include "platform/sim/standard_files.h"
#include "platform/win32/win32_platform.h"
#include "resource.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gui_interaction.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_app_windows.h"

namespace quorel::win32 {
namespace {

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"quorel-main-window-test";
}

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest()
        : windows(ui, platform, sim::standardFiles()),
          app(AppPorts{sim::standardFiles(), platform, platform, platform, platform, ui, windows},
              {L"", TempFolder()}) {
        CreateDirectoryW(TempFolder().c_str(), nullptr);
        windows.SetController(app);
    }

    void SetUp() override {
        ASSERT_TRUE(app.view().Open(QUOREL_SAMPLE_ACL));
        window = std::make_unique<MainWindow>(app, ui, windows);
        hwnd = window->Create();
        ASSERT_NE(hwnd, nullptr);
        dpi = ScreenDpi();
    }

    const ScreenModel& screen() { return window->view().screen(); }
    const DisplayList& lines() { return app.view().lines(); }

    // Client coordinates inside screen line `n`, `x` pixels from the left
    // at 96 DPI.
    LPARAM at(int x, int n) {
        const int h = screen().lineHeight;
        return MAKELPARAM(Scale(x, dpi), Scale(n * h + h / 2, dpi));
    }
    // The first screen line showing `entry` (its header), or with `ace`.
    int lineOf(const CDirEntry* entry, const AceRecord* ace = nullptr) {
        const auto& table = screen().lineTable;
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i].entry == entry && table[i].ace == ace) {
                return static_cast<int>(i);
            }
        }
        ADD_FAILURE() << "not on screen";
        return 0;
    }
    void click(const CDirEntry* entry, WPARAM keys, const AceRecord* ace = nullptr) {
        SendMessageW(hwnd, WM_LBUTTONDOWN, keys, at(20, lineOf(entry, ace)));
        SendMessageW(hwnd, WM_LBUTTONUP, 0, at(20, lineOf(entry, ace)));
    }
    std::wstring statusPart(int part) {
        HWND bar = FindWindowExW(hwnd, nullptr, STATUSCLASSNAMEW, nullptr);
        wchar_t text[256] = {};
        SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
        return text;
    }
    void command(int id, HWND control = nullptr) {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
    }

    Win32Platform platform;
    GuiInteraction ui;
    Win32AppWindows windows;
    AppController app;
    std::unique_ptr<MainWindow> window;
    HWND hwnd = nullptr;
    UINT dpi = 96;
};

TEST_F(MainWindowTest, ClicksSelectEntriesAndAcesWithCtrlAndShift) {
    CDirEntry* root = lines().at(0);
    CDirEntry* alpha = lines().at(1);
    CDirEntry* budget = lines().at(2);
    click(alpha, 0);
    EXPECT_FALSE(root->selected);
    EXPECT_TRUE(alpha->selected);
    EXPECT_TRUE(alpha->ace(0)->selected);
    EXPECT_FALSE(budget->selected);

    click(root, MK_CONTROL);
    EXPECT_TRUE(root->selected);
    EXPECT_TRUE(alpha->selected);

    // Shift: from the anchor (the root, Ctrl-clicked last) to budget.xlsx.
    click(budget, MK_SHIFT);
    EXPECT_TRUE(root->selected && alpha->selected && budget->selected);
    EXPECT_FALSE(lines().at(3)->selected);

    // A plain click on an ACE line selects that ACE alone.
    AceRecord* ace = budget->ace(1);
    click(budget, 0, ace);
    EXPECT_TRUE(ace->selected);
    EXPECT_FALSE(budget->selected);
    EXPECT_FALSE(budget->ace(0)->selected);
    EXPECT_FALSE(root->selected);
    EXPECT_EQ(window->view().selection().focusedAce(), ace);
}

TEST_F(MainWindowTest, ScrollMessagesMoveTheTopAndTheScrollBoxes) {
    SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(window->view().state().topEntry(), 1);
    EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 1);
    EXPECT_EQ(screen().lineTable[0].entry, lines().at(1));

    SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(window->view().state().lineOffset(), 2);

    // Fast wheel: four entries a notch, down for a negative delta.
    SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(window->view().state().topEntry(), 5);
    EXPECT_EQ(window->view().state().lineOffset(), 0);
    EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 5);

    SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 2), 0);
    EXPECT_EQ(window->view().state().topEntry(), 2);

    SendMessageW(hwnd, WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), 0);
    EXPECT_EQ(GetScrollPos(hwnd, SB_HORZ), 10);

    // The middle button steps the wheel speed, shown in part 1.
    SendMessageW(hwnd, WM_MBUTTONUP, 0, 0);
    EXPECT_EQ(statusPart(1), L"Slow Scroll");
    EXPECT_EQ(GetMenuState(GetMenu(hwnd), IDM_WHEEL_LOW, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
}

TEST_F(MainWindowTest, FindBarStepsThroughTheSamplesMatches) {
    command(IDM_FIND);
    HWND edit = GetDlgItem(hwnd, 14);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(IsWindowVisible(edit));
    EXPECT_EQ(statusPart(0), L"Find mode activated");
    SetWindowTextW(edit, L"drafts");
    command(16, GetDlgItem(hwnd, 16));
    const int first = window->view().state().topEntry();
    EXPECT_EQ(lines().at(static_cast<std::size_t>(first))->path(),
              L"C:\\Projects\\Alpha\\Design\\2026\\Q4\\Drafts");
    EXPECT_EQ(statusPart(0), L"Find next element successful");
    command(16, GetDlgItem(hwnd, 16));
    EXPECT_EQ(window->view().state().topEntry(), first + 1);
    command(15, GetDlgItem(hwnd, 15));
    EXPECT_EQ(window->view().state().topEntry(), first);
    EXPECT_EQ(statusPart(0), L"Find previous element successful");
    command(15, GetDlgItem(hwnd, 15));
    EXPECT_EQ(statusPart(0), L"Find previous element failed");
    EXPECT_EQ(window->view().state().topEntry(), first);

    command(17, GetDlgItem(hwnd, 17));
    EXPECT_EQ(SendMessageW(GetDlgItem(hwnd, 17), BM_GETCHECK, 0, 0), BST_CHECKED);
    command(IDM_FIND);
    EXPECT_FALSE(IsWindowVisible(edit));
    EXPECT_EQ(SendMessageW(GetDlgItem(hwnd, 17), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(statusPart(0), L"Find deactivated. Switched back to normal mode");
}

std::vector<std::wstring> g_menuItems;

void CALLBACK ReadPopupMenu(HWND owner, UINT, UINT_PTR id, DWORD) {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (popup == nullptr) {
        return;
    }
    KillTimer(owner, id);
    auto* menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        g_menuItems.emplace_back(std::to_wstring(GetMenuItemID(menu, i)) + L" " + text);
    }
    EndMenu();
}

TEST_F(MainWindowTest, RightClickOffersTheContextMenuWithoutSelecting) {
    g_menuItems.clear();
    SetTimer(hwnd, 77, 30, ReadPopupMenu);
    SendMessageW(hwnd, WM_RBUTTONDOWN, 0, at(20, lineOf(lines().at(1))));
    KillTimer(hwnd, 77);
    EXPECT_EQ(
        g_menuItems,
        (std::vector<std::wstring>{
            L"50054 Convert Inherited ACEs to non inherited ACEs", L"50049 Add ACE...",
            L"50052 Inherit ACL...", L"50048 Delete ACEs", L"50058 Change Inheritance Flags...",
            L"50060 Try to Get Ownership (needs Admin Privileges)", L"50077 Copy path", L"0 ",
            L"50007 Cut", L"50008 Copy", L"50009 Paste", L"50053 Combine"}));
    EXPECT_FALSE(lines().at(1)->selected);
}

TEST_F(MainWindowTest, PaintedColoursAreTheModelsBackgrounds) {
    // The first deny line on screen.
    const ScreenLine* deny = nullptr;
    for (const ScreenLine& l : screen().lines) {
        if (l.kind == LineKind::Ace && l.background == 0xD4FF7F) {
            deny = &l;
            break;
        }
    }
    ASSERT_NE(deny, nullptr);
    const test::PaintedWindow painted(hwnd, *window);
    // Between the flag cells and the first permission column.
    const int x = Scale(screen().geometry.firstColumnX - 8, dpi);
    EXPECT_EQ(painted.at(x, Scale(deny->y + 2, dpi)), static_cast<COLORREF>(0xD4FF7F));
    // The grey top line of the second block, from x = 4 on.
    const ScreenLine* header = nullptr;
    for (const ScreenLine& l : screen().lines) {
        if (l.kind == LineKind::Header && l.y > 0) {
            header = &l;
            break;
        }
    }
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(painted.at(x, Scale(header->y, dpi)), static_cast<COLORREF>(0x999999));
}

}  // namespace
}  // namespace quorel::win32
