#include "platform/path_server.h"

namespace quorel {

namespace {

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The component of `path` that starts at `at`, up to the next separator.
std::wstring componentAt(std::wstring_view path, std::size_t at) {
    std::size_t end = at;
    while (end < path.size() && !isSeparator(path[end])) {
        ++end;
    }
    return std::wstring(path.substr(at, end - at));
}

bool startsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        wchar_t a = text[i];
        wchar_t b = prefix[i];
        if (a == L'/') {
            a = L'\\';
        }
        if (a >= L'a' && a <= L'z') {
            a = static_cast<wchar_t>(a - L'a' + L'A');
        }
        if (a != b) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::wstring serverOfPath(std::wstring_view path) {
    if (path.size() < 3 || !isSeparator(path[0]) || !isSeparator(path[1])) {
        return {};
    }
    // "\\?\UNC\server\share": the extended-length form of a share path.
    if (startsWithNoCase(path, L"\\\\?\\UNC\\")) {
        return componentAt(path, 8);
    }
    // "\\?\C:\..." and "\\.\device": the local system's own namespace.
    if ((path[2] == L'?' || path[2] == L'.') && (path.size() == 3 || isSeparator(path[3]))) {
        return {};
    }
    return componentAt(path, 2);
}

}  // namespace quorel
