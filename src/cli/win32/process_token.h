#pragma once

#include "platform/sim/volume_capture.h"

namespace quorel::win32 {

// The computer and the process token: its user, the groups that grant
// access (enabled, neither deny-only nor the logon session's nor an
// integrity label: "TOKEN_GROUPS structure", "SID_AND_ATTRIBUTES") and the
// privileges a capture records ("Privilege Constants").
sim::CaptureToken ProcessToken();

}  // namespace quorel::win32
