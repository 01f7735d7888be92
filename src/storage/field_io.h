#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_io_port.h"
#include "storage/utf16.h"

namespace quorel {

// The settings and project files are plain sequences of little-endian u32
// fields and length-prefixed UTF-16LE texts, without record tags.

inline bool isHighSurrogate(wchar_t c) {
    return static_cast<std::uint32_t>(c) >= 0xD800 && static_cast<std::uint32_t>(c) <= 0xDBFF;
}
inline bool isLowSurrogate(wchar_t c) {
    return static_cast<std::uint32_t>(c) >= 0xDC00 && static_cast<std::uint32_t>(c) <= 0xDFFF;
}

// The longest prefix of `text` that fits in `maxUnits` UTF-16 units, never
// splitting a surrogate pair.
inline std::wstring_view fitUtf16(std::wstring_view text, std::size_t maxUnits) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t next = units + utf16Length(text.substr(i, 1));
        if (next > maxUnits) {
            // Where wchar_t is UTF-16, the high half of a pair goes with
            // the low half that does not fit.
            if (i > 0 && isHighSurrogate(text[i - 1]) && isLowSurrogate(text[i])) {
                --i;
            }
            return text.substr(0, i);
        }
        units = next;
    }
    return text;
}

// Appends the byte length 2 × (units + 1), the text and its terminator. The
// text is cut to `maxUnits` units so that the field fits its reader.
inline void appendTextField(std::vector<std::uint8_t>& out, std::wstring_view text,
                            std::size_t maxUnits) {
    text = fitUtf16(text, maxUnits);
    appendU32(out, static_cast<std::uint32_t>(2 * (utf16Length(text) + 1)));
    appendUtf16le(out, text);
    appendU16(out, 0);
}

// Reads fields from a file and keeps count of the bytes not read yet, so
// that a count in the file can be checked against what the file can hold.
class FieldReader {
  public:
    explicit FieldReader(ByteSource& in) : in_(in), remaining_(in.size()) {}

    std::uint64_t remaining() const { return remaining_; }

    bool bytes(void* data, std::size_t size) {
        if (!in_.read(data, size)) {
            remaining_ = 0;
            return false;
        }
        remaining_ = size > remaining_ ? 0 : remaining_ - size;
        return true;
    }
    bool u32(std::uint32_t& value) {
        std::uint8_t b[4];
        if (!bytes(b, 4)) {
            return false;
        }
        value = readU32(b);
        return true;
    }
    // Reads `length` bytes of UTF-16LE text into a field of `maxUnits`
    // characters and a terminator. False, with nothing read, when the length
    // is odd, 0 (no room for the terminator) or larger than the field. The
    // text ends at its first NUL; the field's last unit is its terminator
    // whatever the file holds there.
    bool text(std::uint32_t length, std::size_t maxUnits, std::wstring& text) {
        if (length == 0 || length % 2 != 0 || length > 2 * (maxUnits + 1)) {
            return false;
        }
        buffer_.resize(length);
        if (!bytes(buffer_.data(), length)) {
            return false;
        }
        std::size_t units = 0;
        const std::size_t limit = std::min<std::size_t>(length / 2, maxUnits);
        while (units < limit && (buffer_[2 * units] != 0 || buffer_[2 * units + 1] != 0)) {
            ++units;
        }
        text = decodeUtf16le(buffer_.data(), units);
        return true;
    }

  private:
    ByteSource& in_;
    std::uint64_t remaining_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace quorel
