#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorel {

class CDirEntry;
class DatasetBuilder;
class EntrySecurity;
class FileSystemPort;
struct DirItem;

// The path limits of every walk of a directory tree on disk.
namespace walk_limit {
// A directory whose path has more characters than this is not listed.
constexpr std::size_t kMaxDirectoryPath = 23400;
// An item whose name and directory path together pass this ends the
// listing of its directory.
constexpr std::size_t kMaxItemPath = 25990;
}  // namespace walk_limit

// `name` in the directory `dir`: one backslash between them, none added
// when `dir` already ends in one.
std::wstring joinPath(std::wstring_view dir, std::wstring_view name);

// What a walk does next after an item.
enum class WalkStep {
    Next,     // on with the listing
    Descend,  // list the item's folder first, then go on
    Stop,     // end the walk; every open listing is left
};

// What the scanner and Inherit ACL do at the steps of a walk.
class WalkVisitor {
  public:
    virtual ~WalkVisitor() = default;
    // Before the listing of the folder at `path` is opened.
    virtual void opening(const std::wstring& path) { (void)path; }
    // Before the entry of the item at `path` is made.
    virtual void reached(const std::wstring& path) { (void)path; }
    // The entry just made (and read) for `item`.
    virtual WalkStep visit(CDirEntry& entry, const DirItem& item, const std::wstring& path) = 0;
    // `folder` was to be descended but its listing could not be opened;
    // false stops the walk.
    virtual bool notListed(CDirEntry& folder) = 0;
    // The listing of `folder` failed part-way: later items are missing.
    virtual void listingFailed(CDirEntry& folder) = 0;
    // The listing of `folder` is done (complete, failed, cut at a path limit
    // or by a stop); false stops the walk.
    virtual bool left(CDirEntry& folder) = 0;
};

struct WalkResult {
    bool opened = false;         // the first listing could be opened
    bool pathTooLong = false;    // a directory or an item passed a limit
    bool listingFailed = false;  // a listing failed part-way
    bool stopped = false;        // the visitor stopped the walk
};

// Lists the folder of `folder` at `path` into the dataset, one entry per
// item in listing order ("." and ".." included), each read through
// `security`, its items at `depth`, each level below one deeper; the
// visitor decides which folders are descended. Iterative: the depth of a
// tree never threatens the stack.
WalkResult WalkTree(FileSystemPort& files, DatasetBuilder& build, EntrySecurity& security,
                    CDirEntry& folder, const std::wstring& path, std::uint32_t depth,
                    WalkVisitor& visitor);

}  // namespace quorel
