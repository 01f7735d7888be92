#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/account_port.h"
#include "platform/file_system_port.h"
#include "platform/security_port.h"
#include "platform/sid.h"

// Capturing folder trees of a machine into a volume file (volume_file.h), so
// that a change can be rehearsed on a copy: the trees with every item's
// descriptor, the folders above each tree with theirs (what the trees
// inherit from), every account their descriptors name, and the account the
// capture runs as.
namespace quorel::sim {

// The account a capture runs as: the volume's token and computer.
struct CaptureToken {
    std::wstring computer;
    std::optional<Sid> user;  // nothing: the volume has no current user
    std::vector<Sid> groups;  // the token's enabled groups, the user not included
    bool takeOwnership = false;
    bool restore = false;
    bool backup = false;
};

struct VolumeCapture {
    std::string text;                // the volume file, when `error` is empty
    std::string error;               // why nothing could be written
    std::vector<std::string> notes;  // "C:\data\x: ..." what was left out or changed
    std::size_t items = 0;           // items written, the trees' roots included
    std::size_t accounts = 0;        // account records written
};

// Reads the trees below `roots` (absolute paths: "C:\data", "\\server\share")
// through the ports. An item whose descriptor cannot be read is written
// with a `fail read` record, an account that cannot be looked up as
// deleted (ERROR_NONE_MAPPED) or with a `fail lookup` record; links are
// written, never entered. Items a volume file cannot hold are left out
// (a note says so); a file that is a reparse point is written as a file.
VolumeCapture captureVolume(const std::vector<std::wstring>& roots, const CaptureToken& token,
                            FileSystemPort& fileSystem, SecurityPort& security,
                            AccountPort& accounts);

}  // namespace quorel::sim
