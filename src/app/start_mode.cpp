#include "app/start_mode.h"

#include <algorithm>

#include "platform/file_system_port.h"
#include "storage/dataset_file.h"

namespace quorel {

std::wstring CleanCommandLine(std::wstring_view raw) {
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
    while (!raw.empty() && blank(raw.front())) {
        raw.remove_prefix(1);
    }
    while (!raw.empty() && blank(raw.back())) {
        raw.remove_suffix(1);
    }
    if (raw.size() >= 2 && raw.front() == L'"' && raw.back() == L'"') {
        raw = raw.substr(1, raw.size() - 2);
    }
    return std::wstring(raw);
}

std::wstring ArgumentsOfCommandLine(std::wstring_view line) {
    std::size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        i = line.find(L'"', 1);
        i = i == std::wstring_view::npos ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != L' ' && line[i] != L'\t') {
            ++i;
        }
    }
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) {
        ++i;
    }
    return std::wstring(line.substr(i));
}

VolumeArgument TakeVolumeArgument(std::wstring_view arguments) {
    constexpr std::wstring_view kOption = L"--volume";
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    VolumeArgument result;
    if (!arguments.starts_with(kOption) ||
        (arguments.size() > kOption.size() && !blank(arguments[kOption.size()]))) {
        result.rest = std::wstring(arguments);
        return result;
    }
    std::size_t i = kOption.size();
    while (i < arguments.size() && blank(arguments[i])) {
        ++i;
    }
    std::size_t end = i;
    if (i < arguments.size() && arguments[i] == L'"') {
        end = arguments.find(L'"', i + 1);
        end = end == std::wstring_view::npos ? arguments.size() : end;
        result.volume = std::wstring(arguments.substr(i + 1, end - i - 1));
        end = std::min(end + 1, arguments.size());
    } else {
        while (end < arguments.size() && !blank(arguments[end])) {
            ++end;
        }
        result.volume = std::wstring(arguments.substr(i, end - i));
    }
    while (end < arguments.size() && blank(arguments[end])) {
        ++end;
    }
    result.rest = std::wstring(arguments.substr(end));
    result.missingVolume = result.volume.empty();
    return result;
}

std::wstring ProgramFolderOf(std::wstring_view modulePath) {
    const std::size_t slash = modulePath.find_last_of(L'\\');
    if (slash == std::wstring_view::npos) {
        return {};
    }
    return std::wstring(modulePath.substr(0, slash + 1));
}

StartMode ChooseStartMode(const std::wstring& argument, FileSystemPort& fileSystem,
                          FileIoPort& files) {
    if (argument.empty()) {
        return StartMode::StartWindow;
    }
    DirItem first;
    std::uint32_t error = 0;
    if (fileSystem.openDirectory(argument, first, error)) {
        return StartMode::ScanDirectory;
    }
    if (IsDatasetFile(files, argument)) {
        return StartMode::OpenDataset;
    }
    return StartMode::RunProject;
}

}  // namespace quorel
