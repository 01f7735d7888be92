// AccountPort of Win32Platform against the system's own account database.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/temp_tree.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_token.h"
#include "platform/win_error.h"

namespace quorel::win32 {
namespace {

const AccountInfo kUntouched{L"untouched-name", L"untouched-domain", AccountKind::Domain};

bool sameAccount(const AccountInfo& a, const AccountInfo& b) {
    return a.name == b.name && a.domain == b.domain && a.kind == b.kind;
}

struct WellKnown {
    const wchar_t* sid;
    const wchar_t* domain;
    const wchar_t* name;
    AccountKind kind;
};

TEST(Win32Accounts, LooksUpWellKnownSids) {
    Win32Platform platform;
    const WellKnown cases[] = {
        {L"S-1-1-0", L"", L"Everyone", AccountKind::WellKnownGroup},
        {L"S-1-3-0", L"", L"CREATOR OWNER", AccountKind::WellKnownGroup},
        {L"S-1-3-1", L"", L"CREATOR GROUP", AccountKind::WellKnownGroup},
        {L"S-1-5-18", L"NT AUTHORITY", L"SYSTEM", AccountKind::WellKnownGroup},
        {L"S-1-5-32-544", L"BUILTIN", L"Administrators", AccountKind::Alias},
        {L"S-1-5-32-545", L"BUILTIN", L"Users", AccountKind::Alias},
    };
    for (const WellKnown& c : cases) {
        const std::optional<Sid> sid = Sid::fromString(c.sid);
        ASSERT_TRUE(sid.has_value());
        AccountInfo info = kUntouched;
        EXPECT_EQ(platform.lookupSid(L"", *sid, info), 0u) << c.sid;
        EXPECT_EQ(info.name, c.name) << c.sid;
        EXPECT_EQ(info.domain, c.domain) << c.sid;
        EXPECT_EQ(info.kind, c.kind) << c.sid;
    }
    AccountInfo info;
    ASSERT_EQ(platform.lookupSid(L"", well_known::administrators(), info), 0u);
    EXPECT_EQ(info.name, L"Administrators");
}

TEST(Win32Accounts, UnknownSidMapsToNothingAndLeavesTheOutputAlone) {
    Win32Platform platform;
    AccountInfo info = kUntouched;
    EXPECT_EQ(platform.lookupSid(L"", Sid::make(5, {21, 1, 2, 3, 4242}), info),
              win_error::kNoneMapped);
    EXPECT_TRUE(sameAccount(info, kUntouched));
    EXPECT_EQ(platform.lookupSid(L"", Sid(), info), win_error::kInvalidSid);
    EXPECT_TRUE(sameAccount(info, kUntouched));
}

TEST(Win32Accounts, LooksUpNamesWithAndWithoutDomain) {
    Win32Platform platform;
    for (const wchar_t* name : {L"Users", L"BUILTIN\\Users", L"users"}) {
        Sid sid;
        AccountInfo info = kUntouched;
        ASSERT_EQ(platform.lookupName(name, sid, info), 0u) << name;
        EXPECT_EQ(sid, well_known::users()) << name;
        EXPECT_EQ(info.name, L"Users") << name;  // the account's own spelling
        EXPECT_EQ(info.domain, L"BUILTIN") << name;
        EXPECT_EQ(info.kind, AccountKind::Alias) << name;
    }
    Sid sid;
    AccountInfo info;
    ASSERT_EQ(platform.lookupName(L"Everyone", sid, info), 0u);
    EXPECT_EQ(sid, well_known::everyone());
    EXPECT_EQ(info.kind, AccountKind::WellKnownGroup);
}

TEST(Win32Accounts, UnknownNameMapsToNothingAndLeavesTheOutputsAlone) {
    Win32Platform platform;
    Sid sid = well_known::everyone();
    AccountInfo info = kUntouched;
    EXPECT_EQ(platform.lookupName(L"no_such_account_q7x", sid, info), win_error::kNoneMapped);
    EXPECT_EQ(sid, well_known::everyone());
    EXPECT_TRUE(sameAccount(info, kUntouched));
}

TEST(Win32Accounts, CurrentUserNameAndSidNameTheSameAccount) {
    Win32Platform platform;
    const std::wstring name = platform.currentUserName();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.find(L'\0'), std::wstring::npos);
    const std::optional<Sid> sid = platform.currentUserSid();
    ASSERT_TRUE(sid.has_value());

    AccountInfo byName;
    Sid found;
    ASSERT_EQ(platform.lookupName(name, found, byName), 0u);
    EXPECT_EQ(found, *sid);
    EXPECT_EQ(byName.kind, AccountKind::User);

    AccountInfo bySid;
    ASSERT_EQ(platform.lookupSid(L"", *sid, bySid), 0u);
    EXPECT_EQ(bySid.name, name);
    EXPECT_EQ(bySid.kind, AccountKind::User);
    EXPECT_EQ(bySid.domain, byName.domain);
}

TEST(Win32Accounts, DomainControllerName) {
    Win32Platform platform;
    std::uint32_t error = 0xDEAD;
    const std::optional<std::wstring> name = platform.domainControllerName(error);
    if (test::runningUnderWine()) {
        EXPECT_FALSE(name.has_value());
        EXPECT_EQ(error, win_error::kDcNotFound);
    } else if (name) {
        EXPECT_EQ(error, 0u);
        EXPECT_EQ(name->rfind(L"\\\\", 0), 0u) << testing::PrintToString(*name);
    } else {
        EXPECT_NE(error, 0u);
    }
}

TEST(Win32Accounts, ThePrivilegesOfTheSystemGetEnabledByTheirNames) {
    Win32Platform platform;
    const struct {
        Privilege privilege;
        const wchar_t* name;
    } cases[] = {
        {Privilege::TakeOwnership, L"SeTakeOwnershipPrivilege"},
        {Privilege::Restore, L"SeRestorePrivilege"},
        {Privilege::Backup, L"SeBackupPrivilege"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(privilegeName(c.privilege)), c.name);
        EXPECT_EQ(platform.enablePrivilege(c.privilege), 0u) << privilegeName(c.privilege);
        EXPECT_EQ(privilegeEnabled(c.name), std::optional<bool>(true));
    }
}

TEST(Win32Accounts, LookupOnANamedSystem) {
    Win32Platform platform;
    AccountInfo info;
    // This computer by its own name answers as the local system does.
    wchar_t computer[256] = {};
    DWORD size = 256;
    ASSERT_TRUE(GetComputerNameW(computer, &size));
    ASSERT_EQ(platform.lookupSid(computer, well_known::administrators(), info), 0u);
    EXPECT_EQ(info.name, L"Administrators");
}

TEST(Win32Accounts, PrivilegeTheTokenLacksIsAFailureNotAPartialSuccess) {
    // No token of an ordinary process holds SeCreateTokenPrivilege;
    // AdjustTokenPrivileges returns TRUE for it and sets
    // ERROR_NOT_ALL_ASSIGNED.
    EXPECT_EQ(enablePrivilege(SE_CREATE_TOKEN_NAME), win_error::kNotAllAssigned);
    EXPECT_EQ(privilegeEnabled(SE_CREATE_TOKEN_NAME), std::optional<bool>(false));
    EXPECT_EQ(enablePrivilege(L"SeNoSuchPrivilege"), win_error::kNoSuchPrivilege);
    EXPECT_EQ(privilegeEnabled(L"SeNoSuchPrivilege"), std::nullopt);
}

TEST(Win32Accounts, ListsLocalUsers) {
    Win32Platform platform;
    std::vector<std::wstring> names{L"stale"};
    ASSERT_EQ(platform.listUsers(L"", names), 0u);
    EXPECT_EQ(std::count(names.begin(), names.end(), L"stale"), 0);
    if (test::runningUnderWine()) {
        // Wine knows only the user it runs as.
        EXPECT_EQ(names, std::vector<std::wstring>{platform.currentUserName()});
    } else {
        EXPECT_FALSE(names.empty());
    }
}

TEST(Win32Accounts, LocalGroupsAndTheirMembers) {
    Win32Platform platform;
    std::vector<std::wstring> groups{L"stale"};
    ASSERT_EQ(platform.listLocalGroups(L"", groups), 0u);
    EXPECT_EQ(std::count(groups.begin(), groups.end(), L"stale"), 0);

    std::vector<std::wstring> members{L"stale"};
    ASSERT_EQ(platform.groupMembers(L"", L"Administrators", true, members), 0u);
    EXPECT_EQ(std::count(members.begin(), members.end(), L"stale"), 0);
    if (test::runningUnderWine()) {
        // Wine's functions succeed without a buffer, and with the count of
        // entries left as it was: that must read as no entries.
        EXPECT_TRUE(groups.empty());
        EXPECT_TRUE(members.empty());
    } else {
        EXPECT_EQ(std::count(groups.begin(), groups.end(), L"Administrators"), 1);
        for (const std::wstring& member : members) {
            EXPECT_FALSE(member.empty());
        }
    }
}

TEST(Win32Accounts, GlobalGroupMembersNeedADomainController) {
    // Never reaches NetGroupGetUsers, which Wine lacks and would end this
    // process with.
    Win32Platform platform;
    std::vector<std::wstring> members{L"untouched"};
    EXPECT_EQ(platform.groupMembers(L"", L"Domain Users", false, members), win_error::kDcNotFound);
    EXPECT_EQ(members, std::vector<std::wstring>{L"untouched"});
}

TEST(Win32Accounts, FailedEnumerationsLeaveTheOutputAlone) {
    if (!test::runningUnderWine()) {
        GTEST_SKIP() << "needs Wine's failing NetGroupEnum and NetUserGetGroups";
    }
    Win32Platform platform;
    std::vector<std::wstring> names{L"untouched"};
    EXPECT_EQ(platform.listGroups(L"", names), win_error::kAccessDenied);
    EXPECT_EQ(names, std::vector<std::wstring>{L"untouched"});
    EXPECT_EQ(platform.userGroups(L"", platform.currentUserName(), names), 124u);
    EXPECT_EQ(names, std::vector<std::wstring>{L"untouched"});
}

}  // namespace
}  // namespace quorel::win32
