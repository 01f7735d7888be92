#pragma once

// Files the tests write or read by their bytes: project files as the
// program writes them, and the lines of the CSV exports.

#include <string>
#include <vector>

namespace quorel::gui {

// A project file: the magic text "Quorel project file" (UTF-16LE with its
// terminator), version 1, the byte length and UTF-16LE text with
// terminator of the directory text and of the output name, the counter
// option (1 or 0); integers 32-bit little-endian.
std::string ProjectFileBytes(const std::wstring& directories, const std::wstring& output,
                             bool counter);

// The lines of a UTF-8 text (a leading byte-order mark dropped), without
// their line ends.
std::vector<std::string> TextLines(std::string text);

// The entry paths of a UTF-8 CSV export: the first line of each block of
// lines (blocks are separated by empty lines).
std::vector<std::wstring> PathsOfCsv(const std::string& bytes);

}  // namespace quorel::gui
