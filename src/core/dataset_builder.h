#pragma once

#include <cstdint>
#include <string_view>

namespace quorel {

class CDirEntry;
class CDirList;
class EntrySecurity;

// Adds entries to a dataset, keeping its own position: the place where the
// next entry goes (at the end of a listing, or as the first child of a
// folder) and the depth it gets. The scanner, the dataset file reader and
// Inherit ACL each build with one; the dataset keeps no cursor of its own.
class DatasetBuilder {
  public:
    // Positioned at the end of the top listing, depth 0.
    explicit DatasetBuilder(CDirList& list);

    // The next entry joins the listing that `member` belongs to, at its end,
    // at `member`'s depth. Null: the top listing, depth 0.
    void placeAfter(CDirEntry* member);
    // The next entry becomes the first child of `folder` (before any it
    // has), one level deeper. Null: the top listing, depth 0.
    void placeUnder(CDirEntry* folder);
    // The depth of the entries added from here on, until the next placement.
    void setDepth(std::uint32_t depth) { depth_ = depth; }
    std::uint32_t depth() const { return depth_; }

    // An entry for a file or folder, its security read through `security`;
    // with `rereadParent` the parent's ACL is re-applied and the security
    // read again. The next entry then follows it in its listing.
    CDirEntry* addScanEntry(std::wstring_view path, std::wstring_view name, EntrySecurity& security,
                            bool rereadParent = false);
    // An entry with nothing read, for the dataset file reader to fill; the
    // next entry then follows it in its listing.
    CDirEntry* addLoadEntry();
    // addLoadEntry as the first child of the entry the position follows
    // (the one added or placed after last).
    CDirEntry* addLoadChild();

    // The entry added last, or null.
    CDirEntry* lastAdded() const { return last_; }

  private:
    CDirEntry* add();

    CDirList& list_;
    CDirEntry* anchor_ = nullptr;  // the folder (asChild_) or a listing member
    bool asChild_ = false;
    std::uint32_t depth_ = 0;
    CDirEntry* last_ = nullptr;
};

}  // namespace quorel
