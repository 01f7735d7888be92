#pragma once

// The four account lists of the "Add user" dialog: users and groups of the
// local computer and of the domain, as the system enumerates them. Built on
// first use and again on "Rebuild Userlists".

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace quorel {

class AccountPort;

class AccountLists {
  public:
    enum List { LocalUsers = 0, LocalGroups = 1, DomainUsers = 2, DomainGroups = 3 };
    // The texts of the list choice, in list order.
    static constexpr std::array<const wchar_t*, 4> kTitles = {L"Local Users", L"Local Groups",
                                                              L"Domain Users", L"Domain Groups"};

    // Enumerates all four lists, in list order (the domain lists stay empty
    // without a domain controller, a list whose enumeration fails too).
    void BuildAccountLists(AccountPort& accounts);
    // Builds the lists unless they are built already.
    void BuildOnce(AccountPort& accounts);
    bool built() const { return built_; }
    const std::vector<std::wstring>& names(List list) const { return lists_[list]; }
    // The list a choice text names, or -1.
    static int ListOf(const std::wstring& title);

  private:
    // One list: the users or the groups of the local computer or of the
    // domain controller `dc` (none: the list stays empty).
    static std::vector<std::wstring> EnumerateAccounts(AccountPort& accounts, bool local,
                                                       bool groups,
                                                       const std::optional<std::wstring>& dc);

    std::array<std::vector<std::wstring>, 4> lists_;
    bool built_ = false;
};

}  // namespace quorel
