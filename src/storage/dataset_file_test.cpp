#include "storage/dataset_file.h"

#include <gtest/gtest.h>

#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/utf16.h"

namespace quorel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Builds dataset files record by record.
class FileBuilder {
  public:
    FileBuilder& record(std::uint16_t tag, std::uint16_t length) {
        appendU16(bytes, tag);
        appendU16(bytes, length);
        return *this;
    }
    FileBuilder& structural(std::uint16_t tag) { return record(tag, 0); }
    FileBuilder& number(std::uint16_t tag, std::uint32_t value) {
        record(tag, 4);
        appendU32(bytes, value);
        return *this;
    }
    FileBuilder& text(std::uint16_t tag, std::wstring_view value) {
        record(tag, static_cast<std::uint16_t>(2 * (utf16Length(value) + 1)));
        appendUtf16le(bytes, value);
        appendU16(bytes, 0);
        return *this;
    }
    FileBuilder& raw(std::initializer_list<std::uint8_t> more) {
        bytes.insert(bytes.end(), more);
        return *this;
    }
    // Magic and version 2.1.
    FileBuilder& magicAndVersion(std::uint32_t major = 2, std::uint32_t minor = 1) {
        text(10, L"ACL-STRUCT_FILE");
        record(1, 8);
        appendU32(bytes, major);
        appendU32(bytes, minor);
        return *this;
    }
    FileBuilder& header(std::uint32_t entries, std::vector<std::wstring> users,
                        std::vector<std::wstring> domains) {
        magicAndVersion();
        number(17, entries);
        number(15, static_cast<std::uint32_t>(users.size()));
        for (const auto& u : users) {
            text(16, u);
        }
        number(21, static_cast<std::uint32_t>(domains.size()));
        for (const auto& d : domains) {
            text(22, d);
        }
        return *this;
    }
    // One entry without ACEs, owner/group index 0.
    FileBuilder& entry(std::uint16_t tag, std::wstring_view name) {
        structural(tag).text(3, name);
        number(13, 0).number(24, 0).number(14, 0).number(25, 0).number(11, 0).number(20, 0);
        return *this;
    }
    Bytes bytes;
};

class DatasetFile : public ::testing::Test {
  protected:
    bool load(const Bytes& bytes) {
        files.put(L"C:\\in.acl", bytes);
        list = std::make_unique<CDirList>(ui);
        return LoadDatasetFile(files, ui, *list, L"C:\\in.acl");
    }
    std::wstring onlyMessage() {
        auto m = ui.messages();
        if (m.size() != 1) {
            ADD_FAILURE() << "messages: " << m.size();
            return L"";
        }
        EXPECT_EQ(m[0].caption, L"Note");
        return m[0].text;
    }
    Bytes save(CDirList& l, const std::wstring& path = L"C:\\out.acl") {
        NameTables tables;
        RebuildNameTables(l, tables);
        EXPECT_TRUE(WriteDatasetFile(files, ui, l, path, tables));
        return *files.get(path);
    }
    std::vector<std::pair<std::uint32_t, std::wstring>> shape() {
        std::vector<std::pair<std::uint32_t, std::wstring>> result;
        for (const CDirEntry& e : *list) {
            result.emplace_back(e.depth, e.path());
        }
        return result;
    }

    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    std::unique_ptr<CDirList> list;
};

// root "C:\data" (owner alice@CORP, group Users@BUILTIN, two ACEs), with
// children "a.txt" and "sub" (empty listing).
std::unique_ptr<CDirList> smallDataset(InteractionPort& ui) {
    auto l = std::make_unique<CDirList>(ui);
    DatasetBuilder lBuild(*l);
    CDirEntry* root = lBuild.addLoadEntry();
    root->setName(L"C:\\data");
    root->setOwner(L"alice", L"CORP");
    root->setGroup(L"Users", L"BUILTIN");
    root->resizeAces(2);
    root->ace(0)->setTrustee(test::NamesOf(root), L"alice", L"CORP");
    root->ace(0)->set(0x1F01FF, 0x03, 0);
    root->ace(1)->setTrustee(test::NamesOf(root), L"Everyone", L"");
    root->ace(1)->set(0x10000, 0x10, 1);
    lBuild.setDepth(1);
    CDirEntry* a = lBuild.addLoadChild();
    a->setName(L"a.txt");
    a->setOwner(L"bob", L"CORP");
    a->setGroup(L"Users", L"BUILTIN");
    a->errorFlags = 6;
    CDirEntry* sub = lBuild.addLoadEntry();
    sub->setName(L"sub");
    sub->setOwner(L"alice", L"CORP");
    sub->setGroup(L"Users", L"BUILTIN");
    return l;
}

TEST_F(DatasetFile, WritesTheExactLayout) {
    auto l = smallDataset(ui);
    NameTables tables;
    RebuildNameTables(*l, tables);
    EXPECT_EQ(tables.users, (std::vector<std::wstring>{L"alice", L"Users", L"Everyone", L"bob"}));
    EXPECT_EQ(tables.domains, (std::vector<std::wstring>{L"CORP", L"BUILTIN", L""}));
    ASSERT_TRUE(WriteDatasetFile(files, ui, *l, L"C:\\out.acl", tables));

    FileBuilder f;
    f.header(3, tables.users, tables.domains);
    f.structural(7).text(3, L"C:\\data");
    f.number(13, 0).number(24, 0).number(14, 1).number(25, 1).number(11, 2).number(20, 0);
    f.number(4, 0).number(23, 0).number(5, 0x1F01FF).number(6, 3).number(18, 0).structural(19);
    f.number(4, 2).number(23, 2).number(5, 0x10000).number(6, 0x10).number(18, 1).structural(19);
    f.structural(8).text(3, L"a.txt");
    f.number(13, 3).number(24, 0).number(14, 1).number(25, 1).number(11, 0).number(20, 6);
    f.structural(7).text(3, L"sub");
    f.number(13, 0).number(24, 0).number(14, 1).number(25, 1).number(11, 0).number(20, 0);
    f.structural(9).structural(9).structural(12);
    EXPECT_EQ(*files.get(L"C:\\out.acl"), f.bytes);
    // The magic record is 36 bytes: header and "ACL-STRUCT_FILE" with its terminator.
    EXPECT_EQ(f.bytes[2], 32);
    EXPECT_EQ(l->fileName(), L"C:\\out.acl");
    EXPECT_EQ(ui.statusTexts(0), (std::vector<std::wstring>{L"Saving file....", L"File saved."}));
    EXPECT_EQ(ui.statusTexts(2), std::vector<std::wstring>{L"Ready."});
}

TEST_F(DatasetFile, RoundTripIsByteIdenticalAndRestoresEverything) {
    auto original = smallDataset(ui);
    const Bytes first = save(*original);
    ASSERT_TRUE(load(first));
    const Bytes second = save(*list);
    EXPECT_EQ(first, second);
    using E = std::pair<std::uint32_t, std::wstring>;
    EXPECT_EQ(shape(),
              (std::vector<E>{{0, L"C:\\data"}, {1, L"C:\\data\\a.txt"}, {1, L"C:\\data\\sub"}}));
    const CDirEntry& root = *list->firstEntry();
    EXPECT_EQ(root.ownerName(), L"alice");
    EXPECT_EQ(root.ownerDomain(), L"CORP");
    EXPECT_EQ(root.groupDomain(), L"BUILTIN");
    ASSERT_EQ(root.aceCount(), 2u);
    EXPECT_EQ(root.visibleAceCount, 2u);
    EXPECT_EQ(root.ace(1)->trustee(test::NamesOf(&root)), L"Everyone");
    EXPECT_EQ(root.ace(1)->domain(test::NamesOf(&root)), L"");
    EXPECT_EQ(root.ace(1)->aceType, 1);
    EXPECT_EQ(root.ace(1)->aceFlags, 0x10);
    EXPECT_EQ(root.ace(1)->flagsAsRead, 0);  // not stored
    EXPECT_EQ(root.ace(0)->accessMask, 0x1F01FFu);
    EXPECT_EQ(root.firstChild()->errorFlags, 6);
    EXPECT_EQ(list->entryCount(), 3u);
    EXPECT_EQ(list->fileName(), L"C:\\out.acl");
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DatasetFile, HandBuiltTreeLoadsWithPathsAndDepths) {
    FileBuilder f;
    f.header(3, {L"u"}, {L"d"});
    f.entry(7, L"root").entry(8, L"child1").entry(7, L"child2");
    f.structural(9).structural(9).structural(12);
    ASSERT_TRUE(load(f.bytes));
    using E = std::pair<std::uint32_t, std::wstring>;
    EXPECT_EQ(shape(), (std::vector<E>{{0, L"root"}, {1, L"root\\child1"}, {1, L"root\\child2"}}));
    EXPECT_EQ(list->firstEntry()->firstChild()->ownerName(), L"u");
    EXPECT_EQ(list->firstEntry()->firstChild()->ownerDomain(), L"d");
}

TEST_F(DatasetFile, DriveRootChildrenGetOneBackslash) {
    FileBuilder f;
    f.header(3, {L"u"}, {L"d"});
    f.entry(7, L"C:\\").entry(8, L"Windows").entry(8, L"System32");
    f.structural(9).structural(9).structural(9).structural(12);
    ASSERT_TRUE(load(f.bytes));
    using E = std::pair<std::uint32_t, std::wstring>;
    EXPECT_EQ(shape(),
              (std::vector<E>{{0, L"C:\\"}, {1, L"C:\\Windows"}, {2, L"C:\\Windows\\System32"}}));
}

TEST_F(DatasetFile, SeveralRootsAndDeepReturns) {
    FileBuilder f;
    f.header(6, {L"u"}, {L"d"});
    f.entry(7, L"C:\\a").entry(8, L"x").entry(8, L"y").structural(9).entry(7, L"z");
    f.structural(9);
    f.entry(7, L"D:\\b").entry(8, L"w").structural(9).structural(9).structural(12);
    // A surplus level end at the top is harmless: the reader stays at the top.
    FileBuilder extra;
    extra.header(6, {L"u"}, {L"d"});
    extra.entry(7, L"C:\\a").entry(8, L"x").entry(8, L"y").structural(9).entry(7, L"z");
    extra.structural(9).structural(9).structural(9);
    extra.entry(7, L"D:\\b").entry(8, L"w").structural(9).structural(9).structural(12);
    ASSERT_TRUE(load(extra.bytes));
    const auto extraShape = shape();
    ASSERT_TRUE(load(f.bytes));
    EXPECT_EQ(shape(), extraShape);
    using E = std::pair<std::uint32_t, std::wstring>;
    EXPECT_EQ(shape(), (std::vector<E>{{0, L"C:\\a"},
                                       {1, L"C:\\a\\x"},
                                       {2, L"C:\\a\\x\\y"},
                                       {1, L"C:\\a\\z"},
                                       {0, L"D:\\b"},
                                       {1, L"D:\\b\\w"}}));
    // Saving it again gives the same bytes.
    EXPECT_EQ(save(*list), f.bytes);
}

struct BadFile {
    const char* what;
    Bytes bytes;
    const wchar_t* message;
};

TEST_F(DatasetFile, EveryReaderMessageStopsTheLoad) {
    auto base = [] { return FileBuilder(); };
    std::vector<BadFile> cases;
    cases.push_back({"empty", {}, L"Error reading data from file"});
    cases.push_back({"wrong tag", base().number(9, 1).bytes, L"wrong file type"});
    cases.push_back({"wrong length", base().record(10, 30).bytes, L"wrong file type"});
    cases.push_back({"wrong text", base().text(10, L"ACL-STRUCT_FILX").bytes, L"wrong file type"});
    cases.push_back({"short magic", base().record(10, 32).raw({0x41, 0}).bytes,
                     L"Error reading data from file"});
    cases.push_back({"no version", base().text(10, L"ACL-STRUCT_FILE").number(17, 1).bytes,
                     L"No verion information found in file"});
    cases.push_back({"version length", base().text(10, L"ACL-STRUCT_FILE").number(1, 2).bytes,
                     L"file structure corrupt"});
    cases.push_back({"major 3", base().magicAndVersion(3, 0).bytes, L"incompatible file version"});
    {
        FileBuilder f;
        f.text(10, L"ACL-STRUCT_FILE").record(1, 8);
        appendU32(f.bytes, 2);
        cases.push_back({"no minor", f.bytes, L"Error reading data from file"});
    }
    cases.push_back({"no entry count", base().magicAndVersion().number(15, 0).bytes,
                     L"No number of files identifier found"});
    cases.push_back({"entry count length", base().magicAndVersion().record(17, 2).raw({0, 0}).bytes,
                     L"file structure corrupt"});
    cases.push_back({"no user list", base().magicAndVersion().number(17, 1).number(21, 0).bytes,
                     L"No user list found in file"});
    cases.push_back({"user name header missing",
                     base().magicAndVersion().number(17, 1).number(15, 1).bytes,
                     L"Error reading ACE from file"});
    cases.push_back({"user name wrong tag",
                     base().magicAndVersion().number(17, 1).number(15, 1).text(22, L"x").bytes,
                     L"data structure corrupt"});
    cases.push_back(
        {"user name short",
         base().magicAndVersion().number(17, 1).number(15, 1).record(16, 10).raw({65, 0}).bytes,
         L"Error reading user"});
    cases.push_back({"no domain list",
                     base().magicAndVersion().number(17, 1).number(15, 0).number(15, 0).bytes,
                     L"No domain list found in file"});
    cases.push_back(
        {"domain count short",
         base().magicAndVersion().number(17, 1).number(15, 0).record(21, 4).raw({1}).bytes,
         L"Error reading data from file"});
    auto tree = [] { return FileBuilder().header(1, {L"u"}, {L"d"}); };
    cases.push_back({"no end record", tree().entry(7, L"r").structural(9).bytes,
                     L"Error reading ACE from file"});
    cases.push_back({"name short", tree().structural(7).record(3, 20).raw({65, 0}).bytes,
                     L"Error reading filename"});
    cases.push_back({"owner short", tree().structural(7).record(13, 4).raw({0, 0}).bytes,
                     L"Error reading user name"});
    cases.push_back({"owner domain short", tree().structural(7).record(24, 4).bytes,
                     L"Error reading user name"});
    cases.push_back({"group domain short", tree().structural(7).record(25, 4).bytes,
                     L"Error reading user name"});
    cases.push_back(
        {"group short", tree().structural(7).record(14, 4).bytes, L"Error reading group name"});
    cases.push_back({"ace count short", tree().structural(7).record(11, 4).raw({1}).bytes,
                     L"Error reading trustee"});
    cases.push_back({"error flags short", tree().structural(7).record(20, 4).bytes,
                     L"Error reading trustee's permissions"});
    auto aces = [&tree] { return tree().structural(7).number(11, 1); };
    cases.push_back({"trustee short", aces().record(4, 4).bytes, L"Error reading trustee's name"});
    cases.push_back(
        {"trustee domain short", aces().record(23, 4).bytes, L"Error reading trustee's name"});
    cases.push_back(
        {"mask short", aces().record(5, 4).bytes, L"Error reading trustee's permissions"});
    cases.push_back(
        {"flags short", aces().record(6, 4).bytes, L"Error reading trustee's permissions"});
    cases.push_back(
        {"type short", aces().record(18, 4).bytes, L"Error reading trustee's permissions"});
    cases.push_back({"huge ace count", tree().structural(7).number(11, 0xFFFFFFFF).bytes,
                     L"Error creating trustee array in memory"});
    // 65535 is no ACE count (it marks "no partner ACE"), even in a file large
    // enough to hold that many.
    std::vector<std::uint8_t> large = tree().structural(7).number(11, 0xFFFF).bytes;
    large.resize(large.size() + 4 * 0x10000);
    cases.push_back({"ace count 65535", large, L"Error creating trustee array in memory"});
    // Records that would write outside an array, a table or a buffer.
    cases.push_back({"ace before count", tree().structural(7).number(5, 1).bytes,
                     L"ACE data out of place in file"});
    cases.push_back({"ace beyond count", aces().number(5, 1).structural(19).number(5, 2).bytes,
                     L"ACE data out of place in file"});
    cases.push_back(
        {"entry before first 7", tree().text(3, L"x").bytes, L"entry data out of place in file"});
    cases.push_back(
        {"child before first 7", tree().structural(8).bytes, L"entry data out of place in file"});
    cases.push_back({"owner index outside", tree().structural(7).number(13, 1).bytes,
                     L"name index out of range in file"});
    cases.push_back(
        {"domain index outside", aces().number(23, 7).bytes, L"name index out of range in file"});
    cases.push_back({"numeric length 2", tree().structural(7).record(20, 2).raw({0, 0}).bytes,
                     L"file structure corrupt"});
    cases.push_back({"name over 999",
                     base()
                         .magicAndVersion()
                         .number(17, 1)
                         .number(15, 1)
                         .text(16, std::wstring(1000, L'n'))
                         .bytes,
                     L"name too long in file"});
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.what);
        ui.clear();
        EXPECT_FALSE(load(c.bytes));
        EXPECT_EQ(onlyMessage(), c.message);
        EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Error);
    }
}

TEST_F(DatasetFile, NameOf999CharactersLoads) {
    FileBuilder f;
    f.header(1, {std::wstring(999, L'n')}, {L"d"}).entry(7, L"r").structural(9).structural(12);
    ASSERT_TRUE(load(f.bytes));
    EXPECT_EQ(list->firstEntry()->ownerName().size(), 999u);
}

TEST_F(DatasetFile, MissingFileIsReported) {
    list = std::make_unique<CDirList>(ui);
    EXPECT_FALSE(LoadDatasetFile(files, ui, *list, L"C:\\nothere.acl"));
    EXPECT_EQ(onlyMessage(), L"Error opening file");
}

TEST_F(DatasetFile, NewerMinorVersionWarnsAndLoads) {
    FileBuilder f;
    f.magicAndVersion(2, 7).number(17, 1).number(15, 1).text(16, L"u").number(21, 1).text(22, L"d");
    f.entry(7, L"r").structural(9).structural(12);
    ASSERT_TRUE(load(f.bytes));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text,
              L"WARNING: This data file was written with a newer version of Quorel. The file can "
              L"be loaded but not all information in the file can be evaluated. Some information "
              L"will be lost if the file is saved again.");
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::None);
    // An older major version loads without a word.
    ui.clear();
    FileBuilder old;
    old.magicAndVersion(1, 9).number(17, 1).number(15, 1).text(16, L"u").number(21, 1).text(22,
                                                                                            L"d");
    old.entry(7, L"r").structural(9).structural(12);
    EXPECT_TRUE(load(old.bytes));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(DatasetFile, UnknownRecordsConsumeOnlyTheirHeaderAndAreNoted) {
    FileBuilder f;
    f.header(1, {L"u"}, {L"d"}).entry(7, L"r");
    // Tag 30 with a length: its "payload" is read as the next header, which
    // here is a tag-0 record.
    f.record(30, 4).record(0, 0).structural(9).structural(12);
    ASSERT_TRUE(load(f.bytes));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text,
              L"There was unrecognized data in the file you loaded. Consider that some information "
              L"in the loaded file is ignored by Quorel.");
    EXPECT_EQ(ui.messages()[0].caption, L"Note");
}

TEST_F(DatasetFile, OneAceEndTooManyIsReportedAndTheLoadSucceeds) {
    FileBuilder f;
    f.header(1, {L"u"}, {L"d"}).structural(7).text(3, L"r").number(11, 1);
    f.number(4, 0).number(23, 0).number(5, 7).number(6, 0).number(18, 0).structural(19);
    f.structural(19).structural(9).structural(12);
    ASSERT_TRUE(load(f.bytes));
    EXPECT_EQ(onlyMessage(), L"number of users in ACL does not match stored value");
    EXPECT_EQ(list->firstEntry()->ace(0)->accessMask, 7u);
}

TEST_F(DatasetFile, GroupRecordBeforeOwnerAndOtherReorderingsLoad) {
    FileBuilder f;
    f.header(1, {L"a", L"b"}, {L"x", L"y"}).structural(7).number(14, 1).number(25, 1);
    f.text(3, L"r").number(24, 0).number(13, 0).number(11, 1);
    f.number(23, 1).number(4, 1).number(18, 1).number(5, 3).structural(19);
    f.structural(9).structural(12);
    ASSERT_TRUE(load(f.bytes));
    const CDirEntry& r = *list->firstEntry();
    EXPECT_EQ(r.ownerName(), L"a");
    EXPECT_EQ(r.ownerDomain(), L"x");
    EXPECT_EQ(r.groupName(), L"b");
    EXPECT_EQ(r.groupDomain(), L"y");
    // Record 4 sets the domain back to empty: the domain that came first is lost.
    EXPECT_EQ(r.ace(0)->trustee(test::NamesOf(&r)), L"b");
    EXPECT_EQ(r.ace(0)->domain(test::NamesOf(&r)), L"");
    EXPECT_EQ(r.ace(0)->aceType, 1);
}

TEST_F(DatasetFile, FailedOpenKeepsThePreviousDataset) {
    std::unique_ptr<CDirList> current = smallDataset(ui);
    CDirList* before = current.get();
    files.put(L"C:\\bad.acl", FileBuilder().header(1, {L"u"}, {L"d"}).entry(7, L"x").bytes);
    EXPECT_FALSE(OpenDatasetFile(files, ui, current, L"C:\\bad.acl"));
    EXPECT_EQ(current.get(), before);
    EXPECT_EQ(current->entryCount(), 3u);
    EXPECT_EQ(current->firstEntry()->name(), L"C:\\data");
    files.put(L"C:\\good.acl", save(*smallDataset(ui), L"C:\\good.acl"));
    EXPECT_TRUE(OpenDatasetFile(files, ui, current, L"C:\\good.acl"));
    EXPECT_NE(current.get(), before);
    EXPECT_EQ(current->fileName(), L"C:\\good.acl");
}

TEST_F(DatasetFile, WriteFailuresAreReported) {
    auto l = smallDataset(ui);
    NameTables tables;
    RebuildNameTables(*l, tables);
    files.failCreates(true);
    EXPECT_FALSE(WriteDatasetFile(files, ui, *l, L"C:\\x.acl", tables));
    EXPECT_EQ(onlyMessage(), L"Error saving file");
    files.failCreates(false);
    ui.clear();
    files.failWritesAfter(100);
    EXPECT_FALSE(WriteDatasetFile(files, ui, *l, L"C:\\x.acl", tables));
    EXPECT_EQ(onlyMessage(), L"Error writing data to file");
    EXPECT_EQ(l->fileName(), L"");
}

TEST_F(DatasetFile, ProgressShowsPercentSteps) {
    auto l = std::make_unique<CDirList>(ui);
    DatasetBuilder lBuild(*l);
    lBuild.addLoadEntry()->setName(L"r");
    lBuild.setDepth(1);
    for (int i = 0; i < 199; ++i) {
        (i == 0 ? lBuild.addLoadChild() : lBuild.addLoadEntry())
            ->setName(L"f" + std::to_wstring(i));
    }
    const Bytes bytes = save(*l);
    auto percents = ui.statusTexts(2);
    ASSERT_EQ(percents.size(), 101u);  // 1%..100%, then "Ready."
    EXPECT_EQ(percents[0], L"1%");
    EXPECT_EQ(percents[99], L"100%");
    EXPECT_EQ(percents[100], L"Ready.");
    ui.clear();
    ASSERT_TRUE(load(bytes));
    percents = ui.statusTexts(2);
    EXPECT_EQ(percents.size(), 101u);
    EXPECT_EQ(ui.statusTexts(0), (std::vector<std::wstring>{L"Loading file....", L"File loaded."}));
}

TEST_F(DatasetFile, DeepAndWideTreesSaveLoadAndFreeWithoutRecursion) {
    auto deep = std::make_unique<CDirList>(ui);
    DatasetBuilder deepBuild(*deep);
    deepBuild.addLoadEntry()->setName(L"r");
    for (std::uint32_t i = 1; i < 10000; ++i) {
        deepBuild.setDepth(i);
        deepBuild.addLoadChild()->setName(L"d");
    }
    const Bytes bytes = save(*deep);
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(list->entryCount(), 10000u);
    std::uint32_t maxDepth = 0;
    for (const CDirEntry& e : *list) {
        maxDepth = std::max(maxDepth, e.depth);
    }
    EXPECT_EQ(maxDepth, 9999u);
    EXPECT_EQ(save(*list), bytes);

    auto wide = std::make_unique<CDirList>(ui);
    DatasetBuilder wideBuild(*wide);
    wideBuild.addLoadEntry()->setName(L"r");
    wideBuild.setDepth(1);
    for (int i = 0; i < 200000; ++i) {
        (i == 0 ? wideBuild.addLoadChild() : wideBuild.addLoadEntry())->setName(L"f");
    }
    ASSERT_TRUE(load(save(*wide)));
    EXPECT_EQ(list->entryCount(), 200001u);
}

TEST_F(DatasetFile, NonBmpNamesRoundTrip) {
    auto l = std::make_unique<CDirList>(ui);
    DatasetBuilder lBuild(*l);
    const std::wstring name = fromUtf8(
        "Gr\xC3\xBC\xC3\x9F"
        "e_\xF0\x9F\x98\x80");
    CDirEntry* r = lBuild.addLoadEntry();
    r->setName(name);
    r->setOwner(fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC"), L"D");
    ASSERT_TRUE(load(save(*l)));
    EXPECT_EQ(list->firstEntry()->name(), name);
    EXPECT_EQ(list->firstEntry()->ownerName(), fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC"));
}

TEST_F(DatasetFile, EmptyDatasetSavesAndLoadsEmpty) {
    CDirList empty(ui);
    const Bytes bytes = save(empty);
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(list->firstEntry(), nullptr);
    EXPECT_EQ(list->entryCount(), 0u);
}

}  // namespace
}  // namespace quorel
