// Loses a heap block: LeakSanitizer must fail the program at exit.
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void* volatile g_block = nullptr;

TEST(Selftest, LeaksOnPurpose) {
    g_block = std::malloc(77);
    g_block = nullptr;
}

}  // namespace
