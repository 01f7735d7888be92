#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/sim/sim_platform.h"

// A volume file (.qvol): the simulated platform written down as text.
// UTF-8 without byte-order mark, one record per line, fields separated by
// one TAB, '#' comments and blank lines ignored; the first line is
// "quorel-volume 1". Records:
//
//   computer  NAME
//   domain    NAME  SID  [CONTROLLER]       the first: this computer's domain
//   account   SID  DOMAIN\NAME  KIND  [MEMBER-SIDS]
//   token     SID  PRIVILEGES  GROUP-SIDS
//   dir       PATH  SDDL
//   file      PATH  SDDL
//   link      PATH  TAG  TARGET  SDDL       TAG: junction symlink mount placeholder
//   latency   MICROSECONDS
//   fail      KIND  PATH  ERROR             KIND: read write list lookup
//
// KIND of an account: user, group (a domain group), alias (a local group),
// wellknown, deleted (name "-"). Lists are comma-separated; "-" is an empty
// one. An account of a domain that no domain record names and that is not
// this computer, BUILTIN or a well-known authority is a local account of the
// file server of that name. A later dir/file/link record for a path replaces
// the earlier one (it keeps the items below it); a record's parent must
// come before it, except a drive or share root, which exists with the
// descriptor kRootSddl unless a record gives it one. A link is a folder; a
// placeholder's TARGET is "-". `fail list` ends the folder's listing after
// its first item. A last line without its line end that does not read as a
// record is one a writer was stopped in the middle of: it is left out
// (VolumeRead::cutOff).
//
// writeVolume writes the records in one order: the header, computer,
// domains (this computer's first), accounts, token, latency, then the
// items of each root depth-first in listing order (a root only when its
// descriptor is not kRootSddl or it holds nothing), then the faults of
// those items in the same order and the lookup faults. Comments and blank
// lines are not kept, and each path has one record. A file the writer
// wrote reads back and is written again byte for byte.
namespace quorel::sim {

// The descriptor of a root that no record describes: owner Administrators,
// SYSTEM and Administrators full control, protected.
inline constexpr std::string_view kRootSddl = "O:BAG:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

struct VolumeRead {
    std::unique_ptr<SimPlatform> platform;  // set on success
    std::string error;                      // otherwise: "line 12: ..."
    // A last line without its line end that does not read as a record was
    // left by a writer that stopped part-way: the volume is read without it,
    // `length` is the number of bytes read and `cutOff` says so ("line 9:
    // the record has no line end and is cut off (...): ignored").
    std::size_t length = 0;
    std::string cutOff;
};

VolumeRead readVolume(std::string_view text);

struct VolumeWrite {
    std::string text;   // set on success
    std::string error;  // otherwise: what the volume holds that a file cannot
};

VolumeWrite writeVolume(const SimPlatform& platform);

// The path of an object as a volume file names it ("C:\\", "C:\\data\\a",
// "\\\\server\\share\\b").
std::wstring recordPath(const SimObject& object);

// The record of one item ("dir\tC:\\data\tO:BA..." without a line end), or
// nothing when the item is a kind the file cannot hold.
std::optional<std::string> itemRecord(const std::wstring& path, const SimObject& object);

}  // namespace quorel::sim
