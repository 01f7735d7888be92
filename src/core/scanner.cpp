#include "core/scanner.h"

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "core/tree_walk.h"
#include "platform/file_system_port.h"
#include "platform/interaction_port.h"

namespace quorel {

std::optional<ProcessEnd> EndOfScan(ScanOutcome outcome, int exitCode) {
    switch (outcome) {
        case ScanOutcome::Complete:
            break;
        case ScanOutcome::Cancelled:
            return ProcessEnd{L"Scanning canceled", L"Scanning canceled", exitCode};
        case ScanOutcome::RootUnreadable:
            return ProcessEnd{
                L"Error reading the directory you specified (maybe you selected only a link)", L"",
                exitCode};
    }
    return std::nullopt;
}

// The scanner's part of the walk: progress, reparse points, the depth limit
// and Cancel.
class Scanner::Visitor : public WalkVisitor {
  public:
    Visitor(Scanner& scanner, CDirEntry& root, std::uint32_t maxDepth)
        : s_(scanner), root_(root), maxDepth_(maxDepth) {}

    bool cancelled() const { return cancelled_; }

    void opening(const std::wstring& path) override { s_.ui_.showProgressText(path); }

    void reached(const std::wstring& path) override {
        s_.progressCounter_ = (s_.progressCounter_ + 1) % 11;
        if (s_.progressCounter_ == 0) {
            s_.ui_.showProgressText(path);
        }
        s_.scannedCount_ += 1;
    }

    WalkStep visit(CDirEntry& entry, const DirItem& item, const std::wstring& path) override {
        entry.isReparsePoint = 0;
        if (item.isDirectory() && item.isLink()) {
            // Junctions, mount points and directory symbolic links are
            // listed but never descended: they can form cycles. The target
            // text is informative only; it may be unreadable. Placeholders
            // and other reparse points are ordinary folders.
            entry.isReparsePoint = 1;
            std::wstring target;
            if (s_.files_.readReparseTarget(path, target) == 0) {
                entry.setReparseTarget(target);
            }
        }
        const bool descend = !entry.isDotEntry() && item.isDirectory() && !entry.isReparsePoint &&
                             (maxDepth_ == 0 || entry.depth + 1 <= maxDepth_);
        if (descend) {
            return WalkStep::Descend;
        }
        return checkCancel() ? WalkStep::Stop : WalkStep::Next;
    }

    bool notListed(CDirEntry& folder) override {
        s_.list_.errorList().addError(L"Error reading directory", &folder, 0);
        return !checkCancel();
    }

    void listingFailed(CDirEntry& folder) override {
        // The folder's entry keeps what was listed; the error says that
        // more may be missing.
        s_.list_.errorList().addError(kListingErrorText, &folder, 0);
    }

    // Back in the parent listing; the root's end is the scan's end.
    bool left(CDirEntry& folder) override { return &folder == &root_ || !checkCancel(); }

  private:
    bool checkCancel() {
        cancelled_ = cancelled_ || s_.ui_.cancelRequested();
        return cancelled_;
    }

    Scanner& s_;
    CDirEntry& root_;
    std::uint32_t maxDepth_;
    bool cancelled_ = false;
};

Scanner::Scanner(CDirList& list, FileSystemPort& files, EntrySecurity& security,
                 InteractionPort& ui)
    : list_(list), files_(files), security_(security), ui_(ui) {}

ScanOutcome Scanner::ScanTree(const std::wstring& path, std::uint32_t maxDepth) {
    // A bare drive ("C:") is the drive's root directory, not its current
    // directory; the caller's text stays as it is.
    std::wstring rootPath = path;
    if (!rootPath.empty() && rootPath.back() == L':') {
        rootPath += L'\\';
    }
    // A further root joins the top listing, at its end, one level down;
    // every root's items are at depth 1.
    DatasetBuilder build(list_);
    build.setDepth(list_.isEmpty() ? 0 : 1);
    CDirEntry* root = build.addScanEntry(rootPath, rootPath, security_);

    Visitor visitor(*this, *root, maxDepth);
    const WalkResult walked = WalkTree(files_, build, security_, *root, path, 1, visitor);
    maxPathExceeded_ = maxPathExceeded_ || walked.pathTooLong;
    if (!walked.opened) {
        return ScanOutcome::RootUnreadable;
    }
    if (visitor.cancelled()) {
        return ScanOutcome::Cancelled;
    }
    if (maxPathExceeded_) {
        ui_.showMessage(L"Max path length exceeded - scan incomplete", L"Error: Max path length",
                        MessageIcon::Error);
    }
    return ScanOutcome::Complete;
}

}  // namespace quorel
