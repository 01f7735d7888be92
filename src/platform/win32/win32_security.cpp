// SecurityPort of Win32Platform: reading and writing file security.

#include <windows.h>

#include <aclapi.h>

#include <memory>

#include "platform/win32/win32_descriptor.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_path.h"
#include "platform/win32/win32_platform.h"

namespace quorel::win32 {

namespace {

// The first buffer for a descriptor; large DACLs ask for more.
constexpr DWORD kFirstDescriptorBuffer = 64 * 1024;

PSID sidPointer(const Sid& sid) {
    return const_cast<std::uint8_t*>(sid.bytes().data());
}

}  // namespace

SdReadStatus Win32Platform::readSecurity(const std::wstring& path, SecurityDescriptor& out) {
    const std::wstring target = extendedPath(path);
    constexpr SECURITY_INFORMATION kWhat =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = kFirstDescriptorBuffer;
    std::unique_ptr<std::uint8_t[]> buffer;
    // The descriptor can grow between asking for its size and reading it.
    for (int attempt = 0;; ++attempt) {
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        DWORD needed = 0;
        if (GetFileSecurityW(target.c_str(), kWhat, buffer.get(), size, &needed)) {
            break;
        }
        const std::uint32_t error = lastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || needed <= size || attempt == 2) {
            return {SdStep::GetFileSecurity, error};
        }
        size = needed;
    }
    return describeDescriptor(buffer.get(), out);
}

std::uint32_t Win32Platform::writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                                       DaclControl control) {
    AclBuffer acl;
    if (const std::uint32_t error = buildAcl(dacl, acl); error != 0) {
        return error;
    }
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, acl.get(), FALSE)) {
        return lastError();
    }
    // "SetSecurityDescriptorControl": SE_DACL_PROTECTED,
    // SE_DACL_AUTO_INHERITED and SE_DACL_AUTO_INHERIT_REQ are the bits a
    // caller may set. They travel in the descriptor: "SECURITY_INFORMATION"
    // says PROTECTED_/UNPROTECTED_DACL_SECURITY_INFORMATION work only with
    // SetNamedSecurityInfo, which also propagates to the children, and the
    // system must never propagate by itself here.
    const auto bits = static_cast<SECURITY_DESCRIPTOR_CONTROL>(control.bits);
    if (bits != 0 && !SetSecurityDescriptorControl(&descriptor, bits, bits)) {
        return lastError();
    }
    if (!SetFileSecurityW(extendedPath(path).c_str(), DACL_SECURITY_INFORMATION, &descriptor)) {
        return lastError();
    }
    return 0;
}

std::uint32_t Win32Platform::setOwner(const std::wstring& path, const Sid& owner) {
    if (owner.empty()) {
        return ERROR_INVALID_SID;
    }
    std::wstring target = extendedPath(path);
    return SetNamedSecurityInfoW(target.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                                 sidPointer(owner), nullptr, nullptr, nullptr);
}

}  // namespace quorel::win32
