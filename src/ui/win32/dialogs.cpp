#include "ui/win32/dialogs.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "app/scan_configuration.h"
#include "app/window_texts.h"
#include "resource.h"
#include "storage/project_file.h"

namespace quorel::win32 {

namespace {
std::wstring ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    const int n = GetWindowTextLengthW(item);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    GetWindowTextW(item, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextW(dialog, IDC_ABOUT_TEXT, AboutText().c_str());
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL:
                    EndDialog(dialog, 1);
                    return TRUE;
                case IDC_ABOUT_VISIT_WEBSITE:
                    ShellExecuteW(nullptr, L"open", kWebSiteAddress, L"", L"", SW_HIDE);
                    return TRUE;
                case IDC_ABOUT_SEND_EMAIL:
                    ShellExecuteW(nullptr, L"open", SupportMailUrl().c_str(), L"", L"", SW_HIDE);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_CLOSE:
            EndDialog(dialog, 1);
            return TRUE;
        default:
            return FALSE;
    }
}

struct DepthData {
    std::uint32_t depth;
};

INT_PTR CALLBACK DepthProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<DepthData*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            data = reinterpret_cast<DepthData*>(lParam);
            SetDlgItemTextW(dialog, IDC_DEPTH_EDIT, std::to_wstring(data->depth).c_str());
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                data->depth = LeadingNumber(ItemText(dialog, IDC_DEPTH_EDIT).substr(0, 20000));
                EndDialog(dialog, 2);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, 2);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK LoadingProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

INT_PTR CALLBACK ProjectProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* p = reinterpret_cast<const ProjectDialogPorts*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            p = reinterpret_cast<const ProjectDialogPorts*>(lParam);
            SendDlgItemMessageW(dialog, IDC_PROJECT_DIRECTORIES, EM_SETLIMITTEXT,
                                project_file::kMaxDirectoriesChars, 0);
            SendDlgItemMessageW(dialog, IDC_PROJECT_OUTPUT_NAME, EM_SETLIMITTEXT,
                                project_file::kMaxOutputNameChars, 0);
            CheckDlgButton(dialog, IDC_PROJECT_ADD_COUNTER,
                           p->counter ? BST_CHECKED : BST_UNCHECKED);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_PROJECT_OPEN:
                    if (std::optional<std::wstring> path = p->chooseFile(FileDialog::OpenProject)) {
                        if (std::optional<ProjectFile> project =
                                ReadProjectFile(p->files, p->ui, *path)) {
                            SetDlgItemTextW(dialog, IDC_PROJECT_DIRECTORIES,
                                            project->directories.c_str());
                            SetDlgItemTextW(dialog, IDC_PROJECT_OUTPUT_NAME,
                                            project->outputName.c_str());
                            p->counter = project->counter;
                            CheckDlgButton(dialog, IDC_PROJECT_ADD_COUNTER,
                                           p->counter ? BST_CHECKED : BST_UNCHECKED);
                        }
                    }
                    return TRUE;
                case IDC_PROJECT_ADD_COUNTER:
                    p->counter = !p->counter;
                    CheckDlgButton(dialog, IDC_PROJECT_ADD_COUNTER,
                                   p->counter ? BST_CHECKED : BST_UNCHECKED);
                    return TRUE;
                case IDC_PROJECT_SAVE: {
                    ProjectFile project;
                    project.directories = ItemText(dialog, IDC_PROJECT_DIRECTORIES);
                    project.outputName = ItemText(dialog, IDC_PROJECT_OUTPUT_NAME);
                    project.counter = p->counter;
                    if (std::optional<std::wstring> path = p->chooseFile(FileDialog::SaveProject)) {
                        WriteProjectFile(p->files, p->ui, *path, project);
                    }
                    EndDialog(dialog, IDC_PROJECT_SAVE);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}
}  // namespace

std::optional<std::wstring> ChooseFileWithDialog(HWND owner, FileDialog kind) {
    const FileDialogSpec spec = FileDialogSpecOf(kind);
    std::vector<wchar_t> file(26000, L'\0');
    std::vector<wchar_t> title(26000, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = spec.filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = 25999;
    ofn.lpstrFileTitle = title.data();
    ofn.nMaxFileTitle = 25999;
    ofn.lpstrDefExt = spec.defaultExtension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (spec.overwritePrompt) {
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    }
    if (spec.createPrompt) {
        ofn.Flags |= OFN_CREATEPROMPT;
    }
    const BOOL chosen = spec.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) {
        return std::nullopt;
    }
    return std::wstring(file.data());
}

void RunAboutDialog(HWND owner) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
}

std::uint32_t RunDepthDialog(HWND owner, std::uint32_t current) {
    DepthData data{current};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DEPTH), owner, DepthProc,
                    reinterpret_cast<LPARAM>(&data));
    return data.depth;
}

HWND ShowLoadingDialog(HWND owner) {
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LOADING),
                                     owner, LoadingProc, 0);
    if (dialog != nullptr) {
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
    }
    return dialog;
}

void RunProjectDialog(HWND owner, const ProjectDialogPorts& ports) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROJECT_SETTINGS), owner,
                    ProjectProc, reinterpret_cast<LPARAM>(&ports));
}

}  // namespace quorel::win32
