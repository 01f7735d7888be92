#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/ace_record.h"

namespace quorel {

class CDirList;

// errorFlags bits.
namespace entry_error {
constexpr std::uint8_t kUnresolvedSid = 1;  // a SID of the entry could not be resolved
constexpr std::uint8_t kReadFailed = 2;     // reading the entry's security failed in some step
constexpr std::uint8_t kNoAces = 4;         // empty or unreadable ACL
}  // namespace entry_error

// findMarks bits, in the order find sets them.
namespace find_mark {
constexpr std::uint8_t kPath = 1;
constexpr std::uint8_t kName = 2;
constexpr std::uint8_t kOwner = 4;
constexpr std::uint8_t kGroup = 8;
}  // namespace find_mark

// One file, folder or heading line. Entries of a dataset are made and linked
// by CDirList; heading entries stand alone.
//
// The path is not stored: it is the parent's path joined with the name (a
// backslash between them unless the parent's path already ends in one). Only
// a root, or an entry whose path was given otherwise, keeps its path.
class CDirEntry {
  public:
    ~CDirEntry();
    CDirEntry(const CDirEntry&) = delete;
    CDirEntry& operator=(const CDirEntry&) = delete;

    // A heading line made from a text alone: not linked into any dataset.
    static std::unique_ptr<CDirEntry> makeHeading(std::wstring_view text);

    // Tree links. firstChild() is null for a folder whose listing was not
    // read; listingNotRead() tells that case apart.
    CDirEntry* nextSibling() const { return nextSibling_; }
    CDirEntry* firstChild() const { return firstChild_; }
    CDirEntry* parent() const { return parent_; }
    CDirList* dataset() const { return dataset_; }
    bool listingNotRead() const { return listingNotRead_; }
    // Marks the folder as one whose listing was not read, dropping nothing:
    // only a folder without children can be so marked.
    void setListingNotRead(bool notRead);

    // The directory test of the filters: the entry has children. A folder
    // that was not descended counts as a file.
    bool isDirectory() const { return firstChild_ != nullptr; }
    // The directory test of the editing commands: it also holds for a folder
    // whose listing was not read.
    bool isDirectoryForEditing() const { return firstChild_ != nullptr || listingNotRead_; }
    bool isDotEntry() const { return name_ == L"." || name_ == L".."; }

    std::wstring path() const;
    // True when the entry keeps a path of its own (a root, or a path that is
    // not the parent's joined with the name); path() of its children
    // continues from it.
    bool hasStoredPath() const { return pathStored_; }
    std::wstring_view name() const { return name_; }
    // Load-side setters; the dataset keeps the texts.
    void setPath(std::wstring_view path);
    void setName(std::wstring_view name);

    // Owner and group texts, from the dataset's account table; empty for a
    // heading, which has no dataset.
    std::wstring_view ownerName() const;
    std::wstring_view ownerDomain() const;
    std::wstring_view groupName() const;
    std::wstring_view groupDomain() const;
    bool groupDomainSet() const;
    std::uint32_t ownerAccount() const { return owner_; }
    std::uint32_t groupAccount() const { return group_; }
    void setOwner(std::wstring_view name, std::wstring_view domain);
    void setOwnerAccount(std::uint32_t account) { owner_ = account; }
    void setGroupAccount(std::uint32_t account) { group_ = account; }
    void setGroup(std::wstring_view name, std::wstring_view domain);
    // The name becomes `name` and the domain is left unset.
    void setGroupNameOnly(std::wstring_view name);

    std::wstring_view headingText() const;
    std::wstring_view reparseTarget() const;
    std::wstring_view ownerBackup() const;
    void setReparseTarget(std::wstring_view target);
    void setOwnerBackup(std::wstring_view text);
    // The SID of the owner that ownerBackup names: what is given back.
    const Sid* ownerBackupSid() const;
    void setOwnerBackupSid(const Sid* sid);

    // ACEs.
    std::uint32_t aceCount() const { return aceCount_; }
    // The i-th record, or null when i >= aceCount.
    AceRecord* ace(std::uint32_t i) { return i < aceCount_ ? &aces_[i] : nullptr; }
    const AceRecord* ace(std::uint32_t i) const { return i < aceCount_ ? &aces_[i] : nullptr; }
    AceRecord* aces() { return aces_.get(); }
    const AceRecord* aces() const { return aces_.get(); }
    // Replaces the records by `count` fresh ones.
    void resizeAces(std::uint32_t count);
    // The partner entry's record that `ace` is linked to, or null.
    const AceRecord* partnerAceOf(const AceRecord& ace) const;

    // Clears the find marks of the entry, of its ACEs and of its partner's
    // ACEs.
    void resetMarks();

    CDirEntry* partner = nullptr;
    std::uint32_t depth = 0;
    std::uint32_t visibleAceCount = 0;
    std::uint8_t errorFlags = 0;
    std::uint8_t findMarks = 0;
    std::uint8_t visible : 1 = 1;
    std::uint8_t partnerHandled : 1 = 0;
    std::uint8_t isHeading : 1 = 0;
    std::uint8_t selected : 1 = 0;
    std::uint8_t isReparsePoint : 1 = 0;
    std::uint8_t ownershipTaken : 1 = 0;

  private:
    friend class CDirList;

    // The rarely used texts live apart so that ordinary entries stay small.
    struct Extras {
        std::wstring path;
        std::wstring headingText;
        std::wstring reparseTarget;
        std::wstring ownerBackup;
        Sid ownerBackupSid;
    };

    explicit CDirEntry(CDirList* dataset);
    Extras& extras();
    // Whether `path` is what path() derives from the parent and `name`.
    bool pathIsDerived(std::wstring_view path) const;

    CDirEntry* nextSibling_ = nullptr;
    CDirEntry* firstChild_ = nullptr;
    CDirEntry* parent_ = nullptr;
    CDirList* dataset_ = nullptr;
    std::unique_ptr<AceRecord[]> aces_;
    std::unique_ptr<Extras> extras_;
    std::wstring_view name_;
    std::uint32_t owner_ = 0;
    std::uint32_t group_ = 0;
    std::uint32_t aceCount_ = 0;
    bool listingNotRead_ = false;
    bool pathStored_ = false;
};

}  // namespace quorel
