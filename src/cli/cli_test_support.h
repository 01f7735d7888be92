#pragma once

// Test support for quorel-cli's tests.

#include <cstdio>
#include <string>

namespace quorel::test {

// Everything written so far to the temporary stream `f`.
inline std::string contents(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        text.append(buffer, n);
    }
    return text;
}

}  // namespace quorel::test
