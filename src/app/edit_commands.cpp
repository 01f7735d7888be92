#include "app/edit_commands.h"

#include <algorithm>
#include <optional>

#include "accounts/account_lists.h"
#include "app/acl_buffer.h"
#include "app/app_windows.h"
#include "app/editing_forms.h"
#include "app/view_session.h"
#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "editing/orphan_check.h"
#include "platform/account_port.h"
#include "platform/interaction_port.h"
#include "platform/nt_rules.h"
#include "platform/security_port.h"
#include "platform/win_error.h"
#include "view/ace_visibility.h"
#include "view/cell_geometry.h"

namespace quorel {

namespace {

// Whether the ACEs the entry shows are in canonical order (only their types
// and flags decide it).
bool inCanonicalOrder(const CDirEntry& entry) {
    std::vector<RawAce> aces;
    aces.reserve(entry.aceCount());
    for (std::uint32_t i = 0; i < entry.aceCount(); ++i) {
        const AceRecord& r = *entry.ace(i);
        aces.push_back(RawAce::make(r.aceType, r.aceFlags, r.accessMask, Sid()));
    }
    return nt::isCanonical(aces);
}

constexpr std::uint8_t kInheritOnly = 0x08;
// At most this many ACEs of one entry are deleted by one Delete.
constexpr std::size_t kMaxDeletedPerEntry = 10000;

bool Inheritable(const AceRecord& ace) {
    return (ace.aceFlags & 0x03) != 0;
}

std::uint32_t IndexOf(const CDirEntry& entry, const AceRecord& ace) {
    return static_cast<std::uint32_t>(&ace - entry.aces());
}

bool Contains(const CDirEntry& entry, const AceRecord* ace) {
    return ace != nullptr && entry.aceCount() > 0 && ace >= entry.aces() &&
           ace < entry.aces() + entry.aceCount();
}

PendingChange Change(PendingChange::Kind kind, const CDirEntry& entry, std::uint32_t index,
                     const AceRecord& ace) {
    PendingChange change;
    change.kind = kind;
    change.path = entry.path();
    change.aceIndex = index;
    change.trustee = Trustee::ofRecord(entry.dataset()->accountNames(), ace);
    change.aceType = ace.aceType;
    change.aceFlags = ace.aceFlags;
    return change;
}

}  // namespace

EditCommands::EditCommands(ViewSession& view, EditingSession& editing, InteractionPort& ui)
    : view_(view), editing_(editing), ui_(ui) {}

void EditCommands::status(const wchar_t* text) {
    ui_.setStatusText(0, text);
}

bool EditCommands::compareModeRefuses() {
    if (!view_.compareMode()) {
        return false;
    }
    ui_.showMessage(L"The ACL cannot be modified in compare mode.", L"", MessageIcon::Error);
    return true;
}

bool EditCommands::loadedDataRefuses() {
    if (view_.liveData()) {
        return false;
    }
    ui_.showMessage(L"A loaded ACL cannot be modified.", L"", MessageIcon::Error);
    return true;
}

bool EditCommands::confirmMultipleSelection(const std::vector<CDirEntry*>& selected) {
    if (selected.size() <= 1) {
        return true;
    }
    return ui_.showMessage(
               L"There are more than one Files/Folders selected. Are you sure you want to proceed?",
               L"Multiple Selection", MessageIcon::Question,
               MessageButtons::YesNo) == MessageAnswer::Yes;
}

bool EditCommands::askConvertInherited() {
    return ui_.showMessage(
               L"You cannot modify inherited ACEs. Do you want inherited ACEs to be "
               L"converted into non-inherited ACEs?",
               L"Disable Inheritance", MessageIcon::Question,
               MessageButtons::OkCancel) == MessageAnswer::Ok;
}

bool EditCommands::confirmAddingToNoDacl(const CDirEntry& entry) {
    // "Null DACLs and Empty DACLs": without a DACL everyone has full
    // access; any ACL written in its place grants only what it lists.
    SecurityDescriptor sd;
    const std::wstring path = entry.path();
    if (!editing_.editor.ports().security.readSecurity(path, sd).ok() ||
        sd.daclState == DaclState::Present) {
        return true;
    }
    return ui_.showMessage(path +
                               L" has no access control list, so everyone has full access to "
                               L"it. After this change the added entries will be the only access "
                               L"to it. Do you want to add them?",
                           L"No access control list", MessageIcon::Warning,
                           MessageButtons::YesNoDefaultNo) == MessageAnswer::Yes;
}

std::vector<CDirEntry*> EditCommands::selectedEntries() const {
    std::vector<CDirEntry*> selected;
    for (CDirEntry* e : view_.lines().lines()) {
        if (e->selected && !e->isHeading) {
            selected.push_back(e);
        }
    }
    return selected;
}

void EditCommands::undoElement(CDirEntry& entry, const wchar_t* name, bool propagation) {
    editing_.undo.AddUndoElement(editing_.editor, entry, name, propagation);
}

void EditCommands::refresh(CDirEntry& entry) {
    const ViewSession& view = view_;
    ApplyAceVisibility(entry, view.showInheritOnlyAces(), view.hideInheritedAces());
}

void EditCommands::TogglePermission(CDirEntry& entry, AceRecord& ace, int column) {
    if (compareModeRefuses() || loadedDataRefuses()) {
        return;
    }
    const DisplayedRights& rights = view_.rights();
    if (column < 0 || static_cast<std::size_t>(column) >= rights.count()) {
        return;
    }
    const std::uint32_t columnMask = rights.column(static_cast<std::size_t>(column)).mask;
    const bool has = rights.AceHasRight(ace, columnMask, true, entry.isDirectory());
    const std::uint32_t oldMask = ace.accessMask;
    const std::uint32_t base =
        oldMask | (ace.aceType == ace_type::kAccessAllowed ? access::kSynchronize : 0);
    std::uint32_t mask = 0;
    if (rights.basicPermissionMode()) {
        mask = has ? 0 : base | columnMask;
    } else {
        mask = has ? base & ~columnMask : base | columnMask;
    }
    const std::uint32_t k = IndexOf(entry, ace);
    const bool inheritable = Inheritable(ace);
    PendingChange change = Change(PendingChange::Kind::MaskChanged, entry, k, ace);
    change.newMask = mask;
    change.oldMask = oldMask;
    if (ace.inherited()) {
        if (!askConvertInherited()) {
            return;
        }
        undoElement(entry, L"set permission", inheritable);
        if (!editing_.editor.ConvertInheritedAces(entry)) {
            refresh(entry);
            return;
        }
    } else {
        undoElement(entry, L"set permissions", inheritable);
        status(L"permissions changed");
    }
    if (inheritable) {
        editing_.pending.add(change);
    }
    const EditResult result = editing_.editor.SetAccessMask(entry, k, mask);
    if (result.status == EditStatus::Failed) {
        ui_.showMessage(L"Error Writing permissions to file ( maybe you are not administrator )",
                        L"", MessageIcon::Error);
    }
    refresh(entry);
}

void EditCommands::ToggleInheritanceFlag(CDirEntry& entry, AceRecord& ace, int cell) {
    const bool wasInherited = ace.inherited();
    const AceRecord* record = &ace;
    if (wasInherited) {
        if (!askConvertInherited()) {
            return;
        }
        editing_.editor.ConvertInheritedAces(entry);
        refresh(entry);
        // The entry was read again: the clicked record is gone.
        record = nullptr;
    }
    if (!entry.isDirectory()) {
        return;
    }
    const cell_geometry::InheritanceCell* flagCell = cell_geometry::inheritanceCell(cell);
    if (flagCell != nullptr && flagCell->flag == ace_flag::kInherited) {
        ui_.showMessage(
            wasInherited
                ? L"You cannot change the inheritance flag of a trustee directly. If you want to "
                  L"delete the inheritance flag, you can use <Convert inherited ACEs to non "
                  L"inherited ACEs> from the <Edit>-menu to delete the inherited-flag of all ACEs "
                  L"of this file or directory."
                : L"You cannot change the inheritance flag of a trustee directly. Please use the "
                  L"<Inherit>-function from the <Edit>-menu.",
            L"Inheritance cannot be changed here", MessageIcon::Information);
        return;
    }
    if (flagCell == nullptr || !Contains(entry, record)) {
        return;
    }
    if (compareModeRefuses() || loadedDataRefuses()) {
        return;
    }
    const std::uint32_t k = IndexOf(entry, *record);
    editing_.editor.SetInheritance(entry, k,
                                   static_cast<std::uint8_t>(record->aceFlags ^ flagCell->flag));
    refresh(entry);
}

bool EditCommands::recordDeletions(CDirEntry& entry, const std::vector<std::uint32_t>& indices) {
    bool anyInheritable = false;
    for (std::uint32_t i : indices) {
        anyInheritable = anyInheritable || Inheritable(*entry.ace(i));
    }
    if (!anyInheritable) {
        return true;
    }
    PendingChanges& pending = editing_.pending;
    if (!pending.empty() && pending.at(0).path != entry.path()) {
        if (ui_.showMessage(L"Before you can modify the ACL of another file, you must first "
                            // "inconsistancies" is the program's own spelling.
                            L"propagate the changes of the last file to avoid inconsistancies",
                            L"Propagate Changes first", MessageIcon::Question,
                            MessageButtons::YesNo) == MessageAnswer::Yes) {
            if (CDirList* dataset = view_.dataset()) {
                editing_.propagation.PropagateChanges(*dataset);
            }
        }
        return false;
    }
    // From the highest index to the lowest, as they are deleted one by one.
    std::vector<std::uint32_t> order = indices;
    std::sort(order.rbegin(), order.rend());
    for (std::uint32_t i : order) {
        const AceRecord& ace = *entry.ace(i);
        if (Inheritable(ace)) {
            PendingChange change = Change(PendingChange::Kind::Deleted, entry, i, ace);
            change.newMask = ace.accessMask;
            pending.add(change);
        }
    }
    return true;
}

void EditCommands::RemoveTrustee(CDirEntry& entry, AceRecord& ace) {
    if (compareModeRefuses()) {
        return;
    }
    const std::uint32_t i = IndexOf(entry, ace);
    if (recordDeletions(entry, {i})) {
        editing_.editor.DelTrustee(entry, i);
    }
    refresh(entry);
}

void EditCommands::DeleteSelectedAces() {
    if (compareModeRefuses()) {
        return;
    }
    for (CDirEntry* e : std::vector<CDirEntry*>(view_.lines().lines())) {
        std::vector<std::uint32_t> indices;
        const AceRecord* firstExplicit = nullptr;
        for (std::uint32_t i = 0; i < e->aceCount() && indices.size() < kMaxDeletedPerEntry; ++i) {
            const AceRecord& ace = *e->ace(i);
            if (!ace.selected) {
                continue;
            }
            indices.push_back(i);
            if (firstExplicit == nullptr && !ace.inherited()) {
                firstExplicit = &ace;
            }
        }
        // Selected inherited ACEs alone do not make an entry qualify.
        if (firstExplicit == nullptr) {
            continue;
        }
        undoElement(*e, L"delete trustee", Inheritable(*firstExplicit));
        if (recordDeletions(*e, indices)) {
            editing_.editor.DeleteAces(*e, indices);
        }
        refresh(*e);
    }
    status(L"trustee(s) deleted");
}

void EditCommands::AddTrusteeToSelection(const EditFocus& focus, const std::wstring& name,
                                         bool allow) {
    if (focus.entry == nullptr) {
        return;
    }
    for (CDirEntry* e : selectedEntries()) {
        if (compareModeRefuses()) {
            return;
        }
        if (!confirmAddingToNoDacl(*e)) {
            continue;
        }
        undoElement(*e, L"add trustee", false);
        Trustee trustee;
        trustee.name = name;
        editing_.editor.MergeTrustee(*e, trustee, allow ? access::kSynchronize : 0, 0, allow);
        refresh(*e);
    }
    status(L"trustee added");
}

void EditCommands::CopyAcl(const EditFocus& focus) {
    if (selectedEntries().size() > 1) {
        ui_.showMessage(L"It is not possible to copy more than one ACL to the buffer",
                        L"Multiple Selection", MessageIcon::Error);
    }
    if (focus.entry == nullptr) {
        return;
    }
    buffer_.clear();
    bufferTrustees_.clear();
    const AccountNames& names = focus.entry->dataset()->accountNames();
    if (Contains(*focus.entry, focus.ace)) {
        buffer_ = AceBufferText(names, *focus.ace);
        bufferTrustees_.push_back(Trustee::ofRecord(names, *focus.ace));
        status(L"ACE copied to buffer");
        return;
    }
    buffer_ = AclBufferText(*focus.entry);
    for (std::uint32_t i = focus.entry->aceCount(); i > 0; --i) {
        bufferTrustees_.push_back(Trustee::ofRecord(names, *focus.entry->ace(i - 1)));
    }
    status(L"ACL copied to buffer");
}

void EditCommands::CutAcl(const EditFocus& focus) {
    if (selectedEntries().size() > 1) {
        ui_.showMessage(L"It is not possible to cut more than one ACL. Use <Delete ACEs> instead",
                        L"Multiple Selection", MessageIcon::Error);
        return;
    }
    CopyAcl(focus);
    if (focus.entry == nullptr || compareModeRefuses()) {
        return;
    }
    CDirEntry& entry = *focus.entry;
    if (Contains(entry, focus.ace)) {
        undoElement(entry, L"cut", Inheritable(*focus.ace));
        RemoveTrustee(entry, *focus.ace);
        status(L"ACE cut");
        return;
    }
    undoElement(entry, L"cut", false);
    std::vector<std::uint32_t> all(entry.aceCount());
    for (std::uint32_t i = 0; i < entry.aceCount(); ++i) {
        all[i] = i;
    }
    if (recordDeletions(entry, all)) {
        editing_.editor.RemoveAllAces(entry);
    }
    refresh(entry);
    status(L"ACL cut");
}

std::vector<TrusteeAce> EditCommands::bufferAcesFor(const CDirEntry& entry, bool keepFlags) const {
    const std::vector<BufferAce> read = ReadAclBuffer(buffer_);
    std::vector<TrusteeAce> aces;
    for (std::size_t i = 0; i < read.size(); ++i) {
        const BufferAce& b = read[i];
        // Inherit-only ACEs are not pasted onto files.
        if (!entry.isDirectory() && (b.flags & kInheritOnly) != 0) {
            continue;
        }
        TrusteeAce ace;
        if (i < bufferTrustees_.size() && bufferTrustees_[i].name == b.trustee) {
            ace.trustee = bufferTrustees_[i];
        } else {
            ace.trustee.name = b.trustee;
        }
        ace.mask = b.mask;
        ace.flags = keepFlags ? static_cast<std::uint8_t>(b.flags & 0x0F) : 0;
        ace.allow = b.type != 1;
        aces.push_back(std::move(ace));
    }
    return aces;
}

void EditCommands::PasteAcl() {
    const std::vector<CDirEntry*> selected = selectedEntries();
    if (!confirmMultipleSelection(selected) || buffer_.empty() || compareModeRefuses()) {
        return;
    }
    for (CDirEntry* e : selected) {
        if (!confirmAddingToNoDacl(*e)) {
            continue;
        }
        undoElement(*e, L"paste", false);
        std::vector<std::uint32_t> all(e->aceCount());
        for (std::uint32_t i = 0; i < e->aceCount(); ++i) {
            all[i] = i;
        }
        // The buffer lists the ACEs last first; each went in front of the
        // others, so the pasted ACL has the copied order.
        std::vector<TrusteeAce> aces = bufferAcesFor(*e, false);
        std::reverse(aces.begin(), aces.end());
        if (recordDeletions(*e, all)) {
            editing_.editor.ReplaceWithTrustees(*e, aces);
        }
        refresh(*e);
    }
    status(L"buffer pasted");
}

void EditCommands::CombineAcl() {
    const std::vector<CDirEntry*> selected = selectedEntries();
    if (!confirmMultipleSelection(selected) || buffer_.empty() || compareModeRefuses()) {
        return;
    }
    for (CDirEntry* e : selected) {
        if (!confirmAddingToNoDacl(*e)) {
            continue;
        }
        undoElement(*e, L"combine", false);
        editing_.editor.MergeTrustees(*e, bufferAcesFor(*e, true));
        refresh(*e);
    }
    status(L"buffer combined with selected ACL");
}

void EditCommands::ConvertSelection() {
    const std::vector<CDirEntry*> selected = selectedEntries();
    if (!confirmMultipleSelection(selected) || compareModeRefuses()) {
        return;
    }
    for (CDirEntry* e : selected) {
        undoElement(*e, L"convert inherited ACEs to non-inherited ACEs", false);
        editing_.editor.ConvertInheritedAces(*e);
        refresh(*e);
    }
    status(L"Inherited ACEs converted to non-inherited ACEs");
}

void EditCommands::RepairAceOrder() {
    if (compareModeRefuses()) {
        return;
    }
    std::vector<CDirEntry*> disordered;
    for (CDirEntry* e : selectedEntries()) {
        if (!e->isDotEntry() && !inCanonicalOrder(*e)) {
            disordered.push_back(e);
        }
    }
    if (disordered.empty()) {
        ui_.showMessage(L"The ACLs of the selected files and folders are in canonical order.",
                        L"Repair ACE order", MessageIcon::Information);
        return;
    }
    const std::wstring question =
        L"Rewrite the ACLs of " + std::to_wstring(disordered.size()) +
        L" selected files and folders in canonical order (explicit denies, explicit allows, "
        L"inherited ACEs)?";
    if (ui_.showMessage(question, L"Repair ACE order", MessageIcon::Question,
                        MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }
    for (CDirEntry* e : disordered) {
        undoElement(*e, L"repair ACE order", false);
        editing_.editor.RepairAceOrder(*e);
        refresh(*e);
    }
    status(L"ACE order repaired");
}

void EditCommands::TakeOwnershipOfSelection() {
    const std::vector<CDirEntry*> selected = selectedEntries();
    if (!confirmMultipleSelection(selected) || compareModeRefuses()) {
        return;
    }
    for (CDirEntry* e : selected) {
        status(editing_.editor.TakeOwnership(*e) ? L"Take ownership successful"
                                                 : L"ERROR: Take ownership not successful");
    }
}

void EditCommands::EliminateUnresolvedTrustees() {
    CDirList* dataset = view_.dataset();
    if (dataset == nullptr || compareModeRefuses() || loadedDataRefuses()) {
        return;
    }
    // Only SIDs known not to exist on the computer that holds the entry: a
    // lookup that timed out, a domain out of reach or a server's own
    // account is no reason to delete.
    OrphanCheck orphans(editing_.editor.ports().accounts);
    const AccountNames& names = dataset->accountNames();
    auto accountGone = [&](const AceRecord& ace, const std::wstring& path) {
        const Sid* known = names.sid(ace.account());
        const std::optional<Sid> sid =
            known != nullptr ? std::optional<Sid>(*known) : Sid::fromString(ace.trustee(names));
        return sid && orphans.gone(*sid, path);
    };
    std::vector<std::pair<CDirEntry*, std::vector<std::uint32_t>>> plan;
    std::size_t aces = 0;
    for (CDirEntry& e : *dataset) {
        if (e.isDotEntry()) {
            continue;
        }
        std::vector<std::uint32_t> indices;
        std::wstring path;
        for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
            if (!e.ace(i)->unresolved) {
                continue;
            }
            if (path.empty()) {
                path = e.path();
            }
            if (accountGone(*e.ace(i), path)) {
                indices.push_back(i);
            }
        }
        if (!indices.empty()) {
            aces += indices.size();
            plan.emplace_back(&e, std::move(indices));
        }
    }
    if (plan.empty()) {
        status(L"No ACEs of deleted accounts found");
        return;
    }
    const std::wstring question = L"Delete " + std::to_wstring(aces) +
                                  L" ACEs of accounts that no longer exist from " +
                                  std::to_wstring(plan.size()) + L" files and folders?";
    if (ui_.showMessage(question, L"Eliminate Unresolved Trustees", MessageIcon::Question,
                        MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes) {
        return;
    }
    for (auto& [entry, indices] : plan) {
        undoElement(*entry, L"eliminate unresolved trustees", false);
        editing_.editor.DeleteAces(*entry, indices);
        refresh(*entry);
    }
    status(L"Unresolved trustees eliminated");
}

void EditCommands::Undo() {
    editing_.undo.Undo(editing_.editor, view_.dataset(), editing_.pending);
    if (CDirList* dataset = view_.dataset()) {
        const ViewSession& view = view_;
        ApplyAceVisibility(*dataset, view.showInheritOnlyAces(), view.hideInheritedAces());
    }
}

bool EditCommands::focusedAce(const EditFocus& focus) {
    if (focus.entry != nullptr && Contains(*focus.entry, focus.ace)) {
        return true;
    }
    // "An non inherited ACE" is the program's own wording.
    ui_.showMessage(
        L"Error: No ACE selected. An non inherited ACE has to be selected to use this "
        L"function",
        L"No ACE selected", MessageIcon::None);
    return false;
}

void EditCommands::ChangeInheritanceFlags(const EditFocus& focus, AppWindows& windows) {
    if (!focusedAce(focus)) {
        return;
    }
    if (focus.ace->inherited()) {
        ui_.showMessage(
            L"Error: changing inheritance flags is only possible for non inherited ACEs",
            L"No ACE selected", MessageIcon::None);
        return;
    }
    InheritanceFlagsForm form(focus.ace->aceFlags);
    const std::uint32_t k = IndexOf(*focus.entry, *focus.ace);
    if (!windows.RunInheritanceFlagsDialog(form) || compareModeRefuses()) {
        return;
    }
    editing_.editor.SetInheritance(*focus.entry, k, form.flags());
    refresh(*focus.entry);
    status(L"Inheritance flags changed");
}

void EditCommands::ModifyAce(const EditFocus& focus, AppWindows& windows) {
    if (!focusedAce(focus)) {
        return;
    }
    if (compareModeRefuses() || loadedDataRefuses()) {
        return;
    }
    CDirEntry& entry = *focus.entry;
    const std::uint32_t k = IndexOf(entry, *focus.ace);
    if (focus.ace->inherited()) {
        if (!askConvertInherited()) {
            return;
        }
        undoElement(entry, L"modify ACE", Inheritable(*focus.ace));
        if (!editing_.editor.ConvertInheritedAces(entry)) {
            refresh(entry);
            return;
        }
    } else {
        undoElement(entry, L"modify ACE", Inheritable(*focus.ace));
    }
    const AceRecord& ace = *entry.ace(k);
    ModifyAceForm form(ace.accessMask, ace.aceFlags, ace.aceType);
    PendingChange change = Change(PendingChange::Kind::MaskChanged, entry, k, ace);
    change.oldMask = ace.accessMask;
    if (!windows.RunModifyAceDialog(form,
                                    std::wstring(ace.trustee(entry.dataset()->accountNames())))) {
        return;
    }
    change.newMask = form.mask();
    if (Inheritable(ace) && form.mask() != ace.accessMask) {
        editing_.pending.add(change);
    }
    editing_.editor.ModifyAce(entry, k, form.mask(), static_cast<std::uint8_t>(form.flags() & 0x0F),
                              form.type());
    refresh(entry);
    status(L"ACE modified");
}

void EditCommands::AddAce(const EditFocus& focus, AppWindows& windows, AccountLists& lists) {
    lists.BuildOnce(editing_.editor.ports().accounts);
    const std::optional<AddUserChoice> choice =
        windows.RunAddUserDialog(lists, editing_.editor.ports().accounts);
    if (choice && !choice->name.empty()) {
        AddTrusteeToSelection(focus, choice->name, !choice->deny);
    }
}

bool EditCommands::InheritAcl(AppWindows& windows, const std::function<bool()>& gate) {
    const std::vector<CDirEntry*> selected = selectedEntries();
    if (selected.empty()) {
        ui_.showMessage(
            L"You must select a directory whose ACL has to be inherited to subsequent "
            L"files or directories",
            L"No Directory selected", MessageIcon::None);
        return false;
    }
    if (selected.size() > 1) {
        ui_.showMessage(
            L"You may only select one directory whose ACL has to be inherited to "
            L"subsequent files or directories",
            L"Too Many Entries selected", MessageIcon::None);
        return false;
    }
    CDirEntry& folder = *selected.front();
    if (!folder.isDirectoryForEditing() || compareModeRefuses() || loadedDataRefuses() || !gate()) {
        return false;
    }
    if (ui_.showMessage(L"Apply ACL to all subdirectories and files?\n\nWARNING: This action "
                        L"cannot be undone and will clear the contents of the undo buffer. Are "
                        L"you sure you wish to proceed?",
                        L"Confirmation", MessageIcon::Warning,
                        MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes) {
        return false;
    }
    editing_.undo.ClearUndoBuffer();
    InheritSettingsForm form;
    if (!windows.RunInheritSettingsDialog(form)) {
        return false;
    }
    EditSettings& settings = editing_.settings;
    form.ApplyTo(settings);
    status(L"Inherit in progress - please wait ....");
    ui_.clearCancel();
    const bool complete = editing_.propagation.InheritAcl(folder);
    status(L"Inherit complete");
    settings.autoTakeOwnership = false;
    settings.giveBackOwnership = false;
    settings.keepExplicitAces = false;
    settings.skipNotInherited = false;
    if (complete) {
        ui_.showMessage(L"File processing complete.", L"Quorel", MessageIcon::Information);
    } else {
        ui_.showMessage(
            L"File processing incomplete: some files and folders were not reached "
            L"and keep their ACLs. See the error log.",
            L"Quorel", MessageIcon::Warning);
    }
    view_.EntriesReplaced();
    return true;
}

void EditCommands::RestorePermissions(AppWindows& windows) {
    ViewSession& view = view_;
    if (!view.compareMode() || view.dataset() == nullptr) {
        return;
    }
    RestoreForm form;
    if (!windows.RunRestoreDialog(form)) {
        return;
    }
    form.ApplyTo(editing_.settings);
    const std::vector<CDirEntry*>& shown = view.lines().lines();
    editing_.propagation.RestorePermissions(shown, *view.dataset(), form.applyInheritance());
    view.RefreshAfterEdits();
    status(L"Permissions restored");
}

}  // namespace quorel
