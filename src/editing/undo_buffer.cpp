#include "editing/undo_buffer.h"

#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "core/security_reader.h"
#include "editing/acl_editor.h"
#include "editing/entry_lookup.h"
#include "editing/pending_changes.h"
#include "platform/interaction_port.h"
#include "platform/win_error.h"

namespace quorel {

void UndoBuffer::AddUndoElement(AclEditor& editor, CDirEntry& entry, std::wstring_view name,
                                bool propagation) {
    UndoElement element;
    element.propagation = propagation;
    element.path = entry.path();
    element.name = name;
    element.aces.reserve(entry.aceCount());
    const AccountNames& names = entry.dataset()->accountNames();
    for (std::uint32_t i = 0; i < entry.aceCount(); ++i) {
        const AceRecord& r = *entry.ace(i);
        element.aces.push_back({Trustee::ofRecord(names, r), r.accessMask, r.aceFlags, r.aceType});
    }
    SecurityDescriptor sd;
    // Tried twice: without the bytes an object or callback ACE cannot be
    // given back.
    if (editor.ports().security.readSecurity(element.path, sd).ok() ||
        editor.ports().security.readSecurity(element.path, sd = SecurityDescriptor()).ok()) {
        element.daclRead = sd.daclState == DaclState::Present;
        element.nullDacl = sd.daclState != DaclState::Present;
        element.dacl = std::move(sd.dacl);
        element.daclProtected = sd.daclProtected();
    }
    elements_.push_back(std::move(element));
    changed_ = true;
    if (elements_.size() > kMaxElements) {
        elements_.pop_front();
    }
}

namespace {

// The saved ACEs rebuilt from their names when the disk could not be read
// at save time. Only allow and deny ACEs can be rebuilt so.
bool rebuild(AclEditor& editor, const UndoElement& element, std::vector<RawAce>& dacl) {
    for (const UndoAce& a : element.aces) {
        if (a.aceType != ace_type::kAccessAllowed && a.aceType != ace_type::kAccessDenied) {
            return false;
        }
        Sid sid;
        if (editor.resolve(a.trustee, sid) != 0) {
            return false;
        }
        dacl.push_back(RawAce::make(a.aceType, a.aceFlags, a.accessMask, sid));
    }
    return true;
}

}  // namespace

EditResult UndoBuffer::Undo(AclEditor& editor, CDirList* dataset, PendingChanges& pending) {
    if (elements_.empty()) {
        return {EditStatus::Unchanged, 0};
    }
    const UndoElement& element = elements_.back();
    InteractionPort& ui = editor.ports().ui;
    ui.setStatusText(0, L"undo: " + element.name);

    std::vector<RawAce> dacl;
    bool protect = element.daclProtected;
    EditResult result;
    if (element.nullDacl) {
        // Rebuilt from its (no) ACEs it would be an empty DACL: no access
        // for anyone, where everyone had full access.
        CDirEntry* entry = dataset != nullptr ? findEntryByPath(*dataset, element.path) : nullptr;
        result = editor.RestoreNullDacl(element.path, entry);
    } else if (element.daclRead) {
        dacl = element.dacl;
    } else if (!rebuild(editor, element, dacl)) {
        result = EditResult::failed(win_error::kNoneMapped);
    }
    if (result.ok() && !element.nullDacl) {
        CDirEntry* entry = dataset != nullptr ? findEntryByPath(*dataset, element.path) : nullptr;
        if (entry != nullptr) {
            result = editor.ReplaceDacl(*entry, dacl, protect);
        } else {
            result = editor.RewritePath(
                element.path, [&](const SecurityDescriptor&, std::vector<RawAce>& out, bool& p) {
                    out = dacl;
                    p = protect;
                    return EditResult{};
                });
        }
    }
    if (result.status == EditStatus::Stale) {
        return result;
    }
    if (!result.ok()) {
        ui.showMessage(L"Error resetting ACL", L"Undo error", MessageIcon::Error);
    }
    if (element.propagation) {
        pending.removeLast();
    }
    elements_.pop_back();
    changed_ = true;
    return result;
}

std::wstring UndoBuffer::menuText() const {
    if (!changed_) {
        return L"Undo: \tCtrl+Z";
    }
    return L"Undo: " + (elements_.empty() ? std::wstring() : elements_.back().name) + L"\tCTRL+Z";
}

}  // namespace quorel
