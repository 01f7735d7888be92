#include "platform/sim/volume_capture.h"

#include <algorithm>
#include <map>
#include <memory>

#include "platform/sim/sim_platform.h"
#include "platform/sim/volume_file.h"
#include "platform/text.h"
#include "platform/win_error.h"
#include "storage/utf16.h"

namespace quorel::sim {

namespace {

class Capture {
  public:
    Capture(const CaptureToken& token, FileSystemPort& fileSystem, SecurityPort& security,
            AccountPort& accounts)
        : token_(token), fileSystem_(fileSystem), security_(security), accounts_(accounts) {
        platform_.accounts() = SimAccounts(SimAccounts::Blank{});
        platform_.accounts().setDomainControllerPresent(false);
    }

    VolumeCapture run(const std::vector<std::wstring>& roots);

  private:
    void note(const SimObject& object, const std::string& what) {
        result_.notes.push_back(toUtf8(recordPath(object)) + ": " + what);
    }
    // Each takes the object's path as the volume file names it.
    void read(SimObject& object, const std::wstring& path);
    void tree(SimObject& folder, const std::wstring& path);
    void item(SimObject& folder, const std::wstring& folderPath, const DirItem& entry);
    void collectSids(const SimObject& object);
    void lookUp();
    void token();

    const CaptureToken& token_;
    FileSystemPort& fileSystem_;
    SecurityPort& security_;
    AccountPort& accounts_;
    SimPlatform platform_;
    std::vector<Sid> sids_;  // every SID the descriptors name, in order of appearance
    VolumeCapture result_;
};

VolumeCapture Capture::run(const std::vector<std::wstring>& roots) {
    if (!token_.user) {
        result_.error = "the account the capture runs as is not known";
        return std::move(result_);
    }
    for (const std::wstring& root : roots) {
        SimObject* top = platform_.volume().create(root, true);
        if (top == nullptr) {
            result_.error = "not an absolute path: " + toUtf8(root);
            return std::move(result_);
        }
        // The folders above the tree, for what the tree inherits.
        std::vector<SimObject*> above;
        for (SimObject* p = top->parent; p != nullptr; p = p->parent) {
            above.push_back(p);
        }
        std::for_each(above.rbegin(), above.rend(),
                      [&](SimObject* p) { read(*p, recordPath(*p)); });
        const std::wstring path = recordPath(*top);
        read(*top, path);
        tree(*top, path);
    }
    for (const auto& root : platform_.volume().roots()) {
        collectSids(*root);
    }
    token();
    lookUp();
    VolumeWrite written = writeVolume(platform_);
    result_.text = std::move(written.text);
    result_.error = std::move(written.error);
    result_.accounts = platform_.accounts().all().size();
    return std::move(result_);
}

void Capture::read(SimObject& object, const std::wstring& path) {
    SecurityDescriptor sd;
    const SdReadStatus status = security_.readSecurity(path, sd);
    if (status.ok()) {
        object.security = std::move(sd);
        object.readError = 0;
    } else {
        object.readError = status.error;
    }
}

void Capture::tree(SimObject& folder, const std::wstring& path) {
    ++result_.items;
    if (folder.reparseTag != 0) {
        return;  // a link is listed, never entered
    }
    DirItem entry;
    std::uint32_t error = 0;
    std::unique_ptr<DirEnumerator> listing = fileSystem_.openDirectory(path, entry, error);
    if (!listing) {
        note(folder, "not listed (error " + std::to_string(error) + ")");
        return;
    }
    do {
        if (entry.name != L"." && entry.name != L"..") {
            item(folder, path, entry);
        }
    } while ((error = listing->next(entry)) == 0);
    if (error != win_error::kNoMoreFiles) {
        note(folder, "listed in part (error " + std::to_string(error) + ")");
    }
}

void Capture::item(SimObject& folder, const std::wstring& folderPath, const DirItem& entry) {
    const std::wstring path = folderPath + (folderPath.ends_with(L"\\") ? L"" : L"\\") + entry.name;
    SimObject* object = platform_.volume().create(path, entry.isDirectory());
    if (object == nullptr || object->parent != &folder) {
        note(folder,
             "the item \"" + toUtf8(entry.name) + "\" has a name a volume file cannot hold");
        return;
    }
    read(*object, path);
    if (entry.isReparsePoint()) {
        std::wstring target;
        const bool hasTarget = entry.isLink() && fileSystem_.readReparseTarget(path, target) == 0;
        if (!entry.isDirectory()) {
            note(*object, "a reparse point that is a file: written as a file");
        } else if (hasTarget || entry.reparseTag == reparse_tag::kCloud) {
            object->reparseTag = entry.reparseTag;
            object->reparseTarget = hasTarget ? std::optional<std::wstring>(target) : std::nullopt;
        } else {
            object->reparseTag =
                reparse_tag::kCloud;  // a reparse point that leads nowhere it can say
            note(*object, "a reparse point whose target cannot be read: written as a placeholder");
        }
    }
    if (!itemRecord(path, *object)) {
        note(*object, "left out: a volume file cannot hold it");
        platform_.volume().remove(path);
        return;
    }
    if (object->isDirectory) {
        tree(*object, path);
    } else {
        ++result_.items;
    }
}

void Capture::collectSids(const SimObject& object) {
    auto add = [&](const std::optional<Sid>& sid) {
        if (sid && std::find(sids_.begin(), sids_.end(), *sid) == sids_.end()) {
            sids_.push_back(*sid);
        }
    };
    add(object.security.owner);
    add(object.security.group);
    for (const RawAce& ace : object.security.dacl) {
        add(ace.sid());
    }
    for (const auto& child : object.children) {
        collectSids(*child);
    }
}

// Each SID looked up here: named accounts get records, a SID that no longer
// resolves a deleted one. Accounts of a domain other than this computer,
// BUILTIN and NT AUTHORITY are taken as the domain's, which is this
// computer's domain when it is the user's.
void Capture::lookUp() {
    SimAccounts& accounts = platform_.accounts();
    std::map<std::wstring, Sid> domains;
    std::wstring own;
    for (const Sid& sid : sids_) {
        AccountInfo info;
        const std::uint32_t error = accounts_.lookupSid(L"", sid, info);
        SimAccount account{sid, info.name, info.domain, info.kind, false, false, {}, L""};
        if (error == win_error::kNoneMapped) {
            account = SimAccount{sid, L"", L"", AccountKind::DeletedAccount, false, true, {}, L""};
        } else if (error != 0) {
            accounts.failLookups(sid, error);
            continue;
        } else if (info.kind != AccountKind::User && info.kind != AccountKind::Group &&
                   info.kind != AccountKind::Alias && info.kind != AccountKind::WellKnownGroup) {
            continue;  // a domain or a computer named in an ACE: unknown to the volume
        }
        const bool local = info.domain.empty() || equalsNoCase(info.domain, L"BUILTIN") ||
                           equalsNoCase(info.domain, L"NT AUTHORITY") ||
                           equalsNoCase(info.domain, token_.computer);
        if (!account.deleted && !local && account.kind != AccountKind::WellKnownGroup) {
            domains.emplace(upperCase(info.domain), sid.prefix());
            if (token_.user && *token_.user == sid) {
                own = info.domain;
            }
        }
        accounts.addAccount(std::move(account));
    }
    for (const SimAccount& a : accounts.all()) {
        if (own.empty() && domains.count(upperCase(a.domain)) != 0) {
            own = a.domain;  // else the first domain named
        }
    }
    if (!own.empty()) {
        accounts.setDomainName(own);
        std::uint32_t error = 0;
        if (std::optional<std::wstring> controller = accounts_.domainControllerName(error)) {
            accounts.setDcName(*controller);
            accounts.setDomainControllerPresent(true);
        }
    }
    for (const SimAccount& a : accounts.all()) {
        auto it = domains.find(upperCase(a.domain));
        if (it != domains.end() && accounts.findDomain(it->second) == nullptr) {
            accounts.addDomain({it->second, a.domain, L"", true, true});
        }
    }
}

void Capture::token() {
    if (!token_.computer.empty()) {
        platform_.accounts().setMachineName(token_.computer);
    }
    if (token_.user) {
        platform_.accounts().setCurrentUser(*token_.user);
        if (std::find(sids_.begin(), sids_.end(), *token_.user) == sids_.end()) {
            sids_.push_back(*token_.user);
        }
    }
    platform_.accounts().setTokenGroups(token_.groups);
    for (const Sid& group : token_.groups) {
        if (std::find(sids_.begin(), sids_.end(), group) == sids_.end()) {
            sids_.push_back(group);
        }
    }
    platform_.setTakeOwnershipHeld(token_.takeOwnership);
    platform_.setRestoreHeld(token_.restore);
    platform_.setBackupHeld(token_.backup);
}

}  // namespace

VolumeCapture captureVolume(const std::vector<std::wstring>& roots, const CaptureToken& token,
                            FileSystemPort& fileSystem, SecurityPort& security,
                            AccountPort& accounts) {
    return Capture(token, fileSystem, security, accounts).run(roots);
}

}  // namespace quorel::sim
