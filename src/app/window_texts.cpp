#include "app/window_texts.h"

#include <cwchar>

#include "core/dir_entry.h"
#include "core/error_list.h"
#include "resource.h"
#include "view/display_list.h"

namespace quorel {

namespace {
std::wstring Format(const wchar_t* format, int a, int b, int c) {
    wchar_t buffer[200];
    std::swprintf(buffer, 200, format, a, b, c);
    return buffer;
}

std::wstring Filter(std::initializer_list<const wchar_t*> parts) {
    std::wstring out;
    for (const wchar_t* p : parts) {
        out += p;
        out.push_back(L'\0');
    }
    out.push_back(L'\0');
    return out;
}
}  // namespace

std::wstring StartWindowVersionLine() {
    return Format(L"Version %d.%d Build %d", QUOREL_VERSION_MAJOR, QUOREL_VERSION_MINOR,
                  QUOREL_VERSION_BUILD);
}

std::wstring AboutText() {
    // "Verion": the about box's line as it has always read.
    return std::wstring(L"This is Quorel\r\n") +
           Format(L"Verion %d.%d build %d", QUOREL_VERSION_MAJOR, QUOREL_VERSION_MINOR,
                  QUOREL_VERSION_BUILD) +
           L"\r\nVisit our website at\r\n" + kWebSiteAddress +
           L"\r\nFor support send an e-mail to:\r\n" + kSupportAddress;
}

std::wstring SupportMailUrl() {
    return std::wstring(L"mailto:") + kSupportAddress + L"?" +
           Format(L"body=%%0A%%0AQuorel Version %d.%d Build %d", QUOREL_VERSION_MAJOR,
                  QUOREL_VERSION_MINOR, QUOREL_VERSION_BUILD);
}

FileDialogSpec FileDialogSpecOf(FileDialog kind) {
    FileDialogSpec spec;
    // Every dialog proposes "txt" when the user types a name without one.
    spec.defaultExtension = L"txt";
    switch (kind) {
        case FileDialog::OpenDataset:
            spec.filter =
                Filter({L"Quorel Save Files (*.ACL)", L"*.acl", L"All Files (*.*)", L"*.*"});
            spec.createPrompt = true;
            break;
        case FileDialog::SaveDataset:
            spec.filter =
                Filter({L"Quorel Save Files (*.ACL)", L"*.acl", L"All Files (*.*)", L"*.*"});
            spec.save = true;
            spec.overwritePrompt = true;
            break;
        case FileDialog::CompareFile:
            spec.filter = Filter({L"Quorel Save Files (*.ACL)", L"*.acl"});
            break;
        case FileDialog::ExportCsv:
            spec.filter = Filter({L"CSV Files (*.CSV)", L"*.csv", L"All Files (*.*)", L"*.*"});
            spec.save = true;
            spec.overwritePrompt = true;
            break;
        case FileDialog::LoadSettings:
            spec.filter =
                Filter({L"Quorel ini Files (*.QSF)", L"*.qsf", L"All Files (*.*)", L"*.*"});
            break;
        case FileDialog::SaveSettings:
            spec.filter =
                Filter({L"Quorel ini Files (*.QSF)", L"*.qsf", L"All Files (*.*)", L"*.*"});
            spec.save = true;
            spec.overwritePrompt = true;
            break;
        case FileDialog::OpenProject:
            spec.filter =
                Filter({L"Quorel project files (*.QPF)", L"*.qpf", L"All Files (*.*)", L"*.*"});
            break;
        case FileDialog::SaveProject:
            // "All files" in lower case here: the save dialog's own spelling.
            spec.filter =
                Filter({L"Quorel project files (*.QPF)", L"*.qpf", L"All files (*.*)", L"*.*"});
            spec.save = true;
            spec.overwritePrompt = true;
            break;
    }
    return spec;
}

std::wstring FormatErrorReport(const ErrorList& errors) {
    std::wstring out;
    for (std::size_t i = 0; i < errors.count(); ++i) {
        const ErrorElement e = errors.at(i);
        out += std::to_wstring(e.number);
        out += L" - ";
        if (e.entry != nullptr) {
            out += e.entry->path();
        }
        out += L": ";
        out += e.text;
        out += L"\r\n";
    }
    return out;
}

std::optional<std::int32_t> ErrorNumberOfLine(const std::wstring& line) {
    const std::wstring head = line.substr(0, 255);
    std::size_t i = 0;
    while (i < head.size() && (head[i] == L' ' || head[i] == L'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < head.size() && (head[i] == L'-' || head[i] == L'+')) {
        negative = head[i] == L'-';
        ++i;
    }
    if (i >= head.size() || head[i] < L'0' || head[i] > L'9') {
        return std::nullopt;
    }
    std::int64_t value = 0;
    while (i < head.size() && head[i] >= L'0' && head[i] <= L'9') {
        value = value * 10 + (head[i] - L'0');
        if (value > 0x7FFFFFFF) {
            return std::nullopt;
        }
        ++i;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<std::size_t> DisplayLineOfError(const ErrorList& errors, std::int32_t number,
                                              const DisplayList& lines) {
    if (number < 0 || static_cast<std::size_t>(number) >= errors.count()) {
        return std::nullopt;
    }
    const CDirEntry* entry = errors.at(static_cast<std::size_t>(number)).entry;
    if (entry == nullptr) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < lines.lineCount(); ++i) {
        if (lines.at(i) == entry) {
            return i;
        }
    }
    return std::nullopt;
}

ProgressTextLayout LayoutProgressText(int textWidth) {
    ProgressTextLayout layout;
    layout.clipped = textWidth > 570;
    return layout;
}

std::wstring PaddedProgressText(const std::wstring& text) {
    return text + std::wstring(40, L' ');
}

}  // namespace quorel
