#include "filters/compare.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/compare_test_support.h"
#include "filters/permissions.h"
#include "platform/sim/recording_interaction.h"
#include "platform/text.h"

namespace quorel {
namespace {

using namespace test;
using V = std::vector<CDirEntry*>;
constexpr std::uint16_t kNone = AceRecord::kNoPartnerAce;

class Compare : public CompareTrees {};

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
    DatasetBuilder listBuild(list);
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
    DatasetBuilder listBuild(list);
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
        DatasetBuilder aBuild(a);
        auto b = std::make_unique<CDirList>(ui);
        DatasetBuilder bBuild(*b);
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
        LinkBothWays(a, *compared);
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
        DatasetBuilder listBuild(list);
        listBuild.setDepth(2);
        listBuild.placeAfter(folder);
        for (std::uint32_t i = 0; i < kFiles; ++i) {
            const std::uint32_t n = reversed ? kFiles - 1 - i : i;
            CDirEntry* e = (i == 0 ? listBuild.addLoadChild() : listBuild.addLoadEntry());
            e->setName((upper ? L"FILE-" : L"file-") + std::to_wstring(n) + L".dat");
        }
    };
    fill(a, aBig, false, false);
    fill(b, bBig, true, true);
    // One file only on each side.
    DatasetBuilder aBuild(a);
    DatasetBuilder bBuild(b);
    aBuild.placeAfter(aBig->firstChild());
    aBuild.addLoadEntry()->setName(L"only-here");
    bBuild.placeAfter(bBig->firstChild());
    bBuild.addLoadEntry()->setName(L"only-there");
    ASSERT_EQ(a.entryCount(), kFiles + 3);

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

}  // namespace
}  // namespace quorel
