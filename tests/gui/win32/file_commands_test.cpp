// The File menu's commands through the real standard dialogs: Open, Save
// As and Save of dataset files, Export to CSV against quorel-cli, the
// settings files, and the project dialog writing a project that quorel-cli
// then runs.

#include <gtest/gtest.h>

#include "file_texts.h"
#include "host.h"
#include "quorel_session.h"
#include "window_access.h"

namespace quorel::gui {
namespace {

class FileCommands : public QuorelSession {
  protected:
    // A file dialog of the program, if one is open.
    HWND OpenFileDialog() {
        for (HWND window : TopWindows(quorel.pid())) {
            if (ClassOf(window) == L"#32770" && GetDlgItem(window, 0x47C) != nullptr) {
                return window;
            }
        }
        return nullptr;
    }
};

TEST_F(FileCommands, OpenSaveAsOpenGivesTheSameBytes) {
    const std::wstring tree = MakeSmallTree();
    const std::wstring scanned = scratch.path(L"scanned.acl");
    ASSERT_EQ(RunCli(L"scan -o \"" + scanned + L"\" \"" + tree + L"\""), 0u);
    std::optional<std::string> original = ReadBytes(scanned);
    ASSERT_TRUE(original.has_value());

    HWND main = StartWithoutData();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Command(main, 50002));
    ChooseFile(L"Open", scanned);
    ASSERT_TRUE(WaitForView(main, L"file", scanned));
    EXPECT_EQ(Lines(main).size(), 5u);
    EXPECT_EQ(View(main)[L"scanned"], L"0");

    const std::wstring first = scratch.path(L"first.acl");
    ASSERT_TRUE(Command(main, 50004));
    ChooseFile(L"Save As", first);
    ASSERT_TRUE(WaitForView(main, L"file", first));
    std::optional<std::string> saved = ReadBytes(first);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, *original) << "Save As of an opened file changed its bytes";

    ASSERT_TRUE(Command(main, 50002));
    ChooseFile(L"Open", first);
    ASSERT_TRUE(WaitForView(main, L"file", first));
    const std::wstring second = scratch.path(L"second.acl");
    ASSERT_TRUE(Command(main, 50004));
    ChooseFile(L"Save As", second);
    ASSERT_TRUE(WaitForView(main, L"file", second));
    EXPECT_EQ(ReadBytes(second), saved);

    // Save writes to the file's own name without asking.
    ASSERT_TRUE(DeleteFileW(second.c_str()));
    ASSERT_TRUE(CommandDone(main, 50003)) << "Save did not return; windows:\n"
                                          << Narrow(DescribeWindows(quorel.pid()));
    EXPECT_EQ(OpenFileDialog(), nullptr) << "Save asked for a name";
    EXPECT_EQ(ReadBytes(second), saved);
    Quit(main);
}

TEST_F(FileCommands, SaveOfScannedDataAsksForANameTheFirstTime) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::wstring target = scratch.path(L"scan.acl");
    ASSERT_TRUE(PressKey(main, 'S', {VK_CONTROL}));
    ChooseFile(L"Save As", target);
    ASSERT_TRUE(WaitForView(main, L"file", target));
    // The same scan written by quorel-cli has the same bytes.
    const std::wstring cli = scratch.path(L"cli.acl");
    ASSERT_EQ(RunCli(L"scan -o \"" + cli + L"\" \"" + tree + L"\""), 0u);
    EXPECT_EQ(ReadBytes(target), ReadBytes(cli));
    Quit(main);
}

TEST_F(FileCommands, ExportToCsvWritesWhatQuorelCliWritesForTheSameView) {
    const std::wstring sample = SourceFile("samples/sample.acl");
    Start(L"\"" + sample + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);

    const std::wstring exported = scratch.path(L"all.csv");
    ASSERT_TRUE(Command(main, 50032));
    ChooseFile(L"Save As", exported);
    EXPECT_TRUE(WaitForStatus(main, 0, L"Export Complete"));
    EXPECT_TRUE(WaitForStatus(main, 2, L"Ready."));
    const std::wstring cli = scratch.path(L"cli-all.csv");
    ASSERT_EQ(RunCli(L"csv -o \"" + cli + L"\" \"" + sample + L"\""), 0u);
    std::optional<std::string> expected = ReadBytes(cli);
    ASSERT_TRUE(expected.has_value());
    EXPECT_FALSE(expected->empty());
    EXPECT_EQ(ReadBytes(exported), expected);

    // Directories only, and inherited ACEs hidden.
    ASSERT_TRUE(Command(main, 50024));
    ASSERT_TRUE(WaitForView(main, L"filter", L"5"));
    ASSERT_TRUE(Command(main, 50055));
    EXPECT_TRUE(WaitForStatus(main, 0, L"inherited ACEs made invisble"));
    EXPECT_TRUE(MenuItem(main, 50055).checked);
    const std::wstring filtered = scratch.path(L"filtered.csv");
    ASSERT_TRUE(Command(main, 50032));
    ChooseFile(L"Save As", filtered);
    EXPECT_TRUE(WaitForStatus(main, 0, L"Export Complete"));
    const std::wstring cliFiltered = scratch.path(L"cli-filtered.csv");
    ASSERT_EQ(
        RunCli(L"csv --filter 5 --hide-inherited -o \"" + cliFiltered + L"\" \"" + sample + L"\""),
        0u);
    std::optional<std::string> expectedFiltered = ReadBytes(cliFiltered);
    ASSERT_TRUE(expectedFiltered.has_value());
    EXPECT_NE(expectedFiltered, expected);
    EXPECT_EQ(ReadBytes(filtered), expectedFiltered);
    Quit(main);
}

TEST_F(FileCommands, SettingsSavedAndLoadedAgainGiveTheSameFileAndView) {
    const std::wstring tree = MakeSmallTree();
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);

    ASSERT_TRUE(Command(main, 50033));
    CancelFile(L"Save As");
    EXPECT_TRUE(WaitForStatus(main, 0, L"Settings not saved. Aborted."));
    ASSERT_TRUE(Command(main, 50034));
    CancelFile(L"Open");
    EXPECT_TRUE(WaitForStatus(main, 0, L"Settings not loaded. Aborted."));

    const std::wstring first = scratch.path(L"first.qsf");
    ASSERT_TRUE(Command(main, 50033));
    ChooseFile(L"Save As", first);
    EXPECT_TRUE(WaitForStatus(main, 0, L"Settings saved."));
    std::optional<std::string> firstBytes = ReadBytes(first);
    ASSERT_TRUE(firstBytes.has_value());
    // Magic, version 1, filter 1 (show all), the four start columns rd, wr,
    // ex and del, no dynamic filter rows.
    const std::string magic("Q\0u\0o\0r\0e\0l\0 \0i\0n\0i\0t\0 \0f\0i\0l\0e\0\0\0", 34);
    const std::string fields(
        "\1\0\0\0"
        "\1\0\0\0"
        "\4\0\0\0"
        "\1\0\0\0\2\0\0\0\x20\0\0\0\0\0\1\0"
        "\0\0\0\0",
        32);
    EXPECT_EQ(*firstBytes, magic + fields);

    // Another filter and other columns, saved apart.
    ASSERT_TRUE(Command(main, 50024));
    ASSERT_TRUE(WaitForView(main, L"filter", L"5"));
    ASSERT_TRUE(Command(main, 50064));
    EXPECT_TRUE(WaitForStatus(main, 0, L"A new set of permissions to display was selected"));
    EXPECT_TRUE(MenuItem(main, 50064).checked);
    const std::wstring changed = scratch.path(L"changed.qsf");
    ASSERT_TRUE(Command(main, 50033));
    ChooseFile(L"Save As", changed);
    EXPECT_TRUE(WaitForStatus(main, 0, L"Settings saved."));
    EXPECT_NE(ReadBytes(changed), firstBytes);

    ASSERT_TRUE(Command(main, 50034));
    ChooseFile(L"Open", first);
    EXPECT_TRUE(WaitForStatus(main, 0, L"Settings loaded."));
    ASSERT_TRUE(WaitForView(main, L"filter", L"1"));
    EXPECT_TRUE(MenuItem(main, 50020).checked);
    EXPECT_FALSE(MenuItem(main, 50024).checked);
    const std::wstring again = scratch.path(L"again.qsf");
    ASSERT_TRUE(Command(main, 50033));
    ChooseFile(L"Save As", again);
    EXPECT_TRUE(WaitForStatus(main, 0, L"Settings saved."));
    EXPECT_EQ(ReadBytes(again), firstBytes);

    // The default file, read again by the next start: the first settings
    // with the directories-only filter. (A file of the basic permission set
    // would not do: its compound column masks are not read back.)
    ASSERT_TRUE(Command(main, 50024));
    ASSERT_TRUE(WaitForView(main, L"filter", L"5"));
    ASSERT_TRUE(Command(main, 50035));
    EXPECT_TRUE(WaitForStatus(main, 0, L"Settings saved to default file"));
    std::string expectedDefaults = *firstBytes;
    expectedDefaults[38] = '\x05';  // the static filter, after magic and version
    EXPECT_EQ(ReadBytes(appData + L"\\Quorel\\Quorel.qsf"), expectedDefaults);
    Quit(main);

    Start(L"\"" + tree + L"\"");
    HWND next = MainWindow();
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(WaitForStatus(next, 0, L"Settings loaded."));
    EXPECT_EQ(View(next)[L"filter"], L"5");
    EXPECT_TRUE(MenuItem(next, 50024).checked);
    Quit(next);
}

TEST_F(Screens, ProjectDialogWritesAProjectThatQuorelCliRuns) {
    const std::wstring tree = MakeSmallTree();
    const std::wstring out = scratch.makeDir(L"out");
    ASSERT_FALSE(out.empty());
    Start(L"\"" + tree + L"\"");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Command(main, 50036));
    HWND dialog = Window(L"#32770", L"Project Settings");
    ASSERT_NE(dialog, nullptr);
    const struct {
        int id;
        const wchar_t* text;
    } buttons[] = {{120, L"Prevent Overwriting of Old Files by Adding Counter to Filename"},
                   {109, L"&Save Project File"},
                   {119, L"&Open Project File"},
                   {2, L"&Cancel"}};
    for (const auto& b : buttons) {
        EXPECT_EQ(Narrow(TextOf(Child(dialog, b.id))), Narrow(b.text));
    }
    EXPECT_EQ(TextOf(Child(dialog, 121)), L"");
    EXPECT_EQ(TextOf(Child(dialog, 122)), L"");
    EXPECT_EQ(CheckState(Child(dialog, 120)), BST_UNCHECKED);

    const std::wstring directories = tree + L"\r\n" + tree + L"\\b";
    ASSERT_TRUE(SetText(Child(dialog, 121), directories));
    ASSERT_TRUE(SetText(Child(dialog, 122), out + L"\\scan"));
    ASSERT_TRUE(Click(Child(dialog, 120)));
    ASSERT_TRUE(PollUntil([&] { return CheckState(Child(dialog, 120)) == BST_CHECKED; }));
    Screenshot("project_settings", dialog);
    const std::wstring project = scratch.path(L"nightly.qpf");
    ASSERT_TRUE(Click(Child(dialog, 109)));
    ChooseFile(L"Save As", project);
    EXPECT_TRUE(WaitUntilGone(dialog));
    EXPECT_EQ(ReadBytes(project), ProjectFileBytes(directories, out + L"\\scan", true));

    // The dialog opens the file again, counter option included.
    ASSERT_TRUE(Command(main, 50036));
    dialog = Window(L"#32770", L"Project Settings");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Click(Child(dialog, 120)));  // off, then back on from the file
    ASSERT_TRUE(PollUntil([&] { return CheckState(Child(dialog, 120)) == BST_UNCHECKED; }));
    ASSERT_TRUE(Click(Child(dialog, 119)));
    ChooseFile(L"Open", project);
    EXPECT_TRUE(PollUntil([&] { return TextOf(Child(dialog, 121)) == directories; }));
    EXPECT_EQ(TextOf(Child(dialog, 122)), out + L"\\scan");
    EXPECT_EQ(CheckState(Child(dialog, 120)), BST_CHECKED);
    ASSERT_TRUE(Click(Child(dialog, 2)));
    EXPECT_TRUE(WaitUntilGone(dialog));
    Quit(main);

    ASSERT_EQ(RunCli(L"project \"" + project + L"\""), 0u);
    EXPECT_TRUE(FileExists(out + L"\\scan0.acl"));
    ASSERT_EQ(RunCli(L"project \"" + project + L"\""), 0u);
    EXPECT_TRUE(FileExists(out + L"\\scan1.acl"));
    const std::wstring csv = scratch.path(L"scan0.csv");
    ASSERT_EQ(RunCli(L"csv --utf8 -o \"" + csv + L"\" \"" + out + L"\\scan0.acl\""), 0u);
    std::optional<std::string> listed = ReadBytes(csv);
    ASSERT_TRUE(listed.has_value());
    const std::vector<std::wstring> expected = {
        tree,          tree + L"\\a.txt", tree + L"\\b",       tree + L"\\b\\c.txt",
        tree + L"\\d", tree + L"\\b",     tree + L"\\b\\c.txt"};
    EXPECT_EQ(PathsOfCsv(*listed), expected);
}

}  // namespace
}  // namespace quorel::gui
