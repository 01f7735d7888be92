#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorel {

// The state of one item of the main menu: the window applies it as it is.
struct MainMenuItem {
    int id = 0;
    bool enabled = true;
    bool checked = false;
    std::optional<std::wstring> text;  // a new text, when the item's text changes
};

// What the main window keeps and the menu shows.
struct MenuViewFlags {
    bool showCompletePath = true;
    int wheelMode = 2;  // 0 slow, 1 normal, 2 fast
    // The last clicked entry exists and is a directory ("&Inherit ACL").
    bool lastClickedIsDirectory = false;
};

// The text of "&Directory Depth" (50044) for a displayed depth: "Depth %ld",
// or "Depth " and the infinity sign for 0 (unlimited).
std::wstring DepthMenuText(std::uint32_t depth);

}  // namespace quorel
