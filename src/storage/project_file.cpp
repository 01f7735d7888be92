#include "storage/project_file.h"

#include <memory>

#include "platform/file_io_port.h"
#include "platform/interaction_port.h"
#include "storage/field_io.h"
#include "storage/utf16.h"

namespace quorel {

namespace {

constexpr const wchar_t* kNote = L"Note";

void note(InteractionPort& ui, const wchar_t* text) {
    ui.showMessage(text, kNote, MessageIcon::None, MessageButtons::Ok);
}

std::vector<std::uint8_t> magicBytes() {
    std::vector<std::uint8_t> bytes;
    appendUtf16le(bytes, project_file::kMagicText);
    appendU16(bytes, 0);
    return bytes;
}

}  // namespace

bool WriteProjectFile(FileIoPort& files, InteractionPort& ui, const std::wstring& path,
                      const ProjectFile& project) {
    std::vector<std::uint8_t> out = magicBytes();
    appendU32(out, project_file::kVersion);
    appendTextField(out, project.directories, project_file::kMaxDirectoriesChars);
    appendTextField(out, project.outputName, project_file::kMaxOutputNameChars);
    appendU32(out, project.counter ? 1 : 0);

    std::uint32_t error = 0;
    std::unique_ptr<ByteSink> sink = files.create(path, CreateMode::Always, error);
    if (!sink) {
        note(ui, L"Error writing project file");
        return false;
    }
    if (!sink->write(out.data(), out.size()) || !sink->close()) {
        note(ui, L"Error writing data to file");
        return false;
    }
    return true;
}

std::optional<ProjectFile> ReadProjectFile(FileIoPort& files, InteractionPort& ui,
                                           const std::wstring& path) {
    std::uint32_t error = 0;
    std::unique_ptr<ByteSource> source = files.openRead(path, error);
    if (!source) {
        note(ui, L"Error opening file");
        return std::nullopt;
    }
    FieldReader in(*source);
    auto failed = [&ui] {
        note(ui, L"Error reading project file");
        return std::nullopt;
    };

    const std::vector<std::uint8_t> expected = magicBytes();
    std::vector<std::uint8_t> magic(expected.size());
    if (!in.bytes(magic.data(), magic.size())) {
        return failed();
    }
    if (magic != expected) {
        note(ui, L"not a Quorel project file");
        return std::nullopt;
    }
    std::uint32_t version = 0;
    if (!in.u32(version)) {
        return failed();
    }
    if (version != project_file::kVersion) {
        note(ui, L"wrong version of project-file");
        return std::nullopt;
    }

    ProjectFile project;
    std::uint32_t length = 0;
    if (!in.u32(length) ||
        !in.text(length, project_file::kMaxDirectoriesChars, project.directories)) {
        return failed();
    }
    if (!in.u32(length) ||
        !in.text(length, project_file::kMaxOutputNameChars, project.outputName)) {
        return failed();
    }
    std::uint32_t counter = 0;
    if (!in.u32(counter)) {
        return failed();
    }
    project.counter = (counter & 0xFF) != 0;
    return project;
}

std::vector<std::wstring> SplitProjectDirectories(const std::wstring& text) {
    std::vector<std::wstring> lines(1);
    for (wchar_t c : text) {
        if (c == L'\n') {
            lines.emplace_back();
        } else if (c != L'\r') {
            lines.back().push_back(c);
        }
    }
    std::erase_if(lines, [](const std::wstring& line) { return line.empty(); });
    for (std::wstring& line : lines) {
        while (!line.empty() && line.back() == L'\\') {
            line.pop_back();
        }
    }
    return lines;
}

}  // namespace quorel
