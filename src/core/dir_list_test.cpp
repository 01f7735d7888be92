#include "core/dir_list.h"

#include <gtest/gtest.h>

#include "core/dataset_builder.h"
#include "core/entry_security.h"

#include "platform/sim/recording_interaction.h"

namespace quorel {
namespace {

using sim::RecordingInteraction;

// Records what the scan constructor asks of the reader.
class FakeSecurity : public EntrySecurity {
  public:
    void readSecurity(CDirEntry& entry) override {
        reads.push_back(entry.path());
        entry.setOwner(L"owner", L"DOM");
        entry.findMarks = 0xF;
    }
    void reapplyParentAcl(CDirEntry& entry) override { reapplied.push_back(entry.path()); }
    std::vector<std::wstring> reads;
    std::vector<std::wstring> reapplied;
};

// Builds  root{ ., .., a{ ., .., x }, b }  through the scan constructor the
// way the scanner links entries.
struct SmallTree {
    RecordingInteraction ui;
    CDirList list{ui};
    DatasetBuilder build{list};
    FakeSecurity security;
    CDirEntry *root, *dot, *dotdot, *a, *aDot, *aDotDot, *x, *b;

    SmallTree() {
        root = build.addScanEntry(L"C:\\r", L"C:\\r", security);
        build.placeUnder(root);
        dot = build.addScanEntry(L"C:\\r\\.", L".", security);
        dotdot = build.addScanEntry(L"C:\\r\\..", L"..", security);
        a = build.addScanEntry(L"C:\\r\\a", L"a", security);
        build.placeUnder(a);
        aDot = build.addScanEntry(L"C:\\r\\a\\.", L".", security);
        aDotDot = build.addScanEntry(L"C:\\r\\a\\..", L"..", security);
        x = build.addScanEntry(L"C:\\r\\a\\x", L"x", security);
        build.placeAfter(a);
        b = build.addScanEntry(L"C:\\r\\b", L"b", security);
    }

    std::vector<CDirEntry*> walk() {
        std::vector<CDirEntry*> seen;
        for (CDirEntry& e : list) {
            seen.push_back(&e);
        }
        return seen;
    }
};

TEST(CDirList, FirstEntryBecomesRootWhereverItWasMeantToGo) {
    RecordingInteraction ui;
    CDirList list(ui);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.begin(), list.end());
    DatasetBuilder build(list);
    EXPECT_EQ(build.lastAdded(), nullptr);
    CDirEntry* root = build.addLoadChild();
    EXPECT_FALSE(list.isEmpty());
    EXPECT_EQ(list.firstEntry(), root);
    EXPECT_EQ(build.lastAdded(), root);
    EXPECT_EQ(list.entryCount(), 1u);
    EXPECT_EQ(root->parent(), nullptr);
    EXPECT_EQ(root->depth, 0u);
    // The next entry follows the one just added.
    CDirEntry* second = build.addLoadEntry();
    EXPECT_EQ(root->nextSibling(), second);
    EXPECT_EQ(second->depth, 0u);
    EXPECT_EQ(list.entryCount(), 2u);
}

TEST(CDirList, ScanConstructorReadsLinksAndClearsMarks) {
    SmallTree t;
    EXPECT_EQ(t.list.entryCount(), 8u);
    EXPECT_EQ(t.security.reads.front(), L"C:\\r");
    EXPECT_EQ(t.security.reads.back(), L"C:\\r\\b");
    EXPECT_TRUE(t.security.reapplied.empty());
    EXPECT_EQ(t.x->findMarks, 0);  // resetMarks after the read
    EXPECT_EQ(t.x->ownerName(), L"owner");
    EXPECT_EQ(t.x->ownerDomain(), L"DOM");
    EXPECT_EQ(t.x->depth, 2u);
    EXPECT_EQ(t.b->depth, 1u);
    EXPECT_EQ(t.b->parent(), t.root);
    EXPECT_EQ(t.x->parent(), t.a);
    EXPECT_EQ(t.root->firstChild(), t.dot);
    EXPECT_EQ(t.a->path(), L"C:\\r\\a");
    EXPECT_EQ(t.x->path(), L"C:\\r\\a\\x");
}

TEST(CDirList, RereadParentReappliesThenReadsAgain) {
    SmallTree t;
    t.security.reads.clear();
    CDirEntry* c = t.build.addScanEntry(L"C:\\r\\c", L"c", t.security, true);
    EXPECT_EQ(t.security.reapplied, std::vector<std::wstring>{L"C:\\r\\c"});
    EXPECT_EQ(t.security.reads, (std::vector<std::wstring>{L"C:\\r\\c", L"C:\\r\\c"}));
    EXPECT_EQ(c->visible, 1);
}

TEST(CDirList, WalkIsPreOrderAndStepsOverDotEntries) {
    SmallTree t;
    EXPECT_EQ(t.walk(),
              (std::vector<CDirEntry*>{t.root, t.dot, t.dotdot, t.a, t.aDot, t.aDotDot, t.x, t.b}));
}

TEST(CDirList, EntryNamedDotIsNeverDescended) {
    SmallTree t;
    // Even if a "." entry had children (a corrupt dataset), the walk steps
    // over them.
    t.build.placeUnder(t.dot);
    CDirEntry* hidden = t.build.addLoadEntry();
    hidden->setName(L"hidden");
    auto seen = t.walk();
    EXPECT_EQ(std::find(seen.begin(), seen.end(), hidden), seen.end());
    EXPECT_EQ(seen.size(), 8u);
}

TEST(CDirList, SiblingAppendedFromMiddleOfListingGoesToItsEnd) {
    SmallTree t;
    t.build.placeAfter(t.dotdot);  // middle of the root's listing
    CDirEntry* c = t.build.addLoadEntry();
    EXPECT_EQ(t.b->nextSibling(), c);
    EXPECT_EQ(c->parent(), t.root);
    EXPECT_EQ(c->depth, 1u);
    EXPECT_EQ(t.walk().back(), c);
    // A child goes before the children a folder has, one level down.
    t.build.placeUnder(t.a);
    CDirEntry* first = t.build.addLoadEntry();
    EXPECT_EQ(t.a->firstChild(), first);
    EXPECT_EQ(first->nextSibling(), t.aDot);
    EXPECT_EQ(first->depth, 2u);
    EXPECT_EQ(t.list.entryCount(), 10u);
}

TEST(CDirList, VisibleCountIsVisibleEntriesPlusOne) {
    SmallTree t;
    EXPECT_EQ(t.list.visibleCount(), 9u);
    t.dot->visible = 0;
    t.x->visible = 0;
    EXPECT_EQ(t.list.visibleCount(), 7u);
    EXPECT_EQ(t.list.lineCount(), 9u);
    RecordingInteraction ui;
    CDirList empty(ui);
    EXPECT_EQ(empty.visibleCount(), 1u);
}

TEST(CDirList, DirectoryTestsAndListingNotRead) {
    SmallTree t;
    EXPECT_TRUE(t.a->isDirectory());
    EXPECT_FALSE(t.b->isDirectory());
    EXPECT_FALSE(t.b->isDirectoryForEditing());
    t.b->setListingNotRead(true);
    // A folder whose listing was not read has no child and counts as a file
    // for the filters, as a folder for editing.
    EXPECT_FALSE(t.b->isDirectory());
    EXPECT_TRUE(t.b->isDirectoryForEditing());
    EXPECT_EQ(t.b->firstChild(), nullptr);
    auto seen = t.walk();
    EXPECT_EQ(seen.back(), t.b);
    // A folder with children cannot be marked.
    t.a->setListingNotRead(true);
    EXPECT_FALSE(t.a->listingNotRead());
}

TEST(CDirList, RemoveChildrenFreesTheSubtreeAndForgetsIt) {
    SmallTree t;
    t.list.errorList().addError(L"before", t.root);
    t.list.errorList().addError(L"inside", t.x);
    t.list.removeChildren(t.a);
    EXPECT_EQ(t.list.entryCount(), 5u);
    EXPECT_EQ(t.a->firstChild(), nullptr);
    EXPECT_EQ(t.list.errorList().at(0).entry, t.root);
    EXPECT_EQ(t.list.errorList().at(1).entry, nullptr);
    EXPECT_EQ(t.list.errorList().at(1).number, 1);
    EXPECT_EQ(t.walk(), (std::vector<CDirEntry*>{t.root, t.dot, t.dotdot, t.a, t.b}));
    // The last child after a nested listing goes too.
    SmallTree u;
    u.list.errorList().addError(L"last", u.b);
    u.list.removeChildren(u.root);
    EXPECT_EQ(u.list.entryCount(), 1u);
    EXPECT_EQ(u.list.errorList().at(0).entry, nullptr);
}

TEST(CDirList, DriveRootChildrenGetOneBackslash) {
    RecordingInteraction ui;
    CDirList list(ui);
    FakeSecurity security;
    DatasetBuilder build(list);
    CDirEntry* root = build.addScanEntry(L"C:\\", L"C:\\", security);
    build.placeUnder(root);
    CDirEntry* win = build.addScanEntry(L"C:\\Windows", L"Windows", security);
    EXPECT_EQ(root->path(), L"C:\\");
    EXPECT_EQ(win->path(), L"C:\\Windows");
    EXPECT_FALSE(win->hasStoredPath());  // derived: millions of entries store no path
    // A path that is not the parent's joined with the name is kept as given.
    CDirEntry* odd = build.addScanEntry(L"D:\\elsewhere\\odd", L"odd", security);
    EXPECT_EQ(odd->path(), L"D:\\elsewhere\\odd");
    EXPECT_TRUE(odd->hasStoredPath());
    // Root name stays as the user gave it; path may differ.
    build.placeAfter(nullptr);
    CDirEntry* second = build.addScanEntry(L"E:\\", L"E:", security);
    EXPECT_EQ(second->name(), L"E:");
    EXPECT_EQ(second->path(), L"E:\\");
}

TEST(CDirList, SecondRootJoinsTheTopListing) {
    SmallTree t;
    DatasetBuilder other(t.list);  // a new builder starts at the end of the top listing
    other.setDepth(1);
    CDirEntry* r2 = other.addScanEntry(L"D:\\s", L"D:\\s", t.security);
    EXPECT_EQ(t.root->nextSibling(), r2);
    EXPECT_EQ(r2->parent(), nullptr);
    EXPECT_EQ(r2->depth, 1u);
    EXPECT_EQ(t.walk().back(), r2);
}

TEST(CDirList, DeepAndWideTreesAreWalkedClearedAndFreedWithoutRecursion) {
    // 100,000 levels: a recursive destructor or walk would exhaust the stack.
    constexpr int kDepth = 100000;
    RecordingInteraction ui;
    {
        CDirList list(ui);
        DatasetBuilder build(list);
        build.addLoadEntry()->setName(L"root");
        for (int i = 1; i < kDepth; ++i) {
            CDirEntry* e = build.addLoadChild();
            e->setName(L"d");
            ASSERT_EQ(e->depth, static_cast<std::uint32_t>(i));
        }
        std::uint32_t walked = 0;
        for ([[maybe_unused]] const CDirEntry& e : list) {
            ++walked;
        }
        EXPECT_EQ(walked, static_cast<std::uint32_t>(kDepth));
        list.removeChildren(list.firstEntry()->firstChild());
        EXPECT_EQ(list.entryCount(), 2u);
        build.placeAfter(list.firstEntry()->firstChild());
        for (int i = 0; i < kDepth; ++i) {
            build.addLoadChild();
        }
        list.clear();
        EXPECT_TRUE(list.isEmpty());
        EXPECT_EQ(list.firstEntry(), nullptr);
        EXPECT_EQ(list.visibleCount(), 1u);
        DatasetBuilder again(list);
        again.addLoadChild();
        for (int i = 0; i < kDepth; ++i) {
            again.addLoadChild();
        }
    }  // destroyed here with a deep tree in it
    SUCCEED();
}

TEST(CDirEntry, HeadingIsAStandaloneLine) {
    auto heading = CDirEntry::makeHeading(L"added files");
    EXPECT_EQ(heading->isHeading, 1);
    EXPECT_EQ(heading->visible, 1);
    EXPECT_EQ(heading->headingText(), L"added files");
    EXPECT_EQ(heading->dataset(), nullptr);
    EXPECT_EQ(heading->aceCount(), 0u);
    EXPECT_TRUE(heading->name().empty());
}

TEST(CDirEntry, AceAccessStopsAtAceCount) {
    RecordingInteraction ui;
    CDirList list(ui);
    CDirEntry* e = DatasetBuilder(list).addLoadEntry();
    EXPECT_EQ(e->ace(0), nullptr);
    e->resizeAces(3);
    EXPECT_NE(e->ace(2), nullptr);
    EXPECT_EQ(e->ace(3), nullptr);
    EXPECT_EQ(e->ace(0xFFFFFFFFu), nullptr);
    // Fresh records: texts unset, type 0, visible, nothing marked.
    const AceRecord* r = e->ace(1);
    EXPECT_FALSE(r->hasTrustee(list.accountNames()));
    EXPECT_EQ(r->aceType, 0);
    EXPECT_EQ(r->visible, 1);
    EXPECT_EQ(r->findMark, 0);
    EXPECT_EQ(r->unresolved, 0);
    EXPECT_FALSE(r->hasPartnerAce());
}

TEST(CDirEntry, ResetMarksClearsOwnAndPartnerAceMarks) {
    RecordingInteraction ui;
    CDirList one(ui), two(ui);
    CDirEntry* a = DatasetBuilder(one).addLoadEntry();
    CDirEntry* b = DatasetBuilder(two).addLoadEntry();
    a->resizeAces(2);
    b->resizeAces(2);
    a->partner = b;
    a->findMarks = find_mark::kPath | find_mark::kGroup;
    a->ace(1)->findMark = 1;
    b->ace(0)->findMark = 1;
    b->ace(1)->findMark = 1;
    b->findMarks = find_mark::kName;
    a->resetMarks();
    EXPECT_EQ(a->findMarks, 0);
    EXPECT_EQ(a->ace(1)->findMark, 0);
    EXPECT_EQ(b->ace(0)->findMark, 0);
    EXPECT_EQ(b->ace(1)->findMark, 0);
    EXPECT_EQ(b->findMarks, find_mark::kName);  // the partner's own marks stay
}

TEST(CDirEntry, OwnerAndGroupTextsAreSetAndReplaced) {
    RecordingInteraction ui;
    CDirList list(ui);
    CDirEntry* e = DatasetBuilder(list).addLoadEntry();
    e->setOwner(L"alice", L"CORP");
    e->setGroupNameOnly(L"S-1-5-21-1-2-3-513");
    EXPECT_EQ(e->ownerName(), L"alice");
    EXPECT_EQ(e->ownerDomain(), L"CORP");
    EXPECT_EQ(e->groupName(), L"S-1-5-21-1-2-3-513");
    EXPECT_FALSE(e->groupDomainSet());
    e->setGroup(L"staff", L"");
    EXPECT_TRUE(e->groupDomainSet());
    EXPECT_EQ(e->groupDomain(), L"");
    e->setOwner(L"bob", L"HOST");
    EXPECT_EQ(e->ownerName(), L"bob");
    EXPECT_EQ(e->ownerDomain(), L"HOST");
}

}  // namespace
}  // namespace quorel
