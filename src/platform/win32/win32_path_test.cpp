#include "platform/win32/win32_path.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

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

// Runs with C:\windows as the current directory and Z:\tmp as the current
// directory of drive Z (the "=Z:" variable), restoring both afterwards.
class RelativePath : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t old[MAX_PATH];
        ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, old), 0u);
        oldDirectory_ = old;
        ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\windows"));
        ASSERT_TRUE(SetEnvironmentVariableW(L"=Z:", L"Z:\\tmp"));
    }
    void TearDown() override {
        SetCurrentDirectoryW(oldDirectory_.c_str());
        SetEnvironmentVariableW(L"=Z:", nullptr);
    }
    std::wstring oldDirectory_;
};

TEST_F(RelativePath, RelativeAndDriveRelativePathsAreMadeAbsoluteFirst) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"dir", L"\\\\?\\C:\\windows\\dir"},
        {L"dir\\file", L"\\\\?\\C:\\windows\\dir\\file"},
        {L".\\dir", L"\\\\?\\C:\\windows\\dir"},
        {L"..\\dir", L"\\\\?\\C:\\dir"},
        {L"\\dir\\file", L"\\\\?\\C:\\dir\\file"},
        {L"/dir/file", L"\\\\?\\C:\\dir\\file"},
        // Drive-relative: the current directory of that drive.
        {L"C:dir", L"\\\\?\\C:\\windows\\dir"},
        {L"c:dir\\file", L"\\\\?\\C:\\windows\\dir\\file"},
        {L"Z:dir", L"\\\\?\\Z:\\tmp\\dir"},
        // A drive, then "/": absolute.
        {L"C:/dir", L"\\\\?\\C:\\dir"},
        {L"C:/dir/file", L"\\\\?\\C:\\dir\\file"},
        // Trailing dots and blanks survive, as in absolute paths.
        {L"dir\\name.", L"\\\\?\\C:\\windows\\dir\\name."},
        {L"C:name ", L"\\\\?\\C:\\windows\\name "},
        {L"C:/a./b ", L"\\\\?\\C:\\a.\\b "},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(extendedPath(path), expected) << testing::PrintToString(std::wstring(path));
    }
}

TEST(ExtendedPath, IncompleteUncPathsAndTheEmptyPathAreUnchanged) {
    for (const wchar_t* path :
         {L"", L"\\\\", L"\\\\server", L"\\\\server\\", L"\\\\\\share\\dir"}) {
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
