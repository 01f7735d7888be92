#include "core/tree_walk.h"

#include <memory>
#include <vector>

#include "core/dataset_builder.h"
#include "core/dir_entry.h"
#include "platform/file_system_port.h"
#include "platform/win_error.h"

namespace quorel {

std::wstring joinPath(std::wstring_view dir, std::wstring_view name) {
    std::wstring path(dir);
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    path += name;
    return path;
}

namespace {

// One directory being listed, kept on the heap rather than on the stack.
struct Frame {
    std::unique_ptr<DirEnumerator> enumerator;
    DirItem item;
    bool haveItem = false;  // `item` holds the first item, not yet handled
    std::wstring path;
    std::uint32_t depth = 0;         // the depth of its items
    CDirEntry* directory = nullptr;  // the entry this listing belongs to
    CDirEntry* last = nullptr;       // the last entry linked into this listing
};

class Walk {
  public:
    Walk(FileSystemPort& files, DatasetBuilder& build, EntrySecurity& security,
         WalkVisitor& visitor)
        : files_(files), build_(build), security_(security), visitor_(visitor) {}

    WalkResult run(CDirEntry& folder, const std::wstring& path, std::uint32_t depth) {
        result_.opened = open(path, depth, folder);
        while (!stack_.empty()) {
            step();
        }
        return result_;
    }

  private:
    bool open(const std::wstring& path, std::uint32_t depth, CDirEntry& directory) {
        if (path.size() > walk_limit::kMaxDirectoryPath) {
            result_.pathTooLong = true;
            return false;
        }
        visitor_.opening(path);
        Frame frame;
        std::uint32_t error = 0;
        frame.enumerator = files_.openDirectory(path, frame.item, error);
        if (!frame.enumerator) {
            return false;
        }
        frame.haveItem = true;
        frame.path = path;
        frame.depth = depth;
        frame.directory = &directory;
        stack_.push_back(std::move(frame));
        return true;
    }

    // The next item of the listing on top, or the end of that listing.
    bool nextItem(Frame& f) {
        if (result_.stopped) {
            return false;
        }
        if (!f.haveItem) {
            const std::uint32_t error = f.enumerator->next(f.item);
            if (error != 0) {
                if (error != win_error::kNoMoreFiles) {
                    result_.listingFailed = true;
                    visitor_.listingFailed(*f.directory);
                }
                return false;
            }
        }
        f.haveItem = false;
        if (f.path.size() + f.item.name.size() > walk_limit::kMaxItemPath) {
            result_.pathTooLong = true;
            return false;
        }
        return true;
    }

    void step() {
        Frame& f = stack_.back();
        if (!nextItem(f)) {
            CDirEntry& finished = *f.directory;
            stack_.pop_back();
            if (!visitor_.left(finished)) {
                result_.stopped = true;
            }
            return;
        }
        const std::wstring path = joinPath(f.path, f.item.name);
        visitor_.reached(path);
        if (f.last == nullptr) {
            build_.placeUnder(f.directory);
        } else {
            build_.placeAfter(f.last);
        }
        build_.setDepth(f.depth);
        CDirEntry* entry = build_.addScanEntry(path, f.item.name, security_);
        f.last = entry;
        const std::uint32_t depth = f.depth + 1;  // `f` moves when a frame is pushed
        switch (visitor_.visit(*entry, f.item, path)) {
            case WalkStep::Next:
                break;
            case WalkStep::Stop:
                result_.stopped = true;
                break;
            case WalkStep::Descend:
                if (!open(path, depth, *entry) && !visitor_.notListed(*entry)) {
                    result_.stopped = true;
                }
                break;
        }
    }

    FileSystemPort& files_;
    DatasetBuilder& build_;
    EntrySecurity& security_;
    WalkVisitor& visitor_;
    std::vector<Frame> stack_;
    WalkResult result_;
};

}  // namespace

WalkResult WalkTree(FileSystemPort& files, DatasetBuilder& build, EntrySecurity& security,
                    CDirEntry& folder, const std::wstring& path, std::uint32_t depth,
                    WalkVisitor& visitor) {
    return Walk(files, build, security, visitor).run(folder, path, depth);
}

}  // namespace quorel
