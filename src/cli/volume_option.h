#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_io_port.h"
#include "platform/sim/volume_capture.h"
#include "platform/sim/volume_journal.h"

namespace quorel {

struct CliEnvironment;

// "--volume FILE" before the command: the command runs on the volume file
// FILE instead of the file system, security and accounts of this machine.
// Every write goes to FILE as a record (VolumeJournal); Quorel's own files
// (datasets, settings, projects, CSV) stay real files.
struct VolumeOption {
    std::unique_ptr<sim::VolumeJournal> volume;  // set when the option was given
    sim::CaptureToken token;                     // the volume's token, once applied

    // Takes a leading "--volume FILE" off `args` and opens FILE. True when
    // there was none or FILE opened; false with `error` ("--volume
    // FILE: line 3: ...") otherwise.
    bool take(std::vector<std::wstring>& args, FileIoPort& files, std::string& error);
    // Points the environment's security, account and file system ports and
    // its token at the volume, when one is open.
    void apply(CliEnvironment& env);
};

// RunCli after a leading "--volume FILE": on the volume when one is given;
// a volume that cannot be opened is an error (exit 2) with its message.
int RunCliWithVolume(std::vector<std::wstring> args, CliEnvironment& env);

}  // namespace quorel
