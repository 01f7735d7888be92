#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "core/dir_entry.h"
#include "core/entry_security.h"
#include "core/error_list.h"
#include "core/text_arena.h"

namespace quorel {

class InteractionPort;

// A dataset: the tree of entries of one scan or one loaded dataset file.
// It owns its entries, their names and its error list. Walking, clearing and
// destroying never recurse along the depth of the tree.
//
// The account ids of its entries and ACEs are ids of its account table. A
// dataset made without a table gets one of its own, freed with it; one made
// with another dataset's table (sharedAccountNames) shares it, and the two
// datasets' ids are then comparable. The table lives as long as the last
// dataset holding it.
class CDirList {
  public:
    explicit CDirList(InteractionPort& ui, std::shared_ptr<AccountNames> accountNames = nullptr);
    ~CDirList();
    CDirList(const CDirList&) = delete;
    CDirList& operator=(const CDirList&) = delete;

    // Scan constructor: an entry for `path`/`name`, linked as the cursor's
    // first child (asChild) or appended to the cursor's listing, its security
    // read through `security`. With `rereadParent` the parent's ACL is
    // re-applied and the security read again.
    CDirEntry* newScanEntry(std::wstring_view path, std::wstring_view name, bool asChild,
                            EntrySecurity& security, bool rereadParent = false);
    // Load constructor: linked the same way, nothing read; the file reader
    // sets the texts and ACEs.
    CDirEntry* newLoadEntry(bool asChild);

    void setCursor(CDirEntry* entry) { currentCDirEntry = entry; }

    // 1 + the number of visible entries.
    std::uint32_t visibleCount() const;
    // Lines the view needs: entryCount + 1.
    std::uint32_t lineCount() const { return entryCount + 1; }

    // Frees every entry and error and leaves an empty dataset.
    void clear();
    // Frees the listing under `entry` (its whole subtree), keeping the entry.
    void removeChildren(CDirEntry* entry);

    ErrorList& errorList() { return errors_; }
    const ErrorList& errorList() const { return errors_; }
    InteractionPort& ui() const { return ui_; }

    std::wstring_view storeText(std::wstring_view text) { return names_.store(text); }
    AccountNames& accountNames() const { return *accountNames_; }
    const std::shared_ptr<AccountNames>& sharedAccountNames() const { return accountNames_; }
    std::size_t textBytes() const { return names_.bytesReserved(); }

    // An ordinary pre-order iterator that leaves the cursor alone.
    class Iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CDirEntry;
        using difference_type = std::ptrdiff_t;
        using pointer = CDirEntry*;
        using reference = CDirEntry&;

        explicit Iterator(CDirEntry* at = nullptr) : at_(at) {}
        CDirEntry& operator*() const { return *at_; }
        CDirEntry* operator->() const { return at_; }
        Iterator& operator++() {
            at_ = next(at_);
            return *this;
        }
        friend bool operator==(const Iterator&, const Iterator&) = default;

        // The entry after `e` in pre-order, never descending into "." or "..".
        static CDirEntry* next(CDirEntry* e);

      private:
        CDirEntry* at_;
    };
    Iterator begin() const { return Iterator(firstEntry); }
    Iterator end() const { return Iterator(); }

    CDirEntry* firstEntry = nullptr;
    CDirEntry* currentCDirEntry = nullptr;
    std::uint32_t entryCount = 0;
    bool isEmpty = true;
    std::uint32_t currentDepth = 0;
    std::int32_t staticFilter = 1;
    CDirEntry* lastCreatedEntry = nullptr;
    std::wstring fileName;
    std::uint32_t loadProgress = 0;
    std::uint32_t loadEntryCount = 0;
    std::uint32_t scannedCount = 0;
    bool maxPathExceeded = false;

  private:
    CDirEntry* create(bool asChild);
    void link(CDirEntry* entry, bool asChild);
    // Deletes the listing that starts at `first` and everything below it.
    static void destroyListing(CDirEntry* first);

    InteractionPort& ui_;
    ErrorList errors_;
    TextArena names_;
    std::shared_ptr<AccountNames> accountNames_;
};

}  // namespace quorel
