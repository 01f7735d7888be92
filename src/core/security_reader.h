#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/account_names.h"
#include "core/entry_security.h"
#include "platform/account_port.h"
#include "platform/security_port.h"
#include "platform/text.h"

namespace quorel {

class CDirEntry;

// Fills entries from the security descriptors of their paths: owner and
// group as account names, one AceRecord per ACE of the DACL. Every problem
// goes to the entry's errorFlags and its dataset's error list; none stops
// the caller.
//
// The SIDs of an entry are named by the computer that holds it: for a path
// on a share ("\\FILES01\data\x") that server, whose local accounts no
// other computer knows; for any other path the local system.
//
// Each distinct SID is looked up once per computer for the life of the
// reader, failures included: a share whose millions of ACEs name a few
// hundred accounts costs a few hundred lookups (on a domain, each can be a
// network round trip).
//
// The accounts go into the account table of the entry's dataset. The reader
// keeps the looked-up texts, not a table: it can fill entries of one dataset
// after another, and an account enters a table only when an entry of that
// table names it.
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

    // The account an ACE or owner with this SID is shown as on `entry`: the
    // account as the computer holding the entry's path names it, or the
    // SID's string form with no domain; an id of the entry's dataset's table.
    // Cached like reads.
    std::uint32_t accountOf(const Sid& sid, const CDirEntry& entry);

    // ACE i of the descriptor read last: on success `account` is the
    // trustee's account id. Failure adds the message ("Cannot get ACL (
    // getAceDACL )" or "Cannot resolve SID") and returns false.
    bool getAceDACL(CDirEntry& entry, std::uint32_t i, std::uint32_t& account);

    // SIDs looked up, over all computers.
    std::size_t cachedSidCount() const;

  private:
    struct Lookup {
        bool resolved = false;
        std::wstring name;  // unresolved: the SID's string form
        std::wstring domain;
        std::uint32_t account = 0;  // id in the bound table when `table` is tableSerial_
        std::uint32_t table = 0;
    };
    using Cache = std::unordered_map<Sid, Lookup, SidHash>;
    // The lookup of `sid` on `system` (the server of a share path, empty
    // for the local system) through that computer's cache, its account
    // interned in the bound table.
    const Lookup& lookup(const std::wstring& system, Cache& cache, const Sid& sid);
    // Makes the table of the entry's dataset the one accounts go into.
    void bindTable(const CDirEntry& entry);
    // Resolves `sid` on the computer of the entry being read; false when it
    // maps to no account, with `account` then the account of the SID's
    // string form.
    bool resolve(const Sid& sid, std::uint32_t& account);
    Cache& cacheOf(const std::wstring& system) { return caches_[upperCase(system)]; }
    void readFailed(CDirEntry& entry, SdStep step);

    SecurityPort& security_;
    AccountPort& accounts_;
    SecurityDescriptor descriptor_;  // the descriptor of the entry being read
    // One cache per computer, by its upper-cased name ("" for this one).
    std::map<std::wstring, Cache> caches_;
    // The computer that names the SIDs of the entry being read.
    std::wstring system_;
    Cache* cache_ = &caches_[L""];
    // The table accounts go into, watched so that a table freed and another
    // made at its address is not taken for it; its serial number tells the
    // cached account ids of this table from older ones.
    std::weak_ptr<AccountNames> table_;
    AccountNames* tableAddress_ = nullptr;
    std::uint32_t tableSerial_ = 0;
};

}  // namespace quorel
