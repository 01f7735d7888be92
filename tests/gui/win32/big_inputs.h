#pragma once

// Inputs large enough that the program's busy windows stay up long enough
// to be seen: a folder tree with long names for the scan progress window,
// and a large dataset file for the loading dialog.

#include <cstdint>
#include <string>

namespace quorel::gui {

// Below `root`: three nested folders with names of 60 characters (the path
// of a file inside is wider than the progress window's text box), each
// holding `filesPerFolder` empty files, and `extraFolders` more folders of
// `filesPerFolder` files beside the first. False when a file could not be
// made.
bool MakeLongTree(const std::wstring& root, int extraFolders, int filesPerFolder,
                  std::wstring& deepest);

// Writes a dataset file of `entries` entries (a synthetic file server
// tree) to `path`.
bool WriteLargeDataset(const std::wstring& path, std::uint32_t entries);

}  // namespace quorel::gui
