#include "cli/win32/process_token.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorel::win32 {

namespace {

// One class of information of the token ("GetTokenInformation function"),
// empty when it cannot be read.
std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<BYTE> data(size);
    if (size == 0 || !GetTokenInformation(token, kind, data.data(), size, &size)) {
        data.clear();
    }
    return data;
}

std::optional<Sid> SidOf(PSID sid) {
    return Sid::fromBytes(static_cast<const std::uint8_t*>(sid), GetLengthSid(sid));
}

}  // namespace

sim::CaptureToken ProcessToken() {
    sim::CaptureToken result;
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(name, &length)) {
        result.computer.assign(name, length);
    }
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return result;
    }
    std::vector<BYTE> user = TokenInformation(token, TokenUser);
    if (!user.empty()) {
        result.user = SidOf(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
    }
    std::vector<BYTE> groups = TokenInformation(token, TokenGroups);
    if (!groups.empty()) {
        const auto* list = reinterpret_cast<TOKEN_GROUPS*>(groups.data());
        for (DWORD i = 0; i < list->GroupCount; ++i) {
            const DWORD a = list->Groups[i].Attributes;
            const DWORD excluded =
                SE_GROUP_USE_FOR_DENY_ONLY | SE_GROUP_LOGON_ID | SE_GROUP_INTEGRITY;
            if ((a & SE_GROUP_ENABLED) != 0 && (a & excluded) == 0) {
                if (std::optional<Sid> sid = SidOf(list->Groups[i].Sid)) {
                    result.groups.push_back(*sid);
                }
            }
        }
    }
    std::vector<BYTE> privileges = TokenInformation(token, TokenPrivileges);
    if (!privileges.empty()) {
        auto* list = reinterpret_cast<TOKEN_PRIVILEGES*>(privileges.data());
        for (DWORD i = 0; i < list->PrivilegeCount; ++i) {
            wchar_t privilege[64];
            DWORD size = 64;
            if (LookupPrivilegeNameW(nullptr, &list->Privileges[i].Luid, privilege, &size)) {
                const std::wstring held(privilege, size);
                result.takeOwnership = result.takeOwnership || held == SE_TAKE_OWNERSHIP_NAME;
                result.restore = result.restore || held == SE_RESTORE_NAME;
                result.backup = result.backup || held == SE_BACKUP_NAME;
            }
        }
    }
    CloseHandle(token);
    return result;
}

}  // namespace quorel::win32
