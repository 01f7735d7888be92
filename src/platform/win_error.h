#pragma once

#include <cstdint>

namespace quorel {

// Windows error codes as the ports report them (0 is success). The values
// are Windows' own so that both implementations speak the same language.
namespace win_error {
constexpr std::uint32_t kSuccess = 0;
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kNotEnoughMemory = 8;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kNetNameDeleted = 64;
constexpr std::uint32_t kNotSupported = 50;
constexpr std::uint32_t kInvalidParameter = 87;
constexpr std::uint32_t kInsufficientBuffer = 122;
constexpr std::uint32_t kInvalidName = 123;
constexpr std::uint32_t kDirectory = 267;
constexpr std::uint32_t kNoMoreFiles = 18;
constexpr std::uint32_t kNotAllAssigned = 1300;
constexpr std::uint32_t kNoneMapped = 1332;
constexpr std::uint32_t kInvalidAcl = 1336;
constexpr std::uint32_t kInvalidSid = 1337;
constexpr std::uint32_t kNoSuchPrivilege = 1313;
constexpr std::uint32_t kPrivilegeNotHeld = 1314;
constexpr std::uint32_t kInvalidOwner = 1307;
constexpr std::uint32_t kNoSuchAlias = 1376;
constexpr std::uint32_t kRpcServerUnavailable = 1722;
constexpr std::uint32_t kTrustFailure = 1789;
constexpr std::uint32_t kNotAReparsePoint = 4390;
constexpr std::uint32_t kDcNotFound = 2453;     // NERR_DCNotFound
constexpr std::uint32_t kGroupNotFound = 2220;  // NERR_GroupNotFound
constexpr std::uint32_t kUserNotFound = 2221;   // NERR_UserNotFound
}  // namespace win_error

}  // namespace quorel
