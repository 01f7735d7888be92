// The main window in the states worth a look, for screenshots: the sample
// file server of the simulated platform scanned and shown, then brought into
// one scene through the window's own messages. Creates READY_FILE when the
// scene is on screen and runs until it is ended.
//
//   matrix_scenes.exe SCENE READY_FILE
//
// Scenes: top, long-acl, compare, find, basic, narrow, deep, members, heartbeat,
// dialog-130, dialog-137, dialog-138, dialog-139, dialog-modifyace.
// scripts/matrix-screenshots takes a picture of each.

#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <string>

#include "accounts/account_lists.h"
#include "app/app_controller.h"
#include "app/editing_forms.h"
#include "app/main_view.h"
#include "core/dir_list.h"
#include "core/scanner.h"
#include "core/security_reader.h"
#include "filters/permissions.h"
#include "platform/file_io_port.h"
#include "platform/sim/sample_server.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/standard_files.h"
#include "resource.h"
#include "storage/dataset_file.h"
#include "ui/win32/editing_dialogs.h"
#include "ui/win32/gui_interaction.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_app_windows.h"

namespace {

using namespace quorel;

std::unique_ptr<CDirList> Scan(sim::SimPlatform& sim, InteractionPort& ui) {
    auto list = std::make_unique<CDirList>(ui);
    SecurityReader reader(sim, sim);
    Scanner scanner(*list, sim, reader, ui);
    scanner.ScanTree(L"C:\\Projects", 0);
    scanner.ScanTree(L"D:\\Shares", 0);
    return list;
}

// A folder whose ACL is longer than a screen.
void AddCrowd(sim::SimPlatform& sim) {
    sim::ObjectBuilder crowd = sim.dir(L"C:\\Projects\\Alpha\\Crowd");
    crowd.owner(well_known::administrators())
        .group(well_known::localSystem())
        .dacl()
        .allow(well_known::administrators(), 0x1F01FF, 0x03);
    for (int i = 1; i <= 60; ++i) {
        const Sid user = sim.accounts().addDomainUser(L"member" + std::to_wstring(i));
        if (i % 7 == 0) {
            crowd.deny(user, 0x100116, 0x03);
        } else {
            crowd.allow(user, i % 2 ? 0x1200A9 : 0x1301BF, 0x03);
        }
    }
}

int IndexOf(const AppController& app, const std::wstring& path) {
    const auto& lines = app.view().lines().lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i]->path() == path) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

void Scroll(HWND hwnd, int code, int position = 0) {
    SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(code, position), 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        return 2;
    }
    const std::wstring scene = argv[1];
    const std::wstring ready = argv[2];
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);

    sim::SimPlatform sim;
    win32::GuiInteraction ui;
    win32::Win32AppWindows windows(ui, sim, sim::standardFiles());
    AppController app(AppPorts{sim::standardFiles(), sim, sim, sim, sim, ui, windows},
                      {L"", std::wstring(temp) + L"quorel-scenes"});
    windows.SetController(app);
    sim::BuildSampleServer(sim);

    if (scene == L"compare") {
        // The saved scan had old.txt and other rights; the disk now has
        // new.txt, one more ACE on Alpha, and bob may write budget.xlsx.
        sim::SimPlatform before;
        sim::BuildSampleServer(before);
        before.file(L"C:\\Projects\\Alpha\\old.txt").allow(well_known::users(), 0x1200A9);
        const std::wstring saved = std::wstring(temp) + L"quorel-scene-before.acl";
        auto old = Scan(before, ui);
        NameTables names;
        RebuildNameTables(*old, names);
        WriteDatasetFile(sim::standardFiles(), ui, *old, saved, names);
        sim.file(L"C:\\Projects\\Alpha\\new.txt").allow(well_known::users(), 0x1F01FF);
        sim.dir(L"C:\\Projects\\Alpha")
            .allow(sim.accounts().addDomainUser(L"erin"), 0x1200A9, 0x03);
        sim.file(L"C:\\Projects\\Alpha\\plan.docx").dacl().allow(well_known::users(), 0x1F01FF);
        app.view().ShowDataset(Scan(sim, ui), DatasetOrigin::Scan);
        app.view().CompareToFile(saved);
        app.view().RebuildLines();
    } else {
        if (scene == L"long-acl") {
            AddCrowd(sim);
        }
        app.view().ShowDataset(Scan(sim, ui), DatasetOrigin::Scan);
    }

    win32::MainWindow window(app, ui, windows);
    HWND hwnd = window.Create();
    if (hwnd == nullptr) {
        return 1;
    }
    if (scene == L"long-acl") {
        Scroll(hwnd, SB_THUMBTRACK, IndexOf(app, L"C:\\Projects\\Alpha\\Crowd"));
        for (int i = 0; i < 25; ++i) {
            Scroll(hwnd, SB_LINEDOWN);
        }
    } else if (scene == L"find") {
        SendMessageW(hwnd, WM_COMMAND, IDM_FIND, 0);
        SetWindowTextW(GetDlgItem(hwnd, 14), L"alice");
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(17, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, 17)));
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(16, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, 16)));
    } else if (scene == L"compare") {
        Scroll(hwnd, SB_THUMBTRACK, IndexOf(app, L"C:\\Projects\\Alpha\\plan.docx") - 1);
    } else if (scene == L"basic") {
        SendMessageW(hwnd, WM_COMMAND, IDM_BASIC_PERMISSION_SET, 0);
        Scroll(hwnd, SB_THUMBTRACK, IndexOf(app, L"C:\\Projects\\Alpha\\budget.xlsx"));
    } else if (scene == L"narrow") {
        // Every named right as a column: more columns than the window holds.
        DisplayedRights rights;
        rights.clear();
        for (const NamedRight& r : namedRights()) {
            rights.AppendRightColumn(r.mask, r.abbreviation);
        }
        app.view().SetRights(rights);
        RECT frame{};
        GetWindowRect(hwnd, &frame);
        SetWindowPos(hwnd, nullptr, 0, 0, (frame.right - frame.left) * 5 / 8,
                     frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
        SendMessageW(hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 100), 0);
    } else if (scene == L"deep") {
        Scroll(hwnd, SB_THUMBTRACK, IndexOf(app, L"C:\\Projects\\Alpha\\Design\\2026"));
        // Down to the deepest folder's block, line by line.
        for (int i = 0; i < 24; ++i) {
            Scroll(hwnd, SB_LINEDOWN);
        }
    } else if (scene == L"members") {
        app.view().SetBreakDownGroups(true);
        app.RebuildMemberMaps(*app.view().dataset(), true);
        SendMessageW(hwnd, WM_COMMAND, IDM_SHOW_COMPLETE_PATH, 0);
    }
    UpdateWindow(hwnd);
    auto signalReady = [&] {
        CloseHandle(
            CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    };
    // The editing dialogs and the heartbeat, over the main window.
    if (scene.rfind(L"dialog-", 0) == 0 || scene == L"heartbeat") {
        signalReady();
        if (scene == L"dialog-137") {
            InheritanceFlagsForm form(0x03);
            win32::RunInheritanceFlagsDialog(hwnd, form);
        } else if (scene == L"dialog-138") {
            InheritSettingsForm form;
            form.Click(20);
            win32::RunInheritSettingsDialog(hwnd, form);
        } else if (scene == L"dialog-139") {
            RestoreForm form;
            win32::RunRestoreDialog(hwnd, form);
        } else if (scene == L"dialog-130") {
            AccountLists lists;
            lists.BuildAccountLists(sim);
            win32::RunAddUserDialog(hwnd, lists, sim);
        } else if (scene == L"dialog-modifyace") {
            ModifyAceForm form(0x1301BF, 0x03, 0);
            win32::RunModifyAceDialog(hwnd, form, L"Staff");
        } else {
            ui.showHeartbeat();
            for (;;) {
                ui.pumpMessages();
                Sleep(20);
            }
        }
        return 0;
    }
    signalReady();
    window.RunLoop();
    return 0;
}
