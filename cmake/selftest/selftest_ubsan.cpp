// Overflows a signed int: UndefinedBehaviorSanitizer must stop the program.
#include <gtest/gtest.h>

#include <limits>

namespace {

volatile int g_max = std::numeric_limits<int>::max();

TEST(Selftest, SignedOverflowOnPurpose) {
    int big = g_max;
    volatile int sum = big + 1;
    (void)sum;
}

}  // namespace
