#include "view/selection.h"

#include <algorithm>

#include "core/dir_entry.h"
#include "view/cell_geometry.h"
#include "view/display_list.h"

namespace quorel {

void Selection::Forget() {
    focusedEntry_ = nullptr;
    focusedAce_ = nullptr;
    anchor_ = nullptr;
    anchorIndex_ = -1;
    marked_.clear();
}

void Selection::remember(CDirEntry& entry) {
    marked_.push_back(&entry);
}

void Selection::mark(CDirEntry& entry, bool on) {
    entry.selected = on ? 1 : 0;
    for (std::uint32_t i = 0; i < entry.aceCount(); ++i) {
        entry.ace(i)->selected = on ? 1 : 0;
    }
    if (on) {
        remember(entry);
    }
}

void Selection::ClearMarks() {
    for (CDirEntry* e : marked_) {
        e->selected = 0;
        for (std::uint32_t i = 0; i < e->aceCount(); ++i) {
            e->ace(i)->selected = 0;
        }
    }
    marked_.clear();
}

bool Selection::ClickSelect(const LineSlot& slot, int cell, std::uint8_t modifierKey,
                            const DisplayList& lines) {
    if (slot.entry == nullptr) {
        return false;
    }
    CDirEntry& entry = *slot.entry;
    if (slot.ace != nullptr) {
        AceRecord& ace = *slot.ace;
        if (modifierKey == modifier_key::kNone) {
            ClearMarks();
            focusedAce_ = nullptr;
            ace.selected = 1;
        } else if (modifierKey == modifier_key::kControl) {
            ace.selected = ace.selected ? 0 : 1;
        }
        remember(entry);
        focusedEntry_ = &entry;
        focusedAce_ = &ace;
        return cell_geometry::inheritanceCell(cell) != nullptr;
    }

    clickEntry(entry, slot.index, modifierKey, lines);
    return false;
}

void Selection::clickEntry(CDirEntry& entry, int here, std::uint8_t modifierKey,
                           const DisplayList& lines) {
    if (modifierKey == modifier_key::kNone) {
        ClearMarks();
        focusedAce_ = nullptr;
        mark(entry, true);
    } else if (modifierKey == modifier_key::kControl) {
        mark(entry, entry.selected == 0);
    } else {
        mark(entry, false);
    }
    focusedEntry_ = &entry;
    if (modifierKey != modifier_key::kShift) {
        anchor_ = &entry;
        anchorIndex_ = here;
        return;
    }
    if (anchor_ == nullptr) {
        return;
    }
    // The anchor's position from its click, unless the list was rebuilt
    // since; then it is looked up once.
    if (anchorIndex_ < 0 || lines.at(static_cast<std::size_t>(anchorIndex_)) != anchor_) {
        anchorIndex_ = -1;
        for (std::size_t i = 0; i < lines.lineCount(); ++i) {
            if (lines.at(i) == anchor_) {
                anchorIndex_ = static_cast<int>(i);
                break;
            }
        }
    }
    if (here < 0 || lines.at(static_cast<std::size_t>(here)) != &entry || anchorIndex_ < 0) {
        return;
    }
    const int from = std::min(here, anchorIndex_);
    const int to = std::max(here, anchorIndex_);
    for (int i = from; i <= to; ++i) {
        mark(*lines.at(static_cast<std::size_t>(i)), true);
    }
}

void Selection::SelectAll(const DisplayList& lines) {
    for (CDirEntry* e : lines.lines()) {
        mark(*e, true);
    }
}

void Selection::EntriesToAces(const DisplayList& lines) {
    for (CDirEntry* e : lines.lines()) {
        if (!e->selected) {
            continue;
        }
        mark(*e, true);
        e->selected = 0;
    }
}

void Selection::AcesToEntries(const DisplayList& lines) {
    for (CDirEntry* e : lines.lines()) {
        bool any = false;
        for (std::uint32_t i = 0; i < e->aceCount(); ++i) {
            AceRecord& ace = *e->ace(i);
            if (ace.selected) {
                ace.selected = 0;
                any = true;
            }
        }
        if (any) {
            e->selected = 1;
            remember(*e);
        }
    }
}

}  // namespace quorel
