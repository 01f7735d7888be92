#include "platform/win32/win32_path.h"

#include <string_view>
#include <vector>

namespace quorel::win32 {

namespace {

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool isDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// Length of the component of `path` that starts at `from`.
std::size_t componentEnd(const std::wstring& path, std::size_t from) {
    std::size_t end = from;
    while (end < path.size() && !isSeparator(path[end])) {
        ++end;
    }
    return end;
}

}  // namespace

std::wstring extendedPath(const std::wstring& path) {
    std::wstring out;
    std::size_t rest = 0;
    bool drive = false;
    if (path.size() >= 3 && isDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') {
        out = L"\\\\?\\";
        out.append(path, 0, 2);
        rest = 3;
        drive = true;
    } else if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        // "\\?\..." and "\\.\..." already name the object without
        // normalisation; "\\server" alone names no share.
        if (path.size() >= 4 && (path[2] == L'?' || path[2] == L'.') && isSeparator(path[3])) {
            return path;
        }
        const std::size_t serverEnd = componentEnd(path, 2);
        if (serverEnd == 2 || serverEnd >= path.size()) {
            return path;
        }
        const std::size_t shareEnd = componentEnd(path, serverEnd + 1);
        if (shareEnd == serverEnd + 1) {
            return path;
        }
        out = L"\\\\?\\UNC\\";
        out.append(path, 2, serverEnd - 2);
        out += L'\\';
        out.append(path, serverEnd + 1, shareEnd - serverEnd - 1);
        rest = shareEnd;
    } else {
        return path;
    }

    std::vector<std::wstring_view> components;
    const std::wstring_view text(path);
    for (std::size_t at = rest; at < path.size();) {
        const std::size_t end = componentEnd(path, at);
        const std::wstring_view name = text.substr(at, end - at);
        if (name == L"..") {
            if (!components.empty()) {
                components.pop_back();
            }
        } else if (!name.empty() && name != L".") {
            components.push_back(name);
        }
        at = end + 1;
    }
    for (std::wstring_view name : components) {
        out += L'\\';
        out += name;
    }
    if (isSeparator(path.back()) || (drive && components.empty())) {
        out += L'\\';
    }
    return out;
}

}  // namespace quorel::win32
