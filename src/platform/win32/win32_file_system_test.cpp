// FileSystemPort of Win32Platform on a real folder tree.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/text.h"
#include "platform/win32/temp_tree.h"
#include "platform/win32/win32_platform.h"
#include "platform/win_error.h"

namespace quorel::win32 {
namespace {

using test::TempTree;

// A name with Latin-1, CJK and a character outside the BMP (U+1F600 as a
// surrogate pair).
const std::wstring kUnicodeName = L"Gr\u00fc\u00dfe_\u65e5\u672c_\xD83D\xDE00";

struct Listing {
    std::vector<DirItem> items;
    std::uint32_t error = 0;
    bool opened = false;

    std::vector<std::wstring> names() const {
        std::vector<std::wstring> result;
        for (const DirItem& item : items) {
            result.push_back(item.name);
        }
        return result;
    }
};

Listing list(Win32Platform& platform, const std::wstring& path) {
    Listing listing;
    DirItem item;
    listing.error = 0xDEAD;
    std::unique_ptr<DirEnumerator> enumerator = platform.openDirectory(path, item, listing.error);
    listing.opened = enumerator != nullptr;
    if (enumerator) {
        do {
            listing.items.push_back(item);
        } while ((listing.error = enumerator->next(item)) == 0);
    }
    return listing;
}

class Win32FileSystem : public testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(tree_.root().empty()) << "no temporary folder"; }

    TempTree tree_;
    Win32Platform platform_;
};

TEST_F(Win32FileSystem, ListsDotEntriesFirstThenTheItemsInFileSystemOrder) {
    ASSERT_FALSE(tree_.makeDir(L"data").empty());
    ASSERT_FALSE(tree_.makeFile(L"data\\beta.txt").empty());
    ASSERT_FALSE(tree_.makeFile(L"data\\Alpha.txt").empty());
    ASSERT_FALSE(tree_.makeDir(L"data\\Gamma").empty());
    ASSERT_FALSE(tree_.makeFile(L"data\\delta").empty());

    const Listing listing = list(platform_, tree_.path(L"data"));
    ASSERT_TRUE(listing.opened) << listing.error;
    EXPECT_EQ(listing.error, win_error::kNoMoreFiles);
    // NTFS (and Wine) order names case-insensitively.
    EXPECT_EQ(listing.names(), (std::vector<std::wstring>{L".", L"..", L"Alpha.txt", L"beta.txt",
                                                          L"delta", L"Gamma"}));
    const std::vector<bool> directories{true, true, false, false, false, true};
    for (std::size_t i = 0; i < listing.items.size() && i < directories.size(); ++i) {
        EXPECT_EQ(listing.items[i].isDirectory(), directories[i]) << listing.items[i].name;
        EXPECT_FALSE(listing.items[i].isReparsePoint()) << listing.items[i].name;
    }
}

TEST_F(Win32FileSystem, TrailingBackslashAndDotComponentsListTheSameFolder) {
    ASSERT_FALSE(tree_.makeDir(L"data").empty());
    ASSERT_FALSE(tree_.makeDir(L"data\\sub").empty());
    ASSERT_FALSE(tree_.makeFile(L"data\\file").empty());
    const std::vector<std::wstring> expected{L".", L"..", L"file", L"sub"};

    EXPECT_EQ(list(platform_, tree_.path(L"data")).names(), expected);
    EXPECT_EQ(list(platform_, tree_.path(L"data\\")).names(), expected);
    EXPECT_EQ(list(platform_, tree_.path(L"data\\sub\\..")).names(), expected);
    EXPECT_EQ(list(platform_, tree_.path(L"data\\.")).names(), expected);
}

TEST_F(Win32FileSystem, EmptyFolderHasOnlyTheDotEntries) {
    ASSERT_FALSE(tree_.makeDir(L"empty").empty());
    const Listing listing = list(platform_, tree_.path(L"empty"));
    ASSERT_TRUE(listing.opened);
    EXPECT_EQ(listing.names(), (std::vector<std::wstring>{L".", L".."}));
}

TEST_F(Win32FileSystem, DriveRootHasNoDotEntries) {
    for (const wchar_t* root : {L"C:\\", L"C:"}) {
        const Listing listing = list(platform_, root);
        ASSERT_TRUE(listing.opened) << listing.error;
        const std::vector<std::wstring> names = listing.names();
        EXPECT_EQ(std::count(names.begin(), names.end(), L"."), 0);
        EXPECT_EQ(std::count(names.begin(), names.end(), L".."), 0);
        EXPECT_EQ(std::count_if(names.begin(), names.end(),
                                [](const std::wstring& n) { return equalsNoCase(n, L"windows"); }),
                  1);
    }
}

TEST_F(Win32FileSystem, MissingFolderCannotBeListed) {
    DirItem first{L"untouched", 7};
    std::uint32_t error = 0;
    EXPECT_EQ(platform_.openDirectory(tree_.path(L"missing"), first, error), nullptr);
    EXPECT_EQ(error, win_error::kPathNotFound);

    error = 0;
    EXPECT_EQ(platform_.openDirectory(tree_.path(L"missing\\deeper"), first, error), nullptr);
    EXPECT_EQ(error, win_error::kPathNotFound);
}

TEST_F(Win32FileSystem, FileCannotBeListed) {
    const std::wstring file = tree_.makeFile(L"plain.txt");
    ASSERT_FALSE(file.empty());
    DirItem first;
    std::uint32_t error = 0;
    EXPECT_EQ(platform_.openDirectory(file, first, error), nullptr);
    // Windows says 267 (ERROR_DIRECTORY), Wine 123 (ERROR_INVALID_NAME).
    EXPECT_NE(error, 0u);
}

TEST_F(Win32FileSystem, PathsLongerThanMaxPathAreListed) {
    std::wstring relative = L"long";
    ASSERT_FALSE(tree_.makeDir(relative).empty());
    while (tree_.path(relative).size() <= 400) {
        relative += L"\\folder_with_a_name_of_forty_characters__";
        ASSERT_FALSE(tree_.makeDir(relative).empty()) << tree_.path(relative).size();
    }
    ASSERT_FALSE(tree_.makeFile(relative + L"\\deep.txt").empty());
    const std::wstring deep = tree_.path(relative);
    ASSERT_GT(deep.size(), 400u);

    const Listing listing = list(platform_, deep);
    ASSERT_TRUE(listing.opened) << listing.error;
    EXPECT_EQ(listing.names(), (std::vector<std::wstring>{L".", L"..", L"deep.txt"}));
    // The same through "..": the folder one level up holds the deep one.
    const Listing parent = list(platform_, deep + L"\\..");
    EXPECT_EQ(parent.names(), (std::vector<std::wstring>{
                                  L".", L"..", L"folder_with_a_name_of_forty_characters__"}));
}

TEST_F(Win32FileSystem, NonAsciiAndNonBmpNamesRoundTrip) {
    ASSERT_FALSE(tree_.makeDir(L"names").empty());
    ASSERT_FALSE(tree_.makeFile(L"names\\" + kUnicodeName).empty());
    ASSERT_FALSE(tree_.makeDir(L"names\\" + kUnicodeName + L"_dir").empty());

    const Listing listing = list(platform_, tree_.path(L"names"));
    ASSERT_TRUE(listing.opened);
    EXPECT_EQ(listing.names(),
              (std::vector<std::wstring>{L".", L"..", kUnicodeName, kUnicodeName + L"_dir"}));
    // The name as listed opens the folder again.
    const Listing inner = list(platform_, tree_.path(L"names\\" + kUnicodeName + L"_dir"));
    ASSERT_TRUE(inner.opened) << inner.error;
    EXPECT_EQ(inner.names(), (std::vector<std::wstring>{L".", L".."}));
}

TEST_F(Win32FileSystem, PlainFolderAndMissingPathHaveNoReparseTarget) {
    const std::wstring folder = tree_.makeDir(L"plain");
    ASSERT_FALSE(folder.empty());
    std::wstring target = L"untouched";
    EXPECT_EQ(platform_.readReparseTarget(folder, target), win_error::kNotAReparsePoint);
    EXPECT_EQ(target, L"untouched");
    EXPECT_EQ(platform_.readReparseTarget(tree_.path(L"missing"), target),
              win_error::kFileNotFound);
    EXPECT_EQ(target, L"untouched");
}

TEST_F(Win32FileSystem, SymbolicLinkToAFolderIsListedAsAReparsePoint) {
    const std::wstring targetFolder = tree_.makeDir(L"target");
    ASSERT_FALSE(targetFolder.empty());
    ASSERT_FALSE(tree_.makeFile(L"target\\inside.txt").empty());
    ASSERT_FALSE(tree_.makeDir(L"links").empty());
    std::wstring why;
    if (!test::makeFolderLink(tree_.path(L"links\\link"), targetFolder, why)) {
        GTEST_SKIP() << "no symbolic link: " << testing::PrintToString(why);
    }

    const Listing listing = list(platform_, tree_.path(L"links"));
    ASSERT_EQ(listing.names(), (std::vector<std::wstring>{L".", L"..", L"link"}));
    const DirItem& link = listing.items[2];
    EXPECT_TRUE(link.isDirectory());
    EXPECT_TRUE(link.isReparsePoint());
    EXPECT_EQ(listing.items[0].reparseTag, 0u);
    // Wine 8 gives the tag neither in dwReserved0 nor by
    // FileAttributeTagInfo: the tag stays unknown, which counts as a link.
    EXPECT_EQ(link.reparseTag, test::runningUnderWine() ? 0u : reparse_tag::kSymlink);
    EXPECT_TRUE(link.isLink());
    EXPECT_EQ(link.attributes & (file_attribute::kDirectory | file_attribute::kReparsePoint),
              0x410u);

    std::wstring target = L"untouched";
    const std::uint32_t error = platform_.readReparseTarget(tree_.path(L"links\\link"), target);
    if (test::runningUnderWine()) {
        // Wine shows the link but has no reparse data to give.
        EXPECT_EQ(error, win_error::kNotAReparsePoint);
        EXPECT_EQ(target, L"untouched");
    } else {
        EXPECT_EQ(error, 0u);
        EXPECT_NE(target.find(L"target"), std::wstring::npos) << testing::PrintToString(target);
    }
}

TEST_F(Win32FileSystem, EnumeratorReportsTheEndMoreThanOnce) {
    ASSERT_FALSE(tree_.makeDir(L"once").empty());
    DirItem item;
    std::uint32_t error = 0;
    auto enumerator = platform_.openDirectory(tree_.path(L"once"), item, error);
    ASSERT_NE(enumerator, nullptr);
    EXPECT_EQ(item.name, L".");
    ASSERT_EQ(enumerator->next(item), 0u);
    EXPECT_EQ(item.name, L"..");
    EXPECT_EQ(enumerator->next(item), win_error::kNoMoreFiles);
    EXPECT_EQ(item.name, L"..");  // untouched at the end
    EXPECT_EQ(enumerator->next(item), win_error::kNoMoreFiles);
}

TEST_F(Win32FileSystem, AFailedFindNextFileIsAnErrorAndNotTheEnd) {
    ASSERT_FALSE(tree_.makeDir(L"gone").empty());
    ASSERT_FALSE(tree_.makeFile(L"gone\\a.txt").empty());
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((tree_.path(L"gone") + L"\\*.*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    DirItem item{L"before"};
    ASSERT_EQ(nextListedItem(find, tree_.path(L"gone"), item), 0u);
    EXPECT_EQ(item.name, L"..");
    ASSERT_TRUE(FindClose(find));
    // A handle that lists nothing: the error is passed on, not taken for
    // the end.
    item.name = L"before";
    EXPECT_EQ(nextListedItem(INVALID_HANDLE_VALUE, tree_.path(L"gone"), item),
              6u);  // ERROR_INVALID_HANDLE
    EXPECT_EQ(item.name, L"before");
}

TEST(Win32TempTree, RemovesItsFolderButNeverALinksTarget) {
    // The test support itself. Wine's RemoveDirectoryW on a link to an
    // empty folder removes that folder and keeps the link.
    TempTree outside;
    ASSERT_FALSE(outside.root().empty());
    const std::wstring full = outside.makeDir(L"full");
    const std::wstring kept = outside.makeFile(L"full\\kept.txt");
    const std::wstring empty = outside.makeDir(L"empty");
    ASSERT_FALSE(kept.empty());
    ASSERT_FALSE(empty.empty());
    std::wstring root;
    {
        TempTree tree;
        root = tree.root();
        ASSERT_FALSE(tree.makeDir(L"a").empty());
        ASSERT_FALSE(tree.makeFile(L"a\\b.txt").empty());
        std::wstring why;
        if (!test::makeFolderLink(tree.path(L"to_full"), full, why) ||
            !test::makeFolderLink(tree.path(L"a\\to_empty"), empty, why)) {
            GTEST_SKIP() << "no symbolic link: " << testing::PrintToString(why);
        }
        ASSERT_TRUE(test::exists(tree.path(L"a\\to_empty")));
    }
    EXPECT_FALSE(test::exists(root));
    EXPECT_TRUE(test::exists(kept));
    EXPECT_TRUE(test::exists(empty));
}

}  // namespace
}  // namespace quorel::win32
