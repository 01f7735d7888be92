#include "platform/sim/volume_journal.h"

#include <gtest/gtest.h>

#include "platform/sim/memory_files.h"
#include "platform/sim/volume_file.h"

namespace quorel::sim {
namespace {

const std::string kVolume =
    "quorel-volume 1\n"
    "account\tS-1-5-21-1-2-3-1001\tHOST\\me\tuser\n"
    "token\tS-1-5-21-1-2-3-1001\tSeRestorePrivilege\tS-1-1-0\n"
    "dir\tC:\\data\tO:BAD:(A;OICI;FA;;;WD)\n"
    "file\tC:\\data\\a\tO:BAD:AI(A;ID;FA;;;WD)\n"
    "fail\twrite\tC:\\data\\a\t5";  // no line end after the last record

std::string text(const MemoryFiles& files) {
    const std::vector<std::uint8_t>* bytes = files.get(L"v.qvol");
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

std::vector<std::uint8_t> bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(VolumeJournal, EachWriteAppendsTheItemsRecordAndReopeningReplaysIt) {
    MemoryFiles files;
    files.put(L"v.qvol", bytes(kVolume));
    std::string error;
    std::unique_ptr<VolumeJournal> journal = VolumeJournal::open(files, L"v.qvol", error);
    ASSERT_NE(journal, nullptr) << error;
    EXPECT_EQ(text(files), kVolume + "\n");
    ASSERT_EQ(journal->platform().enablePrivilege(Privilege::Restore), 0u);

    EXPECT_EQ(journal->writeDacl(L"c:/DATA/", {}, DaclControl::protectedDacl()), 0u);
    EXPECT_EQ(journal->setOwner(L"C:\\data", *Sid::fromString(L"S-1-5-21-1-2-3-1001")), 0u);
    EXPECT_EQ(journal->writeNullDacl(L"C:\\data"), 0u);
    EXPECT_EQ(journal->writeDacl(L"C:\\data\\a", {}, {}), 5u);  // the fault: nothing appended
    EXPECT_EQ(journal->writeDacl(L"C:\\nothing", {}, {}), 2u);
    const std::string journaled = kVolume + "\n" +
                                  "dir\tC:\\data\tO:BAD:P\n"
                                  "dir\tC:\\data\tO:S-1-5-21-1-2-3-1001D:P\n"
                                  "dir\tC:\\data\tO:S-1-5-21-1-2-3-1001D:NO_ACCESS_CONTROL\n";
    EXPECT_EQ(text(files), journaled);

    std::unique_ptr<VolumeJournal> reopened = VolumeJournal::open(files, L"v.qvol", error);
    ASSERT_NE(reopened, nullptr) << error;
    SecurityDescriptor sd;
    ASSERT_TRUE(reopened->readSecurity(L"C:\\data", sd).ok());
    EXPECT_EQ(sd.owner, Sid::fromString(L"S-1-5-21-1-2-3-1001"));
    EXPECT_EQ(sd.daclState, DaclState::Null);
    EXPECT_EQ(text(files), journaled);
}

TEST(VolumeJournal, AWriteWhoseRecordIsNotWrittenIsUndone) {
    MemoryFiles files;
    files.put(L"v.qvol", bytes(kVolume + "\n"));
    files.failWritesAfter(kVolume.size() + 1 + 10);
    std::string error;
    std::unique_ptr<VolumeJournal> journal = VolumeJournal::open(files, L"v.qvol", error);
    ASSERT_NE(journal, nullptr) << error;
    EXPECT_EQ(journal->writeDacl(L"C:\\data", {}, DaclControl::protectedDacl()), 29u);
    SecurityDescriptor sd;
    ASSERT_TRUE(journal->readSecurity(L"C:\\data", sd).ok());
    EXPECT_EQ(sd.control, 0x8004);
    EXPECT_EQ(sd.dacl.size(), 1u);
    EXPECT_EQ(text(files), kVolume + "\n");
    // The part of the record that reached the file is gone: the next record
    // starts a line.
    files.failWritesAfter(static_cast<std::size_t>(-1));
    EXPECT_EQ(journal->writeDacl(L"C:\\data", {}, DaclControl::protectedDacl()), 0u);
    EXPECT_EQ(text(files), kVolume + "\ndir\tC:\\data\tO:BAD:P\n");
}

TEST(VolumeJournal, ARecordCutOffByAStopIsLeftOutAndCutAway) {
    const std::string whole = kVolume + "\n";
    struct Case {
        std::string tail;    // after the whole records
        std::string cutOff;  // what open reports
        std::string kept;    // what the file then holds after `whole`
    };
    for (const Case& c : std::initializer_list<Case>{
             {"dir\tC:\\data\tO:BAD:(A;OICI;FA;;",
              "line 7: the record has no line end and is cut off (SDDL at 18: expected ';' after "
              "the inherited object type): ignored",
              ""},
             {"fi",
              "line 7: the record has no line end and is cut off (unknown record \"fi\"): ignored",
              ""},
             // A whole last record without a line end (a file typed by hand) is kept.
             {"file\tC:\\data\\b\tO:BAD:", "", "file\tC:\\data\\b\tO:BAD:\n"},
         }) {
        MemoryFiles files;
        files.put(L"v.qvol", bytes(whole + c.tail));
        std::string error;
        std::unique_ptr<VolumeJournal> journal = VolumeJournal::open(files, L"v.qvol", error);
        ASSERT_NE(journal, nullptr) << error;
        EXPECT_EQ(journal->cutOff(), c.cutOff);
        EXPECT_EQ(text(files), whole + c.kept);
        ASSERT_EQ(journal->platform().enablePrivilege(Privilege::Restore), 0u);
        EXPECT_EQ(journal->writeDacl(L"C:\\data", {}, DaclControl::protectedDacl()), 0u);
        EXPECT_EQ(text(files), whole + c.kept + "dir\tC:\\data\tO:BAD:P\n");
    }
    // A cut-off line in the middle of the file is an error as any other.
    MemoryFiles files;
    files.put(L"v.qvol", bytes("quorel-volume 1\nfi\n" + kVolume.substr(16)));
    std::string error;
    EXPECT_EQ(VolumeJournal::open(files, L"v.qvol", error), nullptr);
    EXPECT_EQ(error, "line 2: unknown record \"fi\"");
}

TEST(VolumeJournal, AFileThatDoesNotReadOpensNothing) {
    MemoryFiles files;
    std::string error;
    EXPECT_EQ(VolumeJournal::open(files, L"v.qvol", error), nullptr);
    EXPECT_EQ(error, "the volume file cannot be opened (error 2)");
    files.put(L"v.qvol", bytes("quorel-volume 1\nfile\tC:\\x\n"));
    EXPECT_EQ(VolumeJournal::open(files, L"v.qvol", error), nullptr);
    EXPECT_EQ(error, "line 2: expected file PATH SDDL, fields separated by one TAB");
    EXPECT_EQ(text(files), "quorel-volume 1\nfile\tC:\\x\n");
}

}  // namespace
}  // namespace quorel::sim
