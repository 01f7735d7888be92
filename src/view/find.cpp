#include "view/find.h"

#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "platform/interaction_port.h"
#include "platform/text.h"
#include "view/display_list.h"

namespace quorel {

bool ContainsNoCase(std::wstring_view candidate, std::wstring_view text) {
    if (text.empty()) {
        return true;
    }
    if (candidate.size() < text.size()) {
        return false;
    }
    for (std::size_t at = 0; at + text.size() <= candidate.size(); ++at) {
        std::size_t i = 0;
        while (i < text.size() &&
               (candidate[at + i] == text[i] || foldCase(candidate[at + i]) == foldCase(text[i]))) {
            ++i;
        }
        if (i == text.size()) {
            return true;
        }
    }
    return false;
}

namespace {

// An unset name is absent and never matches, not even the empty text.
bool nameMatches(bool set, std::wstring_view name, std::wstring_view text) {
    return set && ContainsNoCase(name, text);
}

// The find marks of an entry's own texts: path, name, owner, group.
std::uint8_t entryMarks(const CDirEntry& entry, std::wstring_view text) {
    const AccountNames& names = entry.dataset()->accountNames();
    std::uint8_t marks = 0;
    if (ContainsNoCase(entry.path(), text)) {
        marks |= find_mark::kPath;
    }
    if (ContainsNoCase(entry.name(), text)) {
        marks |= find_mark::kName;
    }
    if (nameMatches(names.nameSet(entry.ownerAccount()), entry.ownerName(), text)) {
        marks |= find_mark::kOwner;
    }
    if (nameMatches(names.nameSet(entry.groupAccount()), entry.groupName(), text)) {
        marks |= find_mark::kGroup;
    }
    return marks;
}

// A visible ACE of `entry` matches by its trustee or, while group
// break-down is on, by the member text of its trustee's group.
bool aceMatches(const CDirEntry& entry, const AceRecord& ace, std::wstring_view text,
                const MatchContext& context) {
    const AccountNames& names = entry.dataset()->accountNames();
    if (!ace.hasTrustee(names)) {
        return false;
    }
    if (ContainsNoCase(ace.trustee(names), text)) {
        return true;
    }
    if (context.memberText) {
        const std::wstring* members = context.memberText(ace.trustee(names));
        return members != nullptr && ContainsNoCase(*members, text);
    }
    return false;
}

// Visits the visible ACEs of the entry and, in compare mode, of its
// partner, each with the entry holding it; true when `visit` returned true
// for one. With kStopAtFirst the
// visit ends there, otherwise every ACE is visited (to set every mark).
template <bool kStopAtFirst, class Entry, class Visit>
bool forEachVisibleAce(Entry& entry, const MatchContext& context, Visit visit) {
    bool any = false;
    auto walk = [&any, &visit](Entry& e) {
        for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
            auto& ace = *e.ace(i);
            if (ace.visible && visit(e, ace)) {
                any = true;
                if (kStopAtFirst) {
                    return;
                }
            }
        }
    };
    walk(entry);
    if (!(kStopAtFirst && any) && context.compareMode && entry.partner != nullptr) {
        walk(*entry.partner);
    }
    return any;
}

}  // namespace

bool EntryMatches(const CDirEntry& entry, std::wstring_view text, const MatchContext& context) {
    if (entry.isHeading) {
        return false;
    }
    return entryMarks(entry, text) != 0 ||
           forEachVisibleAce<true>(entry, context, [&](const CDirEntry& e, const AceRecord& ace) {
               return aceMatches(e, ace, text, context);
           });
}

bool MatchEntry(CDirEntry& entry, std::wstring_view text, const MatchContext& context) {
    if (entry.isHeading) {
        return false;
    }
    entry.findMarks = entryMarks(entry, text);
    const bool aceHit = forEachVisibleAce<false>(entry, context, [&](CDirEntry& e, AceRecord& ace) {
        ace.findMark = aceMatches(e, ace, text, context) ? 1 : 0;
        return ace.findMark != 0;
    });
    return entry.findMarks != 0 || aceHit;
}

namespace {

int lastLine(const DisplayList& lines) {
    return static_cast<int>(lines.count()) - 2;
}

}  // namespace

void FindState::forgetLastHit(const DisplayList& lines) {
    // Entry 0 stands for "none": its marks stay.
    if (lastFoundEntry != 0) {
        if (CDirEntry* e = lines.at(static_cast<std::size_t>(lastFoundEntry))) {
            e->resetMarks();
        }
        lastFoundEntry = 0;
    }
}

int FindState::FindNext(const DisplayList& lines, std::wstring_view text, int& top,
                        const MatchContext& context, InteractionPort& ui) {
    const int count = static_cast<int>(lines.count());
    const int start = top;
    int t = top < count - 1 ? top + 1 : top;
    forgetLastHit(lines);
    for (int i = t; i < count - 1; ++i) {
        if (MatchEntry(*lines.at(static_cast<std::size_t>(i)), text, context)) {
            lastFoundEntry = highlightAll ? 0 : i;
            ui.setStatusText(0, L"Find next element successful");
            top = i;
            return i;
        }
    }
    ui.setStatusText(0, L"Find next element failed");
    // Nothing further: the view stays where it was.
    top = start;
    return kNotFound;
}

int FindState::FindPrevious(const DisplayList& lines, std::wstring_view text, int& top,
                            const MatchContext& context, InteractionPort& ui) {
    const int start = top;
    int t = top > 0 ? top - 1 : top;
    if (t > lastLine(lines)) {
        t = lastLine(lines);
    }
    forgetLastHit(lines);
    for (int i = t; i >= 0; --i) {
        if (MatchEntry(*lines.at(static_cast<std::size_t>(i)), text, context)) {
            lastFoundEntry = highlightAll ? 0 : i;
            ui.setStatusText(0, L"Find previous element successful");
            top = i;
            return i;
        }
    }
    ui.setStatusText(0, L"Find previous element failed");
    top = start;
    return kNotFound;
}

void FindState::MarkAll(const DisplayList& lines, std::wstring_view text, bool on,
                        const MatchContext& context) {
    highlightAll = on;
    lastFoundEntry = 0;
    for (CDirEntry* e : lines.lines()) {
        if (on) {
            MatchEntry(*e, text, context);
        } else {
            e->resetMarks();
        }
    }
}

void FindState::ToggleHighlight(const DisplayList& lines, std::wstring_view text,
                                const MatchContext& context, InteractionPort& ui) {
    if (text.empty() || highlight) {
        highlight = false;
        MarkAll(lines, text, false, context);
    } else {
        highlight = true;
        MarkAll(lines, text, false, context);
        MarkAll(lines, text, true, context);
    }
    ui.setStatusText(0, L"matching files highlighted");
}

void FindState::ToggleShowMatchingOnly(std::wstring_view text, InteractionPort& ui) {
    showMatchingOnly = text.empty() ? false : !showMatchingOnly;
    ui.setStatusText(0, L"files where string is not found filtered");
}

void FindState::SetFindMode(bool on, const DisplayList& lines, InteractionPort& ui) {
    if (on) {
        findMode = true;
        ui.setStatusText(0, L"Find mode activated");
        return;
    }
    findMode = false;
    highlight = false;
    showMatchingOnly = false;
    MarkAll(lines, L"", false, MatchContext{});
    ui.setStatusText(0, L"Find deactivated. Switched back to normal mode");
}

}  // namespace quorel
