#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorel::win32 {

// The target text of FSCTL_GET_REPARSE_POINT data: the substitute name of a
// junction, mount point or symbolic link ("\??\C:\target"), found through
// its offset and length in the path buffer (byte 16 for a mount point, 20
// for a symbolic link, which has a flags field more). Empty for other tags
// and for data too short for what they claim. Never reads past `size`.
std::wstring reparseTargetText(const std::uint8_t* data, std::size_t size);

}  // namespace quorel::win32
