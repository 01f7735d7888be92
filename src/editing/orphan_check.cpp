#include "editing/orphan_check.h"

#include "platform/account_port.h"
#include "platform/path_server.h"
#include "platform/text.h"
#include "platform/win_error.h"

namespace quorel {

namespace {

// SECURITY_APP_PACKAGE_AUTHORITY: capabilities and app packages.
constexpr std::uint64_t kAppPackageAuthority = 15;

}  // namespace

bool OrphanCheck::gone(const Sid& sid, std::wstring_view path) {
    const std::wstring system = serverOfPath(path);
    auto key = std::make_pair(upperCase(system), sid);
    if (auto it = decided_.find(key); it != decided_.end()) {
        return it->second;
    }
    const bool result = decide(system, sid);
    decided_.emplace(std::move(key), result);
    return result;
}

bool OrphanCheck::decide(const std::wstring& system, const Sid& sid) {
    if (sid.empty() || sid.authority() == kAppPackageAuthority || sid.subAuthorityCount() < 2) {
        return false;
    }
    AccountInfo info;
    for (int ask = 0; ask < 2; ++ask) {
        if (accounts_.lookupSid(system, sid, info) != win_error::kNoneMapped) {
            return false;
        }
    }
    AccountInfo domain;
    return accounts_.lookupSid(system, sid.prefix(), domain) == 0 &&
           domain.kind == AccountKind::Domain;
}

}  // namespace quorel
