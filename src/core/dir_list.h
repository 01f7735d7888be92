#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "core/dir_entry.h"
#include "core/error_list.h"
#include "core/text_arena.h"

namespace quorel {

class InteractionPort;

// A dataset: the tree of entries of one scan or one loaded dataset file.
// It owns its entries, their names and its error list; entries are added
// through a DatasetBuilder. Walking, clearing and destroying never recurse
// along the depth of the tree.
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

    // 1 + the number of visible entries.
    std::uint32_t visibleCount() const;
    // Lines the view needs: entryCount + 1.
    std::uint32_t lineCount() const { return entryCount_ + 1; }

    // The first entry of the top listing; null when the dataset is empty.
    CDirEntry* firstEntry() const { return first_; }
    // The entries linked into the dataset, "." and ".." included.
    std::uint32_t entryCount() const { return entryCount_; }
    bool isEmpty() const { return first_ == nullptr; }

    // The dataset file it was last loaded from or saved to; empty if none.
    const std::wstring& fileName() const { return fileName_; }
    void setFileName(std::wstring path) { fileName_ = std::move(path); }

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

    // An ordinary pre-order iterator.
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
    Iterator begin() const { return Iterator(first_); }
    Iterator end() const { return Iterator(); }

  private:
    friend class DatasetBuilder;

    // A new entry at `depth`, linked as the first child of `anchor`
    // (asChild) or at the end of the listing `anchor` belongs to; the first
    // entry of an empty dataset becomes its first entry wherever it was
    // meant to go, and a null anchor means the top listing.
    CDirEntry* link(CDirEntry* anchor, bool asChild, std::uint32_t depth);
    // Deletes the listing that starts at `first` and everything below it.
    static void destroyListing(CDirEntry* first);

    InteractionPort& ui_;
    CDirEntry* first_ = nullptr;
    std::uint32_t entryCount_ = 0;
    std::wstring fileName_;
    ErrorList errors_;
    TextArena names_;
    std::shared_ptr<AccountNames> accountNames_;
};

}  // namespace quorel
