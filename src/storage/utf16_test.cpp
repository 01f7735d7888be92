#include "storage/utf16.h"

#include <gtest/gtest.h>

namespace quorel {
namespace {

std::vector<std::uint8_t> encode(std::wstring_view text) {
    std::vector<std::uint8_t> out;
    appendUtf16le(out, text);
    return out;
}

// The wstring functions are the codec of wchar_t's own width.
TEST(Utf16, WideTextIsTheCodecOfItsWidth) {
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F\xF0\x9F\x98\x80";
    const std::wstring text = fromUtf8(utf8);
    EXPECT_EQ(text, Utf16Codec<wchar_t>::fromUtf8(utf8));
    EXPECT_EQ(text.size(), sizeof(wchar_t) == 2 ? 6u : 5u);
    EXPECT_EQ(toUtf8(text), utf8);
    EXPECT_EQ(utf16Length(text), 6u);
    const std::vector<std::uint8_t> bytes = encode(text);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x47, 0, 0x72, 0, 0xFC, 0, 0xDF, 0, 0x3D, 0xD8,
                                                0x00, 0xDE}));
    EXPECT_EQ(decodeUtf16le(bytes.data(), 6), text);
    std::wstring reused = L"stale text";
    decodeUtf16leInto(bytes.data(), 2, reused);
    EXPECT_EQ(reused, L"Gr");
}

// The codec of both unit widths: 16 bits is wchar_t on Windows, 32 bits on
// Linux; the bytes on disk and the UTF-8 are the same for both.
template <class Unit>
class Codec : public ::testing::Test {
  protected:
    using C = Utf16Codec<Unit>;
    static constexpr bool kUtf16 = sizeof(Unit) == 2;
    // The units of `text` as numbers, for readable failures.
    static std::vector<std::uint32_t> units(const std::basic_string<Unit>& text) {
        return {text.begin(), text.end()};
    }
    static std::vector<std::uint8_t> encode(std::basic_string_view<Unit> text) {
        std::vector<std::uint8_t> out;
        C::append(out, text);
        return out;
    }
    static std::basic_string<Unit> decode(const std::vector<std::uint8_t>& bytes,
                                          std::size_t units) {
        std::basic_string<Unit> text(3, Unit('x'));  // stale content is dropped
        C::decodeInto(bytes.data(), units, text);
        return text;
    }
};
using UnitTypes = ::testing::Types<char16_t, char32_t>;
TYPED_TEST_SUITE(Codec, UnitTypes);

TYPED_TEST(Codec, CharactersBeyondBmpArePairsOnDiskAndInMemoryOnlyWhereUnitsAre16Bits) {
    using C = typename TestFixture::C;
    const auto smile = C::fromUtf8("a\xF0\x9F\x98\x80");  // a U+1F600
    const std::vector<std::uint32_t> expected =
        TestFixture::kUtf16 ? std::vector<std::uint32_t>{0x61, 0xD83D, 0xDE00}
                            : std::vector<std::uint32_t>{0x61, 0x1F600};
    EXPECT_EQ(TestFixture::units(smile), expected);
    EXPECT_EQ(C::length(smile), 3u);
    const std::vector<std::uint8_t> bytes = {0x61, 0, 0x3D, 0xD8, 0x00, 0xDE};
    EXPECT_EQ(TestFixture::encode(smile), bytes);
    EXPECT_EQ(TestFixture::decode(bytes, 3), smile);
    EXPECT_EQ(C::toUtf8(smile), "a\xF0\x9F\x98\x80");
    // The last character of the plane and the first beyond it.
    const auto last = C::fromUtf8("\xF4\x8F\xBF\xBF\xF4\x90\x80\x80");
    EXPECT_EQ(TestFixture::encode(last),
              (std::vector<std::uint8_t>{0xFF, 0xDB, 0xFF, 0xDF, 0xFD, 0xFF}));
    EXPECT_EQ(C::toUtf8(last), "\xF4\x8F\xBF\xBF\xEF\xBF\xBD");
}

TYPED_TEST(Codec, UnpairedSurrogatesRoundTripOnDiskAndBecomeReplacementInUtf8) {
    using C = typename TestFixture::C;
    // A high surrogate before an ordinary unit, a low one alone, and a high
    // one as the last unit read although a low one follows in the buffer.
    const std::vector<std::uint8_t> bytes = {0x00, 0xD8, 0x41, 0x00, 0x00,
                                             0xDC, 0xFF, 0xDB, 0x00, 0xDC};
    const auto text = TestFixture::decode(bytes, 4);
    EXPECT_EQ(TestFixture::units(text), (std::vector<std::uint32_t>{0xD800, 0x41, 0xDC00, 0xDBFF}));
    EXPECT_EQ(C::length(text), 4u);
    EXPECT_EQ(TestFixture::encode(text),
              std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8));
    EXPECT_EQ(C::toUtf8(text),
              "\xEF\xBF\xBD"
              "A\xEF\xBF\xBD\xEF\xBF\xBD");
    const auto pair = TestFixture::decode(bytes, 5);
    EXPECT_EQ(TestFixture::units(pair).back(), TestFixture::kUtf16 ? 0xDC00u : 0x10FC00u);
    if constexpr (TestFixture::kUtf16) {
        // A pair split only by the end of a view stays unpaired.
        EXPECT_EQ(C::toUtf8(std::basic_string_view<TypeParam>(pair).substr(0, 4)), C::toUtf8(text));
    }
}

TYPED_TEST(Codec, Utf8EncodingLengthsChangeAtTheirLimits) {
    using C = typename TestFixture::C;
    const std::string utf8 =
        "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"
        "\xF0\x90\x80\x80";
    const auto text = C::fromUtf8(utf8);
    std::vector<std::uint32_t> expected = {0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFF};
    if (TestFixture::kUtf16) {
        expected.insert(expected.end(), {0xD800, 0xDC00});
    } else {
        expected.push_back(0x10000);
    }
    EXPECT_EQ(TestFixture::units(text), expected);
    EXPECT_EQ(C::toUtf8(text), utf8);
}

TYPED_TEST(Codec, InvalidUtf8BecomesOneReplacementPerBadSequence) {
    using C = typename TestFixture::C;
    const std::vector<std::uint32_t> one = {0xFFFD};
    EXPECT_EQ(TestFixture::units(C::fromUtf8("\xC1\xBF")), one);          // overlong U+007F
    EXPECT_EQ(TestFixture::units(C::fromUtf8("\xE0\x9F\xBF")), one);      // overlong U+07FF
    EXPECT_EQ(TestFixture::units(C::fromUtf8("\xF0\x8F\xBF\xBF")), one);  // overlong U+FFFF
    EXPECT_EQ(TestFixture::units(C::fromUtf8("\xED\xBF\xBF")), one);      // encoded U+DFFF
    EXPECT_EQ(TestFixture::units(C::fromUtf8("\xF8\x88\x80\x80")),
              (std::vector<std::uint32_t>(4, 0xFFFD)));  // no five-byte forms
    // A sequence cut by the end of the text, though its continuation bytes
    // follow in memory: each lead and continuation byte is one replacement.
    const std::string full = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(TestFixture::units(C::fromUtf8(std::string_view(full).substr(0, 1))), one);
    EXPECT_EQ(TestFixture::units(C::fromUtf8(std::string_view(full).substr(2, 2))),
              (std::vector<std::uint32_t>(2, 0xFFFD)));
    EXPECT_EQ(TestFixture::units(C::fromUtf8(std::string_view(full).substr(5, 3))),
              (std::vector<std::uint32_t>(3, 0xFFFD)));
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
