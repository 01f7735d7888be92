#include "filters/permissions.h"

#include <gtest/gtest.h>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "platform/sim/recording_interaction.h"

namespace quorel {
namespace {

AceRecord ace(std::uint32_t mask, std::uint8_t flags = 0, std::uint8_t type = 0) {
    AceRecord r;  // the rights of an ACE do not depend on its trustee
    r.set(mask, flags, type);
    return r;
}

std::size_t columnIndex(const DisplayedRights& rights, std::wstring_view abbreviation) {
    for (std::size_t i = 0; i < rights.count(); ++i) {
        if (rights.column(i).abbreviation == abbreviation) {
            return i;
        }
    }
    ADD_FAILURE() << "no column";
    return 0;
}

// A folder entry (it has a child) and a file entry.
struct Entries {
    sim::RecordingInteraction ui;
    CDirList list{ui};
    DatasetBuilder listBuild{list};
    CDirEntry* folder;
    CDirEntry* file;
    Entries() {
        folder = listBuild.addLoadEntry();
        file = listBuild.addLoadChild();
    }
};

class BasicMode : public ::testing::Test {
  protected:
    BasicMode() {
        rights.SetBasicPermissionSet();
        rights.setBasicPermissionMode(true);
    }
    Cell cell(const CDirEntry* e, const AceRecord& a, const wchar_t* column) {
        return rights.ColumnCell(*e, a, columnIndex(rights, column));
    }
    DisplayedRights rights;
    Entries entries;
};

TEST(NamedRights, TableHoldsNineteenRowsWithTheirIndexes) {
    const auto& rights = namedRights();
    EXPECT_EQ(rights.size(), 19u);
    EXPECT_EQ(std::wstring(rights[0].abbreviation), L"all");
    EXPECT_EQ(std::wstring(rights[8].selectionLabel), L"Read Exteded Attributes (rd_ea)");
    EXPECT_EQ(std::wstring(rights[18].filterLabel), L"Synchronize (sync)");
    for (int i = 0; i <= 14; ++i) {
        ASSERT_NE(rightForFilterIndex(i), nullptr) << i;
        EXPECT_EQ(rightForFilterIndex(i)->filterIndex, i);
    }
    EXPECT_EQ(rightForFilterIndex(15), nullptr);
    EXPECT_EQ(rightForFilterIndex(-1), nullptr);
    EXPECT_EQ(std::wstring(rightForFilterIndex(13)->filterLabel), L"file delete child (del_ch)");
    EXPECT_EQ(rightByAbbreviation(L"g_all")->mask, 0x10000000u);
    EXPECT_EQ(rightByAbbreviation(L"g_all")->filterLabel, nullptr);
    EXPECT_EQ(rightByAbbreviation(L"full_acc"), nullptr);
    // Every named mask is distinct.
    for (std::size_t i = 0; i < rights.size(); ++i) {
        for (std::size_t j = i + 1; j < rights.size(); ++j) {
            EXPECT_NE(rights[i].mask, rights[j].mask);
        }
    }
}

TEST(DisplayedRights, StartsWithFourColumnsAndHoldsThirty) {
    DisplayedRights rights;
    ASSERT_EQ(rights.count(), 4u);
    EXPECT_EQ(rights.column(0).abbreviation, L"rd");
    EXPECT_EQ(rights.column(1).mask, 0x2u);
    EXPECT_EQ(rights.column(2).abbreviation, L"ex");
    EXPECT_EQ(rights.column(3).mask, 0x10000u);
    EXPECT_FALSE(rights.basicPermissionMode());
    for (int i = 0; i < 26; ++i) {
        EXPECT_TRUE(rights.AppendRightColumn(1u << (i % 20), L"x"));
    }
    EXPECT_EQ(rights.count(), 30u);
    EXPECT_FALSE(rights.AppendRightColumn(1, L"extra"));
    EXPECT_EQ(rights.count(), 30u);
    rights.clear();
    EXPECT_TRUE(rights.AppendRightColumn(1, L"abcdefghijkl"));
    EXPECT_EQ(rights.column(0).abbreviation, L"abcdefghi");
}

TEST(DisplayedRights, BasicSetReplacesRowsButNotTheFlag) {
    DisplayedRights rights;
    rights.SetBasicPermissionSet();
    EXPECT_FALSE(rights.basicPermissionMode());
    ASSERT_EQ(rights.count(), 6u);
    const wchar_t* names[] = {L"full_acc", L"modify", L"rd/ex", L"ls_fold", L"read", L"wr"};
    const std::uint32_t masks[] = {0x1F01FF, 0x1301BF, 0x1200A9, 0x1200A9, 0x120089, 0x100116};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(rights.column(i).abbreviation, names[i]);
        EXPECT_EQ(rights.column(i).mask, masks[i]);
    }
}

TEST(DisplayedRights, PlainModeNeedsEveryBitAndGenericBitsMatchOnlyTheirOwnColumns) {
    DisplayedRights rights;
    rights.clear();
    for (const NamedRight& r : namedRights()) {
        rights.AppendRightColumn(r.mask, r.abbreviation);
    }
    Entries entries;
    AceRecord full = ace(0x1F01FF);
    AceRecord genericAll = ace(0x10000000);
    for (std::size_t i = 0; i < rights.count(); ++i) {
        const bool generic = rights.column(i).abbreviation.rfind(L"g_", 0) == 0;
        EXPECT_EQ(rights.ColumnCell(*entries.file, full, i), generic ? Cell::Clear : Cell::Set)
            << i;
        EXPECT_EQ(rights.ColumnCell(*entries.file, genericAll, i),
                  rights.column(i).abbreviation == L"g_all" ? Cell::Set : Cell::Clear)
            << i;
    }
    // "all" needs every one of its bits.
    EXPECT_EQ(rights.ColumnCell(*entries.file, ace(0x0F01FF), 0), Cell::Clear);
}

TEST_F(BasicMode, ListFolderIsBlankOnFilesAndReadColumnsNeedFileReach) {
    AceRecord containerOnly = ace(0x1200A9, 0x02);
    EXPECT_EQ(cell(entries.file, containerOnly, L"ls_fold"), Cell::Blank);
    EXPECT_EQ(cell(entries.folder, containerOnly, L"ls_fold"), Cell::Set);
    EXPECT_EQ(cell(entries.folder, containerOnly, L"rd/ex"), Cell::Clear);
    EXPECT_EQ(cell(entries.folder, containerOnly, L"read"), Cell::Clear);
    AceRecord both = ace(0x1200A9, 0x03);
    EXPECT_EQ(cell(entries.folder, both, L"ls_fold"), Cell::Set);
    EXPECT_EQ(cell(entries.folder, both, L"rd/ex"), Cell::Set);
    EXPECT_EQ(cell(entries.folder, both, L"read"), Cell::Set);
    AceRecord inherited = ace(0x1200A9, 0x10);
    EXPECT_EQ(cell(entries.folder, inherited, L"ls_fold"), Cell::Set);
    EXPECT_EQ(cell(entries.folder, inherited, L"rd/ex"), Cell::Set);
    // On a file the read columns take the plain test.
    AceRecord noFlags = ace(0x1200A9);
    EXPECT_EQ(cell(entries.file, noFlags, L"rd/ex"), Cell::Set);
    EXPECT_EQ(cell(entries.file, noFlags, L"read"), Cell::Set);
    EXPECT_EQ(cell(entries.file, noFlags, L"modify"), Cell::Clear);
}

TEST_F(BasicMode, FolderThatWasNotDescendedCountsAsFile) {
    CDirEntry* undescended = entries.listBuild.addLoadEntry();  // no children
    EXPECT_EQ(cell(undescended, ace(0x1200A9, 0x02), L"ls_fold"), Cell::Blank);
}

TEST_F(BasicMode, DenyAcesAreEvaluatedWithoutSynchronize) {
    AceRecord denyAll = ace(0x0F01FF, 0, 1);
    EXPECT_EQ(cell(entries.file, denyAll, L"full_acc"), Cell::Set);
    EXPECT_EQ(cell(entries.file, ace(0x0F01FF), L"full_acc"), Cell::Clear);
    AceRecord denyRead = ace(0x020089, 0x02, 1);  // container-inherit only
    // The cleared mask is not one of the two special masks: plain test, so
    // the read columns show set on a folder without file reach.
    EXPECT_EQ(cell(entries.folder, denyRead, L"read"), Cell::Set);
    EXPECT_EQ(cell(entries.folder, ace(0x0200A9, 0x02, 1), L"rd/ex"), Cell::Set);
    EXPECT_EQ(cell(entries.folder, ace(0x0200A9, 0x02, 1), L"ls_fold"), Cell::Set);
    EXPECT_EQ(cell(entries.file, ace(0x000116, 0, 1), L"wr"), Cell::Set);
    EXPECT_EQ(cell(entries.file, ace(0x000116, 0, 0), L"wr"), Cell::Clear);
}

TEST_F(BasicMode, AceHasRightRules) {
    // ls_fold asked directly on a file is false even with every bit.
    EXPECT_FALSE(rights.AceHasRight(ace(0x1F01FF), 0x1200A9, false, false));
    EXPECT_TRUE(rights.AceHasRight(ace(0x1F01FF), 0x1200A9, true, false));
    EXPECT_FALSE(rights.AceHasRight(ace(0x1F01FF, 0x02), 0x120089, true, true));
    EXPECT_TRUE(rights.AceHasRight(ace(0x1F01FF, 0x02), 0x120089, false, true));
    EXPECT_TRUE(rights.AceHasRight(ace(0x1F01FF, 0x01), 0x120089, true, true));
}

TEST(AceWords, ShortAndPrintSuffixes) {
    EXPECT_EQ(shortSuffix(0, 0), L"");
    EXPECT_EQ(shortSuffix(1, 0), L" DENY");
    EXPECT_EQ(shortSuffix(0, 0x10), L" INHERITED");
    EXPECT_EQ(shortSuffix(1, 0x18), L" DENY INHERIT_ONLY");
    EXPECT_EQ(shortSuffix(0, 0x08), L" INHERIT_ONLY");
    EXPECT_EQ(printSuffix(1, 0x1F),
              L" DENY, inherited, inherit only, inh. to files, inh. to folders, don't propagate,");
    EXPECT_EQ(printSuffix(0, 0x02), L" inh. to folders,");
    EXPECT_EQ(printSuffix(0, 0), L"");
    EXPECT_EQ(std::wstring(kFlagColumnsHeader),
              L"inherited | inh. only |     inherit to:     | don't propagate");
}

}  // namespace
}  // namespace quorel
