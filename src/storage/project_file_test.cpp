#include "storage/project_file.h"

#include <gtest/gtest.h>

#include "storage/test_bytes.h"

#include <string_view>
#include <vector>

#include "core/dir_list.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/dataset_file.h"
#include "storage/utf16.h"

namespace quorel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::Interaction;
using Lines = std::vector<std::wstring>;

// Characters beyond U+FFFF: one wchar_t on Linux, a surrogate pair on Windows.
const std::wstring kSmile = fromUtf8("\xF0\x9F\x98\x80");    // U+1F600
const std::wstring kDeseret = fromUtf8("\xF0\x90\x90\x80");  // U+10400

// Builds project files field by field, independently of the writer.
struct Fields : test::LittleEndianBytes<Fields> {
    // Length, text and terminator.
    Fields& text(std::string_view text) {
        u32(static_cast<std::uint32_t>(2 * (text.size() + 1)));
        return ascii(text).unit(0);
    }
    Fields& header() { return ascii("Quorel project file").unit(0).u32(1); }
};

Interaction note(const std::wstring& text) {
    Interaction message{Interaction::Kind::Message, text, L"Note"};
    message.icon = MessageIcon::None;
    message.buttons = MessageButtons::Ok;
    return message;
}

class ProjectFileTest : public ::testing::Test {
  protected:
    std::optional<ProjectFile> read(const Bytes& bytes) {
        files.put(L"C:\\in.qpf", bytes);
        return ReadProjectFile(files, ui, L"C:\\in.qpf");
    }
    void expectOnly(const std::wstring& message) {
        EXPECT_EQ(ui.events(), std::vector<Interaction>{note(message)});
    }

    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
};

TEST_F(ProjectFileTest, TwoDirectoryLinesAreSavedWithCrLfBetweenThem) {
    ASSERT_TRUE(WriteProjectFile(files, ui, L"C:\\p.qpf",
                                 {L"C:\\data\r\nD:\\share\\", L"C:\\out\\scan", true}));
    Fields f;
    f.header().text("C:\\data\r\nD:\\share\\").text("C:\\out\\scan").u32(1);
    EXPECT_EQ(*files.get(L"C:\\p.qpf"), f.bytes);
    // The directories field: length at byte 44, CR LF after "C:\data".
    EXPECT_EQ(f.bytes[44], 2 * 19);
    EXPECT_EQ((Bytes{f.bytes[62], f.bytes[63], f.bytes[64], f.bytes[65]}),
              (Bytes{0x0D, 0x00, 0x0A, 0x00}));
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(ProjectFileTest, EmptyTextsAndNoCounter) {
    ASSERT_TRUE(WriteProjectFile(files, ui, L"C:\\p.qpf", {L"", L"", false}));
    Fields f;
    f.header().text("").text("").u32(0);
    EXPECT_EQ(*files.get(L"C:\\p.qpf"), f.bytes);
    EXPECT_EQ(f.bytes.size(), 40u + 4 + 6 + 6 + 4);
}

TEST_F(ProjectFileTest, WriterCutsTextsToTheDialogFields) {
    const std::wstring directories(20005, L'd');
    const std::wstring output = std::wstring(1998, L'o') + kSmile;
    ASSERT_TRUE(WriteProjectFile(files, ui, L"C:\\p.qpf", {directories, output, false}));
    Fields f;
    f.header().text(std::string(19999, 'd')).text(std::string(1998, 'o')).u32(0);
    EXPECT_EQ(*files.get(L"C:\\p.qpf"), f.bytes);
}

TEST_F(ProjectFileTest, RoundTripKeepsTextsAndCounter) {
    for (bool counter : {true, false}) {
        const ProjectFile saved{L"C:\\a\r\n\\\\server\\share\r\nE:\\\u00fcber" + kDeseret,
                                L"C:\\results\\weekly", counter};
        ASSERT_TRUE(WriteProjectFile(files, ui, L"C:\\p.qpf", saved));
        std::optional<ProjectFile> loaded = ReadProjectFile(files, ui, L"C:\\p.qpf");
        ASSERT_TRUE(loaded.has_value());
        EXPECT_EQ(loaded->directories, saved.directories);
        EXPECT_EQ(loaded->outputName, saved.outputName);
        EXPECT_EQ(loaded->counter, counter);
    }
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(ProjectFileTest, LongestTextsRoundTrip) {
    const ProjectFile saved{std::wstring(19999, L'x'), std::wstring(1999, L'y'), true};
    ASSERT_TRUE(WriteProjectFile(files, ui, L"C:\\p.qpf", saved));
    std::optional<ProjectFile> loaded = ReadProjectFile(files, ui, L"C:\\p.qpf");
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->directories, saved.directories);
    EXPECT_EQ(loaded->outputName, saved.outputName);
}

TEST_F(ProjectFileTest, CreateFailureIsReported) {
    files.failCreates(true);
    EXPECT_FALSE(WriteProjectFile(files, ui, L"C:\\p.qpf", {L"C:\\a", L"C:\\o", false}));
    expectOnly(L"Error writing project file");
}

TEST_F(ProjectFileTest, WriteFailureIsReported) {
    files.failWritesAfter(44);
    EXPECT_FALSE(WriteProjectFile(files, ui, L"C:\\p.qpf", {L"C:\\a", L"C:\\o", false}));
    expectOnly(L"Error writing data to file");
}

TEST_F(ProjectFileTest, OnlyTheLowByteOfTheCounterCounts) {
    const std::vector<std::pair<std::uint32_t, bool>> cases = {{0, false},     {1, true},
                                                               {0x100, false}, {0xFFFFFF00, false},
                                                               {0x80, true},   {0xFF00FF02, true}};
    for (auto [value, expected] : cases) {
        Fields f;
        f.header().text("C:\\a").text("o").u32(value);
        std::optional<ProjectFile> p = read(f.bytes);
        ASSERT_TRUE(p.has_value()) << value;
        EXPECT_EQ(p->counter, expected) << value;
    }
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(ProjectFileTest, TextsEndAtTheirFirstNul) {
    Fields f;
    f.header().u32(10).ascii("C:").unit(0).ascii("xy").u32(6).ascii("ab").unit(0).u32(0);
    std::optional<ProjectFile> p = read(f.bytes);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->directories, L"C:");
    EXPECT_EQ(p->outputName, L"ab");
}

TEST_F(ProjectFileTest, TextsFillingTheWholeFieldWithoutTerminatorAreCut) {
    Fields f;
    f.header().u32(40000).ascii(std::string(20000, 'd')).u32(4000).ascii(std::string(2000, 'o'));
    f.u32(1);
    std::optional<ProjectFile> p = read(f.bytes);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->directories, std::wstring(19999, L'd'));
    EXPECT_EQ(p->outputName, std::wstring(1999, L'o'));
    EXPECT_TRUE(p->counter);
}

TEST_F(ProjectFileTest, DatasetFileIsNotAProjectFile) {
    CDirList dataset(ui);
    NameTables tables;
    ASSERT_TRUE(WriteDatasetFile(files, ui, dataset, L"C:\\scan.acl", tables));
    const Bytes& bytes = *files.get(L"C:\\scan.acl");
    Fields start;
    start.unit(10).unit(32).ascii("ACL-STRUCT_FILE");
    ASSERT_GE(bytes.size(), 40u);
    ASSERT_TRUE(std::equal(start.bytes.begin(), start.bytes.end(), bytes.begin()));

    ui.clear();
    EXPECT_FALSE(ReadProjectFile(files, ui, L"C:\\scan.acl").has_value());
    expectOnly(L"not a Quorel project file");
}

TEST_F(ProjectFileTest, SettingsFileIsNotAProjectFile) {
    Fields f;
    f.ascii("Quorel init file").unit(0).u32(1).u32(1).u32(0).u32(0);
    EXPECT_FALSE(read(f.bytes).has_value());
    expectOnly(L"not a Quorel project file");
}

TEST_F(ProjectFileTest, MagicDifferingInAnyOneByteIsRefused) {
    Fields good;
    good.header().text("C:\\a").text("o").u32(0);
    for (std::size_t i = 0; i < 40; ++i) {
        Bytes bytes = good.bytes;
        bytes[i] ^= 0x40;
        ui.clear();
        EXPECT_FALSE(read(bytes).has_value()) << i;
        expectOnly(L"not a Quorel project file");
    }
}

TEST_F(ProjectFileTest, OtherVersionsAreRefused) {
    for (std::uint32_t version : {0u, 2u, 0x01000001u}) {
        Fields f;
        f.ascii("Quorel project file").unit(0).u32(version).text("C:\\a").text("o").u32(0);
        ui.clear();
        EXPECT_FALSE(read(f.bytes).has_value());
        expectOnly(L"wrong version of project-file");
    }
}

TEST_F(ProjectFileTest, MissingFileIsReported) {
    EXPECT_FALSE(ReadProjectFile(files, ui, L"C:\\none.qpf").has_value());
    expectOnly(L"Error opening file");
}

TEST_F(ProjectFileTest, FileCutAnywhereIsAReadError) {
    Fields f;
    f.header().text("C:\\a").text("out").u32(1);
    for (std::size_t size = 0; size < f.bytes.size(); ++size) {
        ui.clear();
        EXPECT_FALSE(read(Bytes(f.bytes.begin(), f.bytes.begin() + size)).has_value()) << size;
        expectOnly(L"Error reading project file");
    }
    ui.clear();
    EXPECT_TRUE(read(f.bytes).has_value());
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(ProjectFileTest, DirectoriesLengthOddZeroOrBeyondTheFieldIsAReadError) {
    for (std::uint32_t length : {0u, 1u, 7u, 40001u, 40002u, 0xFFFFFFFEu}) {
        Fields f;
        f.header().u32(length).ascii(std::string(20100, 'd')).text("o").u32(0);
        ui.clear();
        EXPECT_FALSE(read(f.bytes).has_value()) << length;
        expectOnly(L"Error reading project file");
    }
}

TEST_F(ProjectFileTest, OutputNameLengthOddZeroOrBeyondTheFieldIsAReadError) {
    for (std::uint32_t length : {0u, 3u, 4001u, 4002u, 40000u, 0x80000000u}) {
        Fields f;
        f.header().text("C:\\a").u32(length).ascii(std::string(20100, 'o')).u32(0);
        ui.clear();
        EXPECT_FALSE(read(f.bytes).has_value()) << length;
        expectOnly(L"Error reading project file");
    }
}

// ---------------------------------------------------------------------------
// The directories of a project

TEST(SplitProjectDirectories, SplitsAtLineFeedsAndDropsCarriageReturns) {
    EXPECT_EQ(SplitProjectDirectories(L"C:\\a\r\nD:\\b\nE:\\c"),
              (Lines{L"C:\\a", L"D:\\b", L"E:\\c"}));
    EXPECT_EQ(SplitProjectDirectories(L"C:\\a\rb\r\n"), (Lines{L"C:\\ab"}));
}

TEST(SplitProjectDirectories, RemovesEmptyLines) {
    EXPECT_EQ(SplitProjectDirectories(L"\r\n\r\nC:\\a\r\n\r\n\r\nD:\\b\r\n"),
              (Lines{L"C:\\a", L"D:\\b"}));
    EXPECT_EQ(SplitProjectDirectories(L""), Lines{});
    EXPECT_EQ(SplitProjectDirectories(L"\r\n\n\r"), Lines{});
}

TEST(SplitProjectDirectories, RemovesEveryTrailingBackslash) {
    EXPECT_EQ(SplitProjectDirectories(L"C:\\\r\n\\\\server\\share\\\\\\\r\nD:\\x\\y\\"),
              (Lines{L"C:", L"\\\\server\\share", L"D:\\x\\y"}));
}

TEST(SplitProjectDirectories, LineOfBackslashesStaysAsAnEmptyDirectory) {
    // Empty lines go first; a line that only loses its backslashes stays.
    EXPECT_EQ(SplitProjectDirectories(L"\\\\\r\nC:\\a"), (Lines{L"", L"C:\\a"}));
    EXPECT_EQ(SplitProjectDirectories(L"C:\\a\r\n\\"), (Lines{L"C:\\a", L""}));
}

TEST(SplitProjectDirectories, KeepsBlanksAndInnerBackslashes) {
    EXPECT_EQ(SplitProjectDirectories(L" C:\\my docs\\ \r\n"), (Lines{L" C:\\my docs\\ "}));
}

}  // namespace
}  // namespace quorel
