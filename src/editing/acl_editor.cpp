#include "editing/acl_editor.h"

#include <algorithm>

#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "core/security_reader.h"
#include "editing/dacl_write.h"
#include "platform/account_port.h"
#include "platform/interaction_port.h"
#include "platform/nt_rules.h"
#include "platform/set_entries_in_acl.h"
#include "platform/win_error.h"

namespace quorel {

const EditSpec kAppendTrustee{
    .readFailed = L"Error adding ACE ( GetFileSecurity )",
    .daclFailed = L"Error adding ACE ( GetSecurityDescriptorDacl )",
    .sizeFailed = L"Error adding ACL ( GetAclInformation )",
    .writeFailed = L"Error setting file security",
    .aclTooLarge = L"Error initializing ACL",
    .takeOwnershipOnDenied = true,
    .giveBackOwnership = true,
};

namespace {

// An ACL's size is a 16-bit field: header and ACEs must fit in 65535 bytes.
constexpr std::size_t kMaxAclBytes = 0xFFFF;

std::size_t aclBytes(const std::vector<RawAce>& dacl) {
    std::size_t total = 8;
    for (const RawAce& ace : dacl) {
        total += ace.bytes.size();
    }
    return total;
}

const EditSpec kSetAccessMask{};

const EditSpec kSetInheritance{
    .readFailed = L"Error getting file Security in SetInheritance",
    .daclFailed = L"Error getting SecurityDescriptorDacl in SetInheritance",
    .sizeFailed = L"Error getting AclInformation in SetInheritance",
    .aceFailed = L"Error getting ACE in SetInheritance",
};

const EditSpec kDelTrustee{
    .readFailed = L"Error getting FileSecurity in DelTrustee",
    .daclFailed = L"Error getting SecurityDescriptorDacl in DelTrustee",
    .sizeFailed = L"Error getting AclInformation in DelTrustee",
    .aceFailed = L"Error deleting ACE ( DelTrustee )",
    .writeFailed = L"Error setting file security",
    .takeOwnershipOnDenied = true,
    .giveBackOwnership = true,
};

const EditSpec kAddTrusteeUnconditional{
    .readFailed = L"Error getting the file security",
    .daclFailed = L"Error getting the security descriptor ( AddTrusteeUnconditional )",
    .sizeFailed = L"Error getting the ACL size information ( AddTrusteeUnconditional )",
    .aceFailed = L"Error getting the ACE",
    .writeFailed = L"Error setting file security",
    .aclTooLarge = L"Error initializing the ACL",
    .takeOwnershipOnDenied = true,
    .giveBackOwnership = true,
};

constexpr const wchar_t* kConvertReadFailed = L"Error GetNamedSecurityInfo ( AddTrusteeOfConvert )";

const EditSpec kAddTrusteeOfConvert{
    .readFailed = kConvertReadFailed,
    .daclFailed = kConvertReadFailed,
    .sizeFailed = kConvertReadFailed,
    .aceFailed = kConvertReadFailed,
};

const EditSpec kMergeTrustee{};

const EditSpec kReplaceDacl{
    .writeFailed = L"Error setting file security",
    .aclTooLarge = L"Error initializing ACL",
    .takeOwnershipOnDenied = true,
    .giveBackOwnership = true,
};

// A read-back that differs from what was written other than by the
// documented generic mapping.
constexpr const wchar_t* kStoredDifferently =
    L"The ACL of %s was stored differently than it was written.";

// The Part-free wording of the system: an edit on a view that no longer
// shows the disk.
constexpr const wchar_t* kStaleText =
    L"The ACL of %s was changed since it was read. It has been read again; nothing was changed.";

std::wstring withPath(const wchar_t* pattern, const std::wstring& path) {
    std::wstring text = pattern;
    const std::size_t at = text.find(L"%s");
    if (at != std::wstring::npos) {
        text.replace(at, 2, path);
    }
    return text;
}

// The descriptor as `plan` wrote `dacl` over `read`, `written` of its writes
// done: what a DACL that took away the right to read it back holds.
SecurityDescriptor asWritten(const SecurityDescriptor& read, const std::vector<RawAce>& dacl,
                             const DaclWritePlan& plan, std::size_t written) {
    SecurityDescriptor sd = read;
    sd.dacl = dacl;
    sd.daclState = DaclState::Present;
    sd.control = static_cast<std::uint16_t>(
        (sd.control & ~(sd_control::kDaclProtected | sd_control::kDaclAutoInherited)) |
        sd_control::kDaclPresent | (plan.expectProtected ? sd_control::kDaclProtected : 0) |
        (plan.expectAutoInherited.value_or(false) && written == plan.writes.size()
             ? sd_control::kDaclAutoInherited
             : 0));
    return sd;
}

}  // namespace

AclEditor::AclEditor(EditPorts ports, SecurityReader& reader, EditSettings& settings)
    : ports_(ports), reader_(reader), settings_(settings) {}

void AclEditor::report(CDirEntry& entry, const std::wstring& text) {
    if (entry.dataset() != nullptr) {
        entry.dataset()->errorList().addError(text, &entry, 0);
    }
}

void AclEditor::Reread(CDirEntry& entry) {
    reader_.readSecurity(entry);
}

void AclEditor::showStale(CDirEntry& entry) {
    ports_.ui.showMessage(withPath(kStaleText, entry.path()), L"Note", MessageIcon::Warning);
}

bool AclEditor::viewMatches(const CDirEntry& entry, const SecurityDescriptor& read) {
    const std::vector<RawAce>& dacl = daclOf(read);
    if (dacl.size() != entry.aceCount()) {
        return false;
    }
    const AccountNames& names = entry.dataset()->accountNames();
    for (std::uint32_t i = 0; i < entry.aceCount(); ++i) {
        const AceRecord& shown = *entry.ace(i);
        const RawAce& disk = dacl[i];
        if (disk.type() != shown.aceType || disk.flags() != shown.aceFlags ||
            disk.mask() != shown.accessMask) {
            return false;
        }
        std::optional<Sid> sid = disk.sid();
        if (!sid) {
            if (!shown.trustee(names).empty()) {
                return false;
            }
            continue;
        }
        if (reader_.accountOf(*sid, entry) != shown.account()) {
            // The same SID shown under another name (a lookup that failed
            // then and answers now) is the same ACE.
            const Sid* shownSid = names.sid(shown.account());
            if (shownSid == nullptr || *shownSid != *sid) {
                return false;
            }
        }
    }
    return true;
}

std::uint32_t AclEditor::resolve(const Trustee& trustee, Sid& sid) {
    if (trustee.sid && !trustee.sid->empty()) {
        sid = *trustee.sid;
        return 0;
    }
    if (trustee.name.rfind(L"S-1-", 0) == 0) {
        return ports_.accounts.sidFromString(trustee.name, sid);
    }
    const std::wstring key = trustee.qualifiedName();
    if (auto it = names_.find(key); it != names_.end()) {
        sid = it->second;
        return 0;
    }
    Sid found;
    AccountInfo info;
    if (const std::uint32_t error = ports_.accounts.lookupName(key, found, info); error != 0) {
        return error;
    }
    names_.emplace(key, found);
    sid = found;
    return 0;
}

EditResult AclEditor::Rewrite(CDirEntry& entry, const EditSpec& spec, const Compute& compute,
                              const SecurityDescriptor* read) {
    const bool ownedBefore = entry.ownershipTaken;
    SecurityDescriptor sd;
    bool known = false;  // `sd` is what the disk holds
    // Ownership is only taken by edits that give it back.
    auto finishFailed = [&](std::uint32_t error) {
        if (spec.giveBackOwnership && entry.ownershipTaken) {
            giveBack(entry, known ? &sd : nullptr);
        }
        return EditResult::failed(error);
    };

    if (read != nullptr) {
        sd = *read;
    } else if (const SdReadStatus status = readForEdit(entry, spec, sd); !status.ok()) {
        return finishFailed(status.error);
    }
    known = true;
    for (const RawAce& ace : daclOf(sd)) {
        if (ace.bytes.size() < 8) {
            // An ACE that cannot be read cannot be carried over byte for byte.
            if (spec.aceFailed != nullptr) {
                report(entry, spec.aceFailed);
            }
            reader_.applyDescriptor(entry, {}, sd);
            return finishFailed(win_error::kInvalidParameter);
        }
    }
    if (spec.checkView && !viewMatches(entry, sd)) {
        reader_.applyDescriptor(entry, {}, sd);
        showStale(entry);
        if (entry.ownershipTaken != ownedBefore && spec.giveBackOwnership) {
            giveBack(entry, &sd);
        }
        return {EditStatus::Stale, 0};
    }

    std::vector<RawAce> dacl;
    bool protect = sd.daclProtected();
    const EditResult computed = compute(sd, dacl, protect);
    if (computed.status != EditStatus::Done) {
        if (computed.status == EditStatus::Failed) {
            return finishFailed(computed.error);
        }
        if (entry.ownershipTaken != ownedBefore) {
            reader_.applyDescriptor(entry, {}, sd);
            if (spec.giveBackOwnership) {
                giveBack(entry, &sd);
            }
        }
        return computed;
    }
    if (aclBytes(dacl) > kMaxAclBytes) {
        if (spec.aclTooLarge != nullptr) {
            report(entry, spec.aclTooLarge);
        }
        return finishFailed(win_error::kInvalidParameter);
    }

    return writeDacl(entry, spec, sd, dacl, protect);
}

SdReadStatus AclEditor::readForEdit(CDirEntry& entry, const EditSpec& spec,
                                    SecurityDescriptor& sd) {
    const std::wstring path = entry.path();
    SdReadStatus status = ports_.security.readSecurity(path, sd);
    if (!status.ok() && status.error == win_error::kAccessDenied && spec.takeOwnershipOnDenied &&
        takeOwnershipFor(entry, nullptr)) {
        sd = SecurityDescriptor();
        status = ports_.security.readSecurity(path, sd);
    }
    if (!status.ok()) {
        const wchar_t* text = status.failedStep == SdStep::Dacl             ? spec.daclFailed
                              : status.failedStep == SdStep::AclInformation ? spec.sizeFailed
                                                                            : spec.readFailed;
        if (text != nullptr) {
            report(entry, text);
        }
    }
    return status;
}

EditResult AclEditor::writeDacl(CDirEntry& entry, const EditSpec& spec, SecurityDescriptor& sd,
                                const std::vector<RawAce>& dacl, bool protect) {
    const std::wstring path = entry.path();
    auto finishFailed = [&](std::uint32_t error) {
        if (spec.giveBackOwnership && entry.ownershipTaken) {
            giveBack(entry, &sd);
        }
        return EditResult::failed(error);
    };
    const bool autoInherited =
        spec.autoInheritResult || (sd.control & sd_control::kDaclAutoInherited) != 0;
    const DaclWritePlan plan = planDaclWrite(daclOf(sd), dacl, protect, autoInherited);
    std::size_t written = 0;
    std::uint32_t error = writePlanned(path, dacl, plan, written);
    if (error == win_error::kAccessDenied && spec.takeOwnershipOnDenied &&
        takeOwnershipFor(entry, &sd)) {
        error = writePlanned(path, dacl, plan, written);
    }
    if (error != 0 && written > 0) {
        // The ACEs are on disk; only the write that sets
        // SE_DACL_AUTO_INHERITED again was refused (the new DACL took the
        // right to write it away). The read-back tells what was stored.
        error = 0;
    }
    // Every write is read back: the entry shows what the disk holds, and
    // the next edit, the stale-view check and undo start from it.
    SecurityDescriptor back;
    const bool readBack = ports_.security.readSecurity(path, back).ok();
    if (error != 0) {
        if (spec.writeFailed != nullptr) {
            report(entry, spec.writeFailed);
        }
        reader_.applyDescriptor(entry, {}, readBack ? back : sd);
        if (readBack) {
            sd = back;
        }
        return finishFailed(error);
    }
    if (!readBack) {
        // The DACL written may have taken away the right to read it: show
        // what was written.
        back = asWritten(sd, dacl, plan, written);
    }
    sd = std::move(back);
    reader_.applyDescriptor(entry, {}, sd);
    const bool stored = readBack ? storedAsPlanned(plan, dacl, sd) : written == plan.writes.size();
    if (!stored) {
        report(entry, withPath(kStoredDifferently, path));
    }
    if (spec.giveBackOwnership) {
        giveBack(entry, &sd);
    }
    return stored ? EditResult{} : EditResult::failed(win_error::kInvalidAcl);
}

std::uint32_t AclEditor::writePlanned(const std::wstring& path, const std::vector<RawAce>& dacl,
                                      const DaclWritePlan& plan, std::size_t& written) {
    written = 0;
    for (const DaclControl& control : plan.writes) {
        if (const std::uint32_t error = ports_.security.writeDacl(path, dacl, control);
            error != 0) {
            return error;
        }
        ++written;
    }
    return 0;
}

EditResult AclEditor::RewritePath(const std::wstring& path, const Compute& compute) {
    SecurityDescriptor sd;
    const SdReadStatus status = ports_.security.readSecurity(path, sd);
    if (!status.ok()) {
        return EditResult::failed(status.error);
    }
    std::vector<RawAce> dacl;
    bool protect = sd.daclProtected();
    const EditResult computed = compute(sd, dacl, protect);
    if (computed.status != EditStatus::Done) {
        return computed;
    }
    const DaclWritePlan plan = planDaclWrite(daclOf(sd), dacl, protect,
                                             (sd.control & sd_control::kDaclAutoInherited) != 0);
    std::size_t written = 0;
    if (const std::uint32_t error = writePlanned(path, dacl, plan, written); error != 0) {
        return EditResult::failed(error);
    }
    SecurityDescriptor back;
    if (ports_.security.readSecurity(path, back).ok() && !storedAsPlanned(plan, dacl, back)) {
        return EditResult::failed(win_error::kInvalidAcl);
    }
    return {};
}

EditResult AclEditor::editAt(CDirEntry& entry, std::uint32_t index, const EditSpec& spec,
                             const std::function<void(std::vector<RawAce>&)>& change) {
    return Rewrite(entry, spec,
                   [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
                       if (sd.daclState != DaclState::Present || index >= sd.dacl.size()) {
                           return EditResult{EditStatus::OutOfRange, 0};
                       }
                       dacl = sd.dacl;
                       change(dacl);
                       return EditResult{};
                   });
}

EditResult AclEditor::SetAccessMask(CDirEntry& entry, std::uint32_t index, std::uint32_t mask) {
    return editAt(entry, index, kSetAccessMask,
                  [&](std::vector<RawAce>& dacl) { dacl[index].setMask(mask); });
}

EditResult AclEditor::SetInheritance(CDirEntry& entry, std::uint32_t index, std::uint8_t flags) {
    return editAt(entry, index, kSetInheritance,
                  [&](std::vector<RawAce>& dacl) { dacl[index].setFlags(flags); });
}

EditResult AclEditor::ModifyAce(CDirEntry& entry, std::uint32_t index, std::uint32_t mask,
                                std::uint8_t flags, std::uint8_t type) {
    return editAt(entry, index, kSetAccessMask, [&](std::vector<RawAce>& dacl) {
        RawAce& ace = dacl[index];
        const bool plain =
            ace.type() == ace_type::kAccessAllowed || ace.type() == ace_type::kAccessDenied;
        const std::optional<Sid> sid = ace.sid();
        if (plain && sid && ace.type() != type &&
            (type == ace_type::kAccessAllowed || type == ace_type::kAccessDenied)) {
            ace = RawAce::make(type, flags, mask, *sid);
            return;
        }
        ace.setMask(mask);
        ace.setFlags(flags);
    });
}

EditResult AclEditor::DelTrustee(CDirEntry& entry, std::uint32_t index) {
    return editAt(entry, index, kDelTrustee, [&](std::vector<RawAce>& dacl) {
        dacl.erase(dacl.begin() + static_cast<std::ptrdiff_t>(index));
    });
}

EditResult AclEditor::addAce(CDirEntry& entry, const Trustee& trustee, std::uint32_t mask,
                             std::uint8_t flags, bool allow, bool first) {
    const EditSpec& spec = first ? kAddTrusteeUnconditional : kAppendTrustee;
    return Rewrite(
        entry, spec, [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
            Sid sid;
            if (const std::uint32_t error = resolve(trustee, sid); error != 0) {
                report(entry, first ? L"Error getting the account name"
                                    : L"Error adding ACE ( cannot lookup account name )");
                return EditResult::failed(error);
            }
            RawAce ace = RawAce::make(allow ? ace_type::kAccessAllowed : ace_type::kAccessDenied,
                                      flags, mask, sid);
            dacl = daclOf(sd);
            // An explicit ACE goes where the canonical order puts it (a deny
            // placed after the inherited allows would never take effect); an
            // inherited one first or last among the inherited ACEs.
            std::size_t at = nt::canonicalInsertIndex(dacl, !allow);
            if ((flags & ace_flag::kInherited) != 0) {
                at = first ? nt::canonicalInsertIndex(dacl, false) : dacl.size();
            }
            dacl.insert(dacl.begin() + static_cast<std::ptrdiff_t>(at), std::move(ace));
            return EditResult{};
        });
}

EditResult AclEditor::AddTrusteeUnconditional(CDirEntry& entry, const Trustee& trustee,
                                              std::uint32_t mask, std::uint8_t flags, bool allow) {
    return addAce(entry, trustee, mask, flags, allow, true);
}

EditResult AclEditor::RemoveAllAces(CDirEntry& entry) {
    return Rewrite(entry, kDelTrustee,
                   [](const SecurityDescriptor&, std::vector<RawAce>& dacl, bool&) {
                       dacl.clear();
                       return EditResult{};
                   });
}

EditResult AclEditor::ReplaceWithTrustees(CDirEntry& entry, const std::vector<TrusteeAce>& aces) {
    return Rewrite(entry, kAddTrusteeUnconditional,
                   [&](const SecurityDescriptor&, std::vector<RawAce>& dacl, bool&) {
                       dacl.clear();
                       for (const TrusteeAce& a : aces) {
                           Sid sid;
                           if (const std::uint32_t error = resolve(a.trustee, sid); error != 0) {
                               report(entry, L"Error getting the account name");
                               return EditResult::failed(error);
                           }
                           dacl.push_back(RawAce::make(
                               a.allow ? ace_type::kAccessAllowed : ace_type::kAccessDenied,
                               a.flags, a.mask, sid));
                       }
                       return EditResult{};
                   });
}

EditResult AclEditor::MergeTrustees(CDirEntry& entry, const std::vector<TrusteeAce>& aces) {
    return Rewrite(
        entry, kMergeTrustee, [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
            dacl = daclOf(sd);
            for (const TrusteeAce& a : aces) {
                ExplicitAccess access;
                access.mode = a.allow ? ExplicitAccess::Mode::Grant : ExplicitAccess::Mode::Deny;
                access.mask = a.mask;
                access.inheritance = a.flags;
                if (const std::uint32_t error = resolve(a.trustee, access.trustee); error != 0) {
                    ports_.ui.showMessage(L"Error SetEntriesInAcl", L"Error SetEntriesInAcl",
                                          MessageIcon::None);
                    return EditResult::failed(error);
                }
                dacl = setEntriesInAcl(dacl, access);
            }
            return EditResult{};
        });
}

EditResult AclEditor::DeleteAces(CDirEntry& entry, std::vector<std::uint32_t> indices) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return Rewrite(entry, kDelTrustee,
                   [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
                       dacl = daclOf(sd);
                       if (!indices.empty() && indices.back() >= dacl.size()) {
                           return EditResult{EditStatus::OutOfRange, 0};
                       }
                       for (auto i = indices.rbegin(); i != indices.rend(); ++i) {
                           dacl.erase(dacl.begin() + static_cast<std::ptrdiff_t>(*i));
                       }
                       return EditResult{};
                   });
}

EditResult AclEditor::AppendTrustee(CDirEntry& entry, const Trustee& trustee, std::uint32_t mask,
                                    std::uint8_t flags, bool allow) {
    return addAce(entry, trustee, mask, flags, allow, false);
}

EditResult AclEditor::merge(CDirEntry& entry, const Trustee& trustee, std::uint32_t mask,
                            std::uint8_t inheritance, bool allow, bool convert) {
    return Rewrite(
        entry, convert ? kAddTrusteeOfConvert : kMergeTrustee,
        [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool& protect) {
            ExplicitAccess access;
            access.mode = allow ? ExplicitAccess::Mode::Grant : ExplicitAccess::Mode::Deny;
            access.mask = mask;
            access.inheritance = inheritance;
            if (const std::uint32_t error = resolve(trustee, access.trustee); error != 0) {
                // SetEntriesInAclW fails when its trustee names no account.
                ports_.ui.showMessage(L"Error SetEntriesInAcl", L"Error SetEntriesInAcl",
                                      MessageIcon::None);
                return EditResult::failed(error);
            }
            dacl = setEntriesInAcl(daclOf(sd), access);
            if (convert) {
                protect = true;
            }
            return EditResult{};
        });
}

EditResult AclEditor::AddTrusteeOfConvert(CDirEntry& entry, const Trustee& trustee,
                                          std::uint32_t mask, std::uint8_t inheritance,
                                          bool allow) {
    return merge(entry, trustee, mask, inheritance, allow, true);
}

EditResult AclEditor::MergeTrustee(CDirEntry& entry, const Trustee& trustee, std::uint32_t mask,
                                   std::uint8_t inheritance, bool allow) {
    return merge(entry, trustee, mask, inheritance, allow, false);
}

EditResult AclEditor::ConvertInheritedAces(CDirEntry& entry) {
    return Rewrite(
        entry, kDelTrustee,
        [](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool& protect) {
            dacl = daclOf(sd);
            for (RawAce& ace : dacl) {
                ace.setFlags(ace.flags() & static_cast<std::uint8_t>(~ace_flag::kInherited));
            }
            protect = true;
            return EditResult{};
        });
}

EditResult AclEditor::RepairAceOrder(CDirEntry& entry) {
    return Rewrite(entry, kReplaceDacl,
                   [](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
                       if (nt::isCanonical(daclOf(sd))) {
                           return EditResult{EditStatus::Unchanged, 0};
                       }
                       dacl = nt::canonicalOrder(daclOf(sd));
                       return EditResult{};
                   });
}

EditResult AclEditor::inherited(CDirEntry& entry, const Trustee& trustee, std::uint8_t type,
                                std::uint32_t mask, const std::uint32_t* newMask) {
    if (entry.isDotEntry()) {
        return {EditStatus::Unchanged, 0};
    }
    const AccountNames& names = entry.dataset()->accountNames();
    auto matches = [&](const AceRecord& r) {
        return r.trustee(names) == trustee.name &&
               (trustee.domain.empty() || r.domain(names) == trustee.domain) && r.inherited() &&
               r.aceType == type && r.accessMask == mask;
    };
    return Rewrite(entry, newMask != nullptr ? kSetAccessMask : kDelTrustee,
                   [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
                       // The view check made the records the disk's ACEs.
                       bool any = false;
                       for (std::uint32_t i = 0; i < entry.aceCount(); ++i) {
                           if (matches(*entry.ace(i))) {
                               any = true;
                               if (newMask != nullptr) {
                                   dacl.push_back(sd.dacl[i]);
                                   dacl.back().setMask(*newMask);
                               }
                           } else {
                               dacl.push_back(sd.dacl[i]);
                           }
                       }
                       return any ? EditResult{} : EditResult{EditStatus::Unchanged, 0};
                   });
}

EditResult AclEditor::DelInheritedTrustee(CDirEntry& entry, const Trustee& trustee,
                                          std::uint8_t type, std::uint32_t mask) {
    return inherited(entry, trustee, type, mask, nullptr);
}

EditResult AclEditor::SetInheritedAccessMask(CDirEntry& entry, const Trustee& trustee,
                                             std::uint8_t type, std::uint32_t oldMask,
                                             std::uint32_t newMask) {
    return inherited(entry, trustee, type, oldMask, &newMask);
}

EditResult AclEditor::ReplaceDacl(CDirEntry& entry, std::vector<RawAce> dacl, bool protect) {
    return Rewrite(entry, kReplaceDacl,
                   [&](const SecurityDescriptor&, std::vector<RawAce>& out, bool& outProtect) {
                       out = dacl;
                       outProtect = protect;
                       return EditResult{};
                   });
}

EditResult AclEditor::RestoreNullDacl(const std::wstring& path, CDirEntry* entry) {
    std::uint32_t error = ports_.security.writeNullDacl(path);
    SecurityDescriptor back;
    const bool readBack = ports_.security.readSecurity(path, back).ok();
    if (entry != nullptr && readBack) {
        reader_.applyDescriptor(*entry, {}, back);
    }
    if (error == 0 && readBack && back.daclState == DaclState::Present) {
        if (entry != nullptr) {
            report(*entry, withPath(kStoredDifferently, path));
        }
        error = win_error::kInvalidAcl;
    }
    return error == 0 ? EditResult{} : EditResult::failed(error);
}

WorkingAce AclEditor::InsertWorkingAce(CDirEntry& entry) {
    WorkingAce working;
    // With backup and restore privileges the ports read and write below the
    // folder whatever its DACL grants: no grant is needed.
    if (settings_.currentUserSid.empty() || settings_.backupRestoreAvailable) {
        return working;
    }
    working.ace =
        RawAce::make(ace_type::kAccessAllowed, 0, access::kFileAllAccess, settings_.currentUserSid);
    EditSpec spec = kAddTrusteeUnconditional;
    spec.checkView = false;
    const EditResult result =
        Rewrite(entry, spec, [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
            dacl = daclOf(sd);
            dacl.insert(dacl.begin(), working.ace);
            return EditResult{};
        });
    working.inserted = result.status == EditStatus::Done;
    return working;
}

EditResult AclEditor::RemoveWorkingAce(CDirEntry& entry, WorkingAce& working) {
    if (!working.inserted) {
        return {EditStatus::Unchanged, 0};
    }
    EditSpec spec = kDelTrustee;
    spec.checkView = false;
    auto compute = [&](const SecurityDescriptor& sd, std::vector<RawAce>& dacl, bool&) {
        dacl = daclOf(sd);
        // Where it was put, unless something moved it since.
        auto at = !dacl.empty() && dacl.front() == working.ace
                      ? dacl.begin()
                      : std::find(dacl.begin(), dacl.end(), working.ace);
        if (at == dacl.end()) {
            return EditResult{EditStatus::Unchanged, 0};
        }
        dacl.erase(at);
        return EditResult{};
    };
    EditResult result = Rewrite(entry, spec, compute);
    if (!result.ok()) {
        // One more try: leaving the user with full control is not an option
        // a passing failure should decide.
        result = Rewrite(entry, spec, compute);
    }
    if (result.ok()) {
        working.inserted = false;
    } else {
        report(entry, L"Error removing the temporary full-control ACE of the current user");
    }
    return result;
}

}  // namespace quorel
