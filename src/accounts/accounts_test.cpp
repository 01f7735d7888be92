#include <gtest/gtest.h>

#include <algorithm>

#include "accounts/account_lists.h"
#include "accounts/member_map.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"

namespace quorel {
namespace {

using test::AppendEntry;
using test::SetAces;

class MemberMapTest : public ::testing::Test {
  protected:
    MemberMapTest() {
        sim::SimAccounts& a = sim.accounts();
        const Sid u1 = a.addLocalUser(L"U1");
        const Sid u2 = a.addDomainUser(L"U2");
        u3 = a.addDomainUser(L"U3");
        const Sid g = a.addDomainGroup(L"G", {u2, u3});
        a.addLocalGroup(L"L", {u1, g});
        a.addLocalGroup(L"Empty");
        // Both nested groups name U2: it is listed once.
        a.addLocalGroup(L"Twice", {g, u2});
        entry = AppendEntry(list, nullptr, L"root");
        entry->setOwner(L"U1", L"SIMHOST");
        SetAces(entry, {{L"L", 1, 0, 0},
                        {L"Empty", 1, 0, 0},
                        {L"U1", 1, 0, 0},
                        {L"Twice", 1, 0, 0},
                        {L"L", 2, 0, 0}});
    }
    std::wstring text(const MemberMap& map, const wchar_t* name) {
        const std::wstring* t = map.membersOf(name);
        return t == nullptr ? L"(none)" : *t;
    }

    sim::SimPlatform sim;
    sim::RecordingInteraction ui;
    CDirList list{ui};
    CDirEntry* entry = nullptr;
    Sid u3;
};

TEST_F(MemberMapTest, DirectAndRecursiveMembersUsersAndEmptyGroups) {
    MemberMap map;
    map.Build(list, sim, false, MemberMap::Names::Accounts);
    EXPECT_EQ(text(map, L"L"), L"SIMHOST\\U1, SIMDOM\\G");
    EXPECT_EQ(text(map, L"U1"), L"(none)");
    EXPECT_EQ(text(map, L"Empty"), L"(none)");
    EXPECT_EQ(map.size(), 4u);  // each name once

    map.Build(list, sim, true, MemberMap::Names::Accounts);
    EXPECT_EQ(text(map, L"L"), L"SIMHOST\\U1, SIMDOM\\U2, SIMDOM\\U3");
    EXPECT_EQ(text(map, L"Twice"), L"SIMDOM\\U2, SIMDOM\\U3");
}

TEST_F(MemberMapTest, AGroupContainingItselfEndsAndTheControllerIsAskedOnce) {
    sim::SimAccounts& a = sim.accounts();
    const Sid outer = a.addDomainGroup(L"Outer");
    const Sid inner = a.addDomainGroup(L"Inner", {outer, u3});
    a.addMember(outer, inner);
    SetAces(entry, {{L"Outer", 1, 0, 0}});
    MemberMap map;
    int ticks = 0;
    map.Build(list, sim, true, MemberMap::Names::Accounts, [&] { return ++ticks < 1000; });
    EXPECT_EQ(text(map, L"Outer"), L"SIMDOM\\U3");
    EXPECT_LT(ticks, 20);
}

TEST_F(MemberMapTest, WithoutAControllerGlobalGroupsAreNeverAskedFor) {
    sim.accounts().setDomainControllerPresent(false);
    sim.counters() = {};
    MemberMap map;
    map.Build(list, sim, true, MemberMap::Names::Accounts);
    // L's local members are known; its domain group is listed by name.
    EXPECT_EQ(text(map, L"L"), L"SIMHOST\\U1, SIMDOM\\G");
    // One local question per name and per nested name, no global one.
    EXPECT_LE(sim.counters().groupMembers, 8u);
}

TEST_F(MemberMapTest, AText990000CharactersLongTakesOneMoreName) {
    // Two groups of 990 users (each "SIMDOM\\" and 991 characters, 1,000
    // with the comma): the first one's text is 990,000 characters long,
    // the second one's a character longer.
    sim::SimAccounts& a = sim.accounts();
    std::vector<Sid> users;
    for (int i = 0; i < 989; ++i) {
        users.push_back(a.addDomainUser(std::to_wstring(1000 + i) + std::wstring(987, L'u')));
    }
    std::vector<Sid> exact = users, over = users;
    exact.push_back(a.addDomainUser(std::wstring(993, L'x')));
    over.push_back(a.addDomainUser(std::wstring(994, L'y')));
    const Sid atBound = a.addDomainGroup(L"AtBound", exact);
    const Sid pastBound = a.addDomainGroup(L"PastBound", over);
    a.addLocalGroup(L"Big1", {atBound, u3});
    a.addLocalGroup(L"Big2", {pastBound, u3});
    SetAces(entry, {{L"Big1", 1, 0, 0}, {L"Big2", 1, 0, 0}});
    MemberMap map;
    map.Build(list, sim, true, MemberMap::Names::Accounts);
    const std::wstring big1 = text(map, L"Big1");
    ASSERT_EQ(big1.size(), MemberMap::kMaxText + 11);
    EXPECT_EQ(big1.substr(MemberMap::kMaxText), L", SIMDOM\\U3");
    EXPECT_EQ(text(map, L"Big2").size(), MemberMap::kMaxText + 1);
}

TEST_F(MemberMapTest, CancelStopsTheBuild) {
    MemberMap map;
    int ticks = 0;
    map.Build(list, sim, true, MemberMap::Names::Accounts, [&] { return ++ticks < 2; });
    EXPECT_LT(map.size(), 4u);
}

TEST(AccountLists, FourListsWithAndWithoutADomain) {
    sim::SimPlatform sim;
    sim.accounts().addLocalUser(L"localguy");
    sim.accounts().addDomainUser(L"domainguy");
    sim.accounts().addDomainGroup(L"Staff");
    AccountLists lists;
    lists.BuildAccountLists(sim);
    const auto has = [&](AccountLists::List l, const wchar_t* n) {
        const auto& v = lists.names(l);
        return std::find(v.begin(), v.end(), n) != v.end();
    };
    EXPECT_TRUE(has(AccountLists::LocalUsers, L"localguy"));
    EXPECT_FALSE(has(AccountLists::LocalUsers, L"domainguy"));
    EXPECT_TRUE(has(AccountLists::LocalGroups, L"Administrators"));
    EXPECT_TRUE(has(AccountLists::DomainUsers, L"domainguy"));
    EXPECT_TRUE(has(AccountLists::DomainGroups, L"Staff"));
    EXPECT_EQ(AccountLists::ListOf(L"Domain Groups"), 3);
    EXPECT_EQ(AccountLists::ListOf(L"domain groups"), -1);

    sim.accounts().setDomainControllerPresent(false);
    sim.accounts().addLocalUser(L"newcomer");
    lists.BuildOnce(sim);  // built already: unchanged
    EXPECT_FALSE(has(AccountLists::LocalUsers, L"newcomer"));
    lists.BuildAccountLists(sim);
    EXPECT_TRUE(has(AccountLists::LocalUsers, L"newcomer"));
    EXPECT_TRUE(lists.names(AccountLists::DomainUsers).empty());
    EXPECT_TRUE(lists.names(AccountLists::DomainGroups).empty());
}

}  // namespace
}  // namespace quorel
