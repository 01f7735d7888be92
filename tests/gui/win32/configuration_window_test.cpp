// The configuration window before a scan, in its new-scan form (start
// window "SCAN") and its compare form (start window "COMPARE"): its
// controls, the checks of OK with their messages, Cancel, the folder picker
// and the compare file dialog.

#include <gtest/gtest.h>

#include "big_inputs.h"
#include "host.h"
#include "quorel_session.h"
#include "window_access.h"

namespace quorel::gui {
namespace {

struct Radio {
    int id;
    const wchar_t* text;
    bool inCompareForm;  // can be chosen in the compare form
};
constexpr Radio kRadios[] = {
    {5, L"Show All Files", true},
    {6, L"Show Only Files Whose Permissions Differ From Those of the Parent Directory", false},
    {7, L"Show Only Files Which Have at Least One Deny Entry", false},
    {8, L"Show Only Files With Permissions non-inherited From the Parent Directory", false},
    {9, L"Show Only Directories", true},
    {10, L"Show Only Directories Whose Permissions Differ From Those of the Parent Directory",
     false},
    {11, L"Show Only Files Where a User or Group Cannot be Resolved", true},
    {13, L"Show Only Files Where an Error Occurred while Analysing the ACL", true},
};

int Scaled(int value96) {
    return MulDiv(value96, ScreenDpiOfTest(), 96);
}

class ConfigurationWindow : public QuorelSession {
  protected:
    // Starts quorel.exe and presses the start window's button `id` (0 SCAN,
    // 4 COMPARE); the configuration window, or null.
    HWND Open(int startButton) {
        return StartAndChoose(startButton) ? Window(L"ChooseConfiguration", L"New Scan") : nullptr;
    }

    // The child with `id` and class `className` (the window has three
    // controls with id 11).
    static HWND Control(HWND window, int id, const wchar_t* className) {
        for (HWND child : Children(window)) {
            if (GetDlgCtrlID(child) == id && ClassOf(child) == className) {
                return child;
            }
        }
        return nullptr;
    }
    static HWND DirectoryField(HWND w) { return Control(w, 4, L"Edit"); }
    static HWND DepthField(HWND w) {
        // The depth field is the edit with id 11 that the window makes first.
        return Control(w, 11, L"Edit");
    }
    static HWND CompareFileField(HWND w) {
        HWND found = nullptr;
        for (HWND child : Children(w)) {
            if (GetDlgCtrlID(child) == 11 && ClassOf(child) == L"Edit" && child != DepthField(w)) {
                found = child;
            }
        }
        return found;
    }

    // Presses OK and expects the message `text` (no caption: the system's
    // "Error"); after OK in the box the window is still there.
    void ExpectRefused(HWND window, const std::wstring& text) {
        ASSERT_TRUE(Click(Child(window, 2)));
        MessageBoxSeen box = ExpectBox(L"Error", text);
        ASSERT_NE(box.window, nullptr);
        ASSERT_TRUE(AnswerMessageBox(box, IDOK));
        ASSERT_TRUE(Sync(window));
        EXPECT_TRUE(IsWindow(window) && IsWindowVisible(window))
            << "the configuration window closed after \"" << Narrow(text) << "\"";
        EXPECT_EQ(FindTopWindow(quorel.pid(), L"Rizive", nullptr), nullptr);
    }

    // Cancel leaves no directory: the main window without data.
    void ExpectCancelOpensEmptyMainWindow(HWND window) {
        ASSERT_TRUE(Click(Child(window, 3)));
        HWND main = MainWindow();
        ASSERT_NE(main, nullptr);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_TRUE(Lines(main).empty());
        EXPECT_EQ(View(main)[L"entries"], L"0");
        Quit(main);
    }
};

TEST_F(ConfigurationWindow, NewScanFormHasItsControlsWithFilterOneChecked) {
    HWND window = Open(0);
    ASSERT_NE(window, nullptr);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, Scaled(600));
    EXPECT_EQ(rect.bottom - rect.top, Scaled(460));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & 0x00400084, 0x00400084);

    HWND directories = DirectoryField(window);
    ASSERT_NE(directories, nullptr);
    // An edit control takes WS_BORDER (0x00800000) out of its style and
    // draws the border itself, so the rest of 0x50B00084 is what shows.
    EXPECT_EQ(GetWindowLongW(directories, GWL_STYLE) & 0x50300084, 0x50300084);
    EXPECT_EQ(TextOf(directories), L"");
    EXPECT_EQ(Narrow(TextOf(Control(window, 1, L"Button"))), "Browse...");
    EXPECT_EQ(Narrow(TextOf(Control(window, 2, L"Button"))), "OK");
    EXPECT_EQ(Narrow(TextOf(Control(window, 3, L"Button"))), "Cancel");
    EXPECT_EQ(Narrow(TextOf(Control(window, 0, L"Button"))), "Choose Filter");
    HWND depth = DepthField(window);
    ASSERT_NE(depth, nullptr);
    EXPECT_EQ(Narrow(TextOf(depth)), "0");
    EXPECT_EQ(GetWindowLongW(depth, GWL_STYLE) & 0x50002080, 0x50002080);  // 0x50802080
    for (const Radio& r : kRadios) {
        SCOPED_TRACE(Narrow(r.text));
        HWND radio = Control(window, r.id, L"Button");
        ASSERT_NE(radio, nullptr);
        EXPECT_EQ(Narrow(TextOf(radio)), Narrow(r.text));
        EXPECT_TRUE(IsEnabled(radio));
        EXPECT_EQ(CheckState(radio), r.id == 5 ? BST_CHECKED : BST_UNCHECKED);
    }
    EXPECT_EQ(Control(window, 12, L"Button"), nullptr)
        << "a compare file button in the new-scan form";
    EXPECT_EQ(CompareFileField(window), nullptr);
    ExpectCancelOpensEmptyMainWindow(window);
}

TEST_F(ConfigurationWindow, CompareFormOffersOnlyTheFiltersThatApplyToAComparison) {
    HWND window = Open(4);
    ASSERT_NE(window, nullptr);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, Scaled(600));
    EXPECT_EQ(rect.bottom - rect.top, Scaled(510));
    for (const Radio& r : kRadios) {
        SCOPED_TRACE(Narrow(r.text));
        HWND radio = Control(window, r.id, L"Button");
        ASSERT_NE(radio, nullptr);
        EXPECT_EQ(IsEnabled(radio), r.inCompareForm);
        EXPECT_EQ(CheckState(radio), r.id == 5 ? BST_CHECKED : BST_UNCHECKED);
    }
    EXPECT_NE(CompareFileField(window), nullptr);
    EXPECT_EQ(Narrow(TextOf(Control(window, 12, L"Button"))), "Browse...");
    ExpectCancelOpensEmptyMainWindow(window);
}

TEST_F(ConfigurationWindow, OkRefusesAnEmptyDirectoryAnEmptyDepthAndAFolderThatCannotBeOpened) {
    const std::wstring tree = MakeSmallTree();
    HWND window = Open(0);
    ASSERT_NE(window, nullptr);
    ExpectRefused(window, L"You must specify a directory to scan");

    ASSERT_TRUE(SetText(DirectoryField(window), tree));
    ASSERT_TRUE(SetText(DepthField(window), L""));
    ExpectRefused(window, L"You must specify the depth to scan");
    EXPECT_EQ(TextOf(DirectoryField(window)), tree);

    const std::wstring missing = tree + L"\\missing";
    ASSERT_TRUE(SetText(DirectoryField(window), tree + L"\r\n" + missing + L"\\"));
    ASSERT_TRUE(SetText(DepthField(window), L"0"));
    ExpectRefused(window, L"Specified directory cannot be opened: " + missing);

    // Blank lines and trailing backslashes go; the two folders are scanned
    // as two roots, the second below the first's entries.
    ASSERT_TRUE(SetText(DirectoryField(window), tree + L"\\d\\\r\n\r\n" + tree + L"\\b"));
    ASSERT_TRUE(Click(Child(window, 2)));
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::vector<std::wstring> expected = {tree + L"\\d", tree + L"\\b", tree + L"\\b\\c.txt"};
    EXPECT_EQ(Lines(main), expected);
    Quit(main);
}

TEST_F(ConfigurationWindow, TheDepthFieldLimitsTheScan) {
    const std::wstring tree = MakeSmallTree();
    HWND window = Open(0);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SetText(DirectoryField(window), tree));
    ASSERT_TRUE(SetText(DepthField(window), L"1"));
    ASSERT_TRUE(Click(Child(window, 2)));
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::vector<std::wstring> expected = {tree, tree + L"\\a.txt", tree + L"\\b",
                                                tree + L"\\d"};
    EXPECT_EQ(Lines(main), expected);
    EXPECT_EQ(View(main)[L"scanned"], L"1");
    Quit(main);
}

TEST_F(ConfigurationWindow, TheChosenFilterIsAppliedAfterTheScanAndCheckedInTheMenu) {
    const std::wstring tree = MakeSmallTree();
    HWND window = Open(0);
    ASSERT_NE(window, nullptr);
    HWND directoriesOnly = Control(window, 9, L"Button");
    ASSERT_TRUE(Click(directoriesOnly));
    ASSERT_TRUE(PollUntil([&] { return CheckState(directoriesOnly) == BST_CHECKED; }));
    EXPECT_EQ(CheckState(Control(window, 5, L"Button")), BST_UNCHECKED);
    ASSERT_TRUE(SetText(DirectoryField(window), tree));
    ASSERT_TRUE(Click(Child(window, 2)));
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::vector<std::wstring> expected = {tree, tree + L"\\b", tree + L"\\d"};
    EXPECT_EQ(Lines(main), expected);
    EXPECT_EQ(View(main)[L"filter"], L"5");
    EXPECT_TRUE(MenuItem(main, 50024).checked);
    EXPECT_FALSE(MenuItem(main, 50020).checked);
    Quit(main);
}

TEST_F(ConfigurationWindow, BrowseAddsEachChosenFolderOnALineOfItsOwn) {
    const std::wstring tree = MakeSmallTree();
    HWND window = Open(0);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Click(Child(window, 1)));
    ChooseFolder(L"Choose a Directory", tree + L"\\b");
    ASSERT_TRUE(PollUntil([&] { return TextOf(DirectoryField(window)) == tree + L"\\b"; }))
        << Narrow(TextOf(DirectoryField(window)));
    ASSERT_TRUE(Click(Child(window, 1)));
    ChooseFolder(L"Choose a Directory", tree + L"\\d");
    const std::wstring both = tree + L"\\b\r\n" + tree + L"\\d";
    ASSERT_TRUE(PollUntil([&] { return TextOf(DirectoryField(window)) == both; }))
        << Narrow(TextOf(DirectoryField(window)));
    ASSERT_TRUE(Click(Child(window, 2)));
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::vector<std::wstring> expected = {tree + L"\\b", tree + L"\\b\\c.txt", tree + L"\\d"};
    EXPECT_EQ(Lines(main), expected);
    Quit(main);
}

TEST_F(ConfigurationWindow, ItsScanShowsTheCurrentDirectoryInTheProgressWindow) {
    const std::wstring root = scratch.makeDir(L"long");
    ASSERT_FALSE(root.empty());
    std::wstring deepest;
    ASSERT_TRUE(MakeLongTree(root, 40, 100, deepest));
    HWND window = Open(0);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SetText(DirectoryField(window), root));
    ASSERT_TRUE(Click(Child(window, 2)));
    // Not a scan named on the command line: the other title.
    HWND progress = Window(L"Rizive_ScanStateWin", L"Current Directory:");
    ASSERT_NE(progress, nullptr) << "the scan may have ended before its window was seen";
    ASSERT_TRUE(Click(Child(progress, 0)));
    MessageBoxSeen box = ExpectBox(L"Scanning canceled", L"Scanning canceled");
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    ExpectExit(0);
}

TEST_F(ConfigurationWindow, CompareFormRefusesAMissingOrEmptyCompareFile) {
    const std::wstring tree = MakeSmallTree();
    HWND window = Open(4);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SetText(DirectoryField(window), tree));
    ExpectRefused(window, L"You must specify a file to compare the scan to");
    ASSERT_TRUE(SetText(CompareFileField(window), scratch.path(L"missing.acl")));
    ExpectRefused(window, L"Reference file cannot be found");
    ASSERT_TRUE(Click(Child(window, 3)));
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    Quit(main);
}

TEST_F(ConfigurationWindow, CompareWithAFileChosenInTheDialogShowsTheComparison) {
    const std::wstring tree = MakeSmallTree();
    const std::wstring saved = scratch.path(L"saved.acl");
    std::optional<DWORD> code = RunCli(L"scan -o \"" + saved + L"\" \"" + tree + L"\"");
    ASSERT_EQ(code, 0u);
    // One file more since the saved scan.
    ASSERT_FALSE(scratch.makeFile(L"tree\\e.txt").empty());
    HWND window = Open(4);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SetText(DirectoryField(window), tree));
    ASSERT_TRUE(Click(Child(window, 12)));
    ChooseFile(L"Open", saved);
    ASSERT_TRUE(PollUntil([&] { return TextOf(CompareFileField(window)) == saved; }))
        << Narrow(TextOf(CompareFileField(window)));
    ASSERT_TRUE(Click(Child(window, 2)));
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    std::map<std::wstring, std::wstring> view = View(main);
    EXPECT_EQ(view[L"compare"], L"1");
    EXPECT_EQ(view[L"scanned"], L"0");
    const std::vector<std::wstring> lines = Lines(main);
    EXPECT_NE(std::find(lines.begin(), lines.end(), tree + L"\\e.txt"), lines.end())
        << "the added file is not listed";
    Quit(main);
}

}  // namespace
}  // namespace quorel::gui
