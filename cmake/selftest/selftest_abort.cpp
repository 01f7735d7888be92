// Test that aborts: the harness must report this program as failed.
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(Selftest, AbortsOnPurpose) {
    std::abort();
}

}  // namespace
