#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/account_port.h"
#include "platform/sid.h"

namespace quorel::sim {

// One account of the simulated machine or domain.
struct SimAccount {
    Sid sid;
    std::wstring name;
    std::wstring domain;
    AccountKind kind = AccountKind::User;
    bool inDomain = false;     // resolvable only while the domain controller answers
    bool deleted = false;      // its SID no longer resolves
    std::vector<Sid> members;  // direct members of a group
};

// The account database of a simulated machine joined (or not) to a domain:
// the well-known SIDs, the machine's local users and groups, and the domain's
// users and groups.
class SimAccounts {
  public:
    static constexpr const wchar_t* kMachine = L"SIMHOST";
    static constexpr const wchar_t* kDomain = L"SIMDOM";
    static constexpr const wchar_t* kDcName = L"\\\\SIMDC01";

    SimAccounts();

    Sid addLocalUser(const std::wstring& name);
    Sid addLocalGroup(const std::wstring& name, const std::vector<Sid>& members = {});
    Sid addDomainUser(const std::wstring& name);
    Sid addDomainGroup(const std::wstring& name, const std::vector<Sid>& members = {});
    // An account of some other domain (trusted), e.g. for 50 trustees in 3
    // domains.
    Sid addForeignUser(const std::wstring& domain, const std::wstring& name);
    void addMember(const Sid& group, const Sid& member);
    // The account is deleted: its SID stays on ACLs but no longer resolves.
    void deleteAccount(const Sid& sid);
    // A SID of the machine's domain that was never an account.
    Sid unknownSid() const;

    void setDomainControllerPresent(bool present) { dcPresent_ = present; }
    bool domainControllerPresent() const { return dcPresent_; }

    // The user the process runs as; at start the local user "simuser", a
    // member of BUILTIN\Users.
    void setCurrentUser(const Sid& sid) { currentUser_ = sid; }
    const Sid& currentUser() const { return currentUser_; }

    const SimAccount* find(const Sid& sid) const;
    const SimAccount* findByName(const std::wstring& account) const;
    // The SIDs that the current user's token holds: the user, Everyone, and
    // every group that has the user as a member, directly or through nested
    // groups.
    std::vector<Sid> tokenSids() const;
    bool isMemberOf(const Sid& member, const Sid& group) const;

    const std::vector<SimAccount>& all() const { return accounts_; }
    const Sid& machineSid() const { return machineSid_; }
    const Sid& domainSid() const { return domainSid_; }

  private:
    Sid add(const Sid& sid, const std::wstring& name, const std::wstring& domain, AccountKind kind,
            bool inDomain);
    SimAccount* findMutable(const Sid& sid);

    std::vector<SimAccount> accounts_;
    Sid machineSid_;
    Sid domainSid_;
    Sid currentUser_;
    std::uint32_t nextRid_ = 1000;
    std::uint32_t nextForeign_ = 7000;
    bool dcPresent_ = true;
};

}  // namespace quorel::sim
