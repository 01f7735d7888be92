#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include <vector>
#include "core/text_map.h"

namespace quorel {

class CDirEntry;

// One problem met while an entry was read or changed.
struct ErrorElement {
    std::int32_t number;  // the list's count when the element was added: 0, 1, 2, ...
    CDirEntry* entry;     // not owned
    std::int32_t value;   // extra value given by the caller
    std::wstring_view text;
};

// The errors of one dataset, in the order they were added. A scan of a file
// server can add a message for every file, but there are only a few dozen
// distinct texts: each element keeps an index into the list's own texts.
class ErrorList {
  public:
    void addError(std::wstring_view text, CDirEntry* entry, std::int32_t value = 0);
    // Frees every element; the next error is numbered 0 again.
    void clear();

    std::size_t count() const { return elements_.size(); }
    ErrorElement at(std::size_t index) const;

    // Errors of entries that are freed keep their place and number but no
    // longer name an entry.
    template <class Pred>
    void forgetEntries(Pred gone) {
        for (Stored& s : elements_) {
            if (gone(s.entry)) {
                s.entry = nullptr;
            }
        }
    }

    // The error texts in list order.
    std::vector<std::wstring> texts() const;

  private:
    struct Stored {
        CDirEntry* entry;
        std::int32_t value;
        std::uint32_t text;
    };
    std::vector<Stored> elements_;
    std::vector<std::wstring> texts_;
    TextIdMap textIds_;
};

}  // namespace quorel
