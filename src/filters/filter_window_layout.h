#pragma once

// Where the controls of the two windows of the filters sit: the dynamic
// filter window and the permission selection window. Places are client
// coordinates at 96 DPI; the windows scale them.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace quorel {

enum class ControlKind {
    GroupBox,
    DropDownList,  // a list to choose from
    SubjectBox,    // a drop-down combo box that also takes a typed name (sorted)
    SortedList,    // a drop-down list that shows its items sorted
    Edit,
    PushButton,
    DefaultButton,
    VerticalScrollBar,
    RadioButton,
    CheckBox,  // plain: the window sets the mark itself
};

struct WindowControl {
    int id;  // -1 for a group box
    ControlKind kind;
    std::wstring_view text;
    int x, y, width, height;
};

namespace filter_window {
constexpr int kWidth = 720;  // the window, frame included
constexpr int kHeight = 480;
constexpr int kStaticList = 500;
constexpr int kScrollBar = 7;
constexpr int kAnd = 300;
constexpr int kOr = 301;
constexpr int kOk = 400;
constexpr int kCancel = 401;
// Slot k's controls are these ids + 28 k.
enum SlotPart : int {
    kSubject = 13,
    kOperator = 14,
    kPermission = 15,
    kEdit = 16,
    kMinus = 17,
    kPlus = 18
};
constexpr int kSlotStep = 28;
constexpr int SlotControlId(int slot, SlotPart part) {
    return part + kSlotStep * slot;
}
struct SlotControl {
    int slot;
    SlotPart part;
};
// The slot and part of a control id, if it is one of the slots'.
std::optional<SlotControl> SlotOfControl(int id);
}  // namespace filter_window

// Every control of the dynamic filter window for a client area of W x H and
// a text line height L (all at 96 DPI): the static part, then slot 0's six
// controls, slot 1's, ... slot 6's, then the scroll bar, the radio buttons
// and the buttons.
std::vector<WindowControl> DynamicFilterWindowControls(int clientWidth, int clientHeight,
                                                       int lineHeight);

namespace rights_window {
constexpr int kWidth = 325;  // the window, frame included
constexpr int kHeight = 510;
constexpr int kOk = 2;
constexpr int kCancel = 3;
constexpr int kInfo = 27;  // "?"
}  // namespace rights_window

// Every control of the permission selection window: the group box, OK,
// Cancel, "?", then the nineteen check boxes in the order of namedRights().
const std::vector<WindowControl>& PermissionWindowControls();
// The check box id of named right `right` (order of namedRights()), and back.
int RightCheckBoxId(std::size_t right);
std::optional<std::size_t> RightOfCheckBox(int id);

}  // namespace quorel
