#include "platform/text.h"

namespace quorel {

wchar_t foldCase(wchar_t c) {
    const unsigned u = static_cast<unsigned>(c);
    if (u < 0x80) {
        return (u >= 'a' && u <= 'z') ? static_cast<wchar_t>(u - 0x20) : c;
    }
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) {
        return static_cast<wchar_t>(u - 0x20);
    }
    if (u == 0xFF) {
        return static_cast<wchar_t>(0x178);
    }
    if (u == 0xB5) {
        return static_cast<wchar_t>(0x39C);
    }
    // Latin Extended-A: upper case at the even (or odd) member of each pair.
    if ((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177)) {
        return (u & 1) ? static_cast<wchar_t>(u - 1) : c;
    }
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) {
        return (u & 1) ? c : static_cast<wchar_t>(u - 1);
    }
    // Greek and Cyrillic basic letters.
    if (u >= 0x3B1 && u <= 0x3CB && u != 0x3C2) {
        return static_cast<wchar_t>(u - 0x20);
    }
    if (u == 0x3C2) {
        return static_cast<wchar_t>(0x3A3);
    }
    if (u >= 0x430 && u <= 0x44F) {
        return static_cast<wchar_t>(u - 0x20);
    }
    if (u >= 0x450 && u <= 0x45F) {
        return static_cast<wchar_t>(u - 0x50);
    }
    if (u >= 0x460 && u <= 0x4FF && u != 0x482 && !(u >= 0x483 && u <= 0x489)) {
        if ((u >= 0x460 && u <= 0x481) || (u >= 0x48A && u <= 0x4BF) ||
            (u >= 0x4D0 && u <= 0x4FF)) {
            return (u & 1) ? static_cast<wchar_t>(u - 1) : c;
        }
    }
    // Fullwidth Latin letters.
    if (u >= 0xFF41 && u <= 0xFF5A) {
        return static_cast<wchar_t>(u - 0x20);
    }
    return c;
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
