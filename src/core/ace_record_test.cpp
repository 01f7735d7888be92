#include "core/ace_record.h"

#include <gtest/gtest.h>

namespace quorel {
namespace {

AceRecord make(const wchar_t* trustee, std::uint32_t mask, std::uint8_t flags = 0,
               std::uint8_t type = 0, const wchar_t* domain = L"D") {
    AceRecord r;
    r.setTrustee(trustee, domain);
    r.set(mask, flags, type);
    return r;
}

TEST(AceRecord, SameAceComparesTrusteeTextCaseSensitivelyButNotDomain) {
    AceRecord a = make(L"alice", 0x1F01FF, 0x03);
    EXPECT_TRUE(a.sameAce(make(L"alice", 0x1F01FF, 0x03, 0, L"OTHER")));
    EXPECT_FALSE(a.sameAce(make(L"Alice", 0x1F01FF, 0x03)));
    EXPECT_FALSE(a.sameAce(make(L"alice", 0x1F01FF, 0x13)));
    EXPECT_FALSE(a.sameAce(make(L"alice", 0x1F01FF, 0x03, 1)));
    EXPECT_FALSE(a.sameAce(make(L"alice", 0x1200A9, 0x03)));
    EXPECT_TRUE(a.sameAceWithoutMask(make(L"alice", 0x1200A9, 0x03)));
}

TEST(AceRecord, SameTrusteeUnderMasksLooksOnlyAtTheGivenBits) {
    AceRecord a = make(L"bob", 0x1200A9, 0x13);
    AceRecord b = make(L"bob", 0x1200A9 | 0x2, 0x03);
    EXPECT_TRUE(a.sameTrusteeUnderMasks(b, 0x1200A9, 0x03));
    EXPECT_FALSE(a.sameTrusteeUnderMasks(b, 0x1200AB, 0x03));
    EXPECT_FALSE(a.sameTrusteeUnderMasks(b, 0x1200A9, 0x13));
    EXPECT_FALSE(a.sameTrusteeUnderMasks(make(L"carol", 0x1200A9, 0x13), 0x1200A9, 0x03));
}

TEST(AceRecord, ExtraRightsOfAllowAndDenyRecords) {
    AceRecord wide = make(L"u", 0x1F01FF);
    AceRecord narrow = make(L"u", 0x1200A9);
    EXPECT_TRUE(wide.extraRights(narrow, 0x2));
    EXPECT_FALSE(narrow.extraRights(wide, 0x2));
    EXPECT_FALSE(wide.extraRights(narrow, 0x1));  // both have it
    // A deny record "has more" when the other denies a bit it does not.
    AceRecord denyNarrow = make(L"u", 0x10000, 0, 1);
    AceRecord denyWide = make(L"u", 0x10002, 0, 1);
    EXPECT_TRUE(denyNarrow.extraRights(denyWide, 0x2));
    EXPECT_FALSE(denyWide.extraRights(denyNarrow, 0x2));
    // Different type, different trustee or a hidden record: never.
    EXPECT_FALSE(wide.extraRights(denyNarrow, 0xFFFFFFFF));
    EXPECT_FALSE(wide.extraRights(make(L"v", 0), 0xFFFFFFFF));
    AceRecord hidden = narrow;
    hidden.visible = 0;
    EXPECT_FALSE(wide.extraRights(hidden, 0x2));
}

TEST(AceRecord, FlagTestsAndSize) {
    AceRecord r = make(L"u", 1, 0x18, 1);
    EXPECT_TRUE(r.isDeny());
    EXPECT_TRUE(r.inheritOnly());
    EXPECT_TRUE(r.inherited());
    EXPECT_EQ(r.flagsAsRead, 0x18);
    r.aceFlags = 0;
    EXPECT_EQ(r.flagsAsRead, 0x18);  // the copy taken when filled stays
    EXPECT_FALSE(r.inheritOnly());
    static_assert(sizeof(AceRecord) == 16);
}

}  // namespace
}  // namespace quorel
