#pragma once

// The main window's matrix without the window: the view state (scrolling,
// wheel speed, complete path, modifier key), the selection, the find bar's
// commands and the screen model of the last layout. The window procedure
// hands it messages and commands; each call returns what the window must do
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

class AppController;
class InteractionPort;
struct CommandResult;

// Requests of the main view beyond view_change's.
namespace main_view_change {
constexpr unsigned kFindBar = 32;        // show or hide the find bar for find mode
constexpr unsigned kFocusFindText = 64;  // give the find text edit the focus
constexpr unsigned kMenu = 128;          // menu states changed
}  // namespace main_view_change

// One item of the matrix's context menu; id 0 is a separator.
struct ContextMenuItem {
    int id;
    const wchar_t* text;
};

class MainView {
  public:
    MainView(AppController& app, InteractionPort& ui);

    MainViewState& state() { return state_; }
    const MainViewState& state() const { return state_; }
    Selection& selection() { return selection_; }
    const ScreenModel& screen() const { return screen_; }

    // True for the commands the view handles itself: find mode (50026),
    // complete path (50027), the keys (50038-50043, 50074), the wheel
    // speeds (50066-50068), the selection commands (50071-50073) and the
    // find bar's buttons (15-18).
    static bool IsViewCommand(int id);
    // Runs such a command; `findText` is the find bar's text now.
    unsigned Command(int id, const std::wstring& findText);

    // The edit commands that work on the selection and the focused line:
    // Undo, Copy, Cut, Paste, Combine, Delete, Convert, Take ownership,
    // Eliminate unresolved trustees, Propagate. Each passes the write-mode
    // gate first when it changes an ACL.
    static bool IsEditCommand(int id);
    unsigned EditCommand(int id);

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
    // A double click on an ACE line: "MODIFYACE" for that ACE.
    unsigned OnDoubleClick(int x, int y);
    // The error window's jump: entry `index` of the display list at the top.
    unsigned ShowLine(std::size_t index);

    // One layout pass with `metrics` into the screen model; the view then
    // adopts the normalised top.
    void Layout(const LayoutMetrics& metrics, const TextMeasure& measure);

    // What the menu shows of the view.
    MenuViewFlags menuFlags() const;

    // The context menu of a right click, top to bottom.
    static const std::vector<ContextMenuItem>& ContextMenu();

  private:
    unsigned resetScroll();
    // After an edit: entries were read again, their ACE records replaced.
    unsigned afterEdit();
    // A click in a cell of an ACE line.
    void editCell(const ClickTarget& target);

    AppController& app_;
    InteractionPort& ui_;
    MainViewState state_;
    Selection selection_;
    ScreenModel screen_;
    // The view session's entries generation the selection belongs to.
    std::uint64_t generation_ = 0;
};

}  // namespace quorel
