#include "storage/utf16.h"

#include <gtest/gtest.h>

namespace quorel {
namespace {

std::vector<std::uint8_t> encode(std::wstring_view text) {
    std::vector<std::uint8_t> out;
    appendUtf16le(out, text);
    return out;
}

TEST(Utf16, EncodesBmpAndSurrogatePairsLittleEndian) {
    EXPECT_EQ(encode(L"A\u00e9"), (std::vector<std::uint8_t>{0x41, 0, 0xE9, 0}));
    const std::wstring smile = fromUtf8("\xF0\x9F\x98\x80");  // U+1F600
    EXPECT_EQ(encode(smile), (std::vector<std::uint8_t>{0x3D, 0xD8, 0x00, 0xDE}));
    EXPECT_EQ(utf16Length(smile), 2u);
    EXPECT_EQ(utf16Length(L"abc"), 3u);
}

TEST(Utf16, DecodeRoundTripsEverythingIncludingLoneSurrogates) {
    const std::wstring smile = fromUtf8("x\xF0\x9F\x98\x80y");
    std::vector<std::uint8_t> bytes = encode(smile);
    EXPECT_EQ(decodeUtf16le(bytes.data(), bytes.size() / 2), smile);
    // A lone high surrogate followed by an ordinary unit.
    const std::vector<std::uint8_t> lone = {0x00, 0xD8, 0x41, 0x00};
    std::wstring decoded = decodeUtf16le(lone.data(), 2);
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(static_cast<std::uint32_t>(decoded[0]), 0xD800u);
    EXPECT_EQ(encode(decoded), lone);
}

TEST(Utf16, Utf8ConversionReplacesInvalidInput) {
    EXPECT_EQ(toUtf8(L"Gr\u00fc\u00dfe"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(fromUtf8("Gr\xC3\xBC\xC3\x9F"
                       "e"),
              L"Gr\u00fc\u00dfe");
    EXPECT_EQ(fromUtf8("a\xFF"
                       "b"),
              L"a\uFFFDb");
    EXPECT_EQ(fromUtf8("\xC3"), L"\uFFFD");          // truncated sequence
    EXPECT_EQ(fromUtf8("\xC0\x80"), L"\uFFFD");      // overlong NUL
    EXPECT_EQ(fromUtf8("\xED\xA0\x80"), L"\uFFFD");  // encoded surrogate
    const std::vector<std::uint8_t> lone = {0x00, 0xD8};
    EXPECT_EQ(toUtf8(decodeUtf16le(lone.data(), 1)), "\xEF\xBF\xBD");
}

TEST(Utf16, IntegersAreLittleEndian) {
    std::vector<std::uint8_t> out;
    appendU16(out, 0x1234);
    appendU32(out, 0xA1B2C3D4);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1}));
    EXPECT_EQ(readU16(out.data()), 0x1234);
    EXPECT_EQ(readU32(out.data() + 2), 0xA1B2C3D4u);
}

}  // namespace
}  // namespace quorel
