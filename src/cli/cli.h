#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace quorel {

class FileIoPort;
class FileSystemPort;
class InteractionPort;
class SecurityPort;
class AccountPort;
namespace sim {
struct CaptureToken;
}

// What the console companion needs of the machine. Scanning needs the
// security, account and file system ports of a Windows machine; where they
// are missing (Linux), the commands that scan say so and fail.
struct CliEnvironment {
    FileIoPort* files = nullptr;
    InteractionPort* ui = nullptr;
    SecurityPort* security = nullptr;
    AccountPort* accounts = nullptr;
    FileSystemPort* fileSystem = nullptr;
    const sim::CaptureToken* token = nullptr;  // who runs the program (volume save)
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};

namespace cli_exit {
constexpr int kSuccess = 0;
constexpr int kDifferences = 1;
constexpr int kError = 2;
}  // namespace cli_exit

// Runs one command line (without the program name) and returns the exit
// code: 0 success, 1 differences found (compare), 2 error or bad usage.
int RunCli(const std::vector<std::wstring>& args, CliEnvironment& env);

// The text of --help.
const char* CliHelpText();

}  // namespace quorel
