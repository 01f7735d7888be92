#pragma once

// The main window's matrix without the window: the view state (scrolling,
// wheel speed, complete path, modifier key), the selection, the clicks in
// the cells and the screen model of the last layout. The window procedure
// hands it messages (commands go to MainCommands); each call returns what
// the window must do
// (view_change bits and the ones below), and the window then does only
// that: set a scroll box, show the find bar, lay out and paint the model.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/menu_model.h"
#include "view/hit_test.h"
#include "view/line_layout.h"
#include "view/screen_model.h"
#include "view/selection.h"
#include "view/view_state.h"

namespace quorel {

class EditCommands;
class ViewSession;
class WriteModeGate;
struct CommandResult;
struct EditFocus;

// Requests of the main view beyond view_change's.
namespace main_view_change {
constexpr unsigned kFindBar = 32;        // show or hide the find bar for find mode
constexpr unsigned kFocusFindText = 64;  // give the find text edit the focus
constexpr unsigned kMenu = 128;          // menu states changed
constexpr unsigned kQuit = 256;          // the user confirmed Exit: close the window
}  // namespace main_view_change

class MainView {
  public:
    MainView(ViewSession& view, EditCommands& edits, WriteModeGate& gate);

    MainViewState& state() { return state_; }
    const MainViewState& state() const { return state_; }
    Selection& selection() { return selection_; }
    const ScreenModel& screen() const { return screen_; }

    // After a command of the controller: a rebuilt display list goes back
    // to the top; a new dataset makes the selection forget its entries.
    unsigned AfterControllerCommand(const CommandResult& result);
    // At window creation, once the controller has its data.
    unsigned Start();

    unsigned OnVerticalScroll(int code, int thumb);
    unsigned OnHorizontalScroll(int code, int thumb);
    unsigned OnMouseWheel(int delta);
    unsigned OnMiddleButton();
    void OnKeyDown(int virtualKey) { state_.OnKeyDown(virtualKey); }
    void OnKeyUp(int virtualKey) { state_.OnKeyUp(virtualKey); }
    // A left click at (x, y) of the drawing area. Outside the cells it
    // selects; in a cell it would edit, which this view does not do.
    unsigned OnLeftButton(int x, int y);
    // A double click: on an ACE line it selects the line and returns true
    // (the caller runs "MODIFYACE" for that ACE).
    bool OnDoubleClick(int x, int y);
    // The line the user works on.
    EditFocus focus() const;
    // The display list was rebuilt: back to the top, and a new dataset makes
    // the selection forget its entries.
    unsigned resetScroll();
    // After an edit: entries were read again, their ACE records replaced.
    unsigned afterEdit();
    // The error window's jump: entry `index` of the display list at the top.
    unsigned ShowLine(std::size_t index);

    // One layout pass with `metrics` into the screen model; the view then
    // adopts the normalised top.
    void Layout(const LayoutMetrics& metrics, const TextMeasure& measure);

    // What the menu shows of the view.
    MenuViewFlags menuFlags() const;

  private:
    // A click in a cell of an ACE line.
    void editCell(const ClickTarget& target);

    ViewSession& view_;
    EditCommands& edits_;
    WriteModeGate& gate_;
    MainViewState state_;
    Selection selection_;
    ScreenModel screen_;
    // The view session's entries generation the selection belongs to.
    std::uint64_t generation_ = 0;
};

}  // namespace quorel
