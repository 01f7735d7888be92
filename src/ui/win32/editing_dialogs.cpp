#include "ui/win32/editing_dialogs.h"

#include <functional>
#include <vector>

#include "accounts/account_lists.h"
#include "app/editing_forms.h"
#include "resource.h"

namespace quorel::win32 {

namespace {

// A form behind a dialog: its boxes by control id.
struct FormBinding {
    std::vector<int> ids;
    std::function<bool(int)> checked;
    std::function<bool(int)> enabled;
    std::function<void(int)> click;
    std::wstring trustee;  // "MODIFYACE" names the ACE's trustee
};

void ShowForm(HWND dialog, const FormBinding& form) {
    for (int id : form.ids) {
        HWND box = GetDlgItem(dialog, id);
        if (box == nullptr) {
            continue;
        }
        SendMessageW(box, BM_SETCHECK, form.checked(id) ? BST_CHECKED : BST_UNCHECKED, 0);
        EnableWindow(box, form.enabled(id) ? TRUE : FALSE);
    }
}

INT_PTR CALLBACK FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<FormBinding*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            form = reinterpret_cast<FormBinding*>(lParam);
            // The arrow with the hourglass while an editing dialog is open.
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
            if (!form->trustee.empty()) {
                SetDlgItemTextW(dialog, IDC_MODIFY_ACE_TRUSTEE, form->trustee.c_str());
            }
            ShowForm(dialog, *form);
            return TRUE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDOK || id == IDCANCEL) {
                EndDialog(dialog, id == IDOK ? 1 : 0);
                return TRUE;
            }
            if (HIWORD(wParam) == BN_CLICKED && form != nullptr) {
                for (int known : form->ids) {
                    if (known == id) {
                        form->click(id);
                        ShowForm(dialog, *form);
                        return TRUE;
                    }
                }
            }
            return FALSE;
        }
        case WM_CLOSE:
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

template <class Form>
FormBinding Bind(Form& form, std::vector<int> ids) {
    FormBinding binding;
    binding.ids = std::move(ids);
    binding.checked = [&form](int id) { return form.checked(id); };
    binding.enabled = [&form](int id) { return form.enabled(id); };
    binding.click = [&form](int id) { form.Click(id); };
    return binding;
}

bool Run(HWND owner, const wchar_t* name, FormBinding& binding) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), name, owner, FormProc,
                           reinterpret_cast<LPARAM>(&binding)) == 1;
}

struct AlwaysEnabled {
    InheritanceFlagsForm& form;
    bool checked(int id) const { return form.checked(id); }
    bool enabled(int) const { return true; }
    void Click(int id) { form.Click(id); }
};

}  // namespace

bool RunInheritanceFlagsDialog(HWND owner, InheritanceFlagsForm& form) {
    AlwaysEnabled adapter{form};
    FormBinding binding = Bind(adapter, {20, 21, 22, 23});
    return Run(owner, MAKEINTRESOURCEW(IDD_MODIFY_INHERITANCE_FLAGS), binding);
}

bool RunInheritSettingsDialog(HWND owner, InheritSettingsForm& form) {
    FormBinding binding = Bind(form, {20, 21, 22, 23});
    return Run(owner, MAKEINTRESOURCEW(IDD_INHERITANCE_SETTINGS), binding);
}

bool RunRestoreDialog(HWND owner, RestoreForm& form) {
    FormBinding binding = Bind(form, {20, 21, 22, 23});
    return Run(owner, MAKEINTRESOURCEW(IDD_RESTORE_SETTINGS), binding);
}

bool RunModifyAceDialog(HWND owner, ModifyAceForm& form, const std::wstring& trustee) {
    std::vector<int> ids = {20, 21, 22, 23, 24, IDC_MODIFY_ACE_ALLOW, IDC_MODIFY_ACE_DENY};
    for (int i = 0; i < IDC_MODIFY_ACE_RIGHT_COUNT; ++i) {
        ids.push_back(IDC_MODIFY_ACE_FIRST_RIGHT + i);
    }
    FormBinding binding = Bind(form, std::move(ids));
    binding.trustee = trustee;
    return Run(owner, QUOREL_MODIFY_ACE_DIALOG_NAME, binding);
}

namespace {

struct AddUserData {
    AccountLists& lists;
    AccountPort& accounts;
    bool deny = false;
    std::optional<AddUserChoice> result;
};

void FillNames(HWND dialog, const AccountLists& lists, int list) {
    HWND names = GetDlgItem(dialog, IDC_ADD_USER_NAME);
    SendMessageW(names, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& n : lists.names(static_cast<AccountLists::List>(list))) {
        SendMessageW(names, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
    }
}

INT_PTR CALLBACK AddUserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<AddUserData*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            data = reinterpret_cast<AddUserData*>(lParam);
            data->deny = false;
            HWND choice = GetDlgItem(dialog, IDC_ADD_USER_LIST);
            for (const wchar_t* title : AccountLists::kTitles) {
                SendMessageW(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title));
            }
            SendMessageW(choice, CB_SETCURSEL, 0, 0);
            FillNames(dialog, data->lists, AccountLists::LocalUsers);
            SetFocus(choice);
            return FALSE;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDC_ADD_USER_LIST) {
                wchar_t text[64] = {};
                HWND choice = GetDlgItem(dialog, IDC_ADD_USER_LIST);
                const LRESULT sel = SendMessageW(choice, CB_GETCURSEL, 0, 0);
                if (sel != CB_ERR) {
                    SendMessageW(choice, CB_GETLBTEXT, static_cast<WPARAM>(sel),
                                 reinterpret_cast<LPARAM>(text));
                }
                const int list = AccountLists::ListOf(text);
                if (list >= 0 && HIWORD(wParam) == CBN_SELCHANGE) {
                    FillNames(dialog, data->lists, list);
                }
                return TRUE;
            }
            if (id == IDC_ADD_USER_DENY) {
                data->deny = !data->deny;
                CheckDlgButton(dialog, IDC_ADD_USER_DENY, data->deny ? BST_CHECKED : BST_UNCHECKED);
                return TRUE;
            }
            if (id == IDC_ADD_USER_REBUILD) {
                data->lists.BuildAccountLists(data->accounts);
                FillNames(dialog, data->lists, AccountLists::LocalUsers);
                SendMessageW(GetDlgItem(dialog, IDC_ADD_USER_LIST), CB_SETCURSEL, 0, 0);
                return TRUE;
            }
            if (id == IDOK) {
                std::wstring name(2001, L'\0');
                name.resize(static_cast<std::size_t>(
                    GetDlgItemTextW(dialog, IDC_ADD_USER_NAME, name.data(), 2001)));
                data->result = AddUserChoice{name, data->deny};
                EndDialog(dialog, 1);
                return TRUE;
            }
            if (id == IDCANCEL) {
                EndDialog(dialog, 0);
                return TRUE;
            }
            return FALSE;
        }
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<AddUserChoice> RunAddUserDialog(HWND owner, AccountLists& lists,
                                              AccountPort& accounts) {
    AddUserData data{lists, accounts, false, std::nullopt};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADD_USER), owner, AddUserProc,
                    reinterpret_cast<LPARAM>(&data));
    return data.result;
}

}  // namespace quorel::win32
