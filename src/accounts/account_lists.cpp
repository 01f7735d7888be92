#include "accounts/account_lists.h"

#include "platform/account_port.h"

namespace quorel {

void AccountLists::Build(AccountPort& accounts) {
    for (std::vector<std::wstring>& list : lists_) {
        list.clear();
    }
    accounts.listUsers(L"", lists_[LocalUsers]);
    // The computer's own groups are its local groups (Administrators,
    // Users, ...); NetGroupEnum on a workstation only knows "None".
    accounts.listLocalGroups(L"", lists_[LocalGroups]);
    std::uint32_t error = 0;
    if (std::optional<std::wstring> dc = accounts.domainControllerName(error)) {
        accounts.listUsers(*dc, lists_[DomainUsers]);
        accounts.listGroups(*dc, lists_[DomainGroups]);
    }
    built_ = true;
}

void AccountLists::BuildOnce(AccountPort& accounts) {
    if (!built_) {
        Build(accounts);
    }
}

int AccountLists::ListOf(const std::wstring& title) {
    for (std::size_t i = 0; i < kTitles.size(); ++i) {
        if (title == kTitles[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace quorel
