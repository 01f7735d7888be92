// Writes the seed files of the fuzzers with the writers themselves:
// write_fuzz_seeds <corpus folder> fills <corpus folder>/settings,
// <corpus folder>/project and <corpus folder>/dataset.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "filters/dynamic_filter_set.h"
#include "filters/permissions.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/dataset_file.h"
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

bool datasetSeeds(const fs::path& folder) {
    quorel::sim::MemoryFiles files;
    quorel::sim::RecordingInteraction ui;
    auto write = [&](quorel::CDirList& list, const wchar_t* name) {
        quorel::NameTables tables;
        quorel::RebuildNameTables(list, tables);
        return quorel::WriteDatasetFile(files, ui, list, name, tables);
    };
    // A small scan: a root with "." and "..", a folder with a file, object
    // and deny ACEs, an unresolved SID.
    quorel::CDirList scan(ui);
    quorel::DatasetBuilder scanBuild(scan);
    quorel::CDirEntry* root = scanBuild.addLoadEntry();
    root->setName(L"C:\\");
    root->setOwner(L"Administrators", L"BUILTIN");
    root->setGroup(L"SYSTEM", L"NT AUTHORITY");
    root->resizeAces(2);
    root->ace(0)->setTrustee(scan.accountNames(), L"Administrators", L"BUILTIN");
    root->ace(0)->set(0x1F01FF, 0x03, 0);
    root->ace(1)->setTrustee(scan.accountNames(), L"S-1-5-21-1-2-3-1001", L"");
    root->ace(1)->set(0x1200A9, 0x1B, 1);
    scanBuild.setDepth(1);
    scanBuild.addLoadChild()->setName(L"data");
    scanBuild.setDepth(2);
    quorel::CDirEntry* file = scanBuild.addLoadChild();
    file->setName(L"Gr\u00fc\u00dfe.txt");
    file->errorFlags = 7;
    file->resizeAces(1);
    file->ace(0)->setTrustee(scan.accountNames(), L"Everyone", L"");
    file->ace(0)->set(0x10000000, 0x10, 5);
    bool ok = write(scan, L"scan.acl");
    quorel::CDirList empty(ui);
    ok = ok && write(empty, L"empty.acl");
    return ok && store(files, L"scan.acl", folder / "scan.acl") &&
           store(files, L"empty.acl", folder / "empty.acl");
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
    fs::create_directories(corpus / "dataset", error);
    if (!settingsSeeds(corpus / "settings") || !projectSeeds(corpus / "project") ||
        !datasetSeeds(corpus / "dataset")) {
        std::fprintf(stderr, "write_fuzz_seeds: could not write the seeds\n");
        return 1;
    }
    return 0;
}
