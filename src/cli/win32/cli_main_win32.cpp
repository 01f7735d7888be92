// Entry point of quorel-cli.exe: every command, on the Win32 API.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <utility>
#include <vector>

#include "cli/cli.h"
#include "cli/console_interaction.h"
#include "cli/volume_option.h"
#include "cli/win32/process_token.h"
#include "platform/file_io_port.h"
#include "platform/win32/win32_platform.h"

int wmain(int argc, wchar_t** argv) {
    // Messages are written as UTF-8; let the console show them as such.
    SetConsoleOutputCP(CP_UTF8);
    // Output files written to stdout keep their CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    quorel::win32::Win32Platform platform;
    quorel::ConsoleInteraction ui;
    quorel::CliEnvironment env;
    const std::unique_ptr<quorel::FileIoPort> files = quorel::makeStandardFileIo();
    env.files = files.get();
    env.ui = &ui;
    env.security = &platform;
    env.accounts = &platform;
    env.fileSystem = &platform;
    const quorel::sim::CaptureToken token = quorel::win32::ProcessToken();
    env.token = &token;
    return quorel::RunCliWithVolume(std::move(args), env);
}
