#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/security_descriptor.h"

namespace quorel {

// The step of reading a security descriptor that failed. The steps follow
// the Win32 calls: getting the descriptor of the file, then the descriptor
// accessors.
enum class SdStep : std::uint8_t {
    None,
    GetFileSecurity,  // the descriptor itself (CreateFileW, GetKernelObjectSecurity)
    Control,          // GetSecurityDescriptorControl
    Owner,            // GetSecurityDescriptorOwner
    Group,            // GetSecurityDescriptorGroup
    Dacl,             // GetSecurityDescriptorDacl
    AclInformation,   // GetAclInformation(AclSizeInformation)
};

struct SdReadStatus {
    SdStep failedStep = SdStep::None;
    std::uint32_t error = 0;  // the Windows error code of the failed step

    bool ok() const { return failedStep == SdStep::None; }
};

// The control bits a DACL write sets in the descriptor it hands to the
// system: SE_DACL_PROTECTED, SE_DACL_AUTO_INHERITED and
// SE_DACL_AUTO_INHERIT_REQ (sd_control). What the object then stores is
// the system's decision (nt::storeDacl).
struct DaclControl {
    static constexpr std::uint16_t kMask = sd_control::kDaclProtected |
                                           sd_control::kDaclAutoInherited |
                                           sd_control::kDaclAutoInheritReq;
    constexpr DaclControl() = default;
    constexpr explicit DaclControl(std::uint16_t controlBits) : bits(controlBits & kMask) {}
    // A protected DACL as Windows' own protection writes it (P and AI).
    static constexpr DaclControl protectedDacl() {
        return DaclControl(sd_control::kDaclProtected | sd_control::kDaclAutoInherited);
    }
    // An auto-inherited DACL whose inherited ACEs the writer asks to keep.
    static constexpr DaclControl autoInherited() {
        return DaclControl(sd_control::kDaclAutoInherited | sd_control::kDaclAutoInheritReq);
    }
    bool isProtected() const { return (bits & sd_control::kDaclProtected) != 0; }

    std::uint16_t bits = 0;
    friend bool operator==(const DaclControl&, const DaclControl&) = default;
};

// Reads and writes the security of files and folders.
class SecurityPort {
  public:
    virtual ~SecurityPort() = default;

    // Reads owner, group, control bits and DACL of `path` (as the user gave
    // it). On success fills `out` completely; an ACE that GetAce could not
    // return is left with empty bytes. On failure tells the step and error;
    // `out` then holds what the steps before the failed one read.
    virtual SdReadStatus readSecurity(const std::wstring& path, SecurityDescriptor& out) = 0;

    // Writes `dacl` as the DACL of `path` with the control bits `control`
    // (SetFileSecurityW, DACL_SECURITY_INFORMATION): nothing else of the
    // descriptor changes. Returns 0 or the Windows error; on failure
    // nothing changes on disk.
    virtual std::uint32_t writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                                    DaclControl control) = 0;

    // Writes a null DACL (present, without an ACL: everyone has full
    // access, "Null DACLs and Empty DACLs"), unprotected; undo gives an
    // entry that had one its null DACL back. Returns 0 or the Windows error
    // (a port that cannot write one: ERROR_NOT_SUPPORTED).
    virtual std::uint32_t writeNullDacl(const std::wstring& path) {
        (void)path;
        return 50;  // ERROR_NOT_SUPPORTED
    }

    // Sets the owner of `path`. Returns 0 or the Windows error; on failure
    // nothing changes on disk.
    virtual std::uint32_t setOwner(const std::wstring& path, const Sid& owner) = 0;
};

}  // namespace quorel
