#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/app_windows.h"

namespace quorel {
class FileIoPort;
class InteractionPort;
}  // namespace quorel

namespace quorel::win32 {

// The standard open or save dialog of `kind`, owned by `owner`.
std::optional<std::wstring> ChooseFileWithDialog(HWND owner, FileDialog kind);

// About (101): six lines, Visit Website, Send Email.
void RunAboutDialog(HWND owner);
// Depth (126): the leading number typed after OK, `current` after Cancel.
std::uint32_t RunDepthDialog(HWND owner, std::uint32_t current);

// The modeless "Loading dataset" dialog (124).
HWND ShowLoadingDialog(HWND owner);

// "Project Settings" (108). `counter` is the counter option the dialog
// starts with and keeps.
struct ProjectDialogPorts {
    FileIoPort& files;
    InteractionPort& ui;
    std::function<std::optional<std::wstring>(FileDialog)> chooseFile;
    bool& counter;
};
void RunProjectDialog(HWND owner, const ProjectDialogPorts& ports);

}  // namespace quorel::win32
