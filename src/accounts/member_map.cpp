#include "accounts/member_map.h"

#include <set>
#include <vector>

#include "core/account_names.h"
#include "core/dir_list.h"
#include "platform/account_port.h"

namespace quorel {

namespace {

// One build: the domain controller asked once, the groups on the way down
// (each walked once, so that a group that contains itself ends there) and the accounts listed.
class Collector {
  public:
    Collector(AccountPort& accounts, bool recursive, const std::function<bool()>& tick)
        : accounts_(accounts), recursive_(recursive), tick_(tick) {
        std::uint32_t error = 0;
        if (std::optional<std::wstring> dc = accounts.domainControllerName(error)) {
            dc_ = *dc;
        }
    }

    bool stopped() const { return stopped_; }

    // The member text of `name`: its members, or the name itself when it is
    // no group.
    std::wstring textOf(const std::wstring& name) {
        text_.clear();
        listed_.clear();
        visited_.clear();
        collect(name);
        return text_;
    }

  private:
    void append(const std::wstring& name) {
        if (!text_.empty()) {
            text_ += L", ";
        }
        text_ += name;
    }

    // The members of a group, or nothing when `name` is no group. A global
    // group is only asked of a domain controller.
    bool members(const std::wstring& name, std::vector<std::wstring>& out) {
        if (accounts_.groupMembers(L"", name, true, out) == 0) {
            return true;
        }
        out.clear();
        return !dc_.empty() && accounts_.groupMembers(dc_, name, false, out) == 0;
    }

    void collect(const std::wstring& name) {
        if (tick_ && !tick_()) {
            stopped_ = true;
        }
        if (stopped_ || text_.size() > MemberMap::kMaxText) {
            return;
        }
        std::vector<std::wstring> found;
        if (members(name, found)) {
            if (!recursive_) {
                for (const std::wstring& m : found) {
                    append(m);
                }
                return;
            }
            if (!visited_.insert(name).second) {
                return;  // walked before: its accounts are listed already
            }
            for (const std::wstring& m : found) {
                collect(m);
            }
            return;
        }
        // An account, listed once.
        if (listed_.insert(name).second) {
            append(name);
        }
    }

    AccountPort& accounts_;
    bool recursive_;
    const std::function<bool()>& tick_;
    std::wstring dc_;
    std::wstring text_;
    std::set<std::wstring> listed_;
    std::set<std::wstring> visited_;
    bool stopped_ = false;
};

}  // namespace

void MemberMap::Build(const CDirList& dataset, AccountPort& accounts, bool recursive, Names names,
                      const std::function<bool()>& tick) {
    texts_.clear();
    Collector collector(accounts, recursive, tick);
    auto add = [&](std::wstring_view view) {
        if (view.empty() || collector.stopped()) {
            return;
        }
        std::wstring name(view.substr(0, 1000));
        if (texts_.count(name) != 0) {
            return;
        }
        std::wstring text = collector.textOf(name);
        if (text == name) {
            text.clear();
        }
        texts_.emplace(std::move(name), std::move(text));
    };
    // Each distinct text once: millions of entries name a few hundred
    // accounts, so names are told apart by their text ids.
    const AccountNames& table = dataset.accountNames();
    const bool domains = names == Names::Domains;
    std::vector<bool> seen(table.textCount() + 1, false);
    auto addAccount = [&](std::uint32_t account) {
        const std::uint32_t id = domains ? table.domainId(account) : table.nameId(account);
        if (id == 0 || id >= seen.size() || seen[id]) {
            return;
        }
        seen[id] = true;
        add(table.text(id));
    };
    for (const CDirEntry& e : dataset) {
        addAccount(e.ownerAccount());
        addAccount(e.groupAccount());
        for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
            addAccount(e.ace(i)->account());
        }
        if (collector.stopped()) {
            break;
        }
    }
}

const std::wstring* MemberMap::membersOf(std::wstring_view name) const {
    const auto found = texts_.find(std::wstring(name));
    if (found == texts_.end() || found->second.empty()) {
        return nullptr;
    }
    return &found->second;
}

}  // namespace quorel
