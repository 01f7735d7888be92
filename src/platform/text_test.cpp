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

TEST(FoldCase, LeavesOtherUnitsAlone) {
    // Division sign and multiplication sign sit inside the Latin-1 letter
    // ranges but have no case.
    EXPECT_EQ(foldCase(L'\u00f7'), L'\u00f7');
    EXPECT_EQ(foldCase(L'\u00d7'), L'\u00d7');
    EXPECT_EQ(foldCase(L'\\'), L'\\');
    EXPECT_FALSE(equalsNoCase(L"a", L"ab"));
    // Windows' ordinal comparison does not fold sharp s to "SS".
    EXPECT_FALSE(equalsNoCase(L"\u00df", L"SS"));
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
