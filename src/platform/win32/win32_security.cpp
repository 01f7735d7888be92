// SecurityPort of Win32Platform: reading and writing file security.

#include <windows.h>

#include <memory>

#include "platform/win32/win32_descriptor.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_path.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_security.h"

namespace quorel::win32 {

namespace {

// The first buffer for a descriptor; large DACLs ask for more.
constexpr DWORD kFirstDescriptorBuffer = 64 * 1024;

PSID sidPointer(const Sid& sid) {
    return const_cast<std::uint8_t*>(sid.bytes().data());
}

}  // namespace

// Every read and write of an object's security goes through one handle on
// the object itself:
//  - "CreateFileW": with FILE_FLAG_OPEN_REPARSE_POINT "normal reparse point
//    processing will not occur; CreateFile will attempt to open the reparse
//    point", so a junction's or symbolic link's own descriptor is read and
//    written, never its target's. GetFileSecurityW, SetFileSecurityW and
//    "SetNamedSecurityInfoW" take a name and promise nothing about links.
//  - FILE_FLAG_BACKUP_SEMANTICS opens folders, and with it "the system
//    ensures that the calling process overrides file security checks when
//    the process has SE_BACKUP_NAME and SE_RESTORE_NAME privileges"
//    ("Privilege Constants": SeBackupPrivilege grants READ_CONTROL,
//    SeRestorePrivilege WRITE_DAC and WRITE_OWNER, whatever the DACL says).
//    An elevated administrator with both enabled thus reads and writes
//    without taking ownership; without them the DACL and ownership decide
//    as for any open.
//  - The handle asks only for the right the call needs ("GetKernelObjectSecurity":
//    READ_CONTROL for owner, group and DACL; "SetKernelObjectSecurity":
//    WRITE_DAC for the DACL, WRITE_OWNER for the owner) and shares
//    everything, so that a file another program holds open is reached.
// "SetKernelObjectSecurity" advises SetSecurityInfo or SetNamedSecurityInfo
// for files; both propagate inheritable ACEs to the objects below by
// themselves ("Automatic Propagation of Inheritable ACEs"), which the port
// forbids: SetKernelObjectSecurity stores the descriptor as given, like
// SetFileSecurityW.
ScopedHandle openForSecurity(const std::wstring& path, std::uint32_t access, std::uint32_t& error) {
    ScopedHandle handle(
        CreateFileW(extendedPath(path).c_str(), access,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    error = handle.valid() ? 0 : lastError();
    return handle;
}

SdReadStatus Win32Platform::readSecurity(const std::wstring& path, SecurityDescriptor& out) {
    std::uint32_t error = 0;
    const ScopedHandle object = openForSecurity(path, READ_CONTROL, error);
    if (!object.valid()) {
        return {SdStep::GetFileSecurity, error};
    }
    constexpr SECURITY_INFORMATION kWhat =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = kFirstDescriptorBuffer;
    std::unique_ptr<std::uint8_t[]> buffer;
    // The descriptor can grow between asking for its size and reading it.
    for (int attempt = 0;; ++attempt) {
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        DWORD needed = 0;
        if (GetKernelObjectSecurity(object.get(), kWhat, buffer.get(), size, &needed)) {
            break;
        }
        error = lastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || needed <= size || attempt == 2) {
            return {SdStep::GetFileSecurity, error};
        }
        size = needed;
    }
    return describeDescriptor(buffer.get(), out);
}

namespace {

// Writes the DACL of `descriptor` through one handle on the object itself.
std::uint32_t setDacl(const std::wstring& path, SECURITY_DESCRIPTOR& descriptor) {
    std::uint32_t error = 0;
    const ScopedHandle object = openForSecurity(path, WRITE_DAC, error);
    if (!object.valid()) {
        return error;
    }
    if (!SetKernelObjectSecurity(object.get(), DACL_SECURITY_INFORMATION, &descriptor)) {
        return lastError();
    }
    return 0;
}

}  // namespace

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
    return setDacl(path, descriptor);
}

std::uint32_t Win32Platform::writeNullDacl(const std::wstring& path) {
    SECURITY_DESCRIPTOR descriptor;
    // "SetSecurityDescriptorDacl": present with a null pointer is a null
    // DACL, which grants everyone full access.
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) {
        return lastError();
    }
    return setDacl(path, descriptor);
}

std::uint32_t Win32Platform::setOwner(const std::wstring& path, const Sid& owner) {
    if (owner.empty()) {
        return ERROR_INVALID_SID;
    }
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&descriptor, sidPointer(owner), FALSE)) {
        return lastError();
    }
    std::uint32_t error = 0;
    const ScopedHandle object = openForSecurity(path, WRITE_OWNER, error);
    if (!object.valid()) {
        return error;
    }
    if (!SetKernelObjectSecurity(object.get(), OWNER_SECURITY_INFORMATION, &descriptor)) {
        return lastError();
    }
    return 0;
}

}  // namespace quorel::win32
