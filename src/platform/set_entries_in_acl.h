#pragma once

#include <cstdint>
#include <vector>

#include "platform/security_descriptor.h"
#include "platform/sid.h"

namespace quorel {

// One EXPLICIT_ACCESS_W entry of the two modes the system uses.
struct ExplicitAccess {
    enum class Mode : std::uint8_t { Grant, Deny };  // GRANT_ACCESS, DENY_ACCESS
    Mode mode = Mode::Grant;
    std::uint32_t mask = 0;        // grfAccessPermissions
    std::uint8_t inheritance = 0;  // grfInheritance: ACE flag bits 0x01-0x08
    Sid trustee;                   // the trustee, already resolved to its SID
};

// What SetEntriesInAclW(1, &entry, oldAcl, &newAcl) yields, computed in
// memory so that the result can be written in one call. The rules, as the
// Win32 documentation of SetEntriesInAcl and ACCESS_MODE states them:
//  - GRANT_ACCESS "combines the specified rights with any existing allowed
//    rights of the trustee": an explicit access-allowed ACE (type 0) of the
//    same SID with the same inheritance flags takes the new rights into its
//    mask, where it stands, and no ACE is added.
//  - DENY_ACCESS "denies the specified rights in addition to any currently
//    denied rights of the trustee": likewise with an explicit access-denied
//    ACE (type 1) of the same SID and inheritance flags.
//  - Otherwise a new ACE is made and goes where "Order of ACEs in a DACL"
//    puts it (nt::canonicalInsertIndex): a deny after the explicit denies,
//    an allow after the explicit allows, both before every inherited ACE.
//  - Inherited ACEs (INHERITED_ACE) are never merged into; ACEs of other
//    types and the ACEs not named above are kept byte for byte, in their
//    order.
// The inheritance flags are taken as given, masked to 0x0F; the mask is
// written as given (generic bits are not mapped).
std::vector<RawAce> setEntriesInAcl(const std::vector<RawAce>& oldAcl, const ExplicitAccess& entry);

}  // namespace quorel
