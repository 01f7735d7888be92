#pragma once

#include "editing/edit_settings.h"

namespace quorel {

// Enables SeTakeOwnershipPrivilege (its result is takeOwnershipAvailable,
// which it returns) and, where the token holds them, SeRestorePrivilege
// (restoreAvailable: giving ownership back to another account than oneself
// needs it, ERROR_INVALID_OWNER otherwise) and SeBackupPrivilege; with both
// of these, backupRestoreAvailable. Sets adminsSid. A privilege name that
// is unknown shows "LookupPrivilegeValue error".
bool EnableTakeOwnership(EditSettings& settings, PrivilegePort& privileges, InteractionPort& ui);

}  // namespace quorel
