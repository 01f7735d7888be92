#include "platform/sim/sim_platform.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/nt_rules.h"
#include "platform/text.h"
#include "platform/win_error.h"

namespace quorel::sim {

namespace {

bool contains(const std::vector<Sid>& sids, const Sid& sid) {
    return std::find(sids.begin(), sids.end(), sid) != sids.end();
}

// Lists "." and ".." (except at a drive root), then the items; at the end
// ERROR_NO_MORE_FILES, or `endError` for a listing that fails part-way.
class SimEnumerator : public DirEnumerator {
  public:
    SimEnumerator(std::vector<DirItem> items, std::uint32_t endError, std::uint64_t& counter)
        : items_(std::move(items)), endError_(endError), counter_(counter) {}

    std::uint32_t next(DirItem& item) override {
        ++counter_;
        if (pos_ >= items_.size()) {
            return endError_;
        }
        item = items_[pos_++];
        return 0;
    }

  private:
    std::vector<DirItem> items_;
    std::uint32_t endError_;
    std::size_t pos_ = 1;  // the first item was handed out by openDirectory
    std::uint64_t& counter_;
};

}  // namespace

void SimPlatform::wait() const {
    if (latencyMicroseconds_ > 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(latencyMicroseconds_));
    }
}

std::uint32_t SimPlatform::grantedAccess(const SimObject& object) const {
    const SecurityDescriptor& sd = object.security;
    const std::vector<Sid> token = accounts_.tokenSids();
    std::uint32_t granted = 0;
    if (sd.daclState != DaclState::Present) {
        granted = access::kFileAllAccess;
    } else {
        std::uint32_t denied = 0;
        for (const RawAce& ace : sd.dacl) {
            if (ace.flags() & ace_flag::kInheritOnly) {
                continue;
            }
            auto sid = ace.sid();
            if (!sid || !contains(token, *sid)) {
                continue;
            }
            std::uint32_t mask = nt::mapGenericRights(ace.mask());
            std::uint8_t type = ace.type();
            if (type == ace_type::kAccessAllowed || type == ace_type::kAccessAllowedObject) {
                granted |= mask & ~denied;
            } else if (type == ace_type::kAccessDenied || type == ace_type::kAccessDeniedObject) {
                denied |= mask & ~granted;
            }
        }
    }
    if (sd.owner && contains(token, *sd.owner)) {
        granted |= access::kReadControl | access::kWriteDac;
    }
    return granted;
}

std::uint32_t SimPlatform::securityAccess(const SimObject& object) const {
    std::uint32_t granted = grantedAccess(object);
    // "Privilege Constants": SE_BACKUP_NAME grants "all read access control
    // to any file, regardless of the access control list" (READ_CONTROL
    // among it), SE_RESTORE_NAME "all write access control" (WRITE_DAC,
    // WRITE_OWNER); "CreateFileW" (FILE_FLAG_BACKUP_SEMANTICS) and "File
    // Security and Access Rights": only to a handle opened with backup
    // semantics, which is how the security port opens every object.
    if (backupEnabled_) {
        granted |= access::kReadControl;
    }
    if (restoreEnabled_) {
        granted |= access::kWriteDac | access::kWriteOwner;
    }
    return granted;
}

SdReadStatus SimPlatform::readSecurity(const std::wstring& path, SecurityDescriptor& out) {
    ++counters_.readSecurity;
    wait();
    const SimObject* object = volume_.find(path);
    if (object == nullptr) {
        return {SdStep::GetFileSecurity, win_error::kFileNotFound};
    }
    if (object->readError != 0) {
        return {SdStep::GetFileSecurity, object->readError};
    }
    if ((securityAccess(*object) & access::kReadControl) == 0) {
        return {SdStep::GetFileSecurity, win_error::kAccessDenied};
    }
    out = object->security;
    return {};
}

SimObject* SimPlatform::daclWritable(const std::wstring& path, std::uint32_t& error) {
    ++counters_.writeDacl;
    wait();
    SimObject* object = volume_.find(path);
    error = object == nullptr                                    ? win_error::kFileNotFound
            : object->writeError != 0                            ? object->writeError
            : (securityAccess(*object) & access::kWriteDac) == 0 ? win_error::kAccessDenied
                                                                 : 0;
    return error == 0 ? object : nullptr;
}

std::uint32_t SimPlatform::writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                                     DaclControl control) {
    std::uint32_t error = 0;
    SimObject* object = daclWritable(path, error);
    if (object == nullptr) {
        return error;
    }
    SecurityDescriptor& sd = object->security;
    const nt::StoredDacl stored = nt::storeDacl(
        sd.daclState == DaclState::Present ? sd.dacl : std::vector<RawAce>{}, dacl, control.bits);
    sd.daclState = DaclState::Present;
    sd.dacl = stored.dacl;
    sd.control = static_cast<std::uint16_t>(
        (sd.control & ~(sd_control::kDaclProtected | sd_control::kDaclAutoInherited)) |
        sd_control::kDaclPresent | stored.control);
    return win_error::kSuccess;
}

std::uint32_t SimPlatform::writeNullDacl(const std::wstring& path) {
    std::uint32_t error = 0;
    SimObject* object = daclWritable(path, error);
    if (object == nullptr) {
        return error;
    }
    SecurityDescriptor& sd = object->security;
    sd.daclState = DaclState::Null;
    sd.dacl.clear();
    sd.control = static_cast<std::uint16_t>(
        (sd.control & ~(sd_control::kDaclProtected | sd_control::kDaclAutoInherited)) |
        sd_control::kDaclPresent);
    return win_error::kSuccess;
}

std::uint32_t SimPlatform::setOwner(const std::wstring& path, const Sid& owner) {
    ++counters_.setOwner;
    wait();
    SimObject* object = volume_.find(path);
    if (object == nullptr) {
        return win_error::kFileNotFound;
    }
    if (object->writeError != 0) {
        return object->writeError;
    }
    if ((grantedAccess(*object) & access::kWriteOwner) == 0 && !takeOwnershipEnabled_ &&
        !restoreEnabled_) {
        return win_error::kAccessDenied;
    }
    // Windows lets a user name only itself or one of its groups as owner
    // (an administrator: the Administrators group too); anyone else needs
    // SeRestorePrivilege.
    const bool ownGroup = contains(accounts_.tokenSids(), owner) ||
                          (takeOwnershipHeld_ && owner == well_known::administrators());
    if (!ownGroup && !restoreEnabled_) {
        return win_error::kInvalidOwner;
    }
    object->security.owner = owner;
    return win_error::kSuccess;
}

std::uint32_t SimPlatform::lookupSid(const std::wstring& system, const Sid& sid, AccountInfo& out) {
    ++counters_.lookupSid;
    wait();
    // "LookupAccountSidW": lpSystemName names the computer that translates;
    // none (or this machine's name) is the local system. A computer's own
    // accounts and its SID are known to it alone.
    const std::wstring asked = system.empty() ? accounts_.machineName() : system;
    if (!equalsNoCase(asked, accounts_.machineName()) && !accounts_.isServer(asked)) {
        return win_error::kRpcServerUnavailable;
    }
    auto known = [&](const std::wstring& machine) {
        return machine.empty() || equalsNoCase(machine, asked);
    };
    // "LookupAccountSidW": ERROR_NONE_MAPPED "can occur if a network
    // time-out prevents the function from finding the name".
    if (accounts_.takeTimeOut(sid)) {
        return win_error::kNoneMapped;
    }
    if (std::uint32_t error = accounts_.lookupError(sid)) {
        return error;
    }
    const bool controller = accounts_.domainControllerPresent();
    if (const SimDomain* domain = accounts_.findDomain(sid)) {
        if (!known(domain->machine) || !domain->trusted) {
            return win_error::kNoneMapped;
        }
        if (domain->viaController && !controller) {
            return win_error::kTrustFailure;
        }
        out = {domain->name, domain->name, AccountKind::Domain};
        return win_error::kSuccess;
    }
    // "LookupAccountSidW": a SID the primary domain does not know is
    // "checked against the trusted domains that correspond to their SID
    // prefixes"; an untrusted domain's SIDs are not found, and while no
    // domain controller answers, no SID of a domain can be looked up: the
    // trust relationship fails, the account is not "none".
    const SimDomain* home = accounts_.findDomain(sid.prefix());
    if (home != nullptr && home->viaController && home->trusted && !controller) {
        return win_error::kTrustFailure;
    }
    const SimAccount* account = accounts_.find(sid);
    if (account == nullptr || account->deleted || !known(account->machine) ||
        (home != nullptr && !home->trusted)) {
        return win_error::kNoneMapped;
    }
    if (account->inDomain && !controller) {
        return win_error::kTrustFailure;
    }
    out.name = account->name;
    out.domain = account->domain;
    out.kind = account->kind;
    return win_error::kSuccess;
}

std::uint32_t SimPlatform::lookupName(const std::wstring& name, Sid& sid, AccountInfo& out) {
    ++counters_.lookupName;
    wait();
    const SimAccount* account = accounts_.findByName(name);
    if (account == nullptr || (account->inDomain && !accounts_.domainControllerPresent())) {
        return win_error::kNoneMapped;
    }
    sid = account->sid;
    out.name = account->name;
    out.domain = account->domain;
    out.kind = account->kind;
    return win_error::kSuccess;
}

std::uint32_t SimPlatform::sidFromString(const std::wstring& text, Sid& sid) {
    ++counters_.sidFromString;
    wait();
    std::optional<Sid> parsed = Sid::fromString(text);
    if (!parsed) {
        return win_error::kInvalidSid;
    }
    sid = *parsed;
    return win_error::kSuccess;
}

std::wstring SimPlatform::currentUserName() {
    const SimAccount* account = accounts_.find(accounts_.currentUser());
    return account ? account->name : std::wstring();
}

std::optional<Sid> SimPlatform::currentUserSid() {
    return accounts_.currentUser();
}

std::optional<std::wstring> SimPlatform::domainControllerName(std::uint32_t& error) {
    if (!accounts_.domainControllerPresent()) {
        error = win_error::kDcNotFound;
        return std::nullopt;
    }
    error = 0;
    return accounts_.dcName();
}

bool SimPlatform::isDomainServer(const std::wstring& server) const {
    return !server.empty() && equalsNoCase(server, accounts_.dcName());
}

std::uint32_t SimPlatform::listUsers(const std::wstring& server, std::vector<std::wstring>& names) {
    ++counters_.listAccounts;
    wait();
    bool domain = isDomainServer(server);
    if (domain && !accounts_.domainControllerPresent()) {
        return win_error::kDcNotFound;
    }
    std::vector<std::wstring> result;
    for (const SimAccount& a : accounts_.all()) {
        if (a.kind == AccountKind::User && !a.deleted && a.inDomain == domain &&
            (domain || equalsNoCase(a.machine, accounts_.machineName())) &&
            (!domain || equalsNoCase(a.domain, accounts_.domainName()))) {
            result.push_back(a.name);
        }
    }
    names = std::move(result);
    return 0;
}

std::uint32_t SimPlatform::listGroups(const std::wstring& server,
                                      std::vector<std::wstring>& names) {
    ++counters_.listAccounts;
    wait();
    if (!isDomainServer(server) || !accounts_.domainControllerPresent()) {
        return win_error::kDcNotFound;
    }
    std::vector<std::wstring> result;
    for (const SimAccount& a : accounts_.all()) {
        if (a.kind == AccountKind::Group && !a.deleted) {
            result.push_back(a.name);
        }
    }
    names = std::move(result);
    return 0;
}

std::uint32_t SimPlatform::listLocalGroups(const std::wstring& server,
                                           std::vector<std::wstring>& names) {
    ++counters_.listAccounts;
    wait();
    if (!server.empty() && !isDomainServer(server)) {
        return win_error::kDcNotFound;
    }
    std::vector<std::wstring> result;
    for (const SimAccount& a : accounts_.all()) {
        if (a.kind == AccountKind::Alias && !a.deleted) {
            result.push_back(a.name);
        }
    }
    names = std::move(result);
    return 0;
}

std::uint32_t SimPlatform::groupMembers(const std::wstring& server, const std::wstring& group,
                                        bool local, std::vector<std::wstring>& members) {
    ++counters_.groupMembers;
    wait();
    if (!local && (!isDomainServer(server) || !accounts_.domainControllerPresent())) {
        return win_error::kDcNotFound;
    }
    const SimAccount* g = accounts_.findByName(group);
    if (g == nullptr || (local ? g->kind != AccountKind::Alias : g->kind != AccountKind::Group)) {
        return local ? win_error::kNoSuchAlias : win_error::kGroupNotFound;
    }
    std::vector<std::wstring> result;
    for (const Sid& m : g->members) {
        const SimAccount* a = accounts_.find(m);
        if (a == nullptr || a->deleted) {
            result.push_back(m.toString());
        } else {
            result.push_back(a->domain.empty() ? a->name : a->domain + L"\\" + a->name);
        }
    }
    members = std::move(result);
    return 0;
}

std::uint32_t SimPlatform::userGroups(const std::wstring& server, const std::wstring& user,
                                      std::vector<std::wstring>& groups) {
    ++counters_.groupMembers;
    wait();
    if (!isDomainServer(server) || !accounts_.domainControllerPresent()) {
        return win_error::kDcNotFound;
    }
    const SimAccount* u = accounts_.findByName(user);
    if (u == nullptr || u->kind != AccountKind::User) {
        return win_error::kUserNotFound;
    }
    std::vector<std::wstring> result;
    for (const SimAccount& a : accounts_.all()) {
        if (a.kind == AccountKind::Group && !a.deleted &&
            std::find(a.members.begin(), a.members.end(), u->sid) != a.members.end()) {
            result.push_back(a.name);
        }
    }
    groups = std::move(result);
    return 0;
}

std::uint32_t SimPlatform::enablePrivilege(Privilege privilege) {
    ++counters_.enablePrivilege;
    wait();
    bool held = false;
    bool* enabled = nullptr;
    switch (privilege) {
        case Privilege::TakeOwnership:
            held = takeOwnershipHeld_;
            enabled = &takeOwnershipEnabled_;
            break;
        case Privilege::Restore:
            held = restoreHeld_;
            enabled = &restoreEnabled_;
            break;
        case Privilege::Backup:
            held = backupHeld_;
            enabled = &backupEnabled_;
            break;
    }
    if (!held || enabled == nullptr) {
        return win_error::kNotAllAssigned;
    }
    *enabled = true;
    return 0;
}

std::unique_ptr<DirEnumerator> SimPlatform::openDirectory(const std::wstring& path, DirItem& first,
                                                          std::uint32_t& error) {
    ++counters_.openDirectory;
    wait();
    const SimObject* object = volume_.find(path);
    if (object == nullptr) {
        error = win_error::kPathNotFound;
        return nullptr;
    }
    if (!object->isDirectory) {
        error = win_error::kDirectory;
        return nullptr;
    }
    if ((grantedAccess(*object) & access::kReadData) == 0) {
        error = win_error::kAccessDenied;
        return nullptr;
    }
    std::vector<DirItem> items;
    // A drive's root directory has no "." and ".." entries; a share is a
    // folder of the server's volume and has them, its ".." standing for the
    // share itself as the client cannot see beyond it.
    const bool driveRoot = object->parent == nullptr && object->name.size() == 2;
    if (!driveRoot) {
        const SimObject& parent = object->parent ? *object->parent : *object;
        items.push_back({L".", object->attributes(), object->reparseTag});
        items.push_back({L"..", parent.attributes(), parent.reparseTag});
    }
    for (const auto& c : object->children) {
        items.push_back({c->name, c->attributes(), c->reparseTag});
    }
    std::uint32_t endError = win_error::kNoMoreFiles;
    if (items.size() >= object->listingFailsAfter) {
        items.resize(object->listingFailsAfter);
        endError = object->listingError;
    }
    if (items.empty() && endError != win_error::kNoMoreFiles) {
        error = endError;
        return nullptr;
    }
    if (items.empty()) {
        // An empty volume root: FindFirstFileW finds nothing.
        error = win_error::kFileNotFound;
        return nullptr;
    }
    first = items[0];
    error = 0;
    return std::make_unique<SimEnumerator>(std::move(items), endError, counters_.nextItem);
}

std::uint32_t SimPlatform::readReparseTarget(const std::wstring& path, std::wstring& target) {
    ++counters_.readReparseTarget;
    wait();
    const SimObject* object = volume_.find(path);
    if (object == nullptr) {
        return win_error::kFileNotFound;
    }
    if (!object->reparseTarget || !object->reparseDataReadable) {
        return win_error::kNotAReparsePoint;
    }
    target = *object->reparseTarget;
    return 0;
}

}  // namespace quorel::sim
