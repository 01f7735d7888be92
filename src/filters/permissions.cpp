#include "filters/permissions.h"

#include "core/dir_entry.h"

namespace quorel {

const std::array<NamedRight, 19>& namedRights() {
    static const std::array<NamedRight, 19> rights = {{
        {L"all", 0x001F01FF, L"All Permissions (all)", 0, L"all permissions (all)"},
        {L"g_all", 0x10000000, L"GENERIC_ALL (alternate ALL flags)", -1, nullptr},
        {L"g_rd", 0x80000000, L"GENERIC_READ (alternate read flag)", -1, nullptr},
        {L"g_wr", 0x40000000, L"GENERIC_WRITE (alternate write flag)", -1, nullptr},
        {L"g_ex", 0x20000000, L"GENERIC_EXECUTE (alternate execute flag)", -1, nullptr},
        {L"ex", 0x00000020, L"Execute / Search Folders (ex)", 1, L"execute (ex)"},
        {L"rd", 0x00000001, L"Read / List Folders (rd)", 2, L"read (rd)"},
        {L"rd_a", 0x00000080, L"Read Attributes (rd_a)", 3, L"read attributes (rd_a)"},
        {L"rd_ea", 0x00000008, L"Read Exteded Attributes (rd_ea)", 4,
         L"read extended attributes (rd_ea)"},
        {L"wr", 0x00000002, L"Write / Create Files (wr)", 5, L"write (wr)"},
        {L"app", 0x00000004, L"Append Data / Create Folders (app)", 6, L"append data (app)"},
        {L"wr_a", 0x00000100, L"Write Attributes (wr_a)", 7, L"write attributes (wr_a)"},
        {L"wr_ea", 0x00000010, L"Write Extended Attributes (wr_ea)", 8,
         L"write extended attributes (wr_ea)"},
        {L"del", 0x00010000, L"Delete (del)", 9, L"delete (del)"},
        {L"rd_p", 0x00020000, L"Read Permissions (rd_p)", 10, L"read permissions (rd_p)"},
        {L"wr_p", 0x00040000, L"Write Permissions (wr_p)", 11, L"write permissions (wr_p)"},
        {L"ow_t", 0x00080000, L"Take Ownership (ow_t)", 12, L"take ownership (ow_t)"},
        {L"del_ch", 0x00000040, L"Delete Child (del_ch)", 13, L"file delete child (del_ch)"},
        {L"sync", 0x00100000, L"Synchronize (sync)", 14, L"Synchronize (sync)"},
    }};
    return rights;
}

const NamedRight* rightForFilterIndex(int index) {
    for (const NamedRight& r : namedRights()) {
        if (r.filterIndex >= 0 && r.filterIndex == index) {
            return &r;
        }
    }
    return nullptr;
}

const NamedRight* rightByAbbreviation(std::wstring_view abbreviation) {
    for (const NamedRight& r : namedRights()) {
        if (abbreviation == r.abbreviation) {
            return &r;
        }
    }
    return nullptr;
}

const std::array<BasicPermission, 6>& basicPermissionSet() {
    static const std::array<BasicPermission, 6> set = {{
        {L"full_acc", 0x001F01FF},
        {L"modify", 0x001301BF},
        {L"rd/ex", 0x001200A9},
        {L"ls_fold", 0x001200A9},
        {L"read", 0x00120089},
        {L"wr", 0x00100116},
    }};
    return set;
}

DisplayedRights::DisplayedRights() {
    resetToStartup();
}

void DisplayedRights::resetToStartup() {
    count_ = 0;
    basicMode_ = false;
    AppendRightColumn(0x00000001, L"rd");
    AppendRightColumn(0x00000002, L"wr");
    AppendRightColumn(0x00000020, L"ex");
    AppendRightColumn(0x00010000, L"del");
}

void DisplayedRights::SetBasicPermissionSet() {
    count_ = 0;
    for (const BasicPermission& p : basicPermissionSet()) {
        AppendRightColumn(p.mask, p.abbreviation);
    }
}

bool DisplayedRights::AppendRightColumn(std::uint32_t mask, std::wstring_view abbreviation) {
    if (count_ >= kCapacity) {
        return false;
    }
    rows_[count_].mask = mask;
    rows_[count_].abbreviation = abbreviation.substr(0, RightColumn::kMaxAbbreviation);
    ++count_;
    return true;
}

bool DisplayedRights::AceHasRight(const AceRecord& ace, std::uint32_t mask, bool readColumn,
                                  bool isDirectory) const {
    const bool plain = (ace.accessMask & mask) == mask;
    if (!basicMode_) {
        return plain;
    }
    if (isDirectory) {
        if ((mask == 0x001200A9 || mask == 0x00120089) && readColumn) {
            return plain && (ace.aceFlags & 0x11) != 0;
        }
        return plain;
    }
    if (mask == 0x001200A9 && !readColumn) {
        return false;  // ls_fold on a file
    }
    return plain;
}

Cell DisplayedRights::ColumnCell(const CDirEntry& entry, const AceRecord& ace,
                                 std::size_t column) const {
    const RightColumn& col = rows_[column];
    if (!basicMode_) {
        return AceHasRight(ace, col.mask, false, false) ? Cell::Set : Cell::Clear;
    }
    const bool isDirectory = entry.isDirectory();
    if (col.abbreviation == L"ls_fold" && !isDirectory) {
        return Cell::Blank;
    }
    const bool readColumn = col.abbreviation == L"rd/ex" || col.abbreviation == L"read";
    std::uint32_t mask = col.mask;
    if (ace.aceType == 1) {
        // A deny ACE rarely carries SYNCHRONIZE; it still denies the column.
        mask &= ~kSynchronize;
    }
    return AceHasRight(ace, mask, readColumn, isDirectory) ? Cell::Set : Cell::Clear;
}

std::wstring shortSuffix(std::uint8_t aceType, std::uint8_t aceFlags) {
    std::wstring s;
    if (aceType == 1) {
        s += L" DENY";
    }
    if (aceFlags & 0x08) {
        s += L" INHERIT_ONLY";
    } else if (aceFlags & 0x10) {
        s += L" INHERITED";
    }
    return s;
}

std::wstring printSuffix(std::uint8_t aceType, std::uint8_t aceFlags) {
    std::wstring s;
    if (aceType == 1) {
        s += L" DENY,";
    }
    if (aceFlags & 0x10) {
        s += L" inherited,";
    }
    if (aceFlags & 0x08) {
        s += L" inherit only,";
    }
    if (aceFlags & 0x01) {
        s += L" inh. to files,";
    }
    if (aceFlags & 0x02) {
        s += L" inh. to folders,";
    }
    if (aceFlags & 0x04) {
        s += L" don't propagate,";
    }
    return s;
}

}  // namespace quorel
