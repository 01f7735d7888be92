#pragma once

namespace quorel {

// What the main window must do after a command of the controller.
struct CommandResult {
    bool resetScroll = false;  // the display list was rebuilt: back to the top
    bool redraw = false;
    bool quit = false;  // the user confirmed Exit
};

}  // namespace quorel
