#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/app_windows.h"

namespace quorel {
class AccountLists;
class AccountPort;
class InheritSettingsForm;
class InheritanceFlagsForm;
class ModifyAceForm;
class RestoreForm;
}  // namespace quorel

namespace quorel::win32 {

// The editing dialogs (137, 138, 139, "MODIFYACE"): the form's check
// boxes shown, each click handed to the form and the boxes shown again.
// True after OK.
bool RunInheritanceFlagsDialog(HWND owner, InheritanceFlagsForm& form);
bool RunInheritSettingsDialog(HWND owner, InheritSettingsForm& form);
bool RunRestoreDialog(HWND owner, RestoreForm& form);
bool RunModifyAceDialog(HWND owner, ModifyAceForm& form, const std::wstring& trustee);
// "Add user" (130).
std::optional<AddUserChoice> RunAddUserDialog(HWND owner, AccountLists& lists,
                                              AccountPort& accounts);

}  // namespace quorel::win32
