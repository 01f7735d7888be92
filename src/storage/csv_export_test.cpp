#include "storage/csv_export.h"

#include <gtest/gtest.h>

#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/permissions.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/utf16.h"

namespace quorel {
namespace {

class Csv : public ::testing::Test {
  protected:
    Csv() {
        rights.clear();
        rights.AppendRightColumn(0x1, L"rd");
        rights.AppendRightColumn(0x2, L"wr");
        folder = listBuild.addLoadEntry();
        folder->setName(L"C:\\data");
        listBuild.setDepth(1);
        file = listBuild.addLoadChild();
        file->setName(L"a.txt");
    }
    void aces(
        CDirEntry* e,
        std::vector<std::tuple<const wchar_t*, std::uint32_t, std::uint8_t, std::uint8_t>> list) {
        e->resizeAces(static_cast<std::uint32_t>(list.size()));
        for (std::size_t i = 0; i < list.size(); ++i) {
            auto [trustee, mask, flags, type] = list[i];
            e->ace(static_cast<std::uint32_t>(i))->setTrustee(test::NamesOf(e), trustee, L"D");
            e->ace(static_cast<std::uint32_t>(i))->set(mask, flags, type);
        }
    }
    std::string csv(std::vector<CDirEntry*> lines, CsvEncoding enc = CsvEncoding::AnsiCodePage) {
        return CsvText(lines, rights, enc);
    }

    sim::RecordingInteraction ui;
    CDirList list{ui};
    DatasetBuilder listBuild{list};
    DisplayedRights rights;
    CDirEntry* folder;
    CDirEntry* file;
};

TEST_F(Csv, ExampleBlock) {
    aces(file, {{L"Administrators", 0x3, 0, 0}, {L"Users", 0x1, 0x10, 0}});
    EXPECT_EQ(csv({file}),
              "C:\\data\\a.txt\r\n,rd,wr\r\nAdministrators,x,x\r\nUsers INHERITED,x,\r\n\r\n");
}

TEST_F(Csv, SuffixesAndHiddenAces) {
    aces(file, {{L"u1", 0x2, 0x18, 1}, {L"u2", 0x1, 0x10, 0}, {L"u3", 0x1, 0x08, 0}});
    file->ace(1)->visible = 0;
    EXPECT_EQ(csv({file}),
              "C:\\data\\a.txt\r\n,rd,wr\r\nu1 DENY INHERIT_ONLY,,x\r\n"
              "u3 INHERIT_ONLY,x,\r\n\r\n");
}

TEST_F(Csv, BasicModeLeavesListFolderEmptyOnFiles) {
    rights.SetBasicPermissionSet();
    rights.setBasicPermissionMode(true);
    aces(file, {{L"u", 0x0F01FF, 0, 1}});
    aces(folder, {{L"u", 0x1200A9, 0x02, 0}});
    EXPECT_EQ(csv({folder, file}),
              "C:\\data\r\n,full_acc,modify,rd/ex,ls_fold,read,wr\r\nu,,,,x,,\r\n\r\n"
              "C:\\data\\a.txt\r\n,full_acc,modify,rd/ex,,read,wr\r\nu DENY,x,x,x,,x,x\r\n\r\n");
}

TEST_F(Csv, NoColumnsGiveAnEmptyHeaderLine) {
    rights.clear();
    aces(file, {{L"u", 1, 0, 0}});
    EXPECT_EQ(csv({file}), "C:\\data\\a.txt\r\n\r\nu\r\n\r\n");
}

TEST_F(Csv, FieldsWithSeparatorsAreQuoted) {
    file->setName(L"a,\"b\".txt");
    aces(file, {{L"Smith, John", 0x1, 0, 1}});
    EXPECT_EQ(csv({file}),
              "\"C:\\data\\a,\"\"b\"\".txt\"\r\n,rd,wr\r\n\"Smith, John DENY\",x,\r\n\r\n");
}

TEST_F(Csv, HeadingLinesStandAlone) {
    auto added = CDirEntry::makeHeading(L"added files");
    aces(file, {{L"u", 1, 0, 0}});
    EXPECT_EQ(csv({added.get(), file}), "added files\r\nC:\\data\\a.txt\r\n,rd,wr\r\nu,x,\r\n\r\n");
}

TEST_F(Csv, AnsiReplacesWhatTheCodePageLacksAndUtf8KeepsIt) {
    const std::wstring name = fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC-caf\xC3\xA9-\xE2\x82\xAC");
    aces(file, {{L"x", 0, 0, 0}});
    file->ace(0)->setTrustee(test::NamesOf(file), name, L"D");
#ifdef _WIN32
    // The system code page of a Windows machine varies; check the Unicode
    // output only.
#else
    EXPECT_EQ(csv({file}),
              "C:\\data\\a.txt\r\n,rd,wr\r\n?"
              "?-caf\xE9-\x80,,\r\n\r\n");
#endif
    EXPECT_EQ(csv({file}, CsvEncoding::Utf8),
              "\xEF\xBB\xBF"
              "C:\\data\\a.txt\r\n,rd,wr\r\n\xE6\x97\xA5\xE6\x9C\xAC-caf\xC3\xA9-"
              "\xE2\x82\xAC,,\r\n\r\n");
    EXPECT_EQ(csv({}, CsvEncoding::Utf8), "\xEF\xBB\xBF");
    EXPECT_EQ(csv({}), "");
}

TEST_F(Csv, WriteFailuresAreReported) {
    sim::MemoryFiles files;
    aces(file, {{L"u", 1, 0, 0}});
    ASSERT_TRUE(WriteCsv(files, ui, L"C:\\out.csv", {file}, rights, CsvEncoding::AnsiCodePage));
    const auto* bytes = files.get(L"C:\\out.csv");
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), csv({file}));
    files.failCreates(true);
    EXPECT_FALSE(WriteCsv(files, ui, L"C:\\out.csv", {file}, rights, CsvEncoding::AnsiCodePage));
    files.failCreates(false);
    files.failWritesAfter(5);
    EXPECT_FALSE(WriteCsv(files, ui, L"C:\\out.csv", {file}, rights, CsvEncoding::AnsiCodePage));
    // An export larger than one piece stops at the first that cannot be written.
    file->resizeAces(1000);
    for (std::uint32_t i = 0; i < 1000; ++i) {
        file->ace(i)->setTrustee(test::NamesOf(file), std::wstring(100, L'n'), L"D");
    }
    EXPECT_FALSE(
        WriteCsv(files, ui, L"C:\\big.csv", {file, file}, rights, CsvEncoding::AnsiCodePage));
    EXPECT_EQ(ui.messageTexts(),
              (std::vector<std::wstring>{L"Error exporting file", L"Error writing data to file",
                                         L"Error writing data to file"}));
    EXPECT_EQ(ui.messages()[0].caption, L"Note");
}

}  // namespace
}  // namespace quorel
