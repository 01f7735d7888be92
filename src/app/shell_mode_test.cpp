#include "app/shell_mode.h"

#include <gtest/gtest.h>

#include "core/dir_list.h"
#include "core/security_reader.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"
#include "storage/dataset_file.h"
#include "storage/project_file.h"

namespace quorel {
namespace {

class ShellMode : public ::testing::Test {
  protected:
    ShellMode() : reader(sim, sim), context{files, sim, reader, ui} {
        sim.file(L"C:\\one\\a.txt");
        sim.file(L"D:\\two\\b.txt");
    }
    void project(const std::wstring& directories, const std::wstring& output, bool counter) {
        sim::RecordingInteraction quiet;
        ASSERT_TRUE(WriteProjectFile(files, quiet, L"C:\\p.qpf",
                                     ProjectFile{directories, output, counter}));
    }
    std::unique_ptr<CDirList> loaded(const std::wstring& path) {
        sim::RecordingInteraction quiet;
        auto list = std::make_unique<CDirList>(quiet);
        EXPECT_TRUE(LoadDatasetFile(files, quiet, *list, path));
        return list;
    }

    sim::SimPlatform sim;
    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    SecurityReader reader;
    ShellModeContext context;
};

TEST_F(ShellMode, ScansEveryDirectoryIntoOneDatasetFile) {
    project(L"C:\\one\\\r\n\r\nD:\\two", L"C:\\out\\result", false);
    EXPECT_EQ(RunShellMode(context, L"C:\\p.qpf"), 0);
    auto list = loaded(L"C:\\out\\result.acl");
    ASSERT_NE(list->firstEntry(), nullptr);
    EXPECT_EQ(list->firstEntry()->name(), L"C:\\one");
    ASSERT_NE(list->firstEntry()->nextSibling(), nullptr);
    EXPECT_EQ(list->firstEntry()->nextSibling()->name(), L"D:\\two");
    EXPECT_EQ(list->entryCount(), 8u);  // two roots, each with ".", ".." and one file
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(ShellMode, CounterTakesTheFirstFreeNumber) {
    for (int n = 0; n < 5; ++n) {
        files.put(L"C:\\r" + std::to_wstring(n) + L".acl", {1});
    }
    project(L"C:\\one", L"C:\\r", true);
    EXPECT_EQ(RunShellMode(context, L"C:\\p.qpf"), 0);
    EXPECT_EQ(files.get(L"C:\\r0.acl")->size(), 1u);  // untouched
    EXPECT_EQ(loaded(L"C:\\r5.acl")->firstEntry()->name(), L"C:\\one");
    EXPECT_EQ(files.get(L"C:\\r6.acl"), nullptr);
}

TEST_F(ShellMode, AllTenThousandNumbersTaken) {
    for (int n = 0; n <= 9999; ++n) {
        files.put(L"C:\\r" + std::to_wstring(n) + L".acl", {});
    }
    project(L"C:\\one", L"C:\\r", true);
    EXPECT_EQ(RunShellMode(context, L"C:\\p.qpf"), kShellModeFailure);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, L"Error: Number of files to store is limited to 10000");
    EXPECT_EQ(ui.messages()[0].caption, L"Too many files");
}

TEST_F(ShellMode, FailuresEndWithANonZeroCode) {
    EXPECT_EQ(RunShellMode(context, L"C:\\missing.qpf"), kShellModeFailure);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::wstring>{L"Error opening file"});

    ui.clear();
    project(L"", L"C:\\out", false);
    EXPECT_EQ(RunShellMode(context, L"C:\\p.qpf"), kShellModeFailure);
    EXPECT_EQ(ui.messageTexts(),
              std::vector<std::wstring>{L"You must specify a directory to scan"});

    ui.clear();
    project(L"\r\n\r\n", L"C:\\out", false);
    EXPECT_EQ(RunShellMode(context, L"C:\\p.qpf"), kShellModeFailure);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, L"Directory field in project file is empty - no scan done");
    EXPECT_EQ(ui.messages()[0].caption, L"no scan");
    // A first line of backslashes alone names no directory either.
    ui.clear();
    project(L"\\\\\r\nC:\\one", L"C:\\out", false);
    EXPECT_EQ(RunShellMode(context, L"C:\\p.qpf"), kShellModeFailure);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::wstring>{
                                     L"Directory field in project file is empty - no scan done"});
}

TEST_F(ShellMode, UnreadableDirectoryEndsTheProcessWithFailure) {
    sim.dir(L"C:\\locked").dacl();  // empty DACL: nobody may list it
    project(L"C:\\locked", L"C:\\out", false);
    EXPECT_EQ(RunShellMode(context, L"C:\\p.qpf"), kShellModeFailure);
    EXPECT_EQ(ui.messageTexts(),
              std::vector<std::wstring>{
                  L"Error reading the directory you specified (maybe you selected only a link)"});
}

}  // namespace
}  // namespace quorel
