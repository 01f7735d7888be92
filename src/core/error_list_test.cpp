#include "core/error_list.h"

#include <gtest/gtest.h>

namespace quorel {
namespace {

TEST(ErrorList, NumbersFromZeroAndStartsAgainAfterClear) {
    ErrorList list;
    auto* e1 = reinterpret_cast<CDirEntry*>(0x10);
    auto* e2 = reinterpret_cast<CDirEntry*>(0x20);
    list.addError(L"Cannot resolve SID", e1);
    list.addError(L"Error reading directory", e2, 0);
    list.addError(L"Cannot resolve SID", e2);
    ASSERT_EQ(list.count(), 3u);
    EXPECT_EQ(list.at(0).number, 0);
    EXPECT_EQ(list.at(2).number, 2);
    EXPECT_EQ(list.at(2).text, L"Cannot resolve SID");
    EXPECT_EQ(list.at(1).entry, e2);
    EXPECT_EQ(list.texts(),
              (std::vector<std::wstring>{L"Cannot resolve SID", L"Error reading directory",
                                         L"Cannot resolve SID"}));
    list.clear();
    EXPECT_EQ(list.count(), 0u);
    list.addError(L"new", e1, 5);
    EXPECT_EQ(list.at(0).number, 0);
    EXPECT_EQ(list.at(0).value, 5);
    EXPECT_EQ(list.at(0).text, L"new");
}

}  // namespace
}  // namespace quorel
