#include "app/editing_forms.h"

#include "editing/edit_settings.h"
#include "filters/permissions.h"
#include "resource.h"

namespace quorel {

namespace {

// The ACE flag of each inheritance box, ids 20 to 23.
constexpr std::uint8_t kFlagOfBox[4] = {0x08, 0x01, 0x02, 0x04};

int Box(int id) {
    return id >= 20 && id <= 23 ? id - 20 : -1;
}

}  // namespace

InheritanceFlagsForm::InheritanceFlagsForm(std::uint8_t flags) : flags_(flags & 0x0F) {}

bool InheritanceFlagsForm::checked(int id) const {
    const int box = Box(id);
    return box >= 0 && (flags_ & kFlagOfBox[box]) != 0;
}

void InheritanceFlagsForm::Click(int id) {
    const int box = Box(id);
    if (box >= 0) {
        flags_ = static_cast<std::uint8_t>(flags_ ^ kFlagOfBox[box]);
    }
}

std::uint8_t InheritanceFlagsForm::flags() const {
    return flags_;
}

bool InheritSettingsForm::checked(int id) const {
    const int box = Box(id);
    return box >= 0 && boxes_[static_cast<std::size_t>(box)];
}

bool InheritSettingsForm::enabled(int id) const {
    return id != IDC_INHERIT_GIVE_BACK_OWNERSHIP || boxes_[0];
}

void InheritSettingsForm::Click(int id) {
    const int box = Box(id);
    if (box < 0 || !enabled(id)) {
        return;
    }
    boxes_[static_cast<std::size_t>(box)] = !boxes_[static_cast<std::size_t>(box)];
    if (box == 0 && !boxes_[0]) {
        boxes_[1] = false;
    }
}

void InheritSettingsForm::ApplyTo(EditSettings& settings) const {
    settings.autoTakeOwnership = boxes_[0];
    settings.giveBackOwnership = boxes_[0] && boxes_[1];
    settings.keepExplicitAces = boxes_[2];
    settings.skipNotInherited = boxes_[3];
}

bool RestoreForm::checked(int id) const {
    switch (id) {
        case IDC_RESTORE_APPLY_INHERITANCE:
            return applyInheritance_;
        case IDC_RESTORE_DO_NOTHING:
            return !applyInheritance_;
        case IDC_RESTORE_TAKE_OWNERSHIP:
            return takeOwnership_;
        case IDC_RESTORE_GIVE_BACK_OWNERSHIP:
            return giveBack_;
        default:
            return false;
    }
}

bool RestoreForm::enabled(int id) const {
    return id != IDC_RESTORE_GIVE_BACK_OWNERSHIP || takeOwnership_;
}

void RestoreForm::Click(int id) {
    switch (id) {
        case IDC_RESTORE_APPLY_INHERITANCE:
            applyInheritance_ = true;
            break;
        case IDC_RESTORE_DO_NOTHING:
            applyInheritance_ = false;
            break;
        case IDC_RESTORE_TAKE_OWNERSHIP:
            takeOwnership_ = !takeOwnership_;
            giveBack_ = giveBack_ && takeOwnership_;
            break;
        case IDC_RESTORE_GIVE_BACK_OWNERSHIP:
            if (takeOwnership_) {
                giveBack_ = !giveBack_;
            }
            break;
        default:
            break;
    }
}

void RestoreForm::ApplyTo(EditSettings& settings) const {
    settings.autoTakeOwnership = takeOwnership_;
    settings.giveBackOwnership = takeOwnership_ && giveBack_;
}

ModifyAceForm::ModifyAceForm(std::uint32_t mask, std::uint8_t flags, std::uint8_t type)
    : original_(mask), flags_(flags), type_(type) {
    const auto& rights = namedRights();
    for (std::size_t i = 0; i < rights.size(); ++i) {
        rights_[i] = rights[i].mask != 0 && (mask & rights[i].mask) == rights[i].mask;
    }
}

bool ModifyAceForm::checked(int id) const {
    if (id == IDC_MODIFY_ACE_ALLOW) {
        return type_ != 1;
    }
    if (id == IDC_MODIFY_ACE_DENY) {
        return type_ == 1;
    }
    if (id == IDC_MODIFY_ACE_INHERITED) {
        return (flags_ & 0x10) != 0;
    }
    const int box = Box(id);
    if (box >= 0) {
        return (flags_ & kFlagOfBox[box]) != 0;
    }
    const int right = id - IDC_MODIFY_ACE_FIRST_RIGHT;
    return right >= 0 && right < IDC_MODIFY_ACE_RIGHT_COUNT &&
           rights_[static_cast<std::size_t>(right)];
}

bool ModifyAceForm::enabled(int id) const {
    return id != IDC_MODIFY_ACE_INHERITED;
}

void ModifyAceForm::Click(int id) {
    if (id == IDC_MODIFY_ACE_ALLOW || id == IDC_MODIFY_ACE_DENY) {
        type_ = id == IDC_MODIFY_ACE_DENY ? 1 : 0;
        return;
    }
    const int box = Box(id);
    if (box >= 0) {
        flags_ = static_cast<std::uint8_t>(flags_ ^ kFlagOfBox[box]);
        return;
    }
    const int right = id - IDC_MODIFY_ACE_FIRST_RIGHT;
    if (right < 0 || right >= IDC_MODIFY_ACE_RIGHT_COUNT) {
        return;
    }
    // "all" stands for the standard and specific rights under it: it and
    // they are checked together, and it is checked exactly when they all are.
    const auto& rights = namedRights();
    const std::uint32_t all = rights[0].mask;
    const bool on = !rights_[static_cast<std::size_t>(right)];
    rights_[static_cast<std::size_t>(right)] = on;
    bool every = true;
    for (std::size_t i = 1; i < rights.size(); ++i) {
        if ((rights[i].mask & ~all) != 0) {
            continue;
        }
        if (right == 0) {
            rights_[i] = on;
        }
        every = every && rights_[i];
    }
    rights_[0] = every;
}

std::uint32_t ModifyAceForm::mask() const {
    const auto& rights = namedRights();
    std::uint32_t named = 0;
    std::uint32_t checked = 0;
    for (std::size_t i = 0; i < rights.size(); ++i) {
        named |= rights[i].mask;
        if (rights_[i]) {
            checked |= rights[i].mask;
        }
    }
    return (original_ & ~named) | checked;
}

}  // namespace quorel
