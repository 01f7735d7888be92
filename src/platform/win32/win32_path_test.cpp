#include "platform/win32/win32_path.h"

#include <gtest/gtest.h>

namespace quorel::win32 {
namespace {

TEST(ExtendedPath, DrivePathGetsThePrefix) {
    EXPECT_EQ(extendedPath(L"C:\\data\\file.txt"), L"\\\\?\\C:\\data\\file.txt");
    EXPECT_EQ(extendedPath(L"d:\\x"), L"\\\\?\\d:\\x");
    EXPECT_EQ(extendedPath(L"C:\\"), L"\\\\?\\C:\\");
}

TEST(ExtendedPath, UncPathGetsTheUncPrefix) {
    EXPECT_EQ(extendedPath(L"\\\\server\\share\\dir\\file"),
              L"\\\\?\\UNC\\server\\share\\dir\\file");
    EXPECT_EQ(extendedPath(L"\\\\server\\share"), L"\\\\?\\UNC\\server\\share");
    EXPECT_EQ(extendedPath(L"\\\\server\\share\\"), L"\\\\?\\UNC\\server\\share\\");
}

TEST(ExtendedPath, AlreadyPrefixedPathsAreUnchanged) {
    for (const wchar_t* path :
         {L"\\\\?\\C:\\data\\..\\file", L"\\\\?\\UNC\\server\\share\\x", L"\\\\.\\C:",
          L"\\\\.\\PhysicalDrive0", L"\\\\?\\Volume{01234567-89ab-cdef-0123-456789abcdef}\\"}) {
        EXPECT_EQ(extendedPath(path), path);
    }
}

TEST(ExtendedPath, RelativeAndIncompletePathsAreUnchanged) {
    for (const wchar_t* path : {L"", L"file", L"dir\\file", L".\\dir", L"..\\dir", L"C:", L"C:file",
                                L"C:dir\\file", L"\\dir\\file", L"C:/dir/file", L"1:\\dir", L"\\\\",
                                L"\\\\server", L"\\\\server\\", L"\\\\\\share\\dir"}) {
        EXPECT_EQ(extendedPath(path), path) << "path: " << testing::PrintToString(path);
    }
}

TEST(ExtendedPath, DotComponentsAreResolvedAsWindowsWould) {
    // A listing's "." and ".." items reach the layer as "dir\." and "dir\..".
    EXPECT_EQ(extendedPath(L"C:\\a\\b\\."), L"\\\\?\\C:\\a\\b");
    EXPECT_EQ(extendedPath(L"C:\\a\\b\\.."), L"\\\\?\\C:\\a");
    EXPECT_EQ(extendedPath(L"C:\\a\\.\\b\\..\\c"), L"\\\\?\\C:\\a\\c");
    // Never above the drive or the share.
    EXPECT_EQ(extendedPath(L"C:\\a\\..\\..\\.."), L"\\\\?\\C:\\");
    EXPECT_EQ(extendedPath(L"C:\\.."), L"\\\\?\\C:\\");
    EXPECT_EQ(extendedPath(L"\\\\server\\share\\a\\..\\.."), L"\\\\?\\UNC\\server\\share");
}

TEST(ExtendedPath, SlashesAndRunsOfSeparatorsBecomeOneBackslash) {
    EXPECT_EQ(extendedPath(L"C:\\a//b\\\\\\c/"), L"\\\\?\\C:\\a\\b\\c\\");
    EXPECT_EQ(extendedPath(L"\\\\server/share/dir"), L"\\\\?\\UNC\\server\\share\\dir");
}

TEST(ExtendedPath, NamesAreKeptExactlyAsGiven) {
    // Three dots is a name, and trailing dots and blanks belong to the name
    // a listing returned; case and non-ASCII text pass through.
    EXPECT_EQ(extendedPath(L"C:\\a\\...\\b"), L"\\\\?\\C:\\a\\...\\b");
    EXPECT_EQ(extendedPath(L"C:\\name.\\x "), L"\\\\?\\C:\\name.\\x ");
    EXPECT_EQ(extendedPath(L"C:\\Gr\u00fc\u00dfe\\\xD83D\xDE00"),
              L"\\\\?\\C:\\Gr\u00fc\u00dfe\\\xD83D\xDE00");
    EXPECT_EQ(extendedPath(L"C:\\file:stream"), L"\\\\?\\C:\\file:stream");
}

TEST(ExtendedPath, PathOf300CharactersKeepsEveryCharacter) {
    std::wstring path = L"C:";
    while (path.size() < 300) {
        path += L"\\folder_";
        path += static_cast<wchar_t>(L'a' + path.size() % 26);
    }
    ASSERT_GE(path.size(), 300u);
    const std::wstring extended = extendedPath(path);
    EXPECT_EQ(extended.size(), path.size() + 4);
    EXPECT_EQ(extended, L"\\\\?\\" + path);

    const std::wstring unc = L"\\\\fileserver\\public" + path.substr(2);
    EXPECT_EQ(extendedPath(unc), L"\\\\?\\UNC\\fileserver\\public" + path.substr(2));
}

}  // namespace
}  // namespace quorel::win32
