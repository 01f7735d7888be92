#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorel {

// Every file format of the system stores text as UTF-16LE. std::wstring is
// UTF-16 on Windows but UTF-32 on Linux; these functions are the one place
// that converts, with surrogate pairs for characters beyond U+FFFF. An
// unpaired surrogate is kept as it is, so any UTF-16 text round-trips.
//
// The conversions depend on the width of the unit type only: Utf16Codec
// holds them for 16-bit units (UTF-16 in memory, as wchar_t on Windows) and
// 32-bit units (one unit per character, as wchar_t on Linux), so both
// layouts are built and tested on every host. The wstring functions below
// are the codec of wchar_t.
template <class Unit>
struct Utf16Codec {
    static_assert(sizeof(Unit) == 2 || sizeof(Unit) == 4);
    using Text = std::basic_string<Unit>;
    using View = std::basic_string_view<Unit>;

    static std::size_t length(View text);
    static void append(std::vector<std::uint8_t>& out, View text);
    static void decodeInto(const std::uint8_t* data, std::size_t units, Text& out);
    static std::string toUtf8(View text);
    static Text fromUtf8(std::string_view text);
};

extern template struct Utf16Codec<char16_t>;
extern template struct Utf16Codec<char32_t>;
extern template struct Utf16Codec<wchar_t>;

// Number of UTF-16 units of `text`.
std::size_t utf16Length(std::wstring_view text);
// Appends `text` as UTF-16LE, without terminator.
void appendUtf16le(std::vector<std::uint8_t>& out, std::wstring_view text);
// Decodes `units` UTF-16LE units from `data`.
std::wstring decodeUtf16le(const std::uint8_t* data, std::size_t units);
// The same into `out`, whose storage is reused: no allocation once it is
// large enough.
void decodeUtf16leInto(const std::uint8_t* data, std::size_t units, std::wstring& out);
// UTF-8 of `text` (for console output and UTF-8 CSV); an unpaired
// surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view text);
// Decodes UTF-8 (command-line arguments on Linux); invalid bytes become
// U+FFFD.
std::wstring fromUtf8(std::string_view text);

void appendU16(std::vector<std::uint8_t>& out, std::uint16_t value);
void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value);
std::uint16_t readU16(const std::uint8_t* p);
std::uint32_t readU32(const std::uint8_t* p);

}  // namespace quorel
