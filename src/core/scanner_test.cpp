#include "core/scanner.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/dir_list.h"
#include "core/security_reader.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"

namespace quorel {
namespace {

using sim::RecordingInteraction;
using sim::SimPlatform;

class Scan : public ::testing::Test {
  protected:
    Scan() : reader(sim, sim), scanner(list, sim, reader, ui) {
        me = sim.accounts().currentUser();
        alice = sim.accounts().addLocalUser(L"alice");
    }

    // (depth, path) of every entry in walk order.
    std::vector<std::pair<std::uint32_t, std::wstring>> entries() {
        std::vector<std::pair<std::uint32_t, std::wstring>> result;
        for (const CDirEntry& e : list) {
            result.emplace_back(e.depth, e.path());
        }
        return result;
    }
    // The error texts of `entry`, in list order.
    std::vector<std::wstring> errorsOf(const CDirEntry* entry) {
        std::vector<std::wstring> texts;
        for (std::size_t i = 0; i < list.errorList().count(); ++i) {
            if (list.errorList().at(i).entry == entry) {
                texts.emplace_back(list.errorList().at(i).text);
            }
        }
        return texts;
    }
    const CDirEntry* find(const std::wstring& path) {
        for (const CDirEntry& e : list) {
            if (e.path() == path) {
                return &e;
            }
        }
        return nullptr;
    }

    SimPlatform sim;
    RecordingInteraction ui;
    CDirList list{ui};
    SecurityReader reader;
    Scanner scanner;
    Sid me, alice;
};

TEST_F(Scan, ListsDotEntriesAndDescendsEverythingWithUnlimitedDepth) {
    sim.file(L"C:\\r\\b.txt");
    sim.file(L"C:\\r\\a\\x.txt");
    sim.dir(L"C:\\r\\a\\deep\\deeper");
    ASSERT_EQ(scanner.ScanTree(L"C:\\r", 0), ScanOutcome::Complete);
    using E = std::pair<std::uint32_t, std::wstring>;
    EXPECT_EQ(entries(), (std::vector<E>{
                             {0, L"C:\\r"},
                             {1, L"C:\\r\\."},
                             {1, L"C:\\r\\.."},
                             {1, L"C:\\r\\a"},
                             {2, L"C:\\r\\a\\."},
                             {2, L"C:\\r\\a\\.."},
                             {2, L"C:\\r\\a\\deep"},
                             {3, L"C:\\r\\a\\deep\\."},
                             {3, L"C:\\r\\a\\deep\\.."},
                             {3, L"C:\\r\\a\\deep\\deeper"},
                             {4, L"C:\\r\\a\\deep\\deeper\\."},
                             {4, L"C:\\r\\a\\deep\\deeper\\.."},
                             {2, L"C:\\r\\a\\x.txt"},
                             {1, L"C:\\r\\b.txt"},
                         }));
    EXPECT_EQ(list.entryCount(), 14u);
    EXPECT_EQ(scanner.scannedCount(), 13u);
    EXPECT_EQ(list.firstEntry()->name(), L"C:\\r");
    EXPECT_TRUE(ui.messages().empty());
    // The root's "." and ".." carry the security of the root and its parent.
    sim.dir(L"C:\\").owner(alice);
    EXPECT_EQ(find(L"C:\\r\\.")->ownerName(), L"Administrators");
}

TEST_F(Scan, DepthOneListsTheRootItemsOnly) {
    sim.file(L"C:\\r\\a\\x.txt");
    sim.file(L"C:\\r\\b.txt");
    scanner.ScanTree(L"C:\\r", 1);
    const CDirEntry* a = find(L"C:\\r\\a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->firstChild(), nullptr);
    EXPECT_FALSE(a->isDirectory());
    // The item after the subdirectory is still its sibling.
    EXPECT_EQ(a->nextSibling(), find(L"C:\\r\\b.txt"));
    EXPECT_EQ(list.entryCount(), 5u);
    EXPECT_EQ(sim.counters().openDirectory, 1u);
}

TEST_F(Scan, DepthTwoStopsOneLevelLower) {
    sim.file(L"C:\\r\\a\\b\\c.txt");
    scanner.ScanTree(L"C:\\r", 2);
    EXPECT_NE(find(L"C:\\r\\a\\b"), nullptr);
    EXPECT_EQ(find(L"C:\\r\\a\\b\\c.txt"), nullptr);
    EXPECT_EQ(find(L"C:\\r\\a\\b")->depth, 2u);
}

TEST_F(Scan, EmptyDirectoryYieldsItsDotEntries) {
    sim.dir(L"C:\\r\\empty");
    scanner.ScanTree(L"C:\\r", 0);
    const CDirEntry* empty = find(L"C:\\r\\empty");
    ASSERT_NE(empty->firstChild(), nullptr);
    EXPECT_EQ(empty->firstChild()->name(), L".");
    EXPECT_EQ(empty->firstChild()->nextSibling()->name(), L"..");
    EXPECT_EQ(empty->firstChild()->nextSibling()->nextSibling(), nullptr);
}

TEST_F(Scan, BareDriveIsScannedAsItsRoot) {
    sim.file(L"C:\\top.txt");
    for (int i = 0; i < 10; ++i) {
        sim.file(L"C:\\u" + std::to_wstring(i));
    }
    std::wstring path = L"C:";
    scanner.ScanTree(path, 0);
    EXPECT_EQ(path, L"C:");
    EXPECT_EQ(list.firstEntry()->path(), L"C:\\");
    EXPECT_EQ(list.firstEntry()->name(), L"C:\\");
    // A volume root has no "." and "..": its first item is the file.
    EXPECT_EQ(list.firstEntry()->firstChild()->path(), L"C:\\top.txt");
    // The eleventh item's path, also when the root is given with its
    // separator: it is not doubled.
    scanner.ScanTree(L"C:\\", 1);
    EXPECT_EQ(ui.progressTexts(),
              (std::vector<std::wstring>{L"C:", L"C:\\u9", L"C:\\", L"C:\\u9"}));
}

TEST_F(Scan, SecondRootJoinsTheTopListingAtDepthOne) {
    sim.file(L"C:\\one\\a");
    sim.file(L"D:\\two\\b");
    scanner.ScanTree(L"C:\\one", 0);
    scanner.ScanTree(L"D:\\two", 0);
    const CDirEntry* second = list.firstEntry()->nextSibling();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->path(), L"D:\\two");
    EXPECT_EQ(second->parent(), nullptr);
    EXPECT_EQ(second->depth, 1u);
    EXPECT_EQ(find(L"D:\\two\\b")->depth, 1u);
    EXPECT_EQ(find(L"D:\\two\\b")->parent(), second);
}

TEST_F(Scan, JunctionIsListedWithItsTargetAndNeverDescended) {
    sim.dir(L"C:\\r\\loop").reparse(L"\\??\\C:\\r");
    sim.dir(L"C:\\r\\held").reparse(L"\\??\\C:\\elsewhere", false);
    sim.file(L"C:\\r\\loop\\inside.txt");
    scanner.ScanTree(L"C:\\r", 0);
    const CDirEntry* loop = find(L"C:\\r\\loop");
    EXPECT_EQ(loop->isReparsePoint, 1);
    EXPECT_EQ(loop->reparseTarget(), L"\\??\\C:\\r");
    EXPECT_EQ(loop->firstChild(), nullptr);
    EXPECT_GT(loop->aceCount(), 0u);
    // Unreadable reparse data: still a reparse point, never descended.
    const CDirEntry* held = find(L"C:\\r\\held");
    EXPECT_EQ(held->isReparsePoint, 1);
    EXPECT_EQ(held->reparseTarget(), L"");
    EXPECT_EQ(held->firstChild(), nullptr);
    EXPECT_EQ(find(L"C:\\r\\loop\\inside.txt"), nullptr);
    EXPECT_EQ(find(L"C:\\r\\.")->isReparsePoint, 0);
}

TEST_F(Scan, PlaceholdersAndOtherReparsePointsAreEnteredOnlyNameSurrogatesAreNot) {
    struct Case {
        const wchar_t* name;
        std::uint32_t tag;
        bool entered;
    };
    const Case cases[] = {{L"cloud", reparse_tag::kCloud, true},
                          {L"dedup", reparse_tag::kDedup, true},
                          {L"junction", reparse_tag::kMountPoint, false},
                          {L"symlink", reparse_tag::kSymlink, false}};
    for (const Case& c : cases) {
        const std::wstring folder = std::wstring(L"C:\\r\\") + c.name;
        sim.dir(folder).reparseTag(c.tag);
        sim.file(folder + L"\\inside.txt");
    }
    scanner.ScanTree(L"C:\\r", 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring folder = std::wstring(L"C:\\r\\") + c.name;
        EXPECT_EQ(find(folder)->isReparsePoint, c.entered ? 0 : 1);
        EXPECT_EQ(find(folder + L"\\inside.txt") != nullptr, c.entered);
    }
    EXPECT_EQ(list.errorList().count(), 0u);
}

TEST_F(Scan, AListingThatFailsPartWayKeepsWhatWasListedAndIsReported) {
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) {
        sim.file(std::wstring(L"C:\\r\\sub\\") + name);
    }
    sim.file(L"C:\\r\\z.txt");
    sim.dir(L"C:\\r\\sub").listingFails(3, win_error::kNetNameDeleted);
    EXPECT_EQ(scanner.ScanTree(L"C:\\r", 0), ScanOutcome::Complete);
    EXPECT_EQ(entries(),
              (std::vector<std::pair<std::uint32_t, std::wstring>>{{0, L"C:\\r"},
                                                                   {1, L"C:\\r\\."},
                                                                   {1, L"C:\\r\\.."},
                                                                   {1, L"C:\\r\\sub"},
                                                                   {2, L"C:\\r\\sub\\."},
                                                                   {2, L"C:\\r\\sub\\.."},
                                                                   {2, L"C:\\r\\sub\\a.txt"},
                                                                   {1, L"C:\\r\\z.txt"}}));
    EXPECT_EQ(
        errorsOf(find(L"C:\\r\\sub")),
        (std::vector<std::wstring>{
            L"Error listing directory - the listing stopped early, later items are missing"}));
    EXPECT_EQ(list.errorList().count(), 1u);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(Scan, UnreadableSubdirectoryIsKeptAndReported) {
    sim.dir(L"C:\\r\\locked").owner(alice).dacl().allow(me, 0x20000);  // no list right
    sim.file(L"C:\\r\\locked\\hidden.txt");
    sim.file(L"C:\\r\\z.txt");
    scanner.ScanTree(L"C:\\r", 0);
    const CDirEntry* locked = find(L"C:\\r\\locked");
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ(locked->firstChild(), nullptr);
    EXPECT_EQ(errorsOf(locked), std::vector<std::wstring>{L"Error reading directory"});
    // The scan goes on with the next item, in the same listing.
    EXPECT_EQ(locked->nextSibling(), find(L"C:\\r\\z.txt"));
}

TEST_F(Scan, ErrorListHoldsTheMessagesInScanOrderNumberedFromZero) {
    Sid gone = sim.accounts().addLocalUser(L"gone");
    sim.accounts().deleteAccount(gone);
    sim.dir(L"C:\\r").owner(me).dacl().allow(me, 0x1F01FF, 0x03);
    sim.file(L"C:\\r\\a.txt").owner(me).dacl().allow(gone, 0x1F01FF);
    sim.file(L"C:\\r\\b.txt").owner(me).dacl();
    sim.dir(L"C:\\r\\c").owner(alice).dacl().allow(alice, 0x1F01FF);
    scanner.ScanTree(L"C:\\r", 0);
    const ErrorList& errors = list.errorList();
    std::vector<std::wstring> lines;
    for (std::size_t i = 0; i < errors.count(); ++i) {
        ErrorElement e = errors.at(i);
        lines.push_back(std::to_wstring(e.number) + L" " + e.entry->path() + L": " +
                        std::wstring(e.text));
    }
    EXPECT_EQ(lines, (std::vector<std::wstring>{
                         L"0 C:\\r\\a.txt: Cannot resolve SID",
                         L"1 C:\\r\\b.txt: Empty ACL or ACL information could not be read",
                         L"2 C:\\r\\c: Cannot get file security",
                         L"3 C:\\r\\c: Error reading ACL information from file ( maybe you have "
                         L"insufficient permissions )",
                         L"4 C:\\r\\c: Empty ACL or ACL information could not be read",
                         L"5 C:\\r\\c: Error reading directory",
                     }));
}

TEST_F(Scan, ProgressShowsEachDirectoryAndEveryEleventhItem) {
    for (int i = 0; i < 25; ++i) {
        sim.file(L"C:\\r\\f" + std::wstring(i < 10 ? L"0" : L"") + std::to_wstring(i));
    }
    sim.file(L"C:\\r\\sub\\a");
    sim.file(L"C:\\r\\sub\\b");
    sim.file(L"C:\\r\\sub\\x");
    scanner.ScanTree(L"C:\\r", 0);
    // Items in order: ".", "..", f00..f24, "sub", then sub's ".", "..", "a",
    // "b", "x".
    EXPECT_EQ(ui.progressTexts(), (std::vector<std::wstring>{
                                      L"C:\\r",
                                      L"C:\\r\\f08",     // item 11
                                      L"C:\\r\\f19",     // item 22
                                      L"C:\\r\\sub",     // the directory itself
                                      L"C:\\r\\sub\\x",  // item 33 overall: the count runs on
                                  }));
}

TEST_F(Scan, CancelEndsTheScanAfterTheCurrentItem) {
    for (int i = 0; i < 30; ++i) {
        sim.file(L"C:\\r\\f" + std::to_wstring(i));
    }
    sim.dir(L"C:\\r\\sub");
    ui.cancelAtProgress(2);  // pressed while item 11 is shown
    EXPECT_EQ(scanner.ScanTree(L"C:\\r", 0), ScanOutcome::Cancelled);
    EXPECT_TRUE(ui.messages().empty());  // the front end shows the end
    EXPECT_EQ(scanner.scannedCount(), 11u);
    EXPECT_EQ(find(L"C:\\r\\sub"), nullptr);
}

TEST_F(Scan, CancelStopsTheScanInsideAFolderAndAtOneNotListed) {
    sim.dir(L"C:\\r\\a\\inner");
    sim.dir(L"C:\\r\\b").dacl();  // empty DACL: it cannot be listed
    sim.file(L"C:\\r\\c");
    // Progress texts: C:\r, C:\r\a, C:\r\a\inner, then C:\r\b.
    ui.cancelAtProgress(3);
    EXPECT_EQ(scanner.ScanTree(L"C:\\r", 0), ScanOutcome::Cancelled);
    // The first item of inner sees it; nothing after it is listed.
    EXPECT_NE(find(L"C:\\r\\a\\inner\\."), nullptr);
    EXPECT_EQ(find(L"C:\\r\\a\\inner\\.."), nullptr);
    EXPECT_EQ(find(L"C:\\r\\b"), nullptr);

    ui.clear();
    ui.clearCancel();
    list.clear();
    Scanner again(list, sim, reader, ui);
    ui.cancelAtProgress(4);
    EXPECT_EQ(again.ScanTree(L"C:\\r", 0), ScanOutcome::Cancelled);
    ASSERT_NE(find(L"C:\\r\\b"), nullptr);
    EXPECT_EQ(errorsOf(find(L"C:\\r\\b")).back(), L"Error reading directory");
    EXPECT_EQ(find(L"C:\\r\\c"), nullptr);
}

TEST_F(Scan, UnreadableRootAddsNothingBelowIt) {
    sim.dir(L"C:\\r").owner(alice).dacl().allow(me, 0x20000);
    sim.file(L"C:\\r\\x");
    EXPECT_EQ(scanner.ScanTree(L"C:\\r", 0), ScanOutcome::RootUnreadable);
    EXPECT_EQ(list.entryCount(), 1u);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(scanner.ScanTree(L"C:\\missing", 0), ScanOutcome::RootUnreadable);
}

TEST(ScanEnd, MessageAndExitCodeOfEachOutcome) {
    EXPECT_FALSE(EndOfScan(ScanOutcome::Complete, 2).has_value());
    const std::optional<ProcessEnd> cancelled = EndOfScan(ScanOutcome::Cancelled, 0);
    ASSERT_TRUE(cancelled.has_value());
    EXPECT_EQ(cancelled->text, L"Scanning canceled");
    EXPECT_EQ(cancelled->caption, L"Scanning canceled");
    EXPECT_EQ(cancelled->exitCode, 0);
    const std::optional<ProcessEnd> unreadable = EndOfScan(ScanOutcome::RootUnreadable, 2);
    ASSERT_TRUE(unreadable.has_value());
    EXPECT_EQ(unreadable->text,
              L"Error reading the directory you specified (maybe you selected only a link)");
    EXPECT_EQ(unreadable->caption, L"");
    EXPECT_EQ(unreadable->exitCode, 2);
}

TEST_F(Scan, DirectoryPathAtTheLimitIsNotListed) {
    // C:\r\ + name: 23401 characters in all.
    const std::wstring longName(23401 - 5, L'n');
    sim.file(L"C:\\r\\" + longName + L"\\inside");
    const std::wstring shorter(23400 - 5, L's');
    sim.file(L"C:\\r\\" + shorter + L"\\ok");
    scanner.ScanTree(L"C:\\r", 0);
    EXPECT_TRUE(scanner.maxPathExceeded());
    const CDirEntry* tooLong = find(L"C:\\r\\" + longName);
    ASSERT_NE(tooLong, nullptr);
    EXPECT_EQ(tooLong->firstChild(), nullptr);
    EXPECT_EQ(errorsOf(tooLong), std::vector<std::wstring>{L"Error reading directory"});
    EXPECT_NE(find(L"C:\\r\\" + shorter + L"\\ok"), nullptr);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, L"Max path length exceeded - scan incomplete");
    EXPECT_EQ(ui.messages()[0].caption, L"Error: Max path length");
}

TEST_F(Scan, ItemPastTheLimitEndsItsListing) {
    const std::wstring dir = L"C:\\r\\" + std::wstring(20000, L'd');  // 20005 characters
    const std::wstring kept = L"a" + std::wstring(5984, L'k');        // 20005 + 5985 = 25990: kept
    sim.file(dir + L"\\" + kept);
    sim.file(dir + L"\\b" + std::wstring(5985, L'x'));  // one more: past the limit
    sim.file(dir + L"\\c");
    sim.file(L"C:\\r\\zz");
    scanner.ScanTree(L"C:\\r", 0);
    EXPECT_TRUE(scanner.maxPathExceeded());
    const CDirEntry* d = find(dir);
    ASSERT_NE(d, nullptr);
    // ".", ".." and the item at the limit are listed; the first item past it
    // ends the listing, so "c" is not listed either.
    std::vector<std::wstring> names;
    for (const CDirEntry* c = d->firstChild(); c != nullptr; c = c->nextSibling()) {
        names.push_back(std::wstring(c->name()));
    }
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], L".");
    EXPECT_EQ(names[1], L"..");
    EXPECT_TRUE(names[2] == kept);
    // The scan goes on in the parent listing.
    EXPECT_EQ(d->nextSibling(), find(L"C:\\r\\zz"));
    EXPECT_TRUE(errorsOf(d).empty());
}

TEST_F(Scan, TenThousandEntriesNamingTwentyAccountsCostTwentyLookups) {
    std::vector<Sid> accounts;
    for (int i = 0; i < 20; ++i) {
        accounts.push_back(i == 0 ? me : sim.accounts().addLocalUser(L"u" + std::to_wstring(i)));
    }
    sim.dir(L"C:\\share").owner(me).group(me).dacl().allow(me, 0x1F01FF);
    for (int d = 0; d < 100; ++d) {
        const std::wstring dir = L"C:\\share\\d" + std::to_wstring(d);
        sim.dir(dir).owner(me).group(me).dacl().allow(me, 0x1F01FF);
        for (int f = 0; f < 98; ++f) {
            sim.file(dir + L"\\f" + std::to_wstring(f))
                .owner(accounts[static_cast<std::size_t>((d + f) % 20)])
                .group(accounts[static_cast<std::size_t>(f % 20)])
                .dacl()
                .allow(accounts[static_cast<std::size_t>(d % 20)], 0x1F01FF)
                .allow(accounts[static_cast<std::size_t>((f * 7) % 20)], 0x1200A9);
        }
    }
    sim.counters().lookupSid = 0;
    scanner.ScanTree(L"C:\\share", 0);
    EXPECT_GE(list.entryCount(), 10000u);
    // The dot entries add the volume's default accounts (Administrators,
    // SYSTEM, Users) to the twenty.
    EXPECT_LE(sim.counters().lookupSid, 23u);
    EXPECT_EQ(sim.counters().readSecurity, list.entryCount());
}

TEST_F(Scan, TwoDatasetsScannedOneAfterTheOtherEachHaveNamesOfTheirOwn) {
    const Sid bob = sim.accounts().addLocalUser(L"bob");
    sim.file(L"C:\\one\\f.txt").owner(me).group(me).dacl().allow(bob, 0x1F01FF).allow(alice, 1);
    sim.file(L"C:\\two\\g.txt").owner(me).group(me).dacl().deny(alice, 0x10000).allow(me, 0x1200A9);
    auto first = std::make_unique<CDirList>(ui);
    ASSERT_EQ(Scanner(*first, sim, reader, ui).ScanTree(L"C:\\one", 0), ScanOutcome::Complete);
    const std::uint32_t lookups = sim.counters().lookupSid;
    ASSERT_EQ(scanner.ScanTree(L"C:\\two", 0), ScanOutcome::Complete);
    // The reader asked the OS for alice and me during the first scan only;
    // each dataset still gets the accounts its own entries name, and only
    // those.
    EXPECT_EQ(sim.counters().lookupSid, lookups);
    ASSERT_NE(&first->accountNames(), &list.accountNames());
    EXPECT_NE(first->accountNames().findText(L"bob"), AccountNames::kNoText);
    EXPECT_EQ(list.accountNames().findText(L"bob"), AccountNames::kNoText);

    const std::weak_ptr<AccountNames> firstNames = first->sharedAccountNames();
    first.reset();
    EXPECT_TRUE(firstNames.expired());
    const CDirEntry* g = find(L"C:\\two\\g.txt");
    ASSERT_NE(g, nullptr);
    const AccountNames& names = list.accountNames();
    EXPECT_EQ(g->ownerName(), L"simuser");
    EXPECT_EQ(g->ownerDomain(), L"SIMHOST");
    EXPECT_EQ(g->groupName(), L"simuser");
    ASSERT_EQ(g->aceCount(), 2u);
    EXPECT_EQ(g->ace(0)->trustee(names), L"alice");
    EXPECT_EQ(g->ace(0)->domain(names), L"SIMHOST");
    EXPECT_EQ(g->ace(1)->trustee(names), L"simuser");
    ASSERT_NE(names.sid(g->ace(0)->account()), nullptr);
    EXPECT_EQ(*names.sid(g->ace(0)->account()), alice);
}

}  // namespace
}  // namespace quorel
