#include "platform/sid.h"

#include <cwctype>

namespace quorel {

namespace {

bool parseNumber(std::wstring_view& text, std::uint64_t& value, bool allowHex) {
    value = 0;
    std::size_t i = 0;
    int base = 10;
    if (allowHex && text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        i = 2;
    }
    std::size_t digits = 0;
    for (; i < text.size() && text[i] != L'-'; ++i, ++digits) {
        wchar_t c = text[i];
        unsigned d;
        if (c >= L'0' && c <= L'9') {
            d = static_cast<unsigned>(c - L'0');
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            d = static_cast<unsigned>(c - L'a' + 10);
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            d = static_cast<unsigned>(c - L'A' + 10);
        } else {
            return false;
        }
        if (value > (0xFFFFFFFFFFFFull - d) / static_cast<unsigned>(base)) {
            return false;
        }
        value = value * static_cast<unsigned>(base) + d;
    }
    if (digits == 0) {
        return false;
    }
    text.remove_prefix(i);
    return true;
}

}  // namespace

std::optional<Sid> Sid::fromString(std::wstring_view text) {
    if (text.size() < 2 || (text[0] != L'S' && text[0] != L's') || text[1] != L'-') {
        return std::nullopt;
    }
    text.remove_prefix(2);
    std::uint64_t revision = 0;
    if (!parseNumber(text, revision, false) || revision != 1) {
        return std::nullopt;
    }
    if (text.empty() || text[0] != L'-') {
        return std::nullopt;
    }
    text.remove_prefix(1);
    std::uint64_t authority = 0;
    if (!parseNumber(text, authority, true)) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> subs;
    while (!text.empty()) {
        if (text[0] != L'-') {
            return std::nullopt;
        }
        text.remove_prefix(1);
        std::uint64_t sub = 0;
        if (!parseNumber(text, sub, false) || sub > 0xFFFFFFFFull ||
            subs.size() == kMaxSubAuthorities) {
            return std::nullopt;
        }
        subs.push_back(static_cast<std::uint32_t>(sub));
    }
    Sid sid;
    sid.bytes_.resize(8 + 4 * subs.size());
    sid.bytes_[0] = 1;
    sid.bytes_[1] = static_cast<std::uint8_t>(subs.size());
    for (int i = 0; i < 6; ++i) {
        sid.bytes_[2 + i] = static_cast<std::uint8_t>(authority >> (8 * (5 - i)));
    }
    for (std::size_t i = 0; i < subs.size(); ++i) {
        for (int b = 0; b < 4; ++b) {
            sid.bytes_[8 + 4 * i + b] = static_cast<std::uint8_t>(subs[i] >> (8 * b));
        }
    }
    return sid;
}

std::optional<Sid> Sid::fromBytes(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 8 || data[0] != 1 || data[1] > kMaxSubAuthorities) {
        return std::nullopt;
    }
    std::size_t need = 8 + 4 * static_cast<std::size_t>(data[1]);
    if (size < need) {
        return std::nullopt;
    }
    Sid sid;
    sid.bytes_.assign(data, data + need);
    return sid;
}

Sid Sid::make(std::uint64_t authority, std::initializer_list<std::uint32_t> subAuthorities) {
    Sid sid;
    sid.bytes_.resize(8 + 4 * subAuthorities.size());
    sid.bytes_[0] = 1;
    sid.bytes_[1] = static_cast<std::uint8_t>(subAuthorities.size());
    for (int i = 0; i < 6; ++i) {
        sid.bytes_[2 + i] = static_cast<std::uint8_t>(authority >> (8 * (5 - i)));
    }
    std::size_t i = 0;
    for (std::uint32_t sub : subAuthorities) {
        for (int b = 0; b < 4; ++b) {
            sid.bytes_[8 + 4 * i + b] = static_cast<std::uint8_t>(sub >> (8 * b));
        }
        ++i;
    }
    return sid;
}

std::uint32_t Sid::subAuthority(std::size_t i) const {
    if (i >= subAuthorityCount()) {
        return 0;
    }
    const std::uint8_t* p = bytes_.data() + 8 + 4 * i;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t Sid::authority() const {
    if (bytes_.empty()) {
        return 0;
    }
    std::uint64_t value = 0;
    for (int i = 0; i < 6; ++i) {
        value = value << 8 | bytes_[2 + i];
    }
    return value;
}

Sid Sid::prefix() const {
    Sid result = *this;
    if (subAuthorityCount() > 0) {
        result.bytes_.resize(result.bytes_.size() - 4);
        result.bytes_[1] = static_cast<std::uint8_t>(result.bytes_[1] - 1);
    }
    return result;
}

std::wstring Sid::toString() const {
    if (bytes_.empty()) {
        return {};
    }
    std::wstring text = L"S-" + std::to_wstring(bytes_[0]) + L"-";
    std::uint64_t auth = authority();
    if (auth < 0x100000000ull) {
        text += std::to_wstring(auth);
    } else {
        static const wchar_t kHex[] = L"0123456789ABCDEF";
        text += L"0x";
        for (int i = 11; i >= 0; --i) {
            text += kHex[(auth >> (4 * i)) & 0xF];
        }
    }
    for (std::size_t i = 0; i < subAuthorityCount(); ++i) {
        text += L'-';
        text += std::to_wstring(subAuthority(i));
    }
    return text;
}

std::size_t SidHash::operator()(const Sid& sid) const noexcept {
    std::size_t h = 1469598103934665603ull;
    for (std::uint8_t b : sid.bytes()) {
        h = (h ^ b) * 1099511628211ull;
    }
    return h;
}

namespace well_known {
Sid everyone() {
    return Sid::make(1, {0});
}
Sid creatorOwner() {
    return Sid::make(3, {0});
}
Sid creatorGroup() {
    return Sid::make(3, {1});
}
Sid localSystem() {
    return Sid::make(5, {18});
}
Sid administrators() {
    return Sid::make(5, {32, 544});
}
Sid users() {
    return Sid::make(5, {32, 545});
}
}  // namespace well_known

}  // namespace quorel
