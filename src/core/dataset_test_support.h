#pragma once

// Test support: builds datasets in a line per entry.

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/dataset_builder.h"
#include "core/dir_list.h"

namespace quorel::test {

// Appends an entry named `name` to the listing of `parent` (to the top
// listing when null), linked the way the dataset file reader links it: one
// level below the parent, roots at depth 0.
inline CDirEntry* AppendEntry(CDirList& list, CDirEntry* parent, std::wstring_view name) {
    DatasetBuilder build(list);
    if (parent != nullptr && parent->firstChild() == nullptr) {
        build.placeUnder(parent);
    } else {
        build.placeAfter(parent != nullptr ? parent->firstChild() : nullptr);
    }
    CDirEntry* e = build.addLoadEntry();
    e->setName(name);
    return e;
}

// The account table of the dataset holding `e`.
inline AccountNames& NamesOf(const CDirEntry* e) {
    return e->dataset()->accountNames();
}

// One ACE: trustee (null leaves it unset), mask, flags, type.
struct AceSpec {
    const wchar_t* trustee;
    std::uint32_t mask;
    std::uint8_t flags;
    std::uint8_t type;
};

// Replaces the ACEs of `e`; every trustee gets the domain `domain`.
inline void SetAces(CDirEntry* e, const std::vector<AceSpec>& aces,
                    std::wstring_view domain = L"DOM") {
    e->resizeAces(static_cast<std::uint32_t>(aces.size()));
    for (std::size_t i = 0; i < aces.size(); ++i) {
        AceRecord* r = e->ace(static_cast<std::uint32_t>(i));
        if (aces[i].trustee != nullptr) {
            r->setTrustee(NamesOf(e), aces[i].trustee, domain);
        }
        r->set(aces[i].mask, aces[i].flags, aces[i].type);
    }
    e->visibleAceCount = static_cast<std::uint32_t>(aces.size());
}

}  // namespace quorel::test
