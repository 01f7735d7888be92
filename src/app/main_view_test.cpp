#include "app/main_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_controller.h"
#include "app/app_test_support.h"
#include "core/dir_list.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"
#include "resource.h"
#include "view/find_bar.h"

namespace quorel {
namespace {

using namespace view_change;
using namespace main_view_change;
using test::MainWindowModel;

class FixedWidth : public TextMeasure {
  public:
    int textWidth(std::wstring_view text, Font font) const override {
        return static_cast<int>(text.size()) * (font == Font::Bold ? 8 : 7);
    }
};

class MainViewTest : public ::testing::Test {
  protected:
    MainViewTest()
        : app(AppPorts{files, sim, sim, sim, sim, ui, windows}, {L"C:\\Prog\\", L"D:\\Data"}) {
        const Sid me = sim.accounts().currentUser();
        sim.dir(L"C:\\r").allow(me, 0x1F01FF, 0x03);
        sim.file(L"C:\\r\\a.txt").allow(me, 0x1F01FF, 0x10);
        sim.file(L"C:\\r\\deny.txt").deny(me, 0x2).allow(me, 0x1F01FF);
        sim.dir(L"C:\\r\\sub").allow(me, 0x1F01FF, 0x13);
        sim.file(L"C:\\r\\sub\\b.txt").allow(me, 0x1F01FF, 0x10);
        ScanConfiguration c;
        c.directoryText = L"C:\\r";
        c.directories = {L"C:\\r"};
        windows.configs = {c};
        app.NewScanCommand();
        view.Start();
        metrics.clientWidth = 1024;
        metrics.drawingHeight = 600;
        layout();
    }

    void layout() {
        metrics.findMode = app.view().find().findMode;
        metrics.columnWidth = ColumnWidthOf(app.view().rights(), measure);
        view.Layout(metrics, measure);
    }
    CDirEntry* entry(const wchar_t* path) {
        for (CDirEntry* e : app.view().lines().lines()) {
            if (e->path() == path) {
                return e;
            }
        }
        ADD_FAILURE() << "no entry";
        return nullptr;
    }
    int indexOf(const wchar_t* path) {
        const auto& all = app.view().lines().lines();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i]->path() == path) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    // The y of the first screen line whose slot holds the entry and the ACE
    // (null: the header).
    int yOf(const wchar_t* path, bool aceLine = false) {
        const CDirEntry* e = entry(path);
        const auto& table = view.screen().lineTable;
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i].entry == e && (table[i].ace != nullptr) == aceLine) {
                return static_cast<int>(i) * metrics.lineHeight + 3;
            }
        }
        ADD_FAILURE() << "entry not on screen";
        return -1;
    }
    unsigned click(const wchar_t* path, int modifier) {
        view.OnKeyUp(kKeyControl);
        if (modifier != 0) {
            view.OnKeyDown(modifier == 1 ? kKeyControl : kKeyShift);
        }
        const unsigned changes = view.OnLeftButton(20, yOf(path));
        layout();
        return changes;
    }
    std::vector<bool> selected() {
        std::vector<bool> marks;
        for (const CDirEntry* e : app.view().lines().lines()) {
            marks.push_back(e->selected != 0);
        }
        return marks;
    }
    std::wstring lastStatus() {
        const auto texts = ui.statusTexts(0);
        return texts.empty() ? L"" : texts.back();
    }

    sim::SimPlatform sim;
    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    test::ScriptedWindows windows;
    AppController app;
    MainWindowModel main{app};
    MainView& view = main.view;
    FixedWidth measure;
    LayoutMetrics metrics;
};

TEST_F(MainViewTest, ClicksOutsideTheCellsSelectWithCtrlAndShiftRanges) {
    ASSERT_EQ(app.view().lines().lineCount(), 5u);
    EXPECT_EQ(click(L"C:\\r\\a.txt", 0), kRedraw | kMenu);
    EXPECT_EQ(selected(), (std::vector<bool>{false, true, false, false, false}));
    EXPECT_TRUE(entry(L"C:\\r\\a.txt")->ace(0)->selected);
    EXPECT_FALSE(view.menuFlags().lastClickedIsDirectory);

    click(L"C:\\r\\sub", 1);
    EXPECT_EQ(selected(), (std::vector<bool>{false, true, false, true, false}));
    EXPECT_TRUE(view.menuFlags().lastClickedIsDirectory);

    // Shift from the anchor (the Ctrl-clicked folder) back to a.txt.
    click(L"C:\\r\\a.txt", 2);
    EXPECT_EQ(selected(), (std::vector<bool>{false, true, true, true, false}));

    // A plain click clears everything the selection marked.
    click(L"C:\\r", 0);
    EXPECT_EQ(selected(), (std::vector<bool>{true, false, false, false, false}));
    EXPECT_FALSE(entry(L"C:\\r\\deny.txt")->ace(1)->selected);
}

TEST_F(MainViewTest, ClickInACellDoesNotSelectAndBelowTheLinesDoesNothing) {
    const HitGeometry& g = view.screen().geometry;
    const int y = yOf(L"C:\\r\\sub", true);
    EXPECT_EQ(view.OnLeftButton(g.firstColumnX + 2, y), kRedraw | kMenu);
    EXPECT_EQ(selected(), (std::vector<bool>(5, false)));
    EXPECT_TRUE(view.menuFlags().lastClickedIsDirectory);
    // Past the closing line: no entry there.
    metrics.drawingHeight = 1500;
    layout();
    ASSERT_LT(view.screen().linesUsed, 90);
    EXPECT_EQ(view.OnLeftButton(20, 1400), kNone);
    EXPECT_TRUE(view.menuFlags().lastClickedIsDirectory);
}

TEST_F(MainViewTest, SelectionCommandsMoveMarksBetweenEntriesAndAces) {
    main.run(IDM_SELECT_ALL, L"");
    EXPECT_EQ(selected(), (std::vector<bool>(5, true)));
    EXPECT_TRUE(entry(L"C:\\r\\deny.txt")->ace(1)->selected);
    click(L"C:\\r\\deny.txt", 0);
    EXPECT_EQ(main.run(IDM_SELECTION_TO_ACES, L""), kRedraw);
    EXPECT_EQ(selected(), (std::vector<bool>(5, false)));
    EXPECT_TRUE(entry(L"C:\\r\\deny.txt")->ace(0)->selected);
    EXPECT_TRUE(entry(L"C:\\r\\deny.txt")->ace(1)->selected);
    main.run(IDM_SELECTION_TO_ENTRIES, L"");
    EXPECT_EQ(selected(), (std::vector<bool>{false, false, true, false, false}));
    EXPECT_FALSE(entry(L"C:\\r\\deny.txt")->ace(0)->selected);
}

TEST_F(MainViewTest, AddingToSeveralEntriesAsksFirstAndNoStopsIt) {
    main.run(IDM_SELECT_ALL, L"");
    const std::wstring question =
        L"There are more than one Files/Folders selected. Are you sure you want to proceed?";
    ui.scriptAnswers({MessageAnswer::No});
    EXPECT_EQ(main.run(IDM_ADD_ACE), kNone);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::wstring>{question});
    EXPECT_EQ(std::count(windows.log.begin(), windows.log.end(), L"add user dialog"), 0);
    // Yes: the write-mode question, then the dialog.
    ui.scriptAnswers({MessageAnswer::Yes, MessageAnswer::Yes});
    main.run(IDM_ADD_ACE);
    EXPECT_EQ(ui.messageTexts().size(), 3u);
    EXPECT_EQ(ui.messageTexts()[1], question);
    EXPECT_EQ(std::count(windows.log.begin(), windows.log.end(), L"add user dialog"), 1);
}

TEST_F(MainViewTest, FindBarStepsThroughMatchesAndLeavesTheViewOnFailure) {
    EXPECT_EQ(main.run(find_bar::kEnterCommand, L"sub"), kNone);  // find mode off
    EXPECT_EQ(view.state().topEntry(), 0);

    EXPECT_EQ(main.run(IDM_FIND, L""), kFindBar | kMenu | kRedraw | kFocusFindText);
    EXPECT_EQ(lastStatus(), L"Find mode activated");
    EXPECT_EQ(main.run(find_bar::kNext, L"SUB"), kVerticalBox | kRedraw);
    EXPECT_EQ(view.state().topEntry(), indexOf(L"C:\\r\\sub"));
    EXPECT_EQ(lastStatus(), L"Find next element successful");
    main.run(find_bar::kEnterCommand, L"sub");
    EXPECT_EQ(view.state().topEntry(), indexOf(L"C:\\r\\sub\\b.txt"));
    main.run(find_bar::kNext, L"sub");
    EXPECT_EQ(lastStatus(), L"Find next element failed");
    EXPECT_EQ(view.state().topEntry(), indexOf(L"C:\\r\\sub\\b.txt"));
    main.run(find_bar::kPrevious, L"deny");
    EXPECT_EQ(lastStatus(), L"Find previous element successful");
    EXPECT_EQ(view.state().topEntry(), indexOf(L"C:\\r\\deny.txt"));
    main.run(find_bar::kPrevious, L"deny");
    EXPECT_EQ(lastStatus(), L"Find previous element failed");
    EXPECT_EQ(view.state().topEntry(), indexOf(L"C:\\r\\deny.txt"));
    // A find text without "show matching only" filters nothing.
    main.run(IDM_FILTER_SHOW_ALL);
    EXPECT_EQ(app.view().lines().lineCount(), 5u);
    // The find bar takes two lines from the matrix.
    const int before = view.screen().lineCount;
    layout();
    EXPECT_EQ(view.screen().lineCount, 600 / 15 - 2);
    EXPECT_NE(before, 0);
}

TEST_F(MainViewTest, ShowMatchingOnlyFiltersUntilFindModeEnds) {
    main.run(IDM_FIND, L"");
    EXPECT_EQ(main.run(find_bar::kShowMatchingOnly, L"deny"),
              kVerticalBox | kVerticalRange | kRedraw | kMenu);
    EXPECT_TRUE(app.view().find().showMatchingOnly);
    EXPECT_EQ(app.view().lines().lineCount(), 1u);
    EXPECT_EQ(lastStatus(), L"files where string is not found filtered");
    EXPECT_EQ(view.state().vScrollMax(), 0);

    // An empty text always ends unchecked.
    main.run(find_bar::kShowMatchingOnly, L"");
    EXPECT_FALSE(app.view().find().showMatchingOnly);
    EXPECT_EQ(app.view().lines().lineCount(), 5u);

    main.run(find_bar::kShowMatchingOnly, L"a.txt");
    main.run(find_bar::kHighlight, L"a.txt");
    EXPECT_TRUE(app.view().find().highlight);
    EXPECT_EQ(main.run(IDM_FIND, L""), kFindBar | kMenu | kRedraw | kVerticalBox | kVerticalRange);
    EXPECT_EQ(lastStatus(), L"Find deactivated. Switched back to normal mode");
    EXPECT_FALSE(app.view().find().highlight);
    EXPECT_FALSE(app.view().find().showMatchingOnly);
    EXPECT_EQ(app.view().lines().lineCount(), 5u);
    EXPECT_EQ(entry(L"C:\\r\\a.txt")->findMarks, 0);
}

TEST_F(MainViewTest, ANewDatasetMakesTheSelectionForgetItsEntries) {
    click(L"C:\\r\\sub", 0);
    ASSERT_TRUE(app.view().SaveDatasetFile(L"D:\\r.acl"));
    windows.files = {std::wstring(L"D:\\r.acl")};
    const CommandResult opened = app.Open();
    EXPECT_NE(view.AfterControllerCommand(opened) & kVerticalRange, 0u);
    EXPECT_EQ(view.selection().focusedEntry(), nullptr);
    EXPECT_FALSE(view.menuFlags().lastClickedIsDirectory);
    layout();
    // The old entries are gone; a plain click must not touch them (the
    // sanitizer build would see it).
    click(L"C:\\r\\a.txt", 0);
    EXPECT_EQ(selected(), (std::vector<bool>{false, true, false, false, false}));
    // A command that changed nothing shown, one that only redraws, and one
    // after which the entries were read again.
    const unsigned always = kMenu | kFindBar;
    EXPECT_EQ(view.AfterControllerCommand({}), always);
    EXPECT_EQ(view.AfterControllerCommand({false, true, false}), always | kRedraw);
    EXPECT_EQ(selected(), (std::vector<bool>{false, true, false, false, false}));
    app.view().EntriesReplaced();
    EXPECT_EQ(view.AfterControllerCommand({}), always | kVerticalBox | kVerticalRange | kRedraw);
    EXPECT_EQ(view.selection().focusedEntry(), nullptr);
}

TEST_F(MainViewTest, ErrorWindowJumpStaysInsideTheList) {
    const int count = static_cast<int>(app.view().lines().count());
    EXPECT_EQ(view.ShowLine(static_cast<std::size_t>(count - 1)), kNone);
    EXPECT_EQ(view.state().topEntry(), 0);
    EXPECT_EQ(view.ShowLine(static_cast<std::size_t>(count - 2)), kVerticalBox | kRedraw);
    EXPECT_EQ(view.state().topEntry(), count - 2);
    layout();
    EXPECT_EQ(view.screen().lineTable[0].entry, entry(L"C:\\r\\sub\\b.txt"));
}

TEST_F(MainViewTest, ViewOptionsReportTheirStatusAndMenuState) {
    EXPECT_EQ(main.run(IDM_SHOW_COMPLETE_PATH, L""), kMenu | kRedraw);
    EXPECT_EQ(lastStatus(), L"Show only filename instead of complete path.");
    EXPECT_FALSE(view.menuFlags().showCompletePath);
    click(L"C:\\r\\a.txt", 0);
    const auto& texts = view.screen().texts;
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                            [](const TextItem& t) { return t.text == L"a.txt"; }));
    EXPECT_TRUE(std::none_of(texts.begin(), texts.end(),
                             [](const TextItem& t) { return t.text == L"C:\\r\\a.txt"; }));
    main.run(IDM_SHOW_COMPLETE_PATH, L"");
    EXPECT_EQ(lastStatus(), L"Show complete path of files.");

    EXPECT_EQ(view.OnMiddleButton(), kWheelWord | kMenu);
    EXPECT_EQ(view.menuFlags().wheelMode, 0);
    EXPECT_EQ(main.run(IDM_WHEEL_NORMAL, L"") & kWheelWord, kWheelWord);
    EXPECT_EQ(view.menuFlags().wheelMode, 1);
}

TEST(MainViewContextMenu, TwelveItemsInOrderEachACommandOfTheTable) {
    std::vector<std::wstring> texts;
    std::vector<int> ids;
    for (const ContextMenuItem& i : MainCommands::ContextMenu()) {
        texts.emplace_back(i.text);
        ids.push_back(i.id);
    }
    EXPECT_EQ(texts, (std::vector<std::wstring>{
                         L"Convert Inherited ACEs to non inherited ACEs", L"Add ACE...",
                         L"Inherit ACL...", L"Delete ACEs", L"Change Inheritance Flags...",
                         L"Try to Get Ownership (needs Admin Privileges)", L"Copy path", L"",
                         L"Cut", L"Copy", L"Paste", L"Combine"}));
    EXPECT_EQ(ids, (std::vector<int>{50054, 50049, 50052, 50048, 50058, 50060, IDM_COPY_PATH, 0,
                                     50007, 50008, 50009, 50053}));
    for (int id : ids) {
        EXPECT_EQ(MainCommands::Has(id), id != 0) << id;
    }
    EXPECT_TRUE(MainCommands::Has(find_bar::kShowMatchingOnly));
    EXPECT_FALSE(MainCommands::Has(0) || MainCommands::Has(99999));
}

TEST_F(MainViewTest, CopyPathPutsTheFocusedEntrysPathOnTheClipboard) {
    windows.log.clear();
    EXPECT_EQ(main.run(IDM_COPY_PATH), kNone);  // nothing focused: nothing copied
    EXPECT_TRUE(windows.log.empty());
    click(L"C:\\r\\sub\\b.txt", 0);
    EXPECT_EQ(main.run(IDM_COPY_PATH), kNone);
    EXPECT_EQ(windows.log, (std::vector<std::wstring>{L"clipboard C:\\r\\sub\\b.txt"}));
    EXPECT_EQ(lastStatus(), L"Path copied to the clipboard");
    windows.clipboardWorks = false;
    main.run(IDM_COPY_PATH);
    EXPECT_EQ(lastStatus(), L"The path could not be copied to the clipboard");
}

}  // namespace
}  // namespace quorel
