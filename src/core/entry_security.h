#pragma once

namespace quorel {

class CDirEntry;

// What the scan constructor of an entry asks of the security reader.
class EntrySecurity {
  public:
    virtual ~EntrySecurity() = default;
    // Fills the entry's owner, group and ACEs from its path; problems go to
    // the entry's error flags and its dataset's error list.
    virtual void readSecurity(CDirEntry& entry) = 0;
    // Re-applies the parent's inheritable ACEs to a freshly created entry
    // (a subtree rescan after an inherit). Does nothing by default.
    virtual void reapplyParentAcl(CDirEntry& entry) { (void)entry; }
};

}  // namespace quorel
