#include "storage/settings_file.h"

#include <gtest/gtest.h>

#include "storage/test_bytes.h"

#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "filters/dynamic_filter_set.h"
#include "filters/permissions.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/utf16.h"

namespace quorel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::Interaction;
using Column = std::pair<std::uint32_t, std::wstring>;
using Row = std::tuple<std::uint32_t, std::uint32_t, std::wstring>;

// Characters beyond U+FFFF: one wchar_t on Linux, a surrogate pair on Windows.
const std::wstring kSmile = fromUtf8("\xF0\x9F\x98\x80");  // U+1F600
const std::wstring kHwair = fromUtf8("\xF0\x90\x8D\x88");  // U+10348

// Builds settings files field by field, independently of the writer.
struct Fields : test::LittleEndianBytes<Fields> {
    Fields& magic() { return ascii("Quorel init file").unit(0); }
    Fields& header(std::uint32_t staticFilter) { return magic().u32(1).u32(staticFilter); }
    Fields& row(std::uint32_t op, std::uint32_t right, std::string_view text) {
        u32(op).u32(right).u32(static_cast<std::uint32_t>(2 * (text.size() + 1)));
        return ascii(text).unit(0);
    }
};

Interaction note(const std::wstring& text) {
    Interaction message{Interaction::Kind::Message, text, L"Note"};
    message.icon = MessageIcon::None;
    message.buttons = MessageButtons::Ok;
    return message;
}

std::vector<Column> columnsOf(const DisplayedRights& rights) {
    std::vector<Column> result;
    for (std::size_t i = 0; i < rights.count(); ++i) {
        result.emplace_back(rights.column(i).mask, rights.column(i).abbreviation);
    }
    return result;
}

std::vector<Row> rowsOf(const DynamicFilterSet& filters) {
    std::vector<Row> result;
    for (const FilterRow& r : filters.rows) {
        result.emplace_back(r.op, r.right, r.text);
    }
    return result;
}

const std::vector<Column> kStartupColumns = {
    {0x1, L"rd"}, {0x2, L"wr"}, {0x20, L"ex"}, {0x10000, L"del"}};

class SettingsFile : public ::testing::Test {
  protected:
    SettingsFile() {
        filters.rows = {{0, 5, L"Users"}, {8, 0, L"temp"}};
        filters.combination = 1;
        filters.active = true;
    }

    bool save(const std::wstring& path = L"C:\\s.qsf") {
        return SaveSettings(files, ui, path, view);
    }
    bool load(const Bytes& bytes, bool report = true) {
        files.put(L"C:\\in.qsf", bytes);
        return LoadSettings(files, ui, L"C:\\in.qsf", report, view, [this] { ++applied; });
    }
    // The state before a load, to compare with after a refused one.
    void expectUnchanged() {
        EXPECT_EQ(staticFilter, 2);
        EXPECT_EQ(columnsOf(rights), kStartupColumns);
        EXPECT_EQ(rowsOf(filters), (std::vector<Row>{{0, 5, L"Users"}, {8, 0, L"temp"}}));
        EXPECT_EQ(applied, 0);
    }

    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    std::uint8_t staticFilter = 2;
    DisplayedRights rights;
    DynamicFilterSet filters;
    ViewSettings view{staticFilter, rights, filters};
    int applied = 0;
};

// ---------------------------------------------------------------------------
// Saving

TEST_F(SettingsFile, SavedFileHoldsEveryFieldInOrder) {
    staticFilter = 6;
    rights.AppendRightColumn(0x40, L"del_ch");
    ASSERT_TRUE(save());

    Fields f;
    f.magic().u32(1).u32(6);
    f.u32(5).u32(0x1).u32(0x2).u32(0x20).u32(0x10000).u32(0x40);
    f.u32(2).row(0, 5, "Users").row(8, 0, "temp");
    EXPECT_EQ(*files.get(L"C:\\s.qsf"), f.bytes);
    // 34 bytes of magic, then the version.
    EXPECT_EQ(f.bytes[34], 1);
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(SettingsFile, SavedFileOmitsCombinationActiveFlagAndBasicMode) {
    filters.rows.clear();
    rights.clear();
    rights.setBasicPermissionMode(true);
    staticFilter = 1;
    ASSERT_TRUE(save());
    Fields f;
    f.header(1).u32(0).u32(0);
    EXPECT_EQ(*files.get(L"C:\\s.qsf"), f.bytes);
    EXPECT_EQ(f.bytes.size(), 34u + 4 * 4);
}

TEST_F(SettingsFile, RowTextIsWrittenAsUtf16WithSurrogatePairs) {
    filters.rows = {{1, 14, std::wstring(L"a") + kSmile + L"\u00e9"}};
    ASSERT_TRUE(save());
    Fields f;
    f.header(2).u32(4).u32(0x1).u32(0x2).u32(0x20).u32(0x10000).u32(1);
    f.u32(1).u32(14).u32(10).ascii("a").unit(0xD83D).unit(0xDE00).unit(0xE9).unit(0);
    EXPECT_EQ(*files.get(L"C:\\s.qsf"), f.bytes);
}

TEST_F(SettingsFile, RowTextIsCutToTheFieldWithoutSplittingAPair) {
    const std::wstring full(999, L'x');
    filters.rows = {{0, 0, full}, {0, 0, full + L"yz"}, {0, 0, full.substr(1) + kSmile}};
    ASSERT_TRUE(save());
    Fields f;
    f.header(2).u32(4).u32(0x1).u32(0x2).u32(0x20).u32(0x10000).u32(3);
    const std::string x999(999, 'x');
    f.row(0, 0, x999).row(0, 0, x999).row(0, 0, x999.substr(1));
    EXPECT_EQ(*files.get(L"C:\\s.qsf"), f.bytes);
}

TEST_F(SettingsFile, CreateFailureIsReported) {
    files.failCreates(true);
    EXPECT_FALSE(save());
    EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"Error writing settings file")});
}

TEST_F(SettingsFile, WriteFailureIsReported) {
    files.failWritesAfter(40);
    EXPECT_FALSE(save());
    EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"Error writing data to file")});
}

// ---------------------------------------------------------------------------
// Loading

TEST_F(SettingsFile, RoundTripRestoresFilterColumnsAndRows) {
    staticFilter = 7;
    rights.clear();
    for (const NamedRight& r : namedRights()) {
        if (r.mask != 0x1 && r.mask != 0x20000) {
            rights.AppendRightColumn(r.mask, r.abbreviation);
        }
    }
    filters.rows.push_back({3, 0, std::wstring(999, L'\u4e2d')});
    filters.rows.push_back({9, 0, std::wstring(L"C:\\") + kHwair});
    ASSERT_TRUE(save());
    const std::vector<Column> savedColumns = columnsOf(rights);
    const std::vector<Row> savedRows = rowsOf(filters);

    staticFilter = 1;
    rights.resetToStartup();
    filters.rows.clear();
    filters.combination = 0;
    filters.active = false;
    ASSERT_TRUE(LoadSettings(files, ui, L"C:\\s.qsf", true, view, [this] { ++applied; }));
    EXPECT_EQ(staticFilter, 7);
    EXPECT_EQ(columnsOf(rights), savedColumns);
    EXPECT_EQ(rights.count(), 17u);
    EXPECT_EQ(rowsOf(filters), savedRows);
    EXPECT_EQ(filters.combination, 0u);
    EXPECT_FALSE(filters.active);
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(SettingsFile, FiltersAreAppliedOnceAfterEverythingIsSet) {
    Fields f;
    f.header(4).u32(1).u32(0x80).u32(1).row(2, 0, "alice");
    std::vector<Row> seenRows;
    std::uint8_t seenFilter = 0;
    files.put(L"C:\\in.qsf", f.bytes);
    ASSERT_TRUE(LoadSettings(files, ui, L"C:\\in.qsf", true, view, [&] {
        ++applied;
        seenRows = rowsOf(filters);
        seenFilter = staticFilter;
    }));
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(seenFilter, 4);
    EXPECT_EQ(seenRows, (std::vector<Row>{{2, 0, L"alice"}}));
    EXPECT_EQ(columnsOf(rights), (std::vector<Column>{{0x80, L"rd_a"}}));
}

TEST_F(SettingsFile, EveryNamedMaskLoadsAsItsAbbreviation) {
    Fields f;
    f.header(1).u32(19);
    for (const NamedRight& r : namedRights()) {
        f.u32(r.mask);
    }
    f.u32(0);
    rights.clear();
    ASSERT_TRUE(load(f.bytes));
    const std::vector<Column> expected = {
        {0x1F01FF, L"all"},    {0x10000000, L"g_all"}, {0x80000000, L"g_rd"}, {0x40000000, L"g_wr"},
        {0x20000000, L"g_ex"}, {0x20, L"ex"},          {0x1, L"rd"},          {0x80, L"rd_a"},
        {0x8, L"rd_ea"},       {0x2, L"wr"},           {0x4, L"app"},         {0x100, L"wr_a"},
        {0x10, L"wr_ea"},      {0x10000, L"del"},      {0x20000, L"rd_p"},    {0x40000, L"wr_p"},
        {0x80000, L"ow_t"},    {0x40, L"del_ch"},      {0x100000, L"sync"}};
    EXPECT_EQ(columnsOf(rights), expected);
    EXPECT_TRUE(filters.rows.empty());
}

TEST_F(SettingsFile, UnknownMaskLeavesItsRowAsItWas) {
    Fields f;
    f.header(1).u32(4).u32(0x3).u32(0x100000).u32(0).u32(0x1F01FE).u32(0);
    ASSERT_TRUE(load(f.bytes));
    EXPECT_EQ(
        columnsOf(rights),
        (std::vector<Column>{{0x1, L"rd"}, {0x100000, L"sync"}, {0x20, L"ex"}, {0x10000, L"del"}}));
}

TEST_F(SettingsFile, BasicSetLoadsWithAllInPlaceOfFullAccess) {
    rights.SetBasicPermissionSet();
    rights.setBasicPermissionMode(true);
    ASSERT_TRUE(save());
    std::vector<Column> expected = columnsOf(rights);
    ASSERT_EQ(expected.size(), 6u);
    ASSERT_EQ(expected[0], (Column{0x1F01FF, L"full_acc"}));
    expected[0] = {0x1F01FF, L"all"};

    ASSERT_TRUE(LoadSettings(files, ui, L"C:\\s.qsf", true, view, {}));
    EXPECT_EQ(columnsOf(rights), expected);
    EXPECT_TRUE(rights.basicPermissionMode());
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(SettingsFile, BasicMasksLoadedIntoTheStartupColumnsKeepThoseColumns) {
    Fields f;
    f.header(1).u32(6);
    for (const BasicPermission& p : basicPermissionSet()) {
        f.u32(p.mask);
    }
    f.u32(0);
    ASSERT_TRUE(load(f.bytes));
    // Rows 4 and 5 were never set in this table: they keep its empty rows.
    EXPECT_EQ(columnsOf(rights), (std::vector<Column>{{0x1F01FF, L"all"},
                                                      {0x2, L"wr"},
                                                      {0x20, L"ex"},
                                                      {0x10000, L"del"},
                                                      {0, L""},
                                                      {0, L""}}));
}

TEST_F(SettingsFile, ThreeRowsLoadInTheCurrentCombination) {
    filters.combination = 0;
    filters.active = false;
    Fields f;
    f.header(1).u32(0).u32(3).row(0, 5, "Users").row(8, 0, "temp").row(1, 9, "<any user>");
    ASSERT_TRUE(load(f.bytes));
    EXPECT_EQ(rowsOf(filters),
              (std::vector<Row>{{0, 5, L"Users"}, {8, 0, L"temp"}, {1, 9, L"<any user>"}}));
    EXPECT_EQ(filters.combination, 0u);
    EXPECT_FALSE(filters.active);

    filters.combination = 1;
    filters.active = true;
    ASSERT_TRUE(load(f.bytes));
    EXPECT_EQ(filters.rows.size(), 3u);
    EXPECT_EQ(filters.combination, 1u);
    EXPECT_TRUE(filters.active);
    EXPECT_EQ(applied, 2);
}

TEST_F(SettingsFile, OnlyTheLowByteOfTheStaticFilterIsRead) {
    Fields f;
    f.header(0x12345603).u32(0).u32(0);
    ASSERT_TRUE(load(f.bytes));
    EXPECT_EQ(staticFilter, 3);
}

TEST_F(SettingsFile, EmptyColumnsAndRowsLoad) {
    Fields f;
    f.header(5).u32(0).u32(0);
    ASSERT_TRUE(load(f.bytes));
    EXPECT_EQ(rights.count(), 0u);
    EXPECT_TRUE(filters.rows.empty());
    EXPECT_EQ(applied, 1);
}

TEST_F(SettingsFile, ThirtyColumnsLoad) {
    Fields f;
    f.header(1).u32(30);
    for (int i = 0; i < 30; ++i) {
        f.u32(0x40);
    }
    f.u32(0);
    ASSERT_TRUE(load(f.bytes));
    EXPECT_EQ(rights.count(), 30u);
    EXPECT_EQ(rights.column(29).abbreviation, L"del_ch");
}

TEST_F(SettingsFile, RowTextEndsAtItsFirstNul) {
    Fields f;
    f.header(1).u32(0).u32(1);
    f.u32(8).u32(0).u32(12).ascii("ab").unit(0).ascii("cd").unit(0);
    ASSERT_TRUE(load(f.bytes));
    EXPECT_EQ(rowsOf(filters), (std::vector<Row>{{8, 0, L"ab"}}));
}

TEST_F(SettingsFile, RowTextOfTheWholeFieldKeeps999Characters) {
    Fields f;
    f.header(1).u32(0).u32(2);
    f.u32(8).u32(0).u32(2000).ascii(std::string(999, 'q')).unit(0);
    // No terminator in the file: the field's last unit ends the text.
    f.u32(9).u32(0).u32(2000).ascii(std::string(1000, 'r'));
    ASSERT_TRUE(load(f.bytes));
    ASSERT_EQ(filters.rows.size(), 2u);
    EXPECT_EQ(filters.rows[0].text, std::wstring(999, L'q'));
    EXPECT_EQ(filters.rows[1].text, std::wstring(999, L'r'));
}

TEST_F(SettingsFile, MissingDefaultFileIsSilent) {
    EXPECT_FALSE(LoadSettings(files, ui, L"C:\\Users\\me\\AppData\\Local\\Quorel\\Quorel.qsf",
                              false, view, [this] { ++applied; }));
    EXPECT_TRUE(ui.events().empty());
    expectUnchanged();
}

TEST_F(SettingsFile, MissingChosenFileIsReported) {
    EXPECT_FALSE(LoadSettings(files, ui, L"C:\\nothere.qsf", true, view, [this] { ++applied; }));
    EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"Error opening file")});
    expectUnchanged();
}

TEST_F(SettingsFile, MagicDifferingInAnyOneByteChangesNothing) {
    Fields good;
    good.header(7).u32(1).u32(0x40).u32(0);
    for (std::size_t i = 0; i < 34; ++i) {
        Bytes bytes = good.bytes;
        bytes[i] ^= (i % 2 == 0) ? 0x20 : 0x01;  // 'Q' -> 'q', or a high byte set
        ui.clear();
        EXPECT_FALSE(load(bytes)) << "byte " << i;
        EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"not a Quorel settings file")})
            << "byte " << i;
        expectUnchanged();
    }
}

TEST_F(SettingsFile, DatasetFileIsNotASettingsFile) {
    Fields f;
    f.unit(10).unit(32).ascii("ACL-STRUCT_FILE").unit(0).unit(1).unit(8).u32(2).u32(1);
    EXPECT_FALSE(load(f.bytes));
    EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"not a Quorel settings file")});
    expectUnchanged();
}

TEST_F(SettingsFile, OtherVersionsChangeNothing) {
    for (std::uint32_t version : {0u, 2u, 0x101u, 0xFFFFFFFFu}) {
        Fields f;
        f.magic().u32(version).u32(7).u32(1).u32(0x40).u32(0);
        ui.clear();
        EXPECT_FALSE(load(f.bytes));
        EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"wrong version of init-file")});
        expectUnchanged();
    }
}

TEST_F(SettingsFile, FileCutAfterTheStaticFilterKeepsTheNewFilterAndTheOldRows) {
    Fields f;
    f.header(5);
    EXPECT_FALSE(load(f.bytes));
    EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"Error reading settings file")});
    EXPECT_EQ(staticFilter, 5);
    EXPECT_EQ(columnsOf(rights), kStartupColumns);
    EXPECT_EQ(rowsOf(filters), (std::vector<Row>{{0, 5, L"Users"}, {8, 0, L"temp"}}));
    EXPECT_EQ(applied, 0);
}

TEST_F(SettingsFile, FileCutAnywhereIsAReadError) {
    Fields f;
    f.header(3).u32(2).u32(0x40).u32(0x80).u32(2).row(0, 1, "Users").row(9, 0, "x");
    for (std::size_t size = 0; size < f.bytes.size(); ++size) {
        ui.clear();
        EXPECT_FALSE(load(Bytes(f.bytes.begin(), f.bytes.begin() + size))) << size;
        EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"Error reading settings file")})
            << size;
    }
    EXPECT_EQ(applied, 0);
    ui.clear();
    EXPECT_TRUE(load(f.bytes));
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(SettingsFile, FileCutAmongTheMasksSetsTheCountAndTheMasksRead) {
    Fields f;
    f.header(4).u32(3).u32(0x40);
    EXPECT_FALSE(load(f.bytes));
    EXPECT_EQ(ui.messageTexts(), std::vector<std::wstring>{L"Error reading settings file"});
    EXPECT_EQ(staticFilter, 4);
    EXPECT_EQ(columnsOf(rights),
              (std::vector<Column>{{0x40, L"del_ch"}, {0x2, L"wr"}, {0x20, L"ex"}}));
    EXPECT_EQ(rowsOf(filters), (std::vector<Row>{{0, 5, L"Users"}, {8, 0, L"temp"}}));
}

TEST_F(SettingsFile, ColumnCountAbove30StopsBeforeTheColumns) {
    Fields f;
    f.header(6).u32(31);
    for (int i = 0; i < 31; ++i) {
        f.u32(0x40);
    }
    f.u32(0);
    EXPECT_FALSE(load(f.bytes));
    EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"Error reading settings file")});
    EXPECT_EQ(staticFilter, 6);
    EXPECT_EQ(columnsOf(rights), kStartupColumns);
    EXPECT_EQ(filters.rows.size(), 2u);
    EXPECT_EQ(applied, 0);
}

TEST_F(SettingsFile, RowCountTheFileCannotHoldKeepsTheOldRows) {
    for (std::uint32_t count : {2u, 1000u, 0x10000000u, 0xFFFFFFFFu}) {
        Fields f;
        // Room for one row of 14 bytes: fewer than 2 × 12.
        f.header(8).u32(1).u32(0x4).u32(count).row(0, 0, "");
        ui.clear();
        EXPECT_FALSE(load(f.bytes)) << count;
        EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"Error reading settings file")});
        EXPECT_EQ(staticFilter, 8);
        EXPECT_EQ(columnsOf(rights), (std::vector<Column>{{0x4, L"app"}}));
        EXPECT_EQ(rowsOf(filters), (std::vector<Row>{{0, 5, L"Users"}, {8, 0, L"temp"}}));
    }
    EXPECT_EQ(applied, 0);
}

TEST_F(SettingsFile, FailureAmongTheRowsKeepsTheRowsRead) {
    Fields f;
    f.header(1).u32(0).u32(3).row(2, 0, "bob").u32(4).u32(7).u32(2000).ascii("zzzzzzzz");
    // 3 rows need at least 36 bytes and the file holds 48 after the count, so
    // reading starts; the second text is cut short.
    ASSERT_EQ(f.bytes.size() - 50, 48u);
    EXPECT_FALSE(load(f.bytes));
    EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"Error reading settings file")});
    EXPECT_EQ(rowsOf(filters), (std::vector<Row>{{2, 0, L"bob"}, {4, 7, L""}, {0, 0, L""}}));
    EXPECT_EQ(applied, 0);
}

TEST_F(SettingsFile, TextLengthOddZeroOrBeyondTheFieldIsAReadError) {
    for (std::uint32_t length : {0u, 1u, 3u, 2001u, 2002u, 0x80000000u, 0xFFFFFFFEu}) {
        Fields f;
        f.header(1).u32(0).u32(1).u32(8).u32(0).u32(length).ascii(std::string(1100, 'z'));
        ui.clear();
        EXPECT_FALSE(load(f.bytes)) << length;
        EXPECT_EQ(ui.events(), std::vector<Interaction>{note(L"Error reading settings file")})
            << length;
        // The row count was set; the row got its code and right only.
        EXPECT_EQ(rowsOf(filters), (std::vector<Row>{{8, 0, L""}})) << length;
    }
    EXPECT_EQ(applied, 0);
}

}  // namespace
}  // namespace quorel
