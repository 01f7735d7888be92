#include "app/scan_configuration.h"

#include "platform/file_io_port.h"
#include "platform/file_system_port.h"
#include "platform/interaction_port.h"

namespace quorel {

bool StaticFilterAllowedInCompareForm(std::uint8_t filter) {
    return filter == 1 || filter == 5 || filter == 7 || filter == 8;
}

std::optional<std::vector<std::wstring>> SplitDirectoryText(const std::wstring& text,
                                                            FileSystemPort& fileSystem,
                                                            InteractionPort& ui) {
    std::vector<std::wstring> directories;
    std::wstring line;
    auto endLine = [&] {
        while (!line.empty() && line.back() == L'\\') {
            line.pop_back();
        }
        // A line of backslashes alone was not empty when typed: it stays, and
        // the listing check below refuses it.
        directories.push_back(line);
        line.clear();
    };
    bool lineHadText = false;
    for (wchar_t c : text) {
        if (c == L'\n') {
            if (lineHadText) {
                endLine();
            }
            lineHadText = false;
            line.clear();
        } else if (c != L'\r') {
            line.push_back(c);
            lineHadText = true;
        }
    }
    if (lineHadText) {
        endLine();
    }
    for (const std::wstring& directory : directories) {
        DirItem first;
        std::uint32_t error = 0;
        if (!fileSystem.openDirectory(directory, first, error)) {
            ui.showMessage(L"Specified directory cannot be opened: " + directory, L"",
                           MessageIcon::Error);
            return std::nullopt;
        }
    }
    return directories;
}

std::uint32_t LeadingNumber(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\n' ||
                               text[i] == L'\r' || text[i] == L'\v' || text[i] == L'\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10u + static_cast<std::uint32_t>(text[i] - L'0');
    }
    return negative ? 0u - value : value;
}

std::optional<ScanConfiguration> CheckConfiguration(const ConfigurationInput& input,
                                                    bool compareForm, FileSystemPort& fileSystem,
                                                    FileIoPort& files, InteractionPort& ui) {
    if (input.directoryText.empty()) {
        ui.showMessage(L"You must specify a directory to scan", L"", MessageIcon::Error);
        return std::nullopt;
    }
    if (compareForm && input.compareFile.empty()) {
        ui.showMessage(L"You must specify a file to compare the scan to", L"", MessageIcon::Error);
        return std::nullopt;
    }
    if (input.depthText.empty()) {
        ui.showMessage(L"You must specify the depth to scan", L"", MessageIcon::Error);
        return std::nullopt;
    }
    ScanConfiguration config;
    config.directoryText = input.directoryText;
    config.depth = LeadingNumber(input.depthText);
    config.staticFilter = input.staticFilter;
    std::optional<std::vector<std::wstring>> directories =
        SplitDirectoryText(input.directoryText, fileSystem, ui);
    if (!directories) {
        return std::nullopt;
    }
    if (directories->empty()) {
        // Only blank lines: nothing to scan, which OK cannot accept.
        ui.showMessage(L"You must specify a directory to scan", L"", MessageIcon::Error);
        return std::nullopt;
    }
    config.directories = std::move(*directories);
    if (compareForm) {
        std::uint32_t error = 0;
        if (!files.openRead(input.compareFile, error)) {
            ui.showMessage(L"Reference file cannot be found", L"", MessageIcon::Error);
            return std::nullopt;
        }
        config.compareFile = input.compareFile;
    }
    return config;
}

}  // namespace quorel
