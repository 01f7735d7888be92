#include "app/main_view.h"

#include "app/command_result.h"
#include "app/edit_commands.h"
#include "app/view_session.h"
#include "app/write_mode_gate.h"
#include "core/dir_entry.h"
#include "core/dir_list.h"

namespace quorel {

using namespace view_change;
using namespace main_view_change;

MainView::MainView(ViewSession& view, EditCommands& edits, WriteModeGate& gate)
    : view_(view), edits_(edits), gate_(gate) {}

unsigned MainView::resetScroll() {
    if (view_.entriesGeneration() != generation_) {
        selection_.Forget();
        state_.lastClickedEntry = nullptr;
        generation_ = view_.entriesGeneration();
    }
    return state_.ResetScroll(static_cast<unsigned>(view_.lines().count())) | kMenu;
}

unsigned MainView::Start() {
    generation_ = view_.entriesGeneration();
    return resetScroll() | kFindBar | kWheelWord | kHorizontalBox;
}

unsigned MainView::AfterControllerCommand(const CommandResult& result) {
    unsigned changes = kMenu | kFindBar;
    if (result.resetScroll || view_.entriesGeneration() != generation_) {
        changes |= resetScroll();
    }
    if (result.redraw) {
        changes |= kRedraw;
    }
    return changes;
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
        view_.rights().basicPermissionMode() && target.column == 3 && target.cell == 0;
    if (target.action == ClickAction::Select || basicSelect) {
        selection_.ClickSelect(target.slot, 0, state_.modifierKey(), view_.lines());
        return kRedraw | kMenu;
    }
    if (target.slot.ace == nullptr || !gate_.Pass()) {
        return kRedraw | kMenu;
    }
    editCell(target);
    return afterEdit();
}

void MainView::editCell(const ClickTarget& target) {
    CDirEntry& entry = *target.slot.entry;
    AceRecord& ace = *target.slot.ace;
    EditCommands& edits = edits_;
    if (target.column >= 0) {
        edits.TogglePermission(entry, ace, target.column);
    } else {
        // The click selects the ACE line before its flag changes.
        selection_.ClickSelect(target.slot, target.cell, state_.modifierKey(), view_.lines());
        edits.ToggleInheritanceFlag(entry, ace, target.cell);
    }
}

unsigned MainView::afterEdit() {
    selection_.ForgetFocusedAce();
    return kRedraw | kMenu;
}

bool MainView::OnDoubleClick(int x, int y) {
    const ClickTarget target = HitTest(screen_, x, y);
    if (target.slot.ace == nullptr) {
        return false;
    }
    selection_.ClickSelect(target.slot, 0, 0, view_.lines());
    return true;
}

EditFocus MainView::focus() const {
    return {selection_.focusedEntry(), selection_.focusedAce()};
}

unsigned MainView::ShowLine(std::size_t index) {
    const std::size_t count = view_.lines().count();
    if (count < 2 || index + 1 >= count) {
        return kNone;
    }
    return state_.MoveTopTo(static_cast<int>(index));
}

void MainView::Layout(const LayoutMetrics& metrics, const TextMeasure& measure) {
    const ViewSession& view = view_;
    LayoutSwitches switches;
    switches.showCompletePath = state_.showCompletePath();
    switches.compareMode = view.compareMode();
    switches.hScroll = state_.hScroll();
    if (view.breakDownGroups()) {
        switches.memberText = [&view](std::wstring_view trustee) {
            return view.memberTextOf(trustee);
        };
    }
    LayOutScreen(view.lines(), state_.top(), metrics, switches, view.rights(), measure, screen_);
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

}  // namespace quorel
