#pragma once

#include <string>
#include <vector>

namespace quorel {

class ByteSink;
class CDirEntry;
class DisplayedRights;
class FileIoPort;
class InteractionPort;

enum class CsvEncoding {
    AnsiCodePage,  // the system's ANSI code page, no byte-order mark
    Utf8,          // UTF-8 with a byte-order mark: every name survives
};

// The CSV text of `lines` (the display list, or the compare layout with its
// heading lines): per entry its path, the column header, one line per shown
// ACE with "x" under each permission it holds, and an empty line. A field
// holding a comma, a double quote, CR or LF is quoted as RFC 4180 says.
std::string CsvText(const std::vector<CDirEntry*>& lines, const DisplayedRights& rights,
                    CsvEncoding encoding);

// Writes the CSV text to `sink`; false when a write failed.
bool WriteCsvTo(ByteSink& sink, const std::vector<CDirEntry*>& lines, const DisplayedRights& rights,
                CsvEncoding encoding);

// Writes the CSV text to `path`. Failures are reported through `ui`.
bool WriteCsv(FileIoPort& files, InteractionPort& ui, const std::wstring& path,
              const std::vector<CDirEntry*>& lines, const DisplayedRights& rights,
              CsvEncoding encoding);

}  // namespace quorel
