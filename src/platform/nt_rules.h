#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/security_descriptor.h"
#include "platform/sid.h"

// The rules Windows applies to file security descriptors, as Microsoft's
// documentation states them. The simulated volume stores and creates items
// by them, and the editing code computes what it writes by them, so that
// what the system shows is what a real server stores.
namespace quorel::nt {

// "File Security and Access Rights": the generic rights of a file or folder
// map to FILE_ALL_ACCESS (0x1F01FF), FILE_GENERIC_READ (0x120089),
// FILE_GENERIC_WRITE (0x120116) and FILE_GENERIC_EXECUTE (0x1200A0).
std::uint32_t mapGenericRights(std::uint32_t mask);
bool hasGenericRights(std::uint32_t mask);

// Whether an ACE takes part in access checks on the object that holds it
// (not INHERIT_ONLY_ACE).
bool isEffective(const RawAce& ace);

// "ACE Inheritance Rules": the DACL an item of this kind gets when it is
// created in a folder whose DACL is `parentDacl`.
//  - A file takes each ACE with OBJECT_INHERIT_ACE; a folder each ACE with
//    CONTAINER_INHERIT_ACE, and each OBJECT_INHERIT_ACE-only ACE as an
//    inherit-only ACE (OI|IO) that passes it on to the folder's files.
//  - NO_PROPAGATE_INHERIT_ACE: the copy is not inheritable (no OI, CI, NP).
//  - INHERIT_ONLY_ACE of the parent's ACE does not carry to a copy that
//    applies to the child.
//  - In a copy that applies to the child, generic rights are mapped and
//    CREATOR OWNER / CREATOR GROUP become the item's owner / primary group;
//    where such an ACE stays inheritable, an inherit-only copy of the
//    parent's ACE (generic rights and SID unchanged) follows it.
//  - Under a parent whose DACL has SE_DACL_AUTO_INHERITED every copy is
//    marked INHERITED_ACE ("Automatic Propagation of Inheritable ACEs").
//  - The copies keep the parent's order.
// An ACE of CREATOR OWNER (or GROUP) without a known owner (or group) gives
// no effective copy.
std::vector<RawAce> inheritedAces(const std::vector<RawAce>& parentDacl, bool parentAutoInherited,
                                  bool isFolder, const std::optional<Sid>& owner,
                                  const std::optional<Sid>& group);

// "Order of ACEs in a DACL": explicit ACEs before inherited ones, explicit
// access-denied before explicit access-allowed ACEs. Inherited ACEs keep
// the order their parents gave them and are not checked among themselves.
bool isCanonical(const std::vector<RawAce>& dacl);
// Where a new explicit ACE goes: a deny after the leading explicit denies,
// before any explicit allow and every inherited ACE; an allow before the
// first inherited ACE. An ACL out of order keeps its order around it.
std::size_t canonicalInsertIndex(const std::vector<RawAce>& dacl, bool deny);
// The DACL in canonical order: explicit denies, explicit allows (and the
// other explicit ACEs where they stood among those), inherited ACEs; each
// group keeps its order.
std::vector<RawAce> canonicalOrder(const std::vector<RawAce>& dacl);

// What an object stores when SetFileSecurityW (or SetKernelObjectSecurity)
// writes `written` with the control bits `control` over `old`.
struct StoredDacl {
    std::vector<RawAce> dacl;
    std::uint16_t control = 0;  // SE_DACL_PROTECTED, SE_DACL_AUTO_INHERITED as stored
};
StoredDacl storeDacl(const std::vector<RawAce>& old, const std::vector<RawAce>& written,
                     std::uint16_t control);

// Whether `stored` is what writing `written` stores, up to the documented
// generic mapping.
bool storedAsWritten(const std::vector<RawAce>& written, const std::vector<RawAce>& stored);

}  // namespace quorel::nt
