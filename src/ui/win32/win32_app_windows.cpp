#include "ui/win32/win32_app_windows.h"

#include <cstring>

#include <shellapi.h>

#include "app/app_controller.h"
#include "core/dir_list.h"
#include "ui/win32/configuration_window.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/dynamic_filter_window.h"
#include "ui/win32/editing_dialogs.h"
#include "ui/win32/error_window.h"
#include "ui/win32/gui_interaction.h"
#include "ui/win32/main_window.h"
#include "ui/win32/permission_window.h"
#include "ui/win32/printer.h"
#include "ui/win32/start_window.h"
#include "view/print_job.h"

namespace quorel::win32 {

StartChoice Win32AppWindows::ShowStartWindow() {
    return RunStartWindow();
}

std::optional<ScanConfiguration> Win32AppWindows::RunConfigurationWindow(bool compareForm) {
    ConfigurationPorts ports{fileSystem_, files_, ui_,
                             [this](FileDialog kind) { return ChooseFile(kind); }};
    return win32::RunConfigurationWindow(compareForm, ports);
}

void Win32AppWindows::ShowScanProgress(bool shellScan) {
    ui_.progress().Show(shellScan);
}

void Win32AppWindows::CloseScanProgress() {
    ui_.progress().Close();
}

void Win32AppWindows::ShowLoadingDialog() {
    if (loading_ == nullptr) {
        loading_ = win32::ShowLoadingDialog(main_);
    }
}

void Win32AppWindows::CloseLoadingDialog() {
    if (loading_ != nullptr) {
        DestroyWindow(loading_);
        loading_ = nullptr;
    }
}

std::optional<std::wstring> Win32AppWindows::ChooseFile(FileDialog kind) {
    return ChooseFileWithDialog(main_, kind);
}

void Win32AppWindows::RunMainWindow() {
    win32::RunMainWindow(*app_, ui_, *this);
}

std::uint32_t Win32AppWindows::RunDepthDialog(std::uint32_t current) {
    return win32::RunDepthDialog(main_, current);
}

void Win32AppWindows::ShowAboutDialog() {
    RunAboutDialog(main_);
}

void Win32AppWindows::RunProjectDialog() {
    ProjectDialogPorts ports{files_, ui_, [this](FileDialog kind) { return ChooseFile(kind); },
                             projectCounter_};
    win32::RunProjectDialog(main_, ports);
}

void Win32AppWindows::ShowErrorWindow() {
    CDirList* dataset = app_->view().dataset();
    if (dataset == nullptr) {
        return;
    }
    HWND main = main_;
    RunErrorWindow(main_, dataset->errorList(), app_->view().lines(),
                   [main](std::size_t line) { ShowLineInMainWindow(main, line); });
}

bool Win32AppWindows::OpenWithShell(const std::wstring& path) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(main_, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

// OpenClipboard, EmptyClipboard, SetClipboardData: CF_UNICODETEXT takes a
// movable global memory object holding the NUL-terminated text; after a
// successful SetClipboardData the system owns it.
bool Win32AppWindows::CopyToClipboard(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return false;
    }
    if (void* at = GlobalLock(memory)) {
        std::memcpy(at, text.c_str(), bytes);
        GlobalUnlock(memory);
    } else {
        GlobalFree(memory);
        return false;
    }
    if (!OpenClipboard(main_)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!placed) {
        GlobalFree(memory);
    }
    return placed;
}

bool Win32AppWindows::RunInheritanceFlagsDialog(InheritanceFlagsForm& form) {
    return win32::RunInheritanceFlagsDialog(main_, form);
}

bool Win32AppWindows::RunInheritSettingsDialog(InheritSettingsForm& form) {
    return win32::RunInheritSettingsDialog(main_, form);
}

bool Win32AppWindows::RunRestoreDialog(RestoreForm& form) {
    return win32::RunRestoreDialog(main_, form);
}

bool Win32AppWindows::RunModifyAceDialog(ModifyAceForm& form, const std::wstring& trustee) {
    return win32::RunModifyAceDialog(main_, form, trustee);
}

std::optional<AddUserChoice> Win32AppWindows::RunAddUserDialog(AccountLists& lists,
                                                               AccountPort& accounts) {
    return win32::RunAddUserDialog(main_, lists, accounts);
}

void Win32AppWindows::RunDynamicFilterWindow(DynamicFilterEditor& editor) {
    win32::RunDynamicFilterWindow(main_, editor);
}

void Win32AppWindows::RunPermissionWindow(PermissionSelection& selection) {
    win32::RunPermissionWindow(main_, selection);
}

std::unique_ptr<PrintDevice> Win32AppWindows::ChoosePrinter() {
    return win32::ChoosePrinter(main_, PrinterChoice::Dialog);
}

}  // namespace quorel::win32
