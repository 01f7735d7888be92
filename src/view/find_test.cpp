#include "view/find.h"

#include <gtest/gtest.h>

#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/static_filter.h"
#include "platform/sim/recording_interaction.h"
#include "view/display_list.h"
#include "view/find_bar.h"
#include "view/view_state.h"

namespace quorel {
namespace {

class Find : public ::testing::Test {
  protected:
    Find() {
        root = listBuild.addLoadEntry();
        root->setName(L"C:\\Data");
        root->setOwner(L"Administrators", L"BUILTIN");
        root->setGroup(L"SYSTEM", L"NT AUTHORITY");
        listBuild.setDepth(1);
        a = add(L"report.TXT", L"alice", {L"Everyone", L"Backup Operators"}, true);
        b = add(L"notes.doc", L"bob", {L"staff"}, false);
        c = add(L"\u00e9t\u00e9.txt", L"carol", {L"Everyone"}, false);
        SetAllVisible(list, true);
        BuildLineList(list, lines);
    }
    CDirEntry* add(const wchar_t* name, const wchar_t* owner, std::vector<const wchar_t*> trustees,
                   bool first) {
        CDirEntry* e = (first ? listBuild.addLoadChild() : listBuild.addLoadEntry());
        e->setName(name);
        e->setOwner(owner, L"CORP");
        e->setGroup(L"Domain Users", L"CORP");
        e->resizeAces(static_cast<std::uint32_t>(trustees.size()));
        for (std::size_t i = 0; i < trustees.size(); ++i) {
            e->ace(static_cast<std::uint32_t>(i))->setTrustee(test::NamesOf(e), trustees[i], L"");
        }
        return e;
    }

    sim::RecordingInteraction ui;
    CDirList list{ui};
    DatasetBuilder listBuild{list};
    DisplayList lines;
    FindState find;
    MatchContext context;
    CDirEntry *root, *a, *b, *c;
};

TEST(ContainsNoCase, SubstringRules) {
    EXPECT_TRUE(ContainsNoCase(L"Report.TXT", L"port.t"));
    EXPECT_TRUE(ContainsNoCase(L"abc", L""));
    EXPECT_TRUE(ContainsNoCase(L"", L""));
    EXPECT_FALSE(ContainsNoCase(L"ab", L"abc"));
    EXPECT_TRUE(ContainsNoCase(L"\u00c9T\u00c9", L"\u00e9t\u00e9"));
    EXPECT_TRUE(ContainsNoCase(L"xxabcabd", L"ABD"));
    EXPECT_FALSE(ContainsNoCase(L"Stra\u00dfe", L"STRASSE"));
}

TEST_F(Find, MatchEntrySetsEveryFlagWithoutEarlyExit) {
    EXPECT_TRUE(MatchEntry(*a, L"e", context));
    // path, name ("report"), owner ("alice") and group ("Domain Users")
    EXPECT_EQ(a->findMarks,
              find_mark::kPath | find_mark::kName | find_mark::kOwner | find_mark::kGroup);
    EXPECT_EQ(a->ace(0)->findMark, 1);
    EXPECT_EQ(a->ace(1)->findMark, 1);
    EXPECT_TRUE(MatchEntry(*a, L"BACKUP", context));
    EXPECT_EQ(a->findMarks, 0);
    EXPECT_EQ(a->ace(0)->findMark, 0);
    EXPECT_EQ(a->ace(1)->findMark, 1);
    EXPECT_TRUE(MatchEntry(*a, L"c:\\data", context));
    EXPECT_EQ(a->findMarks, find_mark::kPath);
    EXPECT_FALSE(MatchEntry(*a, L"zzz", context));
}

TEST_F(Find, EntryMatchesAgreesWithMatchEntryAndMarksNothing) {
    for (const wchar_t* text : {L"e", L"BACKUP", L"zzz", L"", L"c:\\data\\r", L"\u00c9T"}) {
        for (CDirEntry* e : {root, a, b, c}) {
            const bool quiet = EntryMatches(*e, text, context);
            EXPECT_EQ(e->findMarks, 0);
            EXPECT_EQ(quiet, MatchEntry(*e, text, context)) << std::wstring(text).size();
            e->resetMarks();
        }
    }
}

TEST_F(Find, HiddenAcesAndHeadingsNeverMatch) {
    a->ace(1)->visible = 0;
    EXPECT_FALSE(MatchEntry(*a, L"Backup", context));
    EXPECT_EQ(a->ace(1)->findMark, 0);
    auto heading = CDirEntry::makeHeading(L"added files");
    EXPECT_FALSE(MatchEntry(*heading, L"added", context));
    EXPECT_FALSE(MatchEntry(*heading, L"", context));
}

TEST_F(Find, MemberTextsMatchWhileGroupBreakDownIsOn) {
    const std::wstring members = L"CORP\\dave, CORP\\erin";
    context.memberText = [&members](std::wstring_view trustee) -> const std::wstring* {
        return trustee == L"staff" ? &members : nullptr;
    };
    EXPECT_TRUE(MatchEntry(*b, L"erin", context));
    EXPECT_EQ(b->ace(0)->findMark, 1);
    context.memberText = nullptr;
    EXPECT_FALSE(MatchEntry(*b, L"erin", context));
}

TEST_F(Find, PartnerTrusteesMatchInCompareMode) {
    sim::RecordingInteraction ui2;
    CDirList other(ui2);
    DatasetBuilder otherBuild(other);
    CDirEntry* p = otherBuild.addLoadEntry();
    p->resizeAces(1);
    p->ace(0)->setTrustee(test::NamesOf(p), L"ghost", L"");
    b->partner = p;
    EXPECT_FALSE(MatchEntry(*b, L"ghost", context));
    context.compareMode = true;
    EXPECT_TRUE(MatchEntry(*b, L"ghost", context));
    EXPECT_EQ(p->ace(0)->findMark, 1);
    b->resetMarks();
    EXPECT_EQ(p->ace(0)->findMark, 0);
}

TEST_F(Find, FindNextStepsFromTheEntryAfterTheTop) {
    int top = 0;
    EXPECT_EQ(find.FindNext(lines, L".txt", top, context, ui), 1);
    EXPECT_EQ(top, 1);
    EXPECT_EQ(find.lastFoundEntry, 1);
    EXPECT_EQ(ui.statusTexts(0).back(), L"Find next element successful");
    EXPECT_EQ(find.FindNext(lines, L".txt", top, context, ui), 3);
    EXPECT_EQ(top, 3);
    // The previous hit's marks were cleared.
    EXPECT_EQ(a->findMarks, 0);
    // Nothing after the last entry: the view stays.
    EXPECT_EQ(find.FindNext(lines, L".txt", top, context, ui), kNotFound);
    EXPECT_EQ(top, 3);
    EXPECT_EQ(ui.statusTexts(0).back(), L"Find next element failed");
}

TEST_F(Find, FindPreviousStepsBackAndStaysOnFailure) {
    int top = 3;
    EXPECT_EQ(find.FindPrevious(lines, L"report", top, context, ui), 1);
    EXPECT_EQ(top, 1);
    EXPECT_EQ(ui.statusTexts(0).back(), L"Find previous element successful");
    EXPECT_EQ(find.FindPrevious(lines, L"report", top, context, ui), kNotFound);
    EXPECT_EQ(top, 1);
    EXPECT_EQ(ui.statusTexts(0).back(), L"Find previous element failed");
    top = 0;
    EXPECT_EQ(find.FindPrevious(lines, L"nothing", top, context, ui), kNotFound);
    EXPECT_EQ(top, 0);
}

TEST_F(Find, HighlightMarksEveryMatchAndEmptyTextSwitchesItOff) {
    find.ToggleHighlight(lines, L"everyone", context, ui);
    EXPECT_TRUE(find.highlight);
    EXPECT_EQ(a->ace(0)->findMark, 1);
    EXPECT_EQ(c->ace(0)->findMark, 1);
    EXPECT_EQ(b->ace(0)->findMark, 0);
    // With highlight on, find next keeps no single hit.
    int top = 0;
    find.FindNext(lines, L"everyone", top, context, ui);
    EXPECT_EQ(find.lastFoundEntry, 0);
    find.ToggleHighlight(lines, L"", context, ui);
    EXPECT_FALSE(find.highlight);
    EXPECT_EQ(a->ace(0)->findMark, 0);
    EXPECT_EQ(c->ace(0)->findMark, 0);
    find.ToggleHighlight(lines, L"", context, ui);
    EXPECT_FALSE(find.highlight);
    EXPECT_EQ(ui.statusTexts(0).back(), L"matching files highlighted");
}

TEST_F(Find, ShowMatchingOnlyEndsUncheckedWithAnEmptyText) {
    find.ToggleShowMatchingOnly(L"x", ui);
    EXPECT_TRUE(find.showMatchingOnly);
    find.ToggleShowMatchingOnly(L"", ui);
    EXPECT_FALSE(find.showMatchingOnly);
    find.ToggleShowMatchingOnly(L"", ui);
    EXPECT_FALSE(find.showMatchingOnly);
    EXPECT_EQ(ui.statusTexts(0).back(), L"files where string is not found filtered");
}

TEST_F(Find, LeavingFindModeClearsEverything) {
    find.SetFindMode(true, lines, ui);
    EXPECT_EQ(ui.statusTexts(0).back(), L"Find mode activated");
    find.ToggleHighlight(lines, L"e", context, ui);
    find.ToggleShowMatchingOnly(L"e", ui);
    find.SetFindMode(false, lines, ui);
    EXPECT_FALSE(find.findMode);
    EXPECT_FALSE(find.highlight);
    EXPECT_FALSE(find.showMatchingOnly);
    EXPECT_EQ(a->findMarks, 0);
    EXPECT_EQ(a->ace(0)->findMark, 0);
    EXPECT_EQ(ui.statusTexts(0).back(), L"Find deactivated. Switched back to normal mode");
}

TEST_F(Find, TheViewFollowsTheEntryFound) {
    MainViewState view;
    view.ResetScroll(static_cast<unsigned>(lines.count()));
    view.AdoptTop({0, 3});
    int top = view.topEntry();
    ASSERT_EQ(find.FindNext(lines, L"NOTES", top, context, ui), 2);
    EXPECT_EQ(view.MoveTopTo(top), view_change::kVerticalBox | view_change::kRedraw);
    EXPECT_EQ(view.top(), (ViewTop{2, 0}));
    EXPECT_EQ(view.vScrollPos(), 2);
}

TEST(FindBar, PlacesAtCreationAndAfterAResize) {
    const auto created = FindBarPlaces(578, true);
    EXPECT_EQ(created[0], (ControlPlace{14, L"", 100, 549, 200, 20}));
    EXPECT_EQ(created[2], (ControlPlace{16, L"find next", 440, 548, 100, 22}));
    EXPECT_EQ(created[4], (ControlPlace{18, L"show matching only", 660, 548, 240, 22}));
    const auto resized = FindBarPlaces(578, false);
    EXPECT_EQ(resized[0], (ControlPlace{14, L"", 100, 551, 200, 20}));
    EXPECT_EQ(resized[1], (ControlPlace{15, L"find prev", 330, 550, 100, 22}));
    EXPECT_EQ(resized[3], (ControlPlace{17, L"highlight", 550, 550, 100, 22}));
    EXPECT_EQ(resized[4], (ControlPlace{18, L"show matching only", 660, 550, 240, 22}));
    const FindLabel label = FindBarLabel(578);
    EXPECT_EQ(label.x, 10);
    EXPECT_EQ(label.y, 550);
    EXPECT_STREQ(label.text, L"Find");
}

}  // namespace
}  // namespace quorel
