#include "core/dir_list.h"

#include <algorithm>
#include <vector>

#include "platform/interaction_port.h"

namespace quorel {

CDirList::CDirList(InteractionPort& ui, std::shared_ptr<AccountNames> accountNames)
    : ui_(ui),
      accountNames_(accountNames ? std::move(accountNames) : std::make_shared<AccountNames>()) {}

CDirList::~CDirList() {
    destroyListing(first_);
}

void CDirList::destroyListing(CDirEntry* first) {
    if (first == nullptr) {
        return;
    }
    CDirEntry* const stop = first->parent_;
    CDirEntry* e = first;
    // Post-order without a stack: detach each child list before descending,
    // so that coming back up through `parent_` finds a childless entry.
    while (e != nullptr) {
        if (e->firstChild_ != nullptr) {
            CDirEntry* child = e->firstChild_;
            e->firstChild_ = nullptr;
            e = child;
            continue;
        }
        CDirEntry* next = e->nextSibling_ != nullptr ? e->nextSibling_ : e->parent_;
        delete e;
        e = next == stop ? nullptr : next;
    }
}

void CDirList::clear() {
    destroyListing(first_);
    first_ = nullptr;
    entryCount_ = 0;
    errors_.clear();
    names_.clear();
}

void CDirList::removeChildren(CDirEntry* entry) {
    if (entry == nullptr || entry->firstChild_ == nullptr) {
        return;
    }
    // Count what goes and forget references to it before it is freed.
    std::vector<const CDirEntry*> removed;
    for (CDirEntry* e = entry->firstChild_; e != nullptr;) {
        removed.push_back(e);
        if (e->firstChild_ != nullptr) {
            e = e->firstChild_;
            continue;
        }
        while (e != entry && e->nextSibling_ == nullptr) {
            e = e->parent_;
        }
        e = e == entry ? nullptr : e->nextSibling_;
    }
    std::sort(removed.begin(), removed.end());
    auto gone = [&removed](const CDirEntry* e) {
        return e != nullptr && std::binary_search(removed.begin(), removed.end(), e);
    };
    errors_.forgetEntries(gone);
    entryCount_ -= static_cast<std::uint32_t>(removed.size());
    CDirEntry* first = entry->firstChild_;
    destroyListing(first);
    entry->firstChild_ = nullptr;
}

CDirEntry* CDirList::link(CDirEntry* anchor, bool asChild, std::uint32_t depth) {
    auto* entry = new CDirEntry(this);
    entry->depth = depth;
    if (first_ == nullptr) {
        first_ = entry;
        entryCount_ = 1;
        return entry;
    }
    entryCount_ += 1;
    if (anchor == nullptr) {
        anchor = first_;
        asChild = false;
    }
    if (asChild) {
        // A listing that was not read becomes a read one.
        anchor->listingNotRead_ = false;
        entry->nextSibling_ = anchor->firstChild_;
        anchor->firstChild_ = entry;
        entry->parent_ = anchor;
    } else {
        CDirEntry* last = anchor;
        while (last->nextSibling_ != nullptr) {
            last = last->nextSibling_;
        }
        last->nextSibling_ = entry;
        entry->parent_ = last->parent_;
    }
    return entry;
}

CDirEntry* CDirList::Iterator::next(CDirEntry* e) {
    if (e == nullptr) {
        return nullptr;
    }
    if (e->firstChild_ != nullptr && !e->isDotEntry()) {
        return e->firstChild_;
    }
    while (e != nullptr && e->nextSibling_ == nullptr) {
        e = e->parent_;
    }
    return e != nullptr ? e->nextSibling_ : nullptr;
}

std::uint32_t CDirList::visibleCount() const {
    std::uint32_t count = 0;
    for (const CDirEntry& e : *this) {
        count += e.visible ? 1u : 0u;
    }
    return count + 1;
}

}  // namespace quorel
