#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quorel {

namespace file_attribute {
constexpr std::uint32_t kReadOnly = 0x0001;
constexpr std::uint32_t kDirectory = 0x0010;
constexpr std::uint32_t kArchive = 0x0020;
constexpr std::uint32_t kReparsePoint = 0x0400;
}  // namespace file_attribute

// One item of a directory listing as the find data gives it.
struct DirItem {
    std::wstring name;
    std::uint32_t attributes = 0;

    bool isDirectory() const { return (attributes & file_attribute::kDirectory) != 0; }
    bool isReparsePoint() const { return (attributes & file_attribute::kReparsePoint) != 0; }
};

// An open directory listing (FindFirstFileW / FindNextFileW / FindClose).
class DirEnumerator {
  public:
    virtual ~DirEnumerator() = default;
    // The next item in file-system order; false at the end or on error.
    virtual bool next(DirItem& item) = 0;
};

// Directories, reparse points and files of the volume.
class FileSystemPort {
  public:
    virtual ~FileSystemPort() = default;

    // Opens the listing of directory `path` (the user's form, without the
    // "\*.*" pattern) and returns its first item in `first`, "." and ".."
    // included wherever the file system lists them. Returns null with
    // `error` set when the directory cannot be listed.
    virtual std::unique_ptr<DirEnumerator> openDirectory(const std::wstring& path, DirItem& first,
                                                         std::uint32_t& error) = 0;

    // Reads the target text of the reparse point `path` (the substitute name
    // of a junction or symbolic link). Returns 0 and sets `target`, or the
    // Windows error with `target` untouched (4390 when `path` is no reparse
    // point or the data cannot be read).
    virtual std::uint32_t readReparseTarget(const std::wstring& path, std::wstring& target) = 0;
};

}  // namespace quorel
