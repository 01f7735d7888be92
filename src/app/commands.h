#pragma once

// The commands of the main window in one table (commands.cpp): for each
// command id its handler, whether it passes the write-mode gate, the rules
// of its menu item (enabled, checked, text) and its place on the context
// menu. Dispatch, the main menu's states and the context menu are all read
// from that table: a new command is one entry and its handler.

#include <string>
#include <vector>

#include "app/command_result.h"
#include "app/menu_model.h"

namespace quorel {

class AppController;
class MainView;

// One item of the matrix's context menu; id 0 is a separator.
struct ContextMenuItem {
    int id;
    const wchar_t* text;
};

class MainCommands {
  public:
    MainCommands(AppController& app, MainView& view) : app_(app), view_(view) {}

    // Whether the table has command `id`.
    static bool Has(int id);
    // Runs command `id` (`findText` is the find bar's text now) and returns
    // what the window must do: view_change and main_view_change bits
    // (kQuit when the user confirmed Exit), and the end of the run when a
    // scan could not go on. An id outside the table does nothing.
    CommandOutcome Run(int id, const std::wstring& findText = L"");
    // A double click: on an ACE line "MODIFYACE" for that ACE.
    CommandOutcome OnDoubleClick(int x, int y);
    // The menu items whose state depends on the data and the view, with
    // their enabled and checked states and new texts, in table order.
    std::vector<MainMenuItem> MenuStates(const MenuViewFlags& flags) const;
    // The context menu of a right click, top to bottom.
    static std::vector<ContextMenuItem> ContextMenu();

  private:
    AppController& app_;
    MainView& view_;
};

}  // namespace quorel
