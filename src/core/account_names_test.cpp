#include "core/account_names.h"

#include <gtest/gtest.h>

namespace quorel {
namespace {

TEST(AccountNames, OneIdPerNameAndDomainAndTheSidSetLast) {
    AccountNames names;
    const std::uint32_t corp = names.intern(L"alice", L"CORP");
    const std::uint32_t host = names.intern(L"alice", L"HOST");
    EXPECT_EQ(names.intern(L"alice", L"CORP"), corp);
    EXPECT_NE(host, corp);
    EXPECT_EQ(names.nameId(host), names.nameId(corp));
    EXPECT_EQ(names.domain(host), L"HOST");
    const Sid first = *Sid::fromString(L"S-1-5-21-7-7-7-1001");
    const Sid second = *Sid::fromString(L"S-1-5-21-7-7-7-1002");
    names.setSid(corp, first);
    names.setSid(host, second);
    names.setSid(corp, second);
    ASSERT_NE(names.sid(corp), nullptr);
    EXPECT_EQ(*names.sid(corp), second);
    EXPECT_EQ(*names.sid(host), second);
}

TEST(AccountNames, IdZeroAndTheIdOnePastTheTableNameNothing) {
    AccountNames names;
    names.intern(L"alice", L"CORP");
    const auto past = static_cast<std::uint32_t>(names.accountCount());
    const Sid sid = *Sid::fromString(L"S-1-5-32-544");
    for (std::uint32_t id : {0u, past}) {
        EXPECT_FALSE(names.nameSet(id)) << id;
        EXPECT_FALSE(names.domainSet(id)) << id;
        EXPECT_EQ(names.name(id), L"") << id;
        names.setSid(id, sid);
        EXPECT_EQ(names.sid(id), nullptr) << id;
    }
    EXPECT_EQ(names.accountCount(), past);
    EXPECT_EQ(names.text(static_cast<std::uint32_t>(names.textCount())), L"");
}

TEST(AccountNames, NameIdsOfAnotherTableAreTranslatedByText) {
    AccountNames names;
    AccountNames other;
    other.intern(L"filler", L"");
    const std::uint32_t bob = names.intern(L"bob", L"CORP");
    const std::uint32_t empty = names.intern(L"", L"CORP");
    EXPECT_EQ(names.findText(L"bob"), names.nameId(bob));
    EXPECT_EQ(names.findText(L"carol"), AccountNames::kNoText);
    EXPECT_EQ(names.textCount(), 4u);  // finding adds nothing
    EXPECT_EQ(names.nameIdOf(other, other.intern(L"bob", L"HOST")), names.nameId(bob));
    EXPECT_EQ(names.nameIdOf(other, other.intern(L"", L"")), names.nameId(empty));
    EXPECT_EQ(names.nameIdOf(other, other.intern(L"carol", L"")), AccountNames::kNoText);
    EXPECT_EQ(names.nameIdOf(other, 0), 0u);  // unset stays unset, not the empty text
    EXPECT_EQ(names.nameIdOf(names, empty), names.nameId(empty));
}

}  // namespace
}  // namespace quorel
