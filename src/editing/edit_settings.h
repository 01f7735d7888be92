#pragma once

#include <string>

#include "platform/sid.h"

namespace quorel {

class AccountPort;
class InteractionPort;
class PrivilegePort;
class SecurityPort;

// The settings the editing operations read. Filled at start-up (the user,
// the privileges) and by the editing dialogs (the four switches).
struct EditSettings {
    std::wstring currentUserName;
    // The user the working ACE is granted to; empty: no working ACE.
    Sid currentUserSid;
    Sid adminsSid = well_known::administrators();
    bool takeOwnershipAvailable = false;  // SeTakeOwnershipPrivilege enabled
    bool restoreAvailable = false;        // SeRestorePrivilege enabled
    // SeBackupPrivilege and SeRestorePrivilege both enabled: the security
    // port reads and writes any descriptor through backup semantics, so
    // edits never take ownership and Inherit ACL needs no working ACE.
    bool backupRestoreAvailable = false;
    bool autoTakeOwnership = true;  // "Automatically take ownership"
    bool giveBackOwnership = true;  // "Give back ownership after access (if possible)"
    bool keepExplicitAces = false;  // "Leave non inherited ACEs untouched"
    // "Do not inherit to files and folders which where not inherited before"
    // ("where" is the program's own spelling).
    bool skipNotInherited = false;
};

// The ports an edit reaches the system through.
struct EditPorts {
    SecurityPort& security;
    AccountPort& accounts;
    PrivilegePort& privileges;
    InteractionPort& ui;
};

}  // namespace quorel
