#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorel {

class FileIoPort;
class InteractionPort;

namespace project_file {
constexpr std::uint32_t kVersion = 1;
// The 40 bytes of the magic: the text in UTF-16LE with its terminator.
constexpr const wchar_t* kMagicText = L"Quorel project file";
// What the project dialog's edits hold, terminator not counted.
constexpr std::size_t kMaxDirectoriesChars = 19999;
constexpr std::size_t kMaxOutputNameChars = 1999;
}  // namespace project_file

// An unattended scan for shell mode (.qpf).
struct ProjectFile {
    std::wstring directories;  // one per line, CR LF between lines
    std::wstring outputName;   // path and name of the dataset file, no extension
    bool counter = false;      // add the first free number 0..9999 to the name
};

// Writes `project` to `path` (created or emptied). Texts longer than the
// dialog's edits hold are cut to 19999 and 1999 UTF-16 units. On failure
// shows "Error writing project file" (cannot create) or "Error writing data
// to file" and returns false.
bool WriteProjectFile(FileIoPort& files, InteractionPort& ui, const std::wstring& path,
                      const ProjectFile& project);

// Reads the project file `path`. On failure shows "Error opening file",
// "not a Quorel project file", "wrong version of project-file" or "Error
// reading project file" (any failed read, and a text length that is odd, 0
// or larger than its field) and returns nothing. Each text ends at its
// first NUL; only the low byte of the counter option counts.
std::optional<ProjectFile> ReadProjectFile(FileIoPort& files, InteractionPort& ui,
                                           const std::wstring& path);

// The directories of a project's directory text: split at line feeds,
// carriage returns dropped, empty lines removed, and then every trailing
// "\" of each line removed. A line of backslashes alone therefore stays, as
// an empty directory.
std::vector<std::wstring> SplitProjectDirectories(const std::wstring& text);

}  // namespace quorel
