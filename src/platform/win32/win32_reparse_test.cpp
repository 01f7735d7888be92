#include "platform/win32/win32_reparse.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorel::win32 {
namespace {

void putU16(std::vector<std::uint8_t>& data, std::uint16_t value) {
    data.push_back(static_cast<std::uint8_t>(value));
    data.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putU32(std::vector<std::uint8_t>& data, std::uint32_t value) {
    putU16(data, static_cast<std::uint16_t>(value));
    putU16(data, static_cast<std::uint16_t>(value >> 16));
}

void putText(std::vector<std::uint8_t>& data, const std::wstring& text, bool nul) {
    for (wchar_t c : text) {
        putU16(data, static_cast<std::uint16_t>(c));
    }
    if (nul) {
        putU16(data, 0);
    }
}

// FSCTL_GET_REPARSE_POINT data of a junction: tag, data length, reserved,
// the four name offsets and lengths, then the path buffer at byte 16 with
// both names NUL-terminated.
std::vector<std::uint8_t> junctionData(const std::wstring& substitute, const std::wstring& print) {
    std::vector<std::uint8_t> data;
    putU32(data, 0xA0000003);  // IO_REPARSE_TAG_MOUNT_POINT
    const auto subBytes = static_cast<std::uint16_t>(substitute.size() * 2);
    const auto printBytes = static_cast<std::uint16_t>(print.size() * 2);
    putU16(data, static_cast<std::uint16_t>(8 + subBytes + 2 + printBytes + 2));
    putU16(data, 0);
    putU16(data, 0);
    putU16(data, subBytes);
    putU16(data, static_cast<std::uint16_t>(subBytes + 2));
    putU16(data, printBytes);
    putText(data, substitute, true);
    putText(data, print, true);
    return data;
}

// The same for a symbolic link: the flags field moves the path buffer to
// byte 20, and the names carry no NUL.
std::vector<std::uint8_t> symlinkData(const std::wstring& substitute, const std::wstring& print) {
    std::vector<std::uint8_t> data;
    putU32(data, 0xA000000C);  // IO_REPARSE_TAG_SYMLINK
    const auto subBytes = static_cast<std::uint16_t>(substitute.size() * 2);
    const auto printBytes = static_cast<std::uint16_t>(print.size() * 2);
    putU16(data, static_cast<std::uint16_t>(12 + subBytes + printBytes));
    putU16(data, 0);
    putU16(data, 0);
    putU16(data, subBytes);
    putU16(data, subBytes);
    putU16(data, printBytes);
    putU32(data, 0);  // absolute link
    putText(data, substitute, false);
    putText(data, print, false);
    return data;
}

TEST(ReparseTargetText, SymbolicLinkGivesItsSubstituteName) {
    const auto data = symlinkData(L"\\??\\C:\\target", L"C:\\target");
    ASSERT_EQ(data.size(), 20u + 2 * 22);
    // No NUL between the names: the length in the header ends the text.
    EXPECT_EQ(reparseTargetText(data.data(), data.size()), L"\\??\\C:\\target");
}

TEST(ReparseTargetText, JunctionGivesItsWholeSubstituteName) {
    // The junction's path buffer starts at byte 16, four bytes before a
    // symbolic link's.
    const auto data = junctionData(L"\\??\\C:\\target", L"C:\\target");
    EXPECT_EQ(reparseTargetText(data.data(), data.size()), L"\\??\\C:\\target");
}

TEST(ReparseTargetText, NonAsciiAndSurrogatePairsPassThrough) {
    const std::wstring name = L"C:\\Gr\u00fc\u00dfe_\u65e5\u672c_\xD83D\xDE00";
    const auto data = symlinkData(name, L"");
    EXPECT_EQ(reparseTargetText(data.data(), data.size()), name);
}

TEST(ReparseTargetText, OtherTagsAndShortDataGiveNothing) {
    auto data = symlinkData(L"\\??\\C:\\x", L"C:\\x");
    EXPECT_EQ(reparseTargetText(data.data(), 0), L"");
    EXPECT_EQ(reparseTargetText(nullptr, 100), L"");
    // Cut inside the substitute name: the name claims more than there is.
    EXPECT_EQ(reparseTargetText(data.data(), 25), L"");
    EXPECT_EQ(reparseTargetText(data.data(), 20 + 16), L"\\??\\C:\\x");
    data[0] = 0x13;  // some other tag (e.g. a deduplicated file)
    EXPECT_EQ(reparseTargetText(data.data(), data.size()), L"");
}

TEST(ReparseTargetText, OffsetsPointingPastTheDataAreRefused) {
    auto data = junctionData(L"\\??\\C:\\t", L"C:\\t");
    data[8] = 0xF0;  // substitute name offset far beyond the data
    data[9] = 0xFF;
    EXPECT_EQ(reparseTargetText(data.data(), data.size()), L"");
}

}  // namespace
}  // namespace quorel::win32
