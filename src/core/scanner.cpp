#include "core/scanner.h"

#include <memory>
#include <vector>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "platform/file_system_port.h"
#include "platform/interaction_port.h"
#include "platform/win_error.h"

namespace quorel {

namespace {

std::wstring joinPath(const std::wstring& dir, const std::wstring& name) {
    std::wstring path = dir;
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    path += name;
    return path;
}

}  // namespace

// One directory being listed. The scan keeps these on the heap rather than
// recursing, so that the depth of a tree never threatens the stack.
struct Scanner::Frame {
    std::unique_ptr<DirEnumerator> enumerator;
    DirItem item;
    bool haveItem = false;  // `item` holds the first item, not yet handled
    std::wstring dirPath;
    CDirEntry* directory = nullptr;  // the entry this listing belongs to
    CDirEntry* last = nullptr;       // the last entry linked into this listing
    std::uint32_t depth = 0;         // the depth of its items
};

Scanner::Scanner(CDirList& list, FileSystemPort& files, EntrySecurity& security,
                 InteractionPort& ui)
    : list_(list), files_(files), security_(security), ui_(ui) {}

void Scanner::fatal(const std::wstring& text, const std::wstring& caption) {
    ui_.showMessage(text, caption, MessageIcon::Error);
    ui_.endProcess(fatalExitCode_);
}

void Scanner::checkCancel() {
    if (ui_.cancelRequested()) {
        ui_.showMessage(L"Scanning canceled", L"Scanning canceled", MessageIcon::Error);
        ui_.endProcess(fatalExitCode_);
    }
}

bool Scanner::ScanTree(const std::wstring& path, std::uint32_t maxDepth) {
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
    if (!scanDirectory(build, *root, path, maxDepth)) {
        fatal(L"Error reading the directory you specified (maybe you selected only a link)", L"");
        return false;
    }
    if (maxPathExceeded_) {
        ui_.showMessage(L"Max path length exceeded - scan incomplete", L"Error: Max path length",
                        MessageIcon::Error);
    }
    return true;
}

bool Scanner::openFrame(std::vector<Frame>& stack, const std::wstring& dirPath,
                        CDirEntry& directory, std::uint32_t depth) {
    if (dirPath.size() >= kMaxDirectoryPath) {
        maxPathExceeded_ = true;
        return false;
    }
    ui_.showProgressText(dirPath);
    Frame frame;
    std::uint32_t error = 0;
    frame.enumerator = files_.openDirectory(dirPath, frame.item, error);
    if (!frame.enumerator) {
        return false;
    }
    frame.haveItem = true;
    frame.dirPath = dirPath;
    frame.directory = &directory;
    frame.depth = depth;
    stack.push_back(std::move(frame));
    return true;
}

bool Scanner::scanDirectory(DatasetBuilder& build, CDirEntry& root, const std::wstring& dirPath,
                            std::uint32_t maxDepth) {
    std::vector<Frame> stack;
    if (!openFrame(stack, dirPath, root, 1)) {
        return false;
    }
    while (!stack.empty()) {
        Frame& f = stack.back();
        bool listingDone = false;
        if (!f.haveItem) {
            const std::uint32_t error = f.enumerator->next(f.item);
            listingDone = error != 0;
            if (listingDone && error != win_error::kNoMoreFiles) {
                // The folder's entry keeps what was listed; the error says
                // that more may be missing.
                list_.errorList().addError(kListingErrorText, f.directory, 0);
            }
        }
        f.haveItem = false;
        if (!listingDone && f.item.name.size() + f.dirPath.size() > kMaxItemPath) {
            maxPathExceeded_ = true;
            listingDone = true;
        }
        if (listingDone) {
            stack.pop_back();
            if (stack.empty()) {
                break;
            }
            checkCancel();
            continue;
        }

        const std::wstring itemPath = joinPath(f.dirPath, f.item.name);
        progressCounter_ = (progressCounter_ + 1) % 11;
        if (progressCounter_ == 0) {
            ui_.showProgressText(itemPath);
        }
        scannedCount_ += 1;

        if (f.last == nullptr) {
            build.placeUnder(f.directory);
        } else {
            build.placeAfter(f.last);
        }
        build.setDepth(f.depth);
        CDirEntry* entry = build.addScanEntry(itemPath, f.item.name, security_);
        f.last = entry;

        entry->isReparsePoint = 0;
        if (f.item.isDirectory() && f.item.isLink()) {
            // Junctions, mount points and directory symbolic links are
            // listed but never descended: they can form cycles. The target
            // text is informative only; it may be unreadable. Placeholders
            // and other reparse points are ordinary folders.
            entry->isReparsePoint = 1;
            std::wstring target;
            if (files_.readReparseTarget(itemPath, target) == 0) {
                entry->setReparseTarget(target);
            }
        }

        const bool dot = f.item.name == L"." || f.item.name == L"..";
        const bool descend = !dot && f.item.isDirectory() && !entry->isReparsePoint &&
                             (maxDepth == 0 || f.depth + 1 <= maxDepth);
        if (descend) {
            if (openFrame(stack, itemPath, *entry, f.depth + 1)) {
                continue;  // `f` may have moved; the child's listing is on top now
            }
            list_.errorList().addError(L"Error reading directory", entry, 0);
        }
        checkCancel();
    }
    return true;
}

}  // namespace quorel
