#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/security_descriptor.h"

namespace quorel {

// The step of reading a security descriptor that failed. The steps follow
// the Win32 calls: GetFileSecurityW, then the descriptor accessors.
enum class SdStep : std::uint8_t {
    None,
    GetFileSecurity,  // GetFileSecurityW
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

// Reads and writes the security of files and folders.
class SecurityPort {
  public:
    virtual ~SecurityPort() = default;

    // Reads owner, group, control bits and DACL of `path` (as the user gave
    // it). On success fills `out` completely; an ACE that GetAce could not
    // return is left with empty bytes. On failure tells the step and error;
    // `out` then holds what the steps before the failed one read.
    virtual SdReadStatus readSecurity(const std::wstring& path, SecurityDescriptor& out) = 0;

    // Replaces the DACL of `path` with `dacl`, setting or clearing
    // SE_DACL_PROTECTED as `protect` says. Returns 0 or the Windows error;
    // on failure nothing changes on disk.
    virtual std::uint32_t writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                                    bool protect) = 0;

    // Sets the owner of `path`. Returns 0 or the Windows error; on failure
    // nothing changes on disk.
    virtual std::uint32_t setOwner(const std::wstring& path, const Sid& owner) = 0;
};

}  // namespace quorel
