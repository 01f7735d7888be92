#include "app/commands.h"

#include "app/app_controller.h"
#include "app/main_view.h"
#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "platform/interaction_port.h"
#include "resource.h"
#include "view/find_bar.h"

namespace quorel {

namespace {

using namespace view_change;
using namespace main_view_change;

// What a handler reaches.
struct Scope {
    AppController& app;
    MainView& view;
    const std::wstring& findText;
    int id;
};

using Handler = CommandOutcome (*)(Scope&);

// When the write-mode gate comes: before the handler, or inside it after
// the command's own checks and questions.
enum class Gate : std::uint8_t { None, First, InHandler };

// The rules of a menu item's state. Fixed: the menu never changes the item.
enum class Rule : std::uint8_t {
    Fixed,
    Always,
    Never,
    CompareMode,
    NotCompareMode,
    LiveData,
    LiveDataOnDirectory,
    WriteMode,
    StaticFilter,
    ShowInheritOnly,
    HideInherited,
    CompletePath,
    SelectedColumns,
    BasicColumns,
    DynamicFilters,
    FindMode,
    BreakDown,
    WheelHigh,
    WheelNormal,
    WheelLow,
    UndoAvailable,
};

enum class Text : std::uint8_t { Fixed, Depth, Undo };

// The context menu's two blocks, a separator between them.
enum class Context : std::uint8_t { None, Edits, Buffer };

struct Command {
    int id;
    Handler run;
    Gate gate = Gate::None;
    Rule enabled = Rule::Fixed;
    Rule checked = Rule::Never;
    Text text = Text::Fixed;
    Context context = Context::None;
    const wchar_t* contextText = nullptr;
};

// After a command of the controller: the view follows what it did.
CommandOutcome Followed(Scope& s, const CommandResult& result) {
    CommandOutcome outcome = s.view.AfterControllerCommand(result);
    outcome.end = result.end;
    return outcome;
}

template <CommandResult (AppController::*Method)()>
CommandOutcome Controller(Scope& s) {
    return Followed(s, (s.app.*Method)());
}

CommandOutcome Find(Scope& s) {
    ViewSession& view = s.app.view();
    const bool on = !view.find().findMode;
    view.SetFindMode(on);
    unsigned changes = kFindBar | kMenu | kRedraw;
    if (on) {
        changes |= kFocusFindText;
    } else if (s.app.hasData()) {
        changes |= s.view.resetScroll();
    }
    return changes;
}

CommandOutcome FindStep(Scope& s) {
    ViewSession& view = s.app.view();
    if ((s.id == IDM_FIND_NEXT_KEY && !view.find().findMode) || !s.app.hasData()) {
        return kNone;
    }
    int top = s.view.state().topEntry();
    if (s.id == find_bar::kPrevious) {
        view.FindPrevious(s.findText, top);
    } else {
        view.FindNext(s.findText, top);
    }
    return s.view.state().MoveTopTo(top);
}

CommandOutcome Highlight(Scope& s) {
    if (!s.app.hasData()) {
        return kNone;
    }
    s.app.view().ToggleHighlight(s.findText);
    return kRedraw;
}

CommandOutcome ShowMatchingOnly(Scope& s) {
    if (!s.app.hasData()) {
        return kNone;
    }
    s.app.view().ToggleShowMatchingOnly(s.findText);
    return s.view.resetScroll();
}

CommandOutcome CompletePath(Scope& s) {
    s.app.ui().setStatusText(0, s.view.state().ToggleShowCompletePath());
    return kMenu | kRedraw;
}

CommandOutcome Key(Scope& s) {
    return s.view.state().OnKeyCommand(s.id);
}

CommandOutcome Wheel(Scope& s) {
    return s.view.state().OnWheelMenu(s.id) | kMenu;
}

CommandOutcome SelectAll(Scope& s) {
    s.view.selection().SelectAll(s.app.view().lines());
    return kRedraw;
}

CommandOutcome SelectionToAces(Scope& s) {
    s.view.selection().EntriesToAces(s.app.view().lines());
    return kRedraw;
}

CommandOutcome SelectionToEntries(Scope& s) {
    s.view.selection().AcesToEntries(s.app.view().lines());
    return kRedraw;
}

CommandOutcome StaticFilter(Scope& s) {
    s.app.view().OnStaticFilterCommand(s.id);
    return s.view.AfterControllerCommand({true, true, false});
}

CommandOutcome NewScan(Scope& s) {
    return Followed(s, s.app.NewScanOrRescan(s.id == IDM_RESCAN));
}

CommandOutcome Save(Scope& s) {
    return Followed(s, s.app.Save(s.id == IDM_SAVE_AS));
}

CommandOutcome Exit(Scope& s) {
    const CommandResult result = s.app.Quit();
    return result.quit ? kQuit : s.view.AfterControllerCommand(result);
}

CommandOutcome ProjectSettings(Scope& s) {
    s.app.windows().RunProjectDialog();
    return s.view.AfterControllerCommand({});
}

CommandOutcome ErrorLog(Scope& s) {
    s.app.windows().ShowErrorWindow();
    return s.view.AfterControllerCommand({false, true, false});
}

CommandOutcome About(Scope& s) {
    s.app.windows().ShowAboutDialog();
    return s.view.AfterControllerCommand({});
}

CommandOutcome ShowInheritOnly(Scope& s) {
    ViewSession& view = s.app.view();
    if (!s.app.hasData()) {
        return s.view.AfterControllerCommand({});
    }
    view.SetShowInheritOnlyAces(!view.showInheritOnlyAces());
    return s.view.AfterControllerCommand({true, true, false});
}

CommandOutcome HideInherited(Scope& s) {
    ViewSession& view = s.app.view();
    if (!s.app.hasData()) {
        return s.view.AfterControllerCommand({});
    }
    view.SetHideInheritedAces(!view.hideInheritedAces());
    return s.view.AfterControllerCommand({true, true, false});
}

CommandOutcome BasicColumns(Scope& s) {
    s.app.view().UseBasicPermissionSet();
    return s.view.AfterControllerCommand({false, true, false});
}

CommandOutcome WriteMode(Scope& s) {
    s.app.gate().Toggle();
    return s.view.AfterControllerCommand({});
}

// The edit commands: each ends as an edit does.
CommandOutcome Undo(Scope& s) {
    s.app.edits().Undo();
    return s.view.afterEdit();
}

CommandOutcome CopyAcl(Scope& s) {
    s.app.edits().CopyAcl(s.view.focus());
    return kNone;
}

CommandOutcome CutAcl(Scope& s) {
    s.app.edits().CutAcl(s.view.focus());
    return s.view.afterEdit();
}

CommandOutcome PasteAcl(Scope& s) {
    s.app.edits().PasteAcl();
    return s.view.afterEdit();
}

CommandOutcome CombineAcl(Scope& s) {
    s.app.edits().CombineAcl();
    return s.view.afterEdit();
}

CommandOutcome Convert(Scope& s) {
    s.app.edits().ConvertSelection();
    return s.view.afterEdit();
}

CommandOutcome RepairOrder(Scope& s) {
    s.app.edits().RepairAceOrder();
    return s.view.afterEdit();
}

CommandOutcome EliminateUnresolved(Scope& s) {
    s.app.edits().EliminateUnresolvedTrustees();
    return s.view.afterEdit();
}

CommandOutcome InheritanceFlags(Scope& s) {
    s.app.edits().ChangeInheritanceFlags(s.view.focus(), s.app.windows());
    return s.view.afterEdit();
}

CommandOutcome ModifyAce(Scope& s) {
    s.app.edits().ModifyAce(s.view.focus(), s.app.windows());
    return s.view.afterEdit();
}

CommandOutcome RestorePermissions(Scope& s) {
    s.app.edits().RestorePermissions(s.app.windows());
    return s.view.afterEdit();
}

CommandOutcome PropagateChanges(Scope& s) {
    if (CDirList* dataset = s.app.view().dataset()) {
        s.app.editing().propagation.PropagateChanges(*dataset);
    }
    return s.view.afterEdit();
}

CommandOutcome DeleteAces(Scope& s) {
    if (s.app.ui().showMessage(L"Are you sure you want to delete the selected ACEs?",
                               L"Delete ACEs", MessageIcon::Question,
                               MessageButtons::YesNo) == MessageAnswer::Yes) {
        s.app.edits().DeleteSelectedAces();
    }
    return s.view.afterEdit();
}

CommandOutcome TakeOwnership(Scope& s) {
    if (!s.app.takeOwnershipAvailable()) {
        s.app.ui().showMessage(
            L"This function only works if Quorel is started with "
            L"administrator privileges",
            L"", MessageIcon::Information);
        return kNone;
    }
    if (s.app.gate().Pass()) {
        s.app.edits().TakeOwnershipOfSelection();
    }
    return s.view.afterEdit();
}

CommandOutcome AddAce(Scope& s) {
    if (!s.app.edits().ConfirmMultipleSelection()) {
        return kNone;
    }
    if (s.app.gate().Pass()) {
        s.app.edits().AddAce(s.view.focus(), s.app.windows(), s.app.accountLists());
    }
    return s.view.afterEdit();
}

CommandOutcome InheritAcl(Scope& s) {
    // The gate comes after the checks of the selection.
    AppController& app = s.app;
    if (app.edits().InheritAcl(app.windows(), [&app] { return app.gate().Pass(); })) {
        return s.view.resetScroll() | s.view.afterEdit();
    }
    return s.view.afterEdit();
}

CommandOutcome CopyPath(Scope& s) {
    const CDirEntry* entry = s.view.focus().entry;
    if (entry == nullptr || entry->isHeading) {
        return kNone;
    }
    if (s.app.windows().CopyToClipboard(entry->path())) {
        s.app.ui().setStatusText(0, L"Path copied to the clipboard");
    } else {
        s.app.ui().setStatusText(0, L"The path could not be copied to the clipboard");
    }
    return kNone;
}

// Every command of the main window. The main menu's states come in this
// order; the context menu lists its two blocks in this order.
const Command kCommands[] = {
    // File
    {IDM_NEW_SCAN, NewScan},
    {IDM_RESCAN, NewScan},
    {IDM_OPEN, Controller<&AppController::Open>},
    {IDM_SAVE, Save},
    {IDM_SAVE_AS, Save},
    {IDM_COMPARE_TO, Controller<&AppController::CompareTo>, Gate::None, Rule::NotCompareMode},
    {IDM_END_COMPARE, Controller<&AppController::EndCompare>, Gate::None, Rule::CompareMode},
    {IDM_EXPORT_CSV, Controller<&AppController::ExportCsv>},
    {IDM_SAVE_SETTINGS, Controller<&AppController::SaveSettings>},
    {IDM_LOAD_SETTINGS, Controller<&AppController::LoadSettings>},
    {IDM_SAVE_SETTINGS_AS_DEFAULT, Controller<&AppController::SaveDefaultSettings>},
    {IDM_PROJECT_SETTINGS, ProjectSettings},
    {IDM_PRINT, Controller<&AppController::Print>},
    {IDM_EXIT, Exit},
    // Edit
    {IDM_UNDO, Undo, Gate::None, Rule::UndoAvailable, Rule::Never, Text::Undo},
    {IDM_WRITE_MODE, WriteMode, Gate::None, Rule::LiveData, Rule::WriteMode},
    {IDM_CONVERT_INHERITED, Convert, Gate::First, Rule::LiveData, Rule::Never, Text::Fixed,
     Context::Edits, L"Convert Inherited ACEs to non inherited ACEs"},
    {IDM_ADD_ACE, AddAce, Gate::InHandler, Rule::LiveData, Rule::Never, Text::Fixed, Context::Edits,
     L"Add ACE..."},
    {IDM_INHERIT_ACL, InheritAcl, Gate::InHandler, Rule::LiveDataOnDirectory, Rule::Never,
     Text::Fixed, Context::Edits, L"Inherit ACL..."},
    {IDM_DELETE_ACES, DeleteAces, Gate::First, Rule::LiveData, Rule::Never, Text::Fixed,
     Context::Edits, L"Delete ACEs"},
    {IDM_CHANGE_INHERITANCE_FLAGS, InheritanceFlags, Gate::First, Rule::LiveData, Rule::Never,
     Text::Fixed, Context::Edits, L"Change Inheritance Flags..."},
    {IDM_TAKE_OWNERSHIP, TakeOwnership, Gate::InHandler, Rule::LiveData, Rule::Never, Text::Fixed,
     Context::Edits, L"Try to Get Ownership (needs Admin Privileges)"},
    {IDM_COPY_PATH, CopyPath, Gate::None, Rule::Fixed, Rule::Never, Text::Fixed, Context::Edits,
     L"Copy path"},
    {IDM_CUT, CutAcl, Gate::First, Rule::LiveData, Rule::Never, Text::Fixed, Context::Buffer,
     L"Cut"},
    {IDM_COPY, CopyAcl, Gate::None, Rule::LiveData, Rule::Never, Text::Fixed, Context::Buffer,
     L"Copy"},
    {IDM_PASTE, PasteAcl, Gate::First, Rule::LiveData, Rule::Never, Text::Fixed, Context::Buffer,
     L"Paste"},
    {IDM_COMBINE, CombineAcl, Gate::First, Rule::LiveData, Rule::Never, Text::Fixed,
     Context::Buffer, L"Combine"},
    {IDM_REPAIR_ACE_ORDER, RepairOrder, Gate::First, Rule::LiveData},
    {IDM_PROPAGATE_CHANGES, PropagateChanges, Gate::First, Rule::LiveData},
    {IDM_MODIFY_ACE, ModifyAce, Gate::First},
    {IDM_ELIMINATE_UNRESOLVED, EliminateUnresolved, Gate::First},
    {IDM_RESTORE_PERMISSIONS, RestorePermissions, Gate::First, Rule::CompareMode},
    // View: the static filters
    {IDM_FILTER_SHOW_ALL, StaticFilter, Gate::None, Rule::Always, Rule::StaticFilter},
    // "deviate from directory" needs live data as the editing commands do;
    // the rules that compare an entry with its parent cannot apply in
    // compare mode.
    {IDM_FILTER_DIFFERS_FROM_PARENT, StaticFilter, Gate::None, Rule::LiveData, Rule::StaticFilter},
    {IDM_FILTER_HAS_DENY_ENTRY, StaticFilter, Gate::None, Rule::NotCompareMode, Rule::StaticFilter},
    {IDM_FILTER_HAS_NON_INHERITED_ACE, StaticFilter, Gate::None, Rule::NotCompareMode,
     Rule::StaticFilter},
    {IDM_FILTER_DIRECTORIES_ONLY, StaticFilter, Gate::None, Rule::Always, Rule::StaticFilter},
    {IDM_FILTER_DIRECTORIES_DIFFERING_FROM_PARENT, StaticFilter, Gate::None, Rule::NotCompareMode,
     Rule::StaticFilter},
    {IDM_FILTER_UNRESOLVED_ACCOUNT, StaticFilter, Gate::None, Rule::Always, Rule::StaticFilter},
    {IDM_FILTER_ANALYSIS_ERROR, StaticFilter, Gate::None, Rule::Always, Rule::StaticFilter},
    // View
    {IDM_SHOW_INHERIT_ONLY, ShowInheritOnly, Gate::None, Rule::Always, Rule::ShowInheritOnly},
    {IDM_HIDE_INHERITED, HideInherited, Gate::None, Rule::Always, Rule::HideInherited},
    {IDM_SHOW_COMPLETE_PATH, CompletePath, Gate::None, Rule::Always, Rule::CompletePath},
    {IDM_SELECT_PERMISSIONS, Controller<&AppController::SelectPermissions>, Gate::None,
     Rule::Always, Rule::SelectedColumns},
    {IDM_BASIC_PERMISSION_SET, BasicColumns, Gate::None, Rule::Always, Rule::BasicColumns},
    {IDM_DYNAMIC_FILTERS, Controller<&AppController::DynamicFilters>, Gate::None, Rule::Always,
     Rule::DynamicFilters},
    {IDM_FIND, Find, Gate::None, Rule::Always, Rule::FindMode},
    {IDM_BREAK_DOWN_GROUPS, Controller<&AppController::BreakDownGroups>, Gate::None, Rule::Always,
     Rule::BreakDown},
    {IDM_WHEEL_HIGH, Wheel, Gate::None, Rule::Always, Rule::WheelHigh},
    {IDM_WHEEL_NORMAL, Wheel, Gate::None, Rule::Always, Rule::WheelNormal},
    {IDM_WHEEL_LOW, Wheel, Gate::None, Rule::Always, Rule::WheelLow},
    {IDM_DIRECTORY_DEPTH, Controller<&AppController::Depth>, Gate::None, Rule::Always, Rule::Never,
     Text::Depth},
    {IDM_VIEW_ERROR_LOG, ErrorLog},
    // Keys and selection
    {IDM_SCROLL_RIGHT, Key},
    {IDM_SCROLL_LEFT, Key},
    {IDM_LINE_UP, Key},
    {IDM_LINE_DOWN, Key},
    {IDM_PAGE_UP, Key},
    {IDM_PAGE_DOWN, Key},
    {IDM_FIND_NEXT_KEY, FindStep},
    {IDM_SELECT_ALL, SelectAll},
    {IDM_SELECTION_TO_ACES, SelectionToAces},
    {IDM_SELECTION_TO_ENTRIES, SelectionToEntries},
    // The find bar's buttons
    {find_bar::kPrevious, FindStep},
    {find_bar::kNext, FindStep},
    {find_bar::kHighlight, Highlight},
    {find_bar::kShowMatchingOnly, ShowMatchingOnly},
    // Help
    {IDM_HELP, Controller<&AppController::Help>},
    {IDM_ABOUT, About},
};

const Command* find(int id) {
    for (const Command& command : kCommands) {
        if (command.id == id) {
            return &command;
        }
    }
    return nullptr;
}

// What the menu rules read.
struct MenuFacts {
    const AppController& app;
    const MenuViewFlags& flags;
    int id;
};

bool holds(Rule rule, const MenuFacts& f) {
    const ViewSession& view = f.app.view();
    switch (rule) {
        case Rule::Fixed:
        case Rule::Always:
            return true;
        case Rule::Never:
            return false;
        case Rule::CompareMode:
            return view.compareMode();
        case Rule::NotCompareMode:
            return !view.compareMode();
        case Rule::LiveData:
            return view.liveData();
        case Rule::LiveDataOnDirectory:
            return view.liveData() && f.flags.lastClickedIsDirectory;
        case Rule::WriteMode:
            return f.app.gate().on();
        case Rule::StaticFilter:
            return f.id == view.staticFilterMenuItem();
        case Rule::ShowInheritOnly:
            return view.showInheritOnlyAces();
        case Rule::HideInherited:
            return view.hideInheritedAces();
        case Rule::CompletePath:
            return f.flags.showCompletePath;
        // The columns come from the permission window or are the basic
        // set: one of the two is checked.
        case Rule::SelectedColumns:
            return !view.rights().basicPermissionMode();
        case Rule::BasicColumns:
            return view.rights().basicPermissionMode();
        case Rule::DynamicFilters:
            return view.dynamicFilters().active;
        case Rule::FindMode:
            return view.find().findMode;
        case Rule::BreakDown:
            return view.breakDownGroups();
        case Rule::WheelHigh:
            return f.flags.wheelMode == 2;
        case Rule::WheelNormal:
            return f.flags.wheelMode == 1;
        case Rule::WheelLow:
            return f.flags.wheelMode == 0;
        case Rule::UndoAvailable:
            return f.app.editing().undo.menuEnabled();
    }
    return false;
}

}  // namespace

bool MainCommands::Has(int id) {
    return find(id) != nullptr;
}

CommandOutcome MainCommands::Run(int id, const std::wstring& findText) {
    const Command* command = find(id);
    if (command == nullptr) {
        return kNone;
    }
    if (command->gate == Gate::First && !app_.gate().Pass()) {
        return view_.afterEdit();
    }
    Scope scope{app_, view_, findText, id};
    return command->run(scope);
}

CommandOutcome MainCommands::OnDoubleClick(int x, int y) {
    return view_.OnDoubleClick(x, y) ? Run(IDM_MODIFY_ACE) : CommandOutcome(kNone);
}

std::vector<MainMenuItem> MainCommands::MenuStates(const MenuViewFlags& flags) const {
    std::vector<MainMenuItem> items;
    for (const Command& command : kCommands) {
        if (command.enabled == Rule::Fixed) {
            continue;
        }
        const MenuFacts facts{app_, flags, command.id};
        MainMenuItem item;
        item.id = command.id;
        item.enabled = holds(command.enabled, facts);
        item.checked = holds(command.checked, facts);
        if (command.text == Text::Depth) {
            item.text = DepthMenuText(app_.view().displayDepth());
        } else if (command.text == Text::Undo) {
            // "Undo: " and the name of the last change.
            item.text = app_.editing().undo.menuText();
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<ContextMenuItem> MainCommands::ContextMenu() {
    std::vector<ContextMenuItem> items;
    for (Context block : {Context::Edits, Context::Buffer}) {
        if (!items.empty()) {
            items.push_back({0, L""});
        }
        for (const Command& command : kCommands) {
            if (command.context == block) {
                items.push_back({command.id, command.contextText});
            }
        }
    }
    return items;
}

}  // namespace quorel
