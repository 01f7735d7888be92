#pragma once

#include <string_view>

namespace quorel {

class CDirEntry;
class CDirList;

// The entry of `dataset` whose path is `path` (case ignored, as NTFS
// ignores it), or null. Undo elements and pending changes name their entry
// by path: after a re-scan, open or close the entry they were made for may
// be gone, and a path is found again where a pointer would dangle.
CDirEntry* findEntryByPath(const CDirList& dataset, std::wstring_view path);

}  // namespace quorel
