#pragma once

#include <cstdint>
#include <string_view>

#include "core/account_names.h"
#include "platform/security_descriptor.h"

namespace quorel {

// One ACE of an entry's DACL, as names and numbers. Sixteen bytes: the
// trustee and its domain are one account id of the account table of the
// dataset holding the ACE, which every text accessor is given.
class AceRecord {
  public:
    static constexpr std::uint16_t kNoPartnerAce = 0xFFFF;

    std::wstring_view trustee(const AccountNames& names) const { return names.name(account_); }
    std::wstring_view domain(const AccountNames& names) const { return names.domain(account_); }
    bool hasTrustee(const AccountNames& names) const { return names.nameSet(account_); }
    std::uint32_t account() const { return account_; }

    // Sets trustee and domain together.
    void setTrustee(AccountNames& names, std::wstring_view trustee, std::wstring_view domain) {
        account_ = names.intern(trustee, domain);
    }
    void setAccount(std::uint32_t account) { account_ = account; }
    void set(std::uint32_t mask, std::uint8_t flags, std::uint8_t type) {
        accessMask = mask;
        flagsAsRead = flags;
        aceFlags = flags;
        aceType = type;
    }

    bool isDeny() const { return aceType == ace_type::kAccessDenied; }
    bool inheritOnly() const { return (aceFlags & ace_flag::kInheritOnly) != 0; }
    bool inherited() const { return (aceFlags & ace_flag::kInherited) != 0; }
    bool hasPartnerAce() const { return partnerAce != kNoPartnerAce; }

    // Trustee texts equal (exact, case-sensitive), aceFlags and aceType
    // equal; both records' accounts are of `names`.
    bool sameAceWithoutMask(const AceRecord& other, const AccountNames& names) const;
    // As above, and the access masks equal.
    bool sameAce(const AceRecord& other, const AccountNames& names) const;

    std::uint32_t accessMask = 0;
    std::uint16_t partnerAce = kNoPartnerAce;  // index into the partner entry's ACEs
    std::uint8_t aceType = 0;
    std::uint8_t aceFlags = 0;
    std::uint8_t flagsAsRead = 0;
    std::uint8_t visible : 1 = 1;
    std::uint8_t findMark : 1 = 0;
    std::uint8_t selected : 1 = 0;
    std::uint8_t unresolved : 1 = 0;

  private:
    std::uint32_t account_ = 0;
};

}  // namespace quorel
