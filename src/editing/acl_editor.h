#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "editing/edit_result.h"
#include "editing/edit_settings.h"
#include "editing/trustee.h"
#include "platform/security_descriptor.h"
#include "platform/security_port.h"

namespace quorel {

class CDirEntry;
class SecurityReader;
struct DaclWritePlan;

// The full-control ACE an Inherit ACL run grants the current user on a
// folder while it rebuilds what lies below, so that it can still list and
// write there. It is taken out again by identity: the very ACE that was
// put in, wherever it has moved to, and only when it was put in.
struct WorkingAce {
    bool inserted = false;
    RawAce ace;
};

// One ACE of a pasted ACL, by the trustee's name.
struct TrusteeAce {
    Trustee trustee;
    std::uint32_t mask = 0;
    std::uint8_t flags = 0;
    bool allow = true;
};

// How one rewrite of a DACL reports and recovers. The texts are the error
// list messages of the step that fails; null: none.
struct EditSpec {
    const wchar_t* readFailed = nullptr;  // GetFileSecurityW and the descriptor accessors
    const wchar_t* daclFailed = nullptr;  // GetSecurityDescriptorDacl
    const wchar_t* sizeFailed = nullptr;  // GetAclInformation
    const wchar_t* aceFailed = nullptr;   // GetAce: an ACE that could not be read
    const wchar_t* writeFailed = nullptr;
    const wchar_t* aclTooLarge = nullptr;  // InitializeAcl: more than an ACL can hold
    bool takeOwnershipOnDenied = false;    // take ownership and try once more
    bool giveBackOwnership = false;        // GiveBackOwnership when done
    bool checkView = true;                 // refuse when the disk is not what is shown
    // The result is auto-inherited whatever the DACL read was (what
    // inheritance computes); otherwise SE_DACL_AUTO_INHERITED is kept as read.
    bool autoInheritResult = false;
};

// Adding an ACE at the end of a DACL, and giving an entry the ACEs it
// inherits: read, write and size failures as AppendTrustee reports them.
extern const EditSpec kAppendTrustee;

// The ACL editing primitives on one directory entry. Every operation reads
// the entry's descriptor once, checks that its DACL is still the one the
// entry shows, computes the new DACL in memory and writes it with one call,
// so that the disk holds either the DACL before or the DACL asked for, never
// a half-built one (a delegated administrator whose write access comes from
// an ACE that the rebuild removes would otherwise be locked out with an
// empty DACL). Afterwards the entry shows what is on disk.
//
// An ACE index counts the ACEs of the DACL, which the view check makes the
// same as the entry's records.
class AclEditor {
  public:
    // The new DACL and its protection, computed from the descriptor read.
    using Compute = std::function<EditResult(const SecurityDescriptor& read,
                                             std::vector<RawAce>& dacl, bool& protect)>;

    AclEditor(EditPorts ports, SecurityReader& reader, EditSettings& settings);

    EditSettings& settings() { return settings_; }
    EditPorts& ports() { return ports_; }
    SecurityReader& reader() { return reader_; }

    // Replace the access mask, or the flags byte, of ACE `index` in place.
    EditResult SetAccessMask(CDirEntry& entry, std::uint32_t index, std::uint32_t mask);
    EditResult SetInheritance(CDirEntry& entry, std::uint32_t index, std::uint8_t flags);
    // Mask, flags and type of ACE `index` together, in one write (the
    // trustee stays).
    EditResult ModifyAce(CDirEntry& entry, std::uint32_t index, std::uint32_t mask,
                         std::uint8_t flags, std::uint8_t type);
    // Delete ACE `index`.
    EditResult DelTrustee(CDirEntry& entry, std::uint32_t index);
    // A new allow (or deny) ACE; the DACL's own ACEs, of every type, are
    // kept byte for byte and in their order. An explicit ACE goes where the
    // canonical order puts it (a deny after the explicit denies, an allow
    // after the explicit allows, both before the inherited ACEs); an
    // inherited one first (AddTrusteeUnconditional) or last (AppendTrustee)
    // among the inherited ACEs.
    EditResult AddTrusteeUnconditional(CDirEntry& entry, const Trustee& trustee, std::uint32_t mask,
                                       std::uint8_t flags, bool allow);
    EditResult AppendTrustee(CDirEntry& entry, const Trustee& trustee, std::uint32_t mask,
                             std::uint8_t flags, bool allow);
    // One entry merged as SetEntriesInAclW merges it; AddTrusteeOfConvert
    // also protects the DACL from inheritance.
    EditResult AddTrusteeOfConvert(CDirEntry& entry, const Trustee& trustee, std::uint32_t mask,
                                   std::uint8_t inheritance, bool allow);
    EditResult MergeTrustee(CDirEntry& entry, const Trustee& trustee, std::uint32_t mask,
                            std::uint8_t inheritance, bool allow);
    // The entry's own ACEs, all of them in their order, with INHERITED_ACE
    // cleared, as a protected DACL (what Windows' own conversion writes).
    EditResult ConvertInheritedAces(CDirEntry& entry);
    // Delete each inherited ACE of `trustee` with this type and mask; or give
    // each such ACE with `oldMask` the new mask. Nothing on "." and "..".
    EditResult DelInheritedTrustee(CDirEntry& entry, const Trustee& trustee, std::uint8_t type,
                                   std::uint32_t mask);
    EditResult SetInheritedAccessMask(CDirEntry& entry, const Trustee& trustee, std::uint8_t type,
                                      std::uint32_t oldMask, std::uint32_t newMask);
    // The DACL in canonical order (explicit denies, explicit allows,
    // inherited ACEs, each group in its order); nothing written when it is
    // in that order already.
    EditResult RepairAceOrder(CDirEntry& entry);
    // Cut of a whole ACL: every ACE removed, the protection kept.
    EditResult RemoveAllAces(CDirEntry& entry);
    // Paste: the DACL becomes exactly `aces`, in their order, the
    // protection kept. Nothing is written when a trustee cannot be found.
    EditResult ReplaceWithTrustees(CDirEntry& entry, const std::vector<TrusteeAce>& aces);
    // Combine: each ACE merged in turn as SetEntriesInAclW merges it, all
    // in one write; nothing is written when a trustee cannot be found.
    EditResult MergeTrustees(CDirEntry& entry, const std::vector<TrusteeAce>& aces);
    // Delete the ACEs at `indices` (any order) in one write.
    EditResult DeleteAces(CDirEntry& entry, std::vector<std::uint32_t> indices);
    // Replaces the whole DACL (paste, undo, restore): one write.
    EditResult ReplaceDacl(CDirEntry& entry, std::vector<RawAce> dacl, bool protect);

    // Gives `path` a null DACL again (undo of an edit that replaced one),
    // read back; `entry` (when shown) then shows the disk.
    EditResult RestoreNullDacl(const std::wstring& path, CDirEntry* entry);

    // Ownership: make the Administrators group owner, remembering the
    // owner's SID; give that SID back.
    EditResult TakeOwnership(CDirEntry& entry);
    EditResult GiveBackOwnership(CDirEntry& entry);

    WorkingAce InsertWorkingAce(CDirEntry& entry);
    // Takes the working ACE out again; a failure is tried once more and
    // then reported.
    EditResult RemoveWorkingAce(CDirEntry& entry, WorkingAce& working);

    // Reads the entry again from disk.
    void Reread(CDirEntry& entry);

    // The engine of every operation above: read (unless `read` holds the
    // descriptor just read for the entry), check the view, compute, write
    // once, show what is on disk.
    EditResult Rewrite(CDirEntry& entry, const EditSpec& spec, const Compute& compute,
                       const SecurityDescriptor* read = nullptr);
    // The same for a path whose entry is no longer in any dataset: no view
    // to check or refresh, no ownership to take.
    EditResult RewritePath(const std::wstring& path, const Compute& compute);

    // The SID to write for `trustee` (see Trustee); 0 or the lookup error.
    std::uint32_t resolve(const Trustee& trustee, Sid& sid);
    // Whether the DACL read holds, in order, the ACEs the entry shows.
    bool viewMatches(const CDirEntry& entry, const SecurityDescriptor& read);

    // Adds `text` to the error list of the entry's dataset.
    static void report(CDirEntry& entry, const std::wstring& text);

  private:
    // Takes ownership for a retried step, never with backup and restore
    // privileges; `read` (when known) gives the owner to remember and is
    // updated. False when not taken.
    bool takeOwnershipFor(CDirEntry& entry, SecurityDescriptor* read);
    // Takes ownership when the settings allow and the old owner's SID is
    // known (read now, or shown from an earlier read); otherwise reports
    // why not and changes nothing.
    bool takeOwnershipOf(CDirEntry& entry, SecurityDescriptor* read);
    // Gives ownership back; `known` (when the disk's descriptor is at hand)
    // is updated and shown instead of reading the entry again.
    EditResult giveBack(CDirEntry& entry, SecurityDescriptor* known);
    // Shows `known`, or reads the entry again when it is not known.
    void show(CDirEntry& entry, const SecurityDescriptor* known);
    EditResult editAt(CDirEntry& entry, std::uint32_t index, const EditSpec& spec,
                      const std::function<void(std::vector<RawAce>&)>& change);
    EditResult addAce(CDirEntry& entry, const Trustee& trustee, std::uint32_t mask,
                      std::uint8_t flags, bool allow, bool first);
    EditResult merge(CDirEntry& entry, const Trustee& trustee, std::uint32_t mask,
                     std::uint8_t inheritance, bool allow, bool convert);
    EditResult inherited(CDirEntry& entry, const Trustee& trustee, std::uint8_t type,
                         std::uint32_t mask, const std::uint32_t* newMask);
    void showStale(CDirEntry& entry);
    // Reads the entry's descriptor for an edit, taking ownership when the
    // read is denied and `spec` allows it; a failure is reported as `spec`
    // words it.
    SdReadStatus readForEdit(CDirEntry& entry, const EditSpec& spec, SecurityDescriptor& sd);
    // Writes `dacl` over `sd` (as read) once, reads it back and shows what
    // the disk holds in `sd` and the entry; gives ownership back when
    // `spec` says so.
    EditResult writeDacl(CDirEntry& entry, const EditSpec& spec, SecurityDescriptor& sd,
                         const std::vector<RawAce>& dacl, bool protect);
    // The writes of `plan`, in order; 0 or the error of the first that
    // fails, `written` the count of those that succeeded.
    std::uint32_t writePlanned(const std::wstring& path, const std::vector<RawAce>& dacl,
                               const DaclWritePlan& plan, std::size_t& written);

    EditPorts ports_;
    SecurityReader& reader_;
    EditSettings& settings_;
    std::map<std::wstring, Sid> names_;  // names resolved by LookupAccountNameW
};

}  // namespace quorel
