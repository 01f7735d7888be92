#include "view/hit_test.h"

#include "core/dir_entry.h"

namespace quorel {

namespace {

// The inheritance cell under x, with inh the x of the inherited cell.
int inheritanceCell(int x, int inh) {
    struct Range {
        int from, to, cell;
    };
    static constexpr Range kCells[] = {
        {0, 14, 1}, {48, 62, 2}, {97, 128, 3}, {129, 160, 4}, {194, 208, 5}};
    for (const Range& r : kCells) {
        if (x >= inh + r.from && x <= inh + r.to) {
            return r.cell;
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
        t.cell = x < 100 ? 0 : inheritanceCell(x, g.firstColumnX - 250);
    } else {
        const int into = x - g.firstColumnX;
        t.column = into / g.columnWidth;
        // A click beside the last column reaches no column (and no
        // permission beyond the displayed ones).
        if (into - t.column * g.columnWidth > 14 || t.column >= g.columnCount) {
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
    if (!t.slot.entry->isDirectory() && t.cell != 1) {
        t.cell = 0;
    }
    t.action = t.column == -1 && t.cell == 0 ? ClickAction::Select : ClickAction::Edit;
    return t;
}

}  // namespace quorel
