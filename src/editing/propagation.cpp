#include "editing/propagation.h"

#include <memory>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "core/security_reader.h"
#include "core/tree_walk.h"
#include "editing/acl_editor.h"
#include "editing/entry_lookup.h"
#include "editing/pending_changes.h"
#include "editing/undo_buffer.h"
#include "platform/account_port.h"
#include "platform/file_system_port.h"
#include "platform/interaction_port.h"
#include "platform/nt_rules.h"
#include "platform/win_error.h"

namespace quorel {

namespace {

// Whether a CREATOR GROUP ACE of the parent gives an item of this kind an
// effective ACE (for which its primary group must be known).
bool appliesCreatorGroup(const std::vector<RawAce>& parentDacl, bool folder) {
    for (const RawAce& ace : parentDacl) {
        const std::uint8_t needed = folder ? ace_flag::kContainerInherit : ace_flag::kObjectInherit;
        if ((ace.flags() & needed) != 0 && ace.sid() == well_known::creatorGroup()) {
            return true;
        }
    }
    return false;
}

// Reads an entry for the walk and keeps the descriptor, so that the
// inheritance right after needs no second read.
class CapturingSecurity : public EntrySecurity {
  public:
    CapturingSecurity(SecurityPort& port, SecurityReader& reader) : port_(port), reader_(reader) {}
    void readSecurity(CDirEntry& entry) override {
        descriptor = SecurityDescriptor();
        status = port_.readSecurity(entry.path(), descriptor);
        reader_.applyDescriptor(entry, status, descriptor);
    }
    SecurityDescriptor descriptor;
    SdReadStatus status;

  private:
    SecurityPort& port_;
    SecurityReader& reader_;
};

// The entry after `e` in the pre-order walk of `root`'s subtree, or null.
CDirEntry* nextInSubtree(CDirEntry* e, const CDirEntry* root) {
    if (e->firstChild() != nullptr && !e->isDotEntry()) {
        return e->firstChild();
    }
    while (e != root && e->nextSibling() == nullptr) {
        e = e->parent();
    }
    return e == root ? nullptr : e->nextSibling();
}

}  // namespace

Propagation::Propagation(AclEditor& editor, FileSystemPort& files, UndoBuffer& undo,
                         PendingChanges& pending)
    : editor_(editor), files_(files), undo_(undo), pending_(pending) {}

EditResult Propagation::InheritFromParent(CDirEntry& entry, CDirEntry& parent) {
    SecurityDescriptor sd;
    const SdReadStatus status = editor_.ports().security.readSecurity(parent.path(), sd);
    if (!status.ok()) {
        AclEditor::report(entry, L"Error adding ACE ( GetFileSecurity )");
        return EditResult::failed(status.error);
    }
    return InheritFromParent(entry, daclOf(sd));
}

EditResult Propagation::InheritFromParent(CDirEntry& entry, const std::vector<RawAce>& parentDacl,
                                          const SecurityDescriptor* read,
                                          std::optional<std::vector<RawAce>>* onDisk,
                                          bool checkView) {
    if (onDisk != nullptr) {
        onDisk->reset();
    }
    if (entry.isDotEntry()) {
        return {EditStatus::Unchanged, 0};
    }
    const EditSettings& settings = editor_.settings();
    const bool folder = entry.isDirectoryForEditing();
    std::vector<RawAce> seen;
    bool known = false;
    EditSpec spec = kAppendTrustee;
    spec.checkView = checkView;
    spec.autoInheritResult = true;
    const EditResult result = editor_.Rewrite(
        entry, spec,
        [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
            const std::vector<RawAce>& own = daclOf(sd);
            seen = own;
            known = true;
            std::size_t firstInherited = own.size();
            for (std::size_t i = 0; i < own.size(); ++i) {
                if (own[i].flags() & ace_flag::kInherited) {
                    firstInherited = i;
                    break;
                }
            }
            const bool anyInherited = firstInherited < own.size();
            if (settings.skipNotInherited && !anyInherited) {
                return EditResult{EditStatus::Unchanged, 0};
            }
            if (settings.keepExplicitAces && anyInherited) {
                dacl.assign(own.begin(), own.begin() + static_cast<std::ptrdiff_t>(firstInherited));
            }
            // "ACE Inheritance Rules", as Windows applies them to an item
            // created in the parent, every copy marked inherited.
            const std::vector<RawAce> inherited =
                nt::inheritedAces(parentDacl, true, folder, sd.owner, sd.group);
            dacl.insert(dacl.end(), inherited.begin(), inherited.end());
            if (!sd.group && appliesCreatorGroup(parentDacl, folder)) {
                AclEditor::report(entry,
                                  L"Error determining primary group of owner for inheriting "
                                  L"well known SID S-1-3-1");
            }
            return EditResult{};
        },
        read);
    if (onDisk != nullptr && known) {
        // Not written (nothing to change, a failed write): the disk holds
        // what was read.
        *onDisk =
            result.status == EditStatus::Done ? daclOf(editor_.reader().lastDescriptor()) : seen;
    }
    return result;
}

namespace {

// Inherit ACL's part of the walk: each item made gets the ACL it inherits
// from its folder; a folder is entered with the working ACE on it, so that
// the run keeps the access it needs below.
class InheritVisitor : public WalkVisitor {
  public:
    InheritVisitor(Propagation& p, AclEditor& editor, std::uint64_t& walked,
                   CapturingSecurity& capture, std::vector<RawAce> rootDacl)
        : p_(p), editor_(editor), walked_(walked), capture_(capture) {
        levels_.push_back({std::move(rootDacl), WorkingAce{}});
    }

    bool unknownDacl() const { return unknownDacl_; }

    void reached(const std::wstring&) override { editor_.ports().ui.pumpMessages(); }

    WalkStep visit(CDirEntry& entry, const DirItem& item, const std::wstring&) override {
        ++walked_;
        const bool isFolder = item.isDirectory();
        if (isFolder) {
            entry.setListingNotRead(true);
        }
        entry.isReparsePoint = isFolder && item.isLink() ? 1 : 0;
        std::optional<std::vector<RawAce>> onDisk;
        p_.InheritFromParent(entry, levels_.back().dacl,
                             capture_.status.ok() ? &capture_.descriptor : nullptr, &onDisk, false);
        if (editor_.ports().ui.cancelRequested()) {
            return WalkStep::Stop;
        }
        // Junctions, mount points and symbolic links get their inherited ACL
        // but are not entered: their target may be anywhere, this tree
        // included. Placeholders and other reparse points are entered.
        if (entry.isDotEntry() || !isFolder || entry.isReparsePoint) {
            return WalkStep::Next;
        }
        if (!onDisk) {
            // The folder's own DACL is not known: what lies below keeps its
            // ACLs rather than inheriting a guess.
            unknownDacl_ = true;
            return WalkStep::Next;
        }
        levels_.push_back({std::move(*onDisk), editor_.InsertWorkingAce(entry)});
        return WalkStep::Descend;
    }

    bool notListed(CDirEntry& folder) override {
        leaveLevel(folder);
        return true;
    }

    void listingFailed(CDirEntry& folder) override {
        // What was not listed keeps its ACL: the run is incomplete.
        AclEditor::report(folder, Propagation::kListingErrorText);
    }

    bool left(CDirEntry& folder) override {
        leaveLevel(folder);
        return true;
    }

  private:
    struct Level {
        std::vector<RawAce> dacl;  // the folder's DACL, without the working ACE
        WorkingAce working;
    };

    void leaveLevel(CDirEntry& folder) {
        Level level = std::move(levels_.back());
        levels_.pop_back();
        editor_.RemoveWorkingAce(folder, level.working);
    }

    Propagation& p_;
    AclEditor& editor_;
    std::uint64_t& walked_;
    CapturingSecurity& capture_;
    std::vector<Level> levels_;
    bool unknownDacl_ = false;
};

}  // namespace

bool Propagation::walk(CDirEntry& root, const std::vector<RawAce>& rootDacl, bool& pathTooLong) {
    DatasetBuilder build(*root.dataset());
    CapturingSecurity capture(editor_.ports().security, editor_.reader());
    InheritVisitor visitor(*this, editor_, walked_, capture, rootDacl);
    const WalkResult walked =
        WalkTree(files_, build, capture, root, root.path(), root.depth + 1, visitor);
    pathTooLong = walked.pathTooLong;
    if (!walked.opened) {
        return !walked.pathTooLong;
    }
    return !walked.pathTooLong && !walked.listingFailed && !walked.stopped &&
           !visitor.unknownDacl();
}

bool Propagation::InheritAcl(CDirEntry& folder) {
    CDirList& dataset = *folder.dataset();
    InteractionPort& ui = editor_.ports().ui;
    walked_ = 0;
    SecurityDescriptor sd;
    const SdReadStatus status = editor_.ports().security.readSecurity(folder.path(), sd);
    if (!status.ok()) {
        AclEditor::report(folder, L"Error adding ACE ( GetFileSecurity )");
        return false;
    }
    ui.showHeartbeat();
    WorkingAce working = editor_.InsertWorkingAce(folder);
    dataset.removeChildren(&folder);
    bool pathTooLong = false;
    const bool complete = walk(folder, daclOf(sd), pathTooLong);
    editor_.RemoveWorkingAce(folder, working);
    const bool cancelled = ui.cancelRequested();
    ui.closeHeartbeat();
    if (pathTooLong) {
        ui.showMessage(L"Max path length exceeded - inheritance incomplete",
                       L"Error: Max path length", MessageIcon::Error);
    }
    if (cancelled) {
        ui.showMessage(L"Inherit ACL was canceled after " + std::to_wstring(walked_) +
                           L" files and folders. The files and folders not reached keep their "
                           L"ACLs.",
                       L"Inherit ACL", MessageIcon::Information);
    }
    return complete;
}

bool Propagation::PropagateChanges(CDirList& dataset) {
    const MessageAnswer answer = editor_.ports().ui.showMessage(
        L"Apply ACL to all subdirectories and files?\n\nWARNING: This action cannot be undone "
        L"and will clear the contents of the undo buffer. Are you sure you wish to proceed?",
        L"Confirmation", MessageIcon::Warning, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
        return false;
    }
    undo_.ClearUndoBuffer();
    while (std::optional<PendingChange> change = pending_.takeFirst()) {
        ApplyPendingChange(dataset, *change);
    }
    return true;
}

void Propagation::ApplyPendingChange(CDirList& dataset, const PendingChange& change) {
    CDirEntry* entry = findEntryByPath(dataset, change.path);
    if (entry == nullptr) {
        return;
    }
    if (change.kind == PendingChange::Kind::MaskChanged) {
        for (CDirEntry* e = entry; e != nullptr; e = nextInSubtree(e, entry)) {
            editor_.SetInheritedAccessMask(*e, change.trustee, change.aceType, change.oldMask,
                                           change.newMask);
        }
    } else {
        for (CDirEntry* e = nextInSubtree(entry, entry); e != nullptr;
             e = nextInSubtree(e, entry)) {
            editor_.DelInheritedTrustee(*e, change.trustee, change.aceType, change.newMask);
        }
    }
}

EditResult Propagation::RestoreAcl(CDirEntry& entry) {
    if (entry.isDotEntry() || entry.partner == nullptr) {
        return {EditStatus::Unchanged, 0};
    }
    const CDirEntry& saved = *entry.partner;
    SecurityReader& reader = editor_.reader();
    // The saved entry may be of a dataset with a table of its own: accounts
    // are matched by their texts.
    const AccountNames& names = entry.dataset()->accountNames();
    const AccountNames& savedNames = saved.dataset()->accountNames();
    auto sameAccount = [&](const Sid& sid, const AceRecord& r) {
        const std::uint32_t account = reader.accountOf(sid, entry);
        return names.name(account) == r.trustee(savedNames) &&
               names.domain(account) == r.domain(savedNames);
    };
    return editor_.Rewrite(
        entry, kAppendTrustee, [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
            const std::vector<RawAce>& own = daclOf(sd);
            std::vector<bool> used(own.size(), false);
            for (std::uint32_t i = 0; i < saved.aceCount(); ++i) {
                const AceRecord& r = *saved.ace(i);
                // The same ACE still on disk is kept as it is, bytes
                // and SID included.
                bool found = false;
                for (std::size_t j = 0; j < own.size() && !found; ++j) {
                    const std::optional<Sid> sid = own[j].sid();
                    if (!used[j] && own[j].type() == r.aceType && own[j].flags() == r.aceFlags &&
                        own[j].mask() == r.accessMask && sid && sameAccount(*sid, r)) {
                        used[j] = true;
                        found = true;
                        dacl.push_back(own[j]);
                    }
                }
                if (found) {
                    continue;
                }
                if (r.aceType != ace_type::kAccessAllowed && r.aceType != ace_type::kAccessDenied) {
                    AclEditor::report(entry, L"Cannot restore an ACE of type " +
                                                 std::to_wstring(r.aceType) +
                                                 L": only allow and deny ACEs can be written");
                    return EditResult::failed(win_error::kNotSupported);
                }
                Sid sid;
                if (const std::uint32_t error =
                        editor_.resolve(Trustee::ofRecord(savedNames, r), sid);
                    error != 0) {
                    AclEditor::report(entry, L"Error adding ACE ( cannot lookup account name )");
                    return EditResult::failed(error);
                }
                dacl.push_back(RawAce::make(r.aceType, r.aceFlags, r.accessMask, sid));
            }
            return EditResult{};
        });
}

void Propagation::RestorePermissions(std::span<CDirEntry* const> shown, const CDirList& scanned,
                                     bool applyInheritance) {
    auto belongs = [&](const CDirEntry* e) {
        return e != nullptr && e->dataset() == &scanned && !e->isHeading;
    };
    for (CDirEntry* e : shown) {
        if (belongs(e) && e->partner != nullptr && !e->partnerHandled) {
            RestoreAcl(*e);
        }
    }
    if (!applyInheritance) {
        return;
    }
    for (CDirEntry* e : shown) {
        if (belongs(e) && e->partner == nullptr && e->parent() != nullptr) {
            InheritFromParent(*e, *e->parent());
        }
    }
}

}  // namespace quorel
