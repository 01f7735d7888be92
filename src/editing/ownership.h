#pragma once

#include "editing/edit_settings.h"

namespace quorel {

// Enables SeTakeOwnershipPrivilege (its result is takeOwnershipAvailable,
// which it returns) and, where the token holds it, SeRestorePrivilege
// (restoreAvailable): giving ownership back to another account than oneself
// needs it (ERROR_INVALID_OWNER otherwise). Sets adminsSid. A privilege
// name that is unknown shows "LookupPrivilegeValue error".
bool EnableTakeOwnership(EditSettings& settings, PrivilegePort& privileges, InteractionPort& ui);

}  // namespace quorel
