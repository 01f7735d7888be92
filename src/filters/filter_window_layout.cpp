#include "filters/filter_window_layout.h"

#include <array>

#include "filters/permissions.h"

namespace quorel {

namespace filter_window {
std::optional<SlotControl> SlotOfControl(int id) {
    if (id < kSubject || id > kPlus + kSlotStep * 6) {
        return std::nullopt;
    }
    const int part = (id - kSubject) % kSlotStep + kSubject;
    if (part > kPlus) {
        return std::nullopt;
    }
    return SlotControl{(id - kSubject) / kSlotStep, static_cast<SlotPart>(part)};
}
}  // namespace filter_window

std::vector<WindowControl> DynamicFilterWindowControls(int w, int h, int l) {
    using namespace filter_window;
    std::vector<WindowControl> c = {
        {-1, ControlKind::GroupBox, L"Static Filters", 10, 5, w - 30, 90},
        {kStaticList, ControlKind::DropDownList, L"", 20, 40, w - 50, 20},
        {-1, ControlKind::GroupBox,
         L"Dynamic Filters (click \"+\" to define a filter; \"-\" to remove)", 10, 100, w - 30,
         h - 150},
    };
    for (int k = 0; k < 7; ++k) {
        const int y = 130 + 40 * k;
        c.push_back({SlotControlId(k, kSubject), ControlKind::SubjectBox, L"", 20, y, 180, 20});
        c.push_back({SlotControlId(k, kOperator), ControlKind::SortedList, L"", 220, y, 180, 20});
        c.push_back(
            {SlotControlId(k, kPermission), ControlKind::DropDownList, L"", 420, y, 180, 20});
        c.push_back({SlotControlId(k, kEdit), ControlKind::Edit, L"", 420, y, 180, 20});
        c.push_back({SlotControlId(k, kMinus), ControlKind::PushButton, L"-", 660, y, 20, 20});
        c.push_back({SlotControlId(k, kPlus), ControlKind::PushButton, L"+", 620, y, 20, 20});
    }
    c.push_back({kScrollBar, ControlKind::VerticalScrollBar, L"", w - 20, l / 2 + 100, 20,
                 h - l / 2 - 150});
    c.push_back({kAnd, ControlKind::RadioButton, L"AND (All filters match)", 10, h - 50, 300, 20});
    c.push_back(
        {kOr, ControlKind::RadioButton, L"OR (At least one filter matches)", 10, h - 30, 300, 20});
    c.push_back({kOk, ControlKind::DefaultButton, L"OK", w - 180, h + l - 52, 72, 24});
    c.push_back({kCancel, ControlKind::PushButton, L"Cancel", w - 90, h + l - 52, 72, 24});
    return c;
}

namespace {
// The check box ids in the order of namedRights().
constexpr std::array<int, 19> kRightBoxIds = {10, 23, 24, 26, 25, 11, 12, 13, 14, 15,
                                              16, 17, 18, 19, 20, 21, 22, 28, 29};
}  // namespace

int RightCheckBoxId(std::size_t right) {
    return right < kRightBoxIds.size() ? kRightBoxIds[right] : -1;
}

std::optional<std::size_t> RightOfCheckBox(int id) {
    for (std::size_t r = 0; r < kRightBoxIds.size(); ++r) {
        if (kRightBoxIds[r] == id) {
            return r;
        }
    }
    return std::nullopt;
}

const std::vector<WindowControl>& PermissionWindowControls() {
    static const std::vector<WindowControl> controls = [] {
        using namespace rights_window;
        std::vector<WindowControl> c = {
            {-1, ControlKind::GroupBox, L"Select Permissions to Display", 10, 10, 300, 410},
            {kOk, ControlKind::DefaultButton, L"OK", 158, 440, 72, 24},
            {kCancel, ControlKind::PushButton, L"Cancel", 238, 440, 72, 24},
            {kInfo, ControlKind::PushButton, L"?", 260, 50, 24, 80},
        };
        const auto& named = namedRights();
        for (std::size_t r = 0; r < named.size(); ++r) {
            // The generic rights' labels are the long ones.
            const int width = r < 4 ? 230 : (r == 4 ? 240 : 200);
            c.push_back({kRightBoxIds[r], ControlKind::CheckBox, named[r].selectionLabel, 20,
                         30 + 20 * static_cast<int>(r), width, 20});
        }
        return c;
    }();
    return controls;
}

}  // namespace quorel
