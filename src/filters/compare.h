#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorel {

class AceRecord;
class CDirEntry;
class CDirList;
class DisplayList;
class DisplayedRights;
class InteractionPort;

// Compare mode: the shown dataset beside a second one loaded from a file,
// every entry and ACE linked to its counterpart, and the display list in
// three groups (added, deleted, modified).

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

// Both datasets have the same number of roots and the i-th roots have full
// paths equal ignoring case. Deeper levels are not compared.
bool DatasetsMatch(const CDirList& shown, const CDirList& compared);

// The first entry in dataset order whose full path equals `path` ignoring
// case, or null.
CDirEntry* FindEntryByPath(const CDirList& dataset, std::wstring_view path);

// Links every entry of `a` to the entry of `b` with the same full path
// ignoring case (the first in dataset order). Entries without one keep the
// link they have. Linear in the entries of both.
void LinkEntries(CDirList& a, const CDirList& b);

// Clears the entry and ACE links of every entry of `list`.
void ClearLinks(CDirList& list);

// Links each ACE of `entry` to its counterpart in `other`: the last ACE of
// `other` equal in trustee name, flags, type and mask, or else the last one
// equal in all but the mask. True when some ACE of `entry` has no exactly
// equal ACE in `other`. With `other` null: false, links untouched.
bool DiffAcl(CDirEntry& entry, const CDirEntry* other);

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

// What the layout marks, read from the links.

// An ACE of an entry with a counterpart that has no counterpart itself.
bool IsNewAce(const CDirEntry& entry, const AceRecord& ace);

// A visible ACE of the counterpart entry with no counterpart here: drawn
// struck out below the entry's own ACEs.
struct MissingAce {
    std::uint32_t index;  // in the counterpart's ACEs
    const AceRecord* ace;
    std::wstring text;  // trustee and short suffixes, e.g. "Users DENY INHERITED"
};
std::vector<MissingAce> MissingAces(const CDirEntry& entry);
std::uint32_t MissingAceCount(const CDirEntry& entry);

// Bit i set: column i of `rights` shows a different answer of AceHasRight
// (plain mask test) for `ace` and for its counterpart. 0 without one.
std::uint32_t ChangedCells(const CDirEntry& entry, const AceRecord& ace,
                           const DisplayedRights& rights);

// The marks of one entry at once.
struct EntryCompareMarks {
    std::vector<bool> newAce;                 // per ACE of the entry
    std::vector<std::uint32_t> changedCells;  // per ACE of the entry
    std::vector<MissingAce> missing;
};
EntryCompareMarks CompareMarksOf(const CDirEntry& entry, const DisplayedRights& rights);

}  // namespace quorel
