#pragma once

#include <windows.h>

#include <memory>

namespace quorel {
class PrintDevice;
}

namespace quorel::win32 {

// How the printer is asked for.
enum class PrinterChoice {
    Dialog,         // the print dialog, owned by the main window
    DefaultPrinter  // the default printer without a dialog (PD_RETURNDEFAULT)
};

// The printer the user chose, its DC set up for printing: the print font
// (Arial, u = LOGPIXELSY / 10 high) selected and the tick box pictures
// "HOOKON" and "HOOKOFF" loaded. Null when the dialog was cancelled or
// there is no printer. A picture that cannot be loaded ends the process
// after telling the user, as the window's other pictures do.
std::unique_ptr<PrintDevice> ChoosePrinter(HWND owner, PrinterChoice choice);

}  // namespace quorel::win32
