#pragma once

// The member map of group break-down: for each account name the dataset
// names (owners, primary groups, ACE trustees), the members of that name
// when it is a group, as one text "a, b, c". Built with the direct members
// after every scan and load, and again with the members of nested groups
// on request. The matrix shows the text under an ACE of the group; find
// searches it.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quorel {

class AccountPort;
class CDirList;

class MemberMap {
  public:
    // Longest member text collected for one name.
    static constexpr std::size_t kMaxText = 990000;

    // Which names of the dataset the map holds: the account names, or the
    // domain names of the same places.
    enum class Names : std::uint8_t { Accounts, Domains };

    // Builds the map anew. `tick` is called once per name asked about (the
    // heartbeat); when it returns false the build stops and the map keeps
    // what it has.
    void Build(const CDirList& dataset, AccountPort& accounts, bool recursive, Names names,
               const std::function<bool()>& tick = {});
    // The member text of `name` (exact), or null when it has none.
    const std::wstring* membersOf(std::wstring_view name) const;
    std::size_t size() const { return texts_.size(); }
    void clear() { texts_.clear(); }

  private:
    std::unordered_map<std::wstring, std::wstring> texts_;  // empty text: no members
};

}  // namespace quorel
