#include "platform/file_system_port.h"
#include "platform/sddl_descriptor.h"
#include "platform/sim/volume_file.h"
#include "platform/text.h"
#include "storage/utf16.h"

// The writer of volume files (volume_file.h).
namespace quorel::sim {

namespace {

bool holdsSeparator(std::wstring_view text) {
    for (wchar_t c : text) {
        if (c == L'\t' || c == L'\n' || c == L'\r') {
            return true;
        }
    }
    return false;
}

std::string sidText(const Sid& sid) {
    return toUtf8(sid.toString());
}

std::string sidList(const std::vector<Sid>& sids) {
    if (sids.empty()) {
        return "-";
    }
    std::string out;
    for (const Sid& sid : sids) {
        out += (out.empty() ? "" : ",") + sidText(sid);
    }
    return out;
}

class Writer {
  public:
    explicit Writer(const SimPlatform& platform) : platform_(platform) {}

    VolumeWrite run();

  private:
    bool fail(const std::string& message) {
        if (error_.empty()) {
            error_ = message;
        }
        return false;
    }
    void line(const std::string& text) { out_ += text + "\n"; }
    bool domains();
    bool accountRecords();
    void token();
    bool items(const SimObject& object, const std::wstring& path, bool root);
    void faults(const SimObject& object, const std::wstring& path);

    const SimPlatform& platform_;
    std::string out_;
    std::string error_;
};

VolumeWrite Writer::run() {
    const SimAccounts& accounts = platform_.accounts();
    line("quorel-volume 1");
    if (holdsSeparator(accounts.machineName())) {
        fail("the computer's name holds a TAB or line end");
    }
    line("computer\t" + toUtf8(accounts.machineName()));
    if (accounts.timeOutsPending()) {
        fail("lookups set to time out a number of times");
    }
    if (domains() && accountRecords()) {
        token();
    }
    if (platform_.latency() != 0) {
        line("latency\t" + std::to_string(platform_.latency()));
    }
    for (const auto& root : platform_.volume().roots()) {
        const std::wstring path = root->name.size() == 2 ? root->name + L"\\" : root->name;
        items(*root, path, true);
    }
    // The faults of the items, in the same order.
    for (const auto& root : platform_.volume().roots()) {
        faults(*root, root->name.size() == 2 ? root->name + L"\\" : root->name);
    }
    for (const auto& [sid, error] : accounts.lookupFailures()) {
        if (error != 0) {
            line("fail\tlookup\t" + sidText(sid) + "\t" + std::to_string(error));
        }
    }
    if (!error_.empty()) {
        return {{}, "the volume holds what a volume file cannot: " + error_};
    }
    return {std::move(out_), {}};
}

bool Writer::domains() {
    const SimAccounts& accounts = platform_.accounts();
    const SimDomain* own = nullptr;
    for (const SimDomain& d : accounts.domains()) {
        if (d.viaController && equalsNoCase(d.name, accounts.domainName())) {
            own = &d;
        }
    }
    for (const SimDomain& d : accounts.domains()) {
        if (!d.viaController) {
            continue;
        }
        if (own == nullptr) {
            return fail("the domain " + toUtf8(d.name) + " but not the computer's own");
        }
        if (!d.trusted) {
            return fail("the untrusted domain " + toUtf8(d.name));
        }
        if (holdsSeparator(d.name)) {
            return fail("a domain name holding a TAB or line end");
        }
    }
    if (own != nullptr) {
        std::string text = "domain\t" + toUtf8(own->name) + "\t" + sidText(own->sid);
        if (accounts.domainControllerPresent()) {
            std::wstring controller = accounts.dcName();
            while (controller.starts_with(L"\\")) {
                controller.erase(0, 1);
            }
            text += "\t" + toUtf8(controller);
        }
        line(text);
    }
    for (const SimDomain& d : accounts.domains()) {
        if (d.viaController && &d != own) {
            line("domain\t" + toUtf8(d.name) + "\t" + sidText(d.sid));
        }
    }
    return error_.empty();
}

bool Writer::accountRecords() {
    for (const SimAccount& a : platform_.accounts().all()) {
        std::string kind;
        switch (a.deleted ? AccountKind::DeletedAccount : a.kind) {
            case AccountKind::User:
                kind = "user";
                break;
            case AccountKind::Group:
                kind = "group";
                break;
            case AccountKind::Alias:
                kind = "alias";
                break;
            case AccountKind::WellKnownGroup:
                kind = "wellknown";
                break;
            case AccountKind::DeletedAccount:
                kind = "deleted";
                break;
            default:
                return fail("the account " + sidText(a.sid) + " of a kind it has no name for");
        }
        if (holdsSeparator(a.name) || holdsSeparator(a.domain) ||
            a.domain.find(L'\\') != std::wstring::npos || (!a.deleted && a.name.empty())) {
            return fail("the account " + sidText(a.sid) + " with a name it cannot hold");
        }
        std::string name =
            a.deleted ? "-" : toUtf8(a.domain.empty() ? a.name : a.domain + L"\\" + a.name);
        std::string text = "account\t" + sidText(a.sid) + "\t" + name + "\t" + kind;
        if (!a.members.empty()) {
            text += "\t" + sidList(a.members);
        }
        line(text);
    }
    return true;
}

void Writer::token() {
    std::string privileges;
    auto add = [&](bool held, const char* name) {
        if (held) {
            privileges += (privileges.empty() ? "" : ",") + std::string(name);
        }
    };
    add(platform_.takeOwnershipHeld(), "SeTakeOwnershipPrivilege");
    add(platform_.restoreHeld(), "SeRestorePrivilege");
    add(platform_.backupHeld(), "SeBackupPrivilege");
    std::vector<Sid> sids = platform_.accounts().tokenSids();
    sids.erase(sids.begin());
    line("token\t" + sidText(platform_.accounts().currentUser()) + "\t" +
         (privileges.empty() ? "-" : privileges) + "\t" + sidList(sids));
}

bool Writer::items(const SimObject& object, const std::wstring& path, bool root) {
    if (root) {
        const bool isDefault = formatSddl(object.security) == kRootSddl;
        if (!isDefault || object.children.empty()) {
            line("dir\t" + toUtf8(path) + "\t" + formatSddl(object.security));
        }
    } else if (std::optional<std::string> record = itemRecord(path, object)) {
        line(*record);
    } else {
        return fail("the item " + toUtf8(path) + " of a kind it has no record for");
    }
    const std::wstring prefix = path.ends_with(L"\\") ? path : path + L"\\";
    for (const auto& child : object.children) {
        items(*child, prefix + child->name, false);
    }
    return error_.empty();
}

void Writer::faults(const SimObject& object, const std::wstring& path) {
    if (object.readError != 0) {
        line("fail\tread\t" + toUtf8(path) + "\t" + std::to_string(object.readError));
    }
    if (object.writeError != 0) {
        line("fail\twrite\t" + toUtf8(path) + "\t" + std::to_string(object.writeError));
    }
    if (object.listingError != 0 && object.listingFailsAfter == 1) {
        line("fail\tlist\t" + toUtf8(path) + "\t" + std::to_string(object.listingError));
    } else if (object.listingFailsAfter != static_cast<std::size_t>(-1)) {
        fail("the listing of " + toUtf8(path) + " failing after other than its first item");
    }
    const std::wstring prefix = path.ends_with(L"\\") ? path : path + L"\\";
    for (const auto& child : object.children) {
        faults(*child, prefix + child->name);
    }
}

}  // namespace

std::wstring recordPath(const SimObject& object) {
    if (object.parent == nullptr) {
        return object.name.size() == 2 ? object.name + L"\\" : object.name;
    }
    const std::wstring parent = recordPath(*object.parent);
    return (parent.ends_with(L"\\") ? parent : parent + L"\\") + object.name;
}

std::optional<std::string> itemRecord(const std::wstring& path, const SimObject& object) {
    if (holdsSeparator(path) || object.extraAttributes != 0 || !object.reparseDataReadable) {
        return std::nullopt;
    }
    const std::string sddl = formatSddl(object.security);
    if (object.reparseTag == 0) {
        return std::string(object.isDirectory ? "dir\t" : "file\t") + toUtf8(path) + "\t" + sddl;
    }
    const std::wstring target = object.reparseTarget.value_or(L"-");
    std::string tag;
    if (object.reparseTag == reparse_tag::kCloud && !object.reparseTarget) {
        tag = "placeholder";
    } else if (object.reparseTag == reparse_tag::kMountPoint && object.reparseTarget) {
        tag = target.starts_with(L"\\??\\Volume{") ? "mount" : "junction";
    } else if (object.reparseTag == reparse_tag::kSymlink && object.reparseTarget) {
        tag = "symlink";
    }
    if (tag.empty() || !object.isDirectory || target.empty() || holdsSeparator(target)) {
        return std::nullopt;
    }
    return "link\t" + toUtf8(path) + "\t" + tag + "\t" + toUtf8(target) + "\t" + sddl;
}

VolumeWrite writeVolume(const SimPlatform& platform) {
    return Writer(platform).run();
}

}  // namespace quorel::sim
