#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/security_descriptor.h"
#include "platform/sid.h"

// The DACL part ("D:") of the Security Descriptor Definition Language, as
// "Security Descriptor String Format" and "ACE Strings" define it, for the
// access-allowed and access-denied ACEs of files and folders:
//
//   D:[P][AI][AR](A|D;[OI][CI][NP][IO][ID];rights;;;sid)...
//
// rights: a hexadecimal mask ("0x1F01FF") or file and generic right letters
// (FA, FR, FW, FX, GA, GR, GW, GX, several ORed together); sid: "S-1-..."
// or one of the aliases WD, CO, CG, OW, BA, BU, SY, AU, or a caller's
// substitution such as "$OWNER". AR (SE_DACL_AUTO_INHERIT_REQ) is read and
// ignored: it is a request of the writer, never stored.
namespace quorel {

struct SddlDacl {
    std::uint16_t control = 0;  // sd_control::kDaclProtected, sd_control::kDaclAutoInherited
    std::vector<RawAce> aces;

    friend bool operator==(const SddlDacl&, const SddlDacl&) = default;
};

// A name the caller's text may use for a SID ("$OWNER").
struct SddlSubstitution {
    std::string name;
    Sid sid;
};

struct SddlError {
    std::size_t position = 0;  // byte offset in the text
    std::string message;       // "expected ';' after the ACE type"
};

struct SddlParse {
    std::optional<SddlDacl> dacl;  // set on success
    SddlError error;               // otherwise

    bool ok() const { return dacl.has_value(); }
    // "at 12: expected ';' after the ACE type"
    std::string errorText() const;
};

SddlParse parseDaclSddl(std::string_view text,
                        const std::vector<SddlSubstitution>& substitutions = {});

// The text of a DACL with hexadecimal rights and string SIDs, flags in the
// order P, AI and OI, CI, NP, IO, ID. An ACE this grammar cannot hold (other
// types, flag bits, no SID) is written with hexadecimal numbers in its
// fields, which parseDaclSddl rejects.
std::string formatDaclSddl(const SddlDacl& dacl);

}  // namespace quorel
