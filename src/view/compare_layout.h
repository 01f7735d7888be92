#pragma once

#include <array>
#include <functional>
#include <memory>

namespace quorel {

class CDirEntry;
class CDirList;
class DisplayList;
class InteractionPort;

// Compare mode as the view shows it: the compared dataset, the three group
// headings, the display list in three groups (added, deleted, modified),
// the commands that enter and leave it and the menu states they switch.

constexpr const wchar_t* kDatasetsDoNotMatch =
    L"Datasets do not match. Both datasets must contain the same directories in the same order "
    L"for compare.";

namespace compare_menu {
constexpr int kDiffersFromParent = 50021;
constexpr int kHasDenyEntry = 50022;
constexpr int kHasNonInheritedAce = 50023;
constexpr int kDirectoriesDifferingFromParent = 50025;
constexpr int kCompareTo = 50028;
constexpr int kEndCompare = 50037;
constexpr int kRestorePermissions = 50070;
}  // namespace compare_menu

// A menu item whose state compare mode decides; the main window mirrors it.
struct MenuItemState {
    int id;
    bool enabled;
    friend bool operator==(const MenuItemState&, const MenuItemState&) = default;
};

// What the view keeps for compare mode. It owns the compared dataset and the
// three group headings. The menu states are those of the current mode.
class CompareState {
  public:
    CompareState();
    ~CompareState();
    CompareState(const CompareState&) = delete;
    CompareState& operator=(const CompareState&) = delete;

    CDirEntry& addedHeading() const { return *added_; }
    CDirEntry& deletedHeading() const { return *deleted_; }
    CDirEntry& modifiedHeading() const { return *modified_; }

    // Whether the item is enabled; ids compare mode does not switch are
    // reported enabled.
    bool menuEnabled(int id) const;

    bool compareMode = false;
    // Set while compare mode lasts; null otherwise.
    std::unique_ptr<CDirList> compared;
    // 50037, 50070, 50028, 50021, 50022, 50023, 50025, in that order.
    std::array<MenuItemState, 7> menuItems;

  private:
    std::unique_ptr<CDirEntry> added_;
    std::unique_ptr<CDirEntry> deleted_;
    std::unique_ptr<CDirEntry> modified_;
};

// The parts of the view the compare commands act on. Unset steps are
// skipped.
struct CompareView {
    CompareView(CDirList& shownDataset, DisplayList& displayList, InteractionPort& interaction)
        : shown(shownDataset), lines(displayList), ui(interaction) {}

    CDirList& shown;
    DisplayList& lines;
    InteractionPort& ui;
    // Clears the marks of the last find.
    std::function<void()> clearFindHits;
    // Closes the find bar and unchecks its menu item.
    std::function<void()> endFindMode;
    // The view's filter pass over the shown dataset and, when `compared` is
    // not null, the compared one (the dynamic filter rows, applied whether
    // or not they are active).
    std::function<void(CDirList* compared)> applyFilters;
    // Scrolls the view back to its first line.
    std::function<void()> toFirstLine;
};

// The compare layout: "added files" and the visible entries of the shown
// dataset without a counterpart, "deleted files" and those of the compared
// dataset, "modified files" and the visible linked entries of the shown
// dataset whose ACL differs from the counterpart's one way or the other.
// DiffAcl runs both ways on every linked entry, visible or not, so the ACE
// links of both sides are current afterwards.
void BuildCompareLineList(const CompareState& state, const CDirList& shown, DisplayList& out);

// Compare-mode switches: the flag, find mode and the menu states. Entering
// does nothing when compare mode is on already.
void EnterCompareMode(CompareState& state, const CompareView& view);
void LeaveCompareMode(CompareState& state, const CompareView& view);

// "Compare to...", with the dataset the user chose, already loaded (null when
// the load was cancelled or failed: nothing happens). On a mismatch the
// message box says so, `loaded` is discarded and the state is left as it
// was. Returns whether compare mode now shows `loaded`.
bool CompareTo(CompareState& state, const CompareView& view, std::unique_ptr<CDirList> loaded);

// After ACL edits: links both datasets afresh and rebuilds the lines. False
// (nothing done) without a compared dataset.
bool RefreshCompare(CompareState& state, const CompareView& view);

// "End Compare Mode": frees the compared dataset, clears the links of the
// shown one and goes back to the ordinary display list.
void EndCompare(CompareState& state, const CompareView& view);

}  // namespace quorel
