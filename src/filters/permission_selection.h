#pragma once

// The permission selection window ("Select Permissions to Display") without
// the window: the nineteen check marks, the rule of "All Permissions (all)",
// the "?" note, and the columns OK builds.

#include <array>
#include <cstddef>
#include <string_view>

namespace quorel {

class DisplayedRights;
class InteractionPort;

// The "?" note on the generic flags, word for word as users know it.
constexpr std::wstring_view kGenericFlagsInfoText =
    L"Warning: use gerneric flags only if you know what you are doing. In some cases windows "
    L"converts gerneric flags into normal flags when you change them. Also if you inherit them "
    L"they are converted into a combination of convertional flags. If you set a generic flag "
    L"and windows converts it to a combination of normal flags you cannot unset the flags by "
    L"clicking on the generic flag again. In this case you have to uncheck the specific "
    L"convertional flags.";
constexpr std::wstring_view kGenericFlagsInfoCaption = L"Info about generic flags";

class PermissionSelection {
  public:
    // One mark per named right, in the order of namedRights(): all, g_all,
    // g_rd, g_wr, g_ex, ex, rd, ..., sync.
    static constexpr std::size_t kCount = 19;
    static constexpr std::size_t kAll = 0;

    enum class Outcome { Open, Ok, Cancel, Closed };

    // Opens on the displayed columns `rights`, which OK rebuilds. A right is
    // checked when some column has exactly its mask: of the basic set only
    // full_acc (the mask of `all`) checks anything.
    PermissionSelection(DisplayedRights& rights, InteractionPort& ui);

    bool checked(std::size_t right) const { return right < kCount && checked_[right]; }
    // A click on a box. "All Permissions (all)" sets or clears itself and the
    // fourteen single-bit rights together, as it was set or not; the four
    // generic rights keep their marks. Any other box toggles.
    void Click(std::size_t right);
    // "?": the note on the generic flags.
    void ShowGenericInfo();

    // OK: the columns become the checked rights in the order of
    // namedRights(), and basic mode ends.
    void Ok();
    void Cancel() { outcome_ = Outcome::Cancel; }
    void Close() { outcome_ = Outcome::Closed; }
    Outcome outcome() const { return outcome_; }

  private:
    DisplayedRights& rights_;
    InteractionPort& ui_;
    std::array<bool, kCount> checked_{};
    Outcome outcome_ = Outcome::Open;
};

}  // namespace quorel
