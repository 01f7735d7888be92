#include "core/error_list.h"

namespace quorel {

void ErrorList::addError(std::wstring_view text, CDirEntry* entry, std::int32_t value) {
    auto it = textIds_.find(text);
    if (it == textIds_.end()) {
        it = textIds_.emplace(std::wstring(text), static_cast<std::uint32_t>(texts_.size())).first;
        texts_.emplace_back(text);
    }
    elements_.push_back({entry, value, it->second});
}

void ErrorList::clear() {
    elements_.clear();
    elements_.shrink_to_fit();
    texts_.clear();
    textIds_.clear();
}

ErrorElement ErrorList::at(std::size_t index) const {
    const Stored& s = elements_.at(index);
    return {static_cast<std::int32_t>(index), s.entry, s.value, texts_[s.text]};
}

std::vector<std::wstring> ErrorList::texts() const {
    std::vector<std::wstring> result;
    result.reserve(elements_.size());
    for (const Stored& s : elements_) {
        result.push_back(texts_[s.text]);
    }
    return result;
}

}  // namespace quorel
