// Compare mode against the cost of loading: a 1,000,000-entry dataset file is
// saved and loaded (the reference time), then
//   (a) two 1,000,000-entry datasets a few thousand differences apart and
//   (b) two datasets whose one folder holds 200,000 files
// are compared with CompareTo (linking both ways and building the three
// groups). Each comparison is printed as a ratio to the load time; the
// target is at most 1.0.
//
//   build/native/bench/compare_bench

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "filters/compare.h"
#include "filters/static_filter.h"
#include "platform/file_io_port.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/standard_files.h"
#include "storage/dataset_file.h"
#include "synthetic_dataset.h"
#include "view/compare_layout.h"
#include "view/display_list.h"

namespace {

using quorel::AceRecord;
using quorel::CDirEntry;
using quorel::CDirList;
using quorel::DatasetBuilder;

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void setAces(CDirEntry* e, const std::vector<AceRecord>& aces) {
    e->resizeAces(static_cast<std::uint32_t>(aces.size()));
    for (std::uint32_t i = 0; i < aces.size(); ++i) {
        *e->ace(i) = aces[i];
    }
}

std::vector<AceRecord> acesOf(const CDirEntry& e) {
    return std::vector<AceRecord>(e.aces(), e.aces() + e.aceCount());
}

// Appends `count` files to the listing of `folder`, with the ACEs of its
// first file.
void addFiles(CDirList& list, CDirEntry* folder, std::uint32_t count, const std::wstring& stem) {
    const std::vector<AceRecord> aces = acesOf(*folder->firstChild());
    DatasetBuilder listBuild(list);
    listBuild.setDepth(folder->depth + 1);
    listBuild.placeAfter(folder->firstChild());
    for (std::uint32_t i = 0; i < count; ++i) {
        CDirEntry* e = listBuild.addLoadEntry();
        e->setName(stem + std::to_wstring(i) + L".new");
        setAces(e, aces);
    }
}

struct Changes {
    std::uint32_t masks = 0, acesAdded = 0, acesRemoved = 0, filesAdded = 0, filesRemoved = 0;
};

// The second dataset of (a): the synthetic one with ACL changes on every
// 500th entry and files added to and removed from every 400th project folder.
Changes applyChanges(CDirList& list) {
    Changes c;
    std::vector<CDirEntry*> projects;
    std::uint32_t i = 0;
    for (CDirEntry& e : list) {
        if (e.depth == 2 && e.firstChild() != nullptr) {
            projects.push_back(&e);
        }
        if (++i % 500 != 0 || e.aceCount() == 0) {
            continue;
        }
        std::vector<AceRecord> aces = acesOf(e);
        switch ((i / 500) % 3) {
            case 0:
                e.ace(0)->accessMask ^= 0x2;
                ++c.masks;
                break;
            case 1:
                aces.push_back(aces.front());
                aces.back().setTrustee(list.accountNames(), L"Auditors", L"CORP");
                setAces(&e, aces);
                ++c.acesAdded;
                break;
            default:
                aces.pop_back();
                setAces(&e, aces);
                ++c.acesRemoved;
                break;
        }
    }
    for (std::size_t p = 0; p < projects.size(); p += 400) {
        CDirEntry* folder = projects[p];
        std::uint32_t files = 0;
        for (CDirEntry* f = folder->firstChild(); f != nullptr; f = f->nextSibling()) {
            ++files;
        }
        list.removeChildren(folder);
        c.filesRemoved += files;
    }
    for (std::size_t p = 200; p < projects.size(); p += 400) {
        addFiles(list, projects[p], 4, L"added-" + std::to_wstring(p) + L"-");
        c.filesAdded += 4;
    }
    return c;
}

// A dataset whose one folder holds `files` files. The second variant lists
// them in the opposite order with their names in upper case, misses 500 of
// them, has 500 others, and has another mask on 1000.
void buildBigFolder(CDirList& list, std::uint32_t files, bool variant) {
    DatasetBuilder listBuild(list);
    listBuild.setDepth(0);
    CDirEntry* root = listBuild.addLoadEntry();
    root->setName(L"\\\\fileserver\\archive");
    listBuild.setDepth(1);
    CDirEntry* folder = listBuild.addLoadChild();
    folder->setName(variant ? L"SCANS" : L"Scans");
    std::vector<AceRecord> aces(4);
    quorel::AccountNames& names = list.accountNames();
    aces[0].setTrustee(names, L"Administrators", L"BUILTIN");
    aces[0].set(0x1F01FF, 0x10, 0);
    aces[1].setTrustee(names, L"SYSTEM", L"NT AUTHORITY");
    aces[1].set(0x1F01FF, 0x10, 0);
    aces[2].setTrustee(names, L"Archivists", L"CORP");
    aces[2].set(0x1301BF, 0x10, 0);
    aces[3].setTrustee(names, L"Users", L"BUILTIN");
    aces[3].set(0x1200A9, 0x10, 0);
    setAces(root, aces);
    setAces(folder, aces);
    listBuild.setDepth(2);
    bool first = true;
    for (std::uint32_t i = 0; i < files; ++i) {
        const std::uint32_t n = variant ? files - 1 - i : i;
        if (variant && n % 400 == 7) {
            continue;  // deleted since
        }
        CDirEntry* e = (first ? listBuild.addLoadChild() : listBuild.addLoadEntry());
        first = false;
        e->setName((variant ? L"SCAN-" : L"scan-") + std::to_wstring(n) + L".TIF");
        setAces(e, aces);
        if (variant && n % 200 == 3) {
            e->ace(3)->accessMask = 0x1301BF;
        }
    }
    if (variant) {
        addFiles(list, folder, 500, L"new-scan-");
    }
}

struct Timed {
    double seconds;
    std::size_t added = 0, deleted = 0, modified = 0;
};

Timed timeCompare(CDirList& shown, std::unique_ptr<CDirList> compared,
                  quorel::InteractionPort& ui) {
    quorel::CompareState state;
    quorel::DisplayList lines;
    quorel::CompareView view(shown, lines, ui);
    const auto start = std::chrono::steady_clock::now();
    const bool entered = quorel::CompareTo(state, view, std::move(compared));
    Timed t{seconds(start)};
    if (!entered) {
        t.seconds = -1;
        return t;
    }
    std::size_t* group = nullptr;
    for (CDirEntry* e : lines.lines()) {
        if (e == &state.addedHeading()) {
            group = &t.added;
        } else if (e == &state.deletedHeading()) {
            group = &t.deleted;
        } else if (e == &state.modifiedHeading()) {
            group = &t.modified;
        } else {
            ++*group;
        }
    }
    return t;
}

}  // namespace

int main() {
    constexpr std::uint32_t kEntries = 1000000;
    constexpr std::uint32_t kFolderFiles = 200000;
    const std::wstring file = L"/tmp/quorel-compare-bench-1m.acl";
    quorel::sim::RecordingInteraction ui;

    {
        CDirList list(ui);
        quorel::bench::buildSyntheticDataset(list, kEntries);
        quorel::NameTables tables;
        quorel::RebuildNameTables(list, tables);
        if (!quorel::WriteDatasetFile(quorel::sim::standardFiles(), ui, list, file, tables)) {
            std::printf("saving the dataset file failed\n");
            return 1;
        }
    }

    CDirList loaded(ui);
    const auto loadStart = std::chrono::steady_clock::now();
    const bool ok = quorel::LoadDatasetFile(quorel::sim::standardFiles(), ui, loaded, file);
    const double load = seconds(loadStart);
    std::remove(std::string(file.begin(), file.end()).c_str());
    if (!ok) {
        std::printf("loading the dataset file failed\n");
        return 1;
    }
    std::printf("load: %u entries in %.3f s\n", loaded.entryCount(), load);

    // Compare mode loads the compared dataset into the shown one's table.
    auto changed = std::make_unique<CDirList>(ui, loaded.sharedAccountNames());
    quorel::bench::buildSyntheticDataset(*changed, kEntries);
    const Changes c = applyChanges(*changed);
    std::printf(
        "(a) changes: %u masks, %u ACEs added, %u ACEs removed, %u files added, %u files "
        "removed\n",
        c.masks, c.acesAdded, c.acesRemoved, c.filesAdded, c.filesRemoved);
    const Timed a = timeCompare(loaded, std::move(changed), ui);
    std::printf(
        "(a) compare 2 x %u entries: %.3f s; groups: %zu added, %zu deleted, %zu modified\n",
        kEntries, a.seconds, a.added, a.deleted, a.modified);

    CDirList bigShown(ui);
    buildBigFolder(bigShown, kFolderFiles, false);
    auto bigCompared = std::make_unique<CDirList>(ui, bigShown.sharedAccountNames());
    buildBigFolder(*bigCompared, kFolderFiles, true);
    const Timed b = timeCompare(bigShown, std::move(bigCompared), ui);
    std::printf(
        "(b) compare a folder of %u files: %.3f s; groups: %zu added, %zu deleted, %zu "
        "modified\n",
        kFolderFiles, b.seconds, b.added, b.deleted, b.modified);

    std::printf("(a) compare / load: %.2f (target <= 1.0)\n", a.seconds / load);
    std::printf("(b) compare / load: %.2f (target <= 1.0)\n", b.seconds / load);
    return a.seconds < 0 || b.seconds < 0 ? 1 : 0;
}
