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

// The reparse tag of `path` itself (FILE_FLAG_OPEN_REPARSE_POINT: not of
// what it points to), by GetFileInformationByHandleEx(FileAttributeTagInfo);
// 0 when it cannot be read.
std::uint32_t reparseTagOf(const std::wstring& path) {
    ScopedHandle file(
        CreateFileW(extendedPath(path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!file.valid() ||
        !GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &info, sizeof(info)) ||
        (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(info.ReparseTag);
}

// "WIN32_FIND_DATAW structure": dwReserved0 holds the reparse tag when
// dwFileAttributes has FILE_ATTRIBUTE_REPARSE_POINT. A file system that
// leaves it 0 (no tag is 0, "Reparse Point Tags") is asked for the tag.
DirItem itemOf(const std::wstring& directory, const WIN32_FIND_DATAW& data) {
    DirItem item{data.cFileName, static_cast<std::uint32_t>(data.dwFileAttributes)};
    if (item.isReparsePoint()) {
        item.reparseTag = static_cast<std::uint32_t>(data.dwReserved0);
        if (item.reparseTag == 0) {
            std::wstring path = directory;
            if (!path.empty() && path.back() != L'\\') {
                path += L'\\';
            }
            item.reparseTag = reparseTagOf(path + item.name);
        }
    }
    return item;
}

// The rest of a listing that FindFirstFileW opened; FindClose on
// destruction.
class Win32DirEnumerator : public DirEnumerator {
  public:
    Win32DirEnumerator(ScopedFindHandle handle, std::wstring directory)
        : handle_(std::move(handle)), directory_(std::move(directory)) {}

    std::uint32_t next(DirItem& item) override {
        return handle_.valid() ? nextListedItem(handle_.get(), directory_, item)
                               : ERROR_NO_MORE_FILES;
    }

  private:
    ScopedFindHandle handle_;
    std::wstring directory_;
};

}  // namespace

std::uint32_t nextListedItem(void* find, const std::wstring& directory, DirItem& item) {
    // "FindNextFileW function": FALSE with ERROR_NO_MORE_FILES at the end;
    // any other error ends the listing part-way and is passed on.
    WIN32_FIND_DATAW data;
    if (!FindNextFileW(find, &data)) {
        return lastError();
    }
    item = itemOf(directory, data);
    return 0;
}

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
    first = itemOf(path, data);
    error = 0;
    return std::make_unique<Win32DirEnumerator>(std::move(handle), path);
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
