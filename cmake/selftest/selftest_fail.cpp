// Deliberately failing test: the harness must report this program as failed.
#include <gtest/gtest.h>

namespace {

int Sum(int a, int b) {
    return a + b;
}

TEST(Selftest, Passes) {
    EXPECT_EQ(Sum(2, 2), 4);
}

TEST(Selftest, FailsOnPurpose) {
    EXPECT_EQ(Sum(1, 1), 3) << "deliberate failure";
}

}  // namespace
