#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "editing/edit_result.h"
#include "editing/trustee.h"
#include "platform/security_descriptor.h"

namespace quorel {

class AclEditor;
class CDirEntry;
class CDirList;
class PendingChanges;

// One saved ACE as the entry showed it. The account is kept as texts and
// SID: the dataset whose table named it may be gone when Undo runs.
struct UndoAce {
    Trustee trustee;
    std::uint32_t accessMask = 0;
    std::uint8_t aceFlags = 0;
    std::uint8_t aceType = 0;
};

// The ACL of one entry before an edit. The entry is named by its path, so
// that Undo still finds the file after a re-scan, open or close. The DACL is
// kept as read from disk, every ACE's bytes included, so that Undo writes
// back exactly what was there (object and callback ACEs, SIDs that name no
// account, the protection from inheritance).
struct UndoElement {
    bool propagation = false;  // the edit also added a pending change
    std::wstring path;
    std::wstring name;
    std::vector<UndoAce> aces;
    bool daclRead = false;  // `dacl` and `daclProtected` hold the disk's DACL
    std::vector<RawAce> dacl;
    bool daclProtected = false;
    bool nullDacl = false;  // the entry had no DACL (everyone had full access)
};

// The undo stack: at most 1000 elements, the newest on top.
class UndoBuffer {
  public:
    static constexpr std::size_t kMaxElements = 1000;

    // Saves the entry's ACL on top, dropping the oldest element beyond
    // 1000. Reads the entry's descriptor for the ACEs' bytes.
    void AddUndoElement(AclEditor& editor, CDirEntry& entry, std::wstring_view name,
                        bool propagation);
    // Writes the top element's ACL back in one write and removes the
    // element (also when the write fails: "Error resetting ACL"); drops the
    // newest pending change when the edit had added one. When the entry's
    // view is stale nothing is written and the element stays. `dataset`
    // (may be null) is searched for the entry by path, to check and refresh
    // it. Nothing happens without an element.
    EditResult Undo(AclEditor& editor, CDirList* dataset, PendingChanges& pending);
    void ClearUndoBuffer() {
        elements_.clear();
        changed_ = true;
    }

    std::size_t count() const { return elements_.size(); }
    const UndoElement* top() const { return elements_.empty() ? nullptr : &elements_.back(); }
    const UndoElement& at(std::size_t fromTop) const {
        return elements_[elements_.size() - 1 - fromTop];
    }
    // The text of the Undo menu item: "Undo: " + name + "\tCTRL+Z", greyed
    // when there is no element; until the buffer first changes, the text
    // the main window starts with, "Undo: \tCtrl+Z".
    std::wstring menuText() const;
    bool menuEnabled() const { return !elements_.empty() && !elements_.back().name.empty(); }

  private:
    std::deque<UndoElement> elements_;  // back: newest
    bool changed_ = false;              // an element was added or removed, or all were
};

}  // namespace quorel
