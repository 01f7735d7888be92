#include "platform/win32/win32_reparse.h"

namespace quorel::win32 {

std::wstring reparseTargetText(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    if (data == nullptr) {
        return text;
    }
    for (std::size_t at = kReparseTargetOffset; at + 1 < size; at += 2) {
        const auto unit = static_cast<wchar_t>(data[at] | data[at + 1] << 8);
        if (unit == L'\0') {
            break;
        }
        text += unit;
    }
    return text;
}

}  // namespace quorel::win32
