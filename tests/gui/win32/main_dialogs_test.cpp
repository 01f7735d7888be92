// The main window's own small windows: About, the displayed depth, the
// "Error reports" window, the question before quitting, and Help without
// its file.

#include <gtest/gtest.h>

#include "host.h"
#include "quorel_session.h"
#include "window_access.h"

namespace quorel::gui {
namespace {

std::vector<std::wstring> TreeLines(const std::wstring& tree) {
    return {tree, tree + L"\\a.txt", tree + L"\\b", tree + L"\\b\\c.txt", tree + L"\\d"};
}

TEST_F(Screens, AboutShowsItsSixLines) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Command(main, 50019));
    HWND about = Window(L"#32770", L"About Quorel");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(Narrow(TextOf(Child(about, 105))),
              "This is Quorel\r\n"
              "Verion 1.4 build 251\r\n"
              "Visit our website at\r\n"
              "https://quorel.example.org/\r\n"
              "For support send an e-mail to:\r\n"
              "support@quorel.example.org");
    EXPECT_EQ(Narrow(TextOf(Child(about, 1))), "OK");
    EXPECT_EQ(Narrow(TextOf(Child(about, 106))), "&Visit Website");
    EXPECT_EQ(Narrow(TextOf(Child(about, 107))), "&Send Email");
    Screenshot("about", about);
    ASSERT_TRUE(Click(Child(about, 1)));
    EXPECT_TRUE(WaitUntilGone(about));
    // The close box ends it as well.
    ASSERT_TRUE(Command(main, 50019));
    about = Window(L"#32770", L"About Quorel");
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(Close(about));
    EXPECT_TRUE(WaitUntilGone(about));
    Quit(main);
}

class DepthDialog : public QuorelSession {
  protected:
    // Opens the depth dialog, types `text` (unless null) and presses
    // `button` (IDOK or IDCANCEL); checks the field showed `shown` first.
    void SetDepth(HWND main, const std::wstring& shown, const wchar_t* text, int button,
                  const std::string& screenshot = {}) {
        ASSERT_TRUE(Command(main, 50044));
        HWND dialog = Window(L"#32770", L"Set displayed depth");
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(TextOf(Child(dialog, 127)), shown);
        if (text != nullptr) {
            ASSERT_TRUE(SetText(Child(dialog, 127), text));
        }
        if (!screenshot.empty()) {
            Screenshot(screenshot, dialog);
        }
        ASSERT_TRUE(Click(Child(dialog, button)));
        EXPECT_TRUE(WaitUntilGone(dialog));
    }
    // Makes status part 0 read something else, so that the next "Depth
    // changed" is seen to come anew.
    void ResetStatus(HWND main) {
        ASSERT_TRUE(Command(main, 50064));
        EXPECT_TRUE(WaitForStatus(main, 0, L"A new set of permissions to display was selected"));
    }
};

TEST_F(DepthDialog, TheDepthLimitsTheLinesAndNamesItselfInTheMenu) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Narrow(MenuItem(main, 50044).text), "Depth \xE2\x88\x9E");  // U+221E

    ASSERT_TRUE(Command(main, 50024));  // a filter that the depth change resets
    ASSERT_TRUE(WaitForView(main, L"filter", L"5"));
    SetDepth(main, L"0", L"1", IDOK);
    ASSERT_TRUE(WaitForView(main, L"depth", L"1"));
    EXPECT_TRUE(WaitForStatus(main, 0, L"Depth changed"));
    EXPECT_EQ(Narrow(MenuItem(main, 50044).text), "Depth 1");
    EXPECT_EQ(View(main)[L"filter"], L"1");
    EXPECT_TRUE(MenuItem(main, 50020).checked);
    EXPECT_FALSE(MenuItem(main, 50024).checked);
    const std::vector<std::wstring> top = {tree, tree + L"\\a.txt", tree + L"\\b", tree + L"\\d"};
    EXPECT_EQ(Lines(main), top);

    // Cancel keeps the depth but still applies it.
    ResetStatus(main);
    SetDepth(main, L"1", L"7", IDCANCEL);
    EXPECT_TRUE(WaitForStatus(main, 0, L"Depth changed"));
    EXPECT_EQ(View(main)[L"depth"], L"1");
    EXPECT_EQ(Narrow(MenuItem(main, 50044).text), "Depth 1");
    EXPECT_EQ(Lines(main), top);

    // An empty field is 0: unlimited.
    SetDepth(main, L"1", L"", IDOK);
    ASSERT_TRUE(WaitForView(main, L"depth", L"0"));
    EXPECT_EQ(Narrow(MenuItem(main, 50044).text), "Depth \xE2\x88\x9E");
    EXPECT_EQ(Lines(main), TreeLines(tree));
    Quit(main);
}

TEST_F(DepthDialog, WithoutDataTheDepthCommandDoesNothing) {
    HWND main = StartWithoutData();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(CommandDone(main, 50044)) << "the depth command opened a window:\n"
                                          << Narrow(DescribeWindows(quorel.pid()));
    EXPECT_EQ(FindTopWindow(quorel.pid(), L"#32770", L"Set displayed depth"), nullptr);
    Quit(main);
}

TEST_F(Screens, DepthDialog) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Command(main, 50044));
    HWND dialog = Window(L"#32770", L"Set displayed depth");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(Child(dialog, 127)), L"0");
    EXPECT_EQ(Narrow(TextOf(Child(dialog, 1))), "&OK");
    EXPECT_EQ(Narrow(TextOf(Child(dialog, 2))), "&Cancel");
    Screenshot("depth", dialog);
    ASSERT_TRUE(Click(Child(dialog, 2)));
    EXPECT_TRUE(WaitUntilGone(dialog));
    Quit(main);
}

TEST_F(Screens, ErrorWindowListsTheErrorsAndClearsThem) {
    const std::wstring tree = MakeSmallTree();
    // A Unix socket: Wine lists it as a file, but cannot open it to read its
    // security.
    const std::string unixTree = UnixPath(tree);
    ASSERT_FALSE(unixTree.empty());
    const std::wstring marker = tree + L"\\d\\made";
    std::wstring why;
    // (Bound by a relative name: a socket's path may not exceed 107 bytes.)
    ASSERT_TRUE(RunUnixShell(
        "cd '" + unixTree +
            "' && python3 -c \"import socket; "
            "socket.socket(socket.AF_UNIX).bind('socket')\" && touch d/made",
        [&] { return FileExists(marker); }, kStepTimeoutMs, why))
        << Narrow(why);
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::wstring unreadable = tree + L"\\socket";
    EXPECT_EQ(View(main)[L"errors"], L"3");
    ASSERT_TRUE(Command(main, 50061));
    HWND window = Window(L"Error", L"Error reports");
    ASSERT_NE(window, nullptr);
    HWND edit = Child(window, 1);
    HWND clear = Child(window, 2);
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(Narrow(TextOf(clear)), "Clear Errorlist");
    // The failing step, then the two messages of an entry that could not
    // be read, numbered from 0.
    EXPECT_EQ(
        Narrow(TextOf(edit)),
        Narrow(L"0 - " + unreadable + L": Cannot get file security\r\n" + L"1 - " + unreadable +
               L": Error reading ACL information from file ( maybe you have "
               L"insufficient permissions )\r\n" +
               L"2 - " + unreadable + L": Empty ACL or ACL information could not be read\r\n"));
    Screenshot("error_window", window);

    ASSERT_TRUE(Click(clear));
    EXPECT_TRUE(PollUntil([&] { return TextOf(edit).empty(); })) << Narrow(TextOf(edit));
    EXPECT_TRUE(WaitForView(main, L"errors", L"0"));
    ASSERT_TRUE(Close(window));
    EXPECT_TRUE(WaitUntilGone(window));
    ASSERT_TRUE(Command(main, 50061));
    window = Window(L"Error", L"Error reports");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(Child(window, 1)), L"");
    ASSERT_TRUE(Close(window));
    EXPECT_TRUE(WaitUntilGone(window));
    Quit(main);
    RunUnixShell(
        "rm -f '" + unixTree + "/socket' '" + unixTree + "/d/made'",
        [&] { return !FileExists(marker); }, kStepTimeoutMs, why);
}

TEST_F(QuorelSession, ExitAsksAndNoKeepsTheWindow) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Command(main, 50005));
    MessageBoxSeen box = ExpectBox(L"Exit Quorel", L"Are you sure you want to quit", "YesNo");
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), nullptr) << "the question has no owner";
    ASSERT_TRUE(AnswerMessageBox(box, IDNO));
    ASSERT_TRUE(Sync(main));
    EXPECT_TRUE(quorel.Running());
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(Lines(main), TreeLines(tree));

    // The close box asks the same.
    ASSERT_TRUE(Close(main));
    box = ExpectBox(L"Exit Quorel", L"Are you sure you want to quit", "YesNo");
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(box, IDNO));
    ASSERT_TRUE(Sync(main));
    EXPECT_TRUE(IsWindowVisible(main));

    ASSERT_TRUE(Close(main));
    box = ExpectBox(L"Exit Quorel", L"Are you sure you want to quit", "YesNo");
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(box, IDYES));
    ExpectExit(0);
}

TEST_F(QuorelSession, HelpWithoutItsFileSaysSo) {
    HWND main = StartWithoutData();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Command(main, 50018));
    MessageBoxSeen box = ExpectBox(L"Error", L"Error! Help file not found");
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(quorel.Running());
    Quit(main);
}

}  // namespace
}  // namespace quorel::gui
