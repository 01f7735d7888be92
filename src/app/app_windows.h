#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/scan_configuration.h"

namespace quorel {

class AccountLists;
class AccountPort;
class InheritSettingsForm;
class InheritanceFlagsForm;
class ModifyAceForm;
class RestoreForm;

// What the "Add user" dialog gives: the name typed or chosen, and whether
// "Deny Entry" was checked.
struct AddUserChoice {
    std::wstring name;
    bool deny = false;
};
class DynamicFilterEditor;
class PermissionSelection;
class PrintDevice;

// The start window's five actions, numbered as its buttons store them.
enum class StartChoice : int { Exit = 0, Scan = 1, Compare = 2, StartMain = 3, Open = 4 };

// The standard file dialogs, each with its filter and default extension.
enum class FileDialog {
    OpenDataset,   // "Quorel Save Files (*.ACL)", open
    SaveDataset,   // the same, save, asks before overwriting
    ExportCsv,     // "CSV Files (*.CSV)", save
    LoadSettings,  // "Quorel ini Files (*.QSF)", open
    SaveSettings,  // the same, save
    CompareFile,   // the configuration window's compare file: "Quorel Save Files (*.ACL)"
    OpenProject,   // "Quorel project files (*.QPF)", open
    SaveProject,   // the same, save, asks before overwriting
};

// The windows and dialogs that the controller opens. The desktop program
// shows real windows; tests answer from a script. Every method returns only
// when its window is closed, except the progress and loading windows, which
// stay up until closed by their Close method.
class AppWindows {
  public:
    virtual ~AppWindows() = default;

    virtual StartChoice ShowStartWindow() = 0;
    // The configuration window in its new-scan or compare form; OK is
    // accepted only when CheckConfiguration passes. Nothing after Cancel or
    // the close box.
    virtual std::optional<ScanConfiguration> RunConfigurationWindow(bool compareForm) = 0;
    // The scan progress window; its title depends on whether the scan was
    // named on the command line.
    virtual void ShowScanProgress(bool shellScan) = 0;
    virtual void CloseScanProgress() = 0;
    // The modeless "Loading dataset" dialog.
    virtual void ShowLoadingDialog() = 0;
    virtual void CloseLoadingDialog() = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::wstring> ChooseFile(FileDialog kind) = 0;

    // The main window: runs its message loop until the user quits.
    virtual void RunMainWindow() = 0;
    // The depth dialog: the depth typed (its leading number) after OK, the
    // unchanged `current` after Cancel.
    virtual std::uint32_t RunDepthDialog(std::uint32_t current) = 0;
    virtual void ShowAboutDialog() = 0;
    virtual void RunProjectDialog() = 0;
    virtual void ShowErrorWindow() = 0;
    // The editing dialogs: each shows its form and returns true after OK
    // (the form then holds the choice), false after Cancel or the close box.
    virtual bool RunInheritanceFlagsDialog(InheritanceFlagsForm& form) = 0;
    virtual bool RunInheritSettingsDialog(InheritSettingsForm& form) = 0;
    virtual bool RunRestoreDialog(RestoreForm& form) = 0;
    virtual bool RunModifyAceDialog(ModifyAceForm& form, const std::wstring& trustee) = 0;
    // "Add user": the four lists (rebuilt on "Rebuild Userlists" through
    // `accounts`); nothing after Cancel.
    virtual std::optional<AddUserChoice> RunAddUserDialog(AccountLists& lists,
                                                          AccountPort& accounts) = 0;

    // Opens `path` with the shell; false when the shell reported an error.
    virtual bool OpenWithShell(const std::wstring& path) = 0;
    // Puts `text` on the system clipboard as Unicode text; false when the
    // clipboard could not be opened or filled.
    virtual bool CopyToClipboard(const std::wstring& text) = 0;

    // "Set Dynamic Filters" over `editor`: every click and choice goes to
    // the editor, which also records how the window was closed. Returns
    // when it is closed; the editor's outcome stays Open when the window
    // could not be made.
    virtual void RunDynamicFilterWindow(DynamicFilterEditor& editor) = 0;
    // "Select Permissions to Display" over `selection`, the same way.
    virtual void RunPermissionWindow(PermissionSelection& selection) = 0;
    // The print dialog: the chosen printer, ready to print, or null when the
    // user cancelled it or there is no printer.
    virtual std::unique_ptr<PrintDevice> ChoosePrinter() = 0;
};

}  // namespace quorel
