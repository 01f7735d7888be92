#include "platform/text.h"

#include <cstdint>
#include <memory>

namespace quorel {

namespace {

struct CasePair {
    std::uint16_t unit;
    std::uint16_t upper;
};

constexpr CasePair kCasePairs[] = {
#include "platform/case_table.inc"
};

// The upper case of every UTF-16 unit, built once from the pairs.
const std::uint16_t* upperTable() {
    static const std::unique_ptr<std::uint16_t[]> table = [] {
        auto t = std::make_unique<std::uint16_t[]>(0x10000);
        for (std::uint32_t i = 0; i < 0x10000; ++i) {
            t[i] = static_cast<std::uint16_t>(i);
        }
        for (const CasePair& p : kCasePairs) {
            t[p.unit] = p.upper;
        }
        return t;
    }();
    return table.get();
}

}  // namespace

wchar_t foldCase(wchar_t c) {
    const auto u = static_cast<std::uint32_t>(c);
    if (u < 0x80) {
        return (u >= 'a' && u <= 'z') ? static_cast<wchar_t>(u - 0x20) : c;
    }
    // A character beyond U+FFFF is two units on Windows, neither of which
    // has a case: it stays as it is.
    if (u > 0xFFFF) {
        return c;
    }
    return static_cast<wchar_t>(upperTable()[u]);
}

bool equalsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && foldCase(a[i]) != foldCase(b[i])) {
            return false;
        }
    }
    return true;
}

int compareNoCase(std::wstring_view a, std::wstring_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned x = static_cast<unsigned>(foldCase(a[i]));
        const unsigned y = static_cast<unsigned>(foldCase(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

std::wstring upperCase(std::wstring_view text) {
    std::wstring result(text);
    for (wchar_t& c : result) {
        c = foldCase(c);
    }
    return result;
}

}  // namespace quorel
