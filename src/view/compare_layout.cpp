#include "view/compare_layout.h"

#include <utility>

#include "core/dir_list.h"
#include "filters/acl_diff.h"
#include "filters/compare.h"
#include "platform/interaction_port.h"
#include "view/display_list.h"

namespace quorel {

namespace {

void setMenuStates(CompareState& state, bool compareMode) {
    for (MenuItemState& item : state.menuItems) {
        const bool onlyInCompareMode =
            item.id == compare_menu::kEndCompare || item.id == compare_menu::kRestorePermissions;
        item.enabled = onlyInCompareMode ? compareMode : !compareMode;
    }
}

}  // namespace

CompareState::CompareState()
    : menuItems{{{compare_menu::kEndCompare, false},
                 {compare_menu::kRestorePermissions, false},
                 {compare_menu::kCompareTo, true},
                 {compare_menu::kDiffersFromParent, true},
                 {compare_menu::kHasDenyEntry, true},
                 {compare_menu::kHasNonInheritedAce, true},
                 {compare_menu::kDirectoriesDifferingFromParent, true}}},
      added_(CDirEntry::makeHeading(L"added files")),
      deleted_(CDirEntry::makeHeading(L"deleted files")),
      modified_(CDirEntry::makeHeading(L"modified files")) {}

CompareState::~CompareState() = default;

bool CompareState::menuEnabled(int id) const {
    for (const MenuItemState& item : menuItems) {
        if (item.id == id) {
            return item.enabled;
        }
    }
    return true;
}

void BuildCompareLineList(const CompareState& state, const CDirList& shown, DisplayList& out) {
    out.clear();
    out.append(&state.addedHeading());
    for (CDirEntry& e : shown) {
        if (e.visible && e.partner == nullptr) {
            out.append(&e);
        }
    }
    out.append(&state.deletedHeading());
    if (state.compared) {
        for (CDirEntry& e : *state.compared) {
            if (e.visible && e.partner == nullptr) {
                out.append(&e);
            }
        }
    }
    out.append(&state.modifiedHeading());
    for (CDirEntry& e : shown) {
        if (e.partner == nullptr) {
            continue;
        }
        // Both directions on every linked entry, so that the links of the
        // counterpart's ACEs are current for the missing-ACE lines.
        const bool added = DiffAcl(e, e.partner);
        const bool removed = DiffAcl(*e.partner, &e);
        if (e.visible && (added || removed)) {
            out.append(&e);
        }
    }
}

void EnterCompareMode(CompareState& state, const CompareView& view) {
    if (state.compareMode) {
        return;
    }
    state.compareMode = true;
    if (view.endFindMode) {
        view.endFindMode();
    }
    setMenuStates(state, true);
}

void LeaveCompareMode(CompareState& state, const CompareView& view) {
    state.compareMode = false;
    if (view.endFindMode) {
        view.endFindMode();
    }
    setMenuStates(state, false);
}

bool CompareTo(CompareState& state, const CompareView& view, std::unique_ptr<CDirList> loaded) {
    if (view.clearFindHits) {
        view.clearFindHits();
    }
    if (!loaded) {
        return false;
    }
    if (!DatasetsMatch(view.shown, *loaded)) {
        view.ui.showMessage(kDatasetsDoNotMatch, L"Note", MessageIcon::None, MessageButtons::Ok);
        return false;
    }
    // The shown entries may still point into a dataset compared before.
    state.compared = std::move(loaded);
    LinkBothWays(view.shown, *state.compared);
    EnterCompareMode(state, view);
    if (view.applyFilters) {
        view.applyFilters(state.compared.get());
    }
    BuildCompareLineList(state, view.shown, view.lines);
    if (view.toFirstLine) {
        view.toFirstLine();
    }
    view.ui.setStatusText(0, L"Switched to compare mode");
    view.ui.setStatusText(2, L"Ready.");
    return true;
}

bool RefreshCompare(CompareState& state, const CompareView& view) {
    if (!state.compared) {
        return false;
    }
    // Links are made afresh: an edit may have freed entries that the other
    // dataset still points to.
    LinkBothWays(view.shown, *state.compared);
    view.lines.clear();
    EnterCompareMode(state, view);
    if (view.applyFilters) {
        view.applyFilters(state.compared.get());
    }
    BuildCompareLineList(state, view.shown, view.lines);
    return true;
}

void EndCompare(CompareState& state, const CompareView& view) {
    if (view.clearFindHits) {
        view.clearFindHits();
    }
    ClearLinks(view.shown);
    state.compared.reset();
    LeaveCompareMode(state, view);
    if (view.applyFilters) {
        view.applyFilters(nullptr);
    }
    BuildLineList(view.shown, view.lines);
    if (view.toFirstLine) {
        view.toFirstLine();
    }
    view.ui.setStatusText(0, L"Compare ended. Switched back to normal mode");
}

}  // namespace quorel
