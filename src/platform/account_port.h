#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sid.h"

namespace quorel {

enum class AccountKind : std::uint8_t {
    User = 1,            // SidTypeUser
    Group = 2,           // SidTypeGroup (a domain group)
    Domain = 3,          // SidTypeDomain
    Alias = 4,           // SidTypeAlias (a local group such as BUILTIN\Users)
    WellKnownGroup = 5,  // SidTypeWellKnownGroup (Everyone, CREATOR OWNER)
    DeletedAccount = 6,
    Unknown = 8,
};

struct AccountInfo {
    std::wstring name;
    std::wstring domain;
    AccountKind kind = AccountKind::Unknown;
};

// Looks up accounts, their groups and the current user.
class AccountPort {
  public:
    virtual ~AccountPort() = default;

    // LookupAccountSidW on `system` (its lpSystemName: a computer name such
    // as "FILES01"; empty: the local system). Returns 0 and fills `out`, or
    // the Windows error and leaves `out` untouched. 1332 (ERROR_NONE_MAPPED)
    // is no proof that the account is gone: the function's page says it
    // "can occur if a network time-out prevents the function from finding
    // the name".
    virtual std::uint32_t lookupSid(const std::wstring& system, const Sid& sid,
                                    AccountInfo& out) = 0;

    // LookupAccountNameW on the local system for "name" or "DOMAIN\name".
    // Returns 0 and fills `sid` and `out`, or the Windows error with both
    // untouched.
    virtual std::uint32_t lookupName(const std::wstring& account, Sid& sid, AccountInfo& out) = 0;

    // ConvertStringSidToSidW: "S-1-5-32-544" to its binary form. Returns 0
    // and sets `sid`, or 1337 (ERROR_INVALID_SID) with `sid` untouched.
    virtual std::uint32_t sidFromString(const std::wstring& text, Sid& sid) = 0;

    // The name of the user running the process (GetUserNameW).
    virtual std::wstring currentUserName() = 0;
    // The SID of the user running the process (from the process token).
    virtual std::optional<Sid> currentUserSid() = 0;

    // NetGetDCName: the name of the primary domain controller ("\\DC01"), or
    // nothing with `error` set (2453 when there is none).
    virtual std::optional<std::wstring> domainControllerName(std::uint32_t& error) = 0;

    // Account names on `server` (empty: the local machine). Returns 0 and
    // fills `names`, or the Windows/network error with `names` untouched.
    virtual std::uint32_t listUsers(const std::wstring& server,
                                    std::vector<std::wstring>& names) = 0;
    virtual std::uint32_t listGroups(const std::wstring& server,
                                     std::vector<std::wstring>& names) = 0;
    virtual std::uint32_t listLocalGroups(const std::wstring& server,
                                          std::vector<std::wstring>& names) = 0;
    // Direct members of a group: NetLocalGroupGetMembers when `local`,
    // NetGroupGetUsers otherwise. Members are "DOMAIN\name" texts. A global
    // group (`local` false) is asked of a domain controller, so `server`
    // must then name one; an empty `server` fails with 2453.
    virtual std::uint32_t groupMembers(const std::wstring& server, const std::wstring& group,
                                       bool local, std::vector<std::wstring>& members) = 0;
    // The global groups a user belongs to (NetUserGetGroups).
    virtual std::uint32_t userGroups(const std::wstring& server, const std::wstring& user,
                                     std::vector<std::wstring>& groups) = 0;
};

}  // namespace quorel
