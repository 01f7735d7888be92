#include "editing/orphan_check.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_platform.h"

namespace quorel {
namespace {

constexpr const wchar_t* kLocal = L"C:\\data\\f";
constexpr const wchar_t* kShare = L"\\\\FILES01\\data\\f";

TEST(OrphanCheck, OnlyASidTheHoldingComputerTwiceDoesNotNameInANamedDomainIsGone) {
    sim::SimPlatform sim;
    sim::SimAccounts& accounts = sim.accounts();
    const Sid gone = accounts.addLocalUser(L"gone");
    const Sid onceLate = accounts.addLocalUser(L"late");
    const Sid twiceLate = accounts.addLocalUser(L"later");
    const Sid fred = accounts.addServerUser(L"FILES01", L"fred");
    const Sid ghost = accounts.addServerUser(L"FILES01", L"ghost");
    const Sid dave = accounts.addDomainUser(L"dave");
    const Sid zoe = accounts.addForeignUser(L"FARDOM", L"zoe");
    for (const Sid& sid : {gone, ghost, dave, zoe, twiceLate}) {
        accounts.deleteAccount(sid);
    }
    accounts.setTrusted(L"FARDOM", false);
    accounts.timeOutLookups(onceLate, 1);
    // A deleted account whose first answer is late: its domain still names.
    accounts.timeOutLookups(twiceLate, 1);
    const struct {
        const char* what;
        Sid sid;
        const wchar_t* path;
        bool gone;
    } cases[] = {
        {"deleted local account", gone, kLocal, true},
        {"deleted, the first ask timed out", twiceLate, kLocal, true},
        {"existing, the first ask timed out", onceLate, kLocal, false},
        {"a server's account seen from here", fred, kLocal, false},
        {"the same on its server", fred, kShare, false},
        {"a deleted server account seen from here", ghost, kLocal, false},
        {"a deleted server account on its server", ghost, kShare, true},
        {"a deleted account of an untrusted domain", zoe, kLocal, false},
        {"never an account, its domain known", accounts.unknownSid(), kLocal, true},
        {"a capability", *Sid::fromString(L"S-1-15-3-1024-1065365936-1281604716"), kLocal, false},
        {"a well-known SID", well_known::localSystem(), kLocal, false},
    };
    OrphanCheck check(sim);
    for (const auto& c : cases) {
        EXPECT_EQ(check.gone(c.sid, c.path), c.gone) << c.what;
    }
    // Decided once per computer: no second round of lookups.
    const std::uint64_t asked = sim.counters().lookupSid;
    EXPECT_TRUE(check.gone(gone, L"C:\\other"));
    EXPECT_TRUE(check.gone(ghost, L"\\\\?\\UNC\\files01\\x"));
    EXPECT_FALSE(check.gone(ghost, L"D:\\y"));
    EXPECT_EQ(sim.counters().lookupSid, asked);
}

TEST(OrphanCheck, ADomainOutOfReachOrTimingOutNeverCounts) {
    sim::SimPlatform sim;
    sim::SimAccounts& accounts = sim.accounts();
    const Sid dave = accounts.addDomainUser(L"dave");
    const Sid gone = accounts.addLocalUser(L"gone");
    accounts.deleteAccount(dave);
    accounts.deleteAccount(gone);
    // The machine's domain times out three times: both asks and the
    // domain's own lookup.
    accounts.timeOutLookups(accounts.machineSid(), 3);
    accounts.setDomainControllerPresent(false);
    OrphanCheck check(sim);
    EXPECT_FALSE(check.gone(gone, kLocal));
    EXPECT_EQ(sim.counters().lookupSid, 3u);
    EXPECT_FALSE(check.gone(dave, kLocal));
    // Asked anew (another checker), the machine answers: gone.
    OrphanCheck later(sim);
    EXPECT_TRUE(later.gone(gone, kLocal));
    accounts.setDomainControllerPresent(true);
    EXPECT_TRUE(later.gone(dave, kLocal));
}

}  // namespace
}  // namespace quorel
