#pragma once

#include "app/app_windows.h"

namespace quorel::win32 {

// The start window "Rizive_StartWin": the logo, the product line and five
// picture buttons. Runs its own loop; closing it means Exit.
StartChoice RunStartWindow();

}  // namespace quorel::win32
