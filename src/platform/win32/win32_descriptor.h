#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/security_port.h"

namespace quorel::win32 {

// Reads `descriptor` (self-relative or absolute) into `out` with the
// descriptor accessors, in the order of SdStep: control bits, owner, group,
// DACL, ACL size information, then GetAce for each ACE. `out` is rebuilt
// from nothing (no owner or group, control 0, no DACL) and each step fills
// its part, so that after a failure it holds what the steps before read.
// An ACE that GetAce cannot return, or whose size runs past the ACL, is
// kept with empty bytes.
SdReadStatus describeDescriptor(PSECURITY_DESCRIPTOR descriptor, SecurityDescriptor& out);

// An ACL in DWORD-aligned storage of its own.
class AclBuffer {
  public:
    PACL get() const { return reinterpret_cast<PACL>(storage_.get()); }
    void allocate(std::size_t bytes) {
        storage_ = std::make_unique<DWORD[]>(bytes / sizeof(DWORD));
    }

  private:
    std::unique_ptr<DWORD[]> storage_;
};

// Builds in `acl` an ACL holding `aces` unchanged and in their order
// (InitializeAcl, then AddAce at the end for each). Returns 0, or
// ERROR_INVALID_PARAMETER (87) when an ACE is malformed: shorter than a
// header and an access mask (8 bytes), a header size that differs from the
// number of bytes, or a size that is not a multiple of 4 (the ACL keeps each
// ACE DWORD-aligned); ERROR_ALLOTTED_SPACE_EXCEEDED (1344) when the ACL
// would exceed the 65532 bytes an ACL can hold; or the error of the call
// that failed. On failure `acl` holds nothing usable.
std::uint32_t buildAcl(const std::vector<RawAce>& aces, AclBuffer& acl);

}  // namespace quorel::win32
