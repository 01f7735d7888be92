#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win_error.h"

namespace quorel {

namespace file_attribute {
constexpr std::uint32_t kReadOnly = 0x0001;
constexpr std::uint32_t kDirectory = 0x0010;
constexpr std::uint32_t kArchive = 0x0020;
constexpr std::uint32_t kReparsePoint = 0x0400;
}  // namespace file_attribute

// Reparse point tags ("Reparse Point Tags").
namespace reparse_tag {
constexpr std::uint32_t kMountPoint = 0xA0000003;  // IO_REPARSE_TAG_MOUNT_POINT: junctions, mounts
constexpr std::uint32_t kSymlink = 0xA000000C;     // IO_REPARSE_TAG_SYMLINK
constexpr std::uint32_t kDedup = 0x80000013;       // IO_REPARSE_TAG_DEDUP
constexpr std::uint32_t kCloud = 0x9000001A;       // IO_REPARSE_TAG_CLOUD: a cloud-file placeholder
// "IsReparseTagNameSurrogate macro": the name surrogate bit (0x20000000)
// tells that the item stands for another named entity (a junction, a
// mount point, a symbolic link); every other reparse point is the item
// itself (placeholders, deduplicated files).
constexpr bool isNameSurrogate(std::uint32_t tag) {
    return (tag & 0x20000000) != 0;
}
}  // namespace reparse_tag

// One item of a directory listing as the find data gives it.
struct DirItem {
    std::wstring name;
    std::uint32_t attributes = 0;
    // The reparse tag of a reparse point ("WIN32_FIND_DATAW structure":
    // dwReserved0 when dwFileAttributes has FILE_ATTRIBUTE_REPARSE_POINT);
    // 0 when the item is none or its tag could not be learned.
    std::uint32_t reparseTag = 0;

    bool isDirectory() const { return (attributes & file_attribute::kDirectory) != 0; }
    bool isReparsePoint() const { return (attributes & file_attribute::kReparsePoint) != 0; }
    // A link to another place (a name surrogate): scans and walks of a tree
    // list it but never enter it, since its target may be anywhere, the
    // tree itself included. A reparse point whose tag is unknown counts as one, since
    // entering it could loop.
    bool isLink() const {
        return isReparsePoint() && (reparseTag == 0 || reparse_tag::isNameSurrogate(reparseTag));
    }
};

// An open directory listing (FindFirstFileW / FindNextFileW / FindClose).
class DirEnumerator {
  public:
    virtual ~DirEnumerator() = default;
    // The next item in file-system order. Returns 0 with `item` set,
    // win_error::kNoMoreFiles (18) at the end of the listing, or another
    // Windows error when the listing failed part-way ("FindNextFileW
    // function": only ERROR_NO_MORE_FILES means that no more items match);
    // `item` is left untouched then.
    [[nodiscard]] virtual std::uint32_t next(DirItem& item) = 0;
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
