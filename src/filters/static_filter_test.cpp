#include "filters/static_filter.h"

#include <gtest/gtest.h>

#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/permissions.h"
#include "platform/sim/recording_interaction.h"

namespace quorel {
namespace {

// root{ ., sub{ leaf }, file }
class Filters : public ::testing::Test {
  protected:
    Filters() {
        root = add(nullptr, L"C:\\r");
        dot = add(root, L".");
        sub = add(root, L"sub");
        leaf = add(sub, L"leaf");
        file = add(root, L"file");
        for (CDirEntry* e : {root, dot, sub, leaf, file}) {
            give(e, {{L"admins", 0x1F01FF, 0x13, 0}});
        }
        rights.clear();
        rights.AppendRightColumn(0x1, L"rd");
        rights.AppendRightColumn(0x2, L"wr");
    }
    CDirEntry* add(CDirEntry* parent, const wchar_t* name) {
        return test::AppendEntry(list, parent, name);
    }
    static void give(CDirEntry* e, const std::vector<test::AceSpec>& aces) {
        test::SetAces(e, aces, L"D");
    }
    std::vector<CDirEntry*> visibleAfter(std::uint8_t filter, std::uint32_t depth = 0) {
        FilterTarget target;
        target.shown = &list;
        target.displayDepth = depth;
        ApplyStaticFilter(target, filter, rights);
        std::vector<CDirEntry*> shown;
        for (CDirEntry& e : list) {
            if (e.visible) {
                shown.push_back(&e);
            }
        }
        EXPECT_EQ(shown.size() + 1, list.visibleCount());
        return shown;
    }

    sim::RecordingInteraction ui;
    CDirList list{ui};
    DisplayedRights rights;
    CDirEntry *root, *dot, *sub, *leaf, *file;
};

using V = std::vector<CDirEntry*>;

TEST_F(Filters, ShowAllHidesDotEntriesAndEntriesBelowTheDisplayDepth) {
    EXPECT_EQ(visibleAfter(kShowAll), (V{root, sub, leaf, file}));
    EXPECT_EQ(visibleAfter(kShowAll, 1), (V{root, sub, file}));
    for (std::uint8_t f = 1; f <= 8; ++f) {
        auto v = visibleAfter(f, 1);
        EXPECT_EQ(std::find(v.begin(), v.end(), leaf), v.end()) << int(f);
    }
}

TEST_F(Filters, DiffersFromParentLooksOnlyAtDisplayedBits) {
    give(file, {{L"admins", 0x1F01FF & ~0x10000u, 0x13, 0}});  // differs by del only
    EXPECT_EQ(visibleAfter(kDiffersFromParent), (V{root}));
    rights.AppendRightColumn(0x10000, L"del");
    EXPECT_EQ(visibleAfter(kDiffersFromParent), (V{root, file}));
}

TEST_F(Filters, DiffersFromParentIgnoresTypeAndFlags) {
    give(sub, {{L"admins", 0x3, 0x00, 1}});  // deny, other flags, same bits
    EXPECT_EQ(visibleAfter(kDiffersFromParent), (V{root}));
    give(sub, {{L"other", 0x3, 0x13, 0}});
    EXPECT_EQ(visibleAfter(kDiffersFromParent), (V{root, sub, leaf}));
    // Hidden ACEs only count as counterparts.
    give(sub, {{L"admins", 0x3, 0x13, 0}, {L"extra", 0x3, 0x10, 0}});
    sub->ace(1)->visible = 0;
    EXPECT_EQ(visibleAfter(kDiffersFromParent), (V{root}));
    // Shown, the second ACE differs from both its parent and its child.
    sub->ace(1)->visible = 1;
    EXPECT_EQ(visibleAfter(kDiffersFromParent), (V{root, sub, leaf}));
}

TEST_F(Filters, DenyRuleIgnoresInheritOnlyDenies) {
    give(file, {{L"u", 0x2, 0x08, 1}});
    give(sub, {{L"u", 0x2, 0x00, 1}});
    EXPECT_EQ(visibleAfter(kHasDenyEntry), (V{sub}));
}

TEST_F(Filters, NonInheritedRuleKeepsTheRoot) {
    give(sub, {{L"u", 0x2, 0x00, 0}});
    EXPECT_EQ(visibleAfter(kHasNonInheritedAce), (V{root, sub}));
    sub->ace(0)->visible = 0;  // a hidden explicit ACE does not count
    EXPECT_EQ(visibleAfter(kHasNonInheritedAce), (V{root}));
}

TEST_F(Filters, DirectoriesAreEntriesWithChildren) {
    EXPECT_EQ(visibleAfter(kDirectoriesOnly), (V{root, sub}));
    give(sub, {{L"other", 0x3, 0x13, 0}});
    // The root is never tested against a parent.
    EXPECT_EQ(visibleAfter(kDirectoriesDifferingFromParent), (V{root, sub}));
}

TEST_F(Filters, ErrorFlagRules) {
    leaf->errorFlags = 1 | 2;
    file->errorFlags = 2 | 4;
    EXPECT_EQ(visibleAfter(kUnresolvedAccount), (V{leaf}));
    EXPECT_EQ(visibleAfter(kAnalysisError), (V{leaf, file}));
}

TEST_F(Filters, ComparedDatasetGetsOnlyRulesFiveSevenAndEight) {
    sim::RecordingInteraction ui2;
    CDirList other(ui2);
    DatasetBuilder otherBuild(other);
    CDirEntry* r = otherBuild.addLoadEntry();
    r->setName(L"C:\\r");
    otherBuild.setDepth(1);
    CDirEntry* f = otherBuild.addLoadChild();
    f->setName(L"f");
    FilterTarget target;
    target.shown = &list;
    target.compared = &other;
    ApplyStaticFilter(target, kHasDenyEntry, rights);
    EXPECT_EQ(f->visible, 1);
    ApplyStaticFilter(target, kDirectoriesOnly, rights);
    EXPECT_EQ(f->visible, 0);
    EXPECT_EQ(r->visible, 1);
    target.findMatch = [](const CDirEntry& e) { return e.name() == L"f"; };
    ApplyStaticFilter(target, kShowAll, rights);
    EXPECT_EQ(f->visible, 1);
    EXPECT_EQ(r->visible, 0);
    EXPECT_EQ(root->visible, 0);
}

}  // namespace
}  // namespace quorel
