#include "filters/permissions.h"

#include "core/dir_entry.h"
#include "platform/security_descriptor.h"

namespace quorel {

namespace {

// The basic set's write: FILE_GENERIC_WRITE without READ_CONTROL.
constexpr std::uint32_t kBasicWrite = access::kFileGenericWrite & ~access::kReadControl;

}  // namespace

const std::array<NamedRight, 19>& namedRights() {
    static const std::array<NamedRight, 19> rights = {{
        {L"all", access::kFileAllAccess, L"All Permissions (all)", 0, L"all permissions (all)"},
        {L"g_all", access::kGenericAll, L"GENERIC_ALL (alternate ALL flags)", -1, nullptr},
        {L"g_rd", access::kGenericRead, L"GENERIC_READ (alternate read flag)", -1, nullptr},
        {L"g_wr", access::kGenericWrite, L"GENERIC_WRITE (alternate write flag)", -1, nullptr},
        {L"g_ex", access::kGenericExecute, L"GENERIC_EXECUTE (alternate execute flag)", -1,
         nullptr},
        {L"ex", access::kExecute, L"Execute / Search Folders (ex)", 1, L"execute (ex)"},
        {L"rd", access::kReadData, L"Read / List Folders (rd)", 2, L"read (rd)"},
        {L"rd_a", access::kReadAttributes, L"Read Attributes (rd_a)", 3, L"read attributes (rd_a)"},
        {L"rd_ea", access::kReadEa, L"Read Exteded Attributes (rd_ea)", 4,
         L"read extended attributes (rd_ea)"},
        {L"wr", access::kWriteData, L"Write / Create Files (wr)", 5, L"write (wr)"},
        {L"app", access::kAppendData, L"Append Data / Create Folders (app)", 6,
         L"append data (app)"},
        {L"wr_a", access::kWriteAttributes, L"Write Attributes (wr_a)", 7,
         L"write attributes (wr_a)"},
        {L"wr_ea", access::kWriteEa, L"Write Extended Attributes (wr_ea)", 8,
         L"write extended attributes (wr_ea)"},
        {L"del", access::kDelete, L"Delete (del)", 9, L"delete (del)"},
        {L"rd_p", access::kReadControl, L"Read Permissions (rd_p)", 10, L"read permissions (rd_p)"},
        {L"wr_p", access::kWriteDac, L"Write Permissions (wr_p)", 11, L"write permissions (wr_p)"},
        {L"ow_t", access::kWriteOwner, L"Take Ownership (ow_t)", 12, L"take ownership (ow_t)"},
        {L"del_ch", access::kDeleteChild, L"Delete Child (del_ch)", 13,
         L"file delete child (del_ch)"},
        {L"sync", access::kSynchronize, L"Synchronize (sync)", 14, L"Synchronize (sync)"},
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
        {L"full_acc", access::kFileAllAccess},
        {L"modify", access::kModify},
        {L"rd/ex", access::kReadAndExecute},
        {L"ls_fold", access::kReadAndExecute},
        {L"read", access::kFileGenericRead},
        {L"wr", kBasicWrite},
    }};
    return set;
}

DisplayedRights::DisplayedRights() {
    resetToStartup();
}

void DisplayedRights::resetToStartup() {
    count_ = 0;
    basicMode_ = false;
    AppendRightColumn(access::kReadData, L"rd");
    AppendRightColumn(access::kWriteData, L"wr");
    AppendRightColumn(access::kExecute, L"ex");
    AppendRightColumn(access::kDelete, L"del");
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
        if ((mask == access::kReadAndExecute || mask == access::kFileGenericRead) && readColumn) {
            return plain && (ace.aceFlags & (ace_flag::kInherited | ace_flag::kObjectInherit)) != 0;
        }
        return plain;
    }
    if (mask == access::kReadAndExecute && !readColumn) {
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
    if (ace.isDeny()) {
        // A deny ACE rarely carries SYNCHRONIZE; it still denies the column.
        mask &= ~access::kSynchronize;
    }
    return AceHasRight(ace, mask, readColumn, isDirectory) ? Cell::Set : Cell::Clear;
}

std::wstring shortSuffix(std::uint8_t aceType, std::uint8_t aceFlags) {
    std::wstring s;
    if (aceType == ace_type::kAccessDenied) {
        s += L" DENY";
    }
    if (aceFlags & ace_flag::kInheritOnly) {
        s += L" INHERIT_ONLY";
    } else if (aceFlags & ace_flag::kInherited) {
        s += L" INHERITED";
    }
    return s;
}

std::wstring printSuffix(std::uint8_t aceType, std::uint8_t aceFlags) {
    std::wstring s;
    if (aceType == ace_type::kAccessDenied) {
        s += L" DENY,";
    }
    if (aceFlags & ace_flag::kInherited) {
        s += L" inherited,";
    }
    if (aceFlags & ace_flag::kInheritOnly) {
        s += L" inherit only,";
    }
    if (aceFlags & ace_flag::kObjectInherit) {
        s += L" inh. to files,";
    }
    if (aceFlags & ace_flag::kContainerInherit) {
        s += L" inh. to folders,";
    }
    if (aceFlags & ace_flag::kNoPropagate) {
        s += L" don't propagate,";
    }
    return s;
}

}  // namespace quorel
