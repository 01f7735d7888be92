// The ways quorel.exe starts: no argument (the start window and its five
// choices), a folder, a project file, a dataset file, a missing path.

#include <gtest/gtest.h>

#include "host.h"
#include "quorel_session.h"
#include "window_access.h"

namespace quorel::gui {
namespace {

using StartModes = QuorelSession;

// The start window's picture buttons, in the order they stand (id, text).
struct StartButton {
    int id;
    const wchar_t* text;
};
constexpr StartButton kStartButtons[] = {
    {0, L"SCAN"}, {1, L"STARTMAIN"}, {3, L"OPEN"}, {4, L"COMPARE"}, {2, L"EXIT"}};

HWND StartWindow(QuorelSession& s, Program& quorel) {
    (void)s;
    std::wstring why;
    HWND window = WaitForTopWindow(quorel, L"Rizive_StartWin", L"Quorel - select action", why);
    EXPECT_NE(window, nullptr) << Narrow(why);
    return window;
}

TEST_F(StartModes, NoArgumentShowsTheStartWindowWithItsFiveButtons) {
    Start(L"");
    HWND start = StartWindow(*this, quorel);
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
    HWND start = StartWindow(*this, quorel);
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(Click(Child(start, 2)));
    ExpectExit(0);
}

TEST_F(StartModes, TheCloseBoxEndsTheProcessLikeExit) {
    Start(L"");
    HWND start = StartWindow(*this, quorel);
    ASSERT_NE(start, nullptr);
    ASSERT_TRUE(Close(start));
    ExpectExit(0);
}

TEST_F(StartModes, StartMainOpensTheMainWindowWithoutData) {
    Start(L"");
    HWND start = StartWindow(*this, quorel);
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
