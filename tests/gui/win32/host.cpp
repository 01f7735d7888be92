#include "host.h"

#include <functional>
#include <vector>

#include "window_access.h"

namespace quorel::gui {

std::wstring EnvOr(const wchar_t* name, const std::wstring& fallback) {
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD n = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) {
        return fallback;
    }
    return std::wstring(buffer.data(), n);
}

namespace {
// A Unix path from the environment as a Windows path (the build folders
// are ASCII).
std::wstring WindowsPathFromEnv(const wchar_t* name, const std::string& relative = {}) {
    const std::wstring value = EnvOr(name, L"");
    const std::string unix(value.begin(), value.end());
    return WindowsPath(relative.empty() ? unix : unix + "/" + relative);
}
}  // namespace

std::wstring QuorelExe() {
    return WindowsPathFromEnv(L"QUOREL_EXE");
}

std::wstring QuorelCliExe() {
    return WindowsPathFromEnv(L"QUOREL_CLI_EXE");
}

std::wstring SourceFile(const std::string& relative) {
    return WindowsPathFromEnv(L"QUOREL_SOURCE_DIR", relative);
}

std::string UnixPath(const std::wstring& windowsPath) {
    using Convert = char* (*)(const wchar_t*);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto convert = kernel != nullptr ? reinterpret_cast<Convert>(reinterpret_cast<void*>(
                                           GetProcAddress(kernel, "wine_get_unix_file_name")))
                                     : nullptr;
    if (convert == nullptr) {
        return {};
    }
    char* text = convert(windowsPath.c_str());
    if (text == nullptr) {
        return {};
    }
    std::string result(text);
    HeapFree(GetProcessHeap(), 0, text);
    return result;
}

std::wstring WindowsPath(const std::string& unixPath) {
    using Convert = wchar_t* (*)(const char*);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto convert = kernel != nullptr ? reinterpret_cast<Convert>(reinterpret_cast<void*>(
                                           GetProcAddress(kernel, "wine_get_dos_file_name")))
                                     : nullptr;
    if (convert == nullptr) {
        return {};
    }
    wchar_t* text = convert(unixPath.c_str());
    if (text == nullptr) {
        return {};
    }
    std::wstring result(text);
    HeapFree(GetProcessHeap(), 0, text);
    return result;
}

bool RunUnixShell(const std::string& script, const std::function<bool()>& done, DWORD timeoutMs,
                  std::wstring& why) {
    std::wstring line = L"/bin/sh -c \"";
    for (char c : script) {
        if (c == '"' || c == '\\') {
            line += L'\\';
        }
        line += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    line += L"\"";
    std::vector<wchar_t> command(line.begin(), line.end());
    command.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        why = L"could not start /bin/sh: error " + std::to_wstring(GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!PollUntil(done, timeoutMs)) {
        why = L"/bin/sh -c did not finish within " + std::to_wstring(timeoutMs) + L" ms: " +
              std::wstring(script.begin(), script.end());
        return false;
    }
    return true;
}

int ScreenDpiOfTest() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

std::optional<std::string> SaveScreenshot(const std::string& name, std::wstring& why) {
    const std::wstring dirText = EnvOr(L"QUOREL_SCREENSHOT_DIR", L"");
    if (dirText.empty()) {
        why = L"QUOREL_SCREENSHOT_DIR is not set";
        return std::nullopt;
    }
    const std::string dir(dirText.begin(), dirText.end());
    const std::string file = dir + "/" + name + "@" + std::to_string(ScreenDpiOfTest()) + ".png";
    const std::string part = dir + "/." + name + ".part.png";
    const std::wstring windowsFile = WindowsPath(file);
    DeleteFileW(windowsFile.c_str());
    // The file appears only when import is done with it. The black screen
    // around the windows is trimmed off: the picture is the windows shown.
    const std::string script = "mkdir -p '" + dir + "' && import -window root '" + part +
                               "' && convert '" + part + "' -trim +repage '" + part +
                               "' && mv -f '" + part + "' '" + file + "'";
    if (!RunUnixShell(
            script, [&] { return FileExists(windowsFile); }, kStepTimeoutMs, why)) {
        return std::nullopt;
    }
    return file;
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    if (!ok) {
        return std::nullopt;
    }
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr) != FALSE &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace quorel::gui
