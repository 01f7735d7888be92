#include "core/dir_list.h"

#include <algorithm>
#include <vector>

#include "platform/interaction_port.h"

namespace quorel {

CDirList::CDirList(InteractionPort& ui, std::shared_ptr<AccountNames> accountNames)
    : ui_(ui),
      accountNames_(accountNames ? std::move(accountNames) : std::make_shared<AccountNames>()) {}

CDirList::~CDirList() {
    destroyListing(firstEntry);
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
    destroyListing(firstEntry);
    firstEntry = nullptr;
    currentCDirEntry = nullptr;
    lastCreatedEntry = nullptr;
    entryCount = 0;
    isEmpty = true;
    currentDepth = 0;
    scannedCount = 0;
    maxPathExceeded = false;
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
    if (gone(currentCDirEntry)) {
        currentCDirEntry = entry;
    }
    if (gone(lastCreatedEntry)) {
        lastCreatedEntry = entry;
    }
    errors_.forgetEntries(gone);
    entryCount -= static_cast<std::uint32_t>(removed.size());
    CDirEntry* first = entry->firstChild_;
    destroyListing(first);
    entry->firstChild_ = nullptr;
}

CDirEntry* CDirList::create(bool asChild) {
    auto* entry = new CDirEntry(this);
    entry->depth = currentDepth;
    link(entry, asChild);
    return entry;
}

void CDirList::link(CDirEntry* entry, bool asChild) {
    if (isEmpty) {
        isEmpty = false;
        firstEntry = entry;
        currentCDirEntry = entry;
        entryCount = 1;
        return;
    }
    entryCount += 1;
    if (asChild) {
        // A listing that was not read becomes a read one.
        currentCDirEntry->listingNotRead_ = false;
        entry->nextSibling_ = currentCDirEntry->firstChild_;
        currentCDirEntry->firstChild_ = entry;
        entry->parent_ = currentCDirEntry;
    } else {
        CDirEntry* last = currentCDirEntry;
        while (last->nextSibling_ != nullptr) {
            last = last->nextSibling_;
        }
        last->nextSibling_ = entry;
        entry->parent_ = last->parent_;
    }
    currentCDirEntry = entry;
}

CDirEntry* CDirList::newScanEntry(std::wstring_view path, std::wstring_view name, bool asChild,
                                  EntrySecurity& security, bool rereadParent) {
    CDirEntry* entry = create(asChild);
    entry->setName(name);
    entry->setPath(path);
    security.readSecurity(*entry);
    if (rereadParent) {
        security.reapplyParentAcl(*entry);
        security.readSecurity(*entry);
    }
    entry->resetMarks();
    entry->visible = 1;
    return entry;
}

CDirEntry* CDirList::newLoadEntry(bool asChild) {
    CDirEntry* entry = create(asChild);
    entry->visible = 1;
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
