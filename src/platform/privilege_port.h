#pragma once

#include <cstdint>

namespace quorel {

// The privileges the system enables in its own process token.
enum class Privilege : std::uint8_t {
    TakeOwnership,  // SeTakeOwnershipPrivilege: make oneself or Administrators owner
    Restore,        // SeRestorePrivilege: make any account owner; write any DACL and owner
    Backup,         // SeBackupPrivilege: read any security descriptor
};

// Enables privileges of the process token.
class PrivilegePort {
  public:
    virtual ~PrivilegePort() = default;

    // OpenProcessToken, LookupPrivilegeValueW, AdjustTokenPrivileges.
    // Returns 0 once the privilege is enabled, or the error: 1313 when the
    // name is no privilege (LookupPrivilegeValueW failed), 1300
    // (ERROR_NOT_ALL_ASSIGNED) when the token does not hold it, which is a
    // failure although AdjustTokenPrivileges returns TRUE then.
    virtual std::uint32_t enablePrivilege(Privilege privilege) = 0;
};

}  // namespace quorel
