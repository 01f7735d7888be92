#include "core/ace_record.h"

#include <gtest/gtest.h>

namespace quorel {
namespace {

AceRecord makeIn(AccountNames& names, const wchar_t* trustee, std::uint32_t mask,
                 std::uint8_t flags = 0, std::uint8_t type = 0, const wchar_t* domain = L"D") {
    AceRecord r;
    r.setTrustee(names, trustee, domain);
    r.set(mask, flags, type);
    return r;
}

TEST(AceRecord, SameAceComparesTrusteeTextCaseSensitivelyButNotDomain) {
    AccountNames names;
    auto make = [&](auto... args) { return makeIn(names, args...); };
    AceRecord a = make(L"alice", 0x1F01FF, 0x03);
    EXPECT_EQ(a.trustee(names), L"alice");
    EXPECT_EQ(a.domain(names), L"D");
    EXPECT_TRUE(a.sameAce(make(L"alice", 0x1F01FF, 0x03, 0, L"OTHER"), names));
    EXPECT_FALSE(a.sameAce(make(L"Alice", 0x1F01FF, 0x03), names));
    EXPECT_FALSE(a.sameAce(make(L"alice", 0x1F01FF, 0x13), names));
    EXPECT_FALSE(a.sameAce(make(L"alice", 0x1F01FF, 0x03, 1), names));
    EXPECT_FALSE(a.sameAce(make(L"alice", 0x1200A9, 0x03), names));
    EXPECT_TRUE(a.sameAceWithoutMask(make(L"alice", 0x1200A9, 0x03), names));
}

TEST(AceRecord, FlagTestsAndSize) {
    AccountNames names;
    AceRecord r = makeIn(names, L"u", 1, 0x18, 1);
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
