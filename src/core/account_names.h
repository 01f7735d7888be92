#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include <vector>

#include "core/text_map.h"
#include "platform/sid.h"

namespace quorel {

// The account texts of a dataset. Millions of owners, groups and trustees
// name a few hundred accounts, so an entry or ACE holds a 32-bit account id
// instead of two texts. An account is a (name, domain) pair; each distinct
// text is stored once and never moves, so equal ids mean equal texts within
// one table.
//
// A table belongs to the dataset that interns into it (CDirList) and is
// freed with the last dataset holding it. Ids mean nothing outside their
// table: what outlives a dataset keeps texts and SIDs, not ids. Two datasets
// share one table only when told to, so that their ids can be compared
// (compare mode loads the compared dataset into the shown one's table).
// Not thread-safe: one thread at a time fills or reads a table.
//
// Id 0 is the account with both texts unset (a fresh record).
class AccountNames {
  public:
    AccountNames();

    std::uint32_t intern(std::wstring_view name, std::wstring_view domain);
    // The account of two text ids (see internText); lets a caller keep the
    // name and replace the domain, or leave a text unset (id 0).
    std::uint32_t internIds(std::uint32_t nameText, std::uint32_t domainText);
    std::wstring_view name(std::uint32_t account) const;
    std::wstring_view domain(std::uint32_t account) const;
    // Id of the name text alone: equal for two accounts exactly when their
    // names are equal (case-sensitive); 0 when unset.
    std::uint32_t nameId(std::uint32_t account) const;
    std::uint32_t domainId(std::uint32_t account) const;
    bool nameSet(std::uint32_t account) const { return nameId(account) != 0; }
    bool domainSet(std::uint32_t account) const { return domainId(account) != 0; }

    // The SID an account was read with, kept once per account so that an
    // edit writes the very principal shown (a domain group and a local group
    // of one name are two accounts with two SIDs). Null when the account
    // was never read from a descriptor (a dataset file holds names only).
    const Sid* sid(std::uint32_t account) const;
    void setSid(std::uint32_t account, const Sid& sid);

    std::size_t accountCount() const { return accounts_.size(); }
    std::size_t textCount() const { return texts_.size(); }

    // Text ids: 0 is the unset text.
    static constexpr std::uint32_t kNoText = 0xFFFFFFFF;
    std::uint32_t internText(std::wstring_view text);
    std::wstring_view text(std::uint32_t id) const;
    // The id of `text` without adding it: kNoText when the table lacks it.
    std::uint32_t findText(std::wstring_view text) const;
    // The id in this table of the name of `account` of `other`: equal to
    // nameId(a) exactly when the names are equal (kNoText when no account
    // of this table has that name).
    std::uint32_t nameIdOf(const AccountNames& other, std::uint32_t account) const;

    AccountNames(const AccountNames&) = delete;
    AccountNames& operator=(const AccountNames&) = delete;

  private:
    struct Pair {
        std::uint32_t name;
        std::uint32_t domain;
        std::uint32_t sid;  // index into sids_ + 1; 0 when unknown
    };
    std::vector<const std::wstring*> texts_;  // id -> text, stable addresses
    TextIdMap textIds_;
    std::vector<Pair> accounts_;
    std::vector<Sid> sids_;
    std::unordered_map<std::uint64_t, std::uint32_t> accountIds_;
};

}  // namespace quorel
