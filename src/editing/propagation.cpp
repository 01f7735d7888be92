#include "editing/propagation.h"

#include <memory>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "core/security_reader.h"
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

const std::vector<RawAce>& daclOf(const SecurityDescriptor& sd) {
    static const std::vector<RawAce> none;
    return sd.daclState == DaclState::Present ? sd.dacl : none;
}

const EditSpec kInheritSpec{
    .readFailed = L"Error adding ACE ( GetFileSecurity )",
    .daclFailed = L"Error adding ACE ( GetSecurityDescriptorDacl )",
    .sizeFailed = L"Error adding ACL ( GetAclInformation )",
    .writeFailed = L"Error setting file security",
    .aclTooLarge = L"Error initializing ACL",
    .takeOwnershipOnDenied = true,
    .giveBackOwnership = true,
};

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

std::wstring joinPath(const std::wstring& dir, const std::wstring& name) {
    std::wstring path = dir;
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    return path + name;
}

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
    EditSpec spec = kInheritSpec;
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

struct Propagation::Frame {
    std::unique_ptr<DirEnumerator> enumerator;
    DirItem item;
    bool haveItem = false;
    std::wstring path;
    std::uint32_t depth = 0;
    CDirEntry* directory = nullptr;
    CDirEntry* last = nullptr;  // the last entry linked into this listing
    std::vector<RawAce> dacl;   // the directory's DACL, without the working ACE
    WorkingAce working;
};

bool Propagation::walk(CDirEntry& root, const std::vector<RawAce>& rootDacl) {
    DatasetBuilder build(*root.dataset());
    InteractionPort& ui = editor_.ports().ui;
    CapturingSecurity capture(editor_.ports().security, editor_.reader());
    std::vector<Frame> stack;
    bool complete = true;
    bool cancelled = false;
    bool maxPathExceeded = false;

    auto open = [&](const std::wstring& path, std::uint32_t depth, CDirEntry* directory,
                    std::vector<RawAce> dacl, const WorkingAce& working) {
        if (path.size() > kMaxWalkPath) {
            maxPathExceeded = true;
            return false;
        }
        Frame frame;
        std::uint32_t error = 0;
        frame.enumerator = files_.openDirectory(path, frame.item, error);
        if (!frame.enumerator) {
            return false;
        }
        frame.haveItem = true;
        frame.path = path;
        frame.depth = depth;
        frame.directory = directory;
        frame.dacl = std::move(dacl);
        frame.working = working;
        stack.push_back(std::move(frame));
        return true;
    };

    if (!open(root.path(), root.depth + 1, &root, rootDacl, WorkingAce{})) {
        maxPathExceeded_ = maxPathExceeded;
        return !maxPathExceeded;
    }
    while (!stack.empty()) {
        Frame& f = stack.back();
        bool done = cancelled;
        if (!done && !f.haveItem) {
            const std::uint32_t error = f.enumerator->next(f.item);
            done = error != 0;
            if (done && error != win_error::kNoMoreFiles) {
                // What was not listed keeps its ACL: the run is incomplete.
                AclEditor::report(*f.directory, kListingErrorText);
                complete = false;
            }
        }
        f.haveItem = false;
        if (!done && f.path.size() + f.item.name.size() > kMaxItemPath) {
            maxPathExceeded = true;
            complete = false;
            done = true;
        }
        if (done) {
            Frame finished = std::move(f);
            stack.pop_back();
            editor_.RemoveWorkingAce(*finished.directory, finished.working);
            continue;
        }
        ui.pumpMessages();

        const std::wstring path = joinPath(f.path, f.item.name);
        const bool isFolder = f.item.isDirectory();
        if (f.last == nullptr) {
            build.placeUnder(f.directory);
        } else {
            build.placeAfter(f.last);
        }
        build.setDepth(f.depth);
        CDirEntry* entry = build.addScanEntry(path, f.item.name, capture);
        f.last = entry;
        ++walked_;
        if (isFolder) {
            entry->setListingNotRead(true);
        }
        entry->isReparsePoint = isFolder && f.item.isLink() ? 1 : 0;
        std::optional<std::vector<RawAce>> onDisk;
        InheritFromParent(*entry, f.dacl, capture.status.ok() ? &capture.descriptor : nullptr,
                          &onDisk, false);
        if (ui.cancelRequested()) {
            cancelled = true;
            complete = false;
            continue;
        }
        // Junctions, mount points and symbolic links get their inherited ACL
        // but are not entered: their target may be anywhere, this tree
        // included. Placeholders and other reparse points are entered.
        if (entry->isDotEntry() || !isFolder || entry->isReparsePoint) {
            continue;
        }
        if (!onDisk) {
            // The folder's own DACL is not known: what lies below keeps its
            // ACLs rather than inheriting a guess.
            complete = false;
            continue;
        }
        WorkingAce working = editor_.InsertWorkingAce(*entry);
        const std::uint32_t depth = f.depth + 1;  // `f` moves when a frame is pushed
        if (!open(path, depth, entry, std::move(*onDisk), working)) {
            editor_.RemoveWorkingAce(*entry, working);
            if (maxPathExceeded) {
                complete = false;
            }
        }
    }
    maxPathExceeded_ = maxPathExceeded;
    return complete && !cancelled;
}

bool Propagation::InheritAcl(CDirEntry& folder) {
    CDirList& dataset = *folder.dataset();
    InteractionPort& ui = editor_.ports().ui;
    maxPathExceeded_ = false;
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
    const bool complete = walk(folder, daclOf(sd));
    editor_.RemoveWorkingAce(folder, working);
    const bool cancelled = ui.cancelRequested();
    ui.closeHeartbeat();
    if (maxPathExceeded_) {
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
    return editor_.Rewrite(
        entry, kInheritSpec, [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
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
                        own[j].mask() == r.accessMask && sid &&
                        reader.accountOf(*sid, entry.path()) == r.account()) {
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
                if (const std::uint32_t error = editor_.resolve(Trustee::ofRecord(r), sid);
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
