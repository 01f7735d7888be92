#include "filters/permission_selection.h"

#include <algorithm>
#include <string>

#include "filters/permissions.h"
#include "platform/interaction_port.h"

namespace quorel {

namespace {
// The rows of namedRights() that name one bit of FILE_ALL_ACCESS (ex .. sync):
// the generic rights sit between `all` and them.
constexpr std::size_t kFirstSingleBit = 5;
}  // namespace

PermissionSelection::PermissionSelection(DisplayedRights& rights, InteractionPort& ui)
    : rights_(rights), ui_(ui) {
    for (std::size_t c = 0; c < rights.count(); ++c) {
        std::size_t r = 0;
        for (const NamedRight& named : namedRights()) {
            if (named.mask == rights.column(c).mask) {
                checked_[r] = true;
            }
            ++r;
        }
    }
}

void PermissionSelection::Click(std::size_t right) {
    if (right >= kCount) {
        return;
    }
    if (right != kAll) {
        checked_[right] = !checked_[right];
        return;
    }
    const bool set = !checked_[kAll];
    checked_[kAll] = set;
    std::fill(checked_.begin() + kFirstSingleBit, checked_.end(), set);
}

void PermissionSelection::ShowGenericInfo() {
    ui_.showMessage(std::wstring(kGenericFlagsInfoText), std::wstring(kGenericFlagsInfoCaption),
                    MessageIcon::None, MessageButtons::Ok);
}

void PermissionSelection::Ok() {
    DisplayedRights& rights = rights_;
    rights.clear();
    std::size_t r = 0;
    for (const NamedRight& named : namedRights()) {
        if (checked_[r++]) {
            rights.AppendRightColumn(named.mask, named.abbreviation);
        }
    }
    rights.setBasicPermissionMode(false);
    outcome_ = Outcome::Ok;
}

}  // namespace quorel
