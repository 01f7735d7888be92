#include "view/view_state.h"

#include <algorithm>

namespace quorel {

using namespace view_change;

unsigned MainViewState::ResetScroll(unsigned count) {
    displayCount_ = count;
    topEntry_ = 0;
    lineOffset_ = 0;
    vScrollPos_ = 0;
    // An empty list (one slot) keeps an empty range rather than 0..-1.
    vScrollMax_ = count > kScrollSteps ? static_cast<int>(kScrollSteps)
                                       : std::max(0, static_cast<int>(count) - 2);
    return kVerticalBox | kVerticalRange | kRedraw;
}

void MainViewState::SetVerticalFromTop() {
    const int last = std::max(0, static_cast<int>(displayCount_) - 2);
    topEntry_ = std::clamp(topEntry_, 0, last);
    if (displayCount_ > kScrollSteps) {
        vScrollPos_ =
            static_cast<int>(static_cast<long long>(topEntry_) * kScrollSteps / displayCount_);
    } else {
        vScrollPos_ = topEntry_;
    }
}

void MainViewState::AdoptTop(ViewTop top) {
    topEntry_ = top.entry;
    lineOffset_ = top.offset;
    SetVerticalFromTop();
}

unsigned MainViewState::MoveTopTo(int entry) {
    topEntry_ = entry;
    lineOffset_ = 0;
    SetVerticalFromTop();
    return kVerticalBox | kRedraw;
}

unsigned MainViewState::moveVertically(int entryDelta, int offsetDelta, bool resetOffset) {
    topEntry_ += entryDelta;
    lineOffset_ = resetOffset ? 0 : lineOffset_ + offsetDelta;
    SetVerticalFromTop();
    return kVerticalBox | kRedraw;
}

unsigned MainViewState::OnVerticalScroll(int code, int thumb) {
    switch (code) {
        case scroll_code::kLineUp:
            return moveVertically(0, -1, false);
        case scroll_code::kLineDown:
            return moveVertically(0, 1, false);
        case scroll_code::kPageUp:
            return moveVertically(-1, 0, true);
        case scroll_code::kPageDown:
            return moveVertically(1, 0, true);
        case scroll_code::kThumbTrack:
            // The thumb scaled back over the whole list; any thumb position
            // costs one layout of one screen.
            topEntry_ =
                displayCount_ > kScrollSteps
                    ? static_cast<int>(static_cast<long long>(thumb) * displayCount_ / kScrollSteps)
                    : thumb;
            return moveVertically(0, 0, true);
        default:
            SetVerticalFromTop();
            return kVerticalBox | kRedraw;
    }
}

unsigned MainViewState::OnHorizontalScroll(int code, int thumb) {
    int next = hScroll_;
    switch (code) {
        case scroll_code::kLineUp:
            next -= 1;
            break;
        case scroll_code::kLineDown:
            next += 1;
            break;
        case scroll_code::kPageUp:
            next -= 10;
            break;
        case scroll_code::kPageDown:
            next += 10;
            break;
        case scroll_code::kThumbTrack:
            next = thumb;
            break;
        default:
            break;
    }
    next = std::clamp(next, 0, kHScrollMax);
    if (next == hScroll_) {
        return kNone;
    }
    hScroll_ = next;
    return kHorizontalBox | kRedraw;
}

unsigned MainViewState::OnKeyCommand(int id) {
    switch (id) {
        case view_command::kScrollRight:
            return OnHorizontalScroll(scroll_code::kLineDown, 0);
        case view_command::kScrollLeft:
            return OnHorizontalScroll(scroll_code::kLineUp, 0);
        case view_command::kLineUp:
            return moveVertically(0, -1, false);
        case view_command::kLineDown:
            return moveVertically(0, 1, false);
        case view_command::kPageUp:
            return moveVertically(-1, 0, true);
        case view_command::kPageDown:
            return moveVertically(1, 0, true);
        default:
            return kNone;
    }
}

unsigned MainViewState::OnMouseWheel(int delta) {
    const int n = delta / 120;  // toward zero: less than a notch is 0
    switch (wheelMode_) {
        case kWheelSlow:
            // Up unless the wheel turned toward the user.
            lineOffset_ += n < 0 ? 1 : -1;
            break;
        case kWheelNormal:
            topEntry_ -= n;
            lineOffset_ = 0;
            break;
        case kWheelFast:
            topEntry_ -= 4 * n;
            lineOffset_ = 0;
            break;
    }
    topEntry_ = std::max(0, topEntry_);
    SetVerticalFromTop();
    return kVerticalBox | kRedraw;
}

unsigned MainViewState::OnMiddleButton() {
    wheelMode_ = static_cast<WheelMode>((wheelMode_ + 1) % 3);
    return kWheelWord;
}

unsigned MainViewState::OnWheelMenu(int id) {
    switch (id) {
        case view_command::kWheelHigh:
            wheelMode_ = kWheelFast;
            break;
        case view_command::kWheelNormal:
            wheelMode_ = kWheelNormal;
            break;
        case view_command::kWheelLow:
            wheelMode_ = kWheelSlow;
            break;
        default:
            return kNone;
    }
    return kWheelWord;
}

const wchar_t* MainViewState::wheelWord() const {
    switch (wheelMode_) {
        case kWheelSlow:
            return L"Slow Scroll";
        case kWheelNormal:
            return L"Normal Scroll";
        default:
            return L"Fast Scroll";
    }
}

const wchar_t* MainViewState::ToggleShowCompletePath() {
    showCompletePath_ = !showCompletePath_;
    return showCompletePath_ ? L"Show complete path of files."
                             : L"Show only filename instead of complete path.";
}

void MainViewState::OnKeyDown(int virtualKey) {
    modifierKey_ = virtualKey == kKeyControl ? modifier_key::kControl
                   : virtualKey == kKeyShift ? modifier_key::kShift
                                             : modifier_key::kNone;
}

void MainViewState::OnKeyUp(int virtualKey) {
    if (virtualKey == kKeyControl || virtualKey == kKeyShift) {
        modifierKey_ = modifier_key::kNone;
    }
}

}  // namespace quorel
