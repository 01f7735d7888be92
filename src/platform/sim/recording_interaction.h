#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/interaction_port.h"

namespace quorel::sim {

// One thing the domain showed or asked.
struct Interaction {
    enum class Kind { Message, Status, Progress };
    Kind kind;
    std::wstring text;
    std::wstring caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    int part = 0;  // status bar part

    friend bool operator==(const Interaction&, const Interaction&) = default;
};

// The interaction port for tests: records every message box, status text,
// progress text and the end of the process, answers questions from a
// script, and can press Cancel after a given number of progress updates.
class RecordingInteraction : public InteractionPort {
  public:
    // Answers given to the next questions, in order; when the script is used
    // up, a box is answered with its first button (Ok or Yes).
    void scriptAnswers(std::vector<MessageAnswer> answers);
    // Presses Cancel while the n-th progress text (1-based) is shown.
    void cancelAtProgress(std::size_t n) { cancelAt_ = n; }
    // Presses Cancel during the n-th pumpMessages call (1-based).
    void cancelAtPump(std::size_t n) { cancelAtPump_ = n; }
    bool heartbeatShown() const { return heartbeatShown_; }
    std::size_t heartbeatCount() const { return heartbeats_; }

    const std::vector<Interaction>& events() const { return events_; }
    std::vector<Interaction> messages() const;
    std::vector<std::wstring> messageTexts() const;
    std::vector<std::wstring> progressTexts() const;
    std::vector<std::wstring> statusTexts(int part) const;
    std::size_t pumpCount() const { return pumps_; }
    void clear();

    MessageAnswer showMessage(const std::wstring& text, const std::wstring& caption,
                              MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok) override;
    void setStatusText(int part, const std::wstring& text) override;
    void showProgressText(const std::wstring& text) override;
    void pumpMessages() override {
        if (++pumps_ == cancelAtPump_) {
            cancel_ = true;
        }
    }
    void showHeartbeat() override {
        heartbeatShown_ = true;
        ++heartbeats_;
    }
    void closeHeartbeat() override { heartbeatShown_ = false; }
    bool cancelRequested() override { return cancel_; }
    void clearCancel() override { cancel_ = false; }

  private:
    std::vector<Interaction> events_;
    std::deque<MessageAnswer> answers_;
    std::size_t progressCount_ = 0;
    std::size_t cancelAt_ = 0;
    std::size_t pumps_ = 0;
    std::size_t cancelAtPump_ = 0;
    std::size_t heartbeats_ = 0;
    bool heartbeatShown_ = false;
    bool cancel_ = false;
};

}  // namespace quorel::sim
