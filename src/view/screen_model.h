#pragma once

// The screen model of the ACL matrix: everything one redraw paints, as plain
// data. The line layout (view/line_layout.h) fills it; the GDI renderer paints
// it into the memory bitmap and decides nothing; hit-testing reads its line
// table and geometry back.
//
// Units: pixels of the drawing area, origin at its top left, x to the right,
// y down. Colours are COLORREF values, 0x00BBGGRR.
//
// Painting order: the lines in `lines` order, and for each line its
// background, then its texts, cells, segments and pixels. Lines never
// overlap, but a header's corner pixels reach up to four rows into the line
// above it, so a later line must be painted after an earlier one.

#include <cstdint>
#include <string>
#include <vector>

namespace quorel {

class AceRecord;
class CDirEntry;

using Colour = std::uint32_t;  // COLORREF, 0x00BBGGRR

namespace colour {
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;
constexpr Colour kGrey = 0x999999;  // the grey pen: borders, top lines, corners
}  // namespace colour

// The three fonts of the main window (LOGFONT height 14 weight 400, the same
// with weight 800, and height 32 weight 400; face "MS Shell Dlg").
enum class Font : std::uint8_t { Normal, Bold, Large };

// The bitmap resources of the cells, by resource name.
enum class Bitmap : std::uint8_t {
    HookOn,          // "HOOKON", 14 x 14
    HookOff,         // "HOOKOFF", 14 x 14
    HookOnBlue,      // "HOOKONBLUE", 14 x 14: a cell that differs from the compared ACE
    HookOffBlue,     // "HOOKOFFBLUE", 14 x 14
    FilesBlack,      // "FILESBLACK", 31 x 14
    FilesGhosted,    // "FILESGHOSTED", 31 x 14
    FoldersBlack,    // "FOLDERSBLACK", 31 x 14
    FoldersGhosted,  // "FOLDERSGHOSTED", 31 x 14
};

enum class LineKind : std::uint8_t {
    Heading,       // a compare-mode group heading, two lines tall
    Header,        // an entry's path or name
    OwnerGroup,    // "   name" and "O: owner   G: group"
    ColumnHeader,  // the flag and permission column titles
    Ace,           // one visible ACE of the entry
    GroupMember,   // the member text of the ACE line above it
    DeletedAce,    // an ACE only the compared entry has, struck out
    Closing,       // the grey line below the last block; no height, no background
};

// One text, drawn with TextOut at (x, y) in `font` on the line's background,
// clipped to the columns clipLeft <= x' < clipRight (and to the line's rows).
// x already holds any sliding by the horizontal position.
struct TextItem {
    int x;
    int y;
    int clipLeft;
    int clipRight;
    Font font;
    std::wstring text;
};

// One bitmap, drawn at (x, y) with its size (14 x 14 or 31 x 14).
struct CellItem {
    int x;
    int y;
    Bitmap bitmap;
    friend bool operator==(const CellItem&, const CellItem&) = default;
};

// A straight line drawn with MoveToEx(x1, y1) and LineTo(x2, y2) in a solid
// pen of width 0 and `colour`: the end point itself is not painted.
struct Segment {
    int x1;
    int y1;
    int x2;
    int y2;
    Colour colour;
    friend bool operator==(const Segment&, const Segment&) = default;
};

// One pixel set with SetPixel: the rounded corners at block boundaries.
struct Pixel {
    int x;
    int y;
    Colour colour;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

// One screen line. Its texts, cells, segments and pixels are the ranges
// [first*, first* + *Count) of the model's arrays.
struct ScreenLine {
    LineKind kind;
    int y;       // top row
    int height;  // rows painted with `background`, from x = 0 to the client width
    Colour background;
    std::uint32_t firstText, textCount;
    std::uint32_t firstCell, cellCount;
    std::uint32_t firstSegment, segmentCount;
    std::uint32_t firstPixel, pixelCount;
};

// What a click on a screen line reaches: (entry, ACE) on an ACE line,
// (entry, null) on an entry's header, owner, column-header and group-member
// lines, (null, null) on headings, deleted ACEs and empty space. `index` is
// the entry's position in the display list (-1 with no entry).
struct LineSlot {
    CDirEntry* entry = nullptr;
    AceRecord* ace = nullptr;
    int index = -1;
    friend bool operator==(const LineSlot&, const LineSlot&) = default;
};

// The horizontal geometry of the last layout, kept for hit-testing.
struct HitGeometry {
    int firstColumnX = 350;         // x of permission column 0: permStart - shift
    int firstColumnXClamped = 350;  // the same, at least 100
    int columnWidth = 30;           // c
    int columnCount = 0;            // N
    int lineHeight = 15;            // h
};

struct ScreenModel {
    int width = 0;       // client width W
    int lineHeight = 0;  // h
    int lineCount = 0;   // lines that fit: H / h, less 2 in find mode
    // The top position after normalisation; the view adopts it.
    int topEntry = 0;
    int lineOffset = 0;
    // Lines holding content from the top; the rest of the drawing area is
    // white (a closing line, when drawn, sits at linesUsed x h).
    int linesUsed = 0;

    std::vector<ScreenLine> lines;
    std::vector<TextItem> texts;
    std::vector<CellItem> cells;
    std::vector<Segment> segments;
    std::vector<Pixel> pixels;
    // One slot per screen line, H / h + 10 of them; slot i covers the rows
    // i x h to (i + 1) x h - 1.
    std::vector<LineSlot> lineTable;
    HitGeometry geometry;
};

}  // namespace quorel
