#include "platform/text.h"

#include <gtest/gtest.h>

namespace quorel {
namespace {

TEST(FoldCase, FoldsLatinGreekAndCyrillicLikeWindows) {
    EXPECT_TRUE(equalsNoCase(L"C:\\Data\\Report.TXT", L"c:\\data\\report.txt"));
    EXPECT_TRUE(equalsNoCase(L"\u00e9t\u00e9", L"\u00c9T\u00c9"));
    EXPECT_TRUE(equalsNoCase(L"\u03b1\u03b2\u03b3", L"\u0391\u0392\u0393"));
    EXPECT_TRUE(equalsNoCase(L"\u0436\u0451", L"\u0416\u0401"));
    EXPECT_EQ(foldCase(L'\u00ff'), L'\u0178');
    EXPECT_EQ(foldCase(L'\u0101'), L'\u0100');
    EXPECT_EQ(foldCase(L'\u017e'), L'\u017d');
}

TEST(FoldCase, CoversEveryScriptWithCase) {
    EXPECT_EQ(foldCase(L'\u1ec7'), L'\u1ec6');  // Vietnamese e with circumflex and dot below
    EXPECT_EQ(foldCase(L'\u0561'), L'\u0531');  // Armenian ayb
    EXPECT_EQ(foldCase(L'\u01c6'), L'\u01c4');  // dz with caron, and its title case
    EXPECT_EQ(foldCase(L'\u01c5'), L'\u01c4');
    EXPECT_EQ(foldCase(L'\u0180'), L'\u0243');  // Latin Extended-B
    EXPECT_EQ(foldCase(L'\u24d0'), L'\u24b6');  // circled a
    EXPECT_EQ(foldCase(L'\u2c30'), L'\u2c00');  // Glagolitic
    EXPECT_EQ(foldCase(L'\u0131'), L'I');       // dotless i
    EXPECT_EQ(foldCase(L'\u0130'), L'\u0130');  // capital dotted I has no upper case
    EXPECT_TRUE(equalsNoCase(L"Vi\u1ec7t Nam", L"VI\u1ec6T NAM"));
}

TEST(FoldCase, LeavesOtherUnitsAlone) {
    // Division sign and multiplication sign sit inside the Latin-1 letter
    // ranges but have no case.
    EXPECT_EQ(foldCase(L'\u00f7'), L'\u00f7');
    EXPECT_EQ(foldCase(L'\u00d7'), L'\u00d7');
    EXPECT_EQ(foldCase(L'\\'), L'\\');
    EXPECT_FALSE(equalsNoCase(L"a", L"ab"));
    // Windows' ordinal comparison does not fold sharp s to "SS".
    EXPECT_FALSE(equalsNoCase(L"\u00df", L"SS"));
    EXPECT_EQ(foldCase(L'\u00df'), L'\u00df');
    EXPECT_EQ(foldCase(L'\u4e2d'), L'\u4e2d');
}

TEST(FoldCase, OrdersByFoldedUnits) {
    EXPECT_LT(compareNoCase(L"abc", L"ABD"), 0);
    EXPECT_GT(compareNoCase(L"b", L"A"), 0);
    EXPECT_EQ(compareNoCase(L"Abc", L"aBC"), 0);
    EXPECT_LT(compareNoCase(L"ab", L"abc"), 0);
    // "_" (0x5F) sorts after upper-cased letters, as NTFS lists it.
    EXPECT_LT(compareNoCase(L"z", L"_"), 0);
}

}  // namespace
}  // namespace quorel
