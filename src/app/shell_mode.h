#pragma once

#include <string>

namespace quorel {

class EntrySecurity;
class FileIoPort;
class FileSystemPort;
class InteractionPort;

// What an unattended run needs.
struct ShellModeContext {
    FileIoPort& files;
    FileSystemPort& fileSystem;
    EntrySecurity& security;
    InteractionPort& ui;
};

// Exit code of an unattended run that failed: a scheduler must see it.
constexpr int kShellModeFailure = 2;

// Runs the project file `projectPath` unattended: scans its directories
// into one dataset and writes it to the project's output file (name +
// ".acl", or name + the first free counter 0..9999 + ".acl"). Returns the
// exit code: 0 when the dataset file was written; failures show their
// message and end the process, or return kShellModeFailure.
int RunShellMode(const ShellModeContext& context, const std::wstring& projectPath);

// The output file of a project: reserves (creates empty) the first free
// "<name><n>.acl" for n = 0..9999 when `counter` is set. Empty when none is
// free.
std::wstring ReserveOutputFile(FileIoPort& files, const std::wstring& name, bool counter);

}  // namespace quorel
