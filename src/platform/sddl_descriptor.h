#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/security_descriptor.h"
#include "platform/sid.h"

// A whole security descriptor in the Security Descriptor Definition
// Language, as "Security Descriptor String Format", "ACE Strings" and "SID
// Strings" define it:
//
//   [O:sid][G:sid][D:[P][AR][AI](NO_ACCESS_CONTROL | ace...)]
//   ace:  (type;flags;rights;object_guid;inherit_object_guid;sid)
//
// type:   A D AU AL OA OD OU OL XA XD ZA XU ML RA SP
// flags:  OI CI NP IO ID SA FA, or a hexadecimal number when other bits are set
// rights: a whole alias (FA FR FW FX KA KR KW), else the right letters
//         (GA GR GW GX, RC SD WD WO, CC DC LC SW RP WP DT LO CR) when they
//         cover every bit, else a hexadecimal number ("0x1200a9"); KX, NR,
//         NW and NX are read too
// sid:    an alias of a well-known SID (WD, CO, CG, OW, SY, BA, BU, AU, ...),
//         "S-1-...", or on reading a caller's substitution ("$OWNER")
//
// The text is what ConvertSecurityDescriptorToStringSecurityDescriptorW
// writes for owner, group and DACL, with these additions so that every
// SecurityDescriptor reads back exactly:
//  - bytes an ACE holds after its SID (a callback ACE's application data,
//    or padding) follow the SID as a seventh field in hexadecimal
//    ("(XA;;FA;;;WD;0x61727478)"); conditional expressions are not decoded;
//  - an ACE the fields cannot describe (an unknown type, a size field that
//    differs from its length, no whole SID, other object flags) is written
//    as its bytes: "(RAW;0001140000...)";
//  - control bits other than those the text implies (SE_SELF_RELATIVE,
//    SE_DACL_PRESENT with a DACL, P, AR, AI) are written as a last
//    component "C:0x...." holding the whole control word.
// The ACEs of a null or absent DACL are not part of the descriptor.
namespace quorel {

// A name the caller's text may use for a SID ("$OWNER").
struct SddlSubstitution {
    std::string name;
    Sid sid;
};

struct SddlError {
    std::size_t position = 0;  // byte offset in the text
    std::string message;       // "expected ';' after the ACE type"
};

struct SddlDescriptorParse {
    std::optional<SecurityDescriptor> descriptor;  // set on success
    SddlError error;                               // otherwise

    bool ok() const { return descriptor.has_value(); }
    // "at 12: expected ';' after the ACE type"
    std::string errorText() const;
};

SddlDescriptorParse parseSddl(std::string_view text,
                              const std::vector<SddlSubstitution>& substitutions = {});

std::string formatSddl(const SecurityDescriptor& descriptor);

// The control word a descriptor read from its text has:
// SE_SELF_RELATIVE, and with a DACL SE_DACL_PRESENT and its P, AR, AI.
std::uint16_t impliedSddlControl(const SecurityDescriptor& descriptor);

// A DACL alone with its flags P and AI, as the text "D:[P][AR][AI]ace..."
// of a descriptor that has nothing else.
struct SddlDacl {
    std::uint16_t control = 0;  // sd_control::kDaclProtected, sd_control::kDaclAutoInherited
    std::vector<RawAce> aces;

    friend bool operator==(const SddlDacl&, const SddlDacl&) = default;
};

struct SddlParse {
    std::optional<SddlDacl> dacl;  // set on success
    SddlError error;               // otherwise

    bool ok() const { return dacl.has_value(); }
    // "at 12: expected ';' after the ACE type"
    std::string errorText() const;
};

// Reads a text that starts with "D:" as parseSddl does; a null DACL
// (NO_ACCESS_CONTROL) and control bits other than those the text implies
// (C:) are refused. AR (SE_DACL_AUTO_INHERIT_REQ) is read and dropped: it is
// a request of the writer, never stored.
SddlParse parseDaclSddl(std::string_view text,
                        const std::vector<SddlSubstitution>& substitutions = {});

// formatSddl of a descriptor holding only the DACL with its P and AI.
std::string formatDaclSddl(const SddlDacl& dacl);

}  // namespace quorel
