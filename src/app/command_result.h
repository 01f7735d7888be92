#pragma once

#include <optional>

#include "platform/process_end.h"

namespace quorel {

// What the main window must do after a command of the controller.
struct CommandResult {
    bool resetScroll = false;  // the display list was rebuilt: back to the top
    bool redraw = false;
    bool quit = false;  // the user confirmed Exit
    // The run cannot go on: the front end shows it and ends the process.
    std::optional<ProcessEnd> end = std::nullopt;
};

// What the window must do after any command of the main window: the view's
// change bits, and the end of the run when it cannot go on.
struct CommandOutcome {
    CommandOutcome(unsigned changesToDo = 0) : changes(changesToDo) {}  // NOLINT: a plain outcome
    unsigned changes;
    std::optional<ProcessEnd> end = std::nullopt;
};

}  // namespace quorel
