#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/sid.h"

namespace quorel {

// ACE header types and flags as Windows stores them.
namespace ace_type {
constexpr std::uint8_t kAccessAllowed = 0;
constexpr std::uint8_t kAccessDenied = 1;
constexpr std::uint8_t kSystemAudit = 2;
constexpr std::uint8_t kAccessAllowedObject = 5;
constexpr std::uint8_t kAccessDeniedObject = 6;
constexpr std::uint8_t kSystemAuditObject = 7;
constexpr std::uint8_t kSystemAlarmObject = 8;
}  // namespace ace_type

namespace ace_flag {
constexpr std::uint8_t kObjectInherit = 0x01;
constexpr std::uint8_t kContainerInherit = 0x02;
constexpr std::uint8_t kNoPropagate = 0x04;
constexpr std::uint8_t kInheritOnly = 0x08;
constexpr std::uint8_t kInherited = 0x10;
}  // namespace ace_flag

// Security descriptor control bits.
namespace sd_control {
constexpr std::uint16_t kOwnerDefaulted = 0x0001;
constexpr std::uint16_t kDaclPresent = 0x0004;
constexpr std::uint16_t kDaclAutoInheritReq = 0x0100;
constexpr std::uint16_t kDaclAutoInherited = 0x0400;
constexpr std::uint16_t kDaclProtected = 0x1000;
constexpr std::uint16_t kSelfRelative = 0x8000;
}  // namespace sd_control

// Access rights used by access checks.
namespace access {
constexpr std::uint32_t kReadData = 0x00000001;
constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kReadControl = 0x00020000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kWriteOwner = 0x00080000;
constexpr std::uint32_t kSynchronize = 0x00100000;
constexpr std::uint32_t kFileAllAccess = 0x001F01FF;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericExecute = 0x20000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericRead = 0x80000000;
// FILE_GENERIC_* as the file system maps the generic bits.
constexpr std::uint32_t kFileGenericRead = 0x00120089;
constexpr std::uint32_t kFileGenericWrite = 0x00120116;
constexpr std::uint32_t kFileGenericExecute = 0x001200A0;
}  // namespace access

// One ACE in its binary form: the 4-byte header (type, flags, size), the
// access mask at byte 4 and the rest as stored. Every ACE type is kept as
// read, object ACEs included.
struct RawAce {
    std::vector<std::uint8_t> bytes;

    static RawAce make(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Sid& sid);
    // An object ACE (types 5 to 8) with both GUIDs present, so that the SID
    // sits at byte 44.
    static RawAce makeObject(std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
                             const Sid& sid);

    std::uint8_t type() const { return bytes.size() > 0 ? bytes[0] : 0; }
    std::uint8_t flags() const { return bytes.size() > 1 ? bytes[1] : 0; }
    std::uint32_t mask() const;
    void setFlags(std::uint8_t flags);
    void setMask(std::uint32_t mask);
    // Byte offset of the trustee SID: 44 for the object ACE types 5 to 8,
    // 8 for every other type.
    std::size_t sidOffset() const;
    // The trustee SID, or nothing when the bytes there are not a whole SID.
    std::optional<Sid> sid() const;
    // The ACE with its trustee SID replaced; every other byte, data after
    // the SID included, is kept. Unchanged when it holds no whole SID.
    RawAce withSid(const Sid& sid) const;

    friend bool operator==(const RawAce&, const RawAce&) = default;
};

enum class DaclState : std::uint8_t {
    Absent,   // SE_DACL_PRESENT clear: no DACL at all
    Null,     // present but a null pointer: everyone has full access
    Present,  // a real ACL, possibly holding no ACE
};

// A security descriptor as structured data.
struct SecurityDescriptor {
    std::optional<Sid> owner;
    std::optional<Sid> group;
    std::uint16_t control = sd_control::kSelfRelative | sd_control::kDaclPresent;
    DaclState daclState = DaclState::Present;
    std::vector<RawAce> dacl;

    bool daclProtected() const { return (control & sd_control::kDaclProtected) != 0; }
};

}  // namespace quorel
