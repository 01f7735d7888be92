#include "big_inputs.h"

#include <windows.h>

#include "core/dir_list.h"
#include "platform/file_io_port.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/standard_files.h"
#include "platform/win32/temp_tree.h"
#include "storage/dataset_file.h"
#include "synthetic_dataset.h"

namespace quorel::gui {

namespace {
bool MakeFiles(const std::wstring& folder, int count) {
    for (int i = 0; i < count; ++i) {
        if (!win32::test::createFile(folder + L"\\file-" + std::to_wstring(i) + L".txt")) {
            return false;
        }
    }
    return true;
}
}  // namespace

bool MakeLongTree(const std::wstring& root, int extraFolders, int filesPerFolder,
                  std::wstring& deepest) {
    const std::wstring longName(60, L'x');
    std::wstring folder = root;
    for (int level = 0; level < 3; ++level) {
        folder += L"\\" + std::to_wstring(level) + longName.substr(1);
        if (!win32::test::createFolder(folder) || !MakeFiles(folder, filesPerFolder)) {
            return false;
        }
    }
    deepest = folder;
    for (int i = 0; i < extraFolders; ++i) {
        const std::wstring extra = root + L"\\folder-" + std::to_wstring(i);
        if (!win32::test::createFolder(extra) || !MakeFiles(extra, filesPerFolder)) {
            return false;
        }
    }
    return true;
}

bool WriteLargeDataset(const std::wstring& path, std::uint32_t entries) {
    sim::RecordingInteraction ui;
    CDirList list(ui);
    bench::buildSyntheticDataset(list, entries);
    NameTables tables;
    RebuildNameTables(list, tables);
    return WriteDatasetFile(sim::standardFiles(), ui, list, path, tables);
}

}  // namespace quorel::gui
