#pragma once

#include <cstdint>

namespace quorel {

class CDirList;

namespace bench {

// Fills `list` with a file-server-like tree built through the model's own
// API: `entries` entries in all, one in ten a folder (100 top folders, the
// rest below them), file names of 10 to 30 characters, `acesPerEntry` ACEs
// each naming one of 50 trustees in 3 domains. Deterministic.
void buildSyntheticDataset(CDirList& list, std::uint32_t entries, std::uint32_t acesPerEntry = 5);

// A memory figure of this process from /proc/self/status in bytes: "VmRSS"
// (resident now) or "VmHWM" (peak resident); -1 when it cannot be read.
long long procStatusBytes(const char* field);

}  // namespace bench
}  // namespace quorel
