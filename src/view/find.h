#pragma once

#include <climits>
#include <functional>
#include <string>
#include <string_view>

namespace quorel {

class CDirEntry;
class DisplayList;
class InteractionPort;

// Returned by FindNext and FindPrevious when nothing matches.
constexpr int kNotFound = INT_MAX;

// What matching needs beyond the entry.
struct MatchContext {
    // In compare mode the partner's visible trustees are tested too.
    bool compareMode = false;
    // While group break-down is on: the member text of the group record for
    // a trustee name, or null when there is none.
    std::function<const std::wstring*(std::wstring_view trustee)> memberText;
};

// Case-insensitive substring test (each UTF-16 unit folded to upper case);
// an empty `text` matches everything, a shorter candidate nothing.
bool ContainsNoCase(std::wstring_view candidate, std::wstring_view text);

// Tests the path, name, owner, group, each visible ACE's trustee (and its
// group member text), and in compare mode the partner's visible trustees,
// setting each one's match flag; no early exit. A heading never matches.
// Returns whether anything matched.
bool MatchEntry(CDirEntry& entry, std::wstring_view text, const MatchContext& context);
// The same test without touching any mark (the filter of "show matching
// only").
bool EntryMatches(const CDirEntry& entry, std::wstring_view text, const MatchContext& context);

// Find next / previous / highlight over the display list, with the state the
// main window keeps. `top` is the view's top entry index; it is moved to the
// entry found.
class FindState {
  public:
    bool findMode = false;
    bool highlight = false;         // the "highlight" box
    bool showMatchingOnly = false;  // the "show matching only" box
    int lastFoundEntry = 0;         // 0 stands for none
    bool highlightAll = false;

    int FindNext(const DisplayList& lines, std::wstring_view text, int& top,
                 const MatchContext& context, InteractionPort& ui);
    int FindPrevious(const DisplayList& lines, std::wstring_view text, int& top,
                     const MatchContext& context, InteractionPort& ui);
    void MarkAll(const DisplayList& lines, std::wstring_view text, bool on,
                 const MatchContext& context);

    // The "highlight" box clicked.
    void ToggleHighlight(const DisplayList& lines, std::wstring_view text,
                         const MatchContext& context, InteractionPort& ui);
    // The "show matching only" box clicked: flips the flag (off for an
    // empty text); the caller then rebuilds the display list with the
    // static filter, the flag and the text, and resets the scroll position.
    void ToggleShowMatchingOnly(std::wstring_view text, InteractionPort& ui);
    // Find mode switched on or off (menu 50026); turning it off switches
    // highlight and show-matching-only off and clears the marks of `lines`.
    void SetFindMode(bool on, const DisplayList& lines, InteractionPort& ui);

  private:
    // Clears the marks of the entry the last find next/previous found.
    void forgetLastHit(const DisplayList& lines);
};

}  // namespace quorel
