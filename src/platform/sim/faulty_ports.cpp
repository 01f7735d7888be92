#include "platform/sim/faulty_ports.h"

#include "platform/win_error.h"

namespace quorel::sim {

void FaultyPorts::failCall(std::uint64_t n, Kind kind, std::uint32_t error, std::uint64_t run) {
    failAt_ = n;
    run_ = run;
    failKind_ = kind;
    error_ = error;
    failed_ = false;
    for (std::uint64_t& c : calls_) {
        c = 0;
    }
}

bool FaultyPorts::fails(Kind kind) {
    ++calls_[0];
    ++calls_[static_cast<int>(kind)];
    const std::uint64_t number =
        failKind_ == Kind::Any ? calls_[0] : calls_[static_cast<int>(kind)];
    if (failAt_ != 0 && number >= failAt_ && number < failAt_ + run_ &&
        (failKind_ == Kind::Any || failKind_ == kind)) {
        failed_ = true;
        return true;
    }
    return false;
}

SdReadStatus FaultyPorts::readSecurity(const std::wstring& path, SecurityDescriptor& out) {
    if (fails(Kind::Read)) {
        return {SdStep::GetFileSecurity, errorOr(win_error::kAccessDenied)};
    }
    return security_.readSecurity(path, out);
}

std::uint32_t FaultyPorts::writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                                     DaclControl control) {
    if (fails(Kind::Write)) {
        return errorOr(win_error::kAccessDenied);
    }
    return security_.writeDacl(path, dacl, control);
}

std::uint32_t FaultyPorts::writeNullDacl(const std::wstring& path) {
    if (fails(Kind::Write)) {
        return errorOr(win_error::kAccessDenied);
    }
    return security_.writeNullDacl(path);
}

std::uint32_t FaultyPorts::setOwner(const std::wstring& path, const Sid& owner) {
    if (fails(Kind::Owner)) {
        return errorOr(win_error::kAccessDenied);
    }
    return security_.setOwner(path, owner);
}

std::uint32_t FaultyPorts::lookupSid(const std::wstring& system, const Sid& sid, AccountInfo& out) {
    if (fails(Kind::Lookup)) {
        return errorOr(win_error::kNoneMapped);
    }
    return accounts_.lookupSid(system, sid, out);
}

std::uint32_t FaultyPorts::lookupName(const std::wstring& account, Sid& sid, AccountInfo& out) {
    if (fails(Kind::Lookup)) {
        return errorOr(win_error::kNoneMapped);
    }
    return accounts_.lookupName(account, sid, out);
}

std::uint32_t FaultyPorts::sidFromString(const std::wstring& text, Sid& sid) {
    if (fails(Kind::Lookup)) {
        return errorOr(win_error::kInvalidSid);
    }
    return accounts_.sidFromString(text, sid);
}

std::optional<std::wstring> FaultyPorts::domainControllerName(std::uint32_t& error) {
    if (fails(Kind::Lookup)) {
        error = errorOr(win_error::kDcNotFound);
        return std::nullopt;
    }
    return accounts_.domainControllerName(error);
}

std::uint32_t FaultyPorts::userGroups(const std::wstring& server, const std::wstring& user,
                                      std::vector<std::wstring>& groups) {
    if (fails(Kind::Lookup)) {
        return errorOr(win_error::kUserNotFound);
    }
    return accounts_.userGroups(server, user, groups);
}

std::uint32_t FaultyPorts::enablePrivilege(Privilege privilege) {
    if (fails(Kind::Privilege)) {
        return errorOr(win_error::kNotAllAssigned);
    }
    return privileges_.enablePrivilege(privilege);
}

}  // namespace quorel::sim
