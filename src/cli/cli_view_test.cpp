// quorel-cli's view options and compare command, end to end on in-memory
// files.

#include <gtest/gtest.h>

#include <cstdio>

#include "cli/cli.h"
#include "cli/cli_test_support.h"
#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/dynamic_filter_set.h"
#include "filters/permissions.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/dataset_file.h"
#include "storage/settings_file.h"

namespace quorel {
namespace {

using test::contents;

struct FileSpec {
    const wchar_t* name;
    std::uint32_t mask;
    std::uint8_t flags;
};

class CliView : public ::testing::Test {
  protected:
    CliView() : out(std::tmpfile()), err(std::tmpfile()) {
        env.files = &files;
        env.ui = &ui;
        env.out = out;
        env.err = err;
        // C:\share (explicit Admins full access, inheritable) with a.txt,
        // b.txt (both inherit) and sub\c.txt (explicit deny).
        save(L"base.acl", {{L"a.txt", 0x1F01FF, 0x10}, {L"b.txt", 0x1F01FF, 0x10}});
    }
    ~CliView() override {
        std::fclose(out);
        std::fclose(err);
    }
    void save(const std::wstring& path, std::vector<FileSpec> specs) {
        sim::RecordingInteraction quiet;
        CDirList list(quiet);
        DatasetBuilder listBuild(list);
        CDirEntry* root = listBuild.addLoadEntry();
        root->setName(L"C:\\share");
        give(root, L"Admins", 0x1F01FF, 0x03, 0);
        listBuild.setDepth(1);
        listBuild.addLoadChild()->setName(L".");
        listBuild.addLoadEntry()->setName(L"..");
        for (const FileSpec& f : specs) {
            CDirEntry* e = listBuild.addLoadEntry();
            e->setName(f.name);
            give(e, L"Admins", f.mask, f.flags, 0);
        }
        CDirEntry* sub = listBuild.addLoadEntry();
        sub->setName(L"sub");
        give(sub, L"Admins", 0x1F01FF, 0x1B, 0);  // inherited, inherit only
        listBuild.setDepth(2);
        CDirEntry* c = listBuild.addLoadChild();
        c->setName(L"c.txt");
        c->resizeAces(2);
        c->ace(0)->setTrustee(test::NamesOf(c), L"Guest", L"HOST");
        c->ace(0)->set(0x2, 0x00, 1);
        c->ace(1)->setTrustee(test::NamesOf(c), L"Admins", L"HOST");
        c->ace(1)->set(0x1F01FF, 0x10, 0);
        NameTables tables;
        RebuildNameTables(list, tables);
        ASSERT_TRUE(WriteDatasetFile(files, quiet, list, path, tables));
    }
    static void give(CDirEntry* e, const wchar_t* trustee, std::uint32_t mask, std::uint8_t flags,
                     std::uint8_t type) {
        e->resizeAces(1);
        e->ace(0)->setTrustee(test::NamesOf(e), trustee, L"HOST");
        e->ace(0)->set(mask, flags, type);
    }
    int run(std::vector<std::wstring> args) { return RunCli(args, env); }
    std::string file(const std::wstring& path) {
        const auto* bytes = files.get(path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
    }
    // The first line of each block: the listed paths and headings.
    static std::vector<std::string> blockHeads(const std::string& csv) {
        std::vector<std::string> heads;
        bool atBlockStart = true;
        std::size_t pos = 0;
        while (pos < csv.size()) {
            std::size_t end = csv.find("\r\n", pos);
            std::string line = csv.substr(pos, end - pos);
            pos = end + 2;
            if (line.empty()) {
                atBlockStart = true;
                continue;
            }
            if (atBlockStart || line == "added files" || line == "deleted files" ||
                line == "modified files") {
                heads.push_back(line);
                atBlockStart =
                    line == "added files" || line == "deleted files" || line == "modified files";
                continue;
            }
        }
        return heads;
    }

    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    std::FILE* out;
    std::FILE* err;
    CliEnvironment env;
};

using Heads = std::vector<std::string>;

TEST_F(CliView, CompareOfADatasetWithItselfListsOnlyTheHeadings) {
    EXPECT_EQ(run({L"compare", L"base.acl", L"base.acl"}), 0);
    EXPECT_EQ(contents(out), "added files\r\ndeleted files\r\nmodified files\r\n");
}

TEST_F(CliView, CompareListsAddedDeletedAndModifiedFilesAndExitsOne) {
    // a.txt lost a bit, b.txt is gone, d.txt is new.
    save(L"now.acl", {{L"a.txt", 0x1301BF, 0x10}, {L"d.txt", 0x1F01FF, 0x10}});
    EXPECT_EQ(run({L"compare", L"now.acl", L"base.acl"}), 1);
    EXPECT_EQ(blockHeads(contents(out)),
              (Heads{"added files", "C:\\share\\d.txt", "deleted files", "C:\\share\\b.txt",
                     "modified files", "C:\\share\\a.txt"}));
    // -o writes the same to a file; csv --compare exits 0 all the same.
    EXPECT_EQ(run({L"compare", L"-o", L"drift.csv", L"now.acl", L"base.acl"}), 1);
    EXPECT_EQ(run({L"csv", L"--compare", L"base.acl", L"-o", L"c.csv", L"now.acl"}), 0);
    EXPECT_EQ(file(L"drift.csv"), file(L"c.csv"));
    EXPECT_EQ(blockHeads(file(L"c.csv")).size(), 6u);
}

TEST_F(CliView, CompareOfDifferentDirectoriesIsRefused) {
    sim::RecordingInteraction quiet;
    CDirList other(quiet);
    DatasetBuilder otherBuild(other);
    otherBuild.addLoadEntry()->setName(L"D:\\elsewhere");
    NameTables tables;
    RebuildNameTables(other, tables);
    WriteDatasetFile(files, quiet, other, L"other.acl", tables);
    EXPECT_EQ(run({L"compare", L"base.acl", L"other.acl"}), 2);
    EXPECT_EQ(ui.messageTexts().back(),
              L"Datasets do not match. Both datasets must contain the same directories in the "
              L"same order for compare.");
    EXPECT_EQ(run({L"compare", L"base.acl", L"missing.acl"}), 2);
}

TEST_F(CliView, StaticFilterDepthAndAceOptions) {
    ASSERT_EQ(run({L"csv", L"--filter", L"3", L"-o", L"deny.csv", L"base.acl"}), 0);
    EXPECT_EQ(blockHeads(file(L"deny.csv")), (Heads{"C:\\share\\sub\\c.txt"}));
    ASSERT_EQ(run({L"csv", L"--filter", L"4", L"-o", L"own.csv", L"base.acl"}), 0);
    EXPECT_EQ(blockHeads(file(L"own.csv")), (Heads{"C:\\share", "C:\\share\\sub\\c.txt"}));
    ASSERT_EQ(run({L"csv", L"--depth", L"1", L"-o", L"d1.csv", L"base.acl"}), 0);
    EXPECT_EQ(blockHeads(file(L"d1.csv")),
              (Heads{"C:\\share", "C:\\share\\a.txt", "C:\\share\\b.txt", "C:\\share\\sub"}));
    ASSERT_EQ(run({L"csv", L"--hide-inherited", L"--columns", L"wr", L"-o", L"h.csv", L"base.acl"}),
              0);
    const std::string h = file(L"h.csv");
    EXPECT_NE(h.find("C:\\share\\sub\\c.txt\r\n,wr\r\nGuest DENY,x\r\n\r\n"), std::string::npos);
    EXPECT_NE(h.find("C:\\share\\a.txt\r\n,wr\r\n\r\n"), std::string::npos);
    ASSERT_EQ(
        run({L"csv", L"--hide-inherit-only", L"--columns", L"wr", L"-o", L"i.csv", L"base.acl"}),
        0);
    EXPECT_NE(file(L"i.csv").find("C:\\share\\sub\r\n,wr\r\n\r\n"), std::string::npos);
    EXPECT_NE(file(L"i.csv").find("C:\\share\\a.txt\r\n,wr\r\nAdmins INHERITED,x\r\n"),
              std::string::npos);
}

TEST_F(CliView, FindShowsMatchingEntriesOnly) {
    ASSERT_EQ(run({L"csv", L"--find", L"GUEST", L"-o", L"f.csv", L"base.acl"}), 0);
    EXPECT_EQ(blockHeads(file(L"f.csv")), (Heads{"C:\\share\\sub\\c.txt"}));
    ASSERT_EQ(run({L"csv", L"--find", L"", L"-o", L"all.csv", L"base.acl"}), 0);
    EXPECT_EQ(blockHeads(file(L"all.csv")).size(), 5u);
}

TEST_F(CliView, SettingsAndDynamicFilters) {
    sim::RecordingInteraction quiet;
    std::uint8_t filter = 1;
    DisplayedRights rights;
    rights.clear();
    rights.AppendRightColumn(0x10000, L"del");
    DynamicFilterSet rows;
    rows.rows.push_back(FilterRow{8, 0, L"sub"});  // "<filename>" contains "sub"
    rows.rows.push_back(FilterRow{8, 0, L"c.txt"});
    ViewSettings settings{filter, rights, rows};
    ASSERT_TRUE(SaveSettings(files, quiet, L"v.qsf", settings));
    ASSERT_EQ(
        run({L"csv", L"--settings", L"v.qsf", L"--dynamic", L"and", L"-o", L"s.csv", L"base.acl"}),
        0);
    EXPECT_EQ(blockHeads(file(L"s.csv")), (Heads{"C:\\share\\sub\\c.txt"}));
    ASSERT_EQ(
        run({L"csv", L"--settings", L"v.qsf", L"--dynamic", L"or", L"-o", L"o.csv", L"base.acl"}),
        0);
    EXPECT_EQ(blockHeads(file(L"o.csv")), (Heads{"C:\\share\\sub", "C:\\share\\sub\\c.txt"}));
    EXPECT_NE(file(L"s.csv").find(",del\r\n"), std::string::npos);
    EXPECT_EQ(run({L"csv", L"--settings", L"missing.qsf", L"-o", L"x.csv", L"base.acl"}), 2);
    EXPECT_EQ(file(L"x.csv"), "<missing>");
}

TEST_F(CliView, BadViewOptionValues) {
    EXPECT_EQ(run({L"csv", L"--filter", L"9", L"-o", L"x.csv", L"base.acl"}), 2);
    EXPECT_EQ(run({L"csv", L"--filter", L"0", L"-o", L"x.csv", L"base.acl"}), 2);
    EXPECT_EQ(run({L"csv", L"--dynamic", L"xor", L"-o", L"x.csv", L"base.acl"}), 2);
    EXPECT_EQ(run({L"csv", L"--find", L"a", L"--find", L"b", L"-o", L"x.csv", L"base.acl"}), 2);
    EXPECT_EQ(run({L"compare", L"--compare", L"base.acl", L"base.acl", L"base.acl"}), 2);
    EXPECT_EQ(run({L"compare", L"base.acl"}), 2);
    EXPECT_EQ(file(L"x.csv"), "<missing>");
}

}  // namespace
}  // namespace quorel
