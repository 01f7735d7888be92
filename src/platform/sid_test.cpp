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

// An ACE written byte by byte as the structure pages lay it out: header,
// mask, for object types the Flags field and the GUIDs it announces, the
// SID, then `trailing` (a callback ACE's application data).
RawAce handMade(std::uint8_t type, std::uint32_t objectFlags, const Sid& sid,
                std::vector<std::uint8_t> trailing = {}) {
    std::vector<std::uint8_t> b = {type, 0x12, 0, 0, 0xA9, 0x00, 0x12, 0x00};
    if (ace_type::isObjectType(type)) {
        b.insert(b.end(), {static_cast<std::uint8_t>(objectFlags), 0, 0, 0});
        const int guids = ((objectFlags & 1) != 0) + ((objectFlags & 2) != 0);
        for (int i = 0; i < 16 * guids; ++i) {
            b.push_back(static_cast<std::uint8_t>(b.size()));
        }
    }
    b.insert(b.end(), sid.bytes().begin(), sid.bytes().end());
    b.insert(b.end(), trailing.begin(), trailing.end());
    b[2] = static_cast<std::uint8_t>(b.size());
    return RawAce{b};
}

TEST(RawAce, ObjectAceSidSitsWhereItsFlagsPutIt) {
    const Sid sid = *Sid::fromString(L"S-1-5-21-1-2-3-1104");
    for (std::uint8_t type : {5, 6, 7, 8, 0x0B, 0x0C, 0x0F, 0x10}) {
        for (std::uint32_t objectFlags : {0u, 1u, 2u, 3u}) {
            SCOPED_TRACE(testing::Message() << "type " << int(type) << " flags " << objectFlags);
            const RawAce ace = handMade(type, objectFlags, sid);
            const std::size_t expected = objectFlags == 0 ? 12 : objectFlags == 3 ? 44 : 28;
            EXPECT_EQ(ace.sidOffset(), expected);
            EXPECT_EQ(ace.sid(), sid);
            EXPECT_EQ(ace.mask(), 0x1200A9u);
            EXPECT_EQ(RawAce::makeObject(type, 0x12, 0x1200A9, sid, objectFlags), ace);
        }
    }
}

TEST(RawAce, OtherTypesHaveTheSidAtByte8AndCallbackDataAfterIt) {
    const Sid sid = well_known::users();
    for (std::uint8_t type : {0, 1, 2, 9, 0x0A, 0x0D, 0x0E, 0x11, 0x12, 0x13}) {
        const RawAce ace = handMade(type, 0, sid, {'a', 'r', 't', 'x', 0, 0, 0, 0});
        EXPECT_EQ(ace.sidOffset(), 8u) << int(type);
        EXPECT_EQ(ace.sid(), sid) << int(type);
    }
    RawAce expected = handMade(1, 0, sid);
    expected.setFlags(0x03);
    expected.setMask(0x10000);
    EXPECT_EQ(RawAce::make(1, 0x03, 0x10000, sid), expected);
}

TEST(RawAce, ObjectAceTooShortForItsGuidsHasNoSid) {
    RawAce ace = handMade(5, 3, well_known::users());
    ace.bytes.resize(44);
    EXPECT_FALSE(ace.sid().has_value());
    ace.bytes.resize(10);
    EXPECT_FALSE(ace.sid().has_value());
}

TEST(RawAce, ReplacingTheSidKeepsTheGuidsAndACallbackAcesApplicationData) {
    const Sid small = well_known::users();                       // 16 bytes
    const Sid large = *Sid::fromString(L"S-1-5-21-7-8-9-1104");  // 28 bytes
    const std::vector<std::uint8_t> data = {'a', 'r', 't', 'x', 1, 2, 3, 4};
    for (std::uint8_t type : {5, 6, 0x0B, 0x0C, 0x0F, 0x10}) {
        for (std::uint32_t objectFlags : {0u, 1u, 2u, 3u}) {
            SCOPED_TRACE(testing::Message() << "type " << int(type) << " flags " << objectFlags);
            const std::vector<std::uint8_t> trailing =
                type >= 0x0B ? data : std::vector<std::uint8_t>{};
            const RawAce ace = handMade(type, objectFlags, small, trailing);
            EXPECT_EQ(ace.withSid(large), handMade(type, objectFlags, large, trailing));
            EXPECT_EQ(ace.withSid(large).withSid(small), ace);
        }
    }
    for (std::uint8_t type : {9, 0x0A, 0x0D}) {
        const RawAce ace = handMade(type, 0, small, data);
        const RawAce replaced = ace.withSid(large);
        EXPECT_EQ(replaced, handMade(type, 0, large, data)) << int(type);
        EXPECT_EQ(replaced.bytes[2], 8 + 28 + 8);
    }
}

TEST(RawAce, TruncatedAceHasNoSid) {
    RawAce ace = RawAce::make(0, 0, 1, well_known::users());
    ace.bytes.resize(12);
    EXPECT_FALSE(ace.sid().has_value());
}

}  // namespace
}  // namespace quorel
