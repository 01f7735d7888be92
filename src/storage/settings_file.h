#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quorel {

class DisplayedRights;
class FileIoPort;
class InteractionPort;
struct DynamicFilterSet;

namespace settings_file {
constexpr std::uint32_t kVersion = 1;
// The 34 bytes of the magic: the text in UTF-16LE with its terminator.
constexpr const wchar_t* kMagicText = L"Quorel init file";
// Each row holds at least its operator, right and text length.
constexpr std::uint64_t kMinRowBytes = 12;
}  // namespace settings_file

// The parts of the view that a settings file (.qsf) keeps: the static
// filter, the displayed permission columns and the dynamic filter rows.
// Not kept: the basic flag of the columns, the rows' AND/OR combination and
// their active flag.
struct ViewSettings {
    std::uint8_t& staticFilter;
    DisplayedRights& rights;
    DynamicFilterSet& filters;
};

// Writes `view` to `path` (created or emptied). A row text is written with
// at most 999 UTF-16 units, all its field holds. On failure shows "Error
// writing settings file" (cannot create) or "Error writing data to file"
// and returns false.
bool SaveSettings(FileIoPort& files, InteractionPort& ui, const std::wstring& path,
                  const ViewSettings& view);

// Reads `path` and applies it to `view` field by field, then calls
// `applyFilters` (the dynamic filter run and the rebuild of the display
// list). Returns true when the whole file was read.
//
// A file that cannot be opened shows "Error opening file" only when
// `reportMissingFile` is set. A wrong magic ("not a Quorel settings file")
// or version ("wrong version of init-file") changes nothing. Any other
// failure shows "Error reading settings file" and stops where it happened:
// what was already set stays set (a new static filter with the old columns
// and rows, say). A column count above 30, a row count the rest of the file
// cannot hold, and a text length that is odd, 0 or above 2000 bytes count
// as failed reads.
//
// Each column mask that names one of the nineteen named rights sets its row
// of the table to that right; any other mask leaves that row as it was, so
// a saved `full_acc` column loads as `all`. The row count becomes the file's
// at once: after a failure among the rows, the rows not read yet are empty
// rows (code 0, right 0, no text).
bool LoadSettings(FileIoPort& files, InteractionPort& ui, const std::wstring& path,
                  bool reportMissingFile, ViewSettings& view,
                  const std::function<void()>& applyFilters);

}  // namespace quorel
