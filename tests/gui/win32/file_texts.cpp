#include "file_texts.h"

#include <windows.h>

#include <cstdint>

namespace quorel::gui {

std::string ProjectFileBytes(const std::wstring& directories, const std::wstring& output,
                             bool counter) {
    std::string bytes;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    auto text = [&](const std::wstring& t) {
        for (wchar_t c : t) {
            bytes.push_back(static_cast<char>(c & 0xFF));
            bytes.push_back(static_cast<char>(c >> 8));
        }
        bytes.append(2, '\0');
    };
    text(L"Quorel project file");
    u32(1);
    u32(static_cast<std::uint32_t>(2 * (directories.size() + 1)));
    text(directories);
    u32(static_cast<std::uint32_t>(2 * (output.size() + 1)));
    text(output);
    u32(counter ? 1 : 0);
    return bytes;
}

std::vector<std::string> TextLines(std::string text) {
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
        text.erase(0, 3);
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::wstring> PathsOfCsv(const std::string& bytes) {
    std::vector<std::wstring> paths;
    bool blockStart = true;
    for (const std::string& line : TextLines(bytes)) {
        if (line.empty()) {
            blockStart = true;
        } else if (blockStart) {
            const int n = MultiByteToWideChar(CP_UTF8, 0, line.data(),
                                              static_cast<int>(line.size()), nullptr, 0);
            std::wstring wide(static_cast<std::size_t>(n), L'\0');
            MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(),
                                n);
            paths.push_back(wide);
            blockStart = false;
        }
    }
    return paths;
}

}  // namespace quorel::gui
