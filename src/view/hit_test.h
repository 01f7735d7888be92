#pragma once

// Where a left click on the matrix lands, from the line table and geometry
// the last layout stored.

#include "view/screen_model.h"

namespace quorel {

enum class ClickAction : std::uint8_t {
    None,    // no entry on that line: nothing happens
    Select,  // outside the cells: the selecting click
    Edit,    // in a permission or inheritance cell: the write-mode gate first
};

struct ClickTarget {
    int line = 0;
    int column = -1;  // permission column, or -1
    int cell = 0;     // inheritance cell (cell_geometry::kInheritanceCells): 1 inherited,
                      // 2 inherit only, 3 files, 4 folders, 5 don't propagate; 0 none
    LineSlot slot;
    ClickAction action = ClickAction::None;
};

// The click at client (x, y). A point more than 14 pixels into a column, or
// right of the last column, is in no column; on a file only the inherited
// cell counts.
ClickTarget HitTest(const ScreenModel& model, int x, int y);

}  // namespace quorel
