// Peak resident memory per entry of a dataset of 1,000,000 entries with 5
// ACEs each, built through the model's own API.
//
//   build/native/bench/model_memory [entries]

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/dir_list.h"
#include "platform/sim/recording_interaction.h"
#include "synthetic_dataset.h"

namespace {

// VmHWM (peak) or VmRSS (current) of this process in bytes, from /proc.
using quorel::bench::procStatusBytes;

}  // namespace

int main(int argc, char** argv) {
    const std::uint32_t entries =
        argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
    quorel::sim::RecordingInteraction ui;
    const long long before = procStatusBytes("VmRSS");
    {
        quorel::CDirList list(ui);
        quorel::bench::buildSyntheticDataset(list, entries);
        const long long peak = procStatusBytes("VmHWM");
        std::uint32_t walked = 0;
        for (const quorel::CDirEntry& e : list) {
            walked += e.visible;
        }
        std::printf("entries                  %u (walked %u)\n", list.entryCount(), walked);
        std::printf("sizeof(CDirEntry)        %zu bytes\n", sizeof(quorel::CDirEntry));
        std::printf("sizeof(AceRecord)        %zu bytes\n", sizeof(quorel::AceRecord));
        std::printf("name arena               %.1f bytes/entry\n",
                    static_cast<double>(list.textBytes()) / list.entryCount());
        std::printf("peak resident growth     %.1f MB\n", static_cast<double>(peak - before) / 1e6);
        std::printf("peak memory per entry    %.1f bytes (target <= 350)\n",
                    static_cast<double>(peak - before) / list.entryCount());
    }
    return 0;
}
