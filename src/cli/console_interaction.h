#pragma once

#include <cstdio>

#include "platform/interaction_port.h"

namespace quorel {

// The interaction port of the console companion: what the desktop program
// shows in message boxes goes to stderr, one message per line, caption
// first when there is one. Questions take their default answer; status and
// progress texts are not shown.
class ConsoleInteraction : public InteractionPort {
  public:
    explicit ConsoleInteraction(std::FILE* err = stderr) : err_(err) {}

    MessageAnswer showMessage(const std::wstring& text, const std::wstring& caption,
                              MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok) override;
    void setStatusText(int, const std::wstring&) override {}
    void showProgressText(const std::wstring&) override {}
    void pumpMessages() override {}
    bool cancelRequested() override { return false; }
    void clearCancel() override {}

    // How many messages were shown.
    int messageCount() const { return messages_; }

  private:
    std::FILE* err_;
    int messages_ = 0;
};

}  // namespace quorel
