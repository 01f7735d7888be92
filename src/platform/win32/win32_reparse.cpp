#include "platform/win32/win32_reparse.h"

#include "platform/file_system_port.h"

namespace quorel::win32 {

namespace {

std::uint32_t u16At(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | p[1] << 8);
}

}  // namespace

std::wstring reparseTargetText(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    if (data == nullptr || size < 16) {
        return text;
    }
    const std::uint32_t tag = u16At(data) | u16At(data + 2) << 16;
    std::size_t pathBuffer = 0;
    if (tag == reparse_tag::kMountPoint) {
        pathBuffer = 16;
    } else if (tag == reparse_tag::kSymlink) {
        pathBuffer = 20;
    } else {
        return text;
    }
    const std::size_t offset = u16At(data + 8);
    const std::size_t length = u16At(data + 10);
    const std::size_t begin = pathBuffer + offset;
    if (begin > size || length > size - begin) {
        return text;
    }
    for (std::size_t at = begin; at + 1 < begin + length; at += 2) {
        const auto unit = static_cast<wchar_t>(data[at] | data[at + 1] << 8);
        if (unit == L'\0') {
            break;
        }
        text += unit;
    }
    return text;
}

}  // namespace quorel::win32
