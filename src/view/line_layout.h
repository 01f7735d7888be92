#pragma once

// The line layout of the ACL matrix: from the display list, the view's top
// position, the metrics and the display switches, the screen model of one
// redraw (view/screen_model.h). Only the lines that fit are laid out: entries
// above the top are never visited and no pass over the dataset is made, so a
// redraw costs one screenful whatever the size of the dataset.
//
// Each entry becomes a block: header, owner/group line, column header (only
// with ACEs), one line per visible ACE (each optionally followed by its group
// member line) and, in compare mode, the struck-out ACEs that only the
// compared entry has. Compare-mode group headings are two lines tall.

#include <functional>
#include <string>
#include <string_view>

#include "view/screen_model.h"

namespace quorel {

class DisplayList;
class DisplayedRights;

// Text extents as the renderer's fonts give them (GetTextExtentPoint32W on
// the memory DC; a fixed width per character in tests).
class TextMeasure {
  public:
    virtual ~TextMeasure() = default;
    virtual int textWidth(std::wstring_view text, Font font) const = 0;
};

// The metrics of one redraw.
struct LayoutMetrics {
    int clientWidth = 0;    // W
    int drawingHeight = 0;  // H: the client height less the status bar
    int lineHeight = 15;    // h: see LineHeightOf
    int columnWidth = 30;   // c: see ColumnWidthOf
    bool findMode = false;  // the find bar covers the bottom two lines
};

// tmHeight + tmExternalLeading of the normal font, at least 15.
int LineHeightOf(int textHeight, int externalLeading);
// The widest abbreviation of the displayed columns in the normal font, plus
// 3, at least 30.
int ColumnWidthOf(const DisplayedRights& rights, const TextMeasure& measure);
// H / h, less 2 in find mode; never below 0.
int LineCountOf(const LayoutMetrics& metrics);

// The horizontal position's range: 0 (left) .. kHScrollMax (all slid left).
constexpr int kHScrollMax = 100;

// The display switches the layout reads.
struct LayoutSwitches {
    bool showCompletePath = true;
    bool compareMode = false;
    int hScroll = 0;  // 0..kHScrollMax
    // Set while group break-down is on and the member table exists: the
    // member text of the group record for a trustee name (exact), or null.
    std::function<const std::wstring*(std::wstring_view trustee)> memberText;
};

// The view's top position: the display-list index of the entry drawn first
// and the lines scrolled inside it.
struct ViewTop {
    int entry = 0;
    int offset = 0;
    friend bool operator==(const ViewTop&, const ViewTop&) = default;
};

// L(e): the lines an entry's ACEs take, its visible ACEs and, in compare
// mode, the visible ACEs of its partner that have no counterpart.
int AceLineCount(const CDirEntry& entry, bool compareMode);

// Moves the top one entry on once the offset runs past the entry's lines
// (and back once it runs above them). A top at the list's terminating slot
// moves to the last entry; an empty list leaves the top at 0.
ViewTop NormaliseTop(const DisplayList& lines, ViewTop top, bool compareMode);

// One layout pass: normalises `top` and lays out the screen into `out`
// (whose storage is reused from pass to pass).
void LayOutScreen(const DisplayList& lines, ViewTop top, const LayoutMetrics& metrics,
                  const LayoutSwitches& switches, const DisplayedRights& rights,
                  const TextMeasure& measure, ScreenModel& out);

}  // namespace quorel
