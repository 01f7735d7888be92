#include "core/account_names.h"

namespace quorel {

AccountNames::AccountNames() {
    texts_.push_back(nullptr);       // id 0: unset
    accounts_.push_back({0, 0, 0});  // id 0: both unset
    accountIds_.emplace(0, 0);
}

std::uint32_t AccountNames::internText(std::wstring_view text) {
    if (auto found = textIds_.find(text); found != textIds_.end()) {
        return found->second;
    }
    auto it = textIds_.emplace(std::wstring(text), static_cast<std::uint32_t>(texts_.size())).first;
    // unordered_map nodes never move, so the key's address is stable.
    texts_.push_back(&it->first);
    return it->second;
}

std::uint32_t AccountNames::findText(std::wstring_view text) const {
    auto found = textIds_.find(text);
    return found != textIds_.end() ? found->second : kNoText;
}

std::uint32_t AccountNames::nameIdOf(const AccountNames& other, std::uint32_t account) const {
    if (&other == this) {
        return nameId(account);
    }
    const std::uint32_t id = other.nameId(account);
    return id == 0 ? 0 : findText(other.text(id));
}

std::wstring_view AccountNames::text(std::uint32_t id) const {
    if (id == 0 || id >= texts_.size()) {
        return {};
    }
    return *texts_[id];
}

std::uint32_t AccountNames::intern(std::wstring_view name, std::wstring_view domain) {
    return internIds(internText(name), internText(domain));
}

std::uint32_t AccountNames::internIds(std::uint32_t nameText, std::uint32_t domainText) {
    const std::uint64_t key = static_cast<std::uint64_t>(nameText) << 32 | domainText;
    auto [it, inserted] =
        accountIds_.try_emplace(key, static_cast<std::uint32_t>(accounts_.size()));
    if (inserted) {
        accounts_.push_back({nameText, domainText, 0});
    }
    return it->second;
}

const Sid* AccountNames::sid(std::uint32_t account) const {
    if (account >= accounts_.size() || accounts_[account].sid == 0) {
        return nullptr;
    }
    return &sids_[accounts_[account].sid - 1];
}

void AccountNames::setSid(std::uint32_t account, const Sid& sid) {
    if (account == 0 || account >= accounts_.size()) {
        return;
    }
    Pair& pair = accounts_[account];
    if (pair.sid != 0) {
        sids_[pair.sid - 1] = sid;
        return;
    }
    sids_.push_back(sid);
    pair.sid = static_cast<std::uint32_t>(sids_.size());
}

std::wstring_view AccountNames::name(std::uint32_t account) const {
    return text(nameId(account));
}

std::wstring_view AccountNames::domain(std::uint32_t account) const {
    return text(domainId(account));
}

std::uint32_t AccountNames::nameId(std::uint32_t account) const {
    return account < accounts_.size() ? accounts_[account].name : 0;
}

std::uint32_t AccountNames::domainId(std::uint32_t account) const {
    return account < accounts_.size() ? accounts_[account].domain : 0;
}

}  // namespace quorel
