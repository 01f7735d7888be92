#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorel {

class FileIoPort;
class FileSystemPort;
class InteractionPort;

// What the new-scan configuration window yields: the directories to scan,
// the scan depth (0 unlimited), the static filter to apply after the scan
// and, in its compare form, the dataset file to compare with.
struct ScanConfiguration {
    std::wstring directoryText;  // as typed, one directory per line
    std::vector<std::wstring> directories;
    std::uint32_t depth = 0;
    std::uint8_t staticFilter = 1;
    std::wstring compareFile;
};

// The fields of the configuration window when OK is pressed.
struct ConfigurationInput {
    std::wstring directoryText;
    std::wstring depthText;
    std::wstring compareFile;
    std::uint8_t staticFilter = 1;
};

// Static filters that the compare form offers: the four that compare an
// entry with its parent cannot be chosen there.
bool StaticFilterAllowedInCompareForm(std::uint8_t filter);

// Splits a directory text into directories: lines end at line feeds,
// carriage returns are dropped, empty lines removed and every trailing "\"
// of each line removed ("C:\" becomes "C:", the drive root). Each directory
// must be listable; the first that is not shows "Specified directory cannot
// be opened: %s" and the result is empty.
std::optional<std::vector<std::wstring>> SplitDirectoryText(const std::wstring& text,
                                                            FileSystemPort& fileSystem,
                                                            InteractionPort& ui);

// The checks of OK, in their order, each with its message: an empty
// directory text, an empty compare file (compare form), an empty depth, the
// directories, and a compare file that cannot be opened for reading.
// Nothing when the window must stay open.
std::optional<ScanConfiguration> CheckConfiguration(const ConfigurationInput& input,
                                                    bool compareForm, FileSystemPort& fileSystem,
                                                    FileIoPort& files, InteractionPort& ui);

// The leading decimal number of `text` as the standard wide-text-to-integer
// conversion reads it: blanks skipped, an optional sign, digits; no number
// gives 0. Values beyond 32 bits are cut to the low 32 bits as a 32-bit
// long would wrap on Windows; a negative number gives its two's
// complement, as the depth fields store an unsigned value.
std::uint32_t LeadingNumber(const std::wstring& text);

}  // namespace quorel
