#pragma once

#include <cstdint>
#include <string>

#include "platform/account_port.h"
#include "platform/file_system_port.h"
#include "platform/privilege_port.h"
#include "platform/security_port.h"
#include "platform/sim/sim_accounts.h"
#include "platform/sim/sim_volume.h"

namespace quorel::sim {

// How often each operation of the simulated platform was asked for.
struct CallCounters {
    std::uint64_t readSecurity = 0;
    std::uint64_t writeDacl = 0;
    std::uint64_t setOwner = 0;
    std::uint64_t lookupSid = 0;
    std::uint64_t lookupName = 0;
    std::uint64_t sidFromString = 0;
    std::uint64_t enablePrivilege = 0;
    std::uint64_t openDirectory = 0;
    std::uint64_t nextItem = 0;
    std::uint64_t readReparseTarget = 0;
    std::uint64_t listAccounts = 0;
    std::uint64_t groupMembers = 0;
};

// A simulated Windows machine: one volume and one account database behind
// the security, account, privilege and file system ports, with the access
// checks Windows makes for the user the process runs as:
//  - reading a descriptor needs READ_CONTROL or ownership;
//  - writing a DACL needs WRITE_DAC or ownership; the DACL is stored exactly
//    as given (SetFileSecurityW neither merges nor propagates);
//  - setting the owner needs WRITE_OWNER, the enabled take-ownership
//    privilege or the enabled restore privilege; the new owner must be the
//    user or one of the user's groups, or the Administrators group when the
//    user holds the take-ownership privilege (an administrator); any other
//    account only with the restore privilege enabled (1307 otherwise);
//  - the security port opens every object with backup semantics, so an
//    enabled backup privilege lets it read any descriptor and an enabled
//    restore privilege lets it write any DACL and owner, whatever the DACL
//    says (securityAccess);
//  - a SID is named by the computer asked (lookupSid's `system`): this
//    machine, or a file server that alone knows its own local accounts;
//  - a link (a junction or symbolic link) is an object of its own: its
//    security is read and written on the link, never on its target
//    ("CreateFileW": FILE_FLAG_OPEN_REPARSE_POINT opens the reparse point
//    itself), and the listing gives each item its reparse tag
//    ("WIN32_FIND_DATAW structure", dwReserved0).
class SimPlatform : public SecurityPort,
                    public AccountPort,
                    public PrivilegePort,
                    public FileSystemPort {
  public:
    SimPlatform() = default;

    SimVolume& volume() { return volume_; }
    const SimVolume& volume() const { return volume_; }
    SimAccounts& accounts() { return accounts_; }
    const SimAccounts& accounts() const { return accounts_; }
    CallCounters& counters() { return counters_; }

    // Builders: create (with missing parents) and describe one object.
    ObjectBuilder dir(std::wstring_view path) { return ObjectBuilder(*volume_.create(path, true)); }
    ObjectBuilder file(std::wstring_view path) {
        return ObjectBuilder(*volume_.create(path, false));
    }

    // Whether the token holds a privilege at all; enablePrivilege enables
    // only what is held.
    void setTakeOwnershipHeld(bool held) { takeOwnershipHeld_ = held; }
    void setRestoreHeld(bool held) { restoreHeld_ = held; }
    void setBackupHeld(bool held) { backupHeld_ = held; }
    bool takeOwnershipHeld() const { return takeOwnershipHeld_; }
    bool restoreHeld() const { return restoreHeld_; }
    bool backupHeld() const { return backupHeld_; }
    bool takeOwnershipEnabled() const { return takeOwnershipEnabled_; }
    bool restoreEnabled() const { return restoreEnabled_; }
    bool backupEnabled() const { return backupEnabled_; }

    // Every call into the platform waits this long first (a remote server).
    void setLatency(std::uint32_t microseconds) { latencyMicroseconds_ = microseconds; }
    std::uint32_t latency() const { return latencyMicroseconds_; }

    // The rights the current user has on `object` by its DACL and ownership.
    std::uint32_t grantedAccess(const SimObject& object) const;
    // The same with what the enabled backup and restore privileges add to a
    // handle opened with backup semantics.
    std::uint32_t securityAccess(const SimObject& object) const;

    // SecurityPort
    SdReadStatus readSecurity(const std::wstring& path, SecurityDescriptor& out) override;
    std::uint32_t writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                            DaclControl control) override;
    std::uint32_t writeNullDacl(const std::wstring& path) override;
    std::uint32_t setOwner(const std::wstring& path, const Sid& owner) override;

    // AccountPort
    std::uint32_t lookupSid(const std::wstring& system, const Sid& sid, AccountInfo& out) override;
    std::uint32_t lookupName(const std::wstring& account, Sid& sid, AccountInfo& out) override;
    std::uint32_t sidFromString(const std::wstring& text, Sid& sid) override;
    std::wstring currentUserName() override;
    std::optional<Sid> currentUserSid() override;
    std::optional<std::wstring> domainControllerName(std::uint32_t& error) override;
    std::uint32_t listUsers(const std::wstring& server, std::vector<std::wstring>& names) override;
    std::uint32_t listGroups(const std::wstring& server, std::vector<std::wstring>& names) override;
    std::uint32_t listLocalGroups(const std::wstring& server,
                                  std::vector<std::wstring>& names) override;
    std::uint32_t groupMembers(const std::wstring& server, const std::wstring& group, bool local,
                               std::vector<std::wstring>& members) override;
    std::uint32_t userGroups(const std::wstring& server, const std::wstring& user,
                             std::vector<std::wstring>& groups) override;

    // PrivilegePort
    std::uint32_t enablePrivilege(Privilege privilege) override;

    // FileSystemPort
    std::unique_ptr<DirEnumerator> openDirectory(const std::wstring& path, DirItem& first,
                                                 std::uint32_t& error) override;
    std::uint32_t readReparseTarget(const std::wstring& path, std::wstring& target) override;

  private:
    // The object a DACL write may change (counted as one write), or null
    // with `error` as Windows gives it.
    SimObject* daclWritable(const std::wstring& path, std::uint32_t& error);
    bool isDomainServer(const std::wstring& server) const;
    void wait() const;

    SimVolume volume_;
    SimAccounts accounts_;
    CallCounters counters_;
    bool takeOwnershipHeld_ = false;
    bool takeOwnershipEnabled_ = false;
    bool restoreHeld_ = false;
    bool restoreEnabled_ = false;
    bool backupHeld_ = false;
    bool backupEnabled_ = false;
    std::uint32_t latencyMicroseconds_ = 0;
};

}  // namespace quorel::sim
