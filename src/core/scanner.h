#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/process_end.h"

namespace quorel {

class CDirList;
class EntrySecurity;
class FileSystemPort;
class InteractionPort;

// How a scan of one root ended.
enum class ScanOutcome {
    Complete,        // listed (perhaps with errors in the error list)
    Cancelled,       // Cancel was pressed in the progress window
    RootUnreadable,  // the root itself could not be listed: nothing added below it
};

// How a run ends after a scan that cannot go on (nothing after a complete
// one): the message, and `exitCode` (0 in the desktop program, non-zero
// for unattended runs, so that a scheduler sees it).
std::optional<ProcessEnd> EndOfScan(ScanOutcome outcome, int exitCode);

// Scans directory trees into a dataset: one entry for the directory itself
// and, below it, one entry per item of every listing down to the depth
// limit, "." and ".." included, each with its security read.
class Scanner {
  public:
    // Added to the error list with a folder whose listing failed part-way
    // (FindNextFileW failed other than with ERROR_NO_MORE_FILES).
    static constexpr const wchar_t* kListingErrorText =
        L"Error listing directory - the listing stopped early, later items are missing";

    Scanner(CDirList& list, FileSystemPort& files, EntrySecurity& security, InteractionPort& ui);

    // Scans `path` (as the user gave it) into the dataset. maxDepth 0 is
    // unlimited; otherwise the number of directory levels listed below the
    // root. A further root joins the top listing. Anything but Complete
    // ends the run (EndOfScan).
    ScanOutcome ScanTree(const std::wstring& path, std::uint32_t maxDepth);

    // Items listed so far, over every root.
    std::uint32_t scannedCount() const { return scannedCount_; }
    // Whether a path was too long to be listed in any scan so far.
    bool maxPathExceeded() const { return maxPathExceeded_; }

  private:
    class Visitor;

    CDirList& list_;
    FileSystemPort& files_;
    EntrySecurity& security_;
    InteractionPort& ui_;
    std::uint32_t progressCounter_ = 0;
    std::uint32_t scannedCount_ = 0;
    bool maxPathExceeded_ = false;
};

}  // namespace quorel
