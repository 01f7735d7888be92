#include "quorel_session.h"

#include "host.h"
#include "remote_memory.h"
#include "window_access.h"

namespace quorel::gui {

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

void QuorelSession::SetUp() {
    ASSERT_FALSE(scratch.root().empty()) << "no scratch folder";
    appData = scratch.makeDir(L"appdata");
    ASSERT_FALSE(appData.empty());
}

void QuorelSession::TearDown() {
    if (quorel.Running()) {
        // The test has failed already or left the program on purpose; it
        // must not outlive the test.
        quorel.Terminate();
    }
}

void QuorelSession::Start(const std::wstring& arguments) {
    std::wstring why;
    ASSERT_TRUE(quorel.Start(QuorelExe(), arguments, {{L"LOCALAPPDATA", appData}}, why))
        << Narrow(why);
}

bool QuorelSession::StartAndChoose(int id) {
    Start(L"");
    HWND start = StartWindow();
    if (start == nullptr) {
        return false;
    }
    const bool clicked = Click(Child(start, id));
    EXPECT_TRUE(clicked) << "start window button " << id;
    return clicked;
}

HWND QuorelSession::StartWithoutData() {
    return StartAndChoose(1) ? MainWindow() : nullptr;
}

HWND QuorelSession::Window(const wchar_t* className, const wchar_t* title) {
    std::wstring why;
    HWND window = WaitForTopWindow(quorel, className, title, why);
    if (window == nullptr) {
        ADD_FAILURE() << Narrow(why);
    }
    return window;
}

MessageBoxSeen QuorelSession::ExpectBox(const wchar_t* caption, const std::wstring& text,
                                        const std::string& buttons) {
    std::wstring why;
    MessageBoxSeen box = WaitForMessageBox(quorel, caption, why);
    if (box.window == nullptr) {
        ADD_FAILURE() << "expected the message \"" << Narrow(text) << "\": " << Narrow(why);
        return box;
    }
    EXPECT_EQ(Narrow(box.text), Narrow(text)) << "message box captioned " << Narrow(box.caption);
    std::string seen;
    if (box.hasOk) {
        seen += "OK";
    }
    if (box.hasYes) {
        seen += "Yes";
    }
    if (box.hasNo) {
        seen += "No";
    }
    if (box.hasCancel && !box.hasOk) {
        seen += "Cancel";
    }
    EXPECT_EQ(seen, buttons) << "buttons of the box \"" << Narrow(text) << "\"";
    return box;
}

void QuorelSession::ExpectExit(DWORD code) {
    std::optional<DWORD> exit = quorel.WaitForExit(kStepTimeoutMs);
    ASSERT_TRUE(exit.has_value()) << "quorel.exe did not end; its windows:\n"
                                  << Narrow(DescribeWindows(quorel.pid()));
    EXPECT_EQ(*exit, code) << Narrow(quorel.Describe());
}

void QuorelSession::Quit(HWND main) {
    ASSERT_TRUE(Command(main, 50005));
    MessageBoxSeen box = ExpectBox(L"Exit Quorel", L"Are you sure you want to quit", "YesNo");
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(box, IDYES));
    ExpectExit(0);
}

std::vector<std::wstring> QuorelSession::Status(HWND main) {
    HWND bar = Descendant(main, L"msctls_statusbar32");
    if (bar == nullptr) {
        ADD_FAILURE() << "the main window has no status bar";
        return {};
    }
    std::optional<std::vector<std::wstring>> texts = StatusBarTexts(quorel.handle(), bar);
    if (!texts) {
        ADD_FAILURE() << "the status bar did not answer";
        return {};
    }
    return *texts;
}

bool QuorelSession::WaitForStatus(HWND main, int part, const std::wstring& text) {
    std::vector<std::wstring> seen;
    const bool ok = PollUntil([&] {
        seen = Status(main);
        return seen.size() > static_cast<std::size_t>(part) && seen[part] == text;
    });
    if (!ok) {
        std::string parts;
        for (const std::wstring& s : seen) {
            parts += " \"" + Narrow(s) + "\"";
        }
        ADD_FAILURE() << "status part " << part << " never read \"" << Narrow(text)
                      << "\"; the parts read:" << parts;
    }
    return ok;
}

std::vector<MenuEntry> QuorelSession::Menu(HWND main) {
    std::optional<std::vector<MenuEntry>> menu = hook.Menu(main);
    if (!menu) {
        ADD_FAILURE() << "the main window did not answer the menu query; the program "
                      << Narrow(quorel.Describe());
        return {};
    }
    return *menu;
}

std::vector<std::wstring> QuorelSession::Lines(HWND main) {
    std::optional<std::vector<std::wstring>> lines = hook.Lines(main);
    if (!lines) {
        ADD_FAILURE() << "the main window did not answer the lines query; the program "
                      << Narrow(quorel.Describe());
        return {};
    }
    return *lines;
}

std::map<std::wstring, std::wstring> QuorelSession::View(HWND main) {
    std::optional<std::map<std::wstring, std::wstring>> view = hook.View(main);
    if (!view) {
        ADD_FAILURE() << "the main window did not answer the view query; the program "
                      << Narrow(quorel.Describe());
        return {};
    }
    return *view;
}

bool QuorelSession::WaitForView(HWND main, const std::wstring& name, const std::wstring& value) {
    std::wstring seen;
    const bool ok = PollUntil([&] {
        std::optional<std::map<std::wstring, std::wstring>> view = hook.View(main);
        seen = view ? (*view)[name] : L"<no answer>";
        return seen == value;
    });
    if (!ok) {
        ADD_FAILURE() << "the view's " << Narrow(name) << " never became \"" << Narrow(value)
                      << "\"; it reads \"" << Narrow(seen) << "\"";
    }
    return ok;
}

MenuEntry QuorelSession::MenuItem(HWND main, UINT id) {
    for (const MenuEntry& e : Menu(main)) {
        if (e.kind == L"item" && e.id == id) {
            return e;
        }
    }
    ADD_FAILURE() << "no menu item " << id;
    return {};
}

void QuorelSession::SelectLine(HWND main, const std::wstring& path, int ace) {
    std::optional<MatrixShown> shown = hook.Matrix(main);
    ASSERT_TRUE(shown.has_value()) << "the main window did not answer the matrix query";
    for (const MatrixLine& line : shown->lines) {
        if (line.path == path && line.ace == ace) {
            ASSERT_TRUE(ClickAt(main, MulDiv(30, ScreenDpiOfTest(), 96), line.top + 2));
            ASSERT_TRUE(Sync(main));
            return;
        }
    }
    FAIL() << "no line of " << Narrow(path) << " ACE " << ace << " on the screen";
}

void QuorelSession::ChooseFile(const wchar_t* title, const std::wstring& path) {
    std::wstring why;
    EXPECT_TRUE(ChooseInFileDialog(quorel, title, path, why)) << Narrow(why);
}

void QuorelSession::CancelFile(const wchar_t* title) {
    std::wstring why;
    EXPECT_TRUE(CancelFileDialog(quorel, title, why)) << Narrow(why);
}

void QuorelSession::ChooseFolder(const std::wstring& title, const std::wstring& path) {
    std::wstring why;
    EXPECT_TRUE(ChooseInFolderPicker(quorel, title, path, why)) << Narrow(why);
}

MessageBoxSeen QuorelSession::ExpectWriteModeQuestion() {
    return ExpectBox(L"Enable write mode",
                     L"Write mode not activated. It can be activated or deactivated in the menu "
                     L"Edit -> Enable ACL write mode.\n\nDo you want to enable write mode for "
                     L"ACLs now?",
                     "YesNo");
}

MessageBoxSeen QuorelSession::ExpectInheritConfirmation() {
    return ExpectBox(L"Confirmation",
                     L"Apply ACL to all subdirectories and files?\n\nWARNING: This action cannot "
                     L"be undone and will clear the contents of the undo buffer. Are you sure you "
                     L"wish to proceed?",
                     "YesNo");
}

void QuorelSession::Screenshot(const std::string& name, HWND window) {
    if (window != nullptr) {
        // Paint everything now, so that the picture shows the window drawn.
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sync(window);
    }
    std::wstring why;
    EXPECT_TRUE(SaveScreenshot(name, why).has_value()) << Narrow(why);
}

std::wstring QuorelSession::MakeSmallTree() {
    const std::wstring root = scratch.makeDir(L"tree");
    EXPECT_FALSE(root.empty());
    EXPECT_FALSE(scratch.makeFile(L"tree\\a.txt").empty());
    EXPECT_FALSE(scratch.makeDir(L"tree\\b").empty());
    EXPECT_FALSE(scratch.makeFile(L"tree\\b\\c.txt").empty());
    EXPECT_FALSE(scratch.makeDir(L"tree\\d").empty());
    return root;
}

std::optional<DWORD> QuorelSession::RunCli(const std::wstring& arguments) {
    std::wstring why;
    std::optional<DWORD> code = RunToEnd(QuorelCliExe(), arguments, kStepTimeoutMs, why);
    if (!code) {
        ADD_FAILURE() << Narrow(why);
    }
    return code;
}

}  // namespace quorel::gui
