// The real main window in this process, on the bundled sample dataset:
// clicks at the coordinates the layout gives select entries and ACEs,
// scroll messages move the top and the scroll boxes, the find bar steps
// through matches, the context menu offers its items, and what is painted
// is the screen model's colours.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_controller.h"
#include "app/main_view.h"
#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "core/scanner.h"
#include "core/security_reader.h"
#include "platform/file_io_port.h"
#include "platform/sim/sample_server.h"
#include "platform/sim/sim_platform.h"
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
        : windows(ui, platform, standardFileIo()),
          app(AppPorts{standardFileIo(), platform, platform, platform, platform, ui, windows},
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
    EXPECT_EQ(g_menuItems, (std::vector<std::wstring>{
                               L"50054 Convert Inherited ACEs to non inherited ACEs",
                               L"50049 Add ACE...", L"50052 Inherit ACL...", L"50048 Delete ACEs",
                               L"50058 Change Inheritance Flags...",
                               L"50060 Try to Get Ownership (needs Admin Privileges)", L"0 ",
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
    RECT client{};
    GetClientRect(hwnd, &client);
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    window->PaintInto(dc);
    // Between the flag cells and the first permission column.
    const int x = Scale(screen().geometry.firstColumnX - 8, dpi);
    EXPECT_EQ(GetPixel(dc, x, Scale(deny->y + 2, dpi)), static_cast<COLORREF>(0xD4FF7F));
    // The grey top line of the second block, from x = 4 on.
    const ScreenLine* header = nullptr;
    for (const ScreenLine& l : screen().lines) {
        if (l.kind == LineKind::Header && l.y > 0) {
            header = &l;
            break;
        }
    }
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(GetPixel(dc, x, Scale(header->y, dpi)), static_cast<COLORREF>(0x999999));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// Answers the next message box or dialog of this thread: `button` of a
// message box, or `script` run on a dialog (then OK).
std::function<void(HWND)> g_answer;
std::vector<std::wstring> g_boxTexts;

void CALLBACK AnswerDialog(HWND owner, UINT, UINT_PTR id, DWORD) {
    // The box or dialog now open is this thread's active window.
    HWND box = GetActiveWindow();
    wchar_t cls[16] = {};
    if (box != nullptr) {
        GetClassNameW(box, cls, 16);
    }
    if (std::wstring(cls) != L"#32770") {
        box = nullptr;
    }
    if (box == nullptr || !g_answer) {
        return;
    }
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    g_boxTexts.emplace_back(text);
    auto answer = std::move(g_answer);
    g_answer = nullptr;
    KillTimer(owner, id);
    answer(box);
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The main window over the simulated file server: edits reach its disk.
class EditingWindowTest : public ::testing::Test {
  protected:
    EditingWindowTest()
        : windows(ui, sim, standardFileIo()),
          app(AppPorts{standardFileIo(), sim, sim, sim, sim, ui, windows}, {L"", TempFolder()}) {
        CreateDirectoryW(TempFolder().c_str(), nullptr);
        windows.SetController(app);
        sim::BuildSampleServer(sim);
    }

    void SetUp() override {
        // A window of an earlier test posted the quit message when it was
        // destroyed; a modal loop would end at once on it.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        app.Prepare();
        auto list = std::make_unique<CDirList>(ui);
        SecurityReader reader(sim, sim);
        Scanner(*list, sim, reader, ui).ScanTree(L"C:\\Projects", 0);
        app.view().ShowDataset(std::move(list));
        window = std::make_unique<MainWindow>(app, ui, windows);
        hwnd = window->Create();
        ASSERT_NE(hwnd, nullptr);
        dpi = ScreenDpi();
        g_boxTexts.clear();
    }
    void TearDown() override { g_answer = nullptr; }

    const ScreenModel& screen() { return window->view().screen(); }
    CDirEntry* entry(const wchar_t* path) {
        for (CDirEntry* e : app.view().lines().lines()) {
            if (e->path() == path) {
                return e;
            }
        }
        return nullptr;
    }
    // Client coordinates of column `column` (or, with -1, the trustee text)
    // on the line of ACE `ace` of `e`.
    LPARAM at(CDirEntry* e, std::uint32_t ace, int column) {
        const auto& table = screen().lineTable;
        int line = 0;
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i].entry == e && table[i].ace == e->ace(ace)) {
                line = static_cast<int>(i);
            }
        }
        const HitGeometry& g = screen().geometry;
        const int x = column < 0 ? 30 : g.firstColumnX + column * g.columnWidth + 3;
        return MAKELPARAM(Scale(x, dpi), Scale(line * g.lineHeight + 3, dpi));
    }
    void answerNext(std::function<void(HWND)> answer) {
        g_answer = std::move(answer);
        SetTimer(hwnd, 78, 30, AnswerDialog);
    }
    void command(int id) { SendMessageW(hwnd, WM_COMMAND, id, 0); }
    std::vector<RawAce>& disk(const wchar_t* path) {
        return sim.volume().find(path)->security.dacl;
    }
    std::wstring menuText(int id) {
        wchar_t text[128] = {};
        GetMenuStringW(GetMenu(hwnd), static_cast<UINT>(id), text, 128, MF_BYCOMMAND);
        return text;
    }

    sim::SimPlatform sim;
    GuiInteraction ui;
    Win32AppWindows windows;
    AppController app;
    std::unique_ptr<MainWindow> window;
    HWND hwnd = nullptr;
    UINT dpi = 96;
};

TEST_F(EditingWindowTest, GateCellClickUndoAndDelete) {
    CDirEntry* alpha = entry(L"C:\\Projects\\Alpha");
    ASSERT_NE(alpha, nullptr);
    const std::vector<RawAce> before = disk(L"C:\\Projects\\Alpha");
    // alice is Alpha's last ACE, explicit: click its "wr" column.
    const std::uint32_t last = alpha->aceCount() - 1;
    answerNext([](HWND box) { Click(box, IDNO); });
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at(alpha, last, 1));
    EXPECT_EQ(g_boxTexts.at(0).rfind(L"Write mode not activated.", 0), 0u);
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha"), before);

    answerNext([](HWND box) { Click(box, IDYES); });
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at(alpha, last, 1));
    EXPECT_EQ(GetMenuState(GetMenu(hwnd), IDM_WRITE_MODE, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha").back().mask(), 0x1F01FFu & ~0x2u);
    EXPECT_EQ(menuText(IDM_UNDO), L"Undo: set permissions\tCTRL+Z");
    command(IDM_UNDO);
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha"), before);

    // Select alice's ACE, Delete, Yes.
    alpha = entry(L"C:\\Projects\\Alpha");
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at(alpha, last, -1));
    answerNext([](HWND box) { Click(box, IDYES); });
    command(IDM_DELETE_ACES);
    EXPECT_EQ(g_boxTexts.back(), L"Are you sure you want to delete the selected ACEs?");
    std::vector<RawAce> expected = before;
    expected.pop_back();
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha"), expected);
}

TEST_F(EditingWindowTest, CopyPasteAndModifyAceThroughTheDialog) {
    command(IDM_WRITE_MODE);
    CDirEntry* budget = entry(L"C:\\Projects\\Alpha\\budget.xlsx");
    CDirEntry* plan = entry(L"C:\\Projects\\Alpha\\Design");
    ASSERT_TRUE(budget != nullptr && plan != nullptr);
    // budget.xlsx at the top, the Design folder right below it.
    int index = 0;
    while (app.view().lines().at(static_cast<std::size_t>(index)) != budget) {
        ++index;
    }
    SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, index), 0);
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at(budget, 0, -1));
    // The header line of budget.xlsx: the whole ACL.
    int header = 0;
    for (std::size_t i = 0; i < screen().lineTable.size(); ++i) {
        if (screen().lineTable[i].entry == budget && screen().lineTable[i].ace == nullptr) {
            header = static_cast<int>(i);
            break;
        }
    }
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0,
                 MAKELPARAM(Scale(30, dpi), Scale(header * screen().lineHeight + 3, dpi)));
    command(IDM_COPY);
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at(plan, 0, -1));
    header = 0;
    for (std::size_t i = 0; i < screen().lineTable.size(); ++i) {
        if (screen().lineTable[i].entry == plan && screen().lineTable[i].ace == nullptr) {
            header = static_cast<int>(i);
            break;
        }
    }
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0,
                 MAKELPARAM(Scale(30, dpi), Scale(header * screen().lineHeight + 3, dpi)));
    command(IDM_PASTE);
    const std::vector<RawAce>& pasted = disk(L"C:\\Projects\\Alpha\\Design");
    const std::vector<RawAce>& source = disk(L"C:\\Projects\\Alpha\\budget.xlsx");
    ASSERT_EQ(pasted.size(), source.size());
    for (std::size_t i = 0; i < pasted.size(); ++i) {
        EXPECT_EQ(*pasted[i].sid(), *source[i].sid());
        EXPECT_EQ(pasted[i].mask(), source[i].mask());
        EXPECT_EQ(pasted[i].flags(), 0);  // pasted ACEs carry no flags
    }

    // A double click on bob's ACE of budget.xlsx opens MODIFYACE: deny.
    budget = entry(L"C:\\Projects\\Alpha\\budget.xlsx");
    const std::uint32_t bob = budget->aceCount() - 1;
    answerNext([](HWND dialog) {
        Click(dialog, IDC_MODIFY_ACE_DENY);
        Click(dialog, IDOK);
    });
    SendMessageW(hwnd, WM_LBUTTONDBLCLK, 0, at(budget, bob, -1));
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha\\budget.xlsx").back().type(), ace_type::kAccessDenied);
    EXPECT_EQ(menuText(IDM_UNDO), L"Undo: modify ACE\tCTRL+Z");
}

}  // namespace
}  // namespace quorel::win32
