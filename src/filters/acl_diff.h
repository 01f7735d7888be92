#pragma once

#include <cstdint>

namespace quorel {

class AceRecord;
class CDirEntry;
class DisplayedRights;

// The ACL diff of compare mode: each ACE of a linked entry to its
// counterpart in the other entry, and the marks the matrix draws from those
// links.

// Links each ACE of `entry` to its counterpart in `other`: the last ACE of
// `other` equal in trustee name, flags, type and mask, or else the last one
// equal in all but the mask. True when some ACE of `entry` has no exactly
// equal ACE in `other`. With `other` null: false, links untouched.
bool DiffAcl(CDirEntry& entry, const CDirEntry* other);

// An ACE of an entry with a counterpart that has no counterpart itself.
bool IsNewAce(const CDirEntry& entry, const AceRecord& ace);

// The visible ACEs of the counterpart entry with no counterpart here: drawn
// struck out below the entry's own ACEs.
std::uint32_t MissingAceCount(const CDirEntry& entry);

// Bit i set: column i of `rights` shows a different answer of AceHasRight
// (plain mask test) for `ace` and for its counterpart. 0 without one.
std::uint32_t ChangedCells(const CDirEntry& entry, const AceRecord& ace,
                           const DisplayedRights& rights);

}  // namespace quorel
