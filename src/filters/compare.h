#pragma once

#include <string_view>

namespace quorel {

class CDirEntry;
class CDirList;

// Compare mode's links: every entry of one dataset to the entry of the
// other with the same full path ignoring case, found through an index of
// the paths' pieces.

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

// LinkEntries both ways between fresh datasets, with one index: the links
// of both are cleared first.
void LinkBothWays(CDirList& shown, CDirList& compared);

}  // namespace quorel
