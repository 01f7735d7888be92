// The dynamic filter window and the permission window driven through their
// controls, in-process under Wine, by the controller's commands over the
// simulated platform: the test plays the user by sending each control the
// message a click or a choice sends.
//
// With QUOREL_SHOT_DIR set (and a display), each window is also saved as a
// BMP picture into that folder before it closes.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/app_controller.h"
#include "app/app_test_support.h"
#include "app/menu_model.h"
#include "core/dir_list.h"
#include "filters/dynamic_filter.h"
#include "filters/filter_window_layout.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"
#include "resource.h"
#include "ui/win32/dynamic_filter_window.h"
#include "ui/win32/filter_window_controls.h"
#include "ui/win32/permission_window.h"

namespace quorel::win32 {
namespace {

using Texts = std::vector<std::wstring>;
using namespace filter_window;

// ---------------------------------------------------------------------------
// Playing the user

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND Item(HWND window, int id) {
    return GetDlgItem(window, id);
}

void Click(HWND window, int id) {
    HWND button = Item(window, id);
    ASSERT_NE(button, nullptr) << id;
    SendMessageW(button, BM_CLICK, 0, 0);
}

// Chooses the item of a combo box whose text is `text`, as a click in its
// list does.
void Choose(HWND window, int id, const std::wstring& text) {
    HWND combo = Item(window, id);
    const auto i = static_cast<int>(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(text.c_str())));
    ASSERT_GE(i, 0) << "no item " << testing::PrintToString(text);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void ChooseIndex(HWND window, int id, int index) {
    HWND combo = Item(window, id);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

std::wstring Shown(HWND window, int id) {
    return WindowText(Item(window, id));
}

bool Visible(HWND window, int id) {
    return (GetWindowLongW(Item(window, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

int Count(HWND window, int id) {
    return static_cast<int>(SendMessageW(Item(window, id), CB_GETCOUNT, 0, 0));
}

void Scroll(HWND window, int code) {
    SendMessageW(window, WM_VSCROLL, MAKEWPARAM(code, 0),
                 reinterpret_cast<LPARAM>(Item(window, kScrollBar)));
}

void Wheel(HWND window, int delta) {
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0);
}

int ScrollPos(HWND window) {
    return GetScrollPos(Item(window, kScrollBar), SB_CTL);
}

int ScrollMax(HWND window) {
    int lo = 0, hi = 0;
    GetScrollRange(Item(window, kScrollBar), SB_CTL, &lo, &hi);
    return hi;
}

// The window as it is on the screen, as a BMP file, when QUOREL_SHOT_DIR
// names a folder.
void SaveShot(HWND window, const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"QUOREL_SHOT_DIR", folder, MAX_PATH) == 0) {
        return;
    }
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    for (int i = 0; i < 20; ++i) {
        Pump();
        Sleep(25);
    }
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
    const DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                        static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader)};
    const std::wstring path = std::wstring(folder) + L"\\" + name + L".bmp";
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
        fwrite(&fh, sizeof fh, 1, f);
        fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        fwrite(bits, 1, size, f);
        fclose(f);
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

// The program's windows: the two filter windows are the real ones, played
// by `filters` and `permissions`; the others answer from the script.
class DrivenWindows : public test::ScriptedWindows {
  public:
    void RunDynamicFilterWindow(DynamicFilterEditor& editor) override {
        log.push_back(L"filters");
        bool closed = false;
        HWND w = OpenDynamicFilterWindow(nullptr, editor, closed);
        ASSERT_NE(w, nullptr);
        if (filters) {
            filters(w);
        }
        finish(w, closed);
    }
    void RunPermissionWindow(PermissionSelection& selection) override {
        log.push_back(L"permissions");
        bool closed = false;
        HWND w = OpenPermissionWindow(nullptr, selection, closed);
        ASSERT_NE(w, nullptr);
        if (permissions) {
            permissions(w);
        }
        finish(w, closed);
    }

    std::function<void(HWND)> filters;
    std::function<void(HWND)> permissions;

  private:
    static void finish(HWND w, bool& closed) {
        Pump();
        if (!closed) {
            ADD_FAILURE() << "the script left the window open";
            SendMessageW(w, WM_CLOSE, 0, 0);
        }
        EXPECT_TRUE(closed);
        EXPECT_FALSE(IsWindow(w));
    }
};

class FilterWindows : public ::testing::Test {
  protected:
    FilterWindows()
        : app(AppPorts{files, sim, sim, sim, sim, ui, windows}, {L"C:\\Prog\\", L"D:\\Data"}) {
        const Sid me = sim.accounts().currentUser();
        sim.dir(L"C:\\r").allow(me, 0x1F01FF, 0x03);
        sim.file(L"C:\\r\\a.txt").allow(me, 0x1F01FF, 0x10);
        sim.file(L"C:\\r\\deny.txt").deny(me, 0x2).allow(me, 0x1F01FF);
        ScanConfiguration c;
        c.directoryText = L"C:\\r";
        c.directories = {L"C:\\r"};
        windows.configs = {c};
        app.NewScanCommand();
        ui.clear();
    }
    const DynamicFilterSet& rows() const { return app.view().dynamicFilters(); }
    void addRow(const FilterRow& row, bool active = false) {
        DynamicFilterSet filters = rows();
        filters.rows.push_back(row);
        filters.active = active;
        app.view().SetDynamicFilters(filters);
    }
    Texts lines() const {
        Texts paths;
        for (const CDirEntry* e : app.view().lines().lines()) {
            paths.push_back(e->isHeading ? std::wstring(e->headingText()) : e->path());
        }
        return paths;
    }
    bool menuChecked(int id) const {
        for (const MainMenuItem& item : main.commands.MenuStates(MenuViewFlags{})) {
            if (item.id == id) {
                return item.checked;
            }
        }
        return false;
    }

    sim::SimPlatform sim;
    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    DrivenWindows windows;
    AppController app;
    test::MainWindowModel main{app};
};

// ---------------------------------------------------------------------------
// Set Dynamic Filters

TEST_F(FilterWindows, WithoutRowsOnePlusAndOneMinusAndPlusAddsAnyUserHasAll) {
    windows.filters = [](HWND w) {
        EXPECT_TRUE(Visible(w, SlotControlId(0, kPlus)));
        EXPECT_TRUE(Visible(w, SlotControlId(0, kMinus)));
        for (int k = 0; k < 7; ++k) {
            EXPECT_FALSE(Visible(w, SlotControlId(k, kSubject))) << k;
            if (k > 0) {
                EXPECT_FALSE(Visible(w, SlotControlId(k, kPlus))) << k;
            }
        }
        Click(w, SlotControlId(0, kPlus));
        EXPECT_TRUE(Visible(w, SlotControlId(0, kSubject)));
        EXPECT_EQ(Shown(w, SlotControlId(0, kSubject)), L"<any user>");
        EXPECT_EQ(Shown(w, SlotControlId(0, kOperator)), L"has permission");
        EXPECT_EQ(Count(w, SlotControlId(0, kOperator)), 6);
        EXPECT_TRUE(Visible(w, SlotControlId(0, kPermission)));
        EXPECT_EQ(Shown(w, SlotControlId(0, kPermission)), L"all permissions (all)");
        EXPECT_FALSE(Visible(w, SlotControlId(0, kEdit)));
        EXPECT_FALSE(Visible(w, SlotControlId(1, kPlus)));
        EXPECT_FALSE(IsWindowEnabled(Item(w, kScrollBar)));
        SaveShot(w, L"dynamic_filters");
        Click(w, kOk);
    };
    main.run(IDM_DYNAMIC_FILTERS);
    ASSERT_EQ(rows().rows.size(), 1u);
    EXPECT_EQ(rows().rows[0].op, kRuleHasPermission);
    EXPECT_EQ(rows().rows[0].right, 0u);
    EXPECT_EQ(rows().rows[0].text, L"<any user>");
    EXPECT_TRUE(rows().active);
    EXPECT_TRUE(menuChecked(IDM_DYNAMIC_FILTERS));
    EXPECT_EQ(ui.statusTexts(0), Texts{L"Dynamic filter applied to dataset"});
}

TEST_F(FilterWindows, NineRowsScrollFromZeroToTwoAndPlusOnSlotSixScrollsDown) {
    for (int i = 0; i < 9; ++i) {
        addRow(FilterRow{kRuleIsOwner, 0, L"r" + std::to_wstring(i)});
    }
    windows.filters = [](HWND w) {
        EXPECT_EQ(ScrollMax(w), 2);
        EXPECT_TRUE(IsWindowEnabled(Item(w, kScrollBar)));
        EXPECT_EQ(Shown(w, SlotControlId(6, kSubject)), L"r6");
        Scroll(w, SB_LINEDOWN);
        EXPECT_EQ(ScrollPos(w), 1);
        EXPECT_EQ(Shown(w, SlotControlId(0, kSubject)), L"r1");
        Scroll(w, SB_PAGEDOWN);
        EXPECT_EQ(ScrollPos(w), 2);
        EXPECT_EQ(Shown(w, SlotControlId(6, kSubject)), L"r8");
        Wheel(w, 120);  // away from the user: up 6, kept at 0
        EXPECT_EQ(ScrollPos(w), 0);
        EXPECT_EQ(Shown(w, SlotControlId(0, kSubject)), L"r0");
        Wheel(w, -120);
        EXPECT_EQ(ScrollPos(w), 2);
        SendMessageW(w, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1),
                     reinterpret_cast<LPARAM>(Item(w, kScrollBar)));
        EXPECT_EQ(ScrollPos(w), 1);
        Click(w, SlotControlId(6, kPlus));  // after r7
        EXPECT_EQ(ScrollPos(w), 2);
        EXPECT_EQ(ScrollMax(w), 3);
        EXPECT_EQ(Shown(w, SlotControlId(6, kSubject)), L"<any user>");
        EXPECT_EQ(Shown(w, SlotControlId(5, kSubject)), L"r7");
        SaveShot(w, L"dynamic_filters_rows");
        Click(w, kCancel);
    };
    main.run(IDM_DYNAMIC_FILTERS);
    ASSERT_EQ(rows().rows.size(), 10u);
    EXPECT_EQ(rows().rows[8].text, L"<any user>");
    EXPECT_EQ(rows().rows[9].text, L"r8");
    EXPECT_FALSE(rows().active);
    EXPECT_EQ(ui.statusTexts(0), Texts{L"Dynamic filter aborted"});
}

TEST_F(FilterWindows, TextTypedIntoAFileNameEditReachesTheRowOnOk) {
    addRow(FilterRow{kRuleIsOwner, 0, L"nobody"});
    windows.filters = [](HWND w) {
        Choose(w, SlotControlId(0, kSubject), L"<filename>");
        EXPECT_TRUE(Visible(w, SlotControlId(0, kEdit)));
        EXPECT_FALSE(Visible(w, SlotControlId(0, kPermission)));
        EXPECT_EQ(Count(w, SlotControlId(0, kOperator)), 2);
        Choose(w, SlotControlId(0, kOperator), L"contains");
        HWND edit = Item(w, SlotControlId(0, kEdit));
        SetFocus(edit);
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"DENY"));
        Click(w, kOk);
    };
    main.run(IDM_DYNAMIC_FILTERS);
    ASSERT_EQ(rows().rows.size(), 1u);
    EXPECT_EQ(rows().rows[0].op, kRulePathContains);
    EXPECT_EQ(rows().rows[0].text, L"DENY");
    EXPECT_EQ(lines(), Texts{L"C:\\r\\deny.txt"});
}

TEST_F(FilterWindows, AnAccountWithIsGroupStoresCodeFourAndTheCloseBoxSaysNothing) {
    addRow(FilterRow{kRulePathContains, 0, L"x"}, true);
    std::wstring account;
    windows.filters = [&](HWND w) {
        const int subject = SlotControlId(0, kSubject);
        NameTables names;
        RebuildNameTables(*app.view().dataset(), names);
        EXPECT_EQ(Count(w, subject), 2 + static_cast<int>(names.users.size()));
        account = ComboItemText(Item(w, subject), 2);  // the first account, after the two
        Choose(w, subject, account);
        ChooseIndex(w, SlotControlId(0, kPermission), 5);
        Choose(w, SlotControlId(0, kOperator), L"is group");
        EXPECT_FALSE(Visible(w, SlotControlId(0, kPermission)));
        SendMessageW(w, WM_CLOSE, 0, 0);
    };
    main.run(IDM_DYNAMIC_FILTERS);
    ASSERT_EQ(rows().rows.size(), 1u);
    EXPECT_EQ(rows().rows[0].op, kRuleIsGroup);
    EXPECT_EQ(rows().rows[0].right, 0u);
    EXPECT_EQ(rows().rows[0].text, account);
    EXPECT_FALSE(account.empty());
    EXPECT_FALSE(rows().active);
    EXPECT_FALSE(menuChecked(IDM_DYNAMIC_FILTERS));
    EXPECT_TRUE(ui.statusTexts(0).empty());
}

TEST_F(FilterWindows, CompareModeOffersFourStaticFiltersAndOrIsApplied) {
    ASSERT_TRUE(app.view().SaveDatasetFile(L"D:\\r.acl"));
    ASSERT_TRUE(app.view().CompareToFile(L"D:\\r.acl"));
    app.view().OnStaticFilterCommand(IDM_FILTER_HAS_DENY_ENTRY);  // rule 3
    addRow(FilterRow{kRulePathContains, 0, L"nothing matches this"});
    windows.filters = [](HWND w) {
        EXPECT_EQ(Count(w, kStaticList), 4);
        EXPECT_EQ(Shown(w, kStaticList), L"Show All Files");  // 3 went back to 1
        SendMessageW(Item(w, kStaticList), CB_SHOWDROPDOWN, TRUE, 0);
        SaveShot(w, L"dynamic_filters_compare");
        SendMessageW(Item(w, kStaticList), CB_SHOWDROPDOWN, FALSE, 0);
        ChooseIndex(w, kStaticList, 1);
        Click(w, kOr);
        EXPECT_EQ(SendMessageW(Item(w, kOr), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(SendMessageW(Item(w, kAnd), BM_GETCHECK, 0, 0), BST_UNCHECKED);
        Click(w, kOk);
    };
    main.run(IDM_DYNAMIC_FILTERS);
    EXPECT_EQ(app.view().staticFilter(), 5);
    EXPECT_TRUE(menuChecked(50024));
    EXPECT_EQ(rows().combination, 1u);
    EXPECT_EQ(lines(), (Texts{L"added files", L"deleted files", L"modified files"}));
}

// With tens of thousands of accounts each subject list is filled once, when
// its slot first shows a row; the time the window takes to open is printed.
TEST(FilterWindowLists, TwentyThousandAccountsFillEachSubjectListOnce) {
    std::vector<std::wstring> names;
    for (int i = 0; i < 20000; ++i) {
        names.push_back(L"DOMAIN-USER-" + std::to_wstring(i * 7919 % 20000));
    }
    DynamicFilterSet set;
    set.rows = {FilterRow{kRuleIsOwner, 0, L"DOMAIN-USER-19999"}};
    std::uint8_t staticFilter = 1;
    sim::RecordingInteraction ui;
    DynamicFilterEditor editor(set, staticFilter, false, names, ui);
    bool closed = false;
    const auto start = std::chrono::steady_clock::now();
    HWND w = OpenDynamicFilterWindow(nullptr, editor, closed);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    ASSERT_NE(w, nullptr);
    std::printf("opening with 20000 accounts: %lld ms\n", static_cast<long long>(ms));
    EXPECT_EQ(Count(w, SlotControlId(0, kSubject)), 20002);
    EXPECT_EQ(Count(w, SlotControlId(1, kSubject)), 0);  // no row to show yet
    EXPECT_EQ(ComboItemText(Item(w, SlotControlId(0, kSubject)), 2), L"DOMAIN-USER-0");
    EXPECT_EQ(ComboItemText(Item(w, SlotControlId(0, kSubject)), 20001), L"DOMAIN-USER-9999");
    EXPECT_EQ(Shown(w, SlotControlId(0, kSubject)), L"DOMAIN-USER-19999");
    // "+" fills the next slot's list; showing the slots again fills none twice.
    Click(w, SlotControlId(0, kPlus));
    Click(w, SlotControlId(1, kPlus));
    Click(w, SlotControlId(2, kMinus));
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Count(w, SlotControlId(k, kSubject)), 20002) << k;
    }
    EXPECT_EQ(Shown(w, SlotControlId(1, kSubject)), L"<any user>");
    Click(w, kCancel);
    Pump();
    EXPECT_TRUE(closed);
}

// ---------------------------------------------------------------------------
// Select Permissions to Display

std::vector<int> CheckedBoxes(HWND w) {
    std::vector<int> rows;
    for (std::size_t r = 0; r < 19; ++r) {
        if (SendMessageW(Item(w, RightCheckBoxId(r)), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            rows.push_back(static_cast<int>(r));
        }
    }
    return rows;
}

Texts Columns(const DisplayedRights& rights) {
    Texts t;
    for (std::size_t i = 0; i < rights.count(); ++i) {
        t.push_back(rights.column(i).abbreviation);
    }
    return t;
}

TEST_F(FilterWindows, BasicSetOpensWithOnlyAllCheckedAndOkGivesTheColumnAll) {
    main.run(IDM_BASIC_PERMISSION_SET);
    ui.clear();
    windows.permissions = [](HWND w) {
        EXPECT_EQ(CheckedBoxes(w), std::vector<int>{0});
        EXPECT_EQ(Shown(w, 10), L"All Permissions (all)");
        SaveShot(w, L"select_permissions");
        Click(w, 2);
    };
    main.run(IDM_SELECT_PERMISSIONS);
    EXPECT_EQ(Columns(app.view().rights()), Texts{L"all"});
    EXPECT_FALSE(app.view().rights().basicPermissionMode());
    EXPECT_TRUE(menuChecked(IDM_SELECT_PERMISSIONS));
    EXPECT_FALSE(menuChecked(IDM_BASIC_PERMISSION_SET));
    EXPECT_EQ(ui.statusTexts(0), Texts{L"A new set of permissions to display was selected"});
}

TEST_F(FilterWindows, OkWithNothingCheckedLeavesNoColumns) {
    windows.permissions = [](HWND w) {
        EXPECT_EQ(CheckedBoxes(w), (std::vector<int>{5, 6, 9, 13}));  // rd wr ex del
        for (int id : {11, 12, 15, 19}) {
            Click(w, id);
        }
        EXPECT_TRUE(CheckedBoxes(w).empty());
        Click(w, 2);
    };
    main.run(IDM_SELECT_PERMISSIONS);
    EXPECT_EQ(app.view().rights().count(), 0u);
}

TEST_F(FilterWindows, AllOverGenericReadGivesSixteenColumnsInTheFixedOrder) {
    windows.permissions = [](HWND w) {
        for (int id : {11, 12, 15, 19, 24}) {  // off rd wr ex del, on GENERIC_READ
            Click(w, id);
        }
        EXPECT_EQ(CheckedBoxes(w), std::vector<int>{2});
        Click(w, 10);
        EXPECT_EQ(CheckedBoxes(w).size(), 16u);
        Click(w, 2);
    };
    main.run(IDM_SELECT_PERMISSIONS);
    EXPECT_EQ(Columns(app.view().rights()),
              (Texts{L"all", L"g_rd", L"ex", L"rd", L"rd_a", L"rd_ea", L"wr", L"app", L"wr_a",
                     L"wr_ea", L"del", L"rd_p", L"wr_p", L"ow_t", L"del_ch", L"sync"}));
}

TEST_F(FilterWindows, QuestionMarkCancelAndTheCloseBox) {
    windows.permissions = [](HWND w) {
        Click(w, 27);
        Click(w, 10);
        Click(w, 3);
    };
    main.run(IDM_SELECT_PERMISSIONS);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].caption, L"Info about generic flags");
    EXPECT_EQ(Columns(app.view().rights()), (Texts{L"rd", L"wr", L"ex", L"del"}));
    EXPECT_EQ(ui.statusTexts(0), Texts{L"No new set of permissions to display was selected"});
    windows.permissions = [](HWND w) { SendMessageW(w, WM_CLOSE, 0, 0); };
    main.run(IDM_SELECT_PERMISSIONS);
    EXPECT_EQ(ui.statusTexts(0).size(), 1u);
}

}  // namespace
}  // namespace quorel::win32
