#pragma once

#include <optional>
#include <vector>

#include "platform/security_descriptor.h"
#include "platform/security_port.h"

namespace quorel {

// How a DACL is written so that the object stores exactly the ACEs and the
// protection asked for, and SE_DACL_AUTO_INHERITED where it is to be kept,
// whichever way the system reads SE_DACL_AUTO_INHERIT_REQ.
//
// The documentation leaves that request open: "SECURITY_DESCRIPTOR_CONTROL"
// says a provider that supports automatic inheritance sets
// SE_DACL_AUTO_INHERITED when asked by SE_DACL_AUTO_INHERIT_REQ (without
// the request the flag is not stored: Samba's NT ACL store drops it), while
// "SetPrivateObjectSecurityEx" says that under SEF_DACL_AUTO_INHERIT the new
// DACL is the written explicit ACEs plus the inherited ACEs of the object's
// old DACL. So:
//  - a protected DACL is written once with SE_DACL_PROTECTED and
//    SE_DACL_AUTO_INHERITED, never with the request (a protected DACL takes
//    nothing from the old one);
//  - a DACL that is not to be auto-inherited is written once without bits;
//  - an auto-inherited DACL whose inherited ACEs are those on disk, after
//    all its explicit ACEs, is written once with the request: both readings
//    store it as written;
//  - one whose inherited ACEs change (inheritance, restore, undo) is first
//    written without the request, which stores the ACEs as given, then
//    again with it, which keeps them under either reading and sets the flag;
//  - one with an explicit ACE after an inherited one cannot be stored with
//    the flag without risking its order: it is written once without bits,
//    the order kept, the flag not.
struct DaclWritePlan {
    std::vector<DaclControl> writes;
    bool expectProtected = false;
    // Whether SE_DACL_AUTO_INHERITED must be on disk afterwards; nothing:
    // either (a protected DACL).
    std::optional<bool> expectAutoInherited;
};

DaclWritePlan planDaclWrite(const std::vector<RawAce>& onDisk, const std::vector<RawAce>& dacl,
                            bool protect, bool autoInherited);

// Whether the descriptor read back holds what the plan wrote: the same ACEs
// up to the documented generic mapping, and the control bits it expects.
bool storedAsPlanned(const DaclWritePlan& plan, const std::vector<RawAce>& written,
                     const SecurityDescriptor& readBack);

}  // namespace quorel
