// Reads past the end of a heap block: AddressSanitizer must stop the program.
#include <gtest/gtest.h>

#include <memory>

namespace {

volatile int g_past_end = 8;

TEST(Selftest, HeapOverflowOnPurpose) {
    auto block = std::make_unique<int[]>(8);
    volatile int value = block[g_past_end];
    (void)value;
}

}  // namespace
