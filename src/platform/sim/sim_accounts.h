#pragma once

#include <cstdint>
#include <optional>
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
    // The computer whose account database holds the account: kMachine or a
    // server's name; empty for the accounts every computer names (the
    // well-known and built-in ones, and the domain's, through its
    // controller).
    std::wstring machine;
};

// A domain, as LookupAccountSidW names its SID (SidTypeDomain): this
// machine, BUILTIN, the machine's domain, a foreign domain, a server.
struct SimDomain {
    Sid sid;
    std::wstring name;
    std::wstring machine;        // as for SimAccount
    bool viaController = false;  // answered through the domain controller
    bool trusted = true;         // false: no trust with this machine's domain
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
    // An account database holding nothing: no account, no domain, no
    // current user; a volume file fills it.
    struct Blank {};
    explicit SimAccounts(Blank) {}

    // The names of this computer, its domain and that domain's controller
    // ("\\\\SIMDC01"); at first kMachine, kDomain and kDcName.
    const std::wstring& machineName() const { return machineName_; }
    const std::wstring& domainName() const { return domainName_; }
    const std::wstring& dcName() const { return dcName_; }
    void setMachineName(const std::wstring& name) { machineName_ = name; }
    void setDomainName(const std::wstring& name) { domainName_ = name; }
    void setDcName(const std::wstring& name) { dcName_ = name; }

    // An account or domain exactly as given (a volume file's records).
    void addAccount(SimAccount account) { accounts_.push_back(std::move(account)); }
    void addDomain(SimDomain domain) { domains_.push_back(std::move(domain)); }
    const std::vector<SimDomain>& domains() const { return domains_; }

    // Every lookup of `sid` fails with `error` (0: no longer).
    void failLookups(const Sid& sid, std::uint32_t error);
    // The error every lookup of `sid` fails with, or 0.
    std::uint32_t lookupError(const Sid& sid) const;
    const std::vector<std::pair<Sid, std::uint32_t>>& lookupFailures() const {
        return lookupFailures_;
    }
    // Whether some lookups are still set to time out (timeOutLookups).
    bool timeOutsPending() const;

    Sid addLocalUser(const std::wstring& name);
    Sid addLocalGroup(const std::wstring& name, const std::vector<Sid>& members = {});
    Sid addDomainUser(const std::wstring& name);
    Sid addDomainGroup(const std::wstring& name, const std::vector<Sid>& members = {});
    // An account of some other domain (trusted), e.g. for 50 trustees in 3
    // domains.
    Sid addForeignUser(const std::wstring& domain, const std::wstring& name);
    // A domain added by addForeignUser that this machine does not trust:
    // neither its SID nor its accounts' can be looked up here.
    void setTrusted(const std::wstring& domain, bool trusted);
    // A local account of the file server `server` ("FILES01"): only a
    // lookup on that server names it (and the server's own SID).
    Sid addServerUser(const std::wstring& server, const std::wstring& name);
    bool isServer(const std::wstring& name) const;
    // The next `count` lookups of `sid`, or of any SID of the domain `sid`
    // (and of the domain itself), fail with ERROR_NONE_MAPPED as a network
    // time-out makes them fail.
    void timeOutLookups(const Sid& sid, std::uint32_t count);
    // Whether this lookup of `sid` times out; counts it.
    bool takeTimeOut(const Sid& sid);
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
    // The groups of the token, as given: tokenSids() is then the user and
    // these, whatever the memberships say. Nothing: derived from them.
    void setTokenGroups(std::optional<std::vector<Sid>> groups) {
        tokenGroups_ = std::move(groups);
    }

    const SimAccount* find(const Sid& sid) const;
    // An account this machine can name (not a server's own account).
    const SimAccount* findByName(const std::wstring& account) const;
    const SimDomain* findDomain(const Sid& sid) const;
    // The SIDs that the current user's token holds: the user, Everyone, and
    // every group that has the user as a member, directly or through nested
    // groups (or the groups setTokenGroups gave).
    std::vector<Sid> tokenSids() const;
    bool isMemberOf(const Sid& member, const Sid& group) const;

    const std::vector<SimAccount>& all() const { return accounts_; }
    const Sid& machineSid() const { return machineSid_; }
    const Sid& domainSid() const { return domainSid_; }

  private:
    Sid add(const Sid& sid, const std::wstring& name, const std::wstring& domain, AccountKind kind,
            bool inDomain, const std::wstring& machine = L"");
    SimAccount* findMutable(const Sid& sid);
    SimDomain& domainNamed(const std::wstring& name, const Sid& sid);

    std::vector<SimAccount> accounts_;
    std::vector<SimDomain> domains_;
    std::vector<std::pair<Sid, std::uint32_t>> timeOuts_;
    Sid machineSid_;
    Sid domainSid_;
    Sid currentUser_;
    std::optional<std::vector<Sid>> tokenGroups_;
    std::vector<std::pair<Sid, std::uint32_t>> lookupFailures_;
    std::wstring machineName_ = kMachine;
    std::wstring domainName_ = kDomain;
    std::wstring dcName_ = kDcName;
    std::uint32_t nextRid_ = 1000;
    std::uint32_t nextForeign_ = 7000;
    bool dcPresent_ = true;
};

}  // namespace quorel::sim
