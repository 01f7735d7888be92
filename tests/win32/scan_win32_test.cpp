// The scanner with the security reader on the real Win32 API (under Wine in
// the cross build), over a tree the test creates.

#include <windows.h>

#include <gtest/gtest.h>

#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "core/scanner.h"
#include "core/security_reader.h"
#include "platform/sim/recording_interaction.h"
#include "platform/win32/temp_tree.h"
#include "platform/win32/win32_platform.h"

namespace quorel::win32 {
namespace {

using test::TempTree;

const std::wstring kUnicodeName = L"Gr\u00fc\u00dfe_\u65e5\u672c_\xD83D\xDE00";

class Win32Scan : public testing::Test {
  protected:
    Win32Scan() : reader_(platform_, platform_), scanner_(list_, platform_, reader_, ui_) {}
    void SetUp() override { ASSERT_FALSE(tree_.root().empty()) << "no temporary folder"; }

    const CDirEntry* find(const std::wstring& path) {
        for (const CDirEntry& e : list_) {
            if (e.path() == path) {
                return &e;
            }
        }
        return nullptr;
    }
    std::vector<std::wstring> childNames(const CDirEntry* e) {
        std::vector<std::wstring> names;
        for (const CDirEntry* c = e->firstChild(); c != nullptr; c = c->nextSibling()) {
            names.emplace_back(c->name());
        }
        return names;
    }

    TempTree tree_;
    Win32Platform platform_;
    sim::RecordingInteraction ui_;
    CDirList list_{ui_};
    SecurityReader reader_;
    Scanner scanner_;
};

TEST_F(Win32Scan, TreeWithDotEntriesDepthsAndResolvedAccounts) {
    tree_.makeDir(L"a");
    tree_.makeFile(L"a\\x.txt");
    tree_.makeFile(L"b.txt");
    tree_.makeDir(L"empty");
    ASSERT_EQ(scanner_.ScanTree(tree_.root(), 0), ScanOutcome::Complete);
    const CDirEntry* root = list_.firstEntry();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->path(), tree_.root());
    EXPECT_EQ(root->depth, 0u);
    EXPECT_EQ(childNames(root), (std::vector<std::wstring>{L".", L"..", L"a", L"b.txt", L"empty"}));
    const CDirEntry* a = find(tree_.path(L"a"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(childNames(a), (std::vector<std::wstring>{L".", L"..", L"x.txt"}));
    EXPECT_EQ(find(tree_.path(L"a\\x.txt"))->depth, 2u);
    EXPECT_EQ(childNames(find(tree_.path(L"empty"))), (std::vector<std::wstring>{L".", L".."}));
    EXPECT_EQ(list_.entryCount(), 11u);

    // Owners and trustees resolve to names; nothing needed a SID string.
    const std::wstring me = platform_.currentUserName();
    for (const CDirEntry& e : list_) {
        SCOPED_TRACE(e.path());
        EXPECT_EQ(e.errorFlags & 1, 0);
        EXPECT_NE(e.ownerName(), L"ERROR READING FILE");
        EXPECT_GT(e.aceCount(), 0u);
        for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
            EXPECT_EQ(e.ace(i)->unresolved, 0);
            EXPECT_FALSE(e.ace(i)->trustee(quorel::test::NamesOf(&e)).empty());
        }
    }
    EXPECT_EQ(find(tree_.path(L"b.txt"))->ownerName(), me);
    EXPECT_TRUE(list_.errorList().texts().empty());
}

TEST_F(Win32Scan, DepthOneListsOnlyTheRootItems) {
    tree_.makeDir(L"a");
    tree_.makeFile(L"a\\x.txt");
    tree_.makeFile(L"z.txt");
    scanner_.ScanTree(tree_.root(), 1);
    const CDirEntry* a = find(tree_.path(L"a"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->firstChild(), nullptr);
    EXPECT_EQ(a->nextSibling(), find(tree_.path(L"z.txt")));
}

TEST_F(Win32Scan, LongPathsAndUnicodeNames) {
    // Nested folders until the file's path passes 300 characters.
    std::wstring relative;
    const std::wstring segment(40, L'd');
    while (tree_.root().size() + relative.size() < 300) {
        relative += (relative.empty() ? L"" : L"\\") + segment;
        ASSERT_FALSE(tree_.makeDir(relative).empty()) << relative.size();
    }
    const std::wstring deepFile = relative + L"\\" + kUnicodeName;
    ASSERT_FALSE(tree_.makeFile(deepFile).empty());
    scanner_.ScanTree(tree_.root(), 0);
    const CDirEntry* e = find(tree_.path(deepFile));
    ASSERT_NE(e, nullptr);
    EXPECT_GT(e->path().size(), 260u);
    EXPECT_EQ(e->name(), kUnicodeName);
    EXPECT_NE(e->ownerName(), L"ERROR READING FILE");
    EXPECT_GT(e->aceCount(), 0u);
    EXPECT_FALSE(scanner_.maxPathExceeded());
}

TEST_F(Win32Scan, FolderLinkIsListedButNotDescended) {
    tree_.makeDir(L"target");
    tree_.makeFile(L"target\\inside.txt");
    std::wstring why;
    if (!test::makeFolderLink(tree_.path(L"link"), tree_.path(L"target"), why)) {
        GTEST_SKIP() << "no folder link: " << std::string(why.begin(), why.end());
    }
    scanner_.ScanTree(tree_.root(), 0);
    const CDirEntry* link = find(tree_.path(L"link"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->isReparsePoint, 1);
    EXPECT_EQ(link->firstChild(), nullptr);
    EXPECT_EQ(find(tree_.path(L"link\\inside.txt")), nullptr);
    EXPECT_NE(find(tree_.path(L"target\\inside.txt")), nullptr);
    if (test::runningUnderWine()) {
        // Wine cannot read the reparse data of a folder link.
        EXPECT_EQ(link->reparseTarget(), L"");
    }
}

TEST_F(Win32Scan, BareDriveIsItsRootWithoutDotEntries) {
    scanner_.ScanTree(L"C:", 1);
    const CDirEntry* root = list_.firstEntry();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->path(), L"C:\\");
    ASSERT_NE(root->firstChild(), nullptr);
    EXPECT_NE(root->firstChild()->name(), L".");
    EXPECT_EQ(root->firstChild()->path(), L"C:\\" + std::wstring(root->firstChild()->name()));
    EXPECT_EQ(find(L"C:\\.."), nullptr);
}

}  // namespace
}  // namespace quorel::win32
