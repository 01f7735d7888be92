#include "core/security_reader.h"

#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "platform/nt_rules.h"
#include "platform/path_server.h"

namespace quorel {

namespace {

const wchar_t* stepMessage(SdStep step) {
    switch (step) {
        case SdStep::GetFileSecurity:
            return L"Cannot get file security";
        case SdStep::Control:
            return L"Get security descriptor failed";
        case SdStep::Owner:
            return L"Get security descriptor owner failed";
        case SdStep::Group:
            return L"Get security descriptor group failed";
        case SdStep::Dacl:
            return L"Get security descriptor DACL failed";
        case SdStep::AclInformation:
            return L"Get ACL information failed";
        case SdStep::None:
            break;
    }
    return L"";
}

void addError(CDirEntry& entry, const wchar_t* text) {
    if (entry.dataset() != nullptr) {
        entry.dataset()->errorList().addError(text, &entry, 0);
    }
}

std::wstring sidText(const std::optional<Sid>& sid) {
    return sid ? sid->toString() : L"";
}

}  // namespace

SecurityReader::SecurityReader(SecurityPort& security, AccountPort& accounts)
    : security_(security), accounts_(accounts) {}

std::size_t SecurityReader::cachedSidCount() const {
    std::size_t count = 0;
    for (const auto& [system, cache] : caches_) {
        count += cache.size();
    }
    return count;
}

void SecurityReader::bindTable(const CDirEntry& entry) {
    const std::shared_ptr<AccountNames>& table = entry.dataset()->sharedAccountNames();
    if (table.get() != tableAddress_ || table_.expired()) {
        table_ = table;
        tableAddress_ = table.get();
        ++tableSerial_;
    }
}

const SecurityReader::Lookup& SecurityReader::lookup(const std::wstring& system, Cache& cache,
                                                     const Sid& sid) {
    auto it = cache.find(sid);
    if (it == cache.end()) {
        AccountInfo info;
        Lookup found;
        if (accounts_.lookupSid(system, sid, info) == 0) {
            found.resolved = true;
            found.name = std::move(info.name);
            found.domain = std::move(info.domain);
        } else {
            found.name = sid.toString();
        }
        it = cache.emplace(sid, std::move(found)).first;
    }
    Lookup& found = it->second;
    if (found.table != tableSerial_) {
        found.account = tableAddress_->intern(found.name, found.domain);
        tableAddress_->setSid(found.account, sid);
        found.table = tableSerial_;
    }
    return found;
}

bool SecurityReader::resolve(const Sid& sid, std::uint32_t& account) {
    const Lookup& found = lookup(system_, *cache_, sid);
    account = found.account;
    return found.resolved;
}

bool SecurityReader::getAceDACL(CDirEntry& entry, std::uint32_t i, std::uint32_t& account) {
    if (i >= descriptor_.dacl.size() || descriptor_.dacl[i].bytes.empty()) {
        addError(entry, L"Cannot get ACL ( getAceDACL )");
        return false;
    }
    std::optional<Sid> sid = descriptor_.dacl[i].sid();
    if (!sid || !resolve(*sid, account)) {
        entry.errorFlags |= entry_error::kUnresolvedSid | entry_error::kReadFailed;
        addError(entry, L"Cannot resolve SID");
        return false;
    }
    return true;
}

void SecurityReader::readFailed(CDirEntry& entry, SdStep step) {
    addError(entry, stepMessage(step));
    entry.errorFlags |= entry_error::kReadFailed;
    entry.setOwner(L"ERROR READING FILE", L"");
    entry.setGroup(L"ERROR READING FILE", L"");
    entry.resizeAces(0);
    entry.visibleAceCount = 0;
    addError(entry,
             L"Error reading ACL information from file ( maybe you have insufficient "
             L"permissions )");
}

std::uint32_t SecurityReader::accountOf(const Sid& sid, const CDirEntry& entry) {
    bindTable(entry);
    const std::wstring system = serverOfPath(entry.path());
    return lookup(system, cacheOf(system), sid).account;
}

void SecurityReader::readSecurity(CDirEntry& entry) {
    descriptor_ = SecurityDescriptor();
    const SdReadStatus status = security_.readSecurity(entry.path(), descriptor_);
    applyDescriptor(entry, status, descriptor_);
}

void SecurityReader::applyDescriptor(CDirEntry& entry, const SdReadStatus& status,
                                     const SecurityDescriptor& descriptor) {
    entry.errorFlags = 0;
    entry.isHeading = 0;
    entry.selected = 0;
    bindTable(entry);
    system_ = serverOfPath(entry.path());
    cache_ = &cacheOf(system_);
    if (&descriptor != &descriptor_) {
        descriptor_ = descriptor;
    }
    if (!status.ok()) {
        readFailed(entry, status.failedStep);
    } else {
        std::uint32_t aceCount = 0;
        if (descriptor_.daclState != DaclState::Present) {
            // No DACL, or a null DACL: nothing to list, but the read worked.
            addError(entry, L"Error reading ACL");
        } else {
            aceCount = static_cast<std::uint32_t>(descriptor_.dacl.size());
            // "Order of ACEs in a DACL": an ACL out of that order works
            // differently than it reads (a deny after an allow of the same
            // right has no effect), so it is a problem of the entry.
            if (!nt::isCanonical(descriptor_.dacl)) {
                entry.errorFlags |= entry_error::kReadFailed;
                addError(entry, L"ACL is not in canonical order");
            }
        }

        std::uint32_t account = 0;
        if (descriptor_.owner && resolve(*descriptor_.owner, account)) {
            entry.setOwnerAccount(account);
        } else {
            entry.errorFlags |= entry_error::kUnresolvedSid | entry_error::kReadFailed;
            addError(entry, L"Cannot determine user");
            entry.setOwner(sidText(descriptor_.owner), L"");
            addError(entry, L"Cannot determine user.");
        }
        if (descriptor_.group && resolve(*descriptor_.group, account)) {
            entry.setGroupAccount(account);
        } else {
            entry.errorFlags |= entry_error::kUnresolvedSid | entry_error::kReadFailed;
            addError(entry, L"Cannot determine group");
            entry.setGroupNameOnly(sidText(descriptor_.group));
            if (descriptor_.group) {
                entry.dataset()->accountNames().setSid(entry.groupAccount(), *descriptor_.group);
            }
            addError(entry, L"Cannot determine group");
        }

        entry.visibleAceCount = aceCount;
        entry.resizeAces(aceCount);
        for (std::uint32_t i = 0; i < aceCount; ++i) {
            AceRecord& record = *entry.ace(i);
            const RawAce& raw = descriptor_.dacl[i];
            if (getAceDACL(entry, i, account)) {
                record.setAccount(account);
                record.unresolved = 0;
            } else {
                std::optional<Sid> sid = raw.bytes.empty() ? std::nullopt : raw.sid();
                if (sid) {
                    resolve(*sid, account);
                    record.setAccount(account);
                } else {
                    record.setTrustee(*tableAddress_, L"", L"");
                }
                record.unresolved = 1;
            }
            record.set(raw.mask(), raw.flags(), raw.type());
        }
    }

    if (entry.aceCount() == 0) {
        entry.errorFlags |= entry_error::kReadFailed | entry_error::kNoAces;
        addError(entry, L"Empty ACL or ACL information could not be read");
    }
}

}  // namespace quorel
