#pragma once

#include <cstdint>
#include <string>

#include "platform/win32/scoped.h"

namespace quorel::win32 {

// The handle through which Win32Platform reads and writes the security of
// `path` (as the user gave it): CreateFileW with `access` (READ_CONTROL,
// WRITE_DAC or WRITE_OWNER), every sharing mode, OPEN_EXISTING and
// FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, so that it is
// the object itself (a link, not its target) and the enabled backup and
// restore privileges grant the access whatever the DACL says. Invalid, with
// `error` set, when it cannot be opened.
ScopedHandle openForSecurity(const std::wstring& path, std::uint32_t access, std::uint32_t& error);

}  // namespace quorel::win32
