#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorel {

class AceRecord;
class CDirEntry;

// One named bit (or bit group) of the NTFS access mask.
struct NamedRight {
    const wchar_t* abbreviation;
    std::uint32_t mask;
    const wchar_t* selectionLabel;  // check box text of the permission window
    int filterIndex;                // position in a dynamic filter row's list; -1: not offered
    const wchar_t* filterLabel;     // null when not offered to filters
};

// The nineteen named rights, in the order the permission window rebuilds
// the displayed table.
const std::array<NamedRight, 19>& namedRights();
// The named right of a dynamic filter index 0..14, or null outside it.
const NamedRight* rightForFilterIndex(int index);
// The named right with this abbreviation (exact), or null.
const NamedRight* rightByAbbreviation(std::wstring_view abbreviation);

struct BasicPermission {
    const wchar_t* abbreviation;
    std::uint32_t mask;
};
// The six compound rows of the basic permission set.
const std::array<BasicPermission, 6>& basicPermissionSet();

// One column of the matrix.
struct RightColumn {
    static constexpr std::size_t kMaxAbbreviation = 9;

    std::uint32_t mask = 0;
    std::wstring abbreviation;  // at most 9 characters
};

enum class Cell : std::uint8_t { Blank, Set, Clear };

// The displayed permission columns, shared by the matrix, CSV export,
// printing and the settings file.
class DisplayedRights {
  public:
    static constexpr std::size_t kCapacity = 30;

    // Four columns rd, wr, ex, del; basic mode off.
    DisplayedRights();

    std::size_t count() const { return count_; }
    const RightColumn& column(std::size_t i) const { return rows_[i]; }
    bool basicPermissionMode() const { return basicMode_; }
    void setBasicPermissionMode(bool on) { basicMode_ = on; }

    void clear() { count_ = 0; }
    // Replaces the rows by the six basic rows; leaves the basic flag alone.
    void SetBasicPermissionSet();
    // Appends a column; false (nothing changed) when all 30 rows are in use.
    // A longer abbreviation is cut to 9 characters.
    bool AppendRightColumn(std::uint32_t mask, std::wstring_view abbreviation);
    // Back to the four start-up columns, basic mode off.
    void resetToStartup();

    // Whether `ace` shows the permission `mask` of a column.
    bool AceHasRight(const AceRecord& ace, std::uint32_t mask, bool readColumn,
                     bool isDirectory) const;
    // The cell of `ace` (an ACE of `entry`) in column `column`.
    Cell ColumnCell(const CDirEntry& entry, const AceRecord& ace, std::size_t column) const;

  private:
    std::array<RightColumn, kCapacity> rows_;
    std::size_t count_ = 0;
    bool basicMode_ = false;
};

// Words for an ACE's type and flags.
// " DENY", then " INHERIT_ONLY" or else " INHERITED".
std::wstring shortSuffix(std::uint8_t aceType, std::uint8_t aceFlags);
// " DENY," " inherited," " inherit only," " inh. to files," " inh. to folders,"
// " don't propagate," for every bit that is set, in that order.
std::wstring printSuffix(std::uint8_t aceType, std::uint8_t aceFlags);
// The header of the flag columns of the matrix.
constexpr const wchar_t* kFlagColumnsHeader =
    L"inherited | inh. only |     inherit to:     | don't propagate";
// Appended to a deny ACE's trustee on an ordinary matrix line.
constexpr const wchar_t* kDenyLineSuffix = L", deny";

}  // namespace quorel
