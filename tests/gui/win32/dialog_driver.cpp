#include "dialog_driver.h"

#include "program.h"
#include "remote_memory.h"
#include "window_access.h"

namespace quorel::gui {

namespace {
constexpr int kFileNameField = 0x47C;  // cmb13: ComboBoxEx32 > ComboBox > Edit

HWND FindMessageBox(DWORD pid, const wchar_t* caption) {
    for (HWND window : TopWindows(pid)) {
        if (ClassOf(window) != L"#32770" || GetDlgItem(window, 0xFFFF) == nullptr) {
            continue;
        }
        if (caption == nullptr || TitleOf(window) == caption) {
            return window;
        }
    }
    return nullptr;
}

HWND FindFileDialog(DWORD pid, const wchar_t* title) {
    for (HWND window : TopWindows(pid)) {
        if (ClassOf(window) == L"#32770" && TitleOf(window) == title &&
            GetDlgItem(window, kFileNameField) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

bool ContainsText(HWND parent, const std::wstring& text) {
    for (HWND child : Children(parent)) {
        if (TextOf(child) == text || ContainsText(child, text)) {
            return true;
        }
    }
    return false;
}

HWND FindFolderPicker(DWORD pid, const std::wstring& title) {
    for (HWND window : TopWindows(pid)) {
        if (ClassOf(window) == L"#32770" && Descendant(window, L"SysTreeView32") != nullptr &&
            ContainsText(window, title)) {
            return window;
        }
    }
    return nullptr;
}

HWND WaitFor(const Program& program, const std::function<HWND()>& find, const std::wstring& what,
             std::wstring& why) {
    HWND found = nullptr;
    PollUntil([&] {
        found = find();
        return found != nullptr || !program.Running();
    });
    if (found == nullptr) {
        why = L"no " + what + L" appeared; the program " + program.Describe() +
              L"; its windows:\n" + DescribeWindows(program.pid());
    }
    return found;
}
}  // namespace

MessageBoxSeen WaitForMessageBox(const Program& program, const wchar_t* caption, std::wstring& why,
                                 DWORD timeoutMs) {
    MessageBoxSeen box;
    HWND found = nullptr;
    PollUntil(
        [&] {
            found = FindMessageBox(program.pid(), caption);
            return found != nullptr || !program.Running();
        },
        timeoutMs);
    if (found == nullptr) {
        why = std::wstring(L"no message box captioned \"") + (caption ? caption : L"*") +
              L"\"; the program " + program.Describe() + L"; its windows:\n" +
              DescribeWindows(program.pid());
        return box;
    }
    box.window = found;
    box.caption = TextOf(found);
    box.text = TextOf(GetDlgItem(found, 0xFFFF));
    box.hasOk = GetDlgItem(found, IDOK) != nullptr;
    box.hasCancel = GetDlgItem(found, IDCANCEL) != nullptr;
    box.hasYes = GetDlgItem(found, IDYES) != nullptr;
    box.hasNo = GetDlgItem(found, IDNO) != nullptr;
    return box;
}

bool AnswerMessageBox(const MessageBoxSeen& box, int id) {
    HWND button = GetDlgItem(box.window, id);
    return button != nullptr && Click(button) && WaitUntilGone(box.window);
}

bool ChooseInFileDialog(const Program& program, const wchar_t* title, const std::wstring& path,
                        std::wstring& why) {
    HWND dialog = WaitFor(
        program, [&] { return FindFileDialog(program.pid(), title); },
        std::wstring(L"file dialog \"") + title + L"\"", why);
    if (dialog == nullptr) {
        return false;
    }
    HWND field = GetDlgItem(dialog, kFileNameField);
    HWND edit = ClassOf(field) == L"Edit" ? field : Descendant(field, L"Edit");
    if (edit == nullptr || !SetText(edit, path)) {
        why = L"the file dialog has no file name field to type into";
        return false;
    }
    if (!Click(GetDlgItem(dialog, IDOK)) || !WaitUntilGone(dialog)) {
        why = L"the file dialog stayed open after OK with \"" + path + L"\"; windows:\n" +
              DescribeWindows(program.pid());
        return false;
    }
    return true;
}

bool CancelFileDialog(const Program& program, const wchar_t* title, std::wstring& why) {
    HWND dialog = WaitFor(
        program, [&] { return FindFileDialog(program.pid(), title); },
        std::wstring(L"file dialog \"") + title + L"\"", why);
    if (dialog == nullptr) {
        return false;
    }
    if (!Click(GetDlgItem(dialog, IDCANCEL)) || !WaitUntilGone(dialog)) {
        why = L"the file dialog stayed open after Cancel";
        return false;
    }
    return true;
}

bool ChooseInFolderPicker(const Program& program, const std::wstring& title,
                          const std::wstring& path, std::wstring& why) {
    HWND picker = WaitFor(
        program, [&] { return FindFolderPicker(program.pid(), title); },
        L"folder picker showing \"" + title + L"\"", why);
    if (picker == nullptr) {
        return false;
    }
    // A picker that has just appeared may not have filled its tree yet and
    // then ignores the selection: select until the tree shows the folder.
    HWND tree = Descendant(picker, L"SysTreeView32");
    const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    std::optional<std::wstring> selected;
    const bool shown = PollUntil([&] {
        if (!SelectFolderInPicker(program.handle(), picker, path)) {
            return false;
        }
        selected = SelectedTreeItemText(program.handle(), tree);
        return selected == name;
    });
    if (!shown) {
        why = L"the folder picker did not select \"" + path + L"\"; its tree shows \"" +
              selected.value_or(L"<nothing>") + L"\"";
        return false;
    }
    if (!Click(GetDlgItem(picker, IDOK)) || !WaitUntilGone(picker)) {
        why = L"the folder picker stayed open after OK";
        return false;
    }
    return true;
}

}  // namespace quorel::gui
