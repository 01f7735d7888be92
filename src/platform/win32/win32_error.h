#pragma once

#include <windows.h>

#include <lm.h>

#include <cstdint>

namespace quorel::win32 {

// The port's error value for the Win32 call that has just failed. A failed
// call that left no error code behind still reports a failure
// (ERROR_INTERNAL_ERROR), never 0, so that no caller takes it for success.
inline std::uint32_t lastError() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? static_cast<std::uint32_t>(error)
                                  : static_cast<std::uint32_t>(ERROR_INTERNAL_ERROR);
}

// The port's error value for a network management status (NERR_* and
// ERROR_* share one number space; NERR_Success is 0).
inline std::uint32_t netError(NET_API_STATUS status) {
    return static_cast<std::uint32_t>(status);
}

}  // namespace quorel::win32
