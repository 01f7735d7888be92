#include "remote_memory.h"

#include <commctrl.h>
#include <shlobj.h>

#include "window_access.h"

namespace quorel::gui {

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t bytes) : process_(process), size_(bytes) {
    address_ = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
    if (address_ != nullptr) {
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
}

bool RemoteBuffer::Write(const void* data, std::size_t bytes) {
    SIZE_T written = 0;
    return bytes <= size_ &&
           WriteProcessMemory(process_, address_, data, bytes, &written) != FALSE &&
           written == bytes;
}

bool RemoteBuffer::Read(void* data, std::size_t bytes) const {
    SIZE_T read = 0;
    return bytes <= size_ && ReadProcessMemory(process_, address_, data, bytes, &read) != FALSE &&
           read == bytes;
}

std::optional<std::vector<std::wstring>> StatusBarTexts(HANDLE process, HWND statusBar) {
    constexpr std::size_t kMaxChars = 4096;
    RemoteBuffer buffer(process, (kMaxChars + 1) * sizeof(wchar_t));
    if (!buffer.valid()) {
        return std::nullopt;
    }
    DWORD_PTR parts = 0;
    if (!SendMessageTimeoutW(statusBar, SB_GETPARTS, 256, buffer.param(), SMTO_ABORTIFHUNG,
                             kStepTimeoutMs, &parts)) {
        return std::nullopt;
    }
    std::vector<std::wstring> texts;
    for (WPARAM part = 0; part < parts; ++part) {
        DWORD_PTR info = 0;
        if (!SendMessageTimeoutW(statusBar, SB_GETTEXTLENGTHW, part, 0, SMTO_ABORTIFHUNG,
                                 kStepTimeoutMs, &info)) {
            return std::nullopt;
        }
        const std::size_t length = LOWORD(info);
        if (length > kMaxChars) {
            return std::nullopt;
        }
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(statusBar, SB_GETTEXTW, part, buffer.param(), SMTO_ABORTIFHUNG,
                                 kStepTimeoutMs, &ignored)) {
            return std::nullopt;
        }
        std::wstring text(length, L'\0');
        if (length > 0 && !buffer.Read(text.data(), length * sizeof(wchar_t))) {
            return std::nullopt;
        }
        texts.push_back(text);
    }
    return texts;
}

bool SelectFolderInPicker(HANDLE process, HWND picker, const std::wstring& path) {
    RemoteBuffer buffer(process, (path.size() + 1) * sizeof(wchar_t));
    if (!buffer.valid() || !buffer.Write(path.c_str(), (path.size() + 1) * sizeof(wchar_t))) {
        return false;
    }
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(picker, BFFM_SETSELECTIONW, TRUE, buffer.param(), SMTO_ABORTIFHUNG,
                               kStepTimeoutMs, &result) != 0;
}

std::optional<std::wstring> SelectedTreeItemText(HANDLE process, HWND tree) {
    DWORD_PTR item = 0;
    if (!SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, kStepTimeoutMs,
                             &item) ||
        item == 0) {
        return std::nullopt;
    }
    constexpr int kChars = 1024;
    RemoteBuffer buffer(process, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
    if (!buffer.valid()) {
        return std::nullopt;
    }
    TVITEMW request{};
    request.mask = TVIF_TEXT | TVIF_HANDLE;
    request.hItem = reinterpret_cast<HTREEITEM>(item);
    request.pszText =
        reinterpret_cast<wchar_t*>(static_cast<char*>(buffer.address()) + sizeof(TVITEMW));
    request.cchTextMax = kChars;
    const wchar_t none = L'\0';
    if (!buffer.Write(&request, sizeof request)) {
        return std::nullopt;
    }
    SIZE_T written = 0;
    WriteProcessMemory(process, request.pszText, &none, sizeof none, &written);
    DWORD_PTR ok = 0;
    if (!SendMessageTimeoutW(tree, TVM_GETITEMW, 0, buffer.param(), SMTO_ABORTIFHUNG,
                             kStepTimeoutMs, &ok) ||
        ok == 0) {
        return std::nullopt;
    }
    std::vector<wchar_t> text(kChars + 1, L'\0');
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, request.pszText, text.data(), kChars * sizeof(wchar_t),
                           &read)) {
        return std::nullopt;
    }
    return std::wstring(text.data());
}

}  // namespace quorel::gui
