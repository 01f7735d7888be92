#include "filters/dynamic_filter.h"

#include <array>
#include <new>
#include <stdexcept>

#include "core/dir_list.h"
#include "filters/permissions.h"
#include "filters/static_filter.h"
#include "platform/interaction_port.h"
#include "platform/text.h"

namespace quorel {

std::uint32_t EffectiveRuleCode(const FilterRow& row) {
    if (row.text == kAnyUserSubject) {
        if (row.op == kRuleHasPermission) {
            return kRuleAnyUserHasPermission;
        }
        if (row.op == kRuleLacksPermission) {
            return kRuleAnyUserLacksPermission;
        }
    }
    return row.op;
}

std::optional<std::uint32_t> FilterRightMask(std::uint32_t right) {
    if (right > 14) {
        return std::nullopt;
    }
    const NamedRight* named = rightForFilterIndex(static_cast<int>(right));
    if (named == nullptr) {
        return std::nullopt;
    }
    return named->mask;
}

bool InsertFilterRow(DynamicFilterSet& filters, const FilterRow& row, std::size_t after) {
    std::vector<FilterRow>& rows = filters.rows;
    const std::size_t at = after >= rows.size() ? rows.size() : after + 1;
    try {
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), row);
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    return false;
}

ProcessEnd RowAllocationEnd() {
    return {std::wstring(kRowAllocationText), std::wstring(kRowAllocationText),
            kRowAllocationExitCode};
}

void DeleteFilterRow(DynamicFilterSet& filters, std::size_t index) {
    std::vector<FilterRow>& rows = filters.rows;
    if (index >= rows.size()) {
        return;
    }
    // erase keeps the capacity: the array is never shrunk.
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
}

namespace {

// Inherited allow 1, inherited deny 2, explicit allow 3, explicit deny 4.
std::uint8_t precedence(const AceRecord& ace) {
    const std::uint8_t deny = ace.isDeny() ? 1 : 0;
    return static_cast<std::uint8_t>((ace.inherited() ? 1 : 3) + deny);
}

// The filter masks are single bits or 0x1F01FF, never the special masks of
// the basic permission set, so the column test AceHasRight(ace, mask, false,
// false) is the plain test in every mode.
bool carries(const AceRecord& ace, std::uint32_t mask) {
    return (ace.accessMask & mask) == mask;
}

// Upper case of every UTF-16 unit, looked up instead of computed: a
// "<filename>" row folds every path of the dataset.
class FoldTable {
  public:
    FoldTable() {
        for (std::size_t u = 0; u < table_.size(); ++u) {
            table_[u] = static_cast<std::uint16_t>(foldCase(static_cast<wchar_t>(u)));
        }
    }
    wchar_t operator()(wchar_t c) const {
        const auto u = static_cast<std::uint32_t>(c);
        return u < table_.size() ? static_cast<wchar_t>(table_[u]) : foldCase(c);
    }

  private:
    std::array<std::uint16_t, 0x10000> table_{};
};

const FoldTable& foldTable() {
    static const FoldTable table;
    return table;
}

// A row ready for the pass: its effective code, the interned name, the bit
// of its right among the rights the rows use, the folded text.
struct PreparedRow {
    std::uint32_t code = 0;
    bool known = true;       // code 0..9
    bool rightValid = true;  // right 0..14 (only looked at by codes 0, 1, 6, 7)
    std::uint16_t rightBit = 0;
    std::uint32_t nameId = 0;  // codes 0..5
    std::wstring needle;       // codes 8, 9
};

bool usesRight(std::uint32_t code) {
    return code == kRuleHasPermission || code == kRuleLacksPermission ||
           code == kRuleAnyUserHasPermission || code == kRuleAnyUserLacksPermission;
}

// Evaluates the rows entry by entry. Per entry it gathers the trustees once
// (each distinct name with its effective rights for every right the rows
// use) and builds the folded path at most once, both only when a row needs
// them; the tables are indexed by the interned name ids and reused for every
// entry, so apart from CDirEntry::path the walk allocates only while they
// grow. (The path is asked of the entry because only the entry knows whether
// it keeps a path of its own or derives it from its parent.)
class RowEvaluator {
  public:
    // `names`: the account table of every dataset the evaluator runs on.
    RowEvaluator(const std::vector<FilterRow>& rows, const std::vector<std::wstring>& accountNames,
                 AccountNames& names)
        : names_(names) {
        emptyId_ = names_.internText(L"");
        prepareRows(rows);
        // Every name id of the datasets and the rows is below the text count
        // from here on; a listed name interned only now is nobody's.
        const std::size_t texts = names_.textCount();
        stamp_.assign(texts, 0);
        slotOf_.assign(texts, 0);
        listed_.assign(texts, 0);
        for (const std::wstring& name : accountNames) {
            const std::uint32_t id = textIdOf(name);
            if (id < listed_.size()) {
                listed_[id] = 1;
            }
        }
        slots_.reserve(64);
        // The name of every account, looked up once instead of per ACE.
        nameOfAccount_.resize(names_.accountCount());
        for (std::size_t account = 0; account < nameOfAccount_.size(); ++account) {
            nameOfAccount_[account] = canonical(names_.nameId(static_cast<std::uint32_t>(account)));
        }
    }

    const std::vector<PreparedRow>& rows() const { return rows_; }

    // One dataset. `dataset` is 0 for the shown one, 1 for the compared one.
    // In OR mode the entries that the final dot and depth rules hide are
    // hidden here at once.
    void run(CDirList& list, int dataset, bool andMode, std::uint32_t displayDepth) {
        dataset_ = dataset;
        for (CDirEntry& e : list) {
            beginEntry(e);
            const bool hiddenAnyway =
                !andMode && (e.isDotEntry() || (displayDepth != 0 && e.depth > displayDepth));
            bool keep = andMode ? e.visible != 0 : false;
            for (const PreparedRow& row : rows_) {
                if (!row.known || hiddenAnyway || keep != andMode) {
                    continue;  // skipped, or the row cannot change this entry
                }
                const bool holds = this->holds(row);
                keep = andMode ? keep && holds : keep || holds;
            }
            e.visible = keep && !hiddenAnyway ? 1 : 0;
        }
    }

  private:
    struct Slot {
        std::uint32_t nameId;
        std::uint32_t aceCount;
        std::uint16_t granted;  // rights held, one bit per used right
        std::uint8_t best;      // best precedence seen
        bool listed;            // the name is in the account name list
    };

    std::uint32_t canonical(std::uint32_t nameId) const { return nameId == 0 ? emptyId_ : nameId; }
    std::uint32_t nameOf(std::uint32_t account) const {
        return account < nameOfAccount_.size() ? nameOfAccount_[account]
                                               : canonical(names_.nameId(account));
    }
    std::uint32_t textIdOf(std::wstring_view text) {
        return text.empty() ? emptyId_ : names_.internText(text);
    }

    void prepareRows(const std::vector<FilterRow>& rows) {
        rows_.reserve(rows.size());
        for (const FilterRow& row : rows) {
            PreparedRow p;
            p.code = EffectiveRuleCode(row);
            p.known = p.code <= kRulePathLacks;
            if (p.known && usesRight(p.code)) {
                const std::optional<std::uint32_t> mask = FilterRightMask(row.right);
                p.rightValid = mask.has_value();
                if (mask) {
                    p.rightBit = bitOfMask(*mask);
                }
            }
            if (p.known && p.code <= kRuleIsNotGroup) {
                p.nameId = textIdOf(row.text);
            }
            if (p.code == kRulePathContains || p.code == kRulePathLacks) {
                const FoldTable& fold = foldTable();
                p.needle.resize(row.text.size());
                for (std::size_t i = 0; i < row.text.size(); ++i) {
                    p.needle[i] = fold(row.text[i]);
                }
            }
            rows_.push_back(std::move(p));
        }
    }

    std::uint16_t bitOfMask(std::uint32_t mask) {
        for (std::size_t i = 0; i < masks_.size(); ++i) {
            if (masks_[i] == mask) {
                return static_cast<std::uint16_t>(1u << i);
            }
        }
        masks_.push_back(mask);  // at most 15 distinct masks
        return static_cast<std::uint16_t>(1u << (masks_.size() - 1));
    }

    void beginEntry(const CDirEntry& e) {
        entry_ = &e;
        slotsReady_ = false;
        pathReady_ = false;
    }

    void gatherTrustees() {
        if (slotsReady_) {
            return;
        }
        slotsReady_ = true;
        slots_.clear();
        if (++currentStamp_ == 0) {
            // After 2^32 entries the stamps start over.
            std::fill(stamp_.begin(), stamp_.end(), 0);
            currentStamp_ = 1;
        }
        const CDirEntry& e = *entry_;
        const AceRecord* aces = e.aces();
        for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
            const AceRecord& ace = aces[i];
            const std::uint32_t id = nameOf(ace.account());
            if (id >= stamp_.size()) {
                stamp_.resize(id + 1, 0);
                slotOf_.resize(id + 1, 0);
                listed_.resize(id + 1, 0);
            }
            if (stamp_[id] != currentStamp_) {
                stamp_[id] = currentStamp_;
                slotOf_[id] = static_cast<std::uint32_t>(slots_.size());
                slots_.push_back(Slot{id, 0, 0, 0, listed_[id] != 0});
            }
            Slot& slot = slots_[slotOf_[id]];
            ++slot.aceCount;
            const std::uint8_t p = precedence(ace);
            if (slot.best > p) {
                continue;
            }
            slot.best = p;
            std::uint16_t carried = 0;
            for (std::size_t m = 0; m < masks_.size(); ++m) {
                if (carries(ace, masks_[m])) {
                    carried = static_cast<std::uint16_t>(carried | (1u << m));
                }
            }
            slot.granted = ace.isDeny() ? static_cast<std::uint16_t>(slot.granted & ~carried)
                                        : static_cast<std::uint16_t>(slot.granted | carried);
        }
    }

    const Slot* slotOf(std::uint32_t nameId) const {
        if (nameId < stamp_.size() && stamp_[nameId] == currentStamp_) {
            return &slots_[slotOf_[nameId]];
        }
        return nullptr;
    }

    // On the shown dataset "<any user>" means the names of the list.
    bool counts(const Slot& s) const { return dataset_ != 0 || s.listed; }

    const std::wstring& foldedPath() {
        if (!pathReady_) {
            pathReady_ = true;
            path_ = entry_->path();
            const FoldTable& fold = foldTable();
            for (wchar_t& c : path_) {
                c = fold(c);
            }
        }
        return path_;
    }

    bool holds(const PreparedRow& row) {
        const CDirEntry& e = *entry_;
        if (usesRight(row.code) && !row.rightValid) {
            return false;  // a permission without a mask holds for no entry
        }
        switch (row.code) {
            case kRuleHasPermission:
            case kRuleLacksPermission: {
                gatherTrustees();
                const Slot* s = slotOf(row.nameId);
                const bool has = s != nullptr && (s->granted & row.rightBit) != 0;
                return row.code == kRuleHasPermission ? has : !has;
            }
            case kRuleIsOwner:
                return nameOf(e.ownerAccount()) == row.nameId;
            case kRuleIsNotOwner:
                return nameOf(e.ownerAccount()) != row.nameId;
            case kRuleIsGroup:
                return nameOf(e.groupAccount()) == row.nameId;
            case kRuleIsNotGroup:
                return nameOf(e.groupAccount()) != row.nameId;
            case kRuleAnyUserHasPermission:
                gatherTrustees();
                for (const Slot& s : slots_) {
                    if (counts(s) && (s.granted & row.rightBit) != 0) {
                        return true;
                    }
                }
                return false;
            case kRuleAnyUserLacksPermission:
                gatherTrustees();
                for (const Slot& s : slots_) {
                    if ((s.granted & row.rightBit) == 0) {
                        return true;
                    }
                }
                return false;
            case kRulePathContains:
                return row.needle.empty() || foldedPath().find(row.needle) != std::wstring::npos;
            case kRulePathLacks:
                return !row.needle.empty() && foldedPath().find(row.needle) == std::wstring::npos;
            default:
                return false;
        }
    }

    AccountNames& names_;
    std::uint32_t emptyId_ = 0;
    std::vector<PreparedRow> rows_;
    std::vector<std::uint32_t> masks_;          // the distinct masks of the rows' rights
    std::vector<std::uint32_t> nameOfAccount_;  // canonical name id per account id

    // Per name id: the entry (stamp) whose slot it has, and that slot.
    std::vector<std::uint32_t> stamp_;
    std::vector<std::uint32_t> slotOf_;
    std::vector<std::uint8_t> listed_;
    std::uint32_t currentStamp_ = 0;
    std::vector<Slot> slots_;

    const CDirEntry* entry_ = nullptr;
    int dataset_ = 0;
    bool slotsReady_ = false;
    bool pathReady_ = false;
    std::wstring path_;
};

}  // namespace

bool TrusteeHasRight(std::wstring_view name, const CDirEntry& entry, std::uint32_t right) {
    const std::optional<std::uint32_t> mask = FilterRightMask(right);
    if (!mask) {
        return false;
    }
    bool result = false;
    std::uint8_t best = 0;
    for (std::uint32_t i = 0; i < entry.aceCount(); ++i) {
        const AceRecord& ace = *entry.ace(i);
        if (ace.trustee(entry.dataset()->accountNames()) != name) {
            continue;
        }
        const std::uint8_t p = precedence(ace);
        if (best > p) {
            continue;
        }
        best = p;
        if (carries(ace, *mask)) {
            result = !ace.isDeny();
        }
    }
    return result;
}

void ApplyDynamicFilters(const DynamicFilterSet& filters, CDirList& shown, CDirList* compared,
                         std::uint8_t staticFilter, std::uint32_t displayDepth,
                         const DisplayedRights& rights,
                         const std::vector<std::wstring>& accountNames, InteractionPort& ui) {
    const bool andMode = filters.combination == 0;
    if (andMode) {
        FilterTarget target;
        target.shown = &shown;
        target.compared = compared;
        target.displayDepth = displayDepth;
        ApplyStaticFilter(target, staticFilter, rights);
    }

    RowEvaluator evaluator(filters.rows, accountNames, shown.accountNames());
    evaluator.run(shown, 0, andMode, displayDepth);
    if (compared != nullptr && &compared->accountNames() == &shown.accountNames()) {
        evaluator.run(*compared, 1, andMode, displayDepth);
    } else if (compared != nullptr) {
        RowEvaluator(filters.rows, accountNames, compared->accountNames())
            .run(*compared, 1, andMode, displayDepth);
    }

    // In row order: an unknown code once for every dataset it would have
    // been applied to, a right without a mask once for the whole pass (the
    // first such row says it for all of them).
    const int datasets = compared != nullptr ? 2 : 1;
    bool invalidRightShown = false;
    for (const PreparedRow& row : evaluator.rows()) {
        if (!row.known) {
            for (int d = 0; d < datasets; ++d) {
                ui.showMessage(std::wstring(kUnknownRuleText), std::wstring(kUnknownRuleCaption),
                               andMode ? MessageIcon::Error : MessageIcon::None);
            }
        } else if (usesRight(row.code) && !row.rightValid && !invalidRightShown) {
            invalidRightShown = true;
            ui.showMessage(std::wstring(kInvalidRightText), std::wstring(kInvalidRightCaption),
                           MessageIcon::None, MessageButtons::Ok);
        }
    }
}

}  // namespace quorel
