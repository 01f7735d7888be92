#pragma once

// Test support for the controller and the main view: the program's windows
// answered from a script.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_windows.h"
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

}  // namespace quorel::test
