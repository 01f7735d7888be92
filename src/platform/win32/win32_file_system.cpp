// FileSystemPort of Win32Platform: directory listings and reparse points.

#include <windows.h>

#include <winioctl.h>

#include <algorithm>
#include <memory>

#include "platform/win32/scoped.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_path.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_reparse.h"

namespace quorel::win32 {

namespace {

// MAXIMUM_REPARSE_DATA_BUFFER_SIZE: the most reparse data a file can carry.
constexpr DWORD kReparseBufferSize = 16 * 1024;

DirItem itemOf(const WIN32_FIND_DATAW& data) {
    return DirItem{data.cFileName, static_cast<std::uint32_t>(data.dwFileAttributes)};
}

// The rest of a listing that FindFirstFileW opened; FindClose on
// destruction.
class Win32DirEnumerator : public DirEnumerator {
  public:
    explicit Win32DirEnumerator(ScopedFindHandle handle) : handle_(std::move(handle)) {}

    bool next(DirItem& item) override {
        WIN32_FIND_DATAW data;
        if (!handle_.valid() || !FindNextFileW(handle_.get(), &data)) {
            return false;
        }
        item = itemOf(data);
        return true;
    }

  private:
    ScopedFindHandle handle_;
};

}  // namespace

std::unique_ptr<DirEnumerator> Win32Platform::openDirectory(const std::wstring& path,
                                                            DirItem& first, std::uint32_t& error) {
    std::wstring pattern = extendedPath(path);
    pattern += (!pattern.empty() && pattern.back() == L'\\') ? L"*.*" : L"\\*.*";
    WIN32_FIND_DATAW data;
    ScopedFindHandle handle(FindFirstFileW(pattern.c_str(), &data));
    if (!handle.valid()) {
        error = lastError();
        return nullptr;
    }
    first = itemOf(data);
    error = 0;
    return std::make_unique<Win32DirEnumerator>(std::move(handle));
}

std::uint32_t Win32Platform::readReparseTarget(const std::wstring& path, std::wstring& target) {
    ScopedHandle file(
        CreateFileW(extendedPath(path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        return lastError();
    }
    auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kReparseBufferSize);
    DWORD returned = 0;
    if (!DeviceIoControl(file.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.get(),
                         kReparseBufferSize, &returned, nullptr)) {
        return lastError();
    }
    if (returned == 0) {
        return ERROR_NOT_A_REPARSE_POINT;
    }
    target = reparseTargetText(buffer.get(), std::min(returned, kReparseBufferSize));
    return 0;
}

}  // namespace quorel::win32
