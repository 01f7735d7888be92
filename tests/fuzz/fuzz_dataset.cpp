// Feeds arbitrary bytes to the dataset file reader. The reader must never
// crash, never write outside its arrays, and leave a dataset that can be
// walked, saved and freed.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/dir_list.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/dataset_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quorel::sim::MemoryFiles files;
    files.put(L"in.acl", std::vector<std::uint8_t>(data, data + size));
    quorel::sim::RecordingInteraction ui;
    quorel::CDirList list(ui);
    const bool ok = quorel::LoadDatasetFile(files, ui, list, L"in.acl");
    std::uint32_t walked = 0;
    for (const quorel::CDirEntry& e : list) {
        ++walked;
        for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
            if (e.ace(i) == nullptr) {
                __builtin_trap();
            }
        }
        (void)e.path();
    }
    if (walked > list.entryCount()) {
        __builtin_trap();
    }
    if (ok) {
        // What loads must save again.
        quorel::NameTables tables;
        quorel::RebuildNameTables(list, tables);
        if (!quorel::WriteDatasetFile(files, ui, list, L"out.acl", tables)) {
            __builtin_trap();
        }
    }
    return 0;
}
