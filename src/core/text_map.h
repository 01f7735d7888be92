#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quorel {

// Hashing and equality that accept a std::wstring_view for a std::wstring
// key, so that looking up a text that is already there allocates nothing.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::wstring_view text) const noexcept {
        return std::hash<std::wstring_view>{}(text);
    }
};

struct TextEqual {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const noexcept { return a == b; }
};

// A map from texts to ids, looked up by std::wstring_view.
using TextIdMap = std::unordered_map<std::wstring, std::uint32_t, TextHash, TextEqual>;

}  // namespace quorel
