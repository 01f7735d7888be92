#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/account_port.h"
#include "platform/file_system_port.h"
#include "platform/privilege_port.h"
#include "platform/security_port.h"

namespace quorel::win32 {

// The ports on the real Win32 API (W functions only). Paths are taken in
// the user's form; each call adds the extended-length prefix itself
// (extendedPath), so paths of 260 characters and more work. Every method
// keeps the contract of its port; the notes below say how it is met.
// Holds no state: one instance may serve any number of callers, but the
// process token it adjusts is shared by the whole process.
class Win32Platform : public SecurityPort,
                      public AccountPort,
                      public PrivilegePort,
                      public FileSystemPort {
  public:
    // SecurityPort

    // Each call goes through one handle on the object itself
    // (openForSecurity, win32_security.h): a link's own descriptor, never
    // its target's, and the backup and restore privileges honoured.

    // GetKernelObjectSecurity(owner, group and DACL) on a READ_CONTROL
    // handle, into a buffer of 64 KiB enlarged to the size Windows asks for
    // and tried again, then describeDescriptor. A handle that cannot be
    // opened fails at SdStep::GetFileSecurity with its error.
    SdReadStatus readSecurity(const std::wstring& path, SecurityDescriptor& out) override;
    // SetKernelObjectSecurity(DACL_SECURITY_INFORMATION) on a WRITE_DAC
    // handle with exactly `dacl`: an absolute descriptor carrying the
    // control bits of `control`. Unlike SetNamedSecurityInfoW it neither
    // merges the parent's inheritable ACEs into the DACL nor propagates it
    // to the objects below, which is what the port asks for. A malformed
    // ACE fails with 87 before anything is opened (see buildAcl).
    std::uint32_t writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                            DaclControl control) override;
    // SetKernelObjectSecurity(OWNER_SECURITY_INFORMATION) on a WRITE_OWNER
    // handle.
    std::uint32_t writeNullDacl(const std::wstring& path) override;
    std::uint32_t setOwner(const std::wstring& path, const Sid& owner) override;

    // AccountPort

    // LookupAccountSidW(`system`, or null for the local system).
    std::uint32_t lookupSid(const std::wstring& system, const Sid& sid, AccountInfo& out) override;
    // `out.name` is the account's own spelling (by LookupAccountSidW of the
    // SID found), so "users" yields "Users".
    std::uint32_t lookupName(const std::wstring& account, Sid& sid, AccountInfo& out) override;
    // ConvertStringSidToSidW; the SID it allocates is released with
    // LocalFree.
    std::uint32_t sidFromString(const std::wstring& text, Sid& sid) override;
    std::wstring currentUserName() override;
    std::optional<Sid> currentUserSid() override;
    std::optional<std::wstring> domainControllerName(std::uint32_t& error) override;
    // NetUserEnum level 0, all account kinds.
    std::uint32_t listUsers(const std::wstring& server, std::vector<std::wstring>& names) override;
    // NetGroupEnum level 0.
    std::uint32_t listGroups(const std::wstring& server, std::vector<std::wstring>& names) override;
    // NetLocalGroupEnum level 0.
    std::uint32_t listLocalGroups(const std::wstring& server,
                                  std::vector<std::wstring>& names) override;
    // Local: NetLocalGroupGetMembers level 0, each member SID named by
    // LookupAccountSidW as "DOMAIN\name" ("name" when the domain is empty),
    // or as its S-1-... text when it names no account. Global:
    // NetGroupGetUsers level 0 on `server`, which must then be a domain
    // controller's name: with an empty `server` the call is not made and
    // 2453 (NERR_DCNotFound) is returned, because a machine without a
    // domain has no global groups to ask for, and under Wine the function
    // is missing and ends the process.
    std::uint32_t groupMembers(const std::wstring& server, const std::wstring& group, bool local,
                               std::vector<std::wstring>& members) override;
    // NetUserGetGroups level 0.
    std::uint32_t userGroups(const std::wstring& server, const std::wstring& user,
                             std::vector<std::wstring>& groups) override;

    // PrivilegePort

    // enablePrivilege of win32_token.h with the privilege's name
    // (privilegeName).
    std::uint32_t enablePrivilege(Privilege privilege) override;

    // FileSystemPort

    // FindFirstFileW(path + "\*.*"; only "*.*" when `path` ends in "\"),
    // then nextListedItem for each further item.
    std::unique_ptr<DirEnumerator> openDirectory(const std::wstring& path, DirItem& first,
                                                 std::uint32_t& error) override;
    // CreateFileW(FILE_READ_ATTRIBUTES, sharing read, write and delete so
    // that a folder another process holds open can still be read,
    // FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT), then
    // DeviceIoControl(FSCTL_GET_REPARSE_POINT); the target is
    // reparseTargetText of the data. No data returned counts as 4390.
    std::uint32_t readReparseTarget(const std::wstring& path, std::wstring& target) override;
};

// One step of a listing: FindNextFileW on the find handle `find` of the
// folder `directory` (as the user gave it). Returns 0 with `item` set (its
// reparse tag from dwReserved0, or asked of the item itself when the find
// data leaves it 0), ERROR_NO_MORE_FILES at the end, or the error that
// ended the listing part-way, `item` untouched.
std::uint32_t nextListedItem(void* find, const std::wstring& directory, DirItem& item);

}  // namespace quorel::win32
