#include "app/acl_buffer.h"

#include <cwchar>

#include "core/dir_entry.h"
#include "core/dir_list.h"

namespace quorel {

namespace {

std::wstring Hex(std::uint32_t value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%x", static_cast<unsigned>(value));
    return text;
}

void AppendAce(std::wstring& out, const AccountNames& names, const AceRecord& ace) {
    out += ace.trustee(names);
    out += L'\n';
    out += Hex(ace.aceFlags) + L' ' + Hex(ace.accessMask) + L' ' + Hex(ace.aceType) + L'\n';
}

// A hexadecimal number at `pos` (blanks before it skipped); false when
// there is none.
bool ReadHex(const std::wstring& text, std::size_t& pos, std::uint32_t& value) {
    while (pos < text.size() && text[pos] == L' ') {
        ++pos;
    }
    const std::size_t start = pos;
    std::uint64_t v = 0;
    while (pos < text.size() && pos - start < 8) {
        const wchar_t c = text[pos];
        int digit = -1;
        if (c >= L'0' && c <= L'9') {
            digit = c - L'0';
        } else if (c >= L'a' && c <= L'f') {
            digit = c - L'a' + 10;
        } else if (c >= L'A' && c <= L'F') {
            digit = c - L'A' + 10;
        }
        if (digit < 0) {
            break;
        }
        v = v * 16 + static_cast<std::uint64_t>(digit);
        ++pos;
    }
    value = static_cast<std::uint32_t>(v);
    return pos > start;
}

}  // namespace

std::wstring AceBufferText(const AccountNames& names, const AceRecord& ace) {
    std::wstring out = L"1\n";
    AppendAce(out, names, ace);
    return out;
}

std::wstring AclBufferText(const CDirEntry& entry) {
    std::wstring out = std::to_wstring(entry.aceCount()) + L"\n";
    for (std::uint32_t i = entry.aceCount(); i > 0; --i) {
        AppendAce(out, entry.dataset()->accountNames(), *entry.ace(i - 1));
    }
    return out;
}

std::vector<BufferAce> ReadAclBuffer(const std::wstring& buffer) {
    std::vector<BufferAce> aces;
    std::size_t pos = 0;
    std::uint64_t count = 0;
    while (pos < buffer.size() && buffer[pos] >= L'0' && buffer[pos] <= L'9' && count < 1000000) {
        count = count * 10 + static_cast<std::uint64_t>(buffer[pos] - L'0');
        ++pos;
    }
    std::size_t line = buffer.find(L'\n', pos);
    for (std::uint64_t i = 0; i < count && line != std::wstring::npos; ++i) {
        const std::size_t nameStart = line + 1;
        const std::size_t nameEnd = buffer.find(L'\n', nameStart);
        if (nameEnd == std::wstring::npos) {
            break;
        }
        BufferAce ace;
        ace.trustee = buffer.substr(nameStart, nameEnd - nameStart);
        std::size_t p = nameEnd + 1;
        if (!ReadHex(buffer, p, ace.flags) || !ReadHex(buffer, p, ace.mask) ||
            !ReadHex(buffer, p, ace.type)) {
            break;
        }
        aces.push_back(std::move(ace));
        line = buffer.find(L'\n', p);
    }
    return aces;
}

}  // namespace quorel
