#pragma once

// The test's surroundings: where the programs under test and the sources
// are, the Unix side of Wine (paths, Unix programs, screenshots of the X
// display) and whole files.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace quorel::gui {

// The value of environment variable `name`, or `fallback`.
std::wstring EnvOr(const wchar_t* name, const std::wstring& fallback);

// quorel.exe and quorel-cli.exe as Windows paths (QUOREL_EXE and
// QUOREL_CLI_EXE, Unix paths set by the build).
std::wstring QuorelExe();
std::wstring QuorelCliExe();
// A file of the source tree (QUOREL_SOURCE_DIR, a Unix path) as a Windows
// path, e.g. SourceFile("samples/sample.acl").
std::wstring SourceFile(const std::string& relative);

// Wine's mapping between the two kinds of path; empty when there is none.
std::string UnixPath(const std::wstring& windowsPath);
std::wstring WindowsPath(const std::string& unixPath);

// Runs `script` with /bin/sh on the Unix side (Wine starts Unix programs
// through CreateProcessW but gives no handle to wait for) and waits up to
// `timeoutMs` until `done` holds.
bool RunUnixShell(const std::string& script, const std::function<bool()>& done, DWORD timeoutMs,
                  std::wstring& why);

// Saves the X screen, trimmed to the windows on it (the black around them
// cut off), as `name` + "@" + the DPI + ".png" in the screenshot folder
// (QUOREL_SCREENSHOT_DIR, a Unix path) with ImageMagick's import; the file's
// Unix path, or nothing with the reason in `why`.
std::optional<std::string> SaveScreenshot(const std::string& name, std::wstring& why);
// The DPI that new windows are drawn at (Wine's LogPixels).
int ScreenDpiOfTest();

std::optional<std::string> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

}  // namespace quorel::gui
