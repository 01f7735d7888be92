#include "platform/sim/volume_file.h"

#include <gtest/gtest.h>

#include "platform/file_system_port.h"
#include "platform/sim/sample_server.h"
#include "platform/win_error.h"

namespace quorel::sim {
namespace {

Sid sid(const wchar_t* text) {
    return *Sid::fromString(text);
}

// A volume as the writer writes it: every record kind.
const char kVolume[] =
    "quorel-volume 1\n"
    "computer\tWS01\n"
    "domain\tCORP\tS-1-5-21-10-20-30\tDC01\n"
    "domain\tPARTNER\tS-1-5-21-70-80-90\n"
    "account\tS-1-1-0\tEveryone\twellknown\n"
    "account\tS-1-5-18\tNT AUTHORITY\\SYSTEM\twellknown\n"
    "account\tS-1-5-32-544\tBUILTIN\\Administrators\talias\tS-1-5-21-10-20-30-512\n"
    "account\tS-1-5-21-10-20-30-512\tCORP\\Domain Admins\tgroup\tS-1-5-21-10-20-30-1105\n"
    "account\tS-1-5-21-10-20-30-1105\tCORP\\ann\tuser\n"
    "account\tS-1-5-21-10-20-30-1106\t-\tdeleted\n"
    "account\tS-1-5-21-1-2-3-1001\tWS01\\local\tuser\n"
    "account\tS-1-5-21-4-5-6-1001\tFILES01\\svc\tuser\n"
    "account\tS-1-5-21-70-80-90-1200\tPARTNER\\bob\tuser\n"
    "token\tS-1-5-21-10-20-30-1105\tSeTakeOwnershipPrivilege,SeBackupPrivilege\t"
    "S-1-1-0,S-1-5-32-544,S-1-5-21-10-20-30-512\n"
    "latency\t250\n"
    "dir\tC:\\\tO:BAG:SYD:PAI(A;OICI;FA;;;BA)\n"
    "dir\tC:\\data\tO:S-1-5-21-10-20-30-1105G:SYD:AI(A;OICIID;FA;;;BA)(D;;FW;;;WD)\n"
    "file\tC:\\data\\a.txt\tO:BAD:P(A;;FR;;;S-1-5-21-10-20-30-1106)\n"
    "link\tC:\\data\\b\tjunction\tC:\\elsewhere\tO:BAD:(A;;FA;;;WD)\n"
    "link\tC:\\data\\cloud\tplaceholder\t-\tO:BA\n"
    "link\tC:\\data\\m\tmount\t\\??\\Volume{0e2b7a30-0000-0000-0000-100000000000}\\\tO:BAD:\n"
    "link\tC:\\data\\s\tsymlink\t..\\x\tO:BAD:NO_ACCESS_CONTROL\n"
    "dir\tC:\\data\\Z\tO:BAD:(A;;FA;;;WD)\n"
    "dir\t\\\\FILES01\\share\tO:S-1-5-21-4-5-6-1001D:(A;OICI;FA;;;WD)\n"
    "fail\tlist\tC:\\data\t59\n"
    "fail\tread\tC:\\data\\a.txt\t5\n"
    "fail\twrite\tC:\\data\\Z\t19\n"
    "fail\tlookup\tS-1-5-21-70-80-90-1200\t1789\n";

TEST(VolumeFile, AVolumeItWroteReadsBackAndIsWrittenByteForByte) {
    VolumeRead read = readVolume(kVolume);
    ASSERT_TRUE(read.platform) << read.error;
    VolumeWrite written = writeVolume(*read.platform);
    ASSERT_EQ(written.error, "");
    EXPECT_EQ(written.text, kVolume);
}

TEST(VolumeFile, TheRecordsMakeThePlatform) {
    VolumeRead read = readVolume(kVolume);
    ASSERT_TRUE(read.platform) << read.error;
    SimPlatform& sim = *read.platform;
    AccountInfo info;
    EXPECT_EQ(sim.lookupSid(L"", sid(L"S-1-5-21-10-20-30-1105"), info), 0u);
    EXPECT_EQ(info.domain + L"\\" + info.name, L"CORP\\ann");
    EXPECT_EQ(info.kind, AccountKind::User);
    EXPECT_EQ(sim.lookupSid(L"", sid(L"S-1-5-21-10-20-30-1106"), info), win_error::kNoneMapped);
    EXPECT_EQ(sim.lookupSid(L"", sid(L"S-1-5-21-10-20-30-1107"), info), win_error::kNoneMapped);
    EXPECT_EQ(sim.lookupSid(L"", sid(L"S-1-5-21-70-80-90-1200"), info), 1789u);
    EXPECT_EQ(sim.lookupSid(L"", sid(L"S-1-5-21-4-5-6-1001"), info), win_error::kNoneMapped);
    EXPECT_EQ(sim.lookupSid(L"FILES01", sid(L"S-1-5-21-4-5-6-1001"), info), 0u);
    EXPECT_EQ(info.domain + L"\\" + info.name, L"FILES01\\svc");
    EXPECT_EQ(sim.lookupSid(L"", sid(L"S-1-5-21-1-2-3-1001"), info), 0u);
    EXPECT_EQ(info.domain, L"WS01");
    std::uint32_t error = 0;
    EXPECT_EQ(sim.domainControllerName(error), std::optional<std::wstring>(L"\\\\DC01"));
    EXPECT_EQ(sim.currentUserName(), L"ann");
    EXPECT_EQ(sim.accounts().tokenSids(),
              (std::vector<Sid>{sid(L"S-1-5-21-10-20-30-1105"), sid(L"S-1-1-0"),
                                sid(L"S-1-5-32-544"), sid(L"S-1-5-21-10-20-30-512")}));
    EXPECT_EQ(sim.enablePrivilege(Privilege::TakeOwnership), 0u);
    EXPECT_EQ(sim.enablePrivilege(Privilege::Restore), win_error::kNotAllAssigned);
    EXPECT_EQ(sim.latency(), 250u);

    DirItem item;
    auto listing = sim.openDirectory(L"C:\\data", item, error);
    ASSERT_NE(listing, nullptr);
    EXPECT_EQ(item.name, L".");
    EXPECT_EQ(listing->next(item), 59u);  // fails after its first item
    const std::wstring names[] = {L".", L"..", L"a.txt", L"b", L"cloud", L"m", L"s", L"Z"};
    const std::uint32_t tags[] = {0,
                                  0,
                                  0,
                                  reparse_tag::kMountPoint,
                                  reparse_tag::kCloud,
                                  reparse_tag::kMountPoint,
                                  reparse_tag::kSymlink,
                                  0};
    const SimObject* data = sim.volume().find(L"C:\\data");
    ASSERT_EQ(data->children.size(), 6u);
    for (std::size_t i = 2; i < 8; ++i) {
        EXPECT_EQ(data->children[i - 2]->name, names[i]);
        EXPECT_EQ(data->children[i - 2]->reparseTag, tags[i]) << i;
    }
    std::wstring target;
    EXPECT_EQ(sim.readReparseTarget(L"C:\\data\\s", target), 0u);
    EXPECT_EQ(target, L"..\\x");
    EXPECT_EQ(sim.readReparseTarget(L"C:\\data\\cloud", target), win_error::kNotAReparsePoint);

    SecurityDescriptor sd;
    EXPECT_EQ(sim.readSecurity(L"C:\\data\\a.txt", sd).error, 5u);
    EXPECT_EQ(sim.writeDacl(L"C:\\data\\Z", {}, {}), 19u);
    ASSERT_EQ(sim.readSecurity(L"C:\\data", sd).error, 0u);
    EXPECT_EQ(sd.owner, sid(L"S-1-5-21-10-20-30-1105"));
    EXPECT_EQ(sd.control, 0x8404);
    EXPECT_EQ(sd.dacl.size(), 2u);
    EXPECT_EQ(sim.volume().find(L"\\\\files01\\SHARE")->security.owner,
              sid(L"S-1-5-21-4-5-6-1001"));
}

TEST(VolumeFile, CommentsOrderAndReplacedRecordsAreNormalised) {
    const char text[] =
        "quorel-volume 1\r\n"
        "# a comment\r\n"
        "\n"
        "   \t \n"
        "token\tS-1-5-21-1-2-3-1001\t-\t-\n"
        "file\tC:\\b\tO:BAD:\n"
        "dir\tC:\\A\tO:BAD:\n"
        "file\tC:\\A\\x\tO:BAD:\n"
        "dir\tC:\\a\tO:SYD:\n"
        "file\tc:\\B\tO:BU\n"
        "account\tS-1-5-21-1-2-3-1001\tHOST\\me\tuser\n"
        "computer\tHOST";
    VolumeRead read = readVolume(text);
    ASSERT_TRUE(read.platform) << read.error;
    VolumeWrite written = writeVolume(*read.platform);
    ASSERT_EQ(written.error, "");
    EXPECT_EQ(written.text,
              "quorel-volume 1\n"
              "computer\tHOST\n"
              "account\tS-1-5-21-1-2-3-1001\tHOST\\me\tuser\n"
              "token\tS-1-5-21-1-2-3-1001\t-\t-\n"
              "dir\tC:\\A\tO:SYD:\n"
              "file\tC:\\A\\x\tO:BAD:\n"
              "file\tC:\\b\tO:BU\n");
}

TEST(VolumeFile, BadInputNamesTheLineAndOpensNothing) {
    const std::string head = "quorel-volume 1\ntoken\tS-1-5-21-1-2-3-1001\t-\t-\n";
    struct Case {
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"", "line 1: expected \"quorel-volume 1\" on the first line"},
        {"\xEF\xBB\xBFquorel-volume 1\n", "line 1: expected \"quorel-volume 1\" on the first line"},
        {"quorel-volume 2\n", "line 1: expected \"quorel-volume 1\" on the first line"},
        {"quorel-volume 1\n", "line 1: the volume has no token record"},
        {head + "disk\tC:\n", "line 3: unknown record \"disk\""},
        {head + "dir\tC:\\a\n", "line 3: expected dir PATH SDDL, fields separated by one TAB"},
        {head + "dir\tC:\\a\t\tO:BA\n",
         "line 3: expected dir PATH SDDL, fields separated by one TAB"},
        {head + "dir  C:\\a  O:BA\n", "line 3: unknown record \"dir  C:\\a  O:BA\""},
        {head + "dir\tC:\\a\tO:BAD:(A;;FA;;;WD\n",
         "line 3: SDDL at 17: expected ')' to close the ACE"},
        {head + "dir\tC:a\tO:BA\n",
         "line 3: expected an absolute path (C:\\... or \\\\server\\share\\...), not \"C:a\""},
        {head + "dir\tC:\\a\\\tO:BA\n",
         "line 3: expected an absolute path (C:\\... or \\\\server\\share\\...), not \"C:\\a\\\""},
        {head + "dir\tC:\\a\\..\\b\tO:BA\n",
         "line 3: expected an absolute path (C:\\... or \\\\server\\share\\...), not "
         "\"C:\\a\\..\\b\""},
        {head + "dir\t\\\\srv\\\tO:BA\n",
         "line 3: expected an absolute path (C:\\... or \\\\server\\share\\...), not "
         "\"\\\\srv\\\""},
        {head + "dir\t\\\\srv\tO:BA\n",
         "line 3: expected an absolute path (C:\\... or \\\\server\\share\\...), not \"\\\\srv\""},
        {head + "dir\tC:\\a\\b\tO:BA\n", "line 3: no record before it gives its folder C:\\a"},
        {head + "file\tC:\\a\tO:BA\ndir\tC:\\a\\b\tO:BA\n",
         "line 4: C:\\a is a file: it holds no items"},
        {head + "dir\tC:\\a\tO:BA\nfile\tC:\\a\\b\tO:BA\nfile\tC:\\A\tO:BA\n",
         "line 5: a file cannot replace the folder C:\\A, which holds items"},
        {head + "file\tC:\\\tO:BA\n", "line 3: a drive or share root is a dir"},
        {head + "link\tC:\\j\tjunction\t\\??\\Volume{1}\\\tO:BA\n",
         "line 3: a junction's target is no \\??\\Volume{...}\\"},
        {head + "link\tC:\\j\tmount\tC:\\x\tO:BA\n",
         "line 3: a mount point's target is \\??\\Volume{...}\\"},
        {head + "link\tC:\\j\tplaceholder\tC:\\x\tO:BA\n",
         "line 3: a placeholder's target is \"-\""},
        {head + "link\tC:\\j\thardlink\tC:\\x\tO:BA\n",
         "line 3: unknown link tag \"hardlink\" (junction, symlink, mount, placeholder)"},
        {head + "account\tS-1-5-21-1\tX\\y\tadmin\n",
         "line 3: unknown account kind \"admin\" (user, group, alias, wellknown, deleted)"},
        {head + "account\tS-1-5-021-1\tX\\y\tuser\n",
         "line 3: malformed SID \"S-1-5-021-1\" of the account"},
        {head + "account\tS-1-5-21-1\tX\\y\tdeleted\n",
         "line 3: a deleted account's name is \"-\""},
        {head + "account\tS-1-5-21-1\t-\tuser\n",
         "line 3: only a deleted account has the name \"-\""},
        {head + "account\tS-1-5-21-1\tX\\\tuser\n",
         "line 3: expected DOMAIN\\NAME or NAME, not \"X\\\""},
        {head + "account\tS-1-5-21-1\tX\\y\tgroup\tS-1-1-0,S-1\n",
         "line 3: malformed SID \"S-1\" of a member"},
        {head + "account\tS-1-1-0\tEveryone\twellknown\naccount\tS-1-1-0\tWorld\twellknown\n",
         "line 4: account S-1-1-0 was given before"},
        {head + "token\tS-1-5-18\t-\t-\n", "line 3: a second token record"},
        {"quorel-volume 1\ntoken\tS-1-5-18\tSeDebugPrivilege\t-\n",
         "line 2: unknown privilege \"SeDebugPrivilege\" (SeTakeOwnershipPrivilege, "
         "SeRestorePrivilege, SeBackupPrivilege)"},
        {head + "domain\tD\tS-1-5-21-9\naccount\tS-1-5-21-8-1\tE\\u\tuser\ndomain\tE\tS-1-5-21-8\n",
         "line 5: domain \"E\" comes after its accounts"},
        {head + "domain\tD\tS-1-5-21-9\ndomain\tE\tS-1-5-21-8\tDC2\n",
         "line 4: only the first domain (this computer's) names its controller"},
        {head + "domain\tD\tS-1-5-21-9\ndomain\td\tS-1-5-21-8\n",
         "line 4: domain \"d\" or its SID was given before"},
        {head + "latency\t4294967296\n",
         "line 3: expected microseconds as a decimal number below 2^32, not \"4294967296\""},
        {head + "latency\t-1\n",
         "line 3: expected microseconds as a decimal number below 2^32, not \"-1\""},
        {head + "fail\tread\tC:\\x\t5\n", "line 3: no record before it gives \"C:\\x\""},
        {head + "file\tC:\\x\tO:BA\nfail\tlist\tC:\\x\t5\n",
         "line 4: C:\\x is a file: it has no listing"},
        {head + "fail\tlookup\tS-1-1-0\t0\n", "line 3: error 0 is no fault"},
        {head + "fail\tcrash\tC:\\\t5\n",
         "line 3: unknown fault \"crash\" (read, write, list, lookup)"},
        {head + "computer\tA\ncomputer\tB\n", "line 4: a second computer record"},
        {head + "computer\tA\xFF\n", "line 3: the line is not UTF-8 text"},
        {head + "computer\tA\r\r\n", "line 3: a carriage return inside the line"},
    };
    for (const Case& c : cases) {
        VolumeRead read = readVolume(c.text);
        EXPECT_EQ(read.platform, nullptr) << c.text;
        EXPECT_EQ(read.error, c.error) << c.text;
    }
}

TEST(VolumeFile, TheSampleServerIsWrittenAndReadBackExactly) {
    SimPlatform sim;
    BuildSampleServer(sim);
    VolumeWrite first = writeVolume(sim);
    ASSERT_EQ(first.error, "");
    VolumeRead read = readVolume(first.text);
    ASSERT_TRUE(read.platform) << read.error;
    EXPECT_EQ(writeVolume(*read.platform).text, first.text);
}

TEST(VolumeFile, WhatAFileCannotHoldIsAnErrorNotALoss) {
    struct Case {
        void (*make)(SimPlatform&);
        const char* error;
    };
    const Case cases[] = {
        {[](SimPlatform& s) { s.dir(L"C:\\a").listingFails(3, 5); },
         "the volume holds what a volume file cannot: the listing of C:\\a failing after other "
         "than its first item"},
        {[](SimPlatform& s) { s.accounts().timeOutLookups(well_known::everyone(), 2); },
         "the volume holds what a volume file cannot: lookups set to time out a number of times"},
        {[](SimPlatform& s) { s.dir(L"C:\\a").reparse(L"C:\\b", false); },
         "the volume holds what a volume file cannot: the item C:\\a of a kind it has no record "
         "for"},
        {[](SimPlatform& s) { s.file(L"C:\\a\tb"); },
         "the volume holds what a volume file cannot: the item C:\\a\tb of a kind it has no "
         "record for"},
    };
    for (const Case& c : cases) {
        SimPlatform sim;
        c.make(sim);
        VolumeWrite written = writeVolume(sim);
        EXPECT_EQ(written.text, "");
        EXPECT_EQ(written.error, c.error);
    }
}

}  // namespace
}  // namespace quorel::sim
