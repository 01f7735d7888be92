#pragma once

// The main window's view state: which part of the display list is on screen
// (top entry and line offset, the vertical scroll box), the horizontal
// position, the wheel speed, the complete-path switch and the modifier key.
// Operations return what the window must do with the result (set a scroll
// box, redraw, show a status word); nothing here touches a window.

#include <cstdint>

#include "view/line_layout.h"
#include "view/selection.h"

namespace quorel {

class CDirEntry;

// Scroll bar request codes, with the values of the WM_VSCROLL and
// WM_HSCROLL notifications (SB_LINEUP = SB_LINELEFT, ...).
namespace scroll_code {
constexpr int kLineUp = 0;  // SB_LINEUP, SB_LINELEFT
constexpr int kLineDown = 1;
constexpr int kPageUp = 2;
constexpr int kPageDown = 3;
constexpr int kThumbPosition = 4;
constexpr int kThumbTrack = 5;
}  // namespace scroll_code

// The key commands of the accelerator table.
namespace view_command {
constexpr int kScrollRight = 50038;
constexpr int kScrollLeft = 50039;
constexpr int kLineUp = 50040;
constexpr int kLineDown = 50041;
constexpr int kPageUp = 50042;
constexpr int kPageDown = 50043;
constexpr int kWheelHigh = 50066;
constexpr int kWheelNormal = 50067;
constexpr int kWheelLow = 50068;
}  // namespace view_command

// Menu ids of the static filters, in filter order 1..8.
constexpr int kStaticFilterMenuIds[8] = {50020, 50021, 50022, 50023, 50024, 50025, 50045, 50046};

// Virtual-key codes of the modifier keys (VK_SHIFT, VK_CONTROL).
constexpr int kKeyShift = 0x10;
constexpr int kKeyControl = 0x11;

enum WheelMode : std::uint8_t { kWheelSlow = 0, kWheelNormal = 1, kWheelFast = 2 };

// What an operation asks of the window, as bits.
namespace view_change {
constexpr unsigned kNone = 0;
constexpr unsigned kRedraw = 1;         // Redraw, then adopt the layout's normalised top
constexpr unsigned kVerticalBox = 2;    // SetScrollPos(SB_VERT, vScrollPos())
constexpr unsigned kVerticalRange = 4;  // SetScrollRange(SB_VERT, 0, vScrollMax())
constexpr unsigned kHorizontalBox = 8;  // SetScrollPos(SB_HORZ, hScroll())
constexpr unsigned kWheelWord = 16;     // status part 1: wheelWord(); the wheel items' checks
}  // namespace view_change

class MainViewState {
  public:
    // Above this many display-list slots the vertical scroll bar runs
    // 0..10000 and maps proportionally.
    static constexpr unsigned kScrollSteps = 10000;

    ViewTop top() const { return {topEntry_, lineOffset_}; }
    int topEntry() const { return topEntry_; }
    int lineOffset() const { return lineOffset_; }
    int vScrollMax() const { return vScrollMax_; }
    int vScrollPos() const { return vScrollPos_; }
    int hScroll() const { return hScroll_; }
    WheelMode wheelMode() const { return wheelMode_; }
    // 1 while Ctrl is down, 2 while Shift is down, else 0.
    std::uint8_t modifierKey() const { return modifierKey_; }
    bool showCompletePath() const { return showCompletePath_; }

    // After a rebuild of the display list (`count` slots, the end slot
    // included): back to the first line, the scroll range for the count.
    // Returns kVerticalBox | kVerticalRange | kRedraw.
    unsigned ResetScroll(unsigned count);
    // Clamps the top entry to 0..count - 2 and puts the scroll box on it.
    void SetVerticalFromTop();
    // The top position the layout normalised to; the scroll box follows.
    void AdoptTop(ViewTop top);
    // Find next/previous moved the top to `entry`: line offset 0.
    unsigned MoveTopTo(int entry);

    // WM_VSCROLL with its request code and thumb position.
    unsigned OnVerticalScroll(int code, int thumb);
    // WM_HSCROLL.
    unsigned OnHorizontalScroll(int code, int thumb);
    // The key commands 50038-50043; kNone for any other id.
    unsigned OnKeyCommand(int id);
    // WM_MOUSEWHEEL with the signed wheel delta (120 a notch).
    unsigned OnMouseWheel(int delta);
    // WM_MBUTTONUP: slow, normal, fast, slow, ...
    unsigned OnMiddleButton();
    // "High" (50066), "Normal" (50067), "Low" (50068); kNone for other ids.
    unsigned OnWheelMenu(int id);
    // "Fast Scroll", "Normal Scroll" or "Slow Scroll".
    const wchar_t* wheelWord() const;

    // "Show Complete Path" (50027); returns the status text.
    const wchar_t* ToggleShowCompletePath();

    void OnKeyDown(int virtualKey);
    void OnKeyUp(int virtualKey);

    // The entry of the last clicked line.
    CDirEntry* lastClickedEntry = nullptr;

  private:
    unsigned moveVertically(int entryDelta, int offsetDelta, bool resetOffset);

    int topEntry_ = 0;
    int lineOffset_ = 0;
    unsigned displayCount_ = 0;
    int vScrollMax_ = 0;
    int vScrollPos_ = 0;
    int hScroll_ = 0;
    WheelMode wheelMode_ = kWheelFast;
    std::uint8_t modifierKey_ = modifier_key::kNone;
    bool showCompletePath_ = true;
};

}  // namespace quorel
