#pragma once

// Test support for the tests that run the real API under Wine: a folder
// tree of the test's own, and symbolic links.

#include <string>

namespace quorel::win32::test {

// A folder of its own under the user's temporary folder (GetTempPathW and a
// name unique to the process and instance), removed with everything in it
// when the TempTree goes. Paths are the ordinary "C:\..." form.
class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // Empty when the folder could not be created.
    const std::wstring& root() const { return root_; }
    std::wstring path(const std::wstring& relative) const { return root_ + L"\\" + relative; }

    // Create a folder or an empty file at `relative` below the root (parents
    // must exist); return the full path, or empty on failure.
    std::wstring makeDir(const std::wstring& relative) const;
    std::wstring makeFile(const std::wstring& relative) const;

  private:
    std::wstring root_;
};

// Creates and removes objects by "\\?\" paths, so that any length works.
bool createFolder(const std::wstring& path);
bool createFile(const std::wstring& path);
// Removes `path` and, for a real folder, everything below it. A reparse
// point is removed itself and never entered, so a link's target survives.
bool removeTree(const std::wstring& path);
bool exists(const std::wstring& path);

// Whether the program runs under Wine (ntdll exports wine_get_version).
bool runningUnderWine();

// Makes `link` a symbolic link to the folder `target`. Tries
// CreateSymbolicLinkW; Wine 8 answers it with TRUE and creates nothing, so
// under Wine the link is then made on the Unix side with /bin/ln, which Wine
// shows as a reparse point. Returns false with the reason in `why`.
bool makeFolderLink(const std::wstring& link, const std::wstring& target, std::wstring& why);

}  // namespace quorel::win32::test
