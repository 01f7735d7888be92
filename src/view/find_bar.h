#pragma once

// The find bar at the bottom of the drawing area: its controls, where they
// sit, and the label painted beside them. Shown only in find mode, when the
// layout leaves the bottom two lines to it.

#include <array>
#include <string_view>

namespace quorel {

namespace find_bar {
constexpr int kText = 14;              // edit control, up to 20000 characters read
constexpr int kPrevious = 15;          // "find prev"
constexpr int kNext = 16;              // "find next", the default button
constexpr int kHighlight = 17;         // check box "highlight"
constexpr int kShowMatchingOnly = 18;  // check box "show matching only"
constexpr int kEnterCommand = 50074;   // Enter: "find next" while find mode is on
constexpr int kFindModeCommand = 50026;
constexpr int kMaxText = 20000;
}  // namespace find_bar

struct ControlPlace {
    int id;
    const wchar_t* text;  // the control's text; empty for the edit control
    int x, y, width, height;
    // Texts compare by their characters: equal literals need not share one
    // address (they do not in a debug build).
    friend bool operator==(const ControlPlace& a, const ControlPlace& b) {
        return a.id == b.id && std::wstring_view(a.text) == std::wstring_view(b.text) &&
               a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    }
};

// The five controls for a drawing area of height H: as WM_CREATE makes them
// (`atCreation`), or as WM_SIZE places them.
std::array<ControlPlace, 5> FindBarPlaces(int drawingHeight, bool atCreation);

// The label "Find", painted at (10, H - 28) in find mode.
struct FindLabel {
    int x, y;
    const wchar_t* text;
};
FindLabel FindBarLabel(int drawingHeight);

}  // namespace quorel
