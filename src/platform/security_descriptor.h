#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/sid.h"

namespace quorel {

// ACE header types and flags as Windows stores them ("ACE_HEADER structure").
namespace ace_type {
constexpr std::uint8_t kAccessAllowed = 0;
constexpr std::uint8_t kAccessDenied = 1;
constexpr std::uint8_t kSystemAudit = 2;
constexpr std::uint8_t kSystemAlarm = 3;
constexpr std::uint8_t kAccessAllowedObject = 5;
constexpr std::uint8_t kAccessDeniedObject = 6;
constexpr std::uint8_t kSystemAuditObject = 7;
constexpr std::uint8_t kSystemAlarmObject = 8;
constexpr std::uint8_t kAccessAllowedCallback = 9;
constexpr std::uint8_t kAccessDeniedCallback = 0x0A;
constexpr std::uint8_t kAccessAllowedCallbackObject = 0x0B;
constexpr std::uint8_t kAccessDeniedCallbackObject = 0x0C;
constexpr std::uint8_t kSystemAuditCallback = 0x0D;
constexpr std::uint8_t kSystemAuditCallbackObject = 0x0F;
constexpr std::uint8_t kSystemAlarmCallbackObject = 0x10;
constexpr std::uint8_t kSystemMandatoryLabel = 0x11;
constexpr std::uint8_t kSystemResourceAttribute = 0x12;
constexpr std::uint8_t kSystemScopedPolicyId = 0x13;
// The types laid out as ACCESS_ALLOWED_OBJECT_ACE: Flags at byte 8, then
// the GUIDs that Flags says are present, then the SID.
bool isObjectType(std::uint8_t type);
}  // namespace ace_type

// The Flags field of an object ACE.
namespace object_ace_flag {
constexpr std::uint32_t kObjectTypePresent = 0x1;           // ACE_OBJECT_TYPE_PRESENT
constexpr std::uint32_t kInheritedObjectTypePresent = 0x2;  // ACE_INHERITED_OBJECT_TYPE_PRESENT
}  // namespace object_ace_flag

namespace ace_flag {
constexpr std::uint8_t kObjectInherit = 0x01;
constexpr std::uint8_t kContainerInherit = 0x02;
constexpr std::uint8_t kNoPropagate = 0x04;
constexpr std::uint8_t kInheritOnly = 0x08;
constexpr std::uint8_t kInherited = 0x10;
constexpr std::uint8_t kSuccessfulAccess = 0x40;  // audit ACEs only
constexpr std::uint8_t kFailedAccess = 0x80;      // audit ACEs only
// The flags that say how an ACE is passed on (OI, CI, NP, IO).
constexpr std::uint8_t kInheritance =
    kObjectInherit | kContainerInherit | kNoPropagate | kInheritOnly;
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

// Access rights of files and folders ("File Access Rights Constants",
// "Standard Access Rights", "Generic Access Rights").
namespace access {
constexpr std::uint32_t kReadData = 0x00000001;         // FILE_READ_DATA, FILE_LIST_DIRECTORY
constexpr std::uint32_t kWriteData = 0x00000002;        // FILE_WRITE_DATA, FILE_ADD_FILE
constexpr std::uint32_t kAppendData = 0x00000004;       // FILE_APPEND_DATA, FILE_ADD_SUBDIRECTORY
constexpr std::uint32_t kReadEa = 0x00000008;           // FILE_READ_EA
constexpr std::uint32_t kWriteEa = 0x00000010;          // FILE_WRITE_EA
constexpr std::uint32_t kExecute = 0x00000020;          // FILE_EXECUTE, FILE_TRAVERSE
constexpr std::uint32_t kDeleteChild = 0x00000040;      // FILE_DELETE_CHILD
constexpr std::uint32_t kReadAttributes = 0x00000080;   // FILE_READ_ATTRIBUTES
constexpr std::uint32_t kWriteAttributes = 0x00000100;  // FILE_WRITE_ATTRIBUTES
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
// The security dialog's "Read & execute" and "Modify" sets.
constexpr std::uint32_t kReadAndExecute = kFileGenericRead | kFileGenericExecute;
constexpr std::uint32_t kModify = kReadAndExecute | kFileGenericWrite | kDelete;
static_assert(kReadAndExecute == 0x001200A9 && kModify == 0x001301BF);
}  // namespace access

// One ACE in its binary form: the 4-byte header (type, flags, size), the
// access mask at byte 4 and the rest as stored. Every ACE type is kept as
// read, object ACEs included.
struct RawAce {
    std::vector<std::uint8_t> bytes;

    static RawAce make(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Sid& sid);
    // An object ACE (ace_type::isObjectType) whose Flags field is
    // `objectFlags`: each GUID it says is present is written (bytes 12, 13,
    // ... as its content), so that the SID sits at byte 12, 28 or 44.
    static RawAce makeObject(
        std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Sid& sid,
        std::uint32_t objectFlags = object_ace_flag::kObjectTypePresent |
                                    object_ace_flag::kInheritedObjectTypePresent);

    std::uint8_t type() const { return bytes.size() > 0 ? bytes[0] : 0; }
    std::uint8_t flags() const { return bytes.size() > 1 ? bytes[1] : 0; }
    std::uint32_t mask() const;
    void setFlags(std::uint8_t flags);
    void setMask(std::uint32_t mask);
    // Byte offset of the trustee SID. "ACCESS_ALLOWED_OBJECT_ACE structure":
    // after the 4-byte Flags at byte 8 come ObjectType only when Flags has
    // ACE_OBJECT_TYPE_PRESENT and InheritedObjectType only when it has
    // ACE_INHERITED_OBJECT_TYPE_PRESENT (16 bytes each), so an object ACE's
    // SID sits at 12, 28 or 44. Every other type has it at 8
    // ("ACCESS_ALLOWED_ACE structure"); a callback ACE keeps its application
    // data after the SID ("ACCESS_ALLOWED_CALLBACK_ACE structure").
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

// The DACL's ACEs; none when the descriptor has no DACL or a null one.
inline const std::vector<RawAce>& daclOf(const SecurityDescriptor& sd) {
    static const std::vector<RawAce> none;
    return sd.daclState == DaclState::Present ? sd.dacl : none;
}

}  // namespace quorel
