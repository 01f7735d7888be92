#include "core/text_arena.h"

#include <gtest/gtest.h>

#include <string>

namespace quorel {
namespace {

constexpr std::size_t kBlockBytes = 32768 * sizeof(wchar_t);

TEST(TextArena, TextsUpToAQuarterBlockShareBlocksLongerOnesGetTheirOwn) {
    TextArena arena;
    const std::wstring quarter(8192, L'q');
    const std::wstring longer(8193, L'l');
    EXPECT_EQ(arena.store(quarter), quarter);
    EXPECT_EQ(arena.bytesReserved(), kBlockBytes);
    // A longer text costs its own characters, and the block goes on after it.
    EXPECT_EQ(arena.store(longer), longer);
    EXPECT_EQ(arena.bytesReserved(), kBlockBytes + longer.size() * sizeof(wchar_t));
    const std::wstring_view a = arena.store(quarter);
    const std::wstring_view b = arena.store(quarter);
    EXPECT_EQ(arena.bytesReserved(), kBlockBytes + longer.size() * sizeof(wchar_t));
    EXPECT_EQ(b.data(), a.data() + a.size());
    // The fourth quarter fills the block exactly; one character more needs
    // a new block.
    arena.store(quarter);
    EXPECT_EQ(arena.bytesReserved(), kBlockBytes + longer.size() * sizeof(wchar_t));
    arena.store(L"x");
    EXPECT_EQ(arena.bytesReserved(), 2 * kBlockBytes + longer.size() * sizeof(wchar_t));
    EXPECT_TRUE(arena.store(L"").empty());
    arena.clear();
    EXPECT_EQ(arena.bytesReserved(), 0u);
}

}  // namespace
}  // namespace quorel
