#include "filters/static_filter.h"

#include "core/dir_list.h"
#include "filters/permissions.h"

namespace quorel {

void SetAllVisible(CDirList& list, bool visible) {
    for (CDirEntry& e : list) {
        e.visible = visible ? 1 : 0;
    }
}

void HideDotEntries(CDirList& list) {
    for (CDirEntry& e : list) {
        if (e.isDotEntry()) {
            e.visible = 0;
        }
    }
}

void HideBelowDepth(CDirList& list, std::uint32_t depth) {
    if (depth == 0) {
        return;
    }
    for (CDirEntry& e : list) {
        if (e.depth > depth) {
            e.visible = 0;
        }
    }
}

namespace {

bool corresponds(const AccountNames& names, const AceRecord& a, const AceRecord& b,
                 std::uint32_t columnMask, std::uint8_t flagsMask) {
    return names.nameId(a.account()) == names.nameId(b.account()) &&
           (a.accessMask & columnMask) == (b.accessMask & columnMask) &&
           (a.aceFlags & flagsMask) == (b.aceFlags & flagsMask);
}

// Every shown ACE of `from` has a counterpart among all ACEs of `to`.
bool shownCovered(const CDirEntry& from, const CDirEntry& to, std::uint32_t columnMask,
                  std::uint8_t flagsMask) {
    for (std::uint32_t i = 0; i < from.aceCount(); ++i) {
        const AceRecord& a = *from.ace(i);
        if (!a.visible) {
            continue;
        }
        bool found = false;
        for (std::uint32_t j = 0; j < to.aceCount() && !found; ++j) {
            found =
                corresponds(from.dataset()->accountNames(), a, *to.ace(j), columnMask, flagsMask);
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

bool hasEffectiveDeny(const CDirEntry& e) {
    for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
        if (e.ace(i)->isDeny() && !e.ace(i)->inheritOnly()) {
            return true;
        }
    }
    return false;
}

bool hasShownExplicitAce(const CDirEntry& e) {
    for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
        if (e.ace(i)->visible && !e.ace(i)->inherited()) {
            return true;
        }
    }
    return false;
}

template <class Test>
void hideBelowRoots(CDirList& list, Test matchesParent) {
    for (CDirEntry& e : list) {
        if (e.parent() != nullptr && matchesParent(e, *e.parent())) {
            e.visible = 0;
        }
    }
}

void hideFiles(CDirList& list) {
    for (CDirEntry& e : list) {
        if (!e.isDirectory()) {
            e.visible = 0;
        }
    }
}

}  // namespace

bool AclMatchesParent(const CDirEntry& entry, const CDirEntry& parent, std::uint32_t columnMask,
                      std::uint8_t flagsMask) {
    return shownCovered(entry, parent, columnMask, flagsMask) &&
           shownCovered(parent, entry, columnMask, flagsMask);
}

std::uint32_t ColumnMask(const DisplayedRights& rights) {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < rights.count(); ++i) {
        mask |= rights.column(i).mask;
    }
    return mask;
}

void ApplyFilterRule(CDirList& list, std::uint8_t filter, std::uint32_t columnMask) {
    auto differs = [columnMask](const CDirEntry& e, const CDirEntry& p) {
        return AclMatchesParent(e, p, columnMask, 0);
    };
    switch (filter) {
        case kDiffersFromParent:
            hideBelowRoots(list, differs);
            break;
        case kHasDenyEntry:
            for (CDirEntry& e : list) {
                if (!hasEffectiveDeny(e)) {
                    e.visible = 0;
                }
            }
            break;
        case kHasNonInheritedAce:
            for (CDirEntry& e : list) {
                if (e.parent() != nullptr && !hasShownExplicitAce(e)) {
                    e.visible = 0;
                }
            }
            break;
        case kDirectoriesOnly:
            hideFiles(list);
            break;
        case kDirectoriesDifferingFromParent:
            hideFiles(list);
            hideBelowRoots(list, differs);
            break;
        case kUnresolvedAccount:
            for (CDirEntry& e : list) {
                if ((e.errorFlags & entry_error::kUnresolvedSid) == 0) {
                    e.visible = 0;
                }
            }
            break;
        case kAnalysisError:
            for (CDirEntry& e : list) {
                if ((e.errorFlags & entry_error::kReadFailed) == 0) {
                    e.visible = 0;
                }
            }
            break;
        default:
            break;
    }
}

void ApplyStaticFilter(const FilterTarget& target, std::uint8_t filter,
                       const DisplayedRights& rights) {
    const std::uint32_t columnMask = ColumnMask(rights);
    auto reset = [&target](CDirList& list) {
        SetAllVisible(list, true);
        HideDotEntries(list);
        HideBelowDepth(list, target.displayDepth);
    };
    auto applyFind = [&target](CDirList& list) {
        if (!target.findMatch) {
            return;
        }
        for (CDirEntry& e : list) {
            if (!target.findMatch(e)) {
                e.visible = 0;
            }
        }
    };
    if (target.shown != nullptr) {
        reset(*target.shown);
        ApplyFilterRule(*target.shown, filter, columnMask);
        applyFind(*target.shown);
    }
    if (target.compared != nullptr) {
        reset(*target.compared);
        if (filter == kDirectoriesOnly || filter == kUnresolvedAccount ||
            filter == kAnalysisError) {
            ApplyFilterRule(*target.compared, filter, columnMask);
        }
        // Find narrows all three groups of compare mode: the compared
        // dataset is matched after its own reset.
        applyFind(*target.compared);
    }
}

}  // namespace quorel
