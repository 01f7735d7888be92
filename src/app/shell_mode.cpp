#include "app/shell_mode.h"

#include "core/dir_list.h"
#include "core/scanner.h"
#include "platform/file_io_port.h"
#include "platform/interaction_port.h"
#include "storage/dataset_file.h"
#include "storage/project_file.h"

namespace quorel {

std::wstring ReserveOutputFile(FileIoPort& files, const std::wstring& name, bool counter) {
    if (!counter) {
        return name + L".acl";
    }
    for (int n = 0; n <= 9999; ++n) {
        const std::wstring path = name + std::to_wstring(n) + L".acl";
        std::uint32_t error = 0;
        // Create-new: an existing file fails and the next number is tried.
        if (auto sink = files.create(path, CreateMode::New, error)) {
            sink->close();
            return path;
        }
    }
    return {};
}

int RunShellMode(const ShellModeContext& context, const std::wstring& projectPath) {
    InteractionPort& ui = context.ui;
    std::optional<ProjectFile> project = ReadProjectFile(context.files, ui, projectPath);
    if (!project) {
        return kShellModeFailure;  // the reader said why
    }
    const std::wstring output =
        ReserveOutputFile(context.files, project->outputName, project->counter);
    if (output.empty()) {
        ui.showMessage(L"Error: Number of files to store is limited to 10000", L"Too many files",
                       MessageIcon::Error);
        return kShellModeFailure;
    }
    if (project->directories.empty()) {
        ui.showMessage(L"You must specify a directory to scan", L"", MessageIcon::Error);
        return kShellModeFailure;
    }
    const std::vector<std::wstring> directories = SplitProjectDirectories(project->directories);
    if (directories.empty() || directories.front().empty()) {
        ui.showMessage(L"Directory field in project file is empty - no scan done", L"no scan",
                       MessageIcon::None);
        return kShellModeFailure;
    }

    ui.clearCancel();
    CDirList dataset(ui);
    Scanner scanner(dataset, context.fileSystem, context.security, ui);
    for (const std::wstring& directory : directories) {
        if (std::optional<ProcessEnd> end =
                EndOfScan(scanner.ScanTree(directory, 0), kShellModeFailure)) {
            ui.showMessage(end->text, end->caption, MessageIcon::Error);
            return end->exitCode;
        }
    }
    NameTables tables;
    RebuildNameTables(dataset, tables);
    if (!WriteDatasetFile(context.files, ui, dataset, output, tables)) {
        return kShellModeFailure;
    }
    return 0;
}

}  // namespace quorel
