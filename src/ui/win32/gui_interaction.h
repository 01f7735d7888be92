#pragma once

#include <windows.h>

#include <string>

#include "platform/interaction_port.h"
#include "platform/process_end.h"
#include "ui/win32/heartbeat_window.h"
#include "ui/win32/progress_window.h"

namespace quorel::win32 {

// The interaction port of the desktop program: message boxes owned by the
// main window (none for a fatal failure, whose caption repeats its text),
// the status bar's three parts with their kept texts, the progress window.
class GuiInteraction : public InteractionPort {
  public:
    GuiInteraction() : progress_(cancel_), heartbeat_(cancel_) {}

    MessageAnswer showMessage(const std::wstring& text, const std::wstring& caption,
                              MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok) override;
    void setStatusText(int part, const std::wstring& text) override;
    void showProgressText(const std::wstring& text) override;
    void pumpMessages() override;
    void showHeartbeat() override { heartbeat_.Show(main_); }
    void closeHeartbeat() override { heartbeat_.Close(); }
    bool cancelRequested() override { return cancel_; }
    void clearCancel() override { cancel_ = false; }

    // The main window and its status bar, once they exist (null again
    // when the window goes).
    void AttachMainWindow(HWND mainWindow, HWND statusBar);
    HWND mainWindow() const { return main_; }
    // Sets every part's kept text again (after a resize).
    void ReapplyStatusTexts();
    const std::wstring& statusText(int part) const { return kept_[part]; }

    ProgressWindow& progress() { return progress_; }

  private:
    bool cancel_ = false;
    ProgressWindow progress_;
    HeartbeatWindow heartbeat_;
    HWND main_ = nullptr;
    HWND status_ = nullptr;
    std::wstring kept_[3];
};

// Shows the message of `end` (when it has one) through `ui`, error icon,
// and ends the process with its exit code.
[[noreturn]] void EndProcess(InteractionPort& ui, const ProcessEnd& end);

}  // namespace quorel::win32
