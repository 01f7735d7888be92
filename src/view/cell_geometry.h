#pragma once

// The horizontal geometry of the matrix cells, which the line layout draws
// and hit-testing reads back: one table, so that a click lands on the cell
// drawn under it.

#include <cstdint>

#include "platform/security_descriptor.h"
#include "view/screen_model.h"

namespace quorel::cell_geometry {

// The leftmost x of a drawn cell and of a clickable column: left of it lie
// the trustee texts.
constexpr int kCellFloor = 100;
// The width of the inheritance cells' block, left of permission column 0.
constexpr int kInheritanceBlock = 250;
// The width of a hook bitmap (14 x 14) and of the files and folders bitmaps
// (31 x 14). A click counts in a cell from its x to x + width, both included.
constexpr int kHookWidth = 14;
constexpr int kWideWidth = 31;

// One inheritance cell of an ACE line: the ACE flag it shows, where it sits
// and the bitmaps for the flag set and clear.
struct InheritanceCell {
    int number;         // ClickTarget::cell: 1 inherited ... 5 don't propagate
    int offset;         // x from the block's left edge
    int width;          // clickable from offset to offset + width
    std::uint8_t flag;  // the ace_flag bit
    Bitmap set;
    Bitmap clear;
    bool directoryOnly;  // drawn and clickable on a directory's ACE lines only
};

// Left to right: inherited, inherit only, files, folders, don't propagate.
constexpr InheritanceCell kInheritanceCells[] = {
    {1, 0, kHookWidth, ace_flag::kInherited, Bitmap::HookOn, Bitmap::HookOff, false},
    {2, 48, kHookWidth, ace_flag::kInheritOnly, Bitmap::HookOn, Bitmap::HookOff, true},
    {3, 97, kWideWidth, ace_flag::kObjectInherit, Bitmap::FilesBlack, Bitmap::FilesGhosted, true},
    {4, 129, kWideWidth, ace_flag::kContainerInherit, Bitmap::FoldersBlack, Bitmap::FoldersGhosted,
     true},
    {5, 194, kHookWidth, ace_flag::kNoPropagate, Bitmap::HookOn, Bitmap::HookOff, true},
};

// The cell numbered `number` (1..5), or null.
constexpr const InheritanceCell* inheritanceCell(int number) {
    for (const InheritanceCell& c : kInheritanceCells) {
        if (c.number == number) {
            return &c;
        }
    }
    return nullptr;
}

}  // namespace quorel::cell_geometry
