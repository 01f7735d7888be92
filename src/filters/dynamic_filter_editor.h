#pragma once

// The dynamic filter window ("Set Dynamic Filters") without the window: the
// static filter list, the seven row slots over the view's filter rows, their
// scrolling, AND/OR, and what OK, Cancel and the close box leave behind. The
// window creates the controls, hands every notification to one call here and
// then shows the slots as they are described.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "filters/dynamic_filter_set.h"
#include "platform/process_end.h"

namespace quorel {

class InteractionPort;

// The operators a slot offers, as its operator list names them.
enum class FilterOperator : std::uint8_t {
    Contains,               // "<filename>" rows
    DoesNotContain,         //
    HasPermission,          // "<any user>" and account rows
    DoesNotHavePermission,  //
    IsOwner,                // account rows
    IsNotOwner,
    IsGroup,
    IsNotGroup,
};
std::wstring_view OperatorText(FilterOperator op);
std::optional<FilterOperator> OperatorFromText(std::wstring_view text);

// What one row slot shows.
struct FilterSlot {
    bool shown = false;         // subject, operator and the value control
    bool buttonsShown = false;  // "+" and "-"
    std::wstring subject;       // the subject box's text
    // The operator list in the order of the window's table (the list
    // itself shows them sorted), and its selection.
    std::vector<FilterOperator> operators;
    std::optional<FilterOperator> op;
    bool permissionShown = false;  // the permission list
    bool editShown = false;        // the text edit of a "<filename>" row
    std::uint32_t permission = 0;  // the permission list's selection (filter index)
    std::wstring editText;
};

class DynamicFilterEditor {
  public:
    static constexpr int kSlots = 7;

    enum class Outcome { Open, Ok, Cancel, Closed };
    enum class Scroll { LineUp, LineDown, PageUp, PageDown, Thumb, Other };

    // Opens on `filters`, the view's rows, which every edit changes at once,
    // and on `staticFilter`, the view's static filter value, which choosing
    // a label sets at once. In compare mode the list offers only the rules
    // an entry can be judged by alone (1, 5, 7, 8), and a value it does not
    // offer is reset to 1 here. `accountNames` (the user list rebuilt from
    // the dataset) fill the subject lists. AND is chosen.
    DynamicFilterEditor(DynamicFilterSet& filters, std::uint8_t& staticFilter, bool compareMode,
                        const std::vector<std::wstring>& accountNames, InteractionPort& ui);

    // The static filter list: its values in list order, each one's label,
    // and the entry of the current value (-1 when it lists none).
    const std::vector<std::uint8_t>& staticFilterValues() const { return staticValues_; }
    static std::wstring_view StaticFilterLabel(std::uint8_t value);
    int staticFilterSelection() const;
    void ChooseStaticFilter(std::size_t listIndex);

    // "<filename>", "<any user>" and every account name once, sorted
    // without regard to case. The window fills each subject list with it
    // once, in this order and without sorting again (tens of thousands of
    // names), and selects a subject by its index here.
    const std::vector<std::wstring>& subjects() const { return subjects_; }
    // The index of `subject` (exact) in subjects(), or -1.
    int subjectIndex(std::wstring_view subject) const;

    // -1 without rows; the scroll position with more than seven rows; else 0.
    int firstShownRow() const { return first_; }
    int shownSlots() const { return shown_; }
    int scrollPosition() const { return position_; }
    int scrollMaximum() const { return maximum_; }
    const FilterSlot& slot(int k) const { return slots_[static_cast<std::size_t>(k)]; }
    // Grows whenever the slots must be shown again; typing, choosing a
    // permission and a focus change leave it (the controls show them already).
    std::uint64_t revision() const { return revision_; }
    InteractionPort& ui() const { return ui_; }

    // "+" of slot k: the row {0, 0, "<any user>"} after the slot's row (the
    // first row when there is none); on the last slot the rows scroll down.
    // When the rows cannot grow, nothing changes and the run ends
    // (RowAllocationEnd).
    std::optional<ProcessEnd> Plus(int k);
    // "-" of slot k: its row goes; unless the position is below the new
    // maximum it moves up one.
    void Minus(int k);
    // A subject chosen from the list: the operator list and the value
    // control change with it; the row changes only with an operator.
    void ChooseSubject(int k, std::wstring subject);
    // A subject typed into the box (no operator list change).
    void TypeSubject(int k, std::wstring text);
    void ChooseOperator(int k, FilterOperator op);
    void ChoosePermission(int k, std::uint32_t index);
    // The edit's text as it is typed; it reaches the row when the edit loses
    // the focus, when the rows scroll and when the window closes.
    void TypeEditText(int k, std::wstring text);
    void EditLostFocus(int k);
    // The scroll bar (the thumb's position for Thumb) and the wheel
    // (positive: turned away from the user).
    void OnScroll(Scroll action, int thumb);
    void OnWheel(int delta);

    void ChooseCombination(bool orMode) { orMode_ = orMode; }
    bool orChosen() const { return orMode_; }
    // The set's combination OK applies: 0 AND, 1 OR.
    std::uint32_t combination() const { return orMode_ ? 1 : 0; }

    // The three ways out. Each writes the shown "<filename>" edits into their
    // rows first: a text typed into an edit reaches its row when the edit
    // loses the focus, and a click on OK or Cancel takes it.
    void Ok();
    void Cancel();
    void Close();
    Outcome outcome() const { return outcome_; }

  private:
    void showRows();
    void fillSlot(FilterSlot& slot, const FilterRow& row) const;
    void commitShownEdits();
    void moveTo(int position);
    // The row shown by slot k, or null when the slot shows none.
    FilterRow* rowOf(int k);

    DynamicFilterSet& filters_;
    std::uint8_t& staticFilter_;
    InteractionPort& ui_;
    std::vector<std::uint8_t> staticValues_;
    std::vector<std::wstring> subjects_;
    std::array<FilterSlot, kSlots> slots_;
    int first_ = -1;
    int shown_ = 0;
    int position_ = 0;
    int maximum_ = 0;
    bool orMode_ = false;
    Outcome outcome_ = Outcome::Open;
    std::uint64_t revision_ = 0;
};

}  // namespace quorel
