// quorel.exe where the installer put it (scripts/dist-test installs the
// package and names the program in QUOREL_INSTALLED_EXE, a Windows path):
// a dataset given on its command line, as a double-click on an .acl file
// passes it, is opened, and Help finds the help file installed beside it.
// Skipped when QUOREL_INSTALLED_EXE is not set.

#include <gtest/gtest.h>

#include "host.h"
#include "quorel_session.h"
#include "window_access.h"

namespace quorel::gui {
namespace {

// The first visible top-level window of class `className`, of any process.
HWND AnyTopWindow(const wchar_t* className) {
    HWND found = nullptr;
    PollUntil([&] {
        found = FindWindowW(className, nullptr);
        return found != nullptr && IsWindowVisible(found);
    });
    return found;
}

class Installed : public QuorelSession {};

TEST_F(Installed, OpensTheDatasetOnItsCommandLineAndShowsItsHelp) {
    const std::wstring exe = EnvOr(L"QUOREL_INSTALLED_EXE", L"");
    if (exe.empty()) {
        GTEST_SKIP() << "QUOREL_INSTALLED_EXE names no installed quorel.exe";
    }
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\') + 1);
    const std::wstring dataset = folder + L"Samples\\sample.acl";
    // The command line of the .acl association: "quorel.exe" "%1".
    std::wstring why;
    ASSERT_TRUE(quorel.Start(exe, L"\"" + dataset + L"\"", {{L"LOCALAPPDATA", appData}}, why))
        << Narrow(why);
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForView(main, L"file", dataset));
    // The sample's entries are listed.
    EXPECT_GT(Lines(main).size(), 10u);

    // Help opens Quorel.chm from the program's folder in the help viewer
    // ("HH Parent"); a missing file would say "Error! Help file not found".
    ASSERT_TRUE(Command(main, 50018));
    HWND viewer = AnyTopWindow(L"HH Parent");
    EXPECT_NE(viewer, nullptr) << "no help viewer; quorel.exe shows:\n"
                               << Narrow(DescribeWindows(quorel.pid()));
    EXPECT_EQ(FindTopWindow(quorel.pid(), L"#32770", L"Error"), nullptr);
    if (viewer != nullptr) {
        PostMessageW(viewer, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntilGone(viewer));
    }
    Quit(main);
}

}  // namespace
}  // namespace quorel::gui
