#pragma once

// The fixture of the GUI tests: a scratch folder of the test's own, one
// quorel.exe started with its own data folder (LOCALAPPDATA), and the
// steps every test takes with it, each failing the test with a clear
// message when the program does not do what is waited for.

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "hook_client.h"
#include "platform/win32/temp_tree.h"
#include "program.h"

namespace quorel::gui {

std::string Narrow(const std::wstring& text);  // UTF-8, for messages

class QuorelSession : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts quorel.exe with `arguments` (the command line after the
    // program name, as a shell would pass it).
    void Start(const std::wstring& arguments);
    // Waits for a top-level window of the program; null after a failure.
    HWND Window(const wchar_t* className, const wchar_t* title);
    // The main window "Quorel" (class "Rizive").
    HWND MainWindow() { return Window(L"Rizive", L"Quorel"); }
    // The start window "Quorel - select action" (class "Rizive_StartWin").
    HWND StartWindow() { return Window(L"Rizive_StartWin", L"Quorel - select action"); }
    // Starts without argument and presses the start window's button `id`
    // (0 SCAN, 1 STARTMAIN, 3 OPEN, 4 COMPARE, 2 EXIT); false after a failure.
    bool StartAndChoose(int id);
    // Starts without argument, chooses "STARTMAIN": the main window without
    // data, or null.
    HWND StartWithoutData();
    // Waits for a message box captioned `caption` showing exactly `text`
    // with exactly the buttons `buttons` ("OK", "YesNo"); the box, or an
    // empty one after a failure.
    MessageBoxSeen ExpectBox(const wchar_t* caption, const std::wstring& text,
                             const std::string& buttons = "OK");
    // The write-mode question and Inherit ACL's confirmation, each with its
    // exact text and the buttons "YesNo".
    MessageBoxSeen ExpectWriteModeQuestion();
    MessageBoxSeen ExpectInheritConfirmation();
    // Expects the process to end within the step timeout with `code`.
    void ExpectExit(DWORD code);
    // Exit (50005), the question, Yes: the process ends with 0.
    void Quit(HWND main);

    // The status bar's part texts.
    std::vector<std::wstring> Status(HWND main);
    // Waits until status part `part` reads `text`; false (and a failure
    // with what it read) otherwise.
    bool WaitForStatus(HWND main, int part, const std::wstring& text);

    // What the test hook reports.
    std::vector<MenuEntry> Menu(HWND main);
    std::vector<std::wstring> Lines(HWND main);
    std::map<std::wstring, std::wstring> View(HWND main);
    // Waits until the view's `name` reads `value`.
    bool WaitForView(HWND main, const std::wstring& name, const std::wstring& value);
    // The menu item `id`; a failure when there is none.
    MenuEntry MenuItem(HWND main, UINT id);
    // A click left of the cells on the screen line of `path`: its ACE `ace`,
    // or with -1 its header. The line is selected (and an ACE focused); a
    // failure when the line is not on the screen.
    void SelectLine(HWND main, const std::wstring& path, int ace);

    // File dialogs, folder picker and screenshots, failing the test when
    // they do not work.
    void ChooseFile(const wchar_t* title, const std::wstring& path);
    void CancelFile(const wchar_t* title);
    void ChooseFolder(const std::wstring& title, const std::wstring& path);
    void Screenshot(const std::string& name, HWND window);

    // A small tree to scan under the scratch folder: the folder "tree" with
    // the file "a.txt", the folder "b" holding "c.txt", and the empty folder
    // "d". Returns the path of "tree".
    std::wstring MakeSmallTree();
    // quorel-cli with `arguments`; its exit code (failure when it did not
    // end).
    std::optional<DWORD> RunCli(const std::wstring& arguments);

    win32::test::TempTree scratch;
    std::wstring appData;  // LOCALAPPDATA of the program; its data folder is appData\Quorel
    Program quorel;
    HookClient hook;
};

// The tests that take the screenshots under build/: run once more at 144 DPI.
class Screens : public QuorelSession {};

}  // namespace quorel::gui
