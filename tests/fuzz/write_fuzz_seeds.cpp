// Writes the seed files of the settings and project fuzzers with the
// writers themselves: write_fuzz_seeds <corpus folder> fills
// <corpus folder>/settings and <corpus folder>/project.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "filters/dynamic_filter_set.h"
#include "filters/permissions.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/project_file.h"
#include "storage/settings_file.h"
#include "storage/utf16.h"

namespace {

namespace fs = std::filesystem;

bool store(const quorel::sim::MemoryFiles& files, const std::wstring& name, const fs::path& to) {
    const std::vector<std::uint8_t>* bytes = files.get(name);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes->data()),
              static_cast<std::streamsize>(bytes->size()));
    return static_cast<bool>(out);
}

bool settingsSeeds(const fs::path& folder) {
    quorel::sim::MemoryFiles files;
    quorel::sim::RecordingInteraction ui;
    std::uint8_t staticFilter = 1;
    quorel::DisplayedRights rights;
    quorel::DynamicFilterSet filters;
    quorel::ViewSettings view{staticFilter, rights, filters};

    // The start-up view: four columns, no rows.
    bool ok = quorel::SaveSettings(files, ui, L"startup.qsf", view);

    // The basic permission set and three rows, one of each subject.
    staticFilter = 2;
    rights.SetBasicPermissionSet();
    filters.rows = {{0, 5, L"Users"}, {1, 9, L"<any user>"}, {8, 0, L"temp"}};
    ok = ok && quorel::SaveSettings(files, ui, L"basic.qsf", view);

    // Every named right and texts beyond U+FFFF.
    staticFilter = 6;
    rights.clear();
    for (const quorel::NamedRight& r : quorel::namedRights()) {
        rights.AppendRightColumn(r.mask, r.abbreviation);
    }
    filters.rows = {{2, 0, L"CORP\\alice"}, {9, 0, L"C:\\" + quorel::fromUtf8("\xF0\x9F\x98\x80")}};
    ok = ok && quorel::SaveSettings(files, ui, L"named.qsf", view);

    return ok && store(files, L"startup.qsf", folder / "startup.qsf") &&
           store(files, L"basic.qsf", folder / "basic.qsf") &&
           store(files, L"named.qsf", folder / "named.qsf");
}

bool projectSeeds(const fs::path& folder) {
    quorel::sim::MemoryFiles files;
    quorel::sim::RecordingInteraction ui;
    bool ok =
        quorel::WriteProjectFile(files, ui, L"one.qpf", {L"C:\\data", L"C:\\out\\scan", false});
    ok = ok &&
         quorel::WriteProjectFile(files, ui, L"two.qpf",
                                  {L"C:\\data\\\r\n\r\n\\\\server\\share\\\\", L"D:\\r", true});
    ok = ok && quorel::WriteProjectFile(files, ui, L"empty.qpf", {L"", L"", false});
    return ok && store(files, L"one.qpf", folder / "one.qpf") &&
           store(files, L"two.qpf", folder / "two.qpf") &&
           store(files, L"empty.qpf", folder / "empty.qpf");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_fuzz_seeds <corpus folder>\n");
        return 2;
    }
    const fs::path corpus = argv[1];
    std::error_code error;
    fs::create_directories(corpus / "settings", error);
    fs::create_directories(corpus / "project", error);
    if (!settingsSeeds(corpus / "settings") || !projectSeeds(corpus / "project")) {
        std::fprintf(stderr, "write_fuzz_seeds: could not write the seeds\n");
        return 1;
    }
    return 0;
}
