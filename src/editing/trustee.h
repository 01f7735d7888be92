#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sid.h"

namespace quorel {

class AccountNames;
class AceRecord;

// The account an edit writes an ACE for, as the user saw it: its name, its
// domain when known, and its SID when the dataset read one. An edit writes,
// in this order, the SID of the ACE read from disk in the same call, `sid`,
// the SID of a name of the form S-1-..., or the SID LookupAccountNameW finds
// for "domain\name" (for the bare name when no domain is known).
struct Trustee {
    std::wstring name;
    std::wstring domain;
    std::optional<Sid> sid;

    // The account as a dataset holds it: an id of its table `names`.
    static Trustee ofAccount(const AccountNames& names, std::uint32_t account);
    static Trustee ofRecord(const AccountNames& names, const AceRecord& record);
    static Trustee ofSid(const Sid& sid, std::wstring name = {});
    // "domain\name", or the name alone without a domain.
    std::wstring qualifiedName() const;
};

}  // namespace quorel
