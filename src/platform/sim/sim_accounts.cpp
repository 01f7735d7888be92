#include "platform/sim/sim_accounts.h"

#include "platform/text.h"

namespace quorel::sim {

SimAccounts::SimAccounts()
    : machineSid_(Sid::make(5, {21, 1000, 2000, 3000})),
      domainSid_(Sid::make(5, {21, 4000, 5000, 6000})) {
    add(well_known::everyone(), L"Everyone", L"", AccountKind::WellKnownGroup, false);
    add(well_known::creatorOwner(), L"CREATOR OWNER", L"", AccountKind::WellKnownGroup, false);
    add(well_known::creatorGroup(), L"CREATOR GROUP", L"", AccountKind::WellKnownGroup, false);
    add(well_known::localSystem(), L"SYSTEM", L"NT AUTHORITY", AccountKind::WellKnownGroup, false);
    add(well_known::administrators(), L"Administrators", L"BUILTIN", AccountKind::Alias, false);
    add(well_known::users(), L"Users", L"BUILTIN", AccountKind::Alias, false);
    domains_.push_back({machineSid_, kMachine, kMachine, false, true});
    domains_.push_back({Sid::make(5, {32}), L"BUILTIN", L"", false, true});
    domains_.push_back({domainSid_, kDomain, L"", true, true});
    currentUser_ = addLocalUser(L"simuser");
    addMember(well_known::users(), currentUser_);
}

Sid SimAccounts::add(const Sid& sid, const std::wstring& name, const std::wstring& domain,
                     AccountKind kind, bool inDomain, const std::wstring& machine) {
    SimAccount account;
    account.machine = machine;
    account.sid = sid;
    account.name = name;
    account.domain = domain;
    account.kind = kind;
    account.inDomain = inDomain;
    accounts_.push_back(std::move(account));
    return sid;
}

namespace {

Sid withRid(const Sid& domain, std::uint32_t rid) {
    Sid sid = domain;
    auto bytes = sid.bytes();
    std::vector<std::uint8_t> grown(bytes);
    grown[1] = static_cast<std::uint8_t>(grown[1] + 1);
    for (int b = 0; b < 4; ++b) {
        grown.push_back(static_cast<std::uint8_t>(rid >> (8 * b)));
    }
    return *Sid::fromBytes(grown.data(), grown.size());
}

// A domain SID derived from a name, distinct per name.
Sid namedDomainSid(const std::wstring& name, std::uint32_t kind) {
    std::uint32_t tag = 0;
    for (wchar_t c : name) {
        tag = tag * 31 + static_cast<std::uint32_t>(foldCase(c));
    }
    return Sid::make(5, {21, 9000, tag % 100000, kind});
}

}  // namespace

Sid SimAccounts::addLocalUser(const std::wstring& name) {
    return add(withRid(machineSid_, nextRid_++), name, machineName_, AccountKind::User, false,
               machineName_);
}

Sid SimAccounts::addLocalGroup(const std::wstring& name, const std::vector<Sid>& members) {
    Sid sid = add(withRid(machineSid_, nextRid_++), name, machineName_, AccountKind::Alias, false,
                  machineName_);
    findMutable(sid)->members = members;
    return sid;
}

Sid SimAccounts::addDomainUser(const std::wstring& name) {
    return add(withRid(domainSid_, nextRid_++), name, domainName_, AccountKind::User, true);
}

Sid SimAccounts::addDomainGroup(const std::wstring& name, const std::vector<Sid>& members) {
    Sid sid = add(withRid(domainSid_, nextRid_++), name, domainName_, AccountKind::Group, true);
    findMutable(sid)->members = members;
    return sid;
}

Sid SimAccounts::addForeignUser(const std::wstring& domain, const std::wstring& name) {
    // Each foreign domain gets its own domain SID, derived from its name.
    const Sid domainSid = domainNamed(domain, namedDomainSid(domain, 1)).sid;
    return add(withRid(domainSid, nextForeign_++), name, domain, AccountKind::User, true);
}

void SimAccounts::addMember(const Sid& group, const Sid& member) {
    if (SimAccount* g = findMutable(group)) {
        g->members.push_back(member);
    }
}

void SimAccounts::deleteAccount(const Sid& sid) {
    if (SimAccount* a = findMutable(sid)) {
        a->deleted = true;
    }
}

Sid SimAccounts::unknownSid() const {
    return withRid(machineSid_, 999999);
}

SimDomain& SimAccounts::domainNamed(const std::wstring& name, const Sid& sid) {
    for (SimDomain& d : domains_) {
        if (d.sid == sid) {
            return d;
        }
    }
    domains_.push_back({sid, name, L"", true, true});
    return domains_.back();
}

void SimAccounts::setTrusted(const std::wstring& domain, bool trusted) {
    for (SimDomain& d : domains_) {
        if (equalsNoCase(d.name, domain)) {
            d.trusted = trusted;
        }
    }
}

Sid SimAccounts::addServerUser(const std::wstring& server, const std::wstring& name) {
    SimDomain& d = domainNamed(server, namedDomainSid(server, 2));
    d.machine = server;
    d.viaController = false;
    return add(withRid(d.sid, nextRid_++), name, server, AccountKind::User, false, server);
}

bool SimAccounts::isServer(const std::wstring& name) const {
    for (const SimDomain& d : domains_) {
        if (!d.machine.empty() && equalsNoCase(d.machine, name) &&
            !equalsNoCase(name, machineName_)) {
            return true;
        }
    }
    return false;
}

void SimAccounts::timeOutLookups(const Sid& sid, std::uint32_t count) {
    timeOuts_.emplace_back(sid, count);
}

bool SimAccounts::takeTimeOut(const Sid& sid) {
    const Sid domain = sid.prefix();
    for (auto& [timedOut, left] : timeOuts_) {
        if (left > 0 && (timedOut == sid || timedOut == domain)) {
            --left;
            return true;
        }
    }
    return false;
}

const SimDomain* SimAccounts::findDomain(const Sid& sid) const {
    for (const SimDomain& d : domains_) {
        if (d.sid == sid) {
            return &d;
        }
    }
    return nullptr;
}

SimAccount* SimAccounts::findMutable(const Sid& sid) {
    for (SimAccount& a : accounts_) {
        if (a.sid == sid) {
            return &a;
        }
    }
    return nullptr;
}

const SimAccount* SimAccounts::find(const Sid& sid) const {
    for (const SimAccount& a : accounts_) {
        if (a.sid == sid) {
            return &a;
        }
    }
    return nullptr;
}

const SimAccount* SimAccounts::findByName(const std::wstring& account) const {
    std::wstring_view domain;
    std::wstring_view name = account;
    if (auto slash = account.find(L'\\'); slash != std::wstring::npos) {
        domain = std::wstring_view(account).substr(0, slash);
        name = std::wstring_view(account).substr(slash + 1);
    }
    for (const SimAccount& a : accounts_) {
        if (!a.deleted && (a.machine.empty() || equalsNoCase(a.machine, machineName_)) &&
            equalsNoCase(a.name, name) && (domain.empty() || equalsNoCase(a.domain, domain))) {
            return &a;
        }
    }
    return nullptr;
}

bool SimAccounts::isMemberOf(const Sid& member, const Sid& group) const {
    // Breadth-first over nested groups; the visited list stops cycles.
    std::vector<Sid> pending{group};
    std::vector<Sid> seen;
    while (!pending.empty()) {
        Sid g = pending.back();
        pending.pop_back();
        bool already = false;
        for (const Sid& s : seen) {
            already = already || s == g;
        }
        if (already) {
            continue;
        }
        seen.push_back(g);
        const SimAccount* account = find(g);
        if (account == nullptr) {
            continue;
        }
        for (const Sid& m : account->members) {
            if (m == member) {
                return true;
            }
            pending.push_back(m);
        }
    }
    return false;
}

void SimAccounts::failLookups(const Sid& sid, std::uint32_t error) {
    for (auto& [failing, code] : lookupFailures_) {
        if (failing == sid) {
            code = error;
            return;
        }
    }
    lookupFailures_.emplace_back(sid, error);
}

std::uint32_t SimAccounts::lookupError(const Sid& sid) const {
    for (const auto& [failing, code] : lookupFailures_) {
        if (failing == sid) {
            return code;
        }
    }
    return 0;
}

bool SimAccounts::timeOutsPending() const {
    for (const auto& timeOut : timeOuts_) {
        if (timeOut.second > 0) {
            return true;
        }
    }
    return false;
}

std::vector<Sid> SimAccounts::tokenSids() const {
    if (tokenGroups_) {
        std::vector<Sid> sids{currentUser_};
        sids.insert(sids.end(), tokenGroups_->begin(), tokenGroups_->end());
        return sids;
    }
    std::vector<Sid> sids{currentUser_, well_known::everyone()};
    for (const SimAccount& a : accounts_) {
        if ((a.kind == AccountKind::Group || a.kind == AccountKind::Alias) &&
            isMemberOf(currentUser_, a.sid)) {
            sids.push_back(a.sid);
        }
    }
    return sids;
}

}  // namespace quorel::sim
