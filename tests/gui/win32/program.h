#pragma once

// A Windows program started by the GUI tests: its process, its exit, and
// the guarantee that it does not outlive the test.

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorel::gui {

// Environment variables to set for the started program, on top of the
// test's own environment.
using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

class Program {
  public:
    Program() = default;
    ~Program();  // ends the process if it still runs
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts `exe` with the command line `exe` quoted, a blank and
    // `arguments` as they are (nothing after the program when empty); a
    // process started before is ended first. False with the reason in `why`
    // when CreateProcessW fails.
    bool Start(const std::wstring& exe, const std::wstring& arguments, const Environment& env,
               std::wstring& why);

    DWORD pid() const { return pid_; }
    HANDLE handle() const { return process_; }
    bool started() const { return process_ != nullptr; }
    bool Running() const;
    // The exit code once the process has ended within `timeoutMs`.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;
    // Ends a process that still runs (TerminateProcess) and waits for it.
    void Terminate();
    // "exited with code N" or "is still running", for failure messages.
    std::wstring Describe() const;

  private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// Runs `exe` with `arguments` and waits up to `timeoutMs` for its end; the
// exit code, or nothing (the reason in `why`) when it could not start or
// had to be ended.
std::optional<DWORD> RunToEnd(const std::wstring& exe, const std::wstring& arguments,
                              DWORD timeoutMs, std::wstring& why);

}  // namespace quorel::gui
