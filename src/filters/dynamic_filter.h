#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "filters/dynamic_filter_set.h"
#include "platform/process_end.h"

namespace quorel {

class CDirEntry;
class CDirList;
class DisplayedRights;
class InteractionPort;

// Rule codes of a dynamic filter row.
enum DynamicRuleCode : std::uint32_t {
    kRuleHasPermission = 0,           // account, "has permission"
    kRuleLacksPermission = 1,         // account, "does not have permission"
    kRuleIsOwner = 2,                 // account, "is owner"
    kRuleIsNotOwner = 3,              // account, "is not owner"
    kRuleIsGroup = 4,                 // account, "is group"
    kRuleIsNotGroup = 5,              // account, "is not group"
    kRuleAnyUserHasPermission = 6,    // "<any user>", "has permission"
    kRuleAnyUserLacksPermission = 7,  // "<any user>", "does not have permission"
    kRulePathContains = 8,            // "<filename>", "contains"
    kRulePathLacks = 9,               // "<filename>", "does not contain"
};

// The subject texts of the filter window that are not account names.
constexpr std::wstring_view kAnyUserSubject = L"<any user>";
constexpr std::wstring_view kFileNameSubject = L"<filename>";

// The messages of broken rows (a hand-edited settings file can hold them).
constexpr std::wstring_view kInvalidRightText =
    L"internal error: rightmask in dynamic filter invalid";
constexpr std::wstring_view kInvalidRightCaption = L"filter";
constexpr std::wstring_view kUnknownRuleText =
    L"Internal error: dynmamic filter is not implemented";
constexpr std::wstring_view kUnknownRuleCaption = L"error in dynamic filters";
constexpr std::wstring_view kRowAllocationText = L"Error allocating memory for dynamic filters";
// The exit code of the process after the rows could not grow.
constexpr int kRowAllocationExitCode = 1;

// The code a row is evaluated with: the window stores "<any user>" rows as
// codes 0 and 1, which mean 6 and 7. Every other row keeps its code, also
// one outside 0..9.
std::uint32_t EffectiveRuleCode(const FilterRow& row);

// The access mask of permission index 0..14 of a filter row; nothing
// outside that range.
std::optional<std::uint32_t> FilterRightMask(std::uint32_t right);

// Inserts `row` after row `after`: with no rows it becomes row 0, otherwise
// it goes to position after + 1 (the end when `after` is the last row or
// beyond it). False, with the rows unchanged, when they cannot grow.
bool InsertFilterRow(DynamicFilterSet& filters, const FilterRow& row, std::size_t after);
// How the run ends after the rows could not grow.
ProcessEnd RowAllocationEnd();
// Removes row `index`; the rows after it move down one place. Nothing
// happens without rows or with an index past the last row. The storage is
// kept for later rows.
void DeleteFilterRow(DynamicFilterSet& filters, std::size_t index);

// The effective right of the trustee named `name` (exact, case-sensitive)
// on `entry`, from the entry's ACEs in ACL order, shown or not. Precedence:
// inherited allow 1, inherited deny 2, explicit allow 3, explicit deny 4. An
// ACE of lower precedence than the best one seen so far is skipped; any
// other ACE raises the best precedence to its own, and when it carries every
// bit of the right's mask the result becomes true (allow) or false (deny).
// A right outside 0..14 has no mask: no ACE carries it and the result is
// false. (The filter pass reports such a right, once.)
bool TrusteeHasRight(std::wstring_view name, const CDirEntry& entry, std::uint32_t right);

// Recomputes the `visible` flag of every entry of `shown` and, in compare
// mode, of `compared` from the rows of `filters` (their active flag is not
// looked at). The caller ends find mode before and rebuilds the display
// list after (BuildLineList, or the compare layout), then repaints.
//
// AND (combination 0): the static filter `staticFilter` runs first as
// ApplyStaticFilter does (fully on `shown`, rules 5, 7 and 8 on
// `compared`), and every row then hides the entries it does not hold for.
// OR (any other combination): every entry starts hidden, every row shows
// the entries it holds for, and "." and ".." entries and entries below
// `displayDepth` (0: unlimited) stay hidden; the static filter is not
// applied, so no rows hide everything. Either way `shown` remembers
// `staticFilter`.
//
// `accountNames` is the user list of `shown` (RebuildNameTables). A row for
// "<any user>" holds on an entry of `shown` exactly when some name of that
// list has (code 6) the right; the pass looks only at the names of the
// entry's trustees that are in the list, which gives the same result as
// trying every name of the list. On `compared` every trustee of the entry
// counts. "Does not have permission" for "<any user>" (code 7) holds when
// some trustee of the entry's own ACEs lacks the right.
//
// Rows with a code outside 0..9 are skipped, each with "Internal error:
// dynmamic filter is not implemented" (caption "error in dynamic filters",
// error icon in AND mode, none in OR mode) once for every dataset it would
// have been applied to. A permission row (codes 0, 1, 6, 7) whose right lies
// outside 0..14 holds for no entry, whatever its code: in AND mode it hides
// everything, in OR mode it shows nothing. "internal error: rightmask in
// dynamic filter invalid" (caption "filter", no icon) is then shown once for
// the whole pass however many such rows and entries there are: a settings
// file with one such row must not open a box for every ACE of a file server.
// The messages are shown after the visibility is computed, in row order.
//
// The pass walks each dataset once; its cost is linear in the entries, their
// ACEs and, for "<filename>" rows, their path lengths.
void ApplyDynamicFilters(const DynamicFilterSet& filters, CDirList& shown, CDirList* compared,
                         std::uint8_t staticFilter, std::uint32_t displayDepth,
                         const DisplayedRights& rights,
                         const std::vector<std::wstring>& accountNames, InteractionPort& ui);

}  // namespace quorel
