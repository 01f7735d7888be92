#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "editing/trustee.h"

namespace quorel {

// A change to an inheritable ACE of one entry, waiting to be applied to the
// matching inherited ACEs below it. The entry is named by its path.
struct PendingChange {
    enum class Kind : std::uint8_t { Deleted = 0, MaskChanged = 1 };
    Kind kind = Kind::Deleted;
    std::wstring path;
    std::uint32_t aceIndex = 0;
    Trustee trustee;
    std::uint8_t aceType = 0;
    std::uint8_t aceFlags = 0;
    std::uint32_t newMask = 0;  // MaskChanged: after; Deleted: the deleted ACE's mask
    std::uint32_t oldMask = 0;  // MaskChanged: before; Deleted: 0
};

// The pending-change list, in order of arrival.
class PendingChanges {
  public:
    void add(PendingChange change) { changes_.push_back(std::move(change)); }
    // Undo drops the newest.
    void removeLast() {
        if (!changes_.empty()) {
            changes_.pop_back();
        }
    }
    // Propagation takes the oldest.
    std::optional<PendingChange> takeFirst();
    bool empty() const { return changes_.empty(); }
    std::size_t size() const { return changes_.size(); }
    const PendingChange& at(std::size_t i) const { return changes_[i]; }

  private:
    std::deque<PendingChange> changes_;
};

}  // namespace quorel
