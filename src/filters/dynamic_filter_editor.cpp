#include "filters/dynamic_filter_editor.h"

#include <algorithm>

#include "filters/dynamic_filter.h"
#include "platform/text.h"

namespace quorel {

namespace {

constexpr std::array<std::wstring_view, 8> kOperatorTexts = {
    L"contains", L"does not contain", L"has permission", L"does not have permission",
    L"is owner", L"is not owner",     L"is group",       L"is not group",
};

constexpr std::array<std::wstring_view, 8> kStaticFilterLabels = {
    L"Show All Files",
    L"Show Only Files Whose Permissions Differ From Those of the Parent Directory",
    L"Show Only Files Which Have at Least One Deny Entry",
    L"Show Only Files With Permissions Not Inherited From the Parent Directory",
    L"Show Only Directories",
    L"Show Only Directories Whose Permissions Differ From Those of the Parent Directory",
    L"Show Only Files Where a User or Group Cannot be Resolved",
    L"Show Only Files Where an Error Occurred while Analysing the ACL",
};

using Op = FilterOperator;
const std::vector<Op> kFileNameOperators = {Op::Contains, Op::DoesNotContain};
const std::vector<Op> kAnyUserOperators = {Op::HasPermission, Op::DoesNotHavePermission};
const std::vector<Op> kAccountOperators = {Op::HasPermission, Op::DoesNotHavePermission,
                                           Op::IsOwner,       Op::IsNotOwner,
                                           Op::IsGroup,       Op::IsNotGroup};

}  // namespace

std::wstring_view OperatorText(FilterOperator op) {
    return kOperatorTexts[static_cast<std::size_t>(op)];
}

std::optional<FilterOperator> OperatorFromText(std::wstring_view text) {
    for (std::size_t i = 0; i < kOperatorTexts.size(); ++i) {
        if (kOperatorTexts[i] == text) {
            return static_cast<FilterOperator>(i);
        }
    }
    return std::nullopt;
}

std::wstring_view DynamicFilterEditor::StaticFilterLabel(std::uint8_t value) {
    if (value < 1 || value > kStaticFilterLabels.size()) {
        return {};
    }
    return kStaticFilterLabels[value - 1];
}

DynamicFilterEditor::DynamicFilterEditor(DynamicFilterSet& filters, std::uint8_t& staticFilter,
                                         bool compareMode,
                                         const std::vector<std::wstring>& accountNames,
                                         InteractionPort& ui)
    : filters_(filters), staticFilter_(staticFilter), ui_(ui) {
    if (compareMode) {
        // The rules that compare an entry with its parent or look for a deny
        // or explicit entry cannot judge the compared dataset.
        staticValues_ = {1, 5, 7, 8};
    } else {
        staticValues_ = {1, 2, 3, 4, 5, 6, 7, 8};
    }
    if (std::find(staticValues_.begin(), staticValues_.end(), staticFilter_) ==
        staticValues_.end()) {
        staticFilter_ = 1;
    }

    subjects_.reserve(accountNames.size() + 2);
    subjects_.emplace_back(kFileNameSubject);
    subjects_.emplace_back(kAnyUserSubject);
    subjects_.insert(subjects_.end(), accountNames.begin(), accountNames.end());
    std::stable_sort(
        subjects_.begin(), subjects_.end(),
        [](const std::wstring& a, const std::wstring& b) { return compareNoCase(a, b) < 0; });
    // A name spelled like one of the two subjects would be listed twice.
    subjects_.erase(std::unique(subjects_.begin(), subjects_.end()), subjects_.end());
    showRows();
}

int DynamicFilterEditor::subjectIndex(std::wstring_view subject) const {
    auto it = std::lower_bound(
        subjects_.begin(), subjects_.end(), subject,
        [](const std::wstring& a, std::wstring_view b) { return compareNoCase(a, b) < 0; });
    // Names equal but for case sit together; the exact one is among them.
    for (; it != subjects_.end() && compareNoCase(*it, subject) == 0; ++it) {
        if (*it == subject) {
            return static_cast<int>(it - subjects_.begin());
        }
    }
    return -1;
}

int DynamicFilterEditor::staticFilterSelection() const {
    for (std::size_t i = 0; i < staticValues_.size(); ++i) {
        if (staticValues_[i] == staticFilter_) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void DynamicFilterEditor::ChooseStaticFilter(std::size_t listIndex) {
    if (listIndex < staticValues_.size()) {
        staticFilter_ = staticValues_[listIndex];
    }
}

FilterRow* DynamicFilterEditor::rowOf(int k) {
    if (k < 0 || k >= shown_) {
        return nullptr;
    }
    return &filters_.rows[static_cast<std::size_t>(first_ + k)];
}

void DynamicFilterEditor::fillSlot(FilterSlot& slot, const FilterRow& row) const {
    slot.shown = true;
    slot.buttonsShown = true;
    slot.permission = row.right;
    switch (row.op) {
        case kRuleHasPermission:
        case kRuleLacksPermission:
            // Also for the "<any user>" rows the window itself stores.
            slot.subject = row.text;
            slot.operators = kAccountOperators;
            slot.op = row.op == kRuleHasPermission ? Op::HasPermission : Op::DoesNotHavePermission;
            slot.permissionShown = true;
            break;
        case kRuleIsOwner:
        case kRuleIsNotOwner:
        case kRuleIsGroup:
        case kRuleIsNotGroup:
            slot.subject = row.text;
            slot.operators = kAccountOperators;
            slot.op =
                static_cast<Op>(static_cast<std::uint32_t>(Op::IsOwner) + (row.op - kRuleIsOwner));
            break;
        case kRuleAnyUserHasPermission:
        case kRuleAnyUserLacksPermission:
            slot.subject = kAnyUserSubject;
            slot.operators = kAnyUserOperators;
            slot.op =
                row.op == kRuleAnyUserHasPermission ? Op::HasPermission : Op::DoesNotHavePermission;
            slot.permissionShown = true;
            break;
        case kRulePathContains:
        case kRulePathLacks:
            slot.subject = kFileNameSubject;
            slot.operators = kFileNameOperators;
            slot.op = row.op == kRulePathContains ? Op::Contains : Op::DoesNotContain;
            slot.editShown = true;
            slot.editText = row.text;
            break;
        default:
            // A code no window stores (a settings file can hold one): its
            // text, and no operator chosen.
            slot.subject = row.text;
            slot.operators = kAccountOperators;
            break;
    }
}

void DynamicFilterEditor::showRows() {
    const int rows = static_cast<int>(filters_.rows.size());
    maximum_ = rows > 6 ? rows - kSlots : 0;
    position_ = std::clamp(position_, 0, maximum_);
    // Up to seven rows the position is 0: the first row is shown first.
    first_ = rows == 0 ? -1 : position_;
    shown_ = std::min(rows, kSlots);
    for (int k = 0; k < kSlots; ++k) {
        FilterSlot slot;
        if (k < shown_) {
            fillSlot(slot, filters_.rows[static_cast<std::size_t>(first_ + k)]);
        } else if (rows == 0 && k == 0) {
            slot.buttonsShown = true;  // so that a first row can be added
        }
        slots_[static_cast<std::size_t>(k)] = std::move(slot);
    }
    ++revision_;
}

std::optional<ProcessEnd> DynamicFilterEditor::Plus(int k) {
    if (k < 0 || k >= std::max(shown_, 1)) {
        return std::nullopt;
    }
    FilterRow row;
    row.op = kRuleHasPermission;
    row.right = 0;
    row.text = kAnyUserSubject;
    const std::size_t after = first_ < 0 ? 0 : static_cast<std::size_t>(first_ + k);
    if (!InsertFilterRow(filters_, row, after)) {
        return RowAllocationEnd();
    }
    if (k == kSlots - 1) {
        ++position_;
    }
    showRows();
    return std::nullopt;
}

void DynamicFilterEditor::Minus(int k) {
    if (k < 0 || k >= std::max(shown_, 1)) {
        return;
    }
    if (shown_ > 0) {
        DeleteFilterRow(filters_, static_cast<std::size_t>(first_ + k));
    }
    const int rows = static_cast<int>(filters_.rows.size());
    const int newMaximum = rows > 6 ? rows - kSlots : 0;
    if (position_ >= newMaximum) {
        --position_;  // showRows keeps it at 0 or above
    }
    showRows();
}

void DynamicFilterEditor::ChooseSubject(int k, std::wstring subject) {
    if (rowOf(k) == nullptr) {
        return;
    }
    FilterSlot& slot = slots_[static_cast<std::size_t>(k)];
    slot.op.reset();
    if (subject == kFileNameSubject) {
        slot.operators = kFileNameOperators;
        slot.editShown = true;
        slot.permissionShown = false;
    } else {
        slot.operators = subject == kAnyUserSubject ? kAnyUserOperators : kAccountOperators;
        slot.editShown = false;
        slot.permissionShown = true;
    }
    slot.subject = std::move(subject);
    ++revision_;
}

void DynamicFilterEditor::TypeSubject(int k, std::wstring text) {
    if (rowOf(k) != nullptr) {
        slots_[static_cast<std::size_t>(k)].subject = std::move(text);
    }
}

void DynamicFilterEditor::ChooseOperator(int k, FilterOperator op) {
    FilterRow* row = rowOf(k);
    if (row == nullptr) {
        return;
    }
    const FilterSlot& slot = slots_[static_cast<std::size_t>(k)];
    if (std::find(slot.operators.begin(), slot.operators.end(), op) == slot.operators.end()) {
        return;  // not offered by the slot's list
    }
    FilterRow next;
    switch (op) {
        case Op::Contains:
        case Op::DoesNotContain:
            next.op = op == Op::Contains ? kRulePathContains : kRulePathLacks;
            next.text = slot.editText;
            break;
        case Op::HasPermission:
        case Op::DoesNotHavePermission:
            next.op = op == Op::HasPermission ? kRuleHasPermission : kRuleLacksPermission;
            next.right = slot.permission;
            next.text = slot.subject;
            break;
        case Op::IsOwner:
        case Op::IsNotOwner:
        case Op::IsGroup:
        case Op::IsNotGroup:
            next.op = kRuleIsOwner +
                      (static_cast<std::uint32_t>(op) - static_cast<std::uint32_t>(Op::IsOwner));
            next.text = slot.subject;
            break;
    }
    next.text = next.text.substr(0, FilterRow::kMaxTextChars);
    *row = std::move(next);
    showRows();
}

void DynamicFilterEditor::ChoosePermission(int k, std::uint32_t index) {
    if (FilterRow* row = rowOf(k)) {
        slots_[static_cast<std::size_t>(k)].permission = index;
        row->right = index;
    }
}

void DynamicFilterEditor::TypeEditText(int k, std::wstring text) {
    if (rowOf(k) != nullptr) {
        slots_[static_cast<std::size_t>(k)].editText = std::move(text);
    }
}

void DynamicFilterEditor::EditLostFocus(int k) {
    FilterRow* row = rowOf(k);
    const FilterSlot& slot = slots_[static_cast<std::size_t>(std::clamp(k, 0, kSlots - 1))];
    if (row != nullptr && slot.editShown) {
        row->text = slot.editText.substr(0, FilterRow::kMaxTextChars);
    }
}

void DynamicFilterEditor::commitShownEdits() {
    int k = 0;
    for ([[maybe_unused]] const FilterSlot& slot : slots_) {
        EditLostFocus(k++);  // a slot without a row has nothing to write
    }
}

void DynamicFilterEditor::moveTo(int position) {
    position_ = position;
    showRows();
}

void DynamicFilterEditor::OnScroll(Scroll action, int thumb) {
    commitShownEdits();
    switch (action) {
        case Scroll::LineUp:
            return moveTo(position_ - 1);
        case Scroll::LineDown:
            return moveTo(position_ + 1);
        case Scroll::PageUp:
            return moveTo(position_ - 6);
        case Scroll::PageDown:
            return moveTo(position_ + 6);
        case Scroll::Thumb:
            return moveTo(thumb);
        case Scroll::Other:
            return moveTo(position_);
    }
}

void DynamicFilterEditor::OnWheel(int delta) {
    commitShownEdits();
    moveTo(delta > 0 ? position_ - 6 : (delta < 0 ? position_ + 6 : position_));
}

void DynamicFilterEditor::Ok() {
    commitShownEdits();
    outcome_ = Outcome::Ok;
}

void DynamicFilterEditor::Cancel() {
    commitShownEdits();
    outcome_ = Outcome::Cancel;
}

void DynamicFilterEditor::Close() {
    commitShownEdits();
    outcome_ = Outcome::Closed;
}

}  // namespace quorel
