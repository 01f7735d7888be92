#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorel {

class CDirEntry;
class CDirList;
class DatasetBuilder;
class EntrySecurity;
class FileSystemPort;
class InteractionPort;

// Scans directory trees into a dataset: one entry for the directory itself
// and, below it, one entry per item of every listing down to the depth
// limit, "." and ".." included, each with its security read.
class Scanner {
  public:
    // A directory path of this many characters or more is not listed.
    static constexpr std::size_t kMaxDirectoryPath = 23401;
    // An item whose name and directory path together pass this ends the
    // listing of its directory.
    static constexpr std::size_t kMaxItemPath = 25990;

    // Added to the error list with a folder whose listing failed part-way
    // (FindNextFileW failed other than with ERROR_NO_MORE_FILES).
    static constexpr const wchar_t* kListingErrorText =
        L"Error listing directory - the listing stopped early, later items are missing";

    Scanner(CDirList& list, FileSystemPort& files, EntrySecurity& security, InteractionPort& ui);

    // Scans `path` (as the user gave it) into the dataset. maxDepth 0 is
    // unlimited; otherwise the number of directory levels listed below the
    // root. An unreadable root and Cancel end the process.
    bool ScanTree(const std::wstring& path, std::uint32_t maxDepth);

    // The exit code when a failure ends the process: 0 in the desktop
    // program, non-zero for unattended runs so that a scheduler sees it.
    void setFatalExitCode(int code) { fatalExitCode_ = code; }

    // Items listed so far, over every root.
    std::uint32_t scannedCount() const { return scannedCount_; }
    // Whether a path was too long to be listed in any scan so far.
    bool maxPathExceeded() const { return maxPathExceeded_; }

  private:
    struct Frame;
    // Lists `root`'s directory and everything below it down to maxDepth.
    // Returns false when the directory itself cannot be listed (nothing is
    // added).
    bool scanDirectory(DatasetBuilder& build, CDirEntry& root, const std::wstring& dirPath,
                       std::uint32_t maxDepth);
    // Opens `dirPath`, the folder of `directory`, and pushes its frame, its
    // items at `depth`; false when it cannot be listed.
    bool openFrame(std::vector<Frame>& stack, const std::wstring& dirPath, CDirEntry& directory,
                   std::uint32_t depth);
    void checkCancel();
    // Shows the message and ends the process (the port does not return).
    void fatal(const std::wstring& text, const std::wstring& caption);

    CDirList& list_;
    FileSystemPort& files_;
    EntrySecurity& security_;
    InteractionPort& ui_;
    std::uint32_t progressCounter_ = 0;
    int fatalExitCode_ = 0;
    std::uint32_t scannedCount_ = 0;
    bool maxPathExceeded_ = false;
};

}  // namespace quorel
