#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace quorel {

class CDirEntry;
class CDirList;
class DisplayedRights;

// The eight static filters.
enum StaticFilterValue : std::uint8_t {
    kShowAll = 1,
    kDiffersFromParent = 2,
    kHasDenyEntry = 3,
    kHasNonInheritedAce = 4,
    kDirectoriesOnly = 5,
    kDirectoriesDifferingFromParent = 6,
    kUnresolvedAccount = 7,
    kAnalysisError = 8,
};

// Visibility primitives.
void SetAllVisible(CDirList& list, bool visible);
void HideDotEntries(CDirList& list);
// Hides every entry deeper than `depth` (root = 0); 0 is unlimited.
void HideBelowDepth(CDirList& list, std::uint32_t depth);

// Whether every shown ACE of each side has a corresponding ACE (shown or
// not) on the other: equal trustee names, equal bits under columnMask and
// flagsMask. The ACE type is not compared.
bool AclMatchesParent(const CDirEntry& entry, const CDirEntry& parent, std::uint32_t columnMask,
                      std::uint8_t flagsMask);

// OR of the masks of the displayed columns.
std::uint32_t ColumnMask(const DisplayedRights& rights);

// Clears the visibility of entries that rule `filter` rejects; never sets
// it. Rules 2 and 6 test every entry below a root against its parent.
void ApplyFilterRule(CDirList& list, std::uint8_t filter, std::uint32_t columnMask);

// Shown dataset and, in compare mode, the compared one.
struct FilterTarget {
    CDirList* shown = nullptr;
    CDirList* compared = nullptr;  // set in compare mode
    std::uint32_t displayDepth = 0;
    // Set while the find filter is active: entries it rejects are hidden.
    std::function<bool(const CDirEntry&)> findMatch;
};

// Recomputes visibility as the static filter `filter` says. The caller
// rebuilds the lines (BuildLineList, or the compare layout, of the view).
void ApplyStaticFilter(const FilterTarget& target, std::uint8_t filter,
                       const DisplayedRights& rights);

}  // namespace quorel
