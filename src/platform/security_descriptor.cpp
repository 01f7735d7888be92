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

}  // namespace

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

RawAce RawAce::makeObject(std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
                          const Sid& sid) {
    RawAce ace;
    ace.bytes.resize(44 + sid.bytes().size());
    ace.bytes[0] = type;
    ace.bytes[1] = flags;
    putU16(ace.bytes, 2, static_cast<std::uint16_t>(ace.bytes.size()));
    putU32(ace.bytes, 4, mask);
    putU32(ace.bytes, 8, 3);  // ACE_OBJECT_TYPE_PRESENT | ACE_INHERITED_OBJECT_TYPE_PRESENT
    for (std::size_t i = 12; i < 44; ++i) {
        ace.bytes[i] = static_cast<std::uint8_t>(i);
    }
    std::copy(sid.bytes().begin(), sid.bytes().end(), ace.bytes.begin() + 44);
    return ace;
}

std::uint32_t RawAce::mask() const {
    if (bytes.size() < 8) {
        return 0;
    }
    return static_cast<std::uint32_t>(bytes[4]) | static_cast<std::uint32_t>(bytes[5]) << 8 |
           static_cast<std::uint32_t>(bytes[6]) << 16 | static_cast<std::uint32_t>(bytes[7]) << 24;
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
    std::uint8_t t = type();
    return (t >= ace_type::kAccessAllowedObject && t <= ace_type::kSystemAlarmObject) ? 44 : 8;
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
