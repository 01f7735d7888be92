// Entry point of quorel.exe, the desktop program.

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "app/app_controller.h"
#include "app/start_mode.h"
#include "platform/file_io_port.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/gui_interaction.h"
#include "ui/win32/test_hook.h"
#include "ui/win32/win32_app_windows.h"

namespace {

std::wstring ModulePath() {
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), n);
}

std::wstring DataFolder() {
    std::vector<wchar_t> buffer(2000, L'\0');
    const DWORD n =
        GetEnvironmentVariableW(L"LOCALAPPDATA", buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring folder =
        (n > 0 && n < buffer.size() ? std::wstring(buffer.data(), n) : std::wstring()) +
        L"\\Quorel";
    CreateDirectoryW(folder.c_str(), nullptr);  // an existing folder is fine
    return folder;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the folder picker needs COM

    quorel::win32::Win32Platform platform;
    quorel::win32::GuiInteraction ui;
    quorel::win32::Win32AppWindows windows(ui, platform, quorel::standardFileIo());
    quorel::AppFolders folders{quorel::ProgramFolderOf(ModulePath()), DataFolder()};
    quorel::AppPorts ports{
        quorel::standardFileIo(), platform, platform, platform, platform, ui, windows};
    quorel::AppController app(ports, std::move(folders));
    windows.SetController(app);
    quorel::win32::AttachTestHook(app);
    const int code = app.Startup(quorel::ArgumentsOfCommandLine(GetCommandLineW()));
    CoUninitialize();
    return code;
}
