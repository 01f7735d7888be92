#include "editing/entry_lookup.h"

#include <string>

#include "core/dir_list.h"
#include "platform/text.h"

namespace quorel {

namespace {

// The rest of `path` after `prefix` and a separator; false when `path` does
// not continue `prefix`.
bool rest(std::wstring_view path, std::wstring_view prefix, std::wstring_view& tail) {
    if (path.size() < prefix.size() || !equalsNoCase(path.substr(0, prefix.size()), prefix)) {
        return false;
    }
    tail = path.substr(prefix.size());
    if (!prefix.empty() && prefix.back() == L'\\') {
        return true;
    }
    if (tail.empty()) {
        return true;
    }
    if (tail.front() != L'\\') {
        return false;
    }
    tail.remove_prefix(1);
    return true;
}

}  // namespace

CDirEntry* findEntryByPath(const CDirList& dataset, std::wstring_view path) {
    for (CDirEntry* root = dataset.firstEntry(); root != nullptr; root = root->nextSibling()) {
        const std::wstring rootPath = root->path();
        std::wstring_view tail;
        if (!rest(path, rootPath, tail)) {
            continue;
        }
        CDirEntry* at = root;
        while (at != nullptr && !tail.empty()) {
            const std::size_t cut = tail.find(L'\\');
            const std::wstring_view part = tail.substr(0, cut);
            tail = cut == std::wstring_view::npos ? std::wstring_view() : tail.substr(cut + 1);
            CDirEntry* child = at->firstChild();
            // A child that keeps a path of its own is not reached through its name.
            while (child != nullptr && (child->isDotEntry() || child->hasStoredPath() ||
                                        !equalsNoCase(child->name(), part))) {
                child = child->nextSibling();
            }
            at = child;
        }
        if (at != nullptr) {
            return at;
        }
    }
    // Entries that keep a path of their own are not found by their names.
    for (CDirEntry& e : dataset) {
        if (e.hasStoredPath() && equalsNoCase(e.path(), path)) {
            return &e;
        }
    }
    return nullptr;
}

}  // namespace quorel
