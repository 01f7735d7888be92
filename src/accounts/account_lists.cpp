#include "accounts/account_lists.h"

#include "platform/account_port.h"

namespace quorel {

std::vector<std::wstring> AccountLists::EnumerateAccounts(AccountPort& accounts, bool local,
                                                          bool groups,
                                                          const std::optional<std::wstring>& dc) {
    std::vector<std::wstring> names;
    if (local) {
        // The computer's own groups are its local groups (Administrators,
        // Users, ...); NetGroupEnum on a workstation only knows "None".
        groups ? accounts.listLocalGroups(L"", names) : accounts.listUsers(L"", names);
    } else if (dc) {
        groups ? accounts.listGroups(*dc, names) : accounts.listUsers(*dc, names);
    }
    return names;
}

void AccountLists::BuildAccountLists(AccountPort& accounts) {
    std::uint32_t error = 0;
    const std::optional<std::wstring> dc = accounts.domainControllerName(error);
    lists_[LocalUsers] = EnumerateAccounts(accounts, true, false, dc);
    lists_[LocalGroups] = EnumerateAccounts(accounts, true, true, dc);
    lists_[DomainUsers] = EnumerateAccounts(accounts, false, false, dc);
    lists_[DomainGroups] = EnumerateAccounts(accounts, false, true, dc);
    built_ = true;
}

void AccountLists::BuildOnce(AccountPort& accounts) {
    if (!built_) {
        BuildAccountLists(accounts);
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
