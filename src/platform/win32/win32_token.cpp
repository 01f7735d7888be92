#include "platform/win32/win32_token.h"

#include <windows.h>

#include <memory>

#include "platform/win32/scoped.h"
#include "platform/win32/win32_error.h"

namespace quorel::win32 {

namespace {

// The token of this process opened for `access`, or an invalid handle with
// the error in `error`.
ScopedHandle openProcessToken(DWORD access, std::uint32_t& error) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), access, &raw)) {
        error = lastError();
        return ScopedHandle();
    }
    error = 0;
    return ScopedHandle(raw);
}

// GetTokenInformation(`kind`) into a buffer sized by asking first.
std::unique_ptr<std::uint8_t[]> tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    std::unique_ptr<std::uint8_t[]> buffer;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (GetTokenInformation(token, kind, buffer.get(), size, &size) && buffer) {
            return buffer;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) {
            return nullptr;
        }
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    }
    return nullptr;
}

}  // namespace

const wchar_t* privilegeName(Privilege privilege) {
    switch (privilege) {
        case Privilege::TakeOwnership:
            return SE_TAKE_OWNERSHIP_NAME;
        case Privilege::Restore:
            return SE_RESTORE_NAME;
        case Privilege::Backup:
            return SE_BACKUP_NAME;
    }
    return L"";
}

std::uint32_t enablePrivilege(const std::wstring& name) {
    std::uint32_t error = 0;
    ScopedHandle token = openProcessToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, error);
    if (!token.valid()) {
        return error;
    }
    LUID luid{};
    if (!LookupPrivilegeValueW(nullptr, name.c_str(), &luid)) {
        return lastError();
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(privileges), nullptr,
                               nullptr)) {
        return lastError();
    }
    // TRUE with ERROR_NOT_ALL_ASSIGNED: the token does not hold the
    // privilege, so nothing was enabled.
    if (GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
        return ERROR_NOT_ALL_ASSIGNED;
    }
    return 0;
}

std::optional<bool> privilegeEnabled(const std::wstring& name) {
    std::uint32_t error = 0;
    ScopedHandle token = openProcessToken(TOKEN_QUERY, error);
    LUID luid{};
    if (!token.valid() || !LookupPrivilegeValueW(nullptr, name.c_str(), &luid)) {
        return std::nullopt;
    }
    auto buffer = tokenInformation(token.get(), TokenPrivileges);
    if (!buffer) {
        return std::nullopt;
    }
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.get());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& held = privileges->Privileges[i];
        if (held.Luid.LowPart == luid.LowPart && held.Luid.HighPart == luid.HighPart) {
            return (held.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    return false;
}

std::optional<Sid> processUserSid() {
    std::uint32_t error = 0;
    ScopedHandle token = openProcessToken(TOKEN_QUERY, error);
    if (!token.valid()) {
        return std::nullopt;
    }
    auto buffer = tokenInformation(token.get(), TokenUser);
    if (!buffer) {
        return std::nullopt;
    }
    PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.get())->User.Sid;
    if (sid == nullptr || !IsValidSid(sid)) {
        return std::nullopt;
    }
    return Sid::fromBytes(static_cast<const std::uint8_t*>(sid), GetLengthSid(sid));
}

}  // namespace quorel::win32
