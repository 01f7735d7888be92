// Feeds arbitrary bytes to the project file reader. The reader must never
// crash or overrun the dialog's fields, and a project it reads must write and
// read back unchanged.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace pf = quorel::project_file;
    quorel::sim::MemoryFiles files;
    files.put(L"in.qpf", std::vector<std::uint8_t>(data, data + size));
    quorel::sim::RecordingInteraction ui;

    const std::optional<quorel::ProjectFile> project =
        quorel::ReadProjectFile(files, ui, L"in.qpf");
    if (ui.messages().size() != (project ? 0u : 1u)) {
        __builtin_trap();
    }
    if (!project) {
        return 0;
    }
    if (project->directories.size() > pf::kMaxDirectoriesChars ||
        project->outputName.size() > pf::kMaxOutputNameChars ||
        project->directories.find(L'\0') != std::wstring::npos ||
        project->outputName.find(L'\0') != std::wstring::npos) {
        __builtin_trap();
    }
    for (const std::wstring& line : quorel::SplitProjectDirectories(project->directories)) {
        if (line.find_first_of(L"\r\n") != std::wstring::npos ||
            (!line.empty() && line.back() == L'\\')) {
            __builtin_trap();
        }
    }

    if (!quorel::WriteProjectFile(files, ui, L"out.qpf", *project)) {
        __builtin_trap();
    }
    const std::optional<quorel::ProjectFile> again = quorel::ReadProjectFile(files, ui, L"out.qpf");
    if (!again || again->directories != project->directories ||
        again->outputName != project->outputName || again->counter != project->counter) {
        __builtin_trap();
    }
    return 0;
}
