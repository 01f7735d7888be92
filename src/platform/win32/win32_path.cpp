#include "platform/win32/win32_path.h"

#include <windows.h>

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

// The absolute path of the directory that `base` ("C:", "\\" or ".")
// names, by GetFullPathNameW ("GetFullPathNameW function": "C:" gives the
// current directory of drive C, "\\" the root of the current drive, "."
// the current directory). Empty when the call fails.
std::wstring fullPathOf(const wchar_t* base) {
    std::wstring full(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length =
            GetFullPathNameW(base, static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return {};
        }
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);  // the size asked for, the terminating NUL included
    }
    return {};
}

}  // namespace

std::wstring extendedPath(const std::wstring& path) {
    const bool hasDrive = path.size() >= 2 && isDriveLetter(path[0]) && path[1] == L':';
    const bool unc = path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
    if (!path.empty() && !unc && !(hasDrive && path.size() >= 3 && isSeparator(path[2]))) {
        // Relative ("dir"), drive-relative ("C:dir") or rooted without a
        // drive ("\dir"): only the directory it starts from is made
        // absolute, because GetFullPathNameW would also drop the trailing
        // dots and blanks of the names, which are reached exactly.
        const std::size_t from = hasDrive ? 2 : isSeparator(path[0]) ? 1 : 0;
        const std::wstring base = hasDrive ? path.substr(0, 2) : from == 1 ? L"\\" : L".";
        const std::wstring full = fullPathOf(base.c_str());
        const bool absolute =
            full.size() >= 3 &&
            ((isDriveLetter(full[0]) && full[1] == L':' && isSeparator(full[2])) ||
             (isSeparator(full[0]) && isSeparator(full[1])));
        return absolute ? extendedPath(full + L'\\' + path.substr(from)) : path;
    }
    std::wstring out;
    std::size_t rest = 0;
    bool drive = false;
    if (hasDrive && path.size() >= 3) {
        out = L"\\\\?\\";
        out.append(path, 0, 2);
        rest = 3;
        drive = true;
    } else if (unc) {
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
