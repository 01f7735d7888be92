#pragma once

// Reading and driving the windows of another process: finding them by
// class and title, their texts and control states, commands, clicks and
// keys. Every call that waits has a timeout; nothing here sleeps a fixed
// time.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorel::gui {

class Program;

// How long one step may take before the test fails.
inline constexpr DWORD kStepTimeoutMs = 20000;
// Time between two looks at the state that is waited for.
inline constexpr DWORD kPollMs = 20;

// Calls `done` every kPollMs until it returns true or `timeoutMs` passed;
// its last answer.
bool PollUntil(const std::function<bool()>& done, DWORD timeoutMs = kStepTimeoutMs);

// The visible top-level windows of process `pid`, in Z order.
std::vector<HWND> TopWindows(DWORD pid);
// The first visible top-level window of `pid` with class `className` and
// title `title` (either may be null for any).
HWND FindTopWindow(DWORD pid, const wchar_t* className, const wchar_t* title);

// Waits for such a window. On failure: null, and in `why` what was waited
// for, what the process did (still running, or its exit code) and the
// windows it shows.
HWND WaitForTopWindow(const Program& program, const wchar_t* className, const wchar_t* title,
                      std::wstring& why, DWORD timeoutMs = kStepTimeoutMs);
// Waits until `window` is gone.
bool WaitUntilGone(HWND window, DWORD timeoutMs = kStepTimeoutMs);

// The class name and the text (WM_GETTEXT, which Windows carries across
// processes, so the window's thread must answer) of a window.
std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);
// The text the window manager keeps for a window of another process
// (GetWindowTextW): a title, a static text; answered also while the
// window's thread is busy, but not the text of an edit control.
std::wstring TitleOf(HWND window);
// Sets a control's text (WM_SETTEXT); false when the window did not answer.
bool SetText(HWND window, const std::wstring& text);

// "class \"title\"" of every window of `pid`, one a line, with the text of
// a message box: for failure messages.
std::wstring DescribeWindows(DWORD pid);

// Child windows.
HWND Child(HWND parent, int id);
// The first descendant (depth first) of class `className`.
HWND Descendant(HWND parent, const wchar_t* className);
std::vector<HWND> Children(HWND parent);  // direct children, in Z order

bool IsEnabled(HWND window);
// BM_GETCHECK: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE; -1 when
// the control did not answer.
int CheckState(HWND button);

// A button click (BM_CLICK), posted: the call returns at once, also when the
// click opens a modal window.
bool Click(HWND button);
// WM_COMMAND with `id` (as a menu or an accelerator sends it), posted.
bool Command(HWND window, int id);
// The same, sent: returns when the window has handled the command; false
// when it did not within the step timeout (a modal window it opened is
// still up, or it hangs). Only for commands that open no window.
bool CommandDone(HWND window, int id);
// WM_CLOSE (the close box), posted.
bool Close(HWND window);
// A left click at client coordinates (WM_LBUTTONDOWN and WM_LBUTTONUP).
bool ClickAt(HWND window, int x, int y);
// Keys through the input queue (SendInput) after bringing `window` to the
// front: `modifiers` held (e.g. VK_CONTROL) while `key` is pressed.
bool PressKey(HWND window, WORD key, const std::vector<WORD>& modifiers = {});

// Sends WM_NULL and waits for the window's thread to answer it: the
// messages sent to it before have been handled (posted ones need not have
// been: a thread handles sent messages first).
bool Sync(HWND window, DWORD timeoutMs = kStepTimeoutMs);

}  // namespace quorel::gui
