#include "platform/win32/temp_tree.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/scoped.h"

namespace quorel::win32::test {

namespace {

// "\\?\C:\..." for the drive paths the tests use; the code under test makes
// its own extended paths, these helpers do not rely on it.
std::wstring longForm(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        return L"\\\\?\\" + path;
    }
    return path;
}

std::wstring uniqueName() {
    static std::atomic<unsigned> counter{0};
    return L"quorel-win32-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++);
}

// The Unix path of `path` by Wine's kernel32 export; empty when there is
// none (not Wine).
std::string unixPath(const std::wstring& path) {
    using Convert = char* (*)(const wchar_t*);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto convert = kernel ? reinterpret_cast<Convert>(reinterpret_cast<void*>(
                                GetProcAddress(kernel, "wine_get_unix_file_name")))
                          : nullptr;
    if (convert == nullptr) {
        return std::string();
    }
    char* text = convert(path.c_str());
    if (text == nullptr) {
        return std::string();
    }
    std::string result(text);
    HeapFree(GetProcessHeap(), 0, text);
    return result;
}

std::wstring widen(const std::string& text) {
    std::wstring result;
    for (unsigned char c : text) {
        result += static_cast<wchar_t>(c);  // the test paths are ASCII
    }
    return result;
}

// A Unix path that can go on a command line as it is.
bool usableUnixPath(const std::string& text) {
    if (text.empty() || text[0] != '/') {
        return false;
    }
    for (unsigned char c : text) {
        if (c >= 0x80 || c <= ' ' || c == '"' || c == '\\') {
            return false;
        }
    }
    return true;
}

// Runs a Unix program under Wine and waits up to 5 seconds for `done`. Wine
// starts it through CreateProcessW but hands back no process handle that
// can be waited for, hence the polling.
template <typename Done>
bool runUnix(const wchar_t* program, std::wstring command, Done done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    for (int i = 0; i < 250 && !done(); ++i) {
        Sleep(20);
    }
    return done();
}

bool removeUnixLink(const std::wstring& path) {
    const std::string link = unixPath(path);
    if (!usableUnixPath(link)) {
        return false;
    }
    return runUnix(L"Z:\\bin\\rm", L"/bin/rm -f " + widen(link), [&] { return !exists(path); });
}

}  // namespace

TempTree::TempTree() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        return;
    }
    std::wstring base(temp, length);
    if (!base.empty() && base.back() == L'\\') {
        base.pop_back();
    }
    const std::wstring root = base + L"\\" + uniqueName();
    if (createFolder(root)) {
        root_ = root;
    }
}

TempTree::~TempTree() {
    if (!root_.empty()) {
        removeTree(root_);
    }
}

std::wstring TempTree::makeDir(const std::wstring& relative) const {
    const std::wstring full = path(relative);
    return createFolder(full) ? full : std::wstring();
}

std::wstring TempTree::makeFile(const std::wstring& relative) const {
    const std::wstring full = path(relative);
    return createFile(full) ? full : std::wstring();
}

bool createFolder(const std::wstring& path) {
    return CreateDirectoryW(longForm(path).c_str(), nullptr) != FALSE;
}

bool createFile(const std::wstring& path) {
    ScopedHandle file(CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(longForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool removeTree(const std::wstring& path) {
    const std::wstring full = longForm(path);
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // Remove the link, never what it points at. Wine's RemoveDirectoryW
        // on a Unix symbolic link removes the target folder when it is empty
        // and keeps the link, so under Wine the link goes on the Unix side.
        if (runningUnderWine()) {
            return removeUnixLink(path);
        }
        return RemoveDirectoryW(full.c_str()) || DeleteFileW(full.c_str());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileW(full.c_str()) != FALSE;
    }
    WIN32_FIND_DATAW data;
    {
        ScopedFindHandle find(FindFirstFileW((full + L"\\*").c_str(), &data));
        if (find.valid()) {
            do {
                const std::wstring name = data.cFileName;
                if (name != L"." && name != L"..") {
                    removeTree(path + L"\\" + name);
                }
            } while (FindNextFileW(find.get(), &data));
        }
    }
    return RemoveDirectoryW(full.c_str()) != FALSE;
}

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool makeFolderLink(const std::wstring& link, const std::wstring& target, std::wstring& why) {
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) &&
        exists(link)) {
        return true;
    }
    const DWORD error = GetLastError();
    if (!runningUnderWine()) {
        why = L"CreateSymbolicLinkW failed with " + std::to_wstring(error) +
              L" (creating symbolic links needs SeCreateSymbolicLinkPrivilege or developer mode)";
        return false;
    }
    const std::string from = unixPath(target);
    const std::string to = unixPath(link);
    if (!usableUnixPath(from) || !usableUnixPath(to)) {
        why = L"no plain Unix path for the link under Wine";
        return false;
    }
    if (!runUnix(L"Z:\\bin\\ln", L"/bin/ln -s " + widen(from) + L" " + widen(to),
                 [&] { return exists(link); })) {
        why = L"/bin/ln made no link";
        return false;
    }
    return true;
}

}  // namespace quorel::win32::test
