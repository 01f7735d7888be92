#include "platform/nt_rules.h"

#include <algorithm>

namespace quorel::nt {

namespace {

constexpr std::uint32_t kGenericBits =
    access::kGenericAll | access::kGenericRead | access::kGenericWrite | access::kGenericExecute;
constexpr std::uint8_t kInheritBits = ace_flag::kObjectInherit | ace_flag::kContainerInherit;

bool isInherited(const RawAce& ace) {
    return (ace.flags() & ace_flag::kInherited) != 0;
}

bool isDeny(const RawAce& ace) {
    const std::uint8_t t = ace.type();
    // ACCESS_DENIED, ACCESS_DENIED_OBJECT, ACCESS_DENIED_CALLBACK and
    // ACCESS_DENIED_CALLBACK_OBJECT.
    return t == ace_type::kAccessDenied || t == ace_type::kAccessDeniedObject ||
           t == ace_type::kAccessDeniedCallback || t == ace_type::kAccessDeniedCallbackObject;
}

bool isAllow(const RawAce& ace) {
    const std::uint8_t t = ace.type();
    return t == ace_type::kAccessAllowed || t == ace_type::kAccessAllowedObject ||
           t == ace_type::kAccessAllowedCallback || t == ace_type::kAccessAllowedCallbackObject;
}

}  // namespace

std::uint32_t mapGenericRights(std::uint32_t mask) {
    std::uint32_t result = mask & ~kGenericBits;
    if (mask & access::kGenericAll) {
        result |= access::kFileAllAccess;
    }
    if (mask & access::kGenericRead) {
        result |= access::kFileGenericRead;
    }
    if (mask & access::kGenericWrite) {
        result |= access::kFileGenericWrite;
    }
    if (mask & access::kGenericExecute) {
        result |= access::kFileGenericExecute;
    }
    return result;
}

bool hasGenericRights(std::uint32_t mask) {
    return (mask & kGenericBits) != 0;
}

bool isEffective(const RawAce& ace) {
    return (ace.flags() & ace_flag::kInheritOnly) == 0;
}

std::vector<RawAce> inheritedAces(const std::vector<RawAce>& parentDacl, bool parentAutoInherited,
                                  bool isFolder, const std::optional<Sid>& owner,
                                  const std::optional<Sid>& group) {
    const std::uint8_t marked = parentAutoInherited ? ace_flag::kInherited : 0;
    std::vector<RawAce> result;
    for (const RawAce& ace : parentDacl) {
        const std::uint8_t f = ace.flags();
        const bool toFiles = (f & ace_flag::kObjectInherit) != 0;
        const bool toFolders = (f & ace_flag::kContainerInherit) != 0;
        const bool noPropagate = (f & ace_flag::kNoPropagate) != 0;
        // "ACE Inheritance Rules": a file takes OI ACEs; a folder takes CI
        // ACEs as effective ACEs, and OI-only ACEs (unless NP) as inherit-only
        // ACEs for its files.
        const bool applies = isFolder ? toFolders : toFiles;
        if (!applies) {
            if (isFolder && toFiles && !noPropagate) {
                RawAce copy = ace;
                copy.setFlags(ace_flag::kObjectInherit | ace_flag::kInheritOnly | marked);
                result.push_back(std::move(copy));
            }
            continue;
        }
        // The copy stays inheritable on a folder unless NP stops it.
        const bool inheritable = isFolder && !noPropagate;
        const std::uint8_t passOn = inheritable ? static_cast<std::uint8_t>(f & kInheritBits) : 0;
        const std::optional<Sid> sid = ace.sid();
        std::optional<Sid> replaced;
        bool creator = false;
        if (sid && *sid == well_known::creatorOwner()) {
            creator = true;
            replaced = owner;
        } else if (sid && *sid == well_known::creatorGroup()) {
            creator = true;
            replaced = group;
        }
        const bool generic = hasGenericRights(ace.mask());
        if (!creator && !generic) {
            RawAce copy = ace;
            copy.setFlags(passOn | marked);
            result.push_back(std::move(copy));
            continue;
        }
        // A generic right or a generic SID: the effective ACE gets them
        // mapped; where it stays inheritable, an inherit-only copy keeps them
        // for the items below.
        if (!creator || replaced) {
            RawAce effective = creator ? ace.withSid(*replaced) : ace;
            effective.setMask(mapGenericRights(ace.mask()));
            effective.setFlags(marked);
            result.push_back(std::move(effective));
        }
        if (inheritable) {
            RawAce copy = ace;
            copy.setFlags(passOn | ace_flag::kInheritOnly | marked);
            result.push_back(std::move(copy));
        }
    }
    return result;
}

bool isCanonical(const std::vector<RawAce>& dacl) {
    bool seenAllow = false;
    bool seenInherited = false;
    for (const RawAce& ace : dacl) {
        if (isInherited(ace)) {
            seenInherited = true;
            continue;
        }
        if (seenInherited) {
            return false;  // an explicit ACE after an inherited one
        }
        if (isAllow(ace)) {
            seenAllow = true;
        } else if (isDeny(ace) && seenAllow) {
            return false;  // an explicit deny after an explicit allow
        }
    }
    return true;
}

std::size_t canonicalInsertIndex(const std::vector<RawAce>& dacl, bool deny) {
    for (std::size_t i = 0; i < dacl.size(); ++i) {
        if (isInherited(dacl[i]) || (deny && isAllow(dacl[i]))) {
            return i;
        }
    }
    return dacl.size();
}

std::vector<RawAce> canonicalOrder(const std::vector<RawAce>& dacl) {
    std::vector<RawAce> result;
    result.reserve(dacl.size());
    for (const RawAce& ace : dacl) {
        if (!isInherited(ace) && isDeny(ace)) {
            result.push_back(ace);
        }
    }
    for (const RawAce& ace : dacl) {
        if (!isInherited(ace) && !isDeny(ace)) {
            result.push_back(ace);
        }
    }
    for (const RawAce& ace : dacl) {
        if (isInherited(ace)) {
            result.push_back(ace);
        }
    }
    return result;
}

StoredDacl storeDacl(const std::vector<RawAce>& old, const std::vector<RawAce>& written,
                     std::uint16_t control) {
    StoredDacl stored;
    const bool req = (control & sd_control::kDaclAutoInheritReq) != 0;
    const bool isProtected = (control & sd_control::kDaclProtected) != 0;
    // "SECURITY_DESCRIPTOR_CONTROL": SE_DACL_AUTO_INHERITED is set by the
    // provider that supports automatic inheritance when the writer asks for
    // it with SE_DACL_AUTO_INHERIT_REQ; a write without the request leaves
    // the DACL without it.
    stored.control = static_cast<std::uint16_t>(control & sd_control::kDaclProtected);
    if (req && (control & sd_control::kDaclAutoInherited) != 0) {
        stored.control |= sd_control::kDaclAutoInherited;
    }
    if (req && !isProtected) {
        // "SetPrivateObjectSecurityEx", SEF_DACL_AUTO_INHERIT: "The new DACL
        // contains ACEs inherited from the DACL of ObjectsSecurityDescriptor,
        // as well as any explicit ACEs specified in the DACL of
        // ModificationDescriptor." The written inherited ACEs are not taken.
        for (const RawAce& ace : written) {
            if (!isInherited(ace)) {
                stored.dacl.push_back(ace);
            }
        }
        for (const RawAce& ace : old) {
            if (isInherited(ace)) {
                stored.dacl.push_back(ace);
            }
        }
    } else {
        stored.dacl = written;
    }
    // "ACE Inheritance Rules" / "File Security and Access Rights": generic
    // rights in an ACE that applies to the object are mapped to the file's
    // specific rights; inherit-only ACEs keep them for the items below.
    for (RawAce& ace : stored.dacl) {
        if (isEffective(ace) && hasGenericRights(ace.mask())) {
            ace.setMask(mapGenericRights(ace.mask()));
        }
    }
    return stored;
}

bool storedAsWritten(const std::vector<RawAce>& written, const std::vector<RawAce>& stored) {
    if (written.size() != stored.size()) {
        return false;
    }
    for (std::size_t i = 0; i < written.size(); ++i) {
        const RawAce& w = written[i];
        const RawAce& s = stored[i];
        if (w == s) {
            continue;
        }
        if (w.bytes.size() != s.bytes.size() || w.bytes.size() < 8 || s.mask() == w.mask() ||
            s.mask() != mapGenericRights(w.mask())) {
            return false;
        }
        RawAce mapped = w;
        mapped.setMask(s.mask());
        if (!(mapped == s)) {
            return false;
        }
    }
    return true;
}

}  // namespace quorel::nt
