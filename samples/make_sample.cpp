// Writes the bundled sample dataset: a scan of the simulated file server of
// platform/sim/sample_server.h, which shows what the matrix can show.
//
//   make_sample OUT.acl          write the sample
//   make_sample --check IN.acl   exit 1 unless IN.acl is what would be written

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/dir_list.h"
#include "core/scanner.h"
#include "core/security_reader.h"
#include "platform/file_io_port.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sample_server.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/standard_files.h"
#include "storage/dataset_file.h"

namespace {

using namespace quorel;

std::vector<char> ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: make_sample OUT.acl | make_sample --check IN.acl\n");
        return 2;
    }
    const char* target = argv[argc - 1];

    sim::SimPlatform sim;
    sim::BuildSampleServer(sim);
    sim::RecordingInteraction ui;
    CDirList list(ui);
    SecurityReader reader(sim, sim);
    Scanner scanner(list, sim, reader, ui);
    scanner.ScanTree(L"C:\\Projects", 0);
    scanner.ScanTree(L"D:\\Shares", 0);

    NameTables names;
    RebuildNameTables(list, names);
    // A check writes into the working folder, never beside the sample.
    const std::string written = check ? std::string("sample-check.acl") : std::string(target);
    const std::wstring widePath(written.begin(), written.end());
    if (!WriteDatasetFile(sim::standardFiles(), ui, list, widePath, names)) {
        std::fprintf(stderr, "make_sample: could not write %s\n", written.c_str());
        return 1;
    }
    if (!check) {
        std::printf("make_sample: %u entries written to %s\n", list.entryCount(), target);
        return 0;
    }
    const bool same = ReadAll(written.c_str()) == ReadAll(target);
    std::remove(written.c_str());
    if (!same) {
        std::fprintf(stderr,
                     "make_sample: %s is not the sample this program writes; run make sample\n",
                     target);
        return 1;
    }
    return 0;
}
