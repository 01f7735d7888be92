// The program's own windows drawn on the screen, saved as pictures under
// build/screenshots (name@DPI.png): the start window, the configuration
// window in both forms, the scan progress window on a long path with its
// Cancel, the main window on the sample dataset and the loading dialog.
// The dialogs of the main window take theirs in main_dialogs_test.cpp;
// those an administrator meets while editing, filtering and finding are
// taken here on a copy of the demo volume, so that they show its accounts.

#include <gtest/gtest.h>

#include "big_inputs.h"
#include "file_texts.h"
#include "host.h"
#include "quorel_session.h"
#include "resource.h"
#include "window_access.h"

namespace quorel::gui {
namespace {

int Scaled(int value96) {
    return MulDiv(value96, ScreenDpiOfTest(), 96);
}

const wchar_t kShare[] = L"\\\\FS01\\Projects";

SIZE SizeOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

TEST_F(Screens, StartWindow) {
    Start(L"");
    HWND start = StartWindow();
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(SizeOf(start).cx, Scaled(900));
    EXPECT_EQ(SizeOf(start).cy, Scaled(640));
    Screenshot("start_window", start);
    ASSERT_TRUE(Click(Child(start, 2)));
    ExpectExit(0);
}

TEST_F(Screens, ConfigurationWindowInBothForms) {
    for (int button : {0, 4}) {
        const bool compare = button == 4;
        SCOPED_TRACE(compare ? "compare form" : "new-scan form");
        ASSERT_TRUE(StartAndChoose(button));
        HWND window = Window(L"ChooseConfiguration", L"New Scan");
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(SizeOf(window).cy, Scaled(compare ? 510 : 460));
        Screenshot(compare ? "configuration_compare" : "configuration_new_scan", window);
        quorel.Terminate();
    }
}

TEST_F(Screens, ProgressWindowOnALongPathAndItsCancel) {
    const std::wstring root = scratch.makeDir(L"long");
    ASSERT_FALSE(root.empty());
    std::wstring deepest;
    // Enough entries that the scan runs for seconds under Wine.
    ASSERT_TRUE(MakeLongTree(root, 40, 100, deepest));
    Start(L"\"" + root + L"\"");
    HWND progress = Window(L"Rizive_ScanStateWin", L"Quorel is scanning the directory:");
    ASSERT_NE(progress, nullptr) << "the scan may have ended before its window was seen";
    EXPECT_EQ(SizeOf(progress).cx, Scaled(600));
    EXPECT_EQ(SizeOf(progress).cy, Scaled(120));
    HWND cancel = Child(progress, 0);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(Narrow(TextOf(cancel)), "Cancel");
    Screenshot("progress_window", nullptr);
    ASSERT_TRUE(Click(cancel));
    MessageBoxSeen box = ExpectBox(L"Scanning canceled", L"Scanning canceled");
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(FindTopWindow(quorel.pid(), L"Rizive", nullptr), nullptr);
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    ExpectExit(0);
    EXPECT_EQ(quorel.Describe().find(L"still"), std::wstring::npos);
}

TEST_F(Screens, MainWindowOnTheSampleDataset) {
    const std::wstring sample = SourceFile("samples/sample.acl");
    const std::wstring csv = scratch.path(L"sample.csv");
    ASSERT_EQ(RunCli(L"csv --utf8 -o \"" + csv + L"\" \"" + sample + L"\""), 0u);
    std::optional<std::string> listed = ReadBytes(csv);
    ASSERT_TRUE(listed.has_value());
    Start(L"\"" + sample + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(SizeOf(main).cx, Scaled(1024));
    EXPECT_EQ(SizeOf(main).cy, Scaled(600));
    const std::vector<std::wstring> lines = Lines(main);
    EXPECT_FALSE(lines.empty());
    EXPECT_EQ(lines, PathsOfCsv(*listed));
    EXPECT_TRUE(WaitForStatus(main, 0, L"Settings loaded."));
    Screenshot("main_window_sample", main);
    Quit(main);
}

TEST_F(Screens, LoadingDialogWhileALargeDatasetIsRead) {
    const std::wstring large = scratch.path(L"large.acl");
    ASSERT_TRUE(WriteLargeDataset(large, 300000));
    Start(L"\"" + large + L"\"");
    HWND loading = Window(L"#32770", L"Loading dataset");
    ASSERT_NE(loading, nullptr) << "the dataset was read before the dialog was seen";
    std::vector<std::wstring> texts;
    for (HWND child : Children(loading)) {
        texts.push_back(TitleOf(child));  // the program is busy reading
    }
    const std::vector<std::wstring> expected = {L"Loading data set...",
                                                L"This could take several minutes."};
    EXPECT_EQ(texts, expected);
    Screenshot("loading_dialog", nullptr);
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitUntilGone(loading));
    EXPECT_EQ(View(main)[L"file"], large);
    Quit(main);
}

TEST_F(Screens, EditingQuestionsAndDialogs) {
    const std::wstring volume = scratch.path(L"demo.qvol");
    const std::optional<std::string> demo = ReadBytes(SourceFile("samples/demo.qvol"));
    ASSERT_TRUE(demo.has_value() && WriteBytes(volume, *demo));
    Start(L"--volume \"" + volume + L"\" " + kShare);
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    SelectLine(main, kShare, -1);
    ASSERT_TRUE(Command(main, IDM_ADD_ACE));
    MessageBoxSeen gate = ExpectWriteModeQuestion();
    ASSERT_NE(gate.window, nullptr);
    Screenshot("write_mode_question", gate.window);
    ASSERT_TRUE(AnswerMessageBox(gate, IDYES));
    HWND add = Window(L"#32770", L"Add user");
    ASSERT_NE(add, nullptr);
    Screenshot("add_user", add);
    ASSERT_TRUE(Click(Child(add, IDCANCEL)));
    EXPECT_TRUE(WaitUntilGone(add));

    ASSERT_TRUE(Command(main, IDM_DELETE_ACES));
    MessageBoxSeen del =
        ExpectBox(L"Delete ACEs", L"Are you sure you want to delete the selected ACEs?", "YesNo");
    ASSERT_NE(del.window, nullptr);
    Screenshot("delete_question", del.window);
    ASSERT_TRUE(AnswerMessageBox(del, IDNO));

    // The share's first ACE (SYSTEM) is explicit: its flags and the ACE.
    SelectLine(main, kShare, 0);
    ASSERT_TRUE(Command(main, IDM_CHANGE_INHERITANCE_FLAGS));
    HWND flags = Window(L"#32770", L"Modify Inheritance Flags");
    ASSERT_NE(flags, nullptr);
    EXPECT_EQ(CheckState(Child(flags, IDC_FLAGS_INHERIT_TO_FOLDERS)), BST_CHECKED);
    Screenshot("inheritance_flags", flags);
    ASSERT_TRUE(Click(Child(flags, IDCANCEL)));
    EXPECT_TRUE(WaitUntilGone(flags));
    SelectLine(main, kShare, 0);  // every edit command forgets the focused ACE
    ASSERT_TRUE(Command(main, IDM_MODIFY_ACE));
    HWND modify = Window(L"#32770", L"Modify ACE");
    ASSERT_NE(modify, nullptr);
    Screenshot("modify_ace", modify);
    ASSERT_TRUE(Click(Child(modify, IDCANCEL)));
    EXPECT_TRUE(WaitUntilGone(modify));

    SelectLine(main, kShare, -1);
    ASSERT_TRUE(Command(main, IDM_INHERIT_ACL));
    MessageBoxSeen confirm = ExpectInheritConfirmation();
    ASSERT_NE(confirm.window, nullptr);
    Screenshot("inherit_confirmation", confirm.window);
    ASSERT_TRUE(AnswerMessageBox(confirm, IDYES));
    HWND settings = Window(L"#32770", L"Inheritance settings");
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(IsEnabled(Child(settings, IDC_INHERIT_GIVE_BACK_OWNERSHIP)));
    Screenshot("inheritance_settings", settings);
    ASSERT_TRUE(Click(Child(settings, IDCANCEL)));
    EXPECT_TRUE(WaitUntilGone(settings));
    // Nothing was written: the volume file is as it was copied.
    EXPECT_EQ(ReadBytes(volume), demo);
    Quit(main);
}

// The busy window of Inherit ACL, on a copy of the demo volume made slow (a
// remote server) so that the run lasts long enough to be seen, then its
// Cancel.
TEST_F(Screens, BusyWindowOfInheritAclAndItsCancel) {
    const std::wstring volume = scratch.path(L"slow.qvol");
    const std::optional<std::string> demo = ReadBytes(SourceFile("samples/demo.qvol"));
    ASSERT_TRUE(demo.has_value() && WriteBytes(volume, *demo + "latency\t10000\n"));
    Start(L"--volume \"" + volume + L"\" " + kShare);
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    SelectLine(main, kShare, -1);
    ASSERT_TRUE(Command(main, IDM_INHERIT_ACL));
    MessageBoxSeen gate = ExpectWriteModeQuestion();
    ASSERT_NE(gate.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(gate, IDYES));
    MessageBoxSeen confirm = ExpectInheritConfirmation();
    ASSERT_NE(confirm.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(confirm, IDYES));
    HWND settings = Window(L"#32770", L"Inheritance settings");
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(Click(Child(settings, IDOK)));
    HWND busy = Window(L"Heartbeat Window", L"Quorel is working. Please wait.....");
    ASSERT_NE(busy, nullptr);
    Screenshot("busy_window", busy);
    ASSERT_TRUE(Click(Child(busy, 0)));  // Cancel
    HWND cancelled = Window(L"#32770", L"Inherit ACL");
    ASSERT_NE(cancelled, nullptr);
    ASSERT_TRUE(Click(Child(cancelled, IDOK)));
    EXPECT_TRUE(WaitUntilGone(cancelled));
    Quit(main);
}

TEST_F(Screens, FilterPermissionFindAndRestoreWindows) {
    const std::wstring volume = scratch.path(L"demo.qvol");
    const std::optional<std::string> demo = ReadBytes(SourceFile("samples/demo.qvol"));
    ASSERT_TRUE(demo.has_value() && WriteBytes(volume, *demo));
    const std::wstring saved = scratch.path(L"saved.acl");
    ASSERT_EQ(RunCli(L"--volume \"" + volume + L"\" scan -o \"" + saved + L"\" " + kShare), 0u);
    // Since the saved scan: a file added, and Users given read access to
    // another, so that the comparison lists both.
    const std::string changed =
        *demo +
        "file\t\\\\FS01\\Projects\\Apollo\\budget.xlsx\tO:BAG:SYD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)\n"
        "file\t\\\\FS01\\Projects\\Apollo\\overview.docx\tO:BAG:SYD:AI(A;;FR;;;BU)(A;ID;FA;;;SY)\n";
    ASSERT_TRUE(WriteBytes(volume, changed));
    Start(L"--volume \"" + volume + L"\" " + kShare);
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);

    ASSERT_TRUE(Command(main, IDM_DYNAMIC_FILTERS));
    HWND filters = Window(L"DynamicFilters", L"Set Dynamic Filters");
    ASSERT_NE(filters, nullptr);
    Screenshot("dynamic_filters", filters);
    ASSERT_TRUE(Click(Child(filters, 401)));  // Cancel
    EXPECT_TRUE(WaitUntilGone(filters));
    ASSERT_TRUE(Command(main, IDM_SELECT_PERMISSIONS));
    HWND rights = Window(L"ChooseRights", L"Select Permissions to Display");
    ASSERT_NE(rights, nullptr);
    Screenshot("select_permissions", rights);
    ASSERT_TRUE(Click(Child(rights, 3)));  // Cancel
    EXPECT_TRUE(WaitUntilGone(rights));

    ASSERT_TRUE(Command(main, IDM_FIND));
    ASSERT_TRUE(SetText(Child(main, 14), L"Apollo"));
    ASSERT_TRUE(Click(Child(main, 17)));  // highlight
    EXPECT_TRUE(WaitForStatus(main, 0, L"matching files highlighted"));
    Screenshot("find_bar", main);
    ASSERT_TRUE(Command(main, IDM_FIND));

    ASSERT_TRUE(Command(main, IDM_COMPARE_TO));
    ChooseFile(L"Open", saved);
    EXPECT_TRUE(WaitForStatus(main, 0, L"Switched to compare mode"));
    Screenshot("compare_mode", main);
    ASSERT_TRUE(Command(main, IDM_RESTORE_PERMISSIONS));
    MessageBoxSeen gate = ExpectWriteModeQuestion();
    ASSERT_NE(gate.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(gate, IDYES));
    HWND restore = Window(L"#32770", L"Restore permissions - settings");
    ASSERT_NE(restore, nullptr);
    EXPECT_EQ(CheckState(Child(restore, IDC_RESTORE_APPLY_INHERITANCE)), BST_CHECKED);
    Screenshot("restore_settings", restore);
    ASSERT_TRUE(Click(Child(restore, IDCANCEL)));
    EXPECT_TRUE(WaitUntilGone(restore));
    EXPECT_EQ(ReadBytes(volume), changed);
    Quit(main);
}

}  // namespace
}  // namespace quorel::gui
