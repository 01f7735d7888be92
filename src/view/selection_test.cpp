#include "view/selection.h"

#include <gtest/gtest.h>

#include "core/dataset_test_support.h"
#include "filters/permissions.h"
#include "platform/sim/recording_interaction.h"
#include "view/display_list.h"
#include "view/hit_test.h"
#include "view/line_layout.h"

namespace quorel {
namespace {

using test::AppendEntry;
using test::SetAces;

class FixedWidth : public TextMeasure {
  public:
    int textWidth(std::wstring_view text, Font) const override {
        return static_cast<int>(text.size()) * 7;
    }
};

// A folder with two ACEs and three files below it with one ACE each, laid
// out in a 1024 x 600 window: folder lines 0-4, file i at 5 + 4i.
class Clicks : public ::testing::Test {
  protected:
    Clicks() {
        folder = AppendEntry(list, nullptr, L"C:\\Data");
        SetAces(folder, {{L"Users", 0x1, 0x03, 0}, {L"Staff", 0x1, 0, 0}});
        for (const wchar_t* name : {L"a", L"b", L"c"}) {
            CDirEntry* f = AppendEntry(list, folder, name);
            SetAces(f, {{L"Users", 0x1, 0x10, 0}});
            files.push_back(f);
        }
        BuildLineList(list, lines);
        LayoutMetrics metrics;
        metrics.clientWidth = 1024;
        metrics.drawingHeight = 600;
        metrics.lineHeight = 15;
        metrics.columnWidth = 30;
        LayOutScreen(lines, {}, metrics, LayoutSwitches{}, rights, measure, model);
    }
    void click(int line, std::uint8_t modifier) {
        selection.ClickSelect(model.lineTable[static_cast<std::size_t>(line)], 0, modifier, lines);
    }
    std::vector<bool> entryMarks() const {
        std::vector<bool> m{folder->selected != 0};
        for (CDirEntry* f : files) {
            m.push_back(f->selected != 0);
        }
        return m;
    }

    sim::RecordingInteraction ui;
    CDirList list{ui};
    CDirEntry* folder;
    std::vector<CDirEntry*> files;
    DisplayList lines;
    DisplayedRights rights;
    FixedWidth measure;
    ScreenModel model;
    Selection selection;
};

// permStart 904, inhStart 654.
TEST_F(Clicks, HitTestFindsLineColumnAndInheritanceCell) {
    ClickTarget t = HitTest(model, 904, 3 * 15 + 2);
    EXPECT_EQ(t.line, 3);
    EXPECT_EQ(t.column, 0);
    EXPECT_EQ(t.slot, (LineSlot{folder, folder->ace(0), 0}));
    EXPECT_EQ(t.action, ClickAction::Edit);
    EXPECT_EQ(HitTest(model, 904 + 30 + 14, 45).column, 1);
    EXPECT_EQ(HitTest(model, 904 + 30 + 15, 45).column, -1);
    EXPECT_EQ(HitTest(model, 904 + 30 + 15, 45).action, ClickAction::Select);
    EXPECT_EQ(HitTest(model, 904 + 90, 45).column, 3);
    EXPECT_EQ(HitTest(model, 904 + 120, 45).column, -1);  // no fifth column
    EXPECT_EQ(HitTest(model, 903, 45).column, -1);

    const int inh = 654;
    const std::pair<int, int> cells[] = {
        {inh, 1},       {inh + 14, 1},  {inh + 15, 0},  {inh + 47, 0},
        {inh + 48, 2},  {inh + 62, 2},  {inh + 63, 0},  {inh + 97, 3},
        {inh + 128, 3}, {inh + 129, 4}, {inh + 160, 4}, {inh + 161, 0},
        {inh + 194, 5}, {inh + 208, 5}, {inh + 209, 0}, {inh - 1, 0}};
    for (const auto& [x, cell] : cells) {
        EXPECT_EQ(HitTest(model, x, 45).cell, cell) << x;
        EXPECT_EQ(HitTest(model, x, 45).column, -1);
    }
    EXPECT_EQ(HitTest(model, inh + 48, 45).action, ClickAction::Edit);
    EXPECT_EQ(HitTest(model, inh + 30, 45).action, ClickAction::Select);

    // On a file only the inherited cell counts.
    EXPECT_EQ(HitTest(model, inh + 2, 8 * 15).cell, 1);
    EXPECT_EQ(HitTest(model, inh + 50, 8 * 15).cell, 0);
    EXPECT_EQ(HitTest(model, inh + 50, 8 * 15).action, ClickAction::Select);
    EXPECT_EQ(HitTest(model, inh + 50, 8 * 15).slot.ace, files[0]->ace(0));

    // Below the last block: nothing.
    EXPECT_EQ(HitTest(model, 10, 17 * 15).action, ClickAction::None);
    EXPECT_EQ(HitTest(model, 10, 2000).action, ClickAction::None);
    EXPECT_EQ(HitTest(model, 10, 16 * 15 + 14).line, 16);
}

// Every drawn cell takes the clicks over its bitmap and its right edge,
// and no others: the inheritance cells 1..5 on the folder's ACE line, the
// inherited cell alone on a file's, and the permission cells, at any width
// and horizontal position (cells slid left of x = 100 are not drawn).
TEST_F(Clicks, ClicksLandOnTheCellsDrawnUnderThem) {
    struct Case {
        int width, hScroll;
        std::vector<int> folderCells, fileCells;
    };
    const Case cases[] = {{1024, 0, {1, 2, 3, 4, 5}, {1}},
                          {500, 0, {1, 2, 3, 4, 5}, {1}},  // inheritance block at 130
                          {400, 60, {2, 3, 4, 5}, {}},     // at 58
                          {300, 100, {5}, {}}};            // at -70
    for (const Case& c : cases) {
        LayoutMetrics metrics;
        metrics.clientWidth = c.width;
        metrics.drawingHeight = 600;
        metrics.lineHeight = 15;
        metrics.columnWidth = 30;
        LayoutSwitches switches;
        switches.hScroll = c.hScroll;
        LayOutScreen(lines, {}, metrics, switches, rights, measure, model);
        const int firstColumn = model.geometry.firstColumnX;
        for (const int line : {3, 8}) {
            const ScreenLine& l = model.lines[static_cast<std::size_t>(line)];
            std::vector<int> inheritanceCells;
            for (std::uint32_t i = l.firstCell; i < l.firstCell + l.cellCount; ++i) {
                const CellItem& cell = model.cells[i];
                const bool wide = cell.bitmap >= Bitmap::FilesBlack;
                const int right = cell.x + (wide ? 31 : 14);
                const ClickTarget at = HitTest(model, cell.x, l.y);
                EXPECT_EQ(at.action, ClickAction::Edit) << c.width << " " << cell.x;
                EXPECT_EQ(HitTest(model, right, l.y).cell, at.cell) << c.width << " " << right;
                EXPECT_EQ(HitTest(model, right, l.y).column, at.column) << c.width;
                const ClickTarget past = HitTest(model, right + 1, l.y);
                EXPECT_TRUE(past.cell != at.cell || past.column != at.column) << c.width;
                if (cell.x < firstColumn) {
                    inheritanceCells.push_back(at.cell);
                } else {
                    EXPECT_EQ(at.column, (cell.x - firstColumn) / 30);
                }
            }
            EXPECT_EQ(inheritanceCells, line == 3 ? c.folderCells : c.fileCells)
                << c.width << " line " << line;
        }
    }
}

TEST(HitTest, NarrowWindowKeepsInheritanceCellsRightOf100) {
    ScreenModel model;
    model.geometry = {80, 100, 30, 4, 15};  // columns slid left past 100
    model.lineTable.resize(10);
    EXPECT_EQ(HitTest(model, 99, 0).column, -1);
    EXPECT_EQ(HitTest(model, 99, 0).cell, 0);      // x < 100 never a cell
    EXPECT_EQ(HitTest(model, 100, 0).column, -1);  // 20 into column 0: none
    EXPECT_EQ(HitTest(model, 110, 0).column, 1);
    EXPECT_EQ(HitTest(model, 110, 0).action, ClickAction::None);
}

TEST_F(Clicks, PlainClickSelectsTheEntryAndItsAcesOnly) {
    click(5, 0);  // file a's header
    EXPECT_EQ(entryMarks(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(files[0]->ace(0)->selected, 1);
    EXPECT_EQ(selection.focusedEntry(), files[0]);
    EXPECT_EQ(selection.anchorEntry(), files[0]);
    click(1, 0);  // the folder's owner line
    EXPECT_EQ(entryMarks(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(files[0]->ace(0)->selected, 0);
    EXPECT_EQ(folder->ace(1)->selected, 1);
}

TEST_F(Clicks, CtrlTogglesAndShiftSelectsARange) {
    click(5, 0);
    click(13, 1);  // Ctrl on file c
    EXPECT_EQ(entryMarks(), (std::vector<bool>{false, true, false, true}));
    click(13, 1);
    EXPECT_EQ(entryMarks(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(files[2]->ace(0)->selected, 0);
    EXPECT_EQ(selection.anchorEntry(), files[2]);

    // Shift from the anchor c back to the folder: all four.
    click(0, 2);
    EXPECT_EQ(entryMarks(), (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(selection.anchorEntry(), files[2]);
    EXPECT_EQ(selection.focusedEntry(), folder);
    EXPECT_EQ(folder->ace(1)->selected, 1);

    // A plain click clears what the range marked.
    click(9, 0);
    EXPECT_EQ(entryMarks(), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(folder->ace(0)->selected, 0);

    // Shift on the anchor itself: that entry.
    click(9, 2);
    EXPECT_EQ(entryMarks(), (std::vector<bool>{false, false, true, false}));

    // In a rebuilt list the anchor is looked up again.
    click(5, 0);
    DisplayList rebuilt;
    rebuilt.append(files[2]);
    rebuilt.append(files[1]);
    rebuilt.append(files[0]);
    LineSlot onC{files[2], nullptr, 0};
    selection.ClickSelect(onC, 0, 2, rebuilt);
    EXPECT_EQ(entryMarks(), (std::vector<bool>{false, true, true, true}));

    // An anchor no longer listed spans nothing: only the Shift-click's own
    // clearing happens.
    DisplayList withoutAnchor;
    withoutAnchor.append(files[1]);
    withoutAnchor.append(files[2]);
    click(5, 0);
    files[2]->selected = 1;
    EXPECT_FALSE(selection.ClickSelect(LineSlot{files[2], nullptr, 1}, 0, 2, withoutAnchor));
    EXPECT_EQ(entryMarks(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(selection.focusedEntry(), files[2]);
    EXPECT_EQ(selection.anchorEntry(), files[0]);
}

TEST_F(Clicks, AceClicksMarkTheAceAndReportInheritanceCells) {
    click(4, 0);  // the folder's second ACE
    EXPECT_EQ(folder->ace(1)->selected, 1);
    EXPECT_EQ(folder->selected, 0);
    EXPECT_EQ(selection.focusedAce(), folder->ace(1));
    EXPECT_EQ(selection.focusedEntry(), folder);
    click(8, 1);  // Ctrl on file a's ACE
    EXPECT_EQ(files[0]->ace(0)->selected, 1);
    EXPECT_EQ(folder->ace(1)->selected, 1);
    click(8, 1);
    EXPECT_EQ(files[0]->ace(0)->selected, 0);
    click(3, 2);  // Shift leaves the ACE's mark
    EXPECT_EQ(folder->ace(0)->selected, 0);
    EXPECT_EQ(selection.focusedAce(), folder->ace(0));
    click(3, 0);
    EXPECT_EQ(folder->ace(0)->selected, 1);
    EXPECT_EQ(folder->ace(1)->selected, 0);

    EXPECT_TRUE(selection.ClickSelect(model.lineTable[3], 1, 0, lines));
    EXPECT_TRUE(selection.ClickSelect(model.lineTable[3], 2, 0, lines));
    EXPECT_FALSE(selection.ClickSelect(model.lineTable[3], 6, 0, lines));
    EXPECT_TRUE(selection.ClickSelect(model.lineTable[3], 5, 0, lines));
    EXPECT_FALSE(selection.ClickSelect(model.lineTable[3], 0, 0, lines));
    EXPECT_FALSE(selection.ClickSelect(model.lineTable[0], 2, 0, lines));
    EXPECT_FALSE(selection.ClickSelect(model.lineTable[0], 1, 2, lines));
    EXPECT_FALSE(selection.ClickSelect(LineSlot{}, 1, 0, lines));
}

TEST_F(Clicks, SelectionCommands) {
    selection.SelectAll(lines);
    EXPECT_EQ(entryMarks(), (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(folder->ace(1)->selected, 1);
    selection.ClearMarks();
    EXPECT_EQ(entryMarks(), (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(files[2]->ace(0)->selected, 0);

    // Entries to ACEs: file a's mark goes to its ACE.
    click(5, 0);
    selection.EntriesToAces(lines);
    EXPECT_EQ(entryMarks(), (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(files[0]->ace(0)->selected, 1);
    EXPECT_EQ(folder->ace(0)->selected, 0);

    // ACEs to entries: the folder's selected ACE and file a's.
    click(4, 1);
    selection.AcesToEntries(lines);
    EXPECT_EQ(entryMarks(), (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(folder->ace(1)->selected, 0);
    EXPECT_EQ(files[0]->ace(0)->selected, 0);
    click(13, 0);
    EXPECT_EQ(entryMarks(), (std::vector<bool>{false, false, false, true}));
}

}  // namespace
}  // namespace quorel
