#include "platform/sim/volume_capture.h"

#include <gtest/gtest.h>

#include "platform/sim/volume_file.h"

namespace quorel::sim {
namespace {

// A file server with what a capture must carry over: a folder above the
// tree, a domain with its controller, a local group, a deleted account, a
// SID whose lookup fails, a descriptor that cannot be read, a junction and
// a placeholder; and what lies outside the tree.
const std::string kServer =
    "quorel-volume 1\n"
    "computer\tFS01\n"
    "domain\tCORP\tS-1-5-21-7-8-9\tDC01\n"
    "account\tS-1-5-21-7-8-9-1104\tCORP\\ann\tuser\n"
    "account\tS-1-5-21-7-8-9-513\tCORP\\Domain Users\tgroup\n"
    "account\tS-1-5-21-1-2-3-1001\tFS01\\Editors\talias\n"
    "account\tS-1-5-21-7-8-9-1999\t-\tdeleted\n"
    "account\tS-1-5-32-544\tBUILTIN\\Administrators\talias\n"
    "account\tS-1-5-18\tNT AUTHORITY\\SYSTEM\twellknown\n"
    "token\tS-1-5-21-7-8-9-1104\tSeBackupPrivilege\tS-1-5-21-7-8-9-513,S-1-5-32-544\n"
    "dir\tD:\\\tO:BAG:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)\n"
    "dir\tD:\\shares\tO:BAG:SYD:AI(A;OICI;FA;;;S-1-5-21-7-8-9-1104)\n"
    "dir\tD:\\shares\\data\tO:BAG:SYD:AI(D;;WD;;;S-1-5-21-1-2-3-1001)"
    "(A;OICIID;FA;;;S-1-5-21-7-8-9-1104)\n"
    "file\tD:\\shares\\data\\a.txt\tO:S-1-5-21-7-8-9-1999G:SYD:(A;;FR;;;S-1-5-21-7-8-9-513)"
    "(A;;FA;;;S-1-5-21-7-8-9-3000)\n"
    "file\tD:\\shares\\data\\locked.txt\tO:BAG:SYD:P\n"
    "link\tD:\\shares\\data\\j\tjunction\tD:\\other\tO:BAG:SYD:AI\n"
    "dir\tD:\\shares\\data\\j\\inside\tO:BAG:SYD:\n"
    "link\tD:\\shares\\data\\cloud\tplaceholder\t-\tO:BAG:SYD:\n"
    "dir\tD:\\shares\\other\tO:BAG:SYD:\n"
    "fail\tread\tD:\\shares\\data\\locked.txt\t5\n"
    "fail\tlookup\tS-1-5-21-7-8-9-3000\t1789\n";

TEST(VolumeCapture, CarriesTheTreeWhatItInheritsFromAndTheAccountsItNames) {
    VolumeRead server = readVolume(kServer);
    ASSERT_TRUE(server.platform) << server.error;
    SimPlatform& sim = *server.platform;
    CaptureToken token{L"FS01",
                       Sid::fromString(L"S-1-5-21-7-8-9-1104"),
                       {*Sid::fromString(L"S-1-5-32-544")},
                       true,
                       false,
                       true};
    VolumeCapture capture = captureVolume({L"D:\\shares\\data"}, token, sim, sim, sim);
    ASSERT_EQ(capture.error, "");
    // Accounts in the order the descriptors name them; the unreadable file
    // keeps what it would inherit and its fault; the junction is not entered.
    EXPECT_EQ(capture.text,
              "quorel-volume 1\n"
              "computer\tFS01\n"
              "domain\tCORP\tS-1-5-21-7-8-9\tDC01\n"
              "account\tS-1-5-32-544\tBUILTIN\\Administrators\talias\n"
              "account\tS-1-5-18\tNT AUTHORITY\\SYSTEM\twellknown\n"
              "account\tS-1-5-21-7-8-9-1104\tCORP\\ann\tuser\n"
              "account\tS-1-5-21-1-2-3-1001\tFS01\\Editors\talias\n"
              "account\tS-1-5-21-7-8-9-1999\t-\tdeleted\n"
              "account\tS-1-5-21-7-8-9-513\tCORP\\Domain Users\tgroup\n"
              "token\tS-1-5-21-7-8-9-1104\tSeTakeOwnershipPrivilege,SeBackupPrivilege\t"
              "S-1-5-32-544\n"
              "dir\tD:\\shares\tO:BAG:SYD:AI(A;OICI;FA;;;S-1-5-21-7-8-9-1104)\n"
              "dir\tD:\\shares\\data\tO:BAG:SYD:AI(D;;WD;;;S-1-5-21-1-2-3-1001)"
              "(A;OICIID;FA;;;S-1-5-21-7-8-9-1104)\n"
              "file\tD:\\shares\\data\\a.txt\tO:S-1-5-21-7-8-9-1999G:SYD:"
              "(A;;FR;;;S-1-5-21-7-8-9-513)(A;;FA;;;S-1-5-21-7-8-9-3000)\n"
              "link\tD:\\shares\\data\\cloud\tplaceholder\t-\tO:BAG:SYD:\n"
              "link\tD:\\shares\\data\\j\tjunction\tD:\\other\tO:BAG:SYD:AI\n"
              "file\tD:\\shares\\data\\locked.txt\tO:BAG:SYD:AI(A;ID;FA;;;S-1-5-21-7-8-9-1104)\n"
              "fail\tread\tD:\\shares\\data\\locked.txt\t5\n"
              "fail\tlookup\tS-1-5-21-7-8-9-3000\t1789\n");
    EXPECT_EQ(capture.notes, std::vector<std::string>{});
    EXPECT_EQ(capture.items, 5u);
    EXPECT_EQ(capture.accounts, 6u);
    // A folder it cannot list and a user it does not know.
    sim.volume().find(L"D:\\shares\\data")->listingFailsAfter = 0;
    sim.volume().find(L"D:\\shares\\data")->listingError = 5;
    capture = captureVolume({L"D:\\shares\\data"}, token, sim, sim, sim);
    EXPECT_EQ(capture.notes, std::vector<std::string>{"D:\\shares\\data: not listed (error 5)"});
    EXPECT_EQ(capture.items, 1u);
    token.user.reset();
    capture = captureVolume({L"D:\\shares\\data"}, token, sim, sim, sim);
    EXPECT_EQ(capture.error, "the account the capture runs as is not known");
    EXPECT_EQ(capture.text, "");
}

}  // namespace
}  // namespace quorel::sim
