// Entry point of quorel-cli on systems without the Win32 API: the commands
// that need no Windows security API.

#include <utility>
#include <vector>

#include "cli/cli.h"
#include "cli/console_interaction.h"
#include "cli/volume_option.h"
#include "platform/file_io_port.h"
#include "storage/utf16.h"

int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(quorel::fromUtf8(argv[i]));
    }
    quorel::ConsoleInteraction ui;
    quorel::CliEnvironment env;
    const std::unique_ptr<quorel::FileIoPort> files = quorel::makeStandardFileIo();
    env.files = files.get();
    env.ui = &ui;
    return quorel::RunCliWithVolume(std::move(args), env);
}
