// Saving and loading a dataset file of the synthetic shape: peak memory per
// entry while loading, compared with what the loaded dataset keeps, and
// instructions per entry (callgrind) for saving and loading.
//
//   build/native/bench/dataset_file_bench            all figures
//   build/native/bench/dataset_file_bench save F N   one phase (used by the above)
//   build/native/bench/dataset_file_bench load F

#include <valgrind/callgrind.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "core/dir_list.h"
#include "platform/file_io_port.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/standard_files.h"
#include "storage/dataset_file.h"
#include "synthetic_dataset.h"

// Counts the heap allocations of the process, to show what loading costs
// per entry.
namespace {
std::atomic<std::uint64_t> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using quorel::bench::procStatusBytes;

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int save(const std::wstring& path, std::uint32_t entries) {
    quorel::sim::RecordingInteraction ui;
    quorel::CDirList list(ui);
    quorel::bench::buildSyntheticDataset(list, entries);
    const auto start = std::chrono::steady_clock::now();
    CALLGRIND_TOGGLE_COLLECT;
    quorel::NameTables tables;
    quorel::RebuildNameTables(list, tables);
    const bool ok = quorel::WriteDatasetFile(quorel::sim::standardFiles(), ui, list, path, tables);
    CALLGRIND_TOGGLE_COLLECT;
    std::printf("save: %u entries in %.2f s\n", list.entryCount(), seconds(start));
    return ok ? 0 : 1;
}

int load(const std::wstring& path) {
    quorel::sim::RecordingInteraction ui;
    const long long before = procStatusBytes("VmRSS");
    quorel::CDirList list(ui);
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t allocationsBefore = gAllocations;
    CALLGRIND_TOGGLE_COLLECT;
    const bool ok = quorel::LoadDatasetFile(quorel::sim::standardFiles(), ui, list, path);
    CALLGRIND_TOGGLE_COLLECT;
    const std::uint64_t allocations = gAllocations - allocationsBefore;
    const double took = seconds(start);
    const long long after = procStatusBytes("VmRSS");
    const long long peak = procStatusBytes("VmHWM");
    const double n = list.entryCount();
    std::printf("load: %u entries in %.2f s\n", list.entryCount(), took);
    std::printf("load: dataset kept       %.1f bytes/entry\n", (after - before) / n);
    std::printf("load: peak while loading %.1f bytes/entry\n", (peak - before) / n);
    std::printf("load: heap allocations   %.2f per entry (the entry and its ACE array)\n",
                static_cast<double>(allocations) / n);
    std::printf("load: peak / kept        %.2f (target <= 1.2)\n",
                static_cast<double>(peak - before) / static_cast<double>(after - before));
    return ok ? 0 : 1;
}

// Runs a phase under callgrind and returns the instructions it collected.
long long callgrindInstructions(const std::string& self, const std::string& phase) {
    const std::string log = "/tmp/quorel-bench-callgrind.log";
    const std::string command =
        "valgrind --tool=callgrind --collect-atstart=no "
        "--callgrind-out-file=/dev/null " +
        self + " " + phase + " > /dev/null 2> " + log;
    if (std::system(command.c_str()) != 0) {
        return -1;
    }
    std::ifstream in(log);
    std::string line;
    long long collected = -1;
    while (std::getline(in, line)) {
        const auto at = line.find("Collected : ");
        if (at != std::string::npos) {
            collected = std::atoll(line.c_str() + at + 12);
        }
    }
    return collected;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "save") {
        std::string p = argv[2];
        return save(std::wstring(p.begin(), p.end()),
                    static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)));
    }
    if (argc >= 3 && std::string(argv[1]) == "load") {
        std::string p = argv[2];
        return load(std::wstring(p.begin(), p.end()));
    }
    const std::string self = argv[0];
    const std::string big = "/tmp/quorel-bench-1m.acl";
    if (std::system((self + " save " + big + " 1000000").c_str()) != 0 ||
        std::system((self + " load " + big).c_str()) != 0) {
        return 1;
    }
    std::remove(big.c_str());
    const std::string small = "/tmp/quorel-bench-100k.acl";
    const long long saveInstr = callgrindInstructions(self, "save " + small + " 100000");
    const long long loadInstr = callgrindInstructions(self, "load " + small);
    std::remove(small.c_str());
    if (saveInstr < 0 || loadInstr < 0) {
        std::printf("callgrind: not available\n");
        return 0;
    }
    std::printf(
        "callgrind: save %lld instructions/entry, load %lld instructions/entry "
        "(100,000 entries)\n",
        saveInstr / 100000, loadInstr / 100000);
    return 0;
}
