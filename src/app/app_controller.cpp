#include "app/app_controller.h"

#include "app/shell_mode.h"
#include "app/start_mode.h"
#include "core/dir_list.h"
#include "core/scanner.h"
#include "core/security_reader.h"
#include "editing/ownership.h"
#include "platform/account_port.h"
#include "platform/interaction_port.h"
#include "platform/privilege_port.h"
#include "resource.h"
#include "view/print_job.h"

namespace quorel {

AppController::AppController(AppPorts ports, AppFolders folders)
    : ports_(ports),
      folders_(std::move(folders)),
      view_(ports.files, ports.ui),
      gate_(ports.ui),
      editing_(std::make_unique<EditingSession>(
          EditPorts{ports.security, ports.accounts, ports.privileges, ports.ui}, ports.fileSystem)),
      edits_(std::make_unique<EditCommands>(view_, *editing_, ports.ui)) {
    view_.SetNewDatasetHandler([this](CDirList& dataset) { RebuildMemberMaps(dataset, false); });
}

void AppController::RebuildMemberMaps(CDirList& dataset, bool recursive) {
    MemberMap members;
    members.Build(dataset, ports_.accounts, recursive, MemberMap::Names::Accounts);
    view_.SetMembers(std::move(members));
    domainMembers_.Build(dataset, ports_.accounts, recursive, MemberMap::Names::Domains);
}

CommandResult AppController::BreakDownGroups() {
    if (view_.breakDownGroups()) {
        view_.SetBreakDownGroups(false);
        return {false, true, false};
    }
    view_.SetBreakDownGroups(true);
    const bool recursive = ports_.ui.showMessage(
                               L"Must the user listing be done recursively ( WARNING: this may "
                               L"take a VERY long time )",
                               L"Do recursive user listing?", MessageIcon::Question,
                               MessageButtons::YesNo) == MessageAnswer::Yes;
    // "memebers" is the program's own spelling.
    ports_.ui.setStatusText(0, L"Collecting group memebers. Please Wait ....");
    ports_.ui.clearCancel();
    ports_.ui.showHeartbeat();
    InteractionPort& ui = ports_.ui;
    MemberMap members;
    members.Build(*view_.dataset(), ports_.accounts, recursive, MemberMap::Names::Accounts, [&ui] {
        ui.pumpMessages();
        return !ui.cancelRequested();
    });
    view_.SetMembers(std::move(members));
    ports_.ui.closeHeartbeat();
    ports_.ui.setStatusText(0, L"Ready");
    return {false, true, false};
}

AppController::~AppController() = default;

bool AppController::hasData() const {
    return view_.dataset()->entryCount() > 0;
}

void AppController::Prepare() {
    AccountPort& accounts = ports_.accounts;
    InteractionPort& ui = ports_.ui;
    userName_ = accounts.currentUserName();
    // The token's SID is the user's own; a lookup of the name alone could
    // find a domain account and a local one of the same name.
    userSid_ = accounts.currentUserSid();
    if (!userSid_) {
        Sid sid;
        AccountInfo info;
        if (accounts.lookupName(userName_, sid, info) == 0) {
            userSid_ = sid;
        }
    }
    // "Ersteller-Besitzer" is the German name of CREATOR OWNER: the messages
    // keep it as the program has always shown them.
    auto localName = [&](const wchar_t* sidText, std::wstring& name) {
        const std::optional<Sid> sid = Sid::fromString(sidText);
        if (!sid) {
            ui.showMessage(L"Error finding Ersteller-Besitzer", L"Note", MessageIcon::Error);
            return;
        }
        AccountInfo info;
        if (accounts.lookupSid(L"", *sid, info) != 0) {
            ui.showMessage(L"Error Lookup Name Ersteller-Besitzer", L"Note", MessageIcon::Error);
            return;
        }
        name = info.name;
    };
    localName(L"S-1-3-0", creatorOwnerName_);
    localName(L"S-1-3-1", creatorGroupName_);
    EditSettings& settings = editing_->settings;
    // Take-ownership, and backup and restore where the token holds them.
    takeOwnershipAvailable_ = EnableTakeOwnership(settings, ports_.privileges, ui);
    settings.currentUserName = userName_;
    if (userSid_) {
        settings.currentUserSid = *userSid_;
    }
    view_.ResetRightsToStartup();
}

ProcessEnd AppController::Startup(const std::wstring& commandLine) {
    Prepare();
    const std::wstring argument = CleanCommandLine(commandLine);
    std::optional<ProcessEnd> end;
    switch (ChooseStartMode(argument, ports_.fileSystem, ports_.files)) {
        case StartMode::ScanDirectory:
            return startWithDirectory(argument).value_or(ProcessEnd{});
        case StartMode::OpenDataset:
            if (!openWithDialog(argument, true)) {
                view_.ClearDataset(DatasetOrigin::File);
            }
            ports_.windows.RunMainWindow();
            return {};
        case StartMode::RunProject:
            return {.exitCode = startProject(argument)};
        case StartMode::StartWindow:
            break;
    }
    switch (ports_.windows.ShowStartWindow()) {
        case StartChoice::Scan:
            end = startNewScan();
            break;
        case StartChoice::Compare:
            end = startCompare();
            break;
        case StartChoice::StartMain:
            startEmpty();
            break;
        case StartChoice::Open:
            startOpen();
            break;
        case StartChoice::Exit:
            break;
    }
    return end.value_or(ProcessEnd{});
}

std::unique_ptr<CDirList> AppController::scan(const ScanConfiguration& config, bool shellScan,
                                              std::optional<ProcessEnd>& end) {
    ports_.windows.ShowScanProgress(shellScan);
    ports_.ui.clearCancel();
    auto list = std::make_unique<CDirList>(ports_.ui);
    SecurityReader reader(ports_.security, ports_.accounts);
    Scanner scanner(*list, ports_.fileSystem, reader, ports_.ui);
    for (const std::wstring& directory : config.directories) {
        end = EndOfScan(scanner.ScanTree(directory, config.depth), 0);
        if (end) {
            return nullptr;
        }
    }
    ports_.windows.CloseScanProgress();
    return list;
}

std::optional<ProcessEnd> AppController::scanAndShow(const ScanConfiguration& config) {
    lastConfig_ = config;
    std::optional<ProcessEnd> end;
    std::unique_ptr<CDirList> scanned = scan(config, false, end);
    if (end) {
        return end;
    }
    view_.ShowDataset(std::move(scanned), DatasetOrigin::Scan);
    view_.ApplyScanFilter(config.staticFilter);
    return std::nullopt;
}

std::optional<ProcessEnd> AppController::startWithDirectory(const std::wstring& directory) {
    ScanConfiguration config;
    config.directoryText = directory;
    std::optional<std::vector<std::wstring>> directories =
        SplitDirectoryText(directory, ports_.fileSystem, ports_.ui);
    if (directories) {
        config.directories = std::move(*directories);
    }
    lastConfig_ = config;
    // Everything is shown but "." and "..": no filter rule after a scan
    // named on the command line.
    std::optional<ProcessEnd> end;
    std::unique_ptr<CDirList> scanned = scan(config, true, end);
    if (end) {
        return end;
    }
    view_.ShowDataset(std::move(scanned), DatasetOrigin::Scan);
    ports_.windows.RunMainWindow();
    return std::nullopt;
}

int AppController::startProject(const std::wstring& projectPath) {
    SecurityReader reader(ports_.security, ports_.accounts);
    ShellModeContext context{ports_.files, ports_.fileSystem, reader, ports_.ui};
    return RunShellMode(context, projectPath);
}

std::optional<ProcessEnd> AppController::startNewScan() {
    std::optional<ScanConfiguration> config = ports_.windows.RunConfigurationWindow(false);
    if (config) {
        if (std::optional<ProcessEnd> end = scanAndShow(*config)) {
            return end;
        }
    } else {
        view_.ClearDataset(DatasetOrigin::Scan);
    }
    ports_.windows.RunMainWindow();
    return std::nullopt;
}

std::optional<ProcessEnd> AppController::startCompare() {
    std::optional<ScanConfiguration> config = ports_.windows.RunConfigurationWindow(true);
    if (!config) {
        view_.ClearDataset(DatasetOrigin::Scan);
        ports_.windows.RunMainWindow();
        return std::nullopt;
    }
    lastConfig_ = *config;
    std::optional<ProcessEnd> end;
    std::unique_ptr<CDirList> scanned = scan(*config, false, end);
    if (end) {
        return end;
    }
    view_.ShowDataset(std::move(scanned), DatasetOrigin::Scan);
    ports_.windows.ShowLoadingDialog();
    const bool compared = view_.CompareToFile(config->compareFile);
    ports_.windows.CloseLoadingDialog();
    if (!compared) {
        // The reader or the match test has said why; there is nothing to
        // show without the comparison.
        return ProcessEnd{};
    }
    view_.ApplyScanFilter(config->staticFilter);
    ports_.windows.RunMainWindow();
    return std::nullopt;
}

void AppController::startEmpty() {
    view_.ClearDataset(DatasetOrigin::File);  // nothing read from the disk: nothing to edit
    ports_.windows.RunMainWindow();
}

void AppController::startOpen() {
    std::optional<std::wstring> path = ports_.windows.ChooseFile(FileDialog::OpenDataset);
    if (!path || !openWithDialog(*path, true)) {
        view_.ClearDataset(DatasetOrigin::File);
    }
    ports_.windows.RunMainWindow();
}

bool AppController::openWithDialog(const std::wstring& path, bool loadingDialog) {
    if (loadingDialog) {
        ports_.windows.ShowLoadingDialog();
    }
    const bool opened = view_.Open(path);
    if (loadingDialog) {
        ports_.windows.CloseLoadingDialog();
    }
    return opened;
}

void AppController::OnMainWindowCreated() {
    // LoadSettingsFile shows "Settings loaded." also when there is no
    // default file yet.
    view_.LoadSettingsFile(defaultSettingsPath(), false);
}

std::optional<ProcessEnd> AppController::NewScanCommand() {
    std::optional<ScanConfiguration> config = ports_.windows.RunConfigurationWindow(false);
    if (config) {
        return scanAndShow(*config);
    }
    return std::nullopt;
}

std::optional<ProcessEnd> AppController::RescanCommand() {
    if (lastConfig_.directories.empty()) {
        return std::nullopt;
    }
    ScanConfiguration config = lastConfig_;
    config.depth = 0;
    config.staticFilter = 1;
    return scanAndShow(config);
}

CommandResult AppController::NewScanOrRescan(bool rescan) {
    InteractionPort& ui = ports_.ui;
    view_.ShowInheritOnlyAcesInNextDataset();
    ui.setStatusText(0, L"New scan started");
    ui.setStatusText(2, L"please wait...");
    if (std::optional<ProcessEnd> end = rescan ? RescanCommand() : NewScanCommand()) {
        return {.end = std::move(end)};
    }
    view_.MarkShowAll();
    ui.setStatusText(0, L"New scan completed");
    ui.setStatusText(2, L"Ready.");
    return {true, true, false};
}

CommandResult AppController::Open() {
    std::optional<std::wstring> path = ports_.windows.ChooseFile(FileDialog::OpenDataset);
    if (path) {
        openWithDialog(*path, true);
    }
    return {true, true, false};
}

CommandResult AppController::Save(bool askName) {
    std::wstring path = view_.datasetFileName();
    if (askName || path.empty()) {
        std::optional<std::wstring> chosen = ports_.windows.ChooseFile(FileDialog::SaveDataset);
        if (!chosen) {
            return {};
        }
        path = *chosen;
    }
    view_.SaveDatasetFile(path);
    return {true, true, false};
}

CommandResult AppController::CompareTo() {
    std::optional<std::wstring> path = ports_.windows.ChooseFile(FileDialog::OpenDataset);
    if (!path) {
        return {};
    }
    view_.CompareToFile(*path);
    return {true, true, false};
}

CommandResult AppController::EndCompare() {
    view_.EndCompareMode();
    return {true, true, false};
}

CommandResult AppController::ExportCsv() {
    InteractionPort& ui = ports_.ui;
    ui.setStatusText(0, L"Export Started");
    ui.setStatusText(2, L"Please Wait...");
    if (std::optional<std::wstring> path = ports_.windows.ChooseFile(FileDialog::ExportCsv)) {
        view_.ExportCsv(*path, CsvEncoding::AnsiCodePage);
    }
    ui.setStatusText(0, L"Export Complete");
    ui.setStatusText(2, L"Ready.");
    return {};
}

CommandResult AppController::SaveSettings() {
    std::optional<std::wstring> path = ports_.windows.ChooseFile(FileDialog::SaveSettings);
    if (!path) {
        ports_.ui.setStatusText(0, L"Settings not saved. Aborted.");
        return {};
    }
    ports_.ui.setStatusText(
        0, view_.SaveSettingsFile(*path) ? L"Settings saved." : L"Error saving settings.");
    return {};
}

CommandResult AppController::LoadSettings() {
    std::optional<std::wstring> path = ports_.windows.ChooseFile(FileDialog::LoadSettings);
    if (!path) {
        ports_.ui.setStatusText(0, L"Settings not loaded. Aborted.");
        return {};
    }
    view_.LoadSettingsFile(*path);
    return {true, true, false};
}

CommandResult AppController::SaveDefaultSettings() {
    ports_.ui.setStatusText(0, view_.SaveSettingsFile(defaultSettingsPath())
                                   ? L"Settings saved to default file"
                                   : L"Error writing default settings file");
    return {};
}

CommandResult AppController::Depth() {
    if (!hasData()) {
        return {};
    }
    view_.SetDisplayDepth(ports_.windows.RunDepthDialog(view_.displayDepth()));
    return {true, true, false};
}

CommandResult AppController::Quit() {
    const MessageAnswer answer = ports_.ui.showMessage(
        L"Are you sure you want to quit", L"Exit Quorel", MessageIcon::None, MessageButtons::YesNo);
    CommandResult result;
    result.quit = answer == MessageAnswer::Yes;
    return result;
}

CommandResult AppController::Help() {
    if (!ports_.windows.OpenWithShell(folders_.programFolder + L"Quorel.chm")) {
        ports_.ui.showMessage(L"Error! Help file not found", L"", MessageIcon::Error);
    }
    return {};
}

CommandResult AppController::DynamicFilters() {
    if (!hasData()) {
        return {};
    }
    AppWindows& windows = ports_.windows;
    const DynamicFilterEditor::Outcome outcome = view_.EditDynamicFilters(
        [&windows](DynamicFilterEditor& editor) { windows.RunDynamicFilterWindow(editor); });
    if (outcome == DynamicFilterEditor::Outcome::Ok) {
        return {true, true, false};
    }
    return {};
}

CommandResult AppController::SelectPermissions() {
    AppWindows& windows = ports_.windows;
    const PermissionSelection::Outcome outcome = view_.SelectPermissions(
        [&windows](PermissionSelection& selection) { windows.RunPermissionWindow(selection); });
    if (outcome == PermissionSelection::Outcome::Ok) {
        return {false, true, false};
    }
    return {};
}

CommandResult AppController::Print() {
    // Nothing loaded, nothing to print: not even the dialog.
    if (!hasData()) {
        return {};
    }
    std::unique_ptr<PrintDevice> printer = ports_.windows.ChoosePrinter();
    if (!printer) {
        return {};
    }
    PrintLayout layout(*view_.dataset(), view_.rights(), printer->metrics(), *printer);
    const PrintResult result = RunPrintJob(layout, *printer);
    if (result.status == PrintResult::Status::PageFailed) {
        ports_.ui.showMessage(PrintFailureText(result.failedPage),
                              std::wstring(kPrintFailureCaption), MessageIcon::Error);
    }
    return {};
}

}  // namespace quorel
