#include "platform/sim/sim_platform.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/win_error.h"

namespace quorel::sim {
namespace {

// The names of a listing; `error` receives the error of the opening, then
// what ended the listing.
std::vector<std::wstring> listNames(SimPlatform& sim, const std::wstring& path,
                                    std::uint32_t* error = nullptr) {
    DirItem item;
    std::uint32_t err = 0;
    std::vector<std::wstring> names;
    auto e = sim.openDirectory(path, item, err);
    if (e) {
        do {
            names.push_back(item.name);
        } while ((err = e->next(item)) == 0);
    }
    if (error != nullptr) {
        *error = err;
    }
    return names;
}

TEST(SimVolume, ListsDotEntriesFirstThenItemsInNtfsOrder) {
    SimPlatform sim;
    sim.file(L"C:\\data\\beta.txt");
    sim.file(L"C:\\data\\Alpha.txt");
    sim.dir(L"C:\\data\\_sub");
    sim.file(L"C:\\data\\zeta");
    EXPECT_EQ(
        listNames(sim, L"C:\\data"),
        (std::vector<std::wstring>{L".", L"..", L"Alpha.txt", L"beta.txt", L"zeta", L"_sub"}));
    // The same listing a second time: stable.
    EXPECT_EQ(listNames(sim, L"c:\\DATA\\"), listNames(sim, L"C:\\data"));
}

TEST(SimVolume, DriveRootHasNoDotEntriesAndEmptyFolderOrShareHasOnlyThem) {
    SimPlatform sim;
    sim.dir(L"C:\\empty");
    sim.dir(L"\\\\fs\\share\\sub");
    sim.dir(L"\\\\fs\\empty");
    EXPECT_EQ(listNames(sim, L"C:\\"), (std::vector<std::wstring>{L"empty"}));
    EXPECT_EQ(listNames(sim, L"C:\\empty"), (std::vector<std::wstring>{L".", L".."}));
    EXPECT_EQ(listNames(sim, L"\\\\fs\\share"), (std::vector<std::wstring>{L".", L"..", L"sub"}));
    EXPECT_EQ(listNames(sim, L"\\\\fs\\empty"), (std::vector<std::wstring>{L".", L".."}));
}

TEST(SimVolume, PathsAreCaseInsensitiveAndResolveDots) {
    SimPlatform sim;
    sim.file(L"C:\\Data\\Sub\\File.txt");
    EXPECT_NE(sim.volume().find(L"c:\\data\\SUB\\file.TXT"), nullptr);
    EXPECT_EQ(sim.volume().find(L"C:\\data\\sub\\.."), sim.volume().find(L"C:\\data"));
    EXPECT_EQ(sim.volume().find(L"C:\\data\\sub\\."), sim.volume().find(L"C:\\Data\\Sub"));
    EXPECT_EQ(sim.volume().find(L"C:\\data\\missing"), nullptr);
    EXPECT_EQ(sim.volume().find(L"relative\\path"), nullptr);
}

TEST(SimVolume, NewObjectsInheritTheParentsInheritableAces) {
    SimPlatform sim;
    Sid alice = sim.accounts().addLocalUser(L"alice");
    Sid bob = sim.accounts().addLocalUser(L"bob");
    Sid carol = sim.accounts().addLocalUser(L"carol");
    sim.dir(L"C:\\top")
        .dacl()
        .allow(alice, 0x1F01FF, 0x03)         // files and folders
        .allow(bob, 0x1200A9, 0x01)           // files only
        .allow(carol, 0x10000, 0x02 | 0x04);  // one level of folders
    sim.dir(L"C:\\top\\sub");
    sim.file(L"C:\\top\\f.txt");
    const auto& sub = sim.volume().find(L"C:\\top\\sub")->security.dacl;
    ASSERT_EQ(sub.size(), 3u);
    EXPECT_EQ(sub[0].flags(), 0x13);
    EXPECT_EQ(sub[1].flags(), 0x10 | 0x08 | 0x01);  // inherit only on the folder itself
    EXPECT_EQ(sub[2].flags(), 0x10);                // propagation stops here
    const auto& file = sim.volume().find(L"C:\\top\\f.txt")->security.dacl;
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[0].sid(), alice);
    EXPECT_EQ(file[0].flags(), 0x10);
    EXPECT_EQ(file[1].sid(), bob);
}

TEST(SimPlatform, ReadingNeedsReadControlOrOwnership) {
    SimPlatform sim;
    Sid me = sim.accounts().currentUser();
    Sid other = sim.accounts().addLocalUser(L"other");
    sim.file(L"C:\\a.txt").owner(other).dacl().allow(other, 0x1F01FF);
    sim.file(L"C:\\b.txt").owner(me).dacl();  // empty DACL, but mine
    sim.file(L"C:\\c.txt").owner(other).dacl().allow(me, 0x20000);
    sim.file(L"C:\\d.txt").owner(other).dacl().deny(me, 0x20000).allow(me, 0x1F01FF);
    sim.file(L"C:\\e.txt").owner(other).nullDacl();
    SecurityDescriptor sd;
    EXPECT_EQ(sim.readSecurity(L"C:\\a.txt", sd).error, win_error::kAccessDenied);
    EXPECT_EQ(sim.readSecurity(L"C:\\a.txt", sd).failedStep, SdStep::GetFileSecurity);
    EXPECT_TRUE(sim.readSecurity(L"C:\\b.txt", sd).ok());
    EXPECT_TRUE(sd.dacl.empty());
    EXPECT_TRUE(sim.readSecurity(L"C:\\c.txt", sd).ok());
    EXPECT_FALSE(sim.readSecurity(L"C:\\d.txt", sd).ok());
    EXPECT_TRUE(sim.readSecurity(L"C:\\e.txt", sd).ok());
    EXPECT_EQ(sd.daclState, DaclState::Null);
    EXPECT_EQ(sim.readSecurity(L"C:\\none.txt", sd).error, win_error::kFileNotFound);
    EXPECT_EQ(sim.counters().readSecurity, 7u);
}

TEST(SimPlatform, GroupMembershipIsNestedAndGenericRightsAreMapped) {
    SimPlatform sim;
    Sid me = sim.accounts().currentUser();
    Sid other = sim.accounts().addLocalUser(L"other");
    Sid inner = sim.accounts().addLocalGroup(L"inner", {me});
    Sid outer = sim.accounts().addLocalGroup(L"outer", {inner});
    sim.file(L"C:\\x").owner(other).dacl().allow(outer, access::kGenericRead);
    SecurityDescriptor sd;
    EXPECT_TRUE(sim.readSecurity(L"C:\\x", sd).ok());
    // An inherit-only ACE does not apply to the object itself.
    sim.file(L"C:\\y").owner(other).dacl().allow(outer, access::kGenericAll, 0x08);
    EXPECT_FALSE(sim.readSecurity(L"C:\\y", sd).ok());
}

TEST(SimPlatform, WritingDaclNeedsWriteDacOrOwnershipAndKeepsDiskOnFailure) {
    SimPlatform sim;
    Sid me = sim.accounts().currentUser();
    Sid other = sim.accounts().addLocalUser(L"other");
    sim.file(L"C:\\theirs").owner(other).dacl().allow(me, 0x20000);
    sim.file(L"C:\\mine").owner(me).dacl();
    std::vector<RawAce> dacl{RawAce::make(0, 0, 0x1F01FF, me)};
    EXPECT_EQ(sim.writeDacl(L"C:\\theirs", dacl, DaclControl::protectedDacl()),
              win_error::kAccessDenied);
    EXPECT_EQ(sim.volume().find(L"C:\\theirs")->security.dacl.size(), 1u);
    EXPECT_FALSE(sim.volume().find(L"C:\\theirs")->security.daclProtected());
    EXPECT_EQ(sim.writeDacl(L"C:\\mine", dacl, DaclControl::protectedDacl()), 0u);
    EXPECT_EQ(sim.volume().find(L"C:\\mine")->security.dacl, dacl);
    EXPECT_TRUE(sim.volume().find(L"C:\\mine")->security.daclProtected());
    EXPECT_EQ(sim.writeDacl(L"C:\\mine", dacl, DaclControl()), 0u);
    EXPECT_FALSE(sim.volume().find(L"C:\\mine")->security.daclProtected());
}

TEST(SimPlatform, SettingOwnerNeedsWriteOwnerOrTheEnabledPrivilege) {
    SimPlatform sim;
    Sid me = sim.accounts().currentUser();
    Sid other = sim.accounts().addLocalUser(L"other");
    sim.file(L"C:\\f").owner(other).dacl().allow(me, 0x20000);
    EXPECT_EQ(sim.setOwner(L"C:\\f", me), win_error::kAccessDenied);
    EXPECT_EQ(sim.enablePrivilege(Privilege::TakeOwnership), win_error::kNotAllAssigned);
    sim.setTakeOwnershipHeld(true);
    EXPECT_EQ(sim.enablePrivilege(Privilege::TakeOwnership), 0u);
    // Only oneself or one's own group can become owner.
    EXPECT_EQ(sim.setOwner(L"C:\\f", other), win_error::kInvalidOwner);
    EXPECT_EQ(sim.volume().find(L"C:\\f")->security.owner, other);
    EXPECT_EQ(sim.setOwner(L"C:\\f", me), 0u);
    EXPECT_EQ(sim.volume().find(L"C:\\f")->security.owner, me);
}

TEST(SimPlatform, BackupReadsAndRestoreWritesAnyDescriptorOnlyOnceEnabled) {
    SimPlatform sim;
    Sid me = sim.accounts().currentUser();
    Sid other = sim.accounts().addLocalUser(L"other");
    sim.file(L"C:\\f").owner(other).dacl().deny(me, 0x1F01FF).allow(other, 0x1F01FF);
    const std::vector<RawAce> mine{RawAce::make(0, 0, 0x1F01FF, me)};
    SecurityDescriptor sd;
    sim.setBackupHeld(true);
    sim.setRestoreHeld(true);
    // Held is not enabled.
    EXPECT_EQ(sim.readSecurity(L"C:\\f", sd).error, win_error::kAccessDenied);
    EXPECT_EQ(sim.writeDacl(L"C:\\f", mine, DaclControl()), win_error::kAccessDenied);
    ASSERT_EQ(sim.enablePrivilege(Privilege::Backup), 0u);
    ASSERT_TRUE(sim.readSecurity(L"C:\\f", sd).ok());
    EXPECT_EQ(sd.owner, other);
    // Backup reads, it does not write.
    EXPECT_EQ(sim.writeDacl(L"C:\\f", mine, DaclControl()), win_error::kAccessDenied);
    EXPECT_EQ(sim.setOwner(L"C:\\f", me), win_error::kAccessDenied);
    ASSERT_EQ(sim.enablePrivilege(Privilege::Restore), 0u);
    EXPECT_EQ(sim.writeDacl(L"C:\\f", mine, DaclControl()), 0u);
    EXPECT_EQ(sim.volume().find(L"C:\\f")->security.dacl, mine);
    // Any account as owner, not only oneself.
    Sid third = sim.accounts().addLocalUser(L"third");
    EXPECT_EQ(sim.setOwner(L"C:\\f", third), 0u);
    EXPECT_EQ(sim.volume().find(L"C:\\f")->security.owner, third);
    // Restore without backup does not read.
    SimPlatform restoreOnly;
    restoreOnly.file(L"C:\\g").owner(other).dacl();
    restoreOnly.setRestoreHeld(true);
    restoreOnly.enablePrivilege(Privilege::Restore);
    EXPECT_FALSE(restoreOnly.readSecurity(L"C:\\g", sd).ok());
    EXPECT_EQ(restoreOnly.enablePrivilege(Privilege::Backup), win_error::kNotAllAssigned);
}

TEST(SimPlatform, SecurityCallsOnALinkActOnTheLinkAndNeverOnItsTarget) {
    SimPlatform sim;
    Sid me = sim.accounts().currentUser();
    Sid other = sim.accounts().addLocalUser(L"other");
    sim.dir(L"C:\\t").owner(other).dacl().allow(other, 0x1F01FF);
    sim.dir(L"C:\\d\\j")
        .owner(other)
        .dacl()
        .allow(me, access::kReadControl | access::kWriteOwner)
        .reparse(L"\\??\\C:\\t");
    SecurityDescriptor sd;
    ASSERT_TRUE(sim.readSecurity(L"C:\\d\\j", sd).ok());
    EXPECT_EQ(
        sd.dacl,
        (std::vector<RawAce>{RawAce::make(0, 0, access::kReadControl | access::kWriteOwner, me)}));
    EXPECT_EQ(sim.setOwner(L"C:\\d\\j", me), 0u);
    EXPECT_EQ(sim.volume().find(L"C:\\d\\j")->security.owner, me);
    EXPECT_EQ(sim.volume().find(L"C:\\t")->security.owner, other);
    EXPECT_EQ(sim.readSecurity(L"C:\\t", sd).error, win_error::kAccessDenied);
    // Now its owner, the user may write the link's DACL; the target's stays.
    const std::vector<RawAce> dacl{RawAce::make(0, 0, 0x1F01FF, me)};
    EXPECT_EQ(sim.writeDacl(L"C:\\d\\j", dacl, DaclControl()), 0u);
    EXPECT_EQ(sim.volume().find(L"C:\\d\\j")->security.dacl, dacl);
    EXPECT_EQ(sim.volume().find(L"C:\\t")->security.dacl,
              (std::vector<RawAce>{RawAce::make(0, 0, 0x1F01FF, other)}));
}

TEST(SimPlatform, ListingNeedsListRight) {
    SimPlatform sim;
    Sid me = sim.accounts().currentUser();
    sim.dir(L"C:\\closed").owner(me).dacl().allow(me, 0x20000);
    std::uint32_t error = 0;
    EXPECT_TRUE(listNames(sim, L"C:\\closed", &error).empty());
    EXPECT_EQ(error, win_error::kAccessDenied);
    listNames(sim, L"C:\\missing", &error);
    EXPECT_EQ(error, win_error::kPathNotFound);
    sim.file(L"C:\\f");
    listNames(sim, L"C:\\f", &error);
    EXPECT_EQ(error, win_error::kDirectory);
}

TEST(SimPlatform, ReparsePointsCarryTheAttributeAndMaybeTheirTarget) {
    SimPlatform sim;
    sim.dir(L"C:\\data\\link").reparse(L"\\??\\C:\\target");
    sim.dir(L"C:\\data\\busy").reparse(L"\\??\\C:\\other", false);
    DirItem item;
    std::uint32_t error = 0;
    auto e = sim.openDirectory(L"C:\\data", item, error);
    ASSERT_TRUE(e);
    std::vector<DirItem> items{item};
    while (e->next(item) == 0) {
        items.push_back(item);
    }
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[2].name, L"busy");
    EXPECT_TRUE(items[2].isReparsePoint());
    EXPECT_TRUE(items[3].isDirectory());
    std::wstring target = L"unchanged";
    EXPECT_EQ(sim.readReparseTarget(L"C:\\data\\busy", target), win_error::kNotAReparsePoint);
    EXPECT_EQ(target, L"unchanged");
    EXPECT_EQ(sim.readReparseTarget(L"C:\\data\\link", target), 0u);
    EXPECT_EQ(target, L"\\??\\C:\\target");
    EXPECT_EQ(sim.counters().readReparseTarget, 2u);
}

TEST(SimPlatform, ListingsGiveEachItemItsReparseTagAndOnlyNameSurrogatesAreLinks) {
    SimPlatform sim;
    sim.dir(L"C:\\d\\a-junction").reparse(L"\\??\\C:\\t");
    sim.dir(L"C:\\d\\b-symlink").reparse(L"\\??\\C:\\t").reparseTag(reparse_tag::kSymlink);
    sim.dir(L"C:\\d\\c-placeholder").reparseTag(reparse_tag::kCloud);
    sim.dir(L"C:\\d\\d-dedup").reparseTag(reparse_tag::kDedup);
    sim.dir(L"C:\\d\\e-plain");
    DirItem item;
    std::uint32_t error = 0;
    auto e = sim.openDirectory(L"C:\\d", item, error);
    ASSERT_TRUE(e);
    struct Expected {
        std::uint32_t tag;
        bool reparse;
        bool link;
    };
    const Expected expected[] = {{0, false, false},         {0, false, false},
                                 {0xA0000003, true, true},  {0xA000000C, true, true},
                                 {0x9000001A, true, false}, {0x80000013, true, false},
                                 {0, false, false}};
    for (const Expected& x : expected) {
        SCOPED_TRACE(item.name);
        EXPECT_EQ(item.reparseTag, x.tag);
        EXPECT_EQ(item.isReparsePoint(), x.reparse);
        EXPECT_EQ(item.isLink(), x.link);
        error = e->next(item);
    }
    EXPECT_EQ(error, win_error::kNoMoreFiles);
    // A reparse point whose tag is not known counts as a link.
    EXPECT_TRUE(
        (DirItem{L"x", file_attribute::kDirectory | file_attribute::kReparsePoint, 0}).isLink());
}

TEST(SimPlatform, AListingThatFailsPartWayEndsWithItsErrorAndStaysFailed) {
    SimPlatform sim;
    for (const wchar_t* name : {L"a", L"b", L"c"}) {
        sim.file(std::wstring(L"C:\\d\\") + name);
    }
    sim.dir(L"C:\\d").listingFails(4, win_error::kNetNameDeleted);
    std::uint32_t error = 0;
    EXPECT_EQ(listNames(sim, L"C:\\d", &error),
              (std::vector<std::wstring>{L".", L"..", L"a", L"b"}));
    EXPECT_EQ(error, win_error::kNetNameDeleted);
    DirItem item;
    auto e = sim.openDirectory(L"C:\\d", item, error);
    ASSERT_TRUE(e);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(e->next(item), 0u);
    }
    EXPECT_EQ(item.name, L"b");
    EXPECT_EQ(e->next(item), win_error::kNetNameDeleted);
    EXPECT_EQ(e->next(item), win_error::kNetNameDeleted);
    EXPECT_EQ(item.name, L"b");
    // Failing before the first item: the listing cannot be opened.
    sim.dir(L"C:\\d").listingFails(0, win_error::kAccessDenied);
    EXPECT_TRUE(listNames(sim, L"C:\\d", &error).empty());
    EXPECT_EQ(error, win_error::kAccessDenied);
    // Failing after the last item is an error all the same.
    sim.dir(L"C:\\d").listingFails(5, win_error::kNetNameDeleted);
    EXPECT_EQ(listNames(sim, L"C:\\d", &error).size(), 5u);
    EXPECT_EQ(error, win_error::kNetNameDeleted);
    sim.dir(L"C:\\d").listingFails(6, win_error::kNetNameDeleted);
    EXPECT_EQ(listNames(sim, L"C:\\d", &error).size(), 5u);
    EXPECT_EQ(error, win_error::kNoMoreFiles);
}

TEST(SimAccounts, WellKnownSidsResolve) {
    SimPlatform sim;
    struct Case {
        Sid sid;
        const wchar_t* name;
        const wchar_t* domain;
    } cases[] = {
        {well_known::everyone(), L"Everyone", L""},
        {well_known::creatorOwner(), L"CREATOR OWNER", L""},
        {well_known::creatorGroup(), L"CREATOR GROUP", L""},
        {well_known::localSystem(), L"SYSTEM", L"NT AUTHORITY"},
        {well_known::administrators(), L"Administrators", L"BUILTIN"},
        {well_known::users(), L"Users", L"BUILTIN"},
    };
    for (const Case& c : cases) {
        AccountInfo info;
        ASSERT_EQ(sim.lookupSid(L"", c.sid, info), 0u) << c.name;
        EXPECT_EQ(info.name, c.name);
        EXPECT_EQ(info.domain, c.domain);
    }
    EXPECT_EQ(sim.counters().lookupSid, 6u);
}

TEST(SimAccounts, DeletedAndDomainAccountsWithoutControllerDoNotResolve) {
    SimPlatform sim;
    Sid gone = sim.accounts().addLocalUser(L"gone");
    Sid dom = sim.accounts().addDomainUser(L"dave");
    sim.accounts().deleteAccount(gone);
    AccountInfo info{L"kept", L"kept", AccountKind::Unknown};
    EXPECT_EQ(sim.lookupSid(L"", gone, info), win_error::kNoneMapped);
    EXPECT_EQ(sim.lookupSid(L"", sim.accounts().unknownSid(), info), win_error::kNoneMapped);
    EXPECT_EQ(info.name, L"kept");
    ASSERT_EQ(sim.lookupSid(L"", dom, info), 0u);
    EXPECT_EQ(info.domain, L"SIMDOM");
    // Without a domain controller a domain SID is not "no account": the
    // trust fails.
    sim.accounts().setDomainControllerPresent(false);
    EXPECT_EQ(sim.lookupSid(L"", dom, info), win_error::kTrustFailure);
    std::uint32_t error = 0;
    EXPECT_FALSE(sim.domainControllerName(error).has_value());
    EXPECT_EQ(error, win_error::kDcNotFound);
    std::vector<std::wstring> names;
    EXPECT_EQ(sim.listUsers(SimAccounts::kDcName, names), win_error::kDcNotFound);
}

TEST(SimAccounts, AServerAloneNamesItsAccountsAndLookupsTimeOut) {
    SimPlatform sim;
    SimAccounts& accounts = sim.accounts();
    const Sid fred = accounts.addServerUser(L"FILES01", L"fred");
    const Sid server = fred.prefix();
    const Sid dave = accounts.addDomainUser(L"dave");
    const Sid far = accounts.addForeignUser(L"FARDOM", L"zoe");
    accounts.setTrusted(L"fardom", false);
    const Sid local = accounts.addLocalUser(L"lou");
    const Sid kept = accounts.addLocalUser(L"kept");
    const std::uint32_t none = win_error::kNoneMapped;
    const struct {
        const wchar_t* system;
        Sid sid;
        std::uint32_t error;
        const wchar_t* name;
        AccountKind kind;
    } cases[] = {
        {L"FILES01", fred, 0, L"fred", AccountKind::User},
        {L"files01", server, 0, L"FILES01", AccountKind::Domain},
        {L"", fred, none, nullptr, AccountKind::Unknown},
        {L"SIMHOST", server, none, nullptr, AccountKind::Unknown},
        {L"FILES01", dave, 0, L"dave", AccountKind::User},
        {L"FILES01", local, none, nullptr, AccountKind::Unknown},
        {L"", local, 0, L"lou", AccountKind::User},
        {L"", accounts.machineSid(), 0, L"SIMHOST", AccountKind::Domain},
        {L"", accounts.domainSid(), 0, L"SIMDOM", AccountKind::Domain},
        {L"", far, none, nullptr, AccountKind::Unknown},
        {L"", far.prefix(), none, nullptr, AccountKind::Unknown},
        {L"NOSUCH", local, win_error::kRpcServerUnavailable, nullptr, AccountKind::Unknown},
    };
    for (const auto& c : cases) {
        AccountInfo info{L"kept", L"kept", AccountKind::Unknown};
        EXPECT_EQ(sim.lookupSid(c.system, c.sid, info), c.error) << c.sid.toString();
        EXPECT_EQ(info.name, c.name ? c.name : L"kept") << c.sid.toString();
        EXPECT_EQ(info.kind, c.kind) << c.sid.toString();
    }
    // Server accounts are no local names either.
    Sid sid;
    AccountInfo info;
    EXPECT_EQ(sim.lookupName(L"fred", sid, info), none);
    std::vector<std::wstring> users;
    ASSERT_EQ(sim.listUsers(L"", users), 0u);
    EXPECT_EQ(std::count(users.begin(), users.end(), L"fred"), 0);

    // Time-outs: two of one account, then it resolves; one of a domain hits
    // its accounts and the domain SID alike, whichever comes first.
    accounts.timeOutLookups(kept, 2);
    EXPECT_EQ(sim.lookupSid(L"", kept, info), none);
    EXPECT_EQ(sim.lookupSid(L"", kept, info), none);
    EXPECT_EQ(sim.lookupSid(L"", kept, info), 0u);
    accounts.timeOutLookups(accounts.machineSid(), 2);
    EXPECT_EQ(sim.lookupSid(L"", local, info), none);
    EXPECT_EQ(sim.lookupSid(L"", accounts.machineSid(), info), none);
    EXPECT_EQ(sim.lookupSid(L"", local, info), 0u);

    // Without its controller no SID of the domain is "none", deleted or not.
    accounts.deleteAccount(dave);
    EXPECT_EQ(sim.lookupSid(L"", dave, info), none);
    accounts.setDomainControllerPresent(false);
    EXPECT_EQ(sim.lookupSid(L"", dave, info), win_error::kTrustFailure);
    EXPECT_EQ(sim.lookupSid(L"", accounts.domainSid(), info), win_error::kTrustFailure);
}

TEST(SimAccounts, LookupByNameAndMembers) {
    SimPlatform sim;
    Sid ann = sim.accounts().addDomainUser(L"ann");
    Sid staff = sim.accounts().addDomainGroup(L"staff", {ann});
    Sid local = sim.accounts().addLocalGroup(L"editors", {staff});
    Sid sid;
    AccountInfo info;
    ASSERT_EQ(sim.lookupName(L"simdom\\ANN", sid, info), 0u);
    EXPECT_EQ(sid, ann);
    EXPECT_EQ(sim.lookupName(L"nobody", sid, info), win_error::kNoneMapped);
    std::vector<std::wstring> members;
    ASSERT_EQ(sim.groupMembers(L"", L"editors", true, members), 0u);
    EXPECT_EQ(members, (std::vector<std::wstring>{L"SIMDOM\\staff"}));
    ASSERT_EQ(sim.groupMembers(SimAccounts::kDcName, L"staff", false, members), 0u);
    EXPECT_EQ(members, (std::vector<std::wstring>{L"SIMDOM\\ann"}));
    std::vector<std::wstring> groups;
    ASSERT_EQ(sim.userGroups(SimAccounts::kDcName, L"ann", groups), 0u);
    EXPECT_EQ(groups, (std::vector<std::wstring>{L"staff"}));
    EXPECT_TRUE(sim.accounts().isMemberOf(ann, local));
    EXPECT_FALSE(sim.accounts().isMemberOf(sim.accounts().currentUser(), local));
    std::vector<std::wstring> users;
    ASSERT_EQ(sim.listUsers(L"", users), 0u);
    EXPECT_EQ(users, (std::vector<std::wstring>{L"simuser"}));
}

}  // namespace
}  // namespace quorel::sim
