#include "view/hit_test.h"

#include "core/dir_entry.h"
#include "view/cell_geometry.h"

namespace quorel {

namespace {

// The number of the inheritance cell under x, with inh the x of the
// inheritance block; 0 for none.
int inheritanceCellAt(int x, int inh) {
    for (const cell_geometry::InheritanceCell& c : cell_geometry::kInheritanceCells) {
        if (x >= inh + c.offset && x <= inh + c.offset + c.width) {
            return c.number;
        }
    }
    return 0;
}

}  // namespace

ClickTarget HitTest(const ScreenModel& model, int x, int y) {
    const HitGeometry& g = model.geometry;
    ClickTarget t;
    if (y < 0 || g.lineHeight <= 0 || g.columnWidth <= 0) {
        return t;
    }
    t.line = y / g.lineHeight;
    if (x < g.firstColumnXClamped) {
        t.column = -1;
        t.cell = x < cell_geometry::kCellFloor
                     ? 0
                     : inheritanceCellAt(x, g.firstColumnX - cell_geometry::kInheritanceBlock);
    } else {
        const int into = x - g.firstColumnX;
        t.column = into / g.columnWidth;
        // A click beside the last column reaches no column (and no
        // permission beyond the displayed ones).
        if (into - t.column * g.columnWidth > cell_geometry::kHookWidth ||
            t.column >= g.columnCount) {
            t.column = -1;
        }
    }
    if (t.line >= static_cast<int>(model.lineTable.size())) {
        return t;
    }
    t.slot = model.lineTable[static_cast<std::size_t>(t.line)];
    if (t.slot.entry == nullptr) {
        return t;
    }
    if (t.cell != 0 && !t.slot.entry->isDirectory() &&
        cell_geometry::inheritanceCell(t.cell)->directoryOnly) {
        t.cell = 0;
    }
    t.action = t.column == -1 && t.cell == 0 ? ClickAction::Select : ClickAction::Edit;
    return t;
}

}  // namespace quorel
