// The program's own windows drawn on the screen, saved as pictures under
// build/screenshots (name@DPI.png): the start window, the configuration
// window in both forms, the scan progress window on a long path with its
// Cancel, the main window on the sample dataset and the loading dialog.
// The dialogs of the main window take theirs in main_dialogs_test.cpp.

#include <gtest/gtest.h>

#include "big_inputs.h"
#include "file_texts.h"
#include "host.h"
#include "quorel_session.h"
#include "window_access.h"

namespace quorel::gui {
namespace {

int Scaled(int value96) {
    return MulDiv(value96, ScreenDpiOfTest(), 96);
}

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

}  // namespace
}  // namespace quorel::gui
