// AccountPort of Win32Platform: account lookups, enumeration and privileges.

#include <windows.h>

#include <lm.h>
#include <sddl.h>

#include <vector>

#include "platform/win32/scoped.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_token.h"

namespace quorel::win32 {

namespace {

// Tries a call that reports the sizes it needs at most this often; the
// sizes may change between asking and reading.
constexpr int kSizeAttempts = 3;

PSID sidPointer(const Sid& sid) {
    return const_cast<std::uint8_t*>(sid.bytes().data());
}

// The server argument of the network management functions: null for the
// local machine.
LPCWSTR serverName(const std::wstring& server) {
    return server.empty() ? nullptr : server.c_str();
}

AccountKind accountKind(SID_NAME_USE use) {
    switch (use) {
        case SidTypeUser:
            return AccountKind::User;
        case SidTypeGroup:
            return AccountKind::Group;
        case SidTypeDomain:
            return AccountKind::Domain;
        case SidTypeAlias:
            return AccountKind::Alias;
        case SidTypeWellKnownGroup:
            return AccountKind::WellKnownGroup;
        case SidTypeDeletedAccount:
            return AccountKind::DeletedAccount;
        default:
            return AccountKind::Unknown;
    }
}

// LookupAccountSidW on `system` (null: the local system) with buffers
// sized by asking first.
std::uint32_t lookupAccountSid(LPCWSTR system, PSID sid, AccountInfo& out) {
    DWORD nameLength = 0;
    DWORD domainLength = 0;
    std::wstring name;
    std::wstring domain;
    for (int attempt = 0; attempt < kSizeAttempts; ++attempt) {
        name.resize(nameLength);
        domain.resize(domainLength);
        SID_NAME_USE use = SidTypeUnknown;
        if (LookupAccountSidW(system, sid, nameLength ? name.data() : nullptr, &nameLength,
                              domainLength ? domain.data() : nullptr, &domainLength, &use)) {
            // On success the lengths leave out the terminating NUL.
            name.resize(nameLength);
            domain.resize(domainLength);
            out.name = std::move(name);
            out.domain = std::move(domain);
            out.kind = accountKind(use);
            return 0;
        }
        const std::uint32_t error = lastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) {
            return error;
        }
    }
    return ERROR_INSUFFICIENT_BUFFER;
}

// Calls `fetch(buffer, entriesRead, totalEntries)` of a network enumeration
// until it stops reporting ERROR_MORE_DATA (the function keeps its resume
// handle itself) and hands each returned `Info` record to `each`.
template <typename Info, typename Fetch, typename Each>
std::uint32_t enumerate(Fetch fetch, Each each) {
    for (;;) {
        ScopedNetBuffer buffer;
        DWORD read = 0;
        DWORD total = 0;
        const NET_API_STATUS status = fetch(buffer.put(), &read, &total);
        if (status != NERR_Success && status != ERROR_MORE_DATA) {
            return netError(status);
        }
        // Wine's stubs return success with no buffer and leave the count as
        // it was: no buffer means no entries.
        const Info* items = buffer.as<Info>();
        if (items == nullptr) {
            read = 0;
        }
        for (DWORD i = 0; i < read; ++i) {
            each(items[i]);
        }
        if (status == NERR_Success) {
            return 0;
        }
        if (read == 0) {
            return netError(status);  // more data, but no progress: give up
        }
    }
}

}  // namespace

std::uint32_t Win32Platform::lookupSid(const std::wstring& system, const Sid& sid,
                                       AccountInfo& out) {
    if (sid.empty()) {
        return ERROR_INVALID_SID;
    }
    return lookupAccountSid(serverName(system), sidPointer(sid), out);
}

std::uint32_t Win32Platform::lookupName(const std::wstring& account, Sid& sid, AccountInfo& out) {
    DWORD sidLength = 0;
    DWORD domainLength = 0;
    std::vector<std::uint8_t> sidBytes;
    std::wstring domain;
    SID_NAME_USE use = SidTypeUnknown;
    for (int attempt = 0;; ++attempt) {
        sidBytes.resize(sidLength);
        domain.resize(domainLength);
        if (LookupAccountNameW(nullptr, account.c_str(), sidLength ? sidBytes.data() : nullptr,
                               &sidLength, domainLength ? domain.data() : nullptr, &domainLength,
                               &use)) {
            domain.resize(domainLength);
            break;
        }
        const std::uint32_t error = lastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || attempt + 1 == kSizeAttempts) {
            return error;
        }
    }
    PSID found = sidBytes.data();
    if (sidBytes.empty() || !IsValidSid(found)) {
        return ERROR_INVALID_SID;
    }
    std::optional<Sid> result = Sid::fromBytes(sidBytes.data(), sidBytes.size());
    if (!result) {
        return ERROR_INVALID_SID;
    }
    // The account's own spelling; when the SID cannot be named back, the
    // name as given, without its domain.
    AccountInfo named;
    std::wstring name;
    if (lookupAccountSid(nullptr, found, named) == 0) {
        name = std::move(named.name);
    } else {
        const std::size_t slash = account.rfind(L'\\');
        name = slash == std::wstring::npos ? account : account.substr(slash + 1);
    }
    sid = std::move(*result);
    out.name = std::move(name);
    out.domain = std::move(domain);
    out.kind = accountKind(use);
    return 0;
}

std::wstring Win32Platform::currentUserName() {
    DWORD length = 0;
    std::wstring name;
    for (int attempt = 0; attempt < kSizeAttempts; ++attempt) {
        name.resize(length);
        if (GetUserNameW(length ? name.data() : nullptr, &length)) {
            // The length counts the terminating NUL.
            name.resize(length > 0 ? length - 1 : 0);
            return name;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            break;
        }
    }
    return std::wstring();
}

std::optional<Sid> Win32Platform::currentUserSid() {
    return processUserSid();
}

std::optional<std::wstring> Win32Platform::domainControllerName(std::uint32_t& error) {
    ScopedNetBuffer buffer;
    const NET_API_STATUS status = NetGetDCName(nullptr, nullptr, buffer.put());
    if (status != NERR_Success) {
        error = netError(status);
        return std::nullopt;
    }
    if (buffer.get() == nullptr) {
        error = NERR_DCNotFound;
        return std::nullopt;
    }
    error = 0;
    return std::wstring(buffer.as<wchar_t>());
}

std::uint32_t Win32Platform::listUsers(const std::wstring& server,
                                       std::vector<std::wstring>& names) {
    std::vector<std::wstring> result;
    DWORD resume = 0;
    const std::uint32_t error = enumerate<USER_INFO_0>(
        [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
            return NetUserEnum(serverName(server), 0, 0, buffer, MAX_PREFERRED_LENGTH, read, total,
                               &resume);
        },
        [&](const USER_INFO_0& info) { result.emplace_back(info.usri0_name); });
    if (error == 0) {
        names = std::move(result);
    }
    return error;
}

std::uint32_t Win32Platform::listGroups(const std::wstring& server,
                                        std::vector<std::wstring>& names) {
    std::vector<std::wstring> result;
    DWORD_PTR resume = 0;
    const std::uint32_t error = enumerate<GROUP_INFO_0>(
        [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
            return NetGroupEnum(serverName(server), 0, buffer, MAX_PREFERRED_LENGTH, read, total,
                                &resume);
        },
        [&](const GROUP_INFO_0& info) { result.emplace_back(info.grpi0_name); });
    if (error == 0) {
        names = std::move(result);
    }
    return error;
}

std::uint32_t Win32Platform::listLocalGroups(const std::wstring& server,
                                             std::vector<std::wstring>& names) {
    std::vector<std::wstring> result;
    DWORD_PTR resume = 0;
    const std::uint32_t error = enumerate<LOCALGROUP_INFO_0>(
        [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
            return NetLocalGroupEnum(serverName(server), 0, buffer, MAX_PREFERRED_LENGTH, read,
                                     total, &resume);
        },
        [&](const LOCALGROUP_INFO_0& info) { result.emplace_back(info.lgrpi0_name); });
    if (error == 0) {
        names = std::move(result);
    }
    return error;
}

std::uint32_t Win32Platform::groupMembers(const std::wstring& server, const std::wstring& group,
                                          bool local, std::vector<std::wstring>& members) {
    std::vector<std::wstring> result;
    std::uint32_t error = 0;
    if (local) {
        DWORD_PTR resume = 0;
        error = enumerate<LOCALGROUP_MEMBERS_INFO_0>(
            [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
                return NetLocalGroupGetMembers(serverName(server), group.c_str(), 0, buffer,
                                               MAX_PREFERRED_LENGTH, read, total, &resume);
            },
            [&](const LOCALGROUP_MEMBERS_INFO_0& info) {
                AccountInfo account;
                if (lookupAccountSid(nullptr, info.lgrmi0_sid, account) == 0) {
                    result.push_back(account.domain.empty()
                                         ? account.name
                                         : account.domain + L"\\" + account.name);
                } else if (IsValidSid(info.lgrmi0_sid)) {
                    auto sid = Sid::fromBytes(static_cast<const std::uint8_t*>(info.lgrmi0_sid),
                                              GetLengthSid(info.lgrmi0_sid));
                    result.push_back(sid ? sid->toString() : std::wstring());
                }
            });
    } else {
        // Global groups live on a domain controller; without one there is
        // nothing to ask. Wine lacks NetGroupGetUsers altogether: calling it
        // ends the process.
        if (server.empty()) {
            return NERR_DCNotFound;
        }
        DWORD_PTR resume = 0;
        error = enumerate<GROUP_USERS_INFO_0>(
            [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
                return NetGroupGetUsers(server.c_str(), group.c_str(), 0, buffer,
                                        MAX_PREFERRED_LENGTH, read, total, &resume);
            },
            [&](const GROUP_USERS_INFO_0& info) { result.emplace_back(info.grui0_name); });
    }
    if (error == 0) {
        members = std::move(result);
    }
    return error;
}

std::uint32_t Win32Platform::userGroups(const std::wstring& server, const std::wstring& user,
                                        std::vector<std::wstring>& groups) {
    // No resume handle here: with MAX_PREFERRED_LENGTH the first answer is
    // the whole answer, and ERROR_MORE_DATA would be a partial one.
    ScopedNetBuffer buffer;
    DWORD read = 0;
    DWORD total = 0;
    const NET_API_STATUS status = NetUserGetGroups(
        serverName(server), user.c_str(), 0, buffer.put(), MAX_PREFERRED_LENGTH, &read, &total);
    if (status != NERR_Success) {
        return netError(status);
    }
    std::vector<std::wstring> result;
    if (const auto* items = buffer.as<GROUP_USERS_INFO_0>(); items != nullptr) {
        for (DWORD i = 0; i < read; ++i) {
            result.emplace_back(items[i].grui0_name);
        }
    }
    groups = std::move(result);
    return 0;
}

std::uint32_t Win32Platform::enablePrivilege(Privilege privilege) {
    return win32::enablePrivilege(privilegeName(privilege));
}

std::uint32_t Win32Platform::sidFromString(const std::wstring& text, Sid& sid) {
    PSID raw = nullptr;
    if (!ConvertStringSidToSidW(text.c_str(), &raw)) {
        return lastError();
    }
    ScopedLocal<void> owned(raw);
    std::optional<Sid> parsed =
        Sid::fromBytes(static_cast<const std::uint8_t*>(raw), GetLengthSid(raw));
    if (!parsed) {
        return ERROR_INVALID_SID;
    }
    sid = *parsed;
    return 0;
}

}  // namespace quorel::win32
