#pragma once

// Message boxes and the standard dialogs of another process: found, read,
// filled and answered.

#include <windows.h>

#include <string>

namespace quorel::gui {

class Program;

// A message box (class "#32770" with the static text 0xFFFF).
struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    bool hasOk = false, hasCancel = false, hasYes = false, hasNo = false;
};

// Waits for a message box of `program` (any caption when `caption` is
// null). On failure the box is empty and `why` says what was there.
MessageBoxSeen WaitForMessageBox(const Program& program, const wchar_t* caption, std::wstring& why,
                                 DWORD timeoutMs = 20000);
// Presses button `id` (IDOK, IDYES, IDNO, ...) of a box and waits until the
// box is gone.
bool AnswerMessageBox(const MessageBoxSeen& box, int id);

// The Explorer-style file dialog (GetOpenFileNameW / GetSaveFileNameW)
// titled `title` ("Open", "Save As"): waits for it, types `path` into its
// file name field (the Edit inside control 0x47C), presses the dialog's OK
// (id 1) and waits until the dialog is gone.
bool ChooseInFileDialog(const Program& program, const wchar_t* title, const std::wstring& path,
                        std::wstring& why);
// Cancels such a dialog.
bool CancelFileDialog(const Program& program, const wchar_t* title, std::wstring& why);

// The folder picker (SHBrowseForFolderW): waits for it, selects `path`,
// presses OK and waits until it is gone. `title` is the text the program
// gave the picker (shown inside it).
bool ChooseInFolderPicker(const Program& program, const std::wstring& title,
                          const std::wstring& path, std::wstring& why);

}  // namespace quorel::gui
