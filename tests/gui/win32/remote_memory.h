#pragma once

// Memory in another process, for the messages whose buffers Windows does not
// carry across processes (SB_GETTEXTW, SB_GETPARTS, BFFM_SETSELECTIONW): the
// buffer must lie in the process that handles the message.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace quorel::gui {

class RemoteBuffer {
  public:
    // `bytes` of read-write memory in `process` (VirtualAllocEx); check
    // valid().
    RemoteBuffer(HANDLE process, std::size_t bytes);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool valid() const { return address_ != nullptr; }
    void* address() const { return address_; }
    LPARAM param() const { return reinterpret_cast<LPARAM>(address_); }
    bool Write(const void* data, std::size_t bytes);
    bool Read(void* data, std::size_t bytes) const;

  private:
    HANDLE process_;
    void* address_ = nullptr;
    std::size_t size_;
};

// The texts of the parts of a status bar (msctls_statusbar32) of `process`;
// nothing when the status bar did not answer.
std::optional<std::vector<std::wstring>> StatusBarTexts(HANDLE process, HWND statusBar);

// Selects `path` in a folder picker (SHBrowseForFolderW) of `process`:
// BFFM_SETSELECTIONW with the path in the picker's own memory.
bool SelectFolderInPicker(HANDLE process, HWND picker, const std::wstring& path);

// The text of the selected item of a tree view (SysTreeView32) of
// `process`; nothing when none is selected or it did not answer.
std::optional<std::wstring> SelectedTreeItemText(HANDLE process, HWND tree);

}  // namespace quorel::gui
