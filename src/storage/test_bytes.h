#pragma once

// Test support: builds file contents field by field, independently of the
// writers, in the little-endian layout of the system's file formats.

#include <cstdint>
#include <string_view>
#include <vector>

namespace quorel::test {

// Chainable appends; `Self` adds the fields of one format.
template <class Self>
struct LittleEndianBytes {
    Self& u32(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(v >> shift));
        }
        return self();
    }
    Self& unit(std::uint16_t u) {
        bytes.push_back(static_cast<std::uint8_t>(u));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
        return self();
    }
    // ASCII text as UTF-16LE, without terminator.
    Self& ascii(std::string_view text) {
        for (char c : text) {
            unit(static_cast<std::uint8_t>(c));
        }
        return self();
    }

    std::vector<std::uint8_t> bytes;

  private:
    Self& self() { return static_cast<Self&>(*this); }
};

}  // namespace quorel::test
