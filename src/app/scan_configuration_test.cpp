#include "app/scan_configuration.h"

#include <gtest/gtest.h>

#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"

namespace quorel {
namespace {

using Texts = std::vector<std::wstring>;

class Configuration : public ::testing::Test {
  protected:
    Configuration() {
        sim.dir(L"C:\\Data");
        sim.file(L"D:\\x.txt");
        files.put(L"D:\\old.acl", {1});
    }
    std::optional<ScanConfiguration> ok(const ConfigurationInput& in, bool compare = false) {
        return CheckConfiguration(in, compare, sim, files, ui);
    }
    sim::SimPlatform sim;
    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
};

TEST_F(Configuration, SplitDropsEmptyLinesAndTrailingBackslashes) {
    auto dirs = SplitDirectoryText(L"C:\\Data\r\n\r\nD:\\\\", sim, ui);
    ASSERT_TRUE(dirs);
    EXPECT_EQ(*dirs, (Texts{L"C:\\Data", L"D:"}));
    // The last line needs no line feed; a lone CR is an empty line.
    dirs = SplitDirectoryText(L"\r\nC:\\Data\\\n\r", sim, ui);
    ASSERT_TRUE(dirs);
    EXPECT_EQ(*dirs, (Texts{L"C:\\Data"}));
    EXPECT_TRUE(ui.messageTexts().empty());
}

TEST_F(Configuration, TheFirstUnlistableDirectoryIsNamedAndFails) {
    EXPECT_FALSE(SplitDirectoryText(L"C:\\Data\nC:\\gone\nC:\\also", sim, ui));
    EXPECT_EQ(ui.messageTexts(), (Texts{L"Specified directory cannot be opened: C:\\gone"}));
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Error);
}

TEST_F(Configuration, OkChecksInOrderEachWithItsMessage) {
    EXPECT_FALSE(ok({L"", L"", L"", 1}, true));
    EXPECT_FALSE(ok({L"C:\\Data", L"0", L"", 1}, true));
    EXPECT_FALSE(ok({L"C:\\Data", L"", L"D:\\old.acl", 1}, true));
    EXPECT_FALSE(ok({L"\r\n", L"0", L"", 1}));
    EXPECT_FALSE(ok({L"C:\\Data", L"0", L"D:\\none.acl", 1}, true));
    EXPECT_EQ(ui.messageTexts(),
              (Texts{L"You must specify a directory to scan",
                     L"You must specify a file to compare the scan to",
                     L"You must specify the depth to scan", L"You must specify a directory to scan",
                     L"Reference file cannot be found"}));
    const auto c = ok({L"C:\\Data\r\nD:\\", L"3", L"D:\\old.acl", 7}, true);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->directories, (Texts{L"C:\\Data", L"D:"}));
    EXPECT_EQ(c->depth, 3u);
    EXPECT_EQ(c->staticFilter, 7);
    EXPECT_EQ(c->compareFile, L"D:\\old.acl");
    // The new-scan form does not look at the compare field.
    const auto n = ok({L"C:\\Data", L"0", L"D:\\none.acl", 2});
    ASSERT_TRUE(n);
    EXPECT_EQ(n->compareFile, L"");
}

TEST(LeadingNumber, ReadsLikeTheStandardConversion) {
    EXPECT_EQ(LeadingNumber(L""), 0u);
    EXPECT_EQ(LeadingNumber(L"x12"), 0u);
    EXPECT_EQ(LeadingNumber(L"  12abc"), 12u);
    EXPECT_EQ(LeadingNumber(L"\t\n\r\v\f 90"), 90u);
    EXPECT_EQ(LeadingNumber(L"+7"), 7u);
    EXPECT_EQ(LeadingNumber(L"-1"), 0xFFFFFFFFu);
    EXPECT_EQ(LeadingNumber(L"4294967297"), 1u);
}

TEST(CompareForm, OffersOnlyTheFiltersThatLookAtAnEntryAlone) {
    std::vector<int> allowed;
    for (int f = 0; f <= 9; ++f) {
        if (StaticFilterAllowedInCompareForm(static_cast<std::uint8_t>(f))) {
            allowed.push_back(f);
        }
    }
    EXPECT_EQ(allowed, (std::vector<int>{1, 5, 7, 8}));
}

}  // namespace
}  // namespace quorel
