#pragma once

#include <string>
#include <string_view>

namespace quorel {

// The computer whose account database names the SIDs on the descriptor of
// `path`: for a share path ("\\FILES01\data\x", "//FILES01/data",
// "\\?\UNC\FILES01\data\x") the server's name ("FILES01"), as
// LookupAccountSidW takes it in lpSystemName; for anything else, a drive
// or a local device path ("\\?\C:\x", "\\.\pipe"), the empty name of the
// local system.
std::wstring serverOfPath(std::wstring_view path);

}  // namespace quorel
