#pragma once

// The selection of entries and ACEs: the selecting click and the three
// selection commands. The marks live on the data (`selected` of each entry
// and ACE record); the selection keeps the focused entry and ACE, the anchor
// of Shift ranges, and which entries it marked, so that a plain click clears
// the old selection without a pass over the dataset.

#include <cstdint>
#include <vector>

#include "view/screen_model.h"

namespace quorel {

// The modifier key held during a click.
namespace modifier_key {
constexpr std::uint8_t kNone = 0;
constexpr std::uint8_t kControl = 1;  // toggles the clicked line's mark
constexpr std::uint8_t kShift = 2;    // marks the range from the anchor
}  // namespace modifier_key

class AceRecord;
class CDirEntry;
class DisplayList;

class Selection {
  public:
    // Forgets everything without touching the marks: when the entries it
    // remembers are freed (a new scan, an open, a re-read subtree).
    void Forget();
    // Forgets the focused ACE: its entry was read again after an edit, and
    // the record is gone.
    void ForgetFocusedAce() { focusedAce_ = nullptr; }

    // The click on a line outside the cells (or in the basic display's
    // column 3) with `modifierKey` one of modifier_key. On an ACE line with
    // `cell` an inheritance cell's number the caller then toggles that
    // inheritance flag; the return value says so.
    bool ClickSelect(const LineSlot& slot, int cell, std::uint8_t modifierKey,
                     const DisplayList& lines);

    // Select All (50073): every entry of the display list and its ACEs.
    void SelectAll(const DisplayList& lines);
    // 50071: each selected entry is unselected and its ACEs selected.
    void EntriesToAces(const DisplayList& lines);
    // 50072: each entry with a selected ACE gets its ACEs unselected and
    // itself selected.
    void AcesToEntries(const DisplayList& lines);

    // Clears every mark this selection set.
    void ClearMarks();

    CDirEntry* focusedEntry() const { return focusedEntry_; }
    AceRecord* focusedAce() const { return focusedAce_; }
    CDirEntry* anchorEntry() const { return anchor_; }

  private:
    // The click on an entry line at display-list position `here`.
    void clickEntry(CDirEntry& entry, int here, std::uint8_t modifierKey, const DisplayList& lines);
    void mark(CDirEntry& entry, bool on);
    void remember(CDirEntry& entry);

    CDirEntry* focusedEntry_ = nullptr;
    AceRecord* focusedAce_ = nullptr;
    CDirEntry* anchor_ = nullptr;
    int anchorIndex_ = -1;
    // Entries whose marks (or whose ACEs' marks) may be set.
    std::vector<CDirEntry*> marked_;
};

}  // namespace quorel
