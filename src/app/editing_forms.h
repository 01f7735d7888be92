#pragma once

// What the editing dialogs hold while they are open, and what OK gives: the
// check boxes are plain ones (each click flips a stored flag), some boxes
// are enabled only while another is checked. The windows show these forms
// and hand them the clicks; the rules live here.

#include <array>
#include <cstdint>
#include <string>

namespace quorel {

struct EditSettings;

// "Modify Inheritance Flags" (dialog 137): boxes 20 inherit only, 21 to
// files, 22 to folders, 23 don't propagate.
class InheritanceFlagsForm {
  public:
    explicit InheritanceFlagsForm(std::uint8_t flags);
    bool checked(int id) const;
    void Click(int id);
    // The ACE flags OK writes.
    std::uint8_t flags() const;

  private:
    std::uint8_t flags_;
};

// "Inheritance settings" (dialog 138): 20 take ownership, 21 give it back
// (enabled only while 20 is checked), 22 keep explicit ACEs, 23 skip what
// was not inherited. All unchecked at opening.
class InheritSettingsForm {
  public:
    bool checked(int id) const;
    bool enabled(int id) const;
    void Click(int id);
    void ApplyTo(EditSettings& settings) const;

  private:
    std::array<bool, 4> boxes_{};
};

// "Restore permissions - settings" (dialog 139): radios 20 apply
// inheritance rules (chosen at opening) and 21 do nothing; 22 take
// ownership, 23 give it back (enabled only while 22 is checked).
class RestoreForm {
  public:
    bool checked(int id) const;
    bool enabled(int id) const;
    void Click(int id);
    bool applyInheritance() const { return applyInheritance_; }
    void ApplyTo(EditSettings& settings) const;

  private:
    bool applyInheritance_ = true;
    bool takeOwnership_ = false;
    bool giveBack_ = false;
};

// "MODIFYACE": one explicit ACE's type (60 allow, 61 deny), inheritance
// flags (20-23; 24 shows the inherited flag and cannot change) and its
// rights, one box per named right (30 + its row).
class ModifyAceForm {
  public:
    ModifyAceForm(std::uint32_t mask, std::uint8_t flags, std::uint8_t type);
    bool checked(int id) const;
    bool enabled(int id) const;
    void Click(int id);
    // What OK writes: the mask of the checked rights (the bits of the ACE
    // that no box names are kept), the flags, the type.
    std::uint32_t mask() const;
    std::uint8_t flags() const { return flags_; }
    std::uint8_t type() const { return type_; }

  private:
    std::uint32_t original_;
    std::array<bool, 19> rights_{};
    std::uint8_t flags_;
    std::uint8_t type_;
};

}  // namespace quorel
