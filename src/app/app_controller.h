#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "accounts/account_lists.h"
#include "app/app_windows.h"
#include "app/command_result.h"
#include "app/edit_commands.h"
#include "app/scan_configuration.h"
#include "app/view_session.h"
#include "app/write_mode_gate.h"
#include "platform/process_end.h"
#include "platform/sid.h"

namespace quorel {

class AccountPort;
class CDirList;
class FileIoPort;
class FileSystemPort;
class InteractionPort;
class PrivilegePort;
class SecurityPort;

// The operating system as the controller reaches it.
struct AppPorts {
    FileIoPort& files;
    FileSystemPort& fileSystem;
    SecurityPort& security;
    AccountPort& accounts;
    PrivilegePort& privileges;
    InteractionPort& ui;
    AppWindows& windows;
};

struct AppFolders {
    std::wstring programFolder;  // with its trailing "\"
    std::wstring dataFolder;     // LOCALAPPDATA + "\Quorel"; the default settings live there
};

// The one controller of the desktop program: start-up and its modes, the
// shared state, and every menu command that is not view navigation. It
// decides; the windows only show and ask (AppWindows, InteractionPort).
class AppController {
  public:
    AppController(AppPorts ports, AppFolders folders);
    ~AppController();

    // Prepares the shared state, chooses the mode from the command line
    // (cleaned by CleanCommandLine) and runs it; returns the exit code of
    // the process, with the message to show first when the run could not go
    // on.
    ProcessEnd Startup(const std::wstring& commandLine);

    // The preparation steps alone: user, creator owner and group names,
    // take-ownership privilege, default columns.
    void Prepare();

    // New Scan (50001) and Re-Scan (50069) without their status texts.
    std::optional<ProcessEnd> NewScanCommand();
    std::optional<ProcessEnd> RescanCommand();

    // The menu commands of the controller (the command table dispatches
    // them). Status texts and messages go through the interaction port.
    CommandResult NewScanOrRescan(bool rescan);
    CommandResult Open();
    // Save (askName false) and Save As.
    CommandResult Save(bool askName);
    CommandResult CompareTo();
    CommandResult EndCompare();
    CommandResult ExportCsv();
    CommandResult SaveSettings();
    CommandResult LoadSettings();
    CommandResult SaveDefaultSettings();
    CommandResult Depth();
    // Exit: quit is set when the user confirms.
    CommandResult Quit();
    CommandResult Help();
    CommandResult DynamicFilters();
    CommandResult SelectPermissions();
    CommandResult Print();
    // When the main window has been created: the default settings file.
    void OnMainWindowCreated();

    // "Break Down Groups" (50062): on (asking whether to list members
    // recursively, with the heartbeat window) or off.
    CommandResult BreakDownGroups();
    // The member maps of a dataset just shown: direct members.
    void RebuildMemberMaps(CDirList& dataset, bool recursive);
    const MemberMap& domainMembers() const { return domainMembers_; }

    // The write-mode gate before every change of an ACL.
    WriteModeGate& gate() { return gate_; }
    const WriteModeGate& gate() const { return gate_; }
    InteractionPort& ui() { return ports_.ui; }
    EditingSession& editing() { return *editing_; }
    AppWindows& windows() { return ports_.windows; }
    AccountLists& accountLists() { return accountLists_; }
    const EditingSession& editing() const { return *editing_; }
    EditCommands& edits() { return *edits_; }

    ViewSession& view() { return view_; }
    const ViewSession& view() const { return view_; }
    bool hasData() const;
    const ScanConfiguration& lastConfiguration() const { return lastConfig_; }
    const AppFolders& folders() const { return folders_; }
    std::wstring defaultSettingsPath() const { return folders_.dataFolder + L"\\Quorel.qsf"; }

    const std::wstring& userName() const { return userName_; }
    const std::optional<Sid>& userSid() const { return userSid_; }
    const std::wstring& creatorOwnerName() const { return creatorOwnerName_; }
    const std::wstring& creatorGroupName() const { return creatorGroupName_; }
    bool takeOwnershipAvailable() const { return takeOwnershipAvailable_; }

  private:
    // The start actions.
    std::optional<ProcessEnd> startNewScan();
    std::optional<ProcessEnd> startCompare();
    void startEmpty();
    void startOpen();
    std::optional<ProcessEnd> startWithDirectory(const std::wstring& directory);
    int startProject(const std::wstring& projectPath);

    // Scans `config`'s directories into a new dataset with the progress
    // window up.
    // The dataset scanned, or how the run ends (the progress window stays).
    std::unique_ptr<CDirList> scan(const ScanConfiguration& config, bool shellScan,
                                   std::optional<ProcessEnd>& end);
    std::optional<ProcessEnd> scanAndShow(const ScanConfiguration& config);
    bool openWithDialog(const std::wstring& path, bool loadingDialog);

    AppPorts ports_;
    AppFolders folders_;
    ViewSession view_;
    WriteModeGate gate_;
    std::unique_ptr<EditingSession> editing_;
    std::unique_ptr<EditCommands> edits_;
    MemberMap domainMembers_;
    AccountLists accountLists_;
    ScanConfiguration lastConfig_;
    std::wstring userName_;
    std::optional<Sid> userSid_;
    std::wstring creatorOwnerName_;
    std::wstring creatorGroupName_;
    bool takeOwnershipAvailable_ = false;
};

}  // namespace quorel
