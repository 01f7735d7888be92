// The ways quorel.exe starts: no argument (the start window and its five
// choices), a folder, a project file, a dataset file, a missing path.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "file_texts.h"
#include "host.h"
#include "quorel_session.h"
#include "window_access.h"

namespace quorel::gui {
namespace {

class StartModes : public QuorelSession {
  protected:
    // Runs the project file `project` and expects it to end with 0 without
    // ever showing the main window.
    void RunProject(const std::wstring& project) {
        Start(L"\"" + project + L"\"");
        bool mainSeen = false;
        PollUntil([&] {
            mainSeen = mainSeen || FindTopWindow(quorel.pid(), L"Rizive", nullptr) != nullptr;
            return !quorel.Running();
        });
        std::optional<DWORD> code = quorel.WaitForExit(0);
        ASSERT_TRUE(code.has_value()) << "the project run did not end; windows:\n"
                                      << Narrow(DescribeWindows(quorel.pid()));
        EXPECT_EQ(*code, 0u);
        EXPECT_FALSE(mainSeen) << "a project run showed the main window";
    }
};

// The start window's picture buttons, in the order they stand (id, text).
struct StartButton {
    int id;
    const wchar_t* text;
};
constexpr StartButton kStartButtons[] = {
    {0, L"SCAN"}, {1, L"STARTMAIN"}, {3, L"OPEN"}, {4, L"COMPARE"}, {2, L"EXIT"}};

TEST_F(StartModes, NoArgumentShowsTheStartWindowWithItsFiveButtons) {
    Start(L"");
    HWND start = StartWindow();
    ASSERT_NE(start, nullptr);
    std::vector<HWND> buttons = Children(start);
    ASSERT_EQ(buttons.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(Narrow(kStartButtons[i].text));
        HWND button = buttons[i];
        EXPECT_EQ(GetDlgCtrlID(button), kStartButtons[i].id);
        EXPECT_EQ(ClassOf(button), L"Button");
        EXPECT_EQ(Narrow(TextOf(button)), Narrow(kStartButtons[i].text));
        EXPECT_EQ(GetWindowLongW(button, GWL_STYLE), static_cast<LONG>(0x5000008B));
        EXPECT_TRUE(IsEnabled(button));
    }
    EXPECT_EQ(FindTopWindow(quorel.pid(), L"Rizive", nullptr), nullptr);
}

TEST_F(StartModes, ExitEndsTheProcessWithoutAnotherWindow) {
    Start(L"");
    HWND start = StartWindow();
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(Click(Child(start, 2)));
    ExpectExit(0);
}

TEST_F(StartModes, TheCloseBoxEndsTheProcessLikeExit) {
    Start(L"");
    HWND start = StartWindow();
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(Close(start));
    ExpectExit(0);
}

TEST_F(StartModes, StartMainOpensTheMainWindowWithoutData) {
    Start(L"");
    HWND start = StartWindow();
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(Click(Child(start, 1)));
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindow(start));
    EXPECT_TRUE(WaitForStatus(main, 0, L"Settings loaded."));
    const std::vector<std::wstring> status = Status(main);
    ASSERT_EQ(status.size(), 3u);
    EXPECT_EQ(Narrow(status[1]), "Fast Scroll");
    EXPECT_EQ(Narrow(status[2]), "Ready.");
    EXPECT_TRUE(Lines(main).empty());
    EXPECT_EQ(View(main)[L"entries"], L"0");
    Quit(main);
}

TEST_F(StartModes, AFolderIsScannedAndShownInTheMainWindow) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::vector<std::wstring> expected = {tree, tree + L"\\a.txt", tree + L"\\b",
                                                tree + L"\\b\\c.txt", tree + L"\\d"};
    EXPECT_EQ(Lines(main), expected);
    std::map<std::wstring, std::wstring> view = View(main);
    EXPECT_EQ(view[L"scanned"], L"1");
    EXPECT_EQ(view[L"filter"], L"1");
    EXPECT_EQ(view[L"compare"], L"0");
    EXPECT_TRUE(WaitForStatus(main, 0, L"Settings loaded."));
    Quit(main);
}

TEST_F(StartModes, OpenChoosesADatasetFileAndShowsIt) {
    const std::wstring tree = MakeSmallTree();
    const std::wstring saved = scratch.path(L"saved.acl");
    ASSERT_EQ(RunCli(L"scan -o \"" + saved + L"\" \"" + tree + L"\""), 0u);
    Start(L"");
    HWND start = StartWindow();
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(Click(Child(start, 3)));
    ChooseFile(L"Open", saved);
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::vector<std::wstring> expected = {tree, tree + L"\\a.txt", tree + L"\\b",
                                                tree + L"\\b\\c.txt", tree + L"\\d"};
    EXPECT_EQ(Lines(main), expected);
    std::map<std::wstring, std::wstring> view = View(main);
    EXPECT_EQ(view[L"scanned"], L"0");
    EXPECT_EQ(view[L"file"], saved);
    Quit(main);
}

TEST_F(StartModes, OpenCancelledShowsTheMainWindowWithoutData) {
    Start(L"");
    HWND start = StartWindow();
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(Click(Child(start, 3)));
    CancelFile(L"Open");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(Lines(main).empty());
    Quit(main);
}

TEST_F(StartModes, ADatasetFileIsOpenedAsOpenWouldAndShown) {
    const std::wstring tree = MakeSmallTree();
    const std::wstring saved = scratch.path(L"saved.acl");
    ASSERT_EQ(RunCli(L"scan -o \"" + saved + L"\" \"" + tree + L"\""), 0u);
    Start(L"\"" + saved + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::vector<std::wstring> expected = {tree, tree + L"\\a.txt", tree + L"\\b",
                                                tree + L"\\b\\c.txt", tree + L"\\d"};
    EXPECT_EQ(Lines(main), expected);
    std::map<std::wstring, std::wstring> view = View(main);
    EXPECT_EQ(view[L"scanned"], L"0");
    EXPECT_EQ(view[L"file"], saved);
    // The five and the "." and ".." entries of the three folders, which the
    // dataset keeps and the view hides.
    EXPECT_EQ(view[L"entries"], L"11");
    Quit(main);
}

TEST_F(StartModes, AProjectFileWithCounterWritesTheFirstFreeNumberAndShowsNoWindow) {
    const std::wstring tree = MakeSmallTree();
    const std::wstring out = scratch.makeDir(L"out");
    ASSERT_FALSE(out.empty());
    ASSERT_TRUE(WriteBytes(out + L"\\scan0.acl", ""));
    ASSERT_TRUE(WriteBytes(out + L"\\scan1.acl", ""));
    const std::wstring project = scratch.path(L"nightly.qpf");
    // The directory twice on two lines with an empty one between: two roots.
    ASSERT_TRUE(WriteBytes(
        project, ProjectFileBytes(tree + L"\r\n\r\n" + tree + L"\\b\\", out + L"\\scan", true)));
    RunProject(project);
    EXPECT_EQ(ReadBytes(out + L"\\scan0.acl"), std::string());
    EXPECT_EQ(ReadBytes(out + L"\\scan1.acl"), std::string());
    ASSERT_TRUE(FileExists(out + L"\\scan2.acl"));
    EXPECT_FALSE(FileExists(out + L"\\scan3.acl"));
    // What it holds, as quorel-cli lists it: both roots and their entries.
    const std::wstring csv = scratch.path(L"scan2.csv");
    ASSERT_EQ(RunCli(L"csv --utf8 -o \"" + csv + L"\" \"" + out + L"\\scan2.acl\""), 0u);
    std::optional<std::string> listed = ReadBytes(csv);
    ASSERT_TRUE(listed.has_value());
    const std::vector<std::string> lines = TextLines(*listed);
    auto count = [&](const std::wstring& path) {
        return std::count(lines.begin(), lines.end(), Narrow(path));
    };
    // The first root with all below it, then tree\b again as the second
    // root (its trailing backslash gone) with its file.
    for (const std::wstring& path : {tree, tree + L"\\a.txt", tree + L"\\d"}) {
        EXPECT_EQ(count(path), 1) << Narrow(path) << " in the dataset";
    }
    EXPECT_EQ(count(tree + L"\\b"), 2);
    EXPECT_EQ(count(tree + L"\\b\\c.txt"), 2);
    EXPECT_EQ(count(tree + L"\\b\\"), 0);
}

TEST_F(StartModes, AProjectFileWithoutCounterWritesTheNameWithAcl) {
    const std::wstring tree = MakeSmallTree();
    const std::wstring project = scratch.path(L"once.qpf");
    ASSERT_TRUE(WriteBytes(project, ProjectFileBytes(tree, scratch.path(L"result"), false)));
    RunProject(project);
    EXPECT_TRUE(FileExists(scratch.path(L"result.acl")));
    EXPECT_FALSE(FileExists(scratch.path(L"result0.acl")));
}

TEST_F(StartModes, AMissingPathIsReadAsAProjectFileAndRefused) {
    const std::wstring missing = scratch.path(L"no such file.qpf");
    Start(L"\"" + missing + L"\"");
    MessageBoxSeen box = ExpectBox(L"Note", L"Error opening file");
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    std::optional<DWORD> code = quorel.WaitForExit(kStepTimeoutMs);
    ASSERT_TRUE(code.has_value()) << "quorel.exe did not end after the message; windows:\n"
                                  << Narrow(DescribeWindows(quorel.pid()));
    EXPECT_EQ(FindTopWindow(quorel.pid(), L"Rizive", nullptr), nullptr);
}

}  // namespace
}  // namespace quorel::gui
