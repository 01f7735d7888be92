#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorel::win32 {

// Byte offset in FSCTL_GET_REPARSE_POINT data at which the target text is
// taken: the path buffer of a symbolic link (after tag, lengths, name
// offsets and flags). A junction's path buffer starts four bytes earlier, at
// 16, so for a junction the text read here begins with the third character
// of its substitute name ("?\C:\target" of "\??\C:\target").
constexpr std::size_t kReparseTargetOffset = 20;

// The UTF-16 text at kReparseTargetOffset of the `size` bytes of reparse
// data in `data`, up to its first NUL or the end of the data, whichever
// comes first; an odd last byte is ignored. Empty when the data end at or
// before the offset. Never reads past `size`.
std::wstring reparseTargetText(const std::uint8_t* data, std::size_t size);

}  // namespace quorel::win32
