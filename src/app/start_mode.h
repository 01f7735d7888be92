#pragma once

#include <string>
#include <string_view>

namespace quorel {

class FileIoPort;
class FileSystemPort;

// The command line as the program takes it: blanks around it removed, and
// one pair of double quotes around the whole removed, as Explorer and the
// shells quote a path that holds a blank.
std::wstring CleanCommandLine(std::wstring_view raw);

// The arguments of a whole process command line (GetCommandLineW): the
// program name is skipped as the C runtime reads it (up to the closing
// quote when it starts with one, else up to the first blank or tab), and
// the blanks after it.
std::wstring ArgumentsOfCommandLine(std::wstring_view commandLine);

// The arguments split at a leading "--volume FILE" (FILE in double quotes
// when it holds a blank): `volume` is FILE, empty without the option, and
// `rest` the arguments after it, which keep their meaning. "--volume"
// without a file leaves `missingVolume` set.
struct VolumeArgument {
    std::wstring volume;
    std::wstring rest;
    bool missingVolume = false;
};
VolumeArgument TakeVolumeArgument(std::wstring_view arguments);

// The folder of the executable with its trailing "\": everything up to and
// including the last backslash of the module path, whatever the program
// file is called.
std::wstring ProgramFolderOf(std::wstring_view modulePath);

enum class StartMode {
    StartWindow,    // no argument
    ScanDirectory,  // an existing directory: scanned and shown
    OpenDataset,    // a dataset file: opened and shown
    RunProject,     // anything else names a project file: scanned unattended
};

// Chooses the mode for the cleaned command line `argument`. A directory is
// what can be listed; a dataset file is one whose first record is the
// dataset magic.
StartMode ChooseStartMode(const std::wstring& argument, FileSystemPort& fileSystem,
                          FileIoPort& files);

}  // namespace quorel
