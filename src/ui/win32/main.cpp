// Entry point of quorel.exe, the desktop program.

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_controller.h"
#include "app/start_mode.h"
#include "platform/file_io_port.h"
#include "platform/sim/volume_journal.h"
#include "platform/win32/win32_platform.h"
#include "storage/utf16.h"
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
    std::wstring base = n > 0 && n < buffer.size() ? std::wstring(buffer.data(), n) : L"";
    // Without the variable, the folder it names ("SHGetKnownFolderPath"),
    // never the root of the current drive.
    PWSTR known = nullptr;
    if (base.empty() &&
        SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known))) {
        base = known;
    }
    CoTaskMemFree(known);
    std::wstring folder = base + L"\\Quorel";
    CreateDirectoryW(folder.c_str(), nullptr);  // an existing folder is fine
    return folder;
}

// The volume file a leading "--volume FILE" names, opened; null (after
// telling the user why) when it cannot be opened.
std::unique_ptr<quorel::sim::VolumeJournal> OpenVolume(quorel::FileIoPort& files,
                                                       const quorel::VolumeArgument& argument) {
    std::string error = "--volume needs a volume file";
    std::unique_ptr<quorel::sim::VolumeJournal> volume;
    if (!argument.missingVolume) {
        volume = quorel::sim::VolumeJournal::open(files, argument.volume, error);
        error = quorel::toUtf8(argument.volume) + ": " + error;
    }
    if (!volume) {
        MessageBoxW(nullptr, quorel::fromUtf8(error).c_str(), L"Quorel", MB_OK | MB_ICONERROR);
    } else if (!volume->cutOff().empty()) {
        const std::string note = quorel::toUtf8(argument.volume) + ": " + volume->cutOff();
        MessageBoxW(nullptr, quorel::fromUtf8(note).c_str(), L"Quorel", MB_OK | MB_ICONWARNING);
    }
    return volume;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the folder picker needs COM

    const quorel::VolumeArgument arguments =
        quorel::TakeVolumeArgument(quorel::ArgumentsOfCommandLine(GetCommandLineW()));
    const std::unique_ptr<quorel::FileIoPort> files = quorel::makeStandardFileIo();
    std::unique_ptr<quorel::sim::VolumeJournal> volume;
    if (!arguments.volume.empty() || arguments.missingVolume) {
        volume = OpenVolume(*files, arguments);
        if (!volume) {
            CoUninitialize();
            return 1;
        }
    }
    // Everything but Quorel's own files goes to the volume when one is open.
    quorel::win32::Win32Platform win32;
    quorel::SecurityPort& security = volume ? *volume : static_cast<quorel::SecurityPort&>(win32);
    quorel::sim::SimPlatform* sim = volume ? &volume->platform() : nullptr;
    quorel::FileSystemPort& fileSystem = sim ? static_cast<quorel::FileSystemPort&>(*sim) : win32;
    quorel::AccountPort& accounts = sim ? static_cast<quorel::AccountPort&>(*sim) : win32;
    quorel::PrivilegePort& privileges = sim ? static_cast<quorel::PrivilegePort&>(*sim) : win32;

    quorel::win32::GuiInteraction ui;
    quorel::win32::Win32AppWindows windows(ui, fileSystem, *files);
    quorel::AppFolders folders{quorel::ProgramFolderOf(ModulePath()), DataFolder()};
    quorel::AppPorts ports{*files, fileSystem, security, accounts, privileges, ui, windows};
    quorel::AppController app(ports, std::move(folders));
    windows.SetController(app);
    quorel::win32::AttachTestHook(app);
    const quorel::ProcessEnd end = app.Startup(arguments.rest);
    if (!end.text.empty()) {
        quorel::win32::EndProcess(ui, end);
    }
    CoUninitialize();
    return end.exitCode;
}
