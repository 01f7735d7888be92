#include "filters/compare.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/permissions.h"
#include "filters/static_filter.h"
#include "platform/sim/recording_interaction.h"
#include "platform/text.h"

namespace quorel {
namespace {

using Aces = std::vector<test::AceSpec>;
using V = std::vector<CDirEntry*>;

CDirEntry* add(CDirList& list, CDirEntry* parent, std::wstring_view name) {
    return test::AppendEntry(list, parent, name);
}

void give(CDirEntry* e, const Aces& aces) {
    test::SetAces(e, aces);
}

std::vector<std::uint16_t> links(const CDirEntry& e) {
    std::vector<std::uint16_t> result;
    for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
        result.push_back(e.ace(i)->partnerAce);
    }
    return result;
}

constexpr std::uint16_t kNone = AceRecord::kNoPartnerAce;
const Aces kStandard = {
    {L"Administrators", 0x1F01FF, 0x13, 0},
    {L"Users", 0x1200A9, 0x13, 0},
    {L"Guest", 0x2, 0x00, 1},
};

// Two datasets of the same tree:
//   C:\Data { Docs { a.txt, b.txt }, readme }
class Compare : public ::testing::Test {
  protected:
    Compare() {
        build(shown, L"C:\\Data", s);
        build(*other, L"C:\\Data", o);
        rights.clear();
        rights.AppendRightColumn(0x1, L"rd");
        rights.AppendRightColumn(0x2, L"wr");
        rights.AppendRightColumn(0x20, L"ex");
        rights.AppendRightColumn(0x10000, L"del");
    }

    struct Tree {
        CDirEntry *root, *docs, *a, *b, *readme;
    };

    static void build(CDirList& list, const wchar_t* rootPath, Tree& t) {
        t.root = add(list, nullptr, rootPath);
        t.docs = add(list, t.root, L"Docs");
        t.a = add(list, t.docs, L"a.txt");
        t.b = add(list, t.docs, L"b.txt");
        t.readme = add(list, t.root, L"readme");
        for (CDirEntry* e : {t.root, t.docs, t.a, t.b, t.readme}) {
            give(e, kStandard);
        }
    }

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

    sim::RecordingInteraction ui;
    CDirList shown{ui};
    std::unique_ptr<CDirList> other = std::make_unique<CDirList>(ui);
    Tree s{}, o{};
    CompareState state;
    DisplayList lines;
    DisplayedRights rights;
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

// --- DatasetsMatch --------------------------------------------------------

TEST_F(Compare, DatasetsMatchComparesTheRootPathsIgnoringCase) {
    EXPECT_TRUE(DatasetsMatch(shown, *other));
    o.root->setName(L"c:\\dATA");
    EXPECT_TRUE(DatasetsMatch(shown, *other));
    // Deeper levels do not count.
    o.docs->setName(L"Elsewhere");
    EXPECT_TRUE(DatasetsMatch(shown, *other));
    o.root->setName(L"C:\\Other");
    EXPECT_FALSE(DatasetsMatch(shown, *other));
    o.root->setName(L"C:\\Data2");
    EXPECT_FALSE(DatasetsMatch(shown, *other));
}

TEST_F(Compare, DatasetsMatchNeedsTheSameRootsInTheSameOrder) {
    add(shown, nullptr, L"D:\\second");
    EXPECT_FALSE(DatasetsMatch(shown, *other));
    EXPECT_FALSE(DatasetsMatch(*other, shown));
    add(*other, nullptr, L"d:\\SECOND");
    EXPECT_TRUE(DatasetsMatch(shown, *other));

    CDirList x(ui), y(ui);
    add(x, nullptr, L"A:\\one");
    add(x, nullptr, L"B:\\two");
    add(y, nullptr, L"B:\\two");
    add(y, nullptr, L"A:\\one");
    EXPECT_FALSE(DatasetsMatch(x, y));
}

// --- FindEntryByPath ------------------------------------------------------

TEST_F(Compare, FindEntryByPathIgnoresCase) {
    EXPECT_EQ(FindEntryByPath(shown, L"C:\\Data"), s.root);
    EXPECT_EQ(FindEntryByPath(shown, L"c:\\data\\DOCS\\B.TXT"), s.b);
    EXPECT_EQ(FindEntryByPath(shown, L"C:\\Data\\readme"), s.readme);
    EXPECT_EQ(FindEntryByPath(shown, L"C:\\Data\\Docs\\c.txt"), nullptr);
    EXPECT_EQ(FindEntryByPath(shown, L"C:\\Data\\Doc"), nullptr);
    EXPECT_EQ(FindEntryByPath(shown, L"C:\\Data\\"), nullptr);
    EXPECT_EQ(FindEntryByPath(shown, L""), nullptr);
}

TEST_F(Compare, FindEntryByPathLooksPastARootThatBeginsAnotherRoot) {
    CDirList list(ui);
    CDirEntry* data = add(list, nullptr, L"C:\\data");
    CDirEntry* inData = add(list, data, L"x");
    CDirEntry* data2 = add(list, nullptr, L"C:\\data2");
    CDirEntry* inData2 = add(list, data2, L"x");
    EXPECT_EQ(FindEntryByPath(list, L"C:\\data2"), data2);
    EXPECT_EQ(FindEntryByPath(list, L"C:\\DATA2\\X"), inData2);
    EXPECT_EQ(FindEntryByPath(list, L"C:\\data\\x"), inData);
}

TEST_F(Compare, FindEntryByPathUnderADriveRoot) {
    CDirList list(ui);
    CDirEntry* drive = add(list, nullptr, L"C:\\");
    CDirEntry* x = add(list, drive, L"x");
    CDirEntry* y = add(list, x, L"y");
    EXPECT_EQ(FindEntryByPath(list, L"c:\\"), drive);
    EXPECT_EQ(FindEntryByPath(list, L"c:\\X"), x);
    EXPECT_EQ(FindEntryByPath(list, L"C:\\x\\Y"), y);
    EXPECT_EQ(FindEntryByPath(list, L"C:\\\\x"), nullptr);
}

// --- LinkEntries ----------------------------------------------------------

TEST_F(Compare, LinkEntriesMatchesPathsDifferingOnlyInCase) {
    o.root->setName(L"c:\\data");
    o.docs->setName(L"DOCS");
    o.a->setName(L"A.TXT");
    LinkEntries(shown, *other);
    LinkEntries(*other, shown);
    EXPECT_EQ(s.root->partner, o.root);
    EXPECT_EQ(s.docs->partner, o.docs);
    EXPECT_EQ(s.a->partner, o.a);
    EXPECT_EQ(s.b->partner, o.b);
    EXPECT_EQ(s.readme->partner, o.readme);
    EXPECT_EQ(o.a->partner, s.a);
    EXPECT_EQ(o.readme->partner, s.readme);
}

TEST_F(Compare, LinkEntriesFoldsEachUnitBySimpleCaseMapping) {
    add(shown, s.docs, L"\u00E4rger");           // ärger
    add(*other, o.docs, L"\u00C4RGER");          // ÄRGER
    add(shown, s.docs, L"stra\u00DFe");          // straße
    add(*other, o.docs, L"STRASSE");             // no expansion of ß
    add(shown, s.docs, L"\u0434\u043E\u043C");   // дом
    add(*other, o.docs, L"\u0414\u041E\u041C");  // ДОМ
    LinkEntries(shown, *other);
    EXPECT_EQ(FindEntryByPath(shown, L"C:\\Data\\Docs\\\u00C4rger")->partner,
              FindEntryByPath(*other, L"C:\\Data\\Docs\\\u00C4RGER"));
    EXPECT_EQ(FindEntryByPath(shown, L"C:\\Data\\Docs\\stra\u00DFe")->partner, nullptr);
    EXPECT_EQ(FindEntryByPath(shown, L"C:\\Data\\Docs\\\u0434\u043E\u043C")->partner,
              FindEntryByPath(*other, L"C:\\Data\\Docs\\\u0414\u041E\u041C"));
}

TEST_F(Compare, LinkEntriesWithARootThatIsAPrefixOfAnotherRoot) {
    CDirList a(ui), b(ui);
    CDirEntry* a1 = add(a, nullptr, L"C:\\data");
    CDirEntry* a1x = add(a, a1, L"x");
    CDirEntry* a2 = add(a, nullptr, L"C:\\data2");
    CDirEntry* a2x = add(a, a2, L"x");
    CDirEntry* a2y = add(a, a2, L"y");
    CDirEntry* b1 = add(b, nullptr, L"c:\\DATA");
    CDirEntry* b1x = add(b, b1, L"X");
    CDirEntry* b2 = add(b, nullptr, L"c:\\DATA2");
    CDirEntry* b2x = add(b, b2, L"X");
    CDirEntry* b2y = add(b, b2, L"Y");
    ASSERT_TRUE(DatasetsMatch(a, b));
    LinkEntries(a, b);
    LinkEntries(b, a);
    EXPECT_EQ((V{a1->partner, a1x->partner, a2->partner, a2x->partner, a2y->partner}),
              (V{b1, b1x, b2, b2x, b2y}));
    EXPECT_EQ((V{b1->partner, b1x->partner, b2->partner, b2x->partner, b2y->partner}),
              (V{a1, a1x, a2, a2x, a2y}));
}

TEST_F(Compare, LinkEntriesAcrossADriveRootAndAFolderRoot) {
    // "C:\" with child "x" on one side, the root "C:\x" on the other: the
    // full paths are what count.
    CDirList a(ui), b(ui);
    CDirEntry* drive = add(a, nullptr, L"C:\\");
    CDirEntry* x = add(a, drive, L"x");
    CDirEntry* y = add(a, x, L"y");
    CDirEntry* bx = add(b, nullptr, L"c:\\X");
    CDirEntry* by = add(b, bx, L"Y");
    LinkEntries(a, b);
    LinkEntries(b, a);
    EXPECT_EQ(drive->partner, nullptr);
    EXPECT_EQ(x->partner, bx);
    EXPECT_EQ(y->partner, by);
    EXPECT_EQ(bx->partner, x);
    EXPECT_EQ(by->partner, y);
}

TEST_F(Compare, LinkEntriesKeepsTheLinkOfEntriesWithoutCounterpart) {
    CDirEntry* extra = add(shown, s.docs, L"new.txt");
    extra->partner = o.readme;  // left from before
    s.a->partner = o.readme;
    LinkEntries(shown, *other);
    EXPECT_EQ(extra->partner, o.readme);
    EXPECT_EQ(s.a->partner, o.a);
}

TEST_F(Compare, LinkEntriesTakesTheFirstOfEqualPaths) {
    // A case-sensitive folder can hold "Docs" and "DOCS"; the first in
    // dataset order is the counterpart.
    CDirEntry* second = add(*other, o.root, L"DOCS");
    CDirEntry* onlyInSecond = add(*other, second, L"c.txt");
    CDirEntry* c = add(shown, s.docs, L"c.txt");
    LinkEntries(shown, *other);
    EXPECT_EQ(s.docs->partner, o.docs);
    EXPECT_EQ(FindEntryByPath(*other, L"C:\\Data\\docs"), o.docs);
    // The index knows paths, not listings: c.txt is found under the second.
    EXPECT_EQ(c->partner, onlyInSecond);
}

TEST_F(Compare, AnEntryWithAPathOfItsOwnIsLinkedByThatPath) {
    // An entry (and what lies below it) whose path is not its parent's
    // joined with its name is found under the path it keeps.
    CDirEntry* moved = add(shown, s.docs, L"x");
    moved->setPath(L"C:\\Data\\readme\\x");
    CDirEntry* below = add(shown, moved, L"y");
    CDirEntry* otherX = add(*other, o.readme, L"x");
    CDirEntry* otherY = add(*other, otherX, L"y");
    ASSERT_TRUE(moved->hasStoredPath());
    LinkEntries(shown, *other);
    EXPECT_EQ(moved->partner, otherX);
    EXPECT_EQ(below->partner, otherY);
    EXPECT_FALSE(s.a->hasStoredPath());
}

TEST_F(Compare, DotEntriesAreLinkedLikeOthers) {
    CDirEntry* dot = add(shown, s.root, L".");
    CDirEntry* otherDot = add(*other, o.root, L".");
    LinkEntries(shown, *other);
    EXPECT_EQ(dot->partner, otherDot);
}

// Random small trees with roots that end in a backslash, names that differ
// in case only, empty names and names holding a backslash: every link must
// be the first entry, in dataset order, whose full path is equal after
// folding each unit.
TEST(CompareLinks, AgreeWithFoldedFullPaths) {
    std::uint64_t seed = 0x9E3779B97F4A7C15ull;
    auto below = [&seed](std::uint32_t n) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>((seed >> 33) % n);
    };
    const std::vector<std::wstring> roots = {L"C:",       L"C:\\",   L"c:\\",           L"C:\\a",
                                             L"c:\\A\\b", L"C:\\ab", L"\\\\srv\\share", L""};
    const std::vector<std::wstring> names = {L"a",      L"A", L"b", L"ab",   L"\u00E4",
                                             L"\u00C4", L"",  L".", L"a\\b", L"B\\"};
    auto grow = [&](CDirList& list) {
        const std::uint32_t rootCount = 1 + below(3);
        for (std::uint32_t r = 0; r < rootCount; ++r) {
            std::vector<CDirEntry*> made{add(list, nullptr, roots[below(8)])};
            for (std::size_t k = 0; k < made.size() && made.size() < 25; ++k) {
                for (std::uint32_t c = below(4); c > 0; --c) {
                    made.push_back(add(list, made[k], names[below(10)]));
                }
            }
        }
    };
    auto firstWithPath = [](const CDirList& list, const CDirEntry& e) -> CDirEntry* {
        const std::wstring path = upperCase(e.path());
        for (CDirEntry& x : list) {
            if (upperCase(x.path()) == path) {
                return &x;
            }
        }
        return nullptr;
    };
    int checked = 0;
    int linked = 0;
    for (int round = 0; round < 300; ++round) {
        sim::RecordingInteraction ui;
        CDirList a(ui);
        auto b = std::make_unique<CDirList>(ui);
        grow(a);
        grow(*b);
        LinkEntries(a, *b);
        LinkEntries(*b, a);
        for (CDirEntry& e : a) {
            CDirEntry* expected = firstWithPath(*b, e);
            ASSERT_EQ(e.partner, expected)
                << "round " << round << ": " << std::string(e.path().begin(), e.path().end());
            ASSERT_EQ(FindEntryByPath(*b, e.path()), expected) << "round " << round;
            ++checked;
            linked += expected != nullptr ? 1 : 0;
        }
        for (CDirEntry& e : *b) {
            ASSERT_EQ(e.partner, firstWithPath(a, e)) << "round " << round;
        }
        // The refresh links both ways from a single index.
        for (CDirEntry& e : a) {
            e.partner = nullptr;
        }
        CDirList* compared = b.get();
        CompareState state;
        state.compared = std::move(b);
        DisplayList lines;
        ASSERT_TRUE(RefreshCompare(state, CompareView(a, lines, ui)));
        for (CDirEntry& e : a) {
            ASSERT_EQ(e.partner, firstWithPath(*compared, e)) << "round " << round;
        }
        for (CDirEntry& e : *compared) {
            ASSERT_EQ(e.partner, firstWithPath(a, e)) << "round " << round;
        }
    }
    // The trees must overlap enough for the check to mean something.
    EXPECT_GT(linked, checked / 20);
}

TEST_F(Compare, AFolderOf200000FilesLinksInOnePass) {
    // Two datasets whose one folder holds 200,000 files, listed in opposite
    // orders and with the names in other case on one side.
    constexpr std::uint32_t kFiles = 200000;
    CDirList a(ui), b(ui);
    CDirEntry* aRoot = add(a, nullptr, L"\\\\server\\share");
    CDirEntry* bRoot = add(b, nullptr, L"\\\\SERVER\\share");
    CDirEntry* aBig = add(a, aRoot, L"big");
    CDirEntry* bBig = add(b, bRoot, L"BIG");
    auto fill = [](CDirList& list, CDirEntry* folder, bool reversed, bool upper) {
        list.currentDepth = 2;
        list.setCursor(folder);
        for (std::uint32_t i = 0; i < kFiles; ++i) {
            const std::uint32_t n = reversed ? kFiles - 1 - i : i;
            CDirEntry* e = list.newLoadEntry(i == 0);
            e->setName((upper ? L"FILE-" : L"file-") + std::to_wstring(n) + L".dat");
        }
    };
    fill(a, aBig, false, false);
    fill(b, bBig, true, true);
    // One file only on each side.
    a.setCursor(aBig->firstChild());
    a.newLoadEntry(false)->setName(L"only-here");
    b.setCursor(bBig->firstChild());
    b.newLoadEntry(false)->setName(L"only-there");
    ASSERT_EQ(a.entryCount, kFiles + 3);

    LinkEntries(a, b);
    LinkEntries(b, a);
    std::uint32_t linked = 0;
    std::uint32_t wrong = 0;
    for (CDirEntry& e : a) {
        if (e.partner == nullptr) {
            EXPECT_EQ(e.name(), L"only-here");
            continue;
        }
        ++linked;
        wrong += e.partner->partner == &e && equalsNoCase(e.partner->name(), e.name()) ? 0 : 1;
    }
    EXPECT_EQ(linked, kFiles + 2);
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(FindEntryByPath(b, L"\\\\server\\SHARE\\big\\file-123456.dat")->partner,
              FindEntryByPath(a, L"\\\\server\\share\\big\\file-123456.dat"));
}

// --- DiffAcl --------------------------------------------------------------

TEST_F(Compare, DiffAclIgnoresTheOrderOfTheAces) {
    give(o.a, {kStandard[2], kStandard[0], kStandard[1]});
    EXPECT_FALSE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{1, 2, 0}));
    EXPECT_FALSE(DiffAcl(*o.a, s.a));
    EXPECT_EQ(links(*o.a), (std::vector<std::uint16_t>{2, 0, 1}));
}

TEST_F(Compare, DiffAclLinksAChangedMaskInTheSecondPass) {
    give(o.a, {kStandard[0], {L"Users", 0x1301BF, 0x13, 0}, kStandard[2]});
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{0, 1, 2}));
    EXPECT_TRUE(DiffAcl(*o.a, s.a));
    EXPECT_EQ(links(*o.a), (std::vector<std::uint16_t>{0, 1, 2}));
}

TEST_F(Compare, DiffAclTakesTheLastMatchOfEachPass) {
    give(o.a, {{L"Users", 0x1, 0x13, 0},
               {L"Users", 0x1200A9, 0x13, 0},
               {L"Users", 0x3, 0x13, 0},
               {L"Users", 0x1200A9, 0x13, 0},
               {L"Users", 0x7, 0x13, 0}});
    give(s.a, {{L"Users", 0x1200A9, 0x13, 0}, {L"Users", 0x1F01FF, 0x13, 0}});
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    // The exact pass wins over a later ACE that differs in the mask only.
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{3, 4}));
    // Repeated ACEs do not count as a difference.
    give(s.a, {{L"Users", 0x1200A9, 0x13, 0}, {L"Users", 0x1200A9, 0x13, 0}});
    EXPECT_FALSE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{3, 3}));
}

TEST_F(Compare, DiffAclNeedsTheSameTrusteeNameFlagsAndType) {
    give(o.a, {{L"Users", 0x1200A9, 0x13, 0}});
    const Aces others = {
        {L"users", 0x1200A9, 0x13, 0},  // trustee name differs in case
        {L"Users", 0x1200A9, 0x03, 0},  // not inherited
        {L"Users", 0x1200A9, 0x13, 1},  // deny
        {L"Guests", 0x1200A9, 0x13, 0},
    };
    give(s.a, others);
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{kNone, kNone, kNone, kNone}));
    // The domain is not part of the trustee name.
    s.a->ace(0)->setTrustee(L"Users", L"ELSEWHERE");
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{0, kNone, kNone, kNone}));
}

TEST_F(Compare, DiffAclWithoutCounterpartLeavesTheLinks) {
    s.a->ace(1)->partnerAce = 2;
    EXPECT_FALSE(DiffAcl(*s.a, nullptr));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{kNone, 2, kNone}));
    // With a counterpart every old link is replaced.
    give(o.a, {kStandard[0]});
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{0, kNone, kNone}));
}

TEST_F(Compare, DiffAclOfAnEmptyAcl) {
    give(o.a, {});
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    EXPECT_FALSE(DiffAcl(*o.a, s.a));
    give(s.a, {});
    EXPECT_FALSE(DiffAcl(*s.a, o.a));
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
    const std::vector<MissingAce> missing = MissingAces(*s.readme);
    ASSERT_EQ(missing.size(), 2u);
    EXPECT_EQ(missing[0].index, 2u);
    EXPECT_EQ(missing[0].ace, o.readme->ace(2));
    EXPECT_EQ(missing[0].text, L"Guest DENY INHERITED");
    EXPECT_EQ(missing[1].index, 3u);
    EXPECT_EQ(missing[1].text, L"Creator INHERIT_ONLY");
    EXPECT_EQ(MissingAceCount(*s.readme), 2u);

    const EntryCompareMarks marks = CompareMarksOf(*s.readme, rights);
    EXPECT_EQ(marks.newAce, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(marks.changedCells, (std::vector<std::uint32_t>{0, 0, 0}));
    ASSERT_EQ(marks.missing.size(), 2u);
    EXPECT_EQ(marks.missing[1].text, L"Creator INHERIT_ONLY");
    // Seen from the compared side, Backup is the missing one.
    const std::vector<MissingAce> back = MissingAces(*o.readme);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].text, L"Backup");
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
    EXPECT_TRUE(MissingAces(*s.a).empty());
}

TEST_F(Compare, RefreshCompareAfterAnEdit) {
    ASSERT_TRUE(compare());
    EXPECT_EQ(groupsOf(lines, state).modified, V{});
    give(s.a, {kStandard[0], kStandard[1]});  // the Guest deny removed
    ASSERT_TRUE(RefreshCompare(state, view()));
    EXPECT_EQ(groupsOf(lines, state).modified, V{s.a});
    EXPECT_EQ(MissingAces(*s.a).size(), 1u);
    EXPECT_EQ(MissingAces(*s.a)[0].text, L"Guest DENY");
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
