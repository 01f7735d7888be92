#include "platform/sim/volume_file.h"

#include <algorithm>
#include <cwctype>
#include <map>

#include "platform/file_system_port.h"
#include "platform/sddl_descriptor.h"
#include "platform/text.h"
#include "storage/utf16.h"

namespace quorel::sim {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// An absolute path as a record gives it: a drive root (C: and a backslash),
// an item below it, a share root (two backslashes, server, share) or an
// item below that; no empty, "." or ".." name, no '/' or ':' in a name.
struct VolumePath {
    std::wstring root;  // "C:" or the share root
    std::vector<std::wstring> parts;

    static std::optional<VolumePath> parse(const std::wstring& text);
    std::wstring text() const { return joined(parts.size()); }
    std::wstring parent() const { return joined(parts.size() - 1); }

  private:
    std::wstring joined(std::size_t count) const {
        std::wstring out = root;
        for (std::size_t i = 0; i < count; ++i) {
            out += L"\\" + parts[i];
        }
        return count == 0 && root.size() == 2 ? out + L"\\" : out;
    }
};

std::optional<VolumePath> VolumePath::parse(const std::wstring& text) {
    VolumePath path;
    std::size_t at = 0;
    if (text.starts_with(L"\\\\")) {
        const std::size_t server = text.find(L'\\', 2);
        if (server == std::wstring::npos || server == 2) {
            return std::nullopt;
        }
        const std::size_t share = std::min(text.find(L'\\', server + 1), text.size());
        if (share == server + 1) {
            return std::nullopt;
        }
        path.root = text.substr(0, share);
        at = share;
    } else if (text.size() >= 3 && std::iswalpha(text[0]) && text[1] == L':' && text[2] == L'\\') {
        path.root = text.substr(0, 2);
        at = text.size() == 3 ? 3 : 2;
    } else {
        return std::nullopt;
    }
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(L'\\', at + 1), text.size());
        std::wstring name = text.substr(at + 1, end - at - 1);
        if (name.empty() || name == L"." || name == L".." ||
            name.find_first_of(L"/:") != std::wstring::npos) {
            return std::nullopt;
        }
        for (wchar_t c : name) {
            if (c < 0x20) {
                return std::nullopt;
            }
        }
        path.parts.push_back(std::move(name));
        at = end;
    }
    for (wchar_t c : path.root) {
        if (c < 0x20 || c == L'/') {
            return std::nullopt;
        }
    }
    return path;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {
        platform_->accounts() = SimAccounts(SimAccounts::Blank{});
        platform_->accounts().setDomainControllerPresent(false);
    }

    VolumeRead run();

  private:
    bool fail(const std::string& message) {
        error_ = "line " + std::to_string(line_) + ": " + message;
        return false;
    }
    bool record(const std::vector<std::string_view>& fields);
    bool fieldCount(const std::vector<std::string_view>& fields, std::size_t least,
                    std::size_t most, const char* form);
    bool sid(std::string_view text, Sid& out, const char* what);
    bool sidList(std::string_view text, std::vector<Sid>& out, const char* what);
    bool number(std::string_view text, std::uint32_t& out, const char* what);
    bool computer(const std::vector<std::string_view>& f);
    bool domain(const std::vector<std::string_view>& f);
    bool account(const std::vector<std::string_view>& f);
    bool token(const std::vector<std::string_view>& f);
    bool item(std::string_view kind, std::string_view path, std::string_view tag,
              std::string_view target, std::string_view sddl);
    bool fault(const std::vector<std::string_view>& f);
    SimObject* parentOf(const VolumePath& path);
    void place(SimAccount& account);

    std::string_view text_;
    std::unique_ptr<SimPlatform> platform_ = std::make_unique<SimPlatform>();
    std::size_t line_ = 0;
    std::string error_;
    bool seenComputer_ = false;
    bool seenToken_ = false;
    bool seenLatency_ = false;
    std::vector<std::wstring> domainNames_;
};

VolumeRead Reader::run() {
    std::size_t start = 0;
    bool ok = true;
    while (ok && start < text_.size()) {
        std::size_t end = text_.find('\n', start);
        std::string_view line = text_.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        start = end == std::string_view::npos ? text_.size() : end + 1;
        ++line_;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (toUtf8(fromUtf8(line)) != line) {
            ok = fail("the line is not UTF-8 text");
        } else if (line.find('\r') != std::string_view::npos) {
            // Only a line's last carriage return ends it (CRLF); one more
            // would be part of a field that no file can give back.
            ok = fail("a carriage return inside the line");
        } else if (line_ == 1) {
            ok =
                line == "quorel-volume 1" || fail("expected \"quorel-volume 1\" on the first line");
        } else if (!line.empty() && line[0] != '#' &&
                   line.find_first_not_of(" \t") != std::string_view::npos) {
            ok = record(split(line, '\t'));
        }
    }
    if (ok && line_ == 0) {
        ++line_;
        ok = fail("expected \"quorel-volume 1\" on the first line");
    }
    if (ok && !seenToken_) {
        ok = fail("the volume has no token record");
    }
    VolumeRead read;
    if (ok) {
        read.platform = std::move(platform_);
    } else {
        read.error = error_;
    }
    return read;
}

bool Reader::record(const std::vector<std::string_view>& f) {
    const std::string_view name = f[0];
    if (name == "computer") {
        return computer(f);
    }
    if (name == "domain") {
        return domain(f);
    }
    if (name == "account") {
        return account(f);
    }
    if (name == "token") {
        return token(f);
    }
    if (name == "dir" || name == "file") {
        return fieldCount(f, 3, 3, "PATH SDDL") && item(name, f[1], {}, {}, f[2]);
    }
    if (name == "link") {
        return fieldCount(f, 5, 5, "PATH TAG TARGET SDDL") && item(name, f[1], f[2], f[3], f[4]);
    }
    if (name == "latency") {
        std::uint32_t value = 0;
        if (!fieldCount(f, 2, 2, "MICROSECONDS") || !number(f[1], value, "microseconds")) {
            return false;
        }
        if (seenLatency_) {
            return fail("a second latency record");
        }
        seenLatency_ = true;
        platform_->setLatency(value);
        return true;
    }
    if (name == "fail") {
        return fault(f);
    }
    return fail("unknown record " + quoted(name));
}

bool Reader::fieldCount(const std::vector<std::string_view>& f, std::size_t least, std::size_t most,
                        const char* form) {
    if (f.size() < least || f.size() > most) {
        return fail(std::string("expected ") + std::string(f[0]) + " " + form +
                    ", fields separated by one TAB");
    }
    for (std::string_view field : f) {
        if (field.empty()) {
            return fail("an empty field in a " + std::string(f[0]) + " record");
        }
    }
    return true;
}

bool Reader::sid(std::string_view text, Sid& out, const char* what) {
    std::optional<Sid> parsed = Sid::fromString(fromUtf8(text));
    if (!parsed || toUtf8(parsed->toString()) != text) {
        return fail(std::string("malformed SID ") + quoted(text) + " " + what);
    }
    out = *parsed;
    return true;
}

bool Reader::sidList(std::string_view text, std::vector<Sid>& out, const char* what) {
    out.clear();
    if (text == "-") {
        return true;
    }
    for (std::string_view part : split(text, ',')) {
        Sid one;
        if (!sid(part, one, what)) {
            return false;
        }
        out.push_back(one);
    }
    return true;
}

bool Reader::number(std::string_view text, std::uint32_t& out, const char* what) {
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 0xFFFFFFFFull / 10) {
            return fail(std::string("expected ") + what + " as a decimal number below 2^32, not " +
                        quoted(text));
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFull) {
        return fail(std::string("expected ") + what + " as a decimal number below 2^32, not " +
                    quoted(text));
    }
    out = static_cast<std::uint32_t>(value);
    return true;
}

bool Reader::computer(const std::vector<std::string_view>& f) {
    if (!fieldCount(f, 2, 2, "NAME")) {
        return false;
    }
    if (seenComputer_) {
        return fail("a second computer record");
    }
    seenComputer_ = true;
    platform_->accounts().setMachineName(fromUtf8(f[1]));
    return true;
}

bool Reader::domain(const std::vector<std::string_view>& f) {
    Sid domainSid;
    if (!fieldCount(f, 3, 4, "NAME SID [CONTROLLER]") || !sid(f[2], domainSid, "of the domain")) {
        return false;
    }
    SimAccounts& accounts = platform_->accounts();
    const std::wstring name = fromUtf8(f[1]);
    for (const SimAccount& a : accounts.all()) {
        if (equalsNoCase(a.domain, name)) {
            return fail("domain " + quoted(f[1]) + " comes after its accounts");
        }
    }
    for (const SimDomain& d : accounts.domains()) {
        if (d.sid == domainSid || equalsNoCase(d.name, name)) {
            return fail("domain " + quoted(f[1]) + " or its SID was given before");
        }
    }
    if (accounts.domains().empty()) {
        accounts.setDomainName(name);
        if (f.size() == 4) {
            std::wstring controller = fromUtf8(f[3]);
            accounts.setDcName(controller.starts_with(L"\\\\") ? controller : L"\\\\" + controller);
            accounts.setDomainControllerPresent(true);
        }
    } else if (f.size() == 4) {
        return fail("only the first domain (this computer's) names its controller");
    }
    accounts.addDomain({domainSid, name, L"", true, true});
    domainNames_.push_back(name);
    return true;
}

bool Reader::account(const std::vector<std::string_view>& f) {
    static const std::map<std::string_view, AccountKind> kKinds = {
        {"user", AccountKind::User},
        {"group", AccountKind::Group},
        {"alias", AccountKind::Alias},
        {"wellknown", AccountKind::WellKnownGroup},
        {"deleted", AccountKind::DeletedAccount},
    };
    SimAccount a;
    if (!fieldCount(f, 4, 5, "SID DOMAIN\\NAME KIND [MEMBER-SIDS]") ||
        !sid(f[1], a.sid, "of the account")) {
        return false;
    }
    auto kind = kKinds.find(f[3]);
    if (kind == kKinds.end()) {
        return fail("unknown account kind " + quoted(f[3]) +
                    " (user, group, alias, wellknown, deleted)");
    }
    a.kind = kind->second;
    a.deleted = a.kind == AccountKind::DeletedAccount;
    if (a.deleted != (f[2] == "-")) {
        return fail(a.deleted ? "a deleted account's name is \"-\""
                              : "only a deleted account has the name \"-\"");
    }
    if (!a.deleted) {
        const std::wstring full = fromUtf8(f[2]);
        const std::size_t slash = full.find(L'\\');
        a.domain = slash == std::wstring::npos ? L"" : full.substr(0, slash);
        a.name = slash == std::wstring::npos ? full : full.substr(slash + 1);
        if (a.name.empty() || a.name.find(L'\\') != std::wstring::npos) {
            return fail("expected DOMAIN\\NAME or NAME, not " + quoted(f[2]));
        }
    }
    if (f.size() == 5 && !sidList(f[4], a.members, "of a member")) {
        return false;
    }
    if (platform_->accounts().find(a.sid) != nullptr) {
        return fail("account " + std::string(f[1]) + " was given before");
    }
    place(a);
    platform_->accounts().addAccount(std::move(a));
    return true;
}

bool Reader::token(const std::vector<std::string_view>& f) {
    Sid user;
    std::vector<Sid> groups;
    if (!fieldCount(f, 4, 4, "SID PRIVILEGES GROUP-SIDS") || !sid(f[1], user, "of the token") ||
        !sidList(f[3], groups, "of a token group")) {
        return false;
    }
    if (seenToken_) {
        return fail("a second token record");
    }
    seenToken_ = true;
    if (f[2] != "-") {
        for (std::string_view privilege : split(f[2], ',')) {
            if (privilege == "SeTakeOwnershipPrivilege") {
                platform_->setTakeOwnershipHeld(true);
            } else if (privilege == "SeRestorePrivilege") {
                platform_->setRestoreHeld(true);
            } else if (privilege == "SeBackupPrivilege") {
                platform_->setBackupHeld(true);
            } else {
                return fail("unknown privilege " + quoted(privilege) +
                            " (SeTakeOwnershipPrivilege, SeRestorePrivilege, SeBackupPrivilege)");
            }
        }
    }
    platform_->accounts().setCurrentUser(user);
    platform_->accounts().setTokenGroups(groups);
    return true;
}

// The folder that holds `path`, made when it is a root; null (with the
// error set) when it is missing or a file.
SimObject* Reader::parentOf(const VolumePath& path) {
    SimVolume& volume = platform_->volume();
    SimObject* parent = volume.find(path.parent());
    if (parent == nullptr && path.parts.size() == 1) {
        parent = volume.create(path.root, true);
        parent->security = *parseSddl(kRootSddl).descriptor;
    }
    if (parent == nullptr) {
        fail("no record before it gives its folder " + toUtf8(path.parent()));
        return nullptr;
    }
    if (!parent->isDirectory) {
        fail(toUtf8(path.parent()) + " is a file: it holds no items");
        return nullptr;
    }
    return parent;
}

bool Reader::item(std::string_view kind, std::string_view pathText, std::string_view tag,
                  std::string_view target, std::string_view sddl) {
    std::optional<VolumePath> path = VolumePath::parse(fromUtf8(pathText));
    if (!path) {
        return fail("expected an absolute path (C:\\... or \\\\server\\share\\...), not " +
                    quoted(pathText));
    }
    SddlDescriptorParse sd = parseSddl(sddl);
    if (!sd.ok()) {
        return fail("SDDL " + sd.errorText());
    }
    std::uint32_t reparseTag = 0;
    std::optional<std::wstring> reparseTarget = fromUtf8(target);
    const bool toVolume = reparseTarget->starts_with(L"\\??\\Volume{");
    if (kind == "link") {
        if (tag == "placeholder") {
            reparseTag = reparse_tag::kCloud;
            if (target != "-") {
                return fail("a placeholder's target is \"-\"");
            }
            reparseTarget.reset();
        } else if (tag == "junction" || tag == "mount") {
            reparseTag = reparse_tag::kMountPoint;
            if (toVolume != (tag == "mount")) {
                return fail(tag == "mount" ? "a mount point's target is \\??\\Volume{...}\\"
                                           : "a junction's target is no \\??\\Volume{...}\\");
            }
        } else if (tag == "symlink") {
            reparseTag = reparse_tag::kSymlink;
        } else {
            return fail("unknown link tag " + quoted(tag) +
                        " (junction, symlink, mount, placeholder)");
        }
    } else {
        reparseTarget.reset();
    }
    const bool isDirectory = kind != "file";
    SimObject* object = nullptr;
    if (path->parts.empty()) {
        if (kind != "dir") {
            return fail("a drive or share root is a dir");
        }
        object = platform_->volume().create(path->root, true);
    } else {
        SimObject* parent = parentOf(*path);
        if (parent == nullptr) {
            return false;
        }
        object = parent->child(path->parts.back());
        if (object != nullptr && !isDirectory && !object->children.empty()) {
            return fail("a file cannot replace the folder " + std::string(pathText) +
                        ", which holds items");
        }
        if (object == nullptr) {
            object = platform_->volume().create(path->text(), isDirectory);
        }
    }
    object->isDirectory = isDirectory;
    object->security = std::move(*sd.descriptor);
    object->reparseTag = reparseTag;
    object->reparseTarget = std::move(reparseTarget);
    return true;
}

bool Reader::fault(const std::vector<std::string_view>& f) {
    std::uint32_t error = 0;
    if (!fieldCount(f, 4, 4, "KIND PATH ERROR") || !number(f[3], error, "the error")) {
        return false;
    }
    if (error == 0) {
        return fail("error 0 is no fault");
    }
    if (f[1] == "lookup") {
        Sid failing;
        if (!sid(f[2], failing, "to fail looking up")) {
            return false;
        }
        platform_->accounts().failLookups(failing, error);
        return true;
    }
    if (f[1] != "read" && f[1] != "write" && f[1] != "list") {
        return fail("unknown fault " + quoted(f[1]) + " (read, write, list, lookup)");
    }
    std::optional<VolumePath> path = VolumePath::parse(fromUtf8(f[2]));
    SimObject* object = path ? platform_->volume().find(path->text()) : nullptr;
    if (object == nullptr) {
        return fail("no record before it gives " + quoted(f[2]));
    }
    if (f[1] == "read") {
        object->readError = error;
    } else if (f[1] == "write") {
        object->writeError = error;
    } else if (!object->isDirectory) {
        return fail(std::string(f[2]) + " is a file: it has no listing");
    } else {
        object->listingFailsAfter = 1;
        object->listingError = error;
    }
    return true;
}

// Where an account is known: a domain's through its controller, this
// computer's and a file server's by that computer alone, the rest
// (BUILTIN, NT AUTHORITY, the well-known ones) everywhere. The computer's
// and servers' domains are added for lookups of their SIDs.
void Reader::place(SimAccount& a) {
    SimAccounts& accounts = platform_->accounts();
    for (const std::wstring& name : domainNames_) {
        a.inDomain = a.inDomain || equalsNoCase(name, a.domain);
    }
    const bool machine = (a.kind == AccountKind::User || a.kind == AccountKind::Group ||
                          a.kind == AccountKind::Alias) &&
                         !a.inDomain && !a.domain.empty() && !equalsNoCase(a.domain, L"BUILTIN") &&
                         !equalsNoCase(a.domain, L"NT AUTHORITY");
    if (machine) {
        a.machine = a.domain;
        if (accounts.findDomain(a.sid.prefix()) == nullptr) {
            accounts.addDomain({a.sid.prefix(), a.domain, a.domain, false, true});
        }
    }
}

}  // namespace

VolumeRead readVolume(std::string_view text) {
    VolumeRead read = Reader(text).run();
    read.length = text.size();
    const std::size_t lineEnd = text.rfind('\n');
    if (read.platform || text.ends_with('\n') || lineEnd == std::string_view::npos) {
        return read;
    }
    // A last line without its line end that is no whole record is one that
    // a writer stopped in the middle of: the file reads without it.
    const std::string last =
        "line " + std::to_string(std::count(text.begin(), text.end(), '\n') + 1) + ": ";
    if (!read.error.starts_with(last)) {
        return read;
    }
    VolumeRead whole = Reader(text.substr(0, lineEnd + 1)).run();
    if (!whole.platform) {
        return read;
    }
    whole.length = lineEnd + 1;
    whole.cutOff = last + "the record has no line end and is cut off (" +
                   read.error.substr(last.size()) + "): ignored";
    return whole;
}

}  // namespace quorel::sim
