#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "core/entry_security.h"
#include "platform/account_port.h"
#include "platform/security_port.h"

namespace quorel {

class CDirEntry;

// Fills entries from the security descriptors of their paths: owner and
// group as account names, one AceRecord per ACE of the DACL. Every problem
// goes to the entry's errorFlags and its dataset's error list; none stops
// the caller.
//
// Each distinct SID is looked up once for the life of the reader, failures
// included: a share whose millions of ACEs name a few hundred accounts costs
// a few hundred lookups (on a domain, each can be a network round trip).
class SecurityReader : public EntrySecurity {
  public:
    SecurityReader(SecurityPort& security, AccountPort& accounts);

    void readSecurity(CDirEntry& entry) override;

    // Fills the entry from a descriptor read (or just written) by the
    // caller, exactly as readSecurity fills it from one it reads itself;
    // `status` tells a failed read.
    void applyDescriptor(CDirEntry& entry, const SdReadStatus& status,
                         const SecurityDescriptor& descriptor);
    // The descriptor of the entry read or applied last.
    const SecurityDescriptor& lastDescriptor() const { return descriptor_; }

    // The account an ACE or owner with this SID is shown as: the resolved
    // account, or the SID's string form with no domain. Cached like reads.
    std::uint32_t accountOf(const Sid& sid);

    // ACE i of the descriptor read last: on success `account` is the
    // trustee's account id. Failure adds the message ("Cannot get ACL (
    // getAceDACL )" or "Cannot resolve SID") and returns false.
    bool getAceDACL(CDirEntry& entry, std::uint32_t i, std::uint32_t& account);

    std::size_t cachedSidCount() const { return cache_.size(); }

  private:
    struct Lookup {
        bool resolved;
        std::uint32_t account;  // the account id; unresolved: the SID string's
    };
    // Resolves `sid` through the cache; false when it maps to no account,
    // with `account` then the account of the SID's string form.
    bool resolve(const Sid& sid, std::uint32_t& account);
    void readFailed(CDirEntry& entry, SdStep step);

    SecurityPort& security_;
    AccountPort& accounts_;
    SecurityDescriptor descriptor_;  // the descriptor of the entry being read
    std::unordered_map<Sid, Lookup, SidHash> cache_;
};

}  // namespace quorel
