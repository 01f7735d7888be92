#include "app/main_view.h"

#include <functional>
#include <utility>

#include "app/app_controller.h"
#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "platform/interaction_port.h"
#include "resource.h"
#include "view/find_bar.h"

namespace quorel {

using namespace view_change;
using namespace main_view_change;

MainView::MainView(AppController& app, InteractionPort& ui) : app_(app), ui_(ui) {}

bool MainView::IsViewCommand(int id) {
    switch (id) {
        case IDM_FIND:
        case IDM_SHOW_COMPLETE_PATH:
        case IDM_SCROLL_RIGHT:
        case IDM_SCROLL_LEFT:
        case IDM_LINE_UP:
        case IDM_LINE_DOWN:
        case IDM_PAGE_UP:
        case IDM_PAGE_DOWN:
        case IDM_FIND_NEXT_KEY:
        case IDM_WHEEL_HIGH:
        case IDM_WHEEL_NORMAL:
        case IDM_WHEEL_LOW:
        case IDM_SELECT_ALL:
        case IDM_SELECTION_TO_ACES:
        case IDM_SELECTION_TO_ENTRIES:
        case find_bar::kPrevious:
        case find_bar::kNext:
        case find_bar::kHighlight:
        case find_bar::kShowMatchingOnly:
            return true;
        default:
            return false;
    }
}

unsigned MainView::resetScroll() {
    ViewSession& view = app_.view();
    if (view.entriesGeneration() != generation_) {
        selection_.Forget();
        state_.lastClickedEntry = nullptr;
        generation_ = view.entriesGeneration();
    }
    return state_.ResetScroll(static_cast<unsigned>(view.lines().count())) | kMenu;
}

unsigned MainView::Start() {
    generation_ = app_.view().entriesGeneration();
    return resetScroll() | kFindBar | kWheelWord | kHorizontalBox;
}

unsigned MainView::AfterControllerCommand(const CommandResult& result) {
    ViewSession& view = app_.view();
    unsigned changes = kMenu | kFindBar;
    if (result.resetScroll || view.entriesGeneration() != generation_) {
        changes |= resetScroll();
    }
    if (result.redraw) {
        changes |= kRedraw;
    }
    return changes;
}

unsigned MainView::Command(int id, const std::wstring& findText) {
    ViewSession& view = app_.view();
    switch (id) {
        case IDM_FIND: {
            const bool on = !view.find.findMode;
            view.SetFindMode(on);
            unsigned changes = kFindBar | kMenu | kRedraw;
            if (on) {
                changes |= kFocusFindText;
            } else if (app_.hasData()) {
                changes |= resetScroll();
            }
            return changes;
        }
        case IDM_SHOW_COMPLETE_PATH:
            ui_.setStatusText(0, state_.ToggleShowCompletePath());
            return kMenu | kRedraw;
        case IDM_SCROLL_RIGHT:
        case IDM_SCROLL_LEFT:
        case IDM_LINE_UP:
        case IDM_LINE_DOWN:
        case IDM_PAGE_UP:
        case IDM_PAGE_DOWN:
            return state_.OnKeyCommand(id);
        case IDM_WHEEL_HIGH:
        case IDM_WHEEL_NORMAL:
        case IDM_WHEEL_LOW:
            return state_.OnWheelMenu(id) | kMenu;
        case IDM_SELECT_ALL:
            selection_.SelectAll(view.lines());
            return kRedraw;
        case IDM_SELECTION_TO_ACES:
            selection_.EntriesToAces(view.lines());
            return kRedraw;
        case IDM_SELECTION_TO_ENTRIES:
            selection_.AcesToEntries(view.lines());
            return kRedraw;
        case IDM_FIND_NEXT_KEY:
            if (!view.find.findMode) {
                return kNone;
            }
            [[fallthrough]];
        case find_bar::kNext:
        case find_bar::kPrevious: {
            if (!app_.hasData()) {
                return kNone;
            }
            int top = state_.topEntry();
            if (id == find_bar::kPrevious) {
                view.FindPrevious(findText, top);
            } else {
                view.FindNext(findText, top);
            }
            return state_.MoveTopTo(top);
        }
        case find_bar::kHighlight:
            if (!app_.hasData()) {
                return kNone;
            }
            view.ToggleHighlight(findText);
            return kRedraw;
        case find_bar::kShowMatchingOnly:
            if (!app_.hasData()) {
                return kNone;
            }
            view.ToggleShowMatchingOnly(findText);
            return resetScroll();
        default:
            return kNone;
    }
}

unsigned MainView::OnVerticalScroll(int code, int thumb) {
    return state_.OnVerticalScroll(code, thumb);
}

unsigned MainView::OnHorizontalScroll(int code, int thumb) {
    return state_.OnHorizontalScroll(code, thumb);
}

unsigned MainView::OnMouseWheel(int delta) {
    return state_.OnMouseWheel(delta);
}

unsigned MainView::OnMiddleButton() {
    return state_.OnMiddleButton() | kMenu;
}

unsigned MainView::OnLeftButton(int x, int y) {
    const ClickTarget target = HitTest(screen_, x, y);
    if (target.slot.entry == nullptr) {
        return kNone;
    }
    state_.lastClickedEntry = target.slot.entry;
    // In the basic permission display the fourth column selects.
    const bool basicSelect =
        app_.view().rights.basicPermissionMode() && target.column == 3 && target.cell == 0;
    if (target.action == ClickAction::Select || basicSelect) {
        selection_.ClickSelect(target.slot, 0, state_.modifierKey(), app_.view().lines());
        return kRedraw | kMenu;
    }
    if (target.slot.ace == nullptr || !app_.PassWriteModeGate()) {
        return kRedraw | kMenu;
    }
    editCell(target);
    return afterEdit();
}

void MainView::editCell(const ClickTarget& target) {
    CDirEntry& entry = *target.slot.entry;
    AceRecord& ace = *target.slot.ace;
    EditCommands& edits = app_.edits();
    if (target.column >= 0) {
        edits.TogglePermission(entry, ace, target.column);
    } else {
        // The click selects the ACE line before its flag changes.
        selection_.ClickSelect(target.slot, target.cell, state_.modifierKey(), app_.view().lines());
        edits.ToggleInheritanceFlag(entry, ace, target.cell);
    }
}

unsigned MainView::afterEdit() {
    selection_.ForgetFocusedAce();
    return kRedraw | kMenu;
}

bool MainView::IsEditCommand(int id) {
    switch (id) {
        case IDM_UNDO:
        case IDM_COPY:
        case IDM_CUT:
        case IDM_PASTE:
        case IDM_COMBINE:
        case IDM_DELETE_ACES:
        case IDM_CONVERT_INHERITED:
        case IDM_REPAIR_ACE_ORDER:
        case IDM_TAKE_OWNERSHIP:
        case IDM_ELIMINATE_UNRESOLVED:
        case IDM_PROPAGATE_CHANGES:
        case IDM_CHANGE_INHERITANCE_FLAGS:
        case IDM_MODIFY_ACE:
        case IDM_ADD_ACE:
        case IDM_INHERIT_ACL:
        case IDM_RESTORE_PERMISSIONS:
            return true;
        default:
            return false;
    }
}

unsigned MainView::EditCommand(int id) {
    EditCommands& edits = app_.edits();
    const EditFocus focus{selection_.focusedEntry(), selection_.focusedAce()};
    // The commands that only need the write-mode gate before them.
    const std::pair<int, std::function<void()>> gated[] = {
        {IDM_CUT, [&] { edits.CutAcl(focus); }},
        {IDM_PASTE, [&] { edits.PasteAcl(); }},
        {IDM_COMBINE, [&] { edits.CombineAcl(); }},
        {IDM_CONVERT_INHERITED, [&] { edits.ConvertSelection(); }},
        {IDM_REPAIR_ACE_ORDER, [&] { edits.RepairAceOrder(); }},
        {IDM_ELIMINATE_UNRESOLVED, [&] { edits.EliminateUnresolvedTrustees(); }},
        {IDM_CHANGE_INHERITANCE_FLAGS,
         [&] { edits.ChangeInheritanceFlags(focus, app_.windows()); }},
        {IDM_MODIFY_ACE, [&] { edits.ModifyAce(focus, app_.windows()); }},
        {IDM_RESTORE_PERMISSIONS, [&] { edits.RestorePermissions(app_.windows()); }},
    };
    for (const auto& [command, run] : gated) {
        if (command == id) {
            if (app_.PassWriteModeGate()) {
                run();
            }
            return afterEdit();
        }
    }
    switch (id) {
        case IDM_UNDO:
            edits.Undo();
            break;
        case IDM_COPY:
            edits.CopyAcl(focus);
            return kNone;
        case IDM_DELETE_ACES:
            if (app_.PassWriteModeGate() &&
                ui_.showMessage(L"Are you sure you want to delete the selected ACEs?",
                                L"Delete ACEs", MessageIcon::Question,
                                MessageButtons::YesNo) == MessageAnswer::Yes) {
                edits.DeleteSelectedAces();
            }
            break;
        case IDM_TAKE_OWNERSHIP:
            if (!app_.takeOwnershipAvailable()) {
                ui_.showMessage(
                    L"This function only works if Quorel is started with "
                    L"administrator privileges",
                    L"", MessageIcon::Information);
                return kNone;
            }
            if (app_.PassWriteModeGate()) {
                edits.TakeOwnershipOfSelection();
            }
            break;
        case IDM_ADD_ACE: {
            std::size_t selected = 0;
            for (const CDirEntry* e : app_.view().lines().lines()) {
                selected += e->selected ? 1 : 0;
            }
            if (selected > 1 &&
                ui_.showMessage(L"There are more than one Files/Folders selected. Are you sure "
                                L"you want to proceed?",
                                L"Multiple Selection", MessageIcon::Question,
                                MessageButtons::YesNo) != MessageAnswer::Yes) {
                return kNone;
            }
            if (app_.PassWriteModeGate()) {
                edits.AddAce(focus, app_.windows(), app_.accountLists());
            }
            break;
        }
        case IDM_INHERIT_ACL:
            // The gate comes after the checks of the selection.
            if (edits.InheritAcl(app_.windows(), [this] { return app_.PassWriteModeGate(); })) {
                return resetScroll() | afterEdit();
            }
            break;
        case IDM_PROPAGATE_CHANGES:
            if (app_.PassWriteModeGate()) {
                if (CDirList* dataset = app_.view().dataset()) {
                    app_.editing().propagation.PropagateChanges(*dataset);
                }
            }
            break;
        default:
            return kNone;
    }
    return afterEdit();
}

unsigned MainView::OnDoubleClick(int x, int y) {
    const ClickTarget target = HitTest(screen_, x, y);
    if (target.slot.ace == nullptr) {
        return kNone;
    }
    selection_.ClickSelect(target.slot, 0, 0, app_.view().lines());
    return EditCommand(IDM_MODIFY_ACE);
}

unsigned MainView::ShowLine(std::size_t index) {
    const std::size_t count = app_.view().lines().count();
    if (count < 2 || index + 1 >= count) {
        return kNone;
    }
    return state_.MoveTopTo(static_cast<int>(index));
}

void MainView::Layout(const LayoutMetrics& metrics, const TextMeasure& measure) {
    const ViewSession& view = app_.view();
    LayoutSwitches switches;
    switches.showCompletePath = state_.showCompletePath();
    switches.compareMode = view.compareMode();
    switches.hScroll = state_.hScroll();
    if (view.breakDownGroups) {
        switches.memberText = [&view](std::wstring_view trustee) {
            return view.memberTextOf(trustee);
        };
    }
    LayOutScreen(view.lines(), state_.top(), metrics, switches, view.rights, measure, screen_);
    state_.AdoptTop({screen_.topEntry, screen_.lineOffset});
}

MenuViewFlags MainView::menuFlags() const {
    MenuViewFlags flags;
    flags.showCompletePath = state_.showCompletePath();
    flags.wheelMode = state_.wheelMode();
    flags.lastClickedIsDirectory =
        state_.lastClickedEntry != nullptr && state_.lastClickedEntry->isDirectory();
    return flags;
}

const std::vector<ContextMenuItem>& MainView::ContextMenu() {
    static const std::vector<ContextMenuItem> kItems = {
        {IDM_CONVERT_INHERITED, L"Convert Inherited ACEs to non inherited ACEs"},
        {IDM_ADD_ACE, L"Add ACE..."},
        {IDM_INHERIT_ACL, L"Inherit ACL..."},
        {IDM_DELETE_ACES, L"Delete ACEs"},
        {IDM_CHANGE_INHERITANCE_FLAGS, L"Change Inheritance Flags..."},
        {IDM_TAKE_OWNERSHIP, L"Try to Get Ownership (needs Admin Privileges)"},
        {0, L""},
        {IDM_CUT, L"Cut"},
        {IDM_COPY, L"Copy"},
        {IDM_PASTE, L"Paste"},
        {IDM_COMBINE, L"Combine"},
    };
    return kItems;
}

}  // namespace quorel
