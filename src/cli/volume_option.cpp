#include "cli/volume_option.h"

#include <cstdio>

#include "cli/cli.h"
#include "storage/utf16.h"

namespace quorel {

bool VolumeOption::take(std::vector<std::wstring>& args, FileIoPort& files, std::string& error) {
    if (args.empty() || args[0] != L"--volume") {
        return true;
    }
    if (args.size() < 2) {
        error = "--volume needs a volume file";
        return false;
    }
    const std::wstring path = args[1];
    args.erase(args.begin(), args.begin() + 2);
    std::string why;
    volume = sim::VolumeJournal::open(files, path, why);
    if (!volume) {
        error = "--volume " + toUtf8(path) + ": " + why;
        return false;
    }
    return true;
}

void VolumeOption::apply(CliEnvironment& env) {
    if (!volume) {
        return;
    }
    sim::SimPlatform& platform = volume->platform();
    env.security = volume.get();
    env.accounts = &platform;
    env.fileSystem = &platform;
    std::vector<Sid> sids = platform.accounts().tokenSids();
    token.computer = platform.accounts().machineName();
    token.user = platform.accounts().currentUser();
    token.groups.assign(sids.begin() + (sids.empty() ? 0 : 1), sids.end());
    token.takeOwnership = platform.takeOwnershipHeld();
    token.restore = platform.restoreHeld();
    token.backup = platform.backupHeld();
    env.token = &token;
}

int RunCliWithVolume(std::vector<std::wstring> args, CliEnvironment& env) {
    VolumeOption volume;
    std::string error;
    if (!volume.take(args, *env.files, error)) {
        std::fprintf(env.err, "quorel-cli: %s\n", error.c_str());
        return cli_exit::kError;
    }
    if (volume.volume && !volume.volume->cutOff().empty()) {
        std::fprintf(env.err, "quorel-cli: --volume: %s\n", volume.volume->cutOff().c_str());
    }
    volume.apply(env);
    return RunCli(args, env);
}

}  // namespace quorel
