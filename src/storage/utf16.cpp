#include "storage/utf16.h"

namespace quorel {

namespace {

// Where units are 16 bits the text in memory is UTF-16 and a character
// beyond U+FFFF is a surrogate pair; where they are 32 bits it is one unit.
template <class Unit>
constexpr bool kUnitsAreUtf16 = sizeof(Unit) == 2;

bool isHighSurrogate(std::uint32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(std::uint32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

std::uint32_t combineSurrogates(std::uint32_t high, std::uint32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// A character beyond U+FFFF held in one 32-bit unit.
bool beyondBmp(std::uint32_t c) {
    return c > 0xFFFFu && c <= 0x10FFFFu;
}

void putUnit(std::vector<std::uint8_t>& out, std::uint32_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
}

// Appends code point `c` as one unit, or as a surrogate pair where units are
// UTF-16.
template <class Unit>
void pushCodePoint(std::basic_string<Unit>& out, std::uint32_t c) {
    if (kUnitsAreUtf16<Unit> && c > 0xFFFF) {
        out.push_back(static_cast<Unit>(0xD800 + ((c - 0x10000) >> 10)));
        out.push_back(static_cast<Unit>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
        out.push_back(static_cast<Unit>(c));
    }
}

// Code points of `text`, pairing surrogates where units are UTF-16.
template <class Unit, class F>
void forEachCodePoint(std::basic_string_view<Unit> text, F f) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint32_t>(text[i]);
        if (kUnitsAreUtf16<Unit> && isHighSurrogate(c) && i + 1 < text.size()) {
            const std::uint32_t low = static_cast<std::uint32_t>(text[i + 1]);
            if (isLowSurrogate(low)) {
                c = combineSurrogates(c, low);
                ++i;
            }
        }
        f(c);
    }
}

}  // namespace

template <class Unit>
std::size_t Utf16Codec<Unit>::length(View text) {
    if constexpr (kUnitsAreUtf16<Unit>) {
        return text.size();
    } else {
        std::size_t n = 0;
        for (Unit c : text) {
            n += beyondBmp(static_cast<std::uint32_t>(c)) ? 2 : 1;
        }
        return n;
    }
}

template <class Unit>
void Utf16Codec<Unit>::append(std::vector<std::uint8_t>& out, View text) {
    for (Unit unit : text) {
        const std::uint32_t c = static_cast<std::uint32_t>(unit);
        if (!kUnitsAreUtf16<Unit> && beyondBmp(c)) {
            putUnit(out, 0xD800 + ((c - 0x10000) >> 10));
            putUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            putUnit(out, c & 0xFFFF);
        }
    }
}

template <class Unit>
void Utf16Codec<Unit>::decodeInto(const std::uint8_t* data, std::size_t units, Text& text) {
    text.clear();
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t c = readU16(data + 2 * i);
        if (!kUnitsAreUtf16<Unit> && isHighSurrogate(c) && i + 1 < units) {
            const std::uint32_t low = readU16(data + 2 * (i + 1));
            if (isLowSurrogate(low)) {
                c = combineSurrogates(c, low);
                ++i;
            }
        }
        text.push_back(static_cast<Unit>(c));
    }
}

template <class Unit>
std::string Utf16Codec<Unit>::toUtf8(View text) {
    std::string out;
    out.reserve(text.size());
    forEachCodePoint(text, [&out](std::uint32_t c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    });
    return out;
}

template <class Unit>
typename Utf16Codec<Unit>::Text Utf16Codec<Unit>::fromUtf8(std::string_view text) {
    Text out;
    std::size_t i = 0;
    auto cont = [&text](std::size_t at) {
        return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    };
    while (i < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        std::uint32_t c = 0xFFFD;
        std::size_t n = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0 && cont(i + 1)) {
            c = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            n = 2;
            if (c < 0x80) {
                c = 0xFFFD;
            }
        } else if ((b & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
            c = ((b & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            n = 3;
            if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) {
                c = 0xFFFD;
            }
        } else if ((b & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            c = ((b & 0x07u) << 18) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 12) |
                ((static_cast<unsigned char>(text[i + 2]) & 0x3Fu) << 6) |
                (static_cast<unsigned char>(text[i + 3]) & 0x3Fu);
            n = 4;
            if (c < 0x10000 || c > 0x10FFFF) {
                c = 0xFFFD;
            }
        }
        i += n;
        pushCodePoint(out, c);
    }
    return out;
}

template struct Utf16Codec<char16_t>;
template struct Utf16Codec<char32_t>;
template struct Utf16Codec<wchar_t>;

std::size_t utf16Length(std::wstring_view text) {
    return Utf16Codec<wchar_t>::length(text);
}

void appendUtf16le(std::vector<std::uint8_t>& out, std::wstring_view text) {
    Utf16Codec<wchar_t>::append(out, text);
}

void decodeUtf16leInto(const std::uint8_t* data, std::size_t units, std::wstring& text) {
    Utf16Codec<wchar_t>::decodeInto(data, units, text);
}

std::wstring decodeUtf16le(const std::uint8_t* data, std::size_t units) {
    std::wstring text;
    text.reserve(units);
    decodeUtf16leInto(data, units, text);
    return text;
}

std::string toUtf8(std::wstring_view text) {
    return Utf16Codec<wchar_t>::toUtf8(text);
}

std::wstring fromUtf8(std::string_view text) {
    return Utf16Codec<wchar_t>::fromUtf8(text);
}

void appendU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    putUnit(out, value);
}

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::uint16_t readU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t readU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace quorel
