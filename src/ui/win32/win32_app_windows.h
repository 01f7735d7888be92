#pragma once

#include <windows.h>

#include "app/app_windows.h"

namespace quorel {
class AppController;
class FileIoPort;
class FileSystemPort;
}  // namespace quorel

namespace quorel::win32 {

class GuiInteraction;

// Posts the error window's jump to the main window.
void ShowLineInMainWindow(HWND mainWindow, std::size_t line);

// The windows and dialogs of the desktop program.
class Win32AppWindows : public AppWindows {
  public:
    Win32AppWindows(GuiInteraction& ui, FileSystemPort& fileSystem, FileIoPort& files)
        : ui_(ui), fileSystem_(fileSystem), files_(files) {}
    // The controller is made with these windows, so it comes in second.
    void SetController(AppController& app) { app_ = &app; }
    void SetMainWindow(HWND hwnd) { main_ = hwnd; }

    StartChoice ShowStartWindow() override;
    std::optional<ScanConfiguration> RunConfigurationWindow(bool compareForm) override;
    void ShowScanProgress(bool shellScan) override;
    void CloseScanProgress() override;
    void ShowLoadingDialog() override;
    void CloseLoadingDialog() override;
    std::optional<std::wstring> ChooseFile(FileDialog kind) override;
    void RunMainWindow() override;
    std::uint32_t RunDepthDialog(std::uint32_t current) override;
    void ShowAboutDialog() override;
    void RunProjectDialog() override;
    void ShowErrorWindow() override;
    bool OpenWithShell(const std::wstring& path) override;
    bool CopyToClipboard(const std::wstring& text) override;
    bool RunInheritanceFlagsDialog(InheritanceFlagsForm& form) override;
    bool RunInheritSettingsDialog(InheritSettingsForm& form) override;
    bool RunRestoreDialog(RestoreForm& form) override;
    bool RunModifyAceDialog(ModifyAceForm& form, const std::wstring& trustee) override;
    std::optional<AddUserChoice> RunAddUserDialog(AccountLists& lists,
                                                  AccountPort& accounts) override;
    void RunDynamicFilterWindow(DynamicFilterEditor& editor) override;
    void RunPermissionWindow(PermissionSelection& selection) override;
    std::unique_ptr<PrintDevice> ChoosePrinter() override;

  private:
    GuiInteraction& ui_;
    FileSystemPort& fileSystem_;
    FileIoPort& files_;
    AppController* app_ = nullptr;
    HWND main_ = nullptr;
    HWND loading_ = nullptr;
    bool projectCounter_ = false;  // the project dialog's counter option, kept for the run
};

}  // namespace quorel::win32
