#include "core/text_arena.h"

#include <algorithm>

namespace quorel {

std::wstring_view TextArena::store(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    if (text.size() > kBlockChars / 4) {
        // A long text gets a block of its own so that it wastes no block.
        auto block = std::make_unique<wchar_t[]>(text.size());
        std::copy(text.begin(), text.end(), block.get());
        std::wstring_view stored(block.get(), text.size());
        reserved_ += text.size();
        // Allocation goes on in `current_`, wherever the block list keeps it.
        blocks_.push_back(std::move(block));
        return stored;
    }
    if (current_ == nullptr || used_ + text.size() > kBlockChars) {
        blocks_.push_back(std::make_unique<wchar_t[]>(kBlockChars));
        current_ = blocks_.back().get();
        used_ = 0;
        reserved_ += kBlockChars;
    }
    wchar_t* at = current_ + used_;
    std::copy(text.begin(), text.end(), at);
    used_ += text.size();
    return std::wstring_view(at, text.size());
}

void TextArena::clear() {
    blocks_.clear();
    current_ = nullptr;
    used_ = kBlockChars;
    reserved_ = 0;
}

}  // namespace quorel
