#include "platform/sid.h"

#include <gtest/gtest.h>

#include "platform/security_descriptor.h"

namespace quorel {
namespace {

TEST(Sid, StringRoundTripOfWellKnownAndDomainSids) {
    for (const wchar_t* text : {L"S-1-1-0", L"S-1-3-0", L"S-1-3-1", L"S-1-5-18", L"S-1-5-32-544",
                                L"S-1-5-21-3623811015-3361044348-30300820-1013"}) {
        auto sid = Sid::fromString(text);
        ASSERT_TRUE(sid.has_value()) << text;
        EXPECT_EQ(sid->toString(), text);
    }
}

TEST(Sid, BinaryLayoutIsWindowsLayout) {
    Sid sid = *Sid::fromString(L"S-1-5-32-544");
    const std::vector<std::uint8_t> expected = {1,  2, 0, 0, 0,    0,    0, 5,
                                                32, 0, 0, 0, 0x20, 0x02, 0, 0};
    EXPECT_EQ(sid.bytes(), expected);
    EXPECT_EQ(sid, well_known::administrators());
    EXPECT_EQ(sid.prefix().toString(), L"S-1-5-32");
}

TEST(Sid, LargeAuthorityIsWrittenInHex) {
    Sid sid = Sid::make(0x123456789ABCull, {7});
    EXPECT_EQ(sid.toString(), L"S-1-0x123456789ABC-7");
    EXPECT_EQ(Sid::fromString(L"S-1-0x123456789ABC-7"), sid);
}

TEST(Sid, RejectsMalformedText) {
    for (const wchar_t* text :
         {L"", L"S", L"S-", L"S-1", L"S-2-5", L"S-1-5-", L"S-1--5", L"X-1-5",
          L"S-1-5-32-4294967296", L"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16", L"S-1-5-3a"}) {
        EXPECT_FALSE(Sid::fromString(text).has_value()) << std::wstring(text).size();
    }
    EXPECT_TRUE(Sid::fromString(L"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15").has_value());
}

TEST(Sid, FromBytesNeedsTheWholeSid) {
    Sid sid = well_known::users();
    const auto& b = sid.bytes();
    EXPECT_FALSE(Sid::fromBytes(b.data(), b.size() - 1).has_value());
    EXPECT_EQ(Sid::fromBytes(b.data(), b.size() + 0), sid);
    std::vector<std::uint8_t> bad = b;
    bad[1] = 16;
    EXPECT_FALSE(Sid::fromBytes(bad.data(), bad.size()).has_value());
}

TEST(RawAce, SidOffsetIs44ForObjectAceTypes) {
    Sid sid = well_known::users();
    for (std::uint8_t type = 5; type <= 8; ++type) {
        RawAce ace = RawAce::makeObject(type, 0x12, 0x1200A9, sid);
        EXPECT_EQ(ace.sidOffset(), 44u);
        EXPECT_EQ(ace.sid(), sid);
        EXPECT_EQ(ace.mask(), 0x1200A9u);
        EXPECT_EQ(ace.flags(), 0x12);
    }
    RawAce plain = RawAce::make(1, 0x03, 0x10000, sid);
    EXPECT_EQ(plain.sidOffset(), 8u);
    EXPECT_EQ(plain.sid(), sid);
    EXPECT_EQ(plain.bytes.size(), 8u + sid.bytes().size());
    EXPECT_EQ(plain.bytes[2], plain.bytes.size());
}

TEST(RawAce, TruncatedAceHasNoSid) {
    RawAce ace = RawAce::make(0, 0, 1, well_known::users());
    ace.bytes.resize(12);
    EXPECT_FALSE(ace.sid().has_value());
}

}  // namespace
}  // namespace quorel
