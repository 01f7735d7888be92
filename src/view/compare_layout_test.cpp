#include "view/compare_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dir_list.h"
#include "filters/acl_diff.h"
#include "filters/compare.h"
#include "filters/compare_test_support.h"
#include "filters/permissions.h"
#include "filters/static_filter.h"
#include "platform/sim/recording_interaction.h"
#include "view/display_list.h"

namespace quorel {
namespace {

using namespace test;
using V = std::vector<CDirEntry*>;

class Compare : public CompareTrees {
  protected:
    CompareView view() {
        CompareView v(shown, lines, ui);
        v.clearFindHits = [this] { ++findHitsCleared; };
        v.endFindMode = [this] { ++findModeEnded; };
        v.applyFilters = [this](CDirList* compared) {
            ++filterRuns;
            filteredCompared = compared;
            FilterTarget target;
            target.shown = &shown;
            target.compared = compared;
            ApplyStaticFilter(target, staticFilter, rights);
        };
        v.toFirstLine = [this] { ++toFirstLine; };
        return v;
    }

    bool compare() { return CompareTo(state, view(), std::move(other)); }

    CompareState state;
    DisplayList lines;
    std::uint8_t staticFilter = kShowAll;
    int findHitsCleared = 0;
    int findModeEnded = 0;
    int filterRuns = 0;
    int toFirstLine = 0;
    CDirList* filteredCompared = nullptr;
};

// The display list without its headings, split into the three groups.
struct Groups {
    V added, deleted, modified;
};
Groups groupsOf(const DisplayList& lines, const CompareState& state) {
    Groups g;
    V* into = nullptr;
    for (CDirEntry* e : lines.lines()) {
        if (e == &state.addedHeading()) {
            into = &g.added;
        } else if (e == &state.deletedHeading()) {
            into = &g.deleted;
        } else if (e == &state.modifiedHeading()) {
            into = &g.modified;
        } else {
            into->push_back(e);
        }
    }
    return g;
}

// --- CompareTo and the compare layout -------------------------------------

TEST_F(Compare, TheSameScanListsTheThreeHeadingsAlone) {
    ASSERT_TRUE(compare());
    ASSERT_EQ(lines.lineCount(), 3u);
    EXPECT_EQ(lines.count(), 4u);
    EXPECT_EQ(lines.at(0), &state.addedHeading());
    EXPECT_EQ(lines.at(1), &state.deletedHeading());
    EXPECT_EQ(lines.at(2), &state.modifiedHeading());
    EXPECT_EQ(lines.at(3), nullptr);
    EXPECT_EQ(state.addedHeading().headingText(), L"added files");
    EXPECT_EQ(state.deletedHeading().headingText(), L"deleted files");
    EXPECT_EQ(state.modifiedHeading().headingText(), L"modified files");
    EXPECT_TRUE(state.addedHeading().isHeading);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(Compare, ReorderedAcesAreNotListed) {
    for (CDirEntry* e : {o.root, o.docs, o.a, o.b, o.readme}) {
        give(e, {kStandard[1], kStandard[2], kStandard[0]});
    }
    ASSERT_TRUE(compare());
    EXPECT_EQ(lines.lineCount(), 3u);
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{2, 0, 1}));
}

TEST_F(Compare, AMaskChangeIsListedAsModifiedWithItsCellsMarked) {
    // Users gain write and delete on b.txt.
    give(s.b, {kStandard[0], {L"Users", 0x1200A9 | 0x2 | 0x10000, 0x13, 0}, kStandard[2]});
    CDirList* compared = other.get();
    ASSERT_TRUE(compare());
    const Groups g = groupsOf(lines, state);
    EXPECT_EQ(g.added, V{});
    EXPECT_EQ(g.deleted, V{});
    EXPECT_EQ(g.modified, V{s.b});
    EXPECT_EQ(s.b->partner, FindEntryByPath(*compared, L"C:\\Data\\Docs\\b.txt"));
    EXPECT_EQ(links(*s.b), (std::vector<std::uint16_t>{0, 1, 2}));
    EXPECT_EQ(links(*s.b->partner), (std::vector<std::uint16_t>{0, 1, 2}));
    // Columns rd, wr, ex, del: wr (bit 1) and del (bit 3) changed.
    EXPECT_EQ(ChangedCells(*s.b, *s.b->ace(1), rights), 0b1010u);
    EXPECT_EQ(ChangedCells(*s.b->partner, *s.b->partner->ace(1), rights), 0b1010u);
    EXPECT_EQ(ChangedCells(*s.b, *s.b->ace(0), rights), 0u);
    EXPECT_FALSE(IsNewAce(*s.b, *s.b->ace(1)));
    EXPECT_EQ(MissingAceCount(*s.b), 0u);
}

TEST_F(Compare, AddedAndDeletedFilesInTheirGroups) {
    CDirEntry* created = add(shown, s.docs, L"c.txt");
    CDirEntry* createdDir = add(shown, s.root, L"New");
    CDirEntry* createdBelow = add(shown, createdDir, L"inner");
    CDirEntry* gone = add(*other, o.docs, L"old.txt");
    CDirEntry* goneToo = add(*other, o.root, L"zzz");
    give(created, kStandard);
    ASSERT_TRUE(compare());
    const Groups g = groupsOf(lines, state);
    EXPECT_EQ(g.added, (V{created, createdDir, createdBelow}));
    EXPECT_EQ(g.deleted, (V{gone, goneToo}));
    EXPECT_EQ(g.modified, V{});
    // Every ACE of an added file is unlinked, but an entry without a
    // counterpart has no new ACEs to mark.
    EXPECT_FALSE(IsNewAce(*created, *created->ace(0)));
    EXPECT_EQ(lines.count(), 3u + 3u + 2u + 1u);
}

TEST_F(Compare, NewAndMissingAcesOfAModifiedEntry) {
    give(s.readme, {kStandard[0], {L"Backup", 0x1, 0x00, 0}, kStandard[1]});
    give(o.readme, {kStandard[0],
                    kStandard[1],
                    {L"Guest", 0x2, 0x10, 1},
                    {L"Creator", 0x1F01FF, 0x1B, 0},
                    {L"Hidden", 0x1, 0x08, 0}});
    o.readme->ace(4)->visible = 0;  // hidden by the inherit-only option
    ASSERT_TRUE(compare());
    EXPECT_EQ(groupsOf(lines, state).modified, V{s.readme});
    EXPECT_EQ(links(*s.readme), (std::vector<std::uint16_t>{0, kNone, 1}));
    EXPECT_FALSE(IsNewAce(*s.readme, *s.readme->ace(0)));
    EXPECT_TRUE(IsNewAce(*s.readme, *s.readme->ace(1)));
    EXPECT_FALSE(IsNewAce(*s.readme, *s.readme->ace(2)));
    // Guest and Creator are missing; Hidden is not shown.
    EXPECT_EQ(MissingAceCount(*s.readme), 2u);
    // Seen from the compared side, Backup is the missing one.
    EXPECT_EQ(MissingAceCount(*o.readme), 1u);
}

TEST_F(Compare, HiddenEntriesAreNotListedButTheirAcesAreLinked) {
    give(s.a, {kStandard[0], {L"Users", 0x1F01FF, 0x13, 0}, kStandard[2]});
    CDirEntry* created = add(shown, s.root, L"created.txt");
    CDirEntry* gone = add(*other, o.root, L"gone.txt");
    CDirEntry* goneDir = add(*other, o.root, L"goneDir");
    add(*other, goneDir, L"inside");
    staticFilter = kDirectoriesOnly;
    ASSERT_TRUE(compare());
    const Groups g = groupsOf(lines, state);
    EXPECT_EQ(g.added, V{});
    // The directory rule applies to the compared dataset too.
    EXPECT_EQ(g.deleted, V{goneDir});
    EXPECT_EQ(g.modified, V{});
    EXPECT_FALSE(created->visible);
    EXPECT_FALSE(gone->visible);
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{0, 1, 2}));
    EXPECT_EQ(ChangedCells(*s.a, *s.a->ace(1), rights), 0b1010u);
}

TEST_F(Compare, RulesTwoToFourAndSixSpareTheComparedDataset) {
    CDirEntry* gone = add(*other, o.root, L"gone.txt");
    give(gone, kStandard);  // same as its parent: rule 2 would hide it
    staticFilter = kDiffersFromParent;
    ASSERT_TRUE(compare());
    EXPECT_EQ(groupsOf(lines, state).deleted, V{gone});
}

TEST_F(Compare, CompareToEntersCompareMode) {
    CDirList* compared = other.get();
    ASSERT_TRUE(compare());
    EXPECT_TRUE(state.compareMode);
    EXPECT_EQ(state.compared.get(), compared);
    EXPECT_EQ(findHitsCleared, 1);
    EXPECT_EQ(findModeEnded, 1);
    EXPECT_EQ(filterRuns, 1);
    EXPECT_EQ(filteredCompared, compared);
    EXPECT_EQ(toFirstLine, 1);
    EXPECT_EQ(ui.statusTexts(0), std::vector<std::wstring>{L"Switched to compare mode"});
    EXPECT_EQ(ui.statusTexts(2), std::vector<std::wstring>{L"Ready."});
    EXPECT_TRUE(state.menuEnabled(50037));
    EXPECT_TRUE(state.menuEnabled(50070));
    EXPECT_FALSE(state.menuEnabled(50028));
    for (int id : {50021, 50022, 50023, 50025}) {
        EXPECT_FALSE(state.menuEnabled(id)) << id;
    }
    EXPECT_TRUE(state.menuEnabled(50024));
    EXPECT_TRUE(state.menuEnabled(50020));
}

TEST_F(Compare, DifferentRootsAreRefusedAndNothingChanges) {
    o.root->setName(L"C:\\other");
    lines.append(s.root);
    ASSERT_FALSE(compare());
    ASSERT_EQ(ui.messages().size(), 1u);
    const sim::Interaction m = ui.messages()[0];
    EXPECT_EQ(m.text,
              L"Datasets do not match. Both datasets must contain the same directories in the "
              L"same order for compare.");
    EXPECT_EQ(m.caption, L"Note");
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
    EXPECT_FALSE(state.compareMode);
    EXPECT_EQ(state.compared, nullptr);
    EXPECT_EQ(lines.lines(), V{s.root});
    EXPECT_EQ(findModeEnded, 0);
    EXPECT_EQ(filterRuns, 0);
    EXPECT_TRUE(ui.statusTexts(0).empty());
    EXPECT_FALSE(state.menuEnabled(50037));
    EXPECT_TRUE(state.menuEnabled(50028));
    for (CDirEntry& e : shown) {
        EXPECT_EQ(e.partner, nullptr);
    }
}

TEST_F(Compare, NoLoadedDatasetDoesNothing) {
    EXPECT_FALSE(CompareTo(state, view(), nullptr));
    EXPECT_FALSE(state.compareMode);
    EXPECT_TRUE(ui.events().empty());
    EXPECT_EQ(filterRuns, 0);
}

TEST_F(Compare, ASecondCompareDropsTheLinksToTheFirst) {
    ASSERT_TRUE(compare());
    ASSERT_NE(s.readme->partner, nullptr);
    // The next dataset lacks readme: its link into the first one, which is
    // freed, must not survive.
    auto next = std::make_unique<CDirList>(ui);
    CDirEntry* root = add(*next, nullptr, L"C:\\DATA");
    CDirEntry* docs = add(*next, root, L"docs");
    give(root, kStandard);
    give(docs, kStandard);
    ASSERT_TRUE(CompareTo(state, view(), std::move(next)));
    EXPECT_EQ(s.readme->partner, nullptr);
    EXPECT_EQ(s.root->partner, root);
    const Groups g = groupsOf(lines, state);
    EXPECT_EQ(g.added, (V{s.a, s.b, s.readme}));
    EXPECT_EQ(g.deleted, V{});
    // Entering compare mode again does not end find mode again.
    EXPECT_EQ(findModeEnded, 1);
}

TEST_F(Compare, EndCompareGoesBackToTheOrdinaryList) {
    add(*other, o.root, L"gone");
    ASSERT_TRUE(compare());
    ui.clear();
    EndCompare(state, view());
    EXPECT_FALSE(state.compareMode);
    EXPECT_EQ(state.compared, nullptr);
    EXPECT_EQ(findHitsCleared, 2);
    EXPECT_EQ(findModeEnded, 2);
    EXPECT_EQ(filterRuns, 2);
    EXPECT_EQ(filteredCompared, nullptr);
    EXPECT_EQ(toFirstLine, 2);
    EXPECT_EQ(lines.lines(), (V{s.root, s.docs, s.a, s.b, s.readme}));
    EXPECT_EQ(ui.statusTexts(0),
              std::vector<std::wstring>{L"Compare ended. Switched back to normal mode"});
    for (CDirEntry& e : shown) {
        EXPECT_EQ(e.partner, nullptr);
        EXPECT_EQ(links(e), (std::vector<std::uint16_t>{kNone, kNone, kNone}));
    }
    EXPECT_FALSE(state.menuEnabled(50037));
    EXPECT_FALSE(state.menuEnabled(50070));
    for (int id : {50028, 50021, 50022, 50023, 50025}) {
        EXPECT_TRUE(state.menuEnabled(id)) << id;
    }
    EXPECT_FALSE(IsNewAce(*s.a, *s.a->ace(0)));
    EXPECT_EQ(MissingAceCount(*s.a), 0u);
}

TEST(CompareState, NormalModeMenuStatesAtStart) {
    const CompareState state;
    EXPECT_FALSE(state.compareMode);
    EXPECT_FALSE(state.menuEnabled(50037));
    EXPECT_FALSE(state.menuEnabled(50070));
    for (int id : {50028, 50021, 50022, 50023, 50025, 50024}) {
        EXPECT_TRUE(state.menuEnabled(id)) << id;
    }
}

TEST_F(Compare, RefreshCompareAfterAnEdit) {
    ASSERT_TRUE(compare());
    EXPECT_EQ(groupsOf(lines, state).modified, V{});
    give(s.a, {kStandard[0], kStandard[1]});  // the Guest deny removed
    ASSERT_TRUE(RefreshCompare(state, view()));
    EXPECT_EQ(groupsOf(lines, state).modified, V{s.a});
    EXPECT_EQ(MissingAceCount(*s.a), 1u);
    EXPECT_EQ(filterRuns, 2);
    EXPECT_EQ(findModeEnded, 1);
}

TEST_F(Compare, RefreshCompareAfterEntriesWereFreed) {
    ASSERT_TRUE(compare());
    CDirEntry* oa = s.a->partner;
    CDirEntry* ob = s.b->partner;
    ASSERT_EQ(oa->partner, s.a);
    // Re-reading a folder drops its old entries; their counterparts must
    // not keep pointing at them.
    shown.removeChildren(s.docs);
    ASSERT_TRUE(RefreshCompare(state, view()));
    EXPECT_EQ(oa->partner, nullptr);
    EXPECT_EQ(ob->partner, nullptr);
    EXPECT_EQ(groupsOf(lines, state).deleted, (V{oa, ob}));
}

TEST_F(Compare, RefreshCompareWithoutAComparedDataset) {
    lines.append(s.root);
    EXPECT_FALSE(RefreshCompare(state, view()));
    EXPECT_FALSE(state.compareMode);
    EXPECT_EQ(lines.lines(), V{s.root});
}

TEST_F(Compare, RefreshCompareEntersCompareModeWhenItWasLeft) {
    ASSERT_TRUE(compare());
    LeaveCompareMode(state, view());
    EXPECT_TRUE(state.menuEnabled(50028));
    ASSERT_TRUE(RefreshCompare(state, view()));
    EXPECT_TRUE(state.compareMode);
    EXPECT_FALSE(state.menuEnabled(50028));
    EXPECT_EQ(findModeEnded, 3);
}

TEST_F(Compare, ChangedCellsFollowTheDisplayedColumns) {
    give(s.a, {{L"Users", 0x1, 0x13, 0}});
    give(o.a, {{L"Users", 0x10020, 0x13, 0}});
    ASSERT_TRUE(compare());
    EXPECT_EQ(ChangedCells(*s.a, *s.a->ace(0), rights), 0b1101u);
    // A column of several bits compares all of them.
    DisplayedRights two;
    two.clear();
    two.AppendRightColumn(0x10001, L"rd+del");
    two.AppendRightColumn(0x2, L"wr");
    EXPECT_EQ(ChangedCells(*s.a, *s.a->ace(0), two), 0u);
    give(o.a, {{L"Users", 0x10001, 0x13, 0}});
    RefreshCompare(state, view());
    EXPECT_EQ(ChangedCells(*s.a, *s.a->ace(0), two), 0b01u);
    // An unlinked ACE has no changed cells.
    give(o.a, {{L"Users", 0x1, 0x03, 0}});
    RefreshCompare(state, view());
    EXPECT_EQ(ChangedCells(*s.a, *s.a->ace(0), rights), 0u);
    EXPECT_TRUE(IsNewAce(*s.a, *s.a->ace(0)));
}

}  // namespace
}  // namespace quorel
