#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/account_port.h"
#include "platform/privilege_port.h"
#include "platform/security_port.h"

namespace quorel::sim {

// Wraps the security, account and privilege ports of a platform and makes
// one chosen call of them fail, as a file server does when a share goes
// away or a domain controller stops answering in the middle of a run.
// Every call through the wrapper is numbered from 1 in order, whatever its
// kind; the failing call returns its kind's error and changes nothing:
// reads fail at GetFileSecurityW, writes with ERROR_ACCESS_DENIED, lookups
// with ERROR_NONE_MAPPED, privileges with ERROR_NOT_ALL_ASSIGNED.
class FaultyPorts : public SecurityPort, public AccountPort, public PrivilegePort {
  public:
    enum class Kind : std::uint8_t { Any, Read, Write, Owner, Lookup, Privilege };

    FaultyPorts(SecurityPort& security, AccountPort& accounts, PrivilegePort& privileges)
        : security_(security), accounts_(accounts), privileges_(privileges) {}

    // Fails the n-th call (1-based) of `kind` and the `run` - 1 such calls
    // after it; 0 fails none.
    void failCall(std::uint64_t n, Kind kind = Kind::Any, std::uint32_t error = 0,
                  std::uint64_t run = 1);
    // Calls made through the wrapper so far, of every kind and of `kind`.
    std::uint64_t calls() const { return calls_[0]; }
    std::uint64_t calls(Kind kind) const { return calls_[static_cast<int>(kind)]; }
    bool failed() const { return failed_; }

    SdReadStatus readSecurity(const std::wstring& path, SecurityDescriptor& out) override;
    std::uint32_t writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                            DaclControl control) override;
    std::uint32_t writeNullDacl(const std::wstring& path) override;
    std::uint32_t setOwner(const std::wstring& path, const Sid& owner) override;

    std::uint32_t lookupSid(const std::wstring& system, const Sid& sid, AccountInfo& out) override;
    std::uint32_t lookupName(const std::wstring& account, Sid& sid, AccountInfo& out) override;
    std::uint32_t sidFromString(const std::wstring& text, Sid& sid) override;
    std::wstring currentUserName() override { return accounts_.currentUserName(); }
    std::optional<Sid> currentUserSid() override { return accounts_.currentUserSid(); }
    std::optional<std::wstring> domainControllerName(std::uint32_t& error) override;
    std::uint32_t listUsers(const std::wstring& server, std::vector<std::wstring>& names) override {
        return accounts_.listUsers(server, names);
    }
    std::uint32_t listGroups(const std::wstring& server,
                             std::vector<std::wstring>& names) override {
        return accounts_.listGroups(server, names);
    }
    std::uint32_t listLocalGroups(const std::wstring& server,
                                  std::vector<std::wstring>& names) override {
        return accounts_.listLocalGroups(server, names);
    }
    std::uint32_t groupMembers(const std::wstring& server, const std::wstring& group, bool local,
                               std::vector<std::wstring>& members) override {
        return accounts_.groupMembers(server, group, local, members);
    }
    std::uint32_t userGroups(const std::wstring& server, const std::wstring& user,
                             std::vector<std::wstring>& groups) override;

    std::uint32_t enablePrivilege(Privilege privilege) override;

  private:
    // Counts a call of `kind`; true when it is the one to fail.
    bool fails(Kind kind);
    std::uint32_t errorOr(std::uint32_t fallback) const { return error_ != 0 ? error_ : fallback; }

    SecurityPort& security_;
    AccountPort& accounts_;
    PrivilegePort& privileges_;
    std::uint64_t calls_[6] = {};
    std::uint64_t failAt_ = 0;
    std::uint64_t run_ = 1;
    Kind failKind_ = Kind::Any;
    std::uint32_t error_ = 0;
    bool failed_ = false;
};

}  // namespace quorel::sim
