#pragma once

// Test support for the controller and the main view: the program's windows
// answered from a script.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_controller.h"
#include "app/app_windows.h"
#include "app/commands.h"
#include "app/editing_forms.h"
#include "app/main_view.h"
#include "filters/dynamic_filter_editor.h"
#include "filters/permission_selection.h"
#include "view/print_job.h"

namespace quorel::test {

// The windows of the program answered from a script; each call is logged.
class ScriptedWindows : public AppWindows {
  public:
    StartChoice ShowStartWindow() override {
        log.push_back(L"start");
        return startChoice;
    }
    std::optional<ScanConfiguration> RunConfigurationWindow(bool compareForm) override {
        log.push_back(compareForm ? L"config compare" : L"config");
        if (configs.empty()) {
            return std::nullopt;
        }
        std::optional<ScanConfiguration> c = configs.front();
        configs.pop_front();
        return c;
    }
    void ShowScanProgress(bool shellScan) override {
        log.push_back(shellScan ? L"progress shell" : L"progress");
    }
    void CloseScanProgress() override { log.push_back(L"progress closed"); }
    void ShowLoadingDialog() override { log.push_back(L"loading"); }
    void CloseLoadingDialog() override { log.push_back(L"loading closed"); }
    std::optional<std::wstring> ChooseFile(FileDialog kind) override {
        log.push_back(L"file dialog " + std::to_wstring(static_cast<int>(kind)));
        if (files.empty()) {
            return std::nullopt;
        }
        std::optional<std::wstring> f = files.front();
        files.pop_front();
        return f;
    }
    void RunMainWindow() override {
        log.push_back(L"main");
        if (onMain) {
            onMain();
        }
    }
    std::uint32_t RunDepthDialog(std::uint32_t current) override {
        log.push_back(L"depth " + std::to_wstring(current));
        return depthAnswer;
    }
    void ShowAboutDialog() override { log.push_back(L"about"); }
    void RunProjectDialog() override { log.push_back(L"project"); }
    void ShowErrorWindow() override { log.push_back(L"errors"); }
    bool OpenWithShell(const std::wstring& path) override {
        log.push_back(L"shell " + path);
        return shellWorks;
    }

    // The editing dialogs: `onDialog` may click the form's boxes; the
    // dialog then answers `dialogOk`.
    bool RunInheritanceFlagsDialog(InheritanceFlagsForm& form) override {
        log.push_back(L"flags dialog");
        if (onFlags) {
            onFlags(form);
        }
        return dialogOk;
    }
    bool RunInheritSettingsDialog(InheritSettingsForm& form) override {
        log.push_back(L"inherit dialog");
        if (onInherit) {
            onInherit(form);
        }
        return dialogOk;
    }
    bool RunRestoreDialog(RestoreForm& form) override {
        log.push_back(L"restore dialog");
        if (onRestore) {
            onRestore(form);
        }
        return dialogOk;
    }
    bool RunModifyAceDialog(ModifyAceForm& form, const std::wstring& trustee) override {
        log.push_back(L"modify ace dialog " + trustee);
        if (onModifyAce) {
            onModifyAce(form);
        }
        return dialogOk;
    }
    bool CopyToClipboard(const std::wstring& text) override {
        log.push_back(L"clipboard " + text);
        return clipboardWorks;
    }
    std::optional<AddUserChoice> RunAddUserDialog(AccountLists&, AccountPort&) override {
        log.push_back(L"add user dialog");
        return addUser;
    }

    bool dialogOk = true;
    bool clipboardWorks = true;
    std::function<void(InheritanceFlagsForm&)> onFlags;
    std::function<void(InheritSettingsForm&)> onInherit;
    std::function<void(RestoreForm&)> onRestore;
    std::function<void(ModifyAceForm&)> onModifyAce;
    std::optional<AddUserChoice> addUser;
    // The user's clicks in the filter windows; without a script the window
    // is closed with its close box.
    void RunDynamicFilterWindow(DynamicFilterEditor& editor) override {
        log.push_back(L"filters");
        if (onFilterWindow) {
            onFilterWindow(editor);
        } else {
            editor.Close();
        }
    }
    void RunPermissionWindow(PermissionSelection& selection) override {
        log.push_back(L"permissions");
        if (onPermissionWindow) {
            onPermissionWindow(selection);
        } else {
            selection.Close();
        }
    }
    std::unique_ptr<PrintDevice> ChoosePrinter() override {
        log.push_back(L"print dialog");
        return printer ? printer() : nullptr;
    }

    StartChoice startChoice = StartChoice::Exit;
    std::deque<std::optional<ScanConfiguration>> configs;
    std::deque<std::optional<std::wstring>> files;
    std::uint32_t depthAnswer = 0;
    bool shellWorks = false;
    std::function<void()> onMain;
    std::function<void(DynamicFilterEditor&)> onFilterWindow;
    std::function<void(PermissionSelection&)> onPermissionWindow;
    std::function<std::unique_ptr<PrintDevice>()> printer;  // none: the dialog was cancelled
    std::vector<std::wstring> log;
};

// The main window without the window: the matrix's view and the command
// table over a controller, as the window procedure holds them.
struct MainWindowModel {
    explicit MainWindowModel(AppController& app)
        : view(app.view(), app.edits(), app.gate()), commands(app, view) {}
    unsigned run(int id, const std::wstring& findText = L"") {
        return commands.Run(id, findText).changes;
    }
    // The menu state of item `id`; a failure when the menu does not set it.
    MainMenuItem item(int id) const {
        for (const MainMenuItem& item : commands.MenuStates(view.menuFlags())) {
            if (item.id == id) {
                return item;
            }
        }
        ADD_FAILURE() << "no state for " << id;
        return {};
    }
    MainView view;
    MainCommands commands;
};

}  // namespace quorel::test
