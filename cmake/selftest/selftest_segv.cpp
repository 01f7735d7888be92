// Test that writes through a null pointer: the harness must report this
// program as failed.
#include <gtest/gtest.h>

namespace {

volatile int* volatile g_null = nullptr;

TEST(Selftest, CrashesOnPurpose) {
    *g_null = 42;
}

}  // namespace
