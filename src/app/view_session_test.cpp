#include "app/view_session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/dynamic_filter.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/settings_file.h"

namespace quorel {
namespace {

// C:\r { ".", f1 (inherited ACE), f2 (inherit-only deny + explicit allow) }
class Session : public ::testing::Test {
  protected:
    Session() : view(files, ui) {
        sim::RecordingInteraction quiet;
        CDirList list(quiet);
        DatasetBuilder listBuild(list);
        CDirEntry* root = listBuild.addLoadEntry();
        root->setName(L"C:\\r");
        listBuild.setDepth(1);
        listBuild.addLoadChild()->setName(L".");
        CDirEntry* f1 = listBuild.addLoadEntry();
        f1->setName(L"f1");
        f1->resizeAces(1);
        f1->ace(0)->setTrustee(test::NamesOf(f1), L"u", L"d");
        f1->ace(0)->set(1, 0x10, 0);
        CDirEntry* f2 = listBuild.addLoadEntry();
        f2->setName(L"f2");
        f2->resizeAces(2);
        f2->ace(0)->setTrustee(test::NamesOf(f2), L"u", L"d");
        f2->ace(0)->set(2, 0x0B, 1);
        f2->ace(1)->setTrustee(test::NamesOf(f2), L"v", L"d");
        f2->ace(1)->set(1, 0x00, 0);
        NameTables tables;
        RebuildNameTables(list, tables);
        WriteDatasetFile(files, quiet, list, L"r.acl", tables);
    }
    std::vector<std::wstring> lineNames() {
        std::vector<std::wstring> names;
        for (const CDirEntry* e : view.lines().lines()) {
            names.emplace_back(e->name());
        }
        return names;
    }

    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    ViewSession view;
};

using Names = std::vector<std::wstring>;

TEST_F(Session, StaticFilterCommandNeedsADataset) {
    view.ApplyDynamicFilterWindow(0);
    ui.clear();
    view.OnStaticFilterCommand(50022);
    EXPECT_EQ(view.staticFilter(), 1);
    EXPECT_TRUE(view.dynamicFilters().active);
    EXPECT_TRUE(ui.statusTexts(0).empty());
}

TEST_F(Session, StaticFilterCommandFiltersChecksItsItemAndEndsDynamicFilters) {
    ASSERT_TRUE(view.Open(L"r.acl"));
    EXPECT_EQ(lineNames(), (Names{L"C:\\r", L"f1", L"f2"}));
    view.ApplyDynamicFilterWindow(0);
    view.OnStaticFilterCommand(50023);
    EXPECT_EQ(view.staticFilter(), 4);
    EXPECT_EQ(view.staticFilterMenuItem(), 50023);
    EXPECT_FALSE(view.dynamicFilters().active);
    EXPECT_EQ(lineNames(), (Names{L"C:\\r", L"f2"}));
    EXPECT_EQ(ui.statusTexts(0).back(),
              L"Filter set to <show only files which have ACEs that are non-inherited>");
    view.OnStaticFilterCommand(50025);
    EXPECT_EQ(ui.statusTexts(0).back(),
              L"Filter set to <show only directories which permissions deviate from directory "
              L"containing it>");
    // Rules 7 and 8 show no status text.
    const auto before = ui.statusTexts(0).size();
    view.OnStaticFilterCommand(50045);
    EXPECT_EQ(ui.statusTexts(0).size(), before);
    EXPECT_EQ(view.staticFilter(), 7);
    EXPECT_TRUE(lineNames().empty());
    view.OnStaticFilterCommand(12345);  // not a filter command
    EXPECT_EQ(view.staticFilter(), 7);
}

TEST_F(Session, SettingsFilterOutsideOneToEightShowsAllAndChecksShowAll) {
    ASSERT_TRUE(view.Open(L"r.acl"));
    view.OnStaticFilterCommand(50022);
    const std::pair<std::uint8_t, int> cases[] = {{0, 50020}, {8, 50046}, {9, 50020}, {1, 50020}};
    for (const auto& [value, item] : cases) {
        std::uint8_t filter = value;
        DisplayedRights rights;
        DynamicFilterSet rows;
        ViewSettings settings{filter, rights, rows};
        ASSERT_TRUE(SaveSettings(files, ui, L"s.qsf", settings));
        ASSERT_TRUE(view.LoadSettingsFile(L"s.qsf"));
        EXPECT_EQ(view.staticFilterMenuItem(), item) << int{value};
        if (item == 50020) {
            EXPECT_EQ(lineNames(), (Names{L"C:\\r", L"f1", L"f2"})) << int{value};
        }
    }
}

TEST_F(Session, AceOptionsHideTheirKindOnTheShownDataset) {
    ASSERT_TRUE(view.Open(L"r.acl"));
    view.SetShowInheritOnlyAces(false);
    EXPECT_EQ(ui.statusTexts(0).back(), L"<inherit only> ACEs made invisble");
    const CDirEntry* f2 = view.lines().at(2);
    EXPECT_EQ(f2->ace(0)->visible, 0);
    EXPECT_EQ(f2->visibleAceCount, 1u);
    view.SetHideInheritedAces(true);
    EXPECT_EQ(ui.statusTexts(0).back(), L"inherited ACEs made invisble");
    EXPECT_EQ(view.lines().at(1)->ace(0)->visible, 0);
    view.SetShowInheritOnlyAces(true);
    EXPECT_EQ(ui.statusTexts(0).back(), L"<inherit only> ACEs made visble");
    EXPECT_EQ(f2->ace(0)->visible, 1);
    // A dataset opened later is shown under the same options.
    ASSERT_TRUE(view.Open(L"r.acl"));
    EXPECT_EQ(view.lines().at(1)->ace(0)->visible, 0);
}

TEST_F(Session, DepthReturnsToShowAll) {
    ASSERT_TRUE(view.Open(L"r.acl"));
    view.OnStaticFilterCommand(50024);
    view.SetDisplayDepth(0);
    EXPECT_EQ(view.staticFilter(), 1);
    EXPECT_EQ(view.staticFilterMenuItem(), 50020);
    EXPECT_EQ(lineNames(), (Names{L"C:\\r", L"f1", L"f2"}));
    EXPECT_EQ(ui.statusTexts(0).back(), L"Depth changed");
}

TEST_F(Session, FailedOpenKeepsTheShownDataset) {
    ASSERT_TRUE(view.Open(L"r.acl"));
    CDirList* shown = view.dataset();
    const std::uint64_t generation = view.entriesGeneration();
    EXPECT_FALSE(view.Open(L"missing.acl"));
    EXPECT_FALSE(view.CompareToFile(L"missing.acl"));
    view.EndCompareMode();  // not in compare mode: nothing freed
    EXPECT_EQ(view.entriesGeneration(), generation);
    EXPECT_EQ(view.dataset(), shown);
    EXPECT_EQ(lineNames(), (Names{L"C:\\r", L"f1", L"f2"}));
}

TEST_F(Session, CompareModeEndsWhenAnotherDatasetIsOpened) {
    const std::uint64_t start = view.entriesGeneration();
    ASSERT_TRUE(view.Open(L"r.acl"));
    ASSERT_TRUE(view.CompareToFile(L"r.acl"));
    EXPECT_TRUE(view.compareMode());
    EXPECT_EQ(view.lines().lineCount(), 3u);  // the three headings
    ASSERT_TRUE(view.Open(L"r.acl"));
    EXPECT_FALSE(view.compareMode());
    EXPECT_EQ(lineNames(), (Names{L"C:\\r", L"f1", L"f2"}));
    // Each step that may free shown entries counts once, upwards.
    EXPECT_EQ(view.entriesGeneration(), start + 3);
    ASSERT_TRUE(view.CompareToFile(L"r.acl"));
    view.EndCompareMode();
    view.EntriesReplaced();
    EXPECT_EQ(view.entriesGeneration(), start + 6);
}

TEST_F(Session, InCompareModeOnlyTheRulesOnAnEntryAloneFilterTheSavedDataset) {
    // The saved dataset holds a file the shown one lacks: a deleted file.
    sim::RecordingInteraction quiet;
    CDirList saved(quiet);
    DatasetBuilder savedBuild(saved);
    savedBuild.addLoadEntry()->setName(L"C:\\r");
    savedBuild.setDepth(1);
    savedBuild.addLoadChild()->setName(L".");
    CDirEntry* gone = savedBuild.addLoadEntry();
    gone->setName(L"gone.txt");
    gone->resizeAces(1);
    gone->ace(0)->setTrustee(test::NamesOf(gone), L"u", L"d");
    gone->ace(0)->set(1, 0x00, 0);
    NameTables tables;
    RebuildNameTables(saved, tables);
    ASSERT_TRUE(WriteDatasetFile(files, quiet, saved, L"s.acl", tables));
    ASSERT_TRUE(view.Open(L"r.acl"));
    ASSERT_TRUE(view.CompareToFile(L"s.acl"));
    auto deleted = [&] {
        const std::vector<CDirEntry*>& lines = view.lines().lines();
        return std::count_if(lines.begin(), lines.end(),
                             [](const CDirEntry* e) { return e->name() == L"gone.txt"; });
    };
    ASSERT_EQ(deleted(), 1);
    // The filter of a scan in compare mode: "has a deny entry" is a rule on
    // the shown dataset only, and the saved dataset keeps the file;
    // "directories only" looks at the entry alone, and the file goes.
    view.ApplyScanFilter(3);
    EXPECT_EQ(deleted(), 1);
    view.ApplyScanFilter(5);
    EXPECT_EQ(deleted(), 0);
}

// A settings file may carry a permission index without a mask. With the
// message shown for every ACE examined, 10,000 ACEs of the named trustee
// opened 10,000 modal boxes one after the other.
TEST(SessionSettings, RowWithPermissionIndex99IsReportedOnceOn10000Aces) {
    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    {
        sim::RecordingInteraction quiet;
        CDirList list(quiet);
        DatasetBuilder listBuild(list);
        listBuild.addLoadEntry()->setName(L"C:\big");
        listBuild.setDepth(1);
        for (int i = 0; i < 1000; ++i) {
            CDirEntry* e = (i == 0 ? listBuild.addLoadChild() : listBuild.addLoadEntry());
            e->setName(L"f" + std::to_wstring(i));
            e->resizeAces(10);
            for (std::uint32_t k = 0; k < 10; ++k) {
                e->ace(k)->setTrustee(test::NamesOf(e), L"Users", L"BUILTIN");
                e->ace(k)->set(0x1F01FF, static_cast<std::uint8_t>(k % 2 == 0 ? 0x10 : 0), 0);
            }
        }
        NameTables tables;
        RebuildNameTables(list, tables);
        ASSERT_TRUE(WriteDatasetFile(files, quiet, list, L"big.acl", tables));
        std::uint8_t filter = 1;
        DisplayedRights rights;
        DynamicFilterSet rows;
        rows.rows = {FilterRow{kRuleHasPermission, 99, L"Users"}};
        ViewSettings settings{filter, rights, rows};
        ASSERT_TRUE(SaveSettings(files, quiet, L"broken.qsf", settings));
    }
    ViewSession view(files, ui);
    ASSERT_TRUE(view.Open(L"big.acl"));
    ASSERT_EQ(view.lines().lines().size(), 1001u);
    ui.clear();
    ASSERT_TRUE(view.LoadSettingsFile(L"broken.qsf"));
    ASSERT_EQ(view.dynamicFilters().rows.size(), 1u);
    EXPECT_EQ(view.dynamicFilters().rows[0].right, 99u);
    EXPECT_EQ(ui.messageTexts(),
              std::vector<std::wstring>{L"internal error: rightmask in dynamic filter invalid"});
    // The row holds for no entry: AND hides all 1001.
    EXPECT_TRUE(view.lines().lines().empty());
    // The window's OK runs the next pass: one more.
    view.ApplyDynamicFilterWindow(1);
    EXPECT_EQ(ui.messageTexts().size(), 2u);
    EXPECT_TRUE(view.lines().lines().empty());
}

}  // namespace
}  // namespace quorel
