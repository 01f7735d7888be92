#include "platform/security_descriptor.h"

namespace quorel {

namespace {

void putU16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void putU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

std::uint32_t getU32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

}  // namespace

bool ace_type::isObjectType(std::uint8_t type) {
    return (type >= kAccessAllowedObject && type <= kSystemAlarmObject) ||
           type == kAccessAllowedCallbackObject || type == kAccessDeniedCallbackObject ||
           type == kSystemAuditCallbackObject || type == kSystemAlarmCallbackObject;
}

RawAce RawAce::make(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Sid& sid) {
    RawAce ace;
    ace.bytes.resize(8 + sid.bytes().size());
    ace.bytes[0] = type;
    ace.bytes[1] = flags;
    putU16(ace.bytes, 2, static_cast<std::uint16_t>(ace.bytes.size()));
    putU32(ace.bytes, 4, mask);
    std::copy(sid.bytes().begin(), sid.bytes().end(), ace.bytes.begin() + 8);
    return ace;
}

RawAce RawAce::makeObject(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Sid& sid,
                          std::uint32_t objectFlags) {
    RawAce ace;
    ace.bytes.resize(12);
    ace.bytes[0] = type;
    ace.bytes[1] = flags;
    putU32(ace.bytes, 4, mask);
    putU32(ace.bytes, 8, objectFlags);
    ace.bytes.resize(ace.sidOffset());
    for (std::size_t i = 12; i < ace.bytes.size(); ++i) {
        ace.bytes[i] = static_cast<std::uint8_t>(i);
    }
    ace.bytes.insert(ace.bytes.end(), sid.bytes().begin(), sid.bytes().end());
    putU16(ace.bytes, 2, static_cast<std::uint16_t>(ace.bytes.size()));
    return ace;
}

std::uint32_t RawAce::mask() const {
    return bytes.size() < 8 ? 0 : getU32(bytes, 4);
}

void RawAce::setFlags(std::uint8_t flags) {
    if (bytes.size() > 1) {
        bytes[1] = flags;
    }
}

void RawAce::setMask(std::uint32_t mask) {
    if (bytes.size() >= 8) {
        putU32(bytes, 4, mask);
    }
}

std::size_t RawAce::sidOffset() const {
    if (!ace_type::isObjectType(type())) {
        return 8;
    }
    if (bytes.size() < 12) {
        return 12;  // no Flags field: no SID either (sid() finds none)
    }
    const std::uint32_t objectFlags = getU32(bytes, 8);
    std::size_t at = 12;
    if (objectFlags & object_ace_flag::kObjectTypePresent) {
        at += 16;
    }
    if (objectFlags & object_ace_flag::kInheritedObjectTypePresent) {
        at += 16;
    }
    return at;
}

RawAce RawAce::withSid(const Sid& newSid) const {
    const std::size_t at = sidOffset();
    const std::optional<Sid> old = sid();
    if (!old) {
        return *this;
    }
    RawAce copy;
    copy.bytes.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    copy.bytes.insert(copy.bytes.end(), newSid.bytes().begin(), newSid.bytes().end());
    // What follows the SID (a callback ACE's application data) stays.
    copy.bytes.insert(copy.bytes.end(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at + old->bytes().size()),
                      bytes.end());
    putU16(copy.bytes, 2, static_cast<std::uint16_t>(copy.bytes.size()));
    return copy;
}

std::optional<Sid> RawAce::sid() const {
    std::size_t at = sidOffset();
    if (bytes.size() <= at) {
        return std::nullopt;
    }
    return Sid::fromBytes(bytes.data() + at, bytes.size() - at);
}

}  // namespace quorel
