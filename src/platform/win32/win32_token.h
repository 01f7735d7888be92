#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/privilege_port.h"
#include "platform/sid.h"

namespace quorel::win32 {

// Enables privilege `name` ("SeTakeOwnershipPrivilege") in the token of the
// process: OpenProcessToken, LookupPrivilegeValueW, AdjustTokenPrivileges.
// Returns 0, or the error of the step that failed: 1313 for a name that is
// no privilege, and 1300 (ERROR_NOT_ALL_ASSIGNED) when the token does not
// hold the privilege, although AdjustTokenPrivileges returns TRUE then.
std::uint32_t enablePrivilege(const std::wstring& name);

// The name of a privilege the system enables: SE_TAKE_OWNERSHIP_NAME,
// SE_RESTORE_NAME, SE_BACKUP_NAME ("Privilege Constants").
const wchar_t* privilegeName(Privilege privilege);

// Whether privilege `name` is currently enabled in the process token;
// nothing when the token or the name cannot be read.
std::optional<bool> privilegeEnabled(const std::wstring& name);

// The user SID of the process token (GetTokenInformation(TokenUser)).
std::optional<Sid> processUserSid();

}  // namespace quorel::win32
