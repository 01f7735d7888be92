#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "platform/sid.h"

namespace quorel {

class AccountPort;

// Decides whether an unresolved SID on an ACL names an account that no
// longer exists, so that its ACEs may be deleted. An unresolved SID is
// no proof: LookupAccountSidW's page says ERROR_NONE_MAPPED "can occur if a
// network time-out prevents the function from finding the name", a
// server's local accounts are known to that server alone, and the SIDs of
// a domain that is out of reach or not trusted cannot be named at all. A
// SID counts as gone only when
//  - the computer that holds the entry (for a share path its server,
//    passed to LookupAccountSidW as lpSystemName) answers ERROR_NONE_MAPPED,
//  - and does so again when asked a second time,
//  - and names the SID's domain part (Sid::prefix) as a domain, so that the
//    domain is known there and answering.
// Capability SIDs (S-1-15-...) never resolve by design and never count.
// Each SID is decided once per computer.
class OrphanCheck {
  public:
    explicit OrphanCheck(AccountPort& accounts) : accounts_(accounts) {}

    bool gone(const Sid& sid, std::wstring_view path);

  private:
    bool decide(const std::wstring& system, const Sid& sid);

    AccountPort& accounts_;
    std::map<std::pair<std::wstring, Sid>, bool> decided_;
};

}  // namespace quorel
