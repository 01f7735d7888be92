#include "platform/sim/recording_interaction.h"

namespace quorel::sim {

void RecordingInteraction::scriptAnswers(std::vector<MessageAnswer> answers) {
    answers_.assign(answers.begin(), answers.end());
}

std::vector<Interaction> RecordingInteraction::messages() const {
    std::vector<Interaction> result;
    for (const Interaction& e : events_) {
        if (e.kind == Interaction::Kind::Message) {
            result.push_back(e);
        }
    }
    return result;
}

std::vector<std::wstring> RecordingInteraction::messageTexts() const {
    std::vector<std::wstring> result;
    for (const Interaction& e : events_) {
        if (e.kind == Interaction::Kind::Message) {
            result.push_back(e.text);
        }
    }
    return result;
}

std::vector<std::wstring> RecordingInteraction::progressTexts() const {
    std::vector<std::wstring> result;
    for (const Interaction& e : events_) {
        if (e.kind == Interaction::Kind::Progress) {
            result.push_back(e.text);
        }
    }
    return result;
}

std::vector<std::wstring> RecordingInteraction::statusTexts(int part) const {
    std::vector<std::wstring> result;
    for (const Interaction& e : events_) {
        if (e.kind == Interaction::Kind::Status && e.part == part) {
            result.push_back(e.text);
        }
    }
    return result;
}

void RecordingInteraction::clear() {
    events_.clear();
    progressCount_ = 0;
    pumps_ = 0;
}

MessageAnswer RecordingInteraction::showMessage(const std::wstring& text,
                                                const std::wstring& caption, MessageIcon icon,
                                                MessageButtons buttons) {
    events_.push_back({Interaction::Kind::Message, text, caption, icon, buttons, 0});
    if (!answers_.empty() && buttons != MessageButtons::Ok) {
        MessageAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    switch (buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Yes;
        case MessageButtons::YesNoDefaultNo:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Ok;
    }
}

void RecordingInteraction::setStatusText(int part, const std::wstring& text) {
    events_.push_back(
        {Interaction::Kind::Status, text, L"", MessageIcon::None, MessageButtons::Ok, part});
}

void RecordingInteraction::showProgressText(const std::wstring& text) {
    events_.push_back(
        {Interaction::Kind::Progress, text, L"", MessageIcon::None, MessageButtons::Ok, 0});
    ++pumps_;
    ++progressCount_;
    if (cancelAt_ != 0 && progressCount_ == cancelAt_) {
        cancel_ = true;
    }
}

}  // namespace quorel::sim
