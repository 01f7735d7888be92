#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "editing/edit_result.h"
#include "platform/security_descriptor.h"
#include "platform/security_port.h"

namespace quorel {

class AclEditor;
class CDirEntry;
class CDirList;
class FileSystemPort;
class PendingChanges;
class UndoBuffer;
struct PendingChange;

// Inheritance done by the system itself, with its own rules, on the editing
// primitives: Inherit ACL, Propagate made changes, Restore permissions.
class Propagation {
  public:
    // Added to the error list with a folder whose listing failed part-way.
    static constexpr const wchar_t* kListingErrorText =
        L"Error listing directory - inheritance incomplete, later items keep their ACLs";

    Propagation(AclEditor& editor, FileSystemPort& files, UndoBuffer& undo,
                PendingChanges& pending);

    // Gives `entry` the ACEs it inherits from `parent`'s DACL (read from
    // disk), in one write (two where SE_DACL_AUTO_INHERITED must be set
    // again, see planDaclWrite).
    EditResult InheritFromParent(CDirEntry& entry, CDirEntry& parent);
    // The same from a parent DACL already at hand; `read` is the entry's
    // descriptor when it was just read (no second read then).
    // `checkView` false: the entry was just made and shown to no one (the
    // walk of Inherit ACL), so a read that failed then is no stale view.
    // `onDisk` (when given) receives the entry's DACL as it then is on disk,
    // and is left empty when that is not known (the entry could not be read).
    EditResult InheritFromParent(CDirEntry& entry, const std::vector<RawAce>& parentDacl,
                                 const SecurityDescriptor* read = nullptr,
                                 std::optional<std::vector<RawAce>>* onDisk = nullptr,
                                 bool checkView = true);

    // Inherit ACL on `folder`: its subtree is read again from disk and every
    // file and folder below it gets the ACL it inherits. Returns false when
    // the run was cut short (Cancel, a path too long, a folder whose
    // listing failed part-way); the max-path and cancel messages are shown.
    bool InheritAcl(CDirEntry& folder);

    // Asks, then applies and empties the pending-change list (emptying the
    // undo buffer too). False when the user said No.
    bool PropagateChanges(CDirList& dataset);
    // Applies one change to the subtree of its entry; nothing when the
    // entry is no longer in `dataset`.
    void ApplyPendingChange(CDirList& dataset, const PendingChange& change);

    // Writes the partner entry's saved ACL to `entry`, in one write.
    EditResult RestoreAcl(CDirEntry& entry);
    // Restore permissions over the shown entries of `scanned`: the saved ACL
    // to each entry with a partner; with `applyInheritance`, the inherited
    // ACL to each entry without one.
    void RestorePermissions(std::span<CDirEntry* const> shown, const CDirList& scanned,
                            bool applyInheritance);

    // Entries Inherit ACL created in its last run.
    std::uint64_t walkedCount() const { return walked_; }

  private:
    // Walks the subtree of `root`; false when cut short. `pathTooLong`
    // tells whether a path limit was one of the reasons.
    bool walk(CDirEntry& root, const std::vector<RawAce>& rootDacl, bool& pathTooLong);

    AclEditor& editor_;
    FileSystemPort& files_;
    UndoBuffer& undo_;
    PendingChanges& pending_;
    std::uint64_t walked_ = 0;
};

}  // namespace quorel
