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
