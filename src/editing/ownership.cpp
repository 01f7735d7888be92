// Taking ownership of an entry and giving it back.

#include "editing/ownership.h"

#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "core/security_reader.h"
#include "editing/acl_editor.h"
#include "platform/account_port.h"
#include "platform/interaction_port.h"
#include "platform/privilege_port.h"
#include "platform/win_error.h"

namespace quorel {

namespace {

bool enable(PrivilegePort& privileges, Privilege privilege, InteractionPort& ui) {
    const std::uint32_t error = privileges.enablePrivilege(privilege);
    if (error == win_error::kNoSuchPrivilege) {
        ui.showMessage(L"LookupPrivilegeValue error", L"", MessageIcon::Error);
    }
    return error == 0;
}

}  // namespace

bool EnableTakeOwnership(EditSettings& settings, PrivilegePort& privileges, InteractionPort& ui) {
    settings.adminsSid = well_known::administrators();
    settings.takeOwnershipAvailable = enable(privileges, Privilege::TakeOwnership, ui);
    settings.restoreAvailable = enable(privileges, Privilege::Restore, ui);
    const bool backup = enable(privileges, Privilege::Backup, ui);
    settings.backupRestoreAvailable = backup && settings.restoreAvailable;
    return settings.takeOwnershipAvailable;
}

bool AclEditor::takeOwnershipFor(CDirEntry& entry, SecurityDescriptor* read) {
    // With backup and restore privileges every descriptor can be read and
    // written as it is ("Privilege Constants"): the owner never changes.
    if (settings_.backupRestoreAvailable) {
        return false;
    }
    return takeOwnershipOf(entry, read);
}

bool AclEditor::takeOwnershipOf(CDirEntry& entry, SecurityDescriptor* read) {
    if (!settings_.takeOwnershipAvailable || !settings_.autoTakeOwnership) {
        return false;
    }
    // The owner to give back: as read in this call, else as last read from
    // disk. An owner that could not be read is not replaced: it could never
    // be given back.
    const Sid* oldOwner = nullptr;
    if (read != nullptr && read->owner) {
        oldOwner = &*read->owner;
    } else {
        oldOwner = entry.dataset()->accountNames().sid(entry.ownerAccount());
    }
    if (oldOwner == nullptr || oldOwner->empty()) {
        report(entry, L"The owner of " + entry.path() +
                          L" could not be read, so ownership was not taken (it could never have "
                          L"been given back). Nothing was changed.");
        return false;
    }
    const bool remember =
        settings_.giveBackOwnership && entry.ownerBackup().empty() && !entry.ownerName().empty();
    const Sid owner = *oldOwner;
    if (ports_.security.setOwner(entry.path(), settings_.adminsSid) != 0) {
        report(entry,
               L"Could not set you as new owner - maybe you are not logged in as administrator");
        return false;
    }
    if (remember) {
        entry.setOwnerBackup(entry.ownerName());
        entry.setOwnerBackupSid(&owner);
        entry.ownershipTaken = 1;
    }
    if (read != nullptr) {
        read->owner = settings_.adminsSid;
    }
    return true;
}

EditResult AclEditor::TakeOwnership(CDirEntry& entry) {
    SecurityDescriptor sd;
    const bool read = ports_.security.readSecurity(entry.path(), sd).ok();
    if (settings_.takeOwnershipAvailable && settings_.autoTakeOwnership &&
        !takeOwnershipOf(entry, read ? &sd : nullptr)) {
        show(entry, read ? &sd : nullptr);
        return EditResult::failed(win_error::kAccessDenied);
    }
    show(entry, read ? &sd : nullptr);
    return {};
}

void AclEditor::show(CDirEntry& entry, const SecurityDescriptor* known) {
    if (known != nullptr) {
        reader_.applyDescriptor(entry, {}, *known);
    } else {
        Reread(entry);
    }
}

EditResult AclEditor::GiveBackOwnership(CDirEntry& entry) {
    if (!entry.ownershipTaken) {
        return {EditStatus::Unchanged, 0};
    }
    SecurityDescriptor sd;
    const bool read = ports_.security.readSecurity(entry.path(), sd).ok();
    return giveBack(entry, read ? &sd : nullptr);
}

EditResult AclEditor::giveBack(CDirEntry& entry, SecurityDescriptor* known) {
    if (!entry.ownershipTaken) {
        return {EditStatus::Unchanged, 0};
    }
    // Ownership is only ever taken with the old owner's SID kept beside it.
    const Sid* kept = entry.ownerBackupSid();
    if (kept == nullptr) {
        report(entry, L"Error giving back ownership - could not determine account name");
        return EditResult::failed(win_error::kNoneMapped);
    }
    const Sid owner = *kept;
    if (const std::uint32_t error = ports_.security.setOwner(entry.path(), owner); error != 0) {
        ports_.ui.showMessage(L"Could not set owner. Error", L"", MessageIcon::Error);
        show(entry, known);
        return EditResult::failed(error);
    }
    entry.ownershipTaken = 0;
    entry.setOwnerBackup(L"");
    entry.setOwnerBackupSid(nullptr);
    if (known != nullptr) {
        known->owner = owner;
    }
    show(entry, known);
    return {};
}

}  // namespace quorel
