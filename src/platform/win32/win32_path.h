#pragma once

#include <string>

namespace quorel::win32 {

// The form of `path` handed to the Win32 file and security calls.
//
// An absolute path ("C:\dir\file" or "\\server\share\dir") gets the
// extended-length prefix ("\\?\C:\dir\file", "\\?\UNC\server\share\dir"), so
// that paths of MAX_PATH (260) characters and more can be opened. Windows
// does not normalise a prefixed path ("Naming Files, Paths, and
// Namespaces"), so the few things its normalisation
// would have done, and which the prefix would otherwise turn into name
// characters, are done here the same way: "/" counts as a separator, runs of
// separators count as one, "." and ".." components are resolved (never above
// the drive or share). The "." and ".." items of a listing reach this as
// "dir\." and "dir\..". Nothing else changes: a name ending in a dot or a
// blank is kept as the listing gave it. A trailing separator is kept.
//
// A relative path ("dir\file"), a drive-relative one ("C:file") and one
// rooted without a drive ("\dir") are made absolute first: the directory
// they start from (the current directory, the current directory of drive
// C, the root of the current drive) is asked of GetFullPathNameW, the rest
// is appended as given and handled as above, so that its names too keep
// their trailing dots and blanks. "C:/dir" is absolute, like "C:\dir".
// When GetFullPathNameW fails, the path is returned unchanged (the call on
// it then fails). Paths that already carry a prefix ("\\?\...",
// "\\.\...") are returned unchanged.
std::wstring extendedPath(const std::wstring& path);

}  // namespace quorel::win32
