#pragma once

#include <string>

namespace quorel {

enum class MessageIcon { None, Error, Warning, Information, Question };
// YesNoDefaultNo: Yes and No with No as the default button (a question
// whose Yes changes files).
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Everything the domain shows to or asks of the user: message boxes, the
// status bar, the progress window, and the end of the process. The GUI shows
// real windows, the console companion writes to stderr, tests record.
class InteractionPort {
  public:
    virtual ~InteractionPort() = default;

    // Shows a message box (no owner when `caption` names a fatal failure)
    // and returns the button the user chose; Ok for a single-button box.
    virtual MessageAnswer showMessage(const std::wstring& text, const std::wstring& caption,
                                      MessageIcon icon,
                                      MessageButtons buttons = MessageButtons::Ok) = 0;

    // Writes `text` into part `part` of the main window's status bar.
    virtual void setStatusText(int part, const std::wstring& text) = 0;

    // Shows `text` in the progress window and handles the window messages
    // that are pending, so that its Cancel button can be pressed.
    virtual void showProgressText(const std::wstring& text) = 0;

    // Handles pending window messages without changing any text.
    virtual void pumpMessages() = 0;

    // The busy window of a long ACL run ("Heartbeat Window"): shown at its
    // start and closed at its end; between them the run calls pumpMessages
    // once per item and stops when cancelRequested says so. A front end
    // without such a window ignores both calls.
    virtual void showHeartbeat() {}
    virtual void closeHeartbeat() {}

    // True once the user pressed Cancel in the progress window; stays set
    // until clearCancel, which the controller calls before a scan.
    virtual bool cancelRequested() = 0;
    virtual void clearCancel() = 0;
};

}  // namespace quorel
