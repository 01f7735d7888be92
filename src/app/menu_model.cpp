#include "app/menu_model.h"

#include "app/app_controller.h"

namespace quorel {

std::wstring DepthMenuText(std::uint32_t depth) {
    if (depth == 0) {
        return L"Depth \u221E";
    }
    return L"Depth " + std::to_wstring(depth);
}

std::vector<MainMenuItem> MainMenuStates(const AppController& app, const MenuViewFlags& flags) {
    const ViewSession& view = app.view();
    const bool compare = view.compareMode();
    const bool live = app.scannedDataset();
    std::vector<MainMenuItem> items;
    auto add = [&](int id, bool enabled, bool checked = false) {
        MainMenuItem item;
        item.id = id;
        item.enabled = enabled;
        item.checked = checked;
        items.push_back(item);
        return &items.back();
    };
    add(50037, compare);   // "En&d Compare Mode"
    add(50070, compare);   // "Res&tore permissions"
    add(50028, !compare);  // "&Compare to..."
    // The editing commands need data read from the disk in this run.
    add(50051, live, app.writeMode());
    for (int id : {50054, 50076, 50056, 50049, 50048, 50058, 50060, 50007, 50008, 50009, 50053}) {
        add(id, live);
    }
    add(50052, live && flags.lastClickedIsDirectory);
    // Static filters: the four that compare an entry with its parent cannot
    // apply in compare mode; "deviate from directory" (50021) needs live data
    // as the editing commands do.
    for (int i = 0; i < 8; ++i) {
        const int id = kStaticFilterMenuIds[i];
        bool enabled = true;
        if (id == 50021) {
            enabled = live;
        } else if (id == 50022 || id == 50023 || id == 50025) {
            enabled = !compare;
        }
        add(id, enabled, id == view.staticFilterMenuItem);
    }
    add(50050, true, view.showInheritOnlyAces);
    add(50055, true, view.hideInheritedAces);
    add(50027, true, flags.showCompletePath);
    // The columns come from the permission window (50030) or are the basic
    // set (50064): one of the two is checked.
    add(50030, true, !view.rights.basicPermissionMode());
    add(50064, true, view.rights.basicPermissionMode());
    add(50031, true, view.dynamicFilters.active);
    add(50026, true, view.find.findMode);
    add(50062, true, view.breakDownGroups);
    add(50066, true, flags.wheelMode == 2);
    add(50067, true, flags.wheelMode == 1);
    add(50068, true, flags.wheelMode == 0);
    add(50044, true)->text = DepthMenuText(view.displayDepth);
    // "Undo: " and the name of the last change, greyed when there is none.
    const UndoBuffer& undo = app.editing().undo;
    add(50006, undo.menuEnabled())->text = undo.menuText();
    return items;
}

}  // namespace quorel
