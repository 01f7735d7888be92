// Entry point of quorel-cli on systems without the Win32 API: the commands
// that need no Windows security API.

#include <cstdio>
#include <string>
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
    env.files = &quorel::standardFileIo();
    env.ui = &ui;
    quorel::VolumeOption volume;
    std::string error;
    if (!volume.take(args, *env.files, error)) {
        std::fprintf(stderr, "quorel-cli: %s\n", error.c_str());
        return quorel::cli_exit::kError;
    }
    volume.apply(env);
    return quorel::RunCli(args, env);
}
