// quorel-cli's scan and project commands on the real Win32 API.

#include <windows.h>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "cli/volume_option.h"
#include "cli/win32/process_token.h"
#include "core/dir_list.h"
#include "platform/file_io_port.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/standard_files.h"
#include "platform/win32/temp_tree.h"
#include "platform/win32/win32_platform.h"
#include "storage/dataset_file.h"
#include "storage/project_file.h"

namespace quorel::win32 {
namespace {

using test::TempTree;

class Win32Cli : public testing::Test {
  protected:
    Win32Cli() {
        env.files = &sim::standardFiles();
        env.ui = &ui;
        env.security = &platform;
        env.accounts = &platform;
        env.fileSystem = &platform;
        env.out = std::tmpfile();
        env.err = std::tmpfile();
    }
    ~Win32Cli() override {
        std::fclose(env.out);
        std::fclose(env.err);
    }
    void SetUp() override {
        ASSERT_FALSE(tree.root().empty());
        tree.makeDir(L"data");
        tree.makeFile(L"data\\a.txt");
        tree.makeDir(L"data\\sub");
        tree.makeFile(L"data\\sub\\b.txt");
        tree.makeDir(L"other");
    }
    std::unique_ptr<CDirList> load(const std::wstring& path) {
        auto list = std::make_unique<CDirList>(ui);
        if (!LoadDatasetFile(sim::standardFiles(), ui, *list, path)) {
            return nullptr;
        }
        return list;
    }

    TempTree tree;
    Win32Platform platform;
    sim::RecordingInteraction ui;
    CliEnvironment env;
};

TEST_F(Win32Cli, ScanWritesADatasetFileWithOneRootPerDirectory) {
    const std::wstring out = tree.path(L"scan.acl");
    ASSERT_EQ(
        RunCli({L"scan", L"--depth", L"1", L"-o", out, tree.path(L"data"), tree.path(L"other")},
               env),
        0);
    auto list = load(out);
    ASSERT_NE(list, nullptr);
    const CDirEntry* root = list->firstEntry();
    EXPECT_EQ(root->path(), tree.path(L"data"));
    ASSERT_NE(root->nextSibling(), nullptr);
    EXPECT_EQ(root->nextSibling()->path(), tree.path(L"other"));
    // Depth 1: "sub" is listed but not descended.
    for (const CDirEntry& e : *list) {
        EXPECT_NE(e.name(), L"b.txt");
    }
    EXPECT_EQ(list->entryCount(), 2u + 4u + 2u);
}

TEST_F(Win32Cli, ProjectWritesTheNumberedFile) {
    const std::wstring project = tree.path(L"p.qpf");
    const std::wstring base = tree.path(L"result");
    ASSERT_TRUE(WriteProjectFile(sim::standardFiles(), ui, project,
                                 ProjectFile{tree.path(L"data") + L"\\\r\n", base, true}));
    {
        HANDLE h = CreateFileW((base + L"0.acl").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    ASSERT_EQ(RunCli({L"project", project}, env), 0);
    auto list = load(base + L"1.acl");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->firstEntry()->path(), tree.path(L"data"));
    EXPECT_EQ(list->entryCount(), 8u);  // data, its ".", "..", a.txt, sub, and sub's three
}

TEST_F(Win32Cli, AVolumeSavedFromTheDiskScansAsTheDiskDoes) {
    const sim::CaptureToken token = ProcessToken();
    ASSERT_TRUE(token.user.has_value());
    env.token = &token;
    const std::wstring saved = tree.path(L"saved.qvol");
    ASSERT_EQ(RunCli({L"volume", L"save", L"-o", saved, tree.path(L"data")}, env), 0);
    ASSERT_EQ(RunCli({L"scan", L"-o", tree.path(L"disk.acl"), tree.path(L"data")}, env), 0);
    // The same scan on the saved volume.
    ASSERT_EQ(RunCliWithVolume({L"--volume", saved, L"scan", L"-o", tree.path(L"volume.acl"),
                                tree.path(L"data")},
                               env),
              0);
    auto bytes = [](const std::wstring& path) {
        std::uint32_t error = 0;
        std::unique_ptr<ByteSource> source = sim::standardFiles().openRead(path, error);
        std::string text(source ? static_cast<std::size_t>(source->size()) : 0, '\0');
        return source && source->read(text.data(), text.size()) ? text : std::string("unread");
    };
    EXPECT_GT(bytes(tree.path(L"disk.acl")).size(), 100u);
    EXPECT_EQ(bytes(tree.path(L"volume.acl")), bytes(tree.path(L"disk.acl")));
    EXPECT_EQ(bytes(saved).rfind("quorel-volume 1\ncomputer\t", 0), 0u);
}

TEST_F(Win32Cli, MissingProjectFileEndsNonZero) {
    EXPECT_EQ(RunCli({L"project", tree.path(L"none.qpf")}, env), 2);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::wstring>{L"Error opening file"});
}

}  // namespace
}  // namespace quorel::win32
