#include "platform/sim/sim_volume.h"

#include <algorithm>

#include "platform/file_system_port.h"
#include "platform/nt_rules.h"
#include "platform/text.h"

namespace quorel::sim {

std::uint32_t SimObject::attributes() const {
    std::uint32_t a = isDirectory ? file_attribute::kDirectory : file_attribute::kArchive;
    if (reparseTag != 0) {
        a |= file_attribute::kReparsePoint;
    }
    return a | extraAttributes;
}

SimObject* SimObject::child(std::wstring_view childName) const {
    // The children are sorted by compareNoCase (create keeps them so).
    auto at = std::lower_bound(
        children.begin(), children.end(), childName,
        [](const auto& c, std::wstring_view n) { return compareNoCase(c->name, n) < 0; });
    return at != children.end() && equalsNoCase((*at)->name, childName) ? at->get() : nullptr;
}

namespace {

// Splits a path into its volume root and components.
bool splitPath(std::wstring_view path, std::wstring& root, std::vector<std::wstring>& parts) {
    std::wstring p(path);
    std::replace(p.begin(), p.end(), L'/', L'\\');
    std::size_t pos = 0;
    if (p.size() >= 2 && p[0] == L'\\' && p[1] == L'\\') {
        // \\server\share
        std::size_t a = p.find(L'\\', 2);
        if (a == std::wstring::npos) {
            return false;
        }
        std::size_t b = p.find(L'\\', a + 1);
        root = p.substr(0, b);
        pos = b == std::wstring::npos ? p.size() : b;
    } else if (p.size() >= 2 && p[1] == L':') {
        root = p.substr(0, 2);
        pos = 2;
    } else {
        return false;
    }
    parts.clear();
    while (pos < p.size()) {
        if (p[pos] == L'\\') {
            ++pos;
            continue;
        }
        std::size_t end = p.find(L'\\', pos);
        if (end == std::wstring::npos) {
            end = p.size();
        }
        std::wstring part = p.substr(pos, end - pos);
        if (part == L"..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (part != L".") {
            parts.push_back(part);
        }
        pos = end;
    }
    return true;
}

}  // namespace

SimVolume::SimVolume() {
    defaultSecurity_.owner = well_known::administrators();
    defaultSecurity_.group = well_known::localSystem();
    defaultSecurity_.control |= sd_control::kDaclAutoInherited;
    constexpr std::uint8_t kInheritBoth = ace_flag::kObjectInherit | ace_flag::kContainerInherit;
    defaultSecurity_.dacl = {
        RawAce::make(ace_type::kAccessAllowed, kInheritBoth, access::kFileAllAccess,
                     well_known::administrators()),
        RawAce::make(ace_type::kAccessAllowed, kInheritBoth, access::kFileAllAccess,
                     well_known::localSystem()),
        RawAce::make(ace_type::kAccessAllowed, kInheritBoth, access::kReadAndExecute,
                     well_known::users()),
    };
}

SimObject* SimVolume::findRoot(std::wstring_view root) const {
    for (const auto& r : roots_) {
        if (equalsNoCase(r->name, root)) {
            return r.get();
        }
    }
    return nullptr;
}

SimObject* SimVolume::find(std::wstring_view path) const {
    std::wstring root;
    std::vector<std::wstring> parts;
    if (!splitPath(path, root, parts)) {
        return nullptr;
    }
    SimObject* current = findRoot(root);
    for (const std::wstring& part : parts) {
        if (current == nullptr) {
            return nullptr;
        }
        current = current->child(part);
    }
    return current;
}

SecurityDescriptor SimVolume::newItemSecurity(const SecurityDescriptor& parent,
                                              bool isDirectory) const {
    SecurityDescriptor sd;
    sd.owner = defaultSecurity_.owner;
    sd.group = defaultSecurity_.group;
    const bool parentAutoInherited = (parent.control & sd_control::kDaclAutoInherited) != 0;
    if (parent.daclState == DaclState::Present) {
        sd.dacl =
            nt::inheritedAces(parent.dacl, parentAutoInherited, isDirectory, sd.owner, sd.group);
    }
    if (sd.dacl.empty()) {
        // "DACL for a New Object": with no inheritable ACEs and no DACL of
        // the creator's, the object gets the default DACL of the creator's
        // token, as explicit ACEs.
        sd.dacl = defaultSecurity_.dacl;
        for (RawAce& ace : sd.dacl) {
            ace.setFlags(0);
        }
        return sd;
    }
    // "Automatic Propagation of Inheritable ACEs": an item created under an
    // auto-inherited DACL is auto-inherited itself.
    if (parentAutoInherited) {
        sd.control |= sd_control::kDaclAutoInherited;
    }
    return sd;
}

SimObject* SimVolume::create(std::wstring_view path, bool isDirectory) {
    std::wstring root;
    std::vector<std::wstring> parts;
    if (!splitPath(path, root, parts)) {
        return nullptr;
    }
    SimObject* current = findRoot(root);
    if (current == nullptr) {
        auto r = std::make_unique<SimObject>();
        r->name = root;
        r->isDirectory = true;
        r->security = defaultSecurity_;
        current = r.get();
        roots_.push_back(std::move(r));
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        SimObject* next = current->child(parts[i]);
        if (next == nullptr) {
            auto obj = std::make_unique<SimObject>();
            obj->name = parts[i];
            obj->isDirectory = isDirectory || i + 1 < parts.size();
            obj->parent = current;
            obj->security = newItemSecurity(current->security, obj->isDirectory);
            next = obj.get();
            auto at = std::lower_bound(
                current->children.begin(), current->children.end(), obj->name,
                [](const auto& c, const std::wstring& n) { return compareNoCase(c->name, n) < 0; });
            current->children.insert(at, std::move(obj));
        }
        current = next;
    }
    return current;
}

bool SimVolume::remove(std::wstring_view path) {
    SimObject* obj = find(path);
    if (obj == nullptr || obj->parent == nullptr) {
        return false;
    }
    auto& siblings = obj->parent->children;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                [obj](const auto& c) { return c.get() == obj; }));
    return true;
}

ObjectBuilder& ObjectBuilder::owner(const Sid& sid) {
    object_.security.owner = sid;
    return *this;
}

ObjectBuilder& ObjectBuilder::group(const Sid& sid) {
    object_.security.group = sid;
    return *this;
}

ObjectBuilder& ObjectBuilder::noOwner() {
    object_.security.owner.reset();
    return *this;
}

ObjectBuilder& ObjectBuilder::dacl(std::vector<RawAce> aces) {
    object_.security.daclState = DaclState::Present;
    object_.security.control |= sd_control::kDaclPresent;
    object_.security.dacl = std::move(aces);
    return *this;
}

ObjectBuilder& ObjectBuilder::allow(const Sid& sid, std::uint32_t mask, std::uint8_t flags) {
    return ace(RawAce::make(ace_type::kAccessAllowed, flags, mask, sid));
}

ObjectBuilder& ObjectBuilder::deny(const Sid& sid, std::uint32_t mask, std::uint8_t flags) {
    return ace(RawAce::make(ace_type::kAccessDenied, flags, mask, sid));
}

ObjectBuilder& ObjectBuilder::ace(RawAce a) {
    object_.security.daclState = DaclState::Present;
    object_.security.control |= sd_control::kDaclPresent;
    object_.security.dacl.push_back(std::move(a));
    return *this;
}

ObjectBuilder& ObjectBuilder::objectAce(std::uint8_t type, const Sid& sid, std::uint32_t mask,
                                        std::uint8_t flags) {
    return ace(RawAce::makeObject(type, flags, mask, sid));
}

ObjectBuilder& ObjectBuilder::nullDacl() {
    object_.security.daclState = DaclState::Null;
    object_.security.control |= sd_control::kDaclPresent;
    object_.security.dacl.clear();
    return *this;
}

ObjectBuilder& ObjectBuilder::noDacl() {
    object_.security.daclState = DaclState::Absent;
    object_.security.control &= static_cast<std::uint16_t>(~sd_control::kDaclPresent);
    object_.security.dacl.clear();
    return *this;
}

ObjectBuilder& ObjectBuilder::protect(bool on) {
    if (on) {
        object_.security.control |= sd_control::kDaclProtected;
    } else {
        object_.security.control &= static_cast<std::uint16_t>(~sd_control::kDaclProtected);
    }
    return *this;
}

ObjectBuilder& ObjectBuilder::reparse(const std::wstring& target, bool readable) {
    object_.reparseTag = reparse_tag::kMountPoint;
    object_.reparseTarget = target;
    object_.reparseDataReadable = readable;
    return *this;
}

ObjectBuilder& ObjectBuilder::reparseTag(std::uint32_t tag) {
    object_.reparseTag = tag;
    return *this;
}

ObjectBuilder& ObjectBuilder::listingFails(std::size_t afterItems, std::uint32_t error) {
    object_.listingFailsAfter = afterItems;
    object_.listingError = error;
    return *this;
}

ObjectBuilder& ObjectBuilder::attributes(std::uint32_t extra) {
    object_.extraAttributes = extra;
    return *this;
}

}  // namespace quorel::sim
