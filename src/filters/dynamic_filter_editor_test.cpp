#include "filters/dynamic_filter_editor.h"

#include <gtest/gtest.h>

#include "filters/dynamic_filter.h"
#include "filters/filter_window_layout.h"
#include "platform/sim/recording_interaction.h"

namespace quorel {
namespace {

using Op = FilterOperator;
using Ops = std::vector<FilterOperator>;
const Ops kAccountOps = {Op::HasPermission, Op::DoesNotHavePermission,
                         Op::IsOwner,       Op::IsNotOwner,
                         Op::IsGroup,       Op::IsNotGroup};

FilterRow row(std::uint32_t op, const wchar_t* text, std::uint32_t right = 0) {
    return FilterRow{op, right, text};
}

class Editor : public ::testing::Test {
  protected:
    // `count` rows "r0", "r1", ... (is owner).
    DynamicFilterEditor& open(int count, bool compareMode = false) {
        set.rows.clear();
        for (int i = 0; i < count; ++i) {
            set.rows.push_back(row(kRuleIsOwner, (L"r" + std::to_wstring(i)).c_str()));
        }
        editor.emplace(set, staticFilter, compareMode, names, ui);
        return *editor;
    }
    std::vector<std::wstring> texts() const {
        std::vector<std::wstring> t;
        for (const FilterRow& r : set.rows) {
            t.push_back(r.text);
        }
        return t;
    }
    // The row texts slots 0..6 show; "" for a hidden slot.
    std::vector<std::wstring> shownTexts() const {
        std::vector<std::wstring> t;
        for (int k = 0; k < DynamicFilterEditor::kSlots; ++k) {
            t.push_back(editor->slot(k).shown ? editor->slot(k).subject : L"");
        }
        return t;
    }

    sim::RecordingInteraction ui;
    DynamicFilterSet set;
    std::uint8_t staticFilter = 1;
    std::vector<std::wstring> names = {L"Users", L"admins", L"Zed"};
    std::optional<DynamicFilterEditor> editor;
};

using Texts = std::vector<std::wstring>;

TEST_F(Editor, WithoutRowsOnlyTheButtonsOfSlotZeroShowAndPlusAddsAnyUserHasAll) {
    DynamicFilterEditor& e = open(0);
    EXPECT_EQ(e.firstShownRow(), -1);
    EXPECT_EQ(e.shownSlots(), 0);
    EXPECT_TRUE(e.slot(0).buttonsShown);
    EXPECT_FALSE(e.slot(0).shown);
    for (int k = 1; k < 7; ++k) {
        EXPECT_FALSE(e.slot(k).buttonsShown || e.slot(k).shown) << k;
    }
    e.Minus(0);  // nothing to delete
    EXPECT_TRUE(set.rows.empty());
    EXPECT_EQ(e.scrollPosition(), 0);
    e.Plus(1);  // a hidden slot's button
    EXPECT_TRUE(set.rows.empty());

    e.Plus(0);
    ASSERT_EQ(set.rows.size(), 1u);
    EXPECT_EQ(set.rows[0].op, kRuleHasPermission);
    EXPECT_EQ(set.rows[0].right, 0u);
    EXPECT_EQ(set.rows[0].text, L"<any user>");
    const FilterSlot& s = e.slot(0);
    EXPECT_TRUE(s.shown);
    EXPECT_TRUE(s.buttonsShown);
    EXPECT_EQ(s.subject, L"<any user>");
    // The window's own "<any user>" rows list all six operators.
    EXPECT_EQ(s.operators, kAccountOps);
    EXPECT_EQ(s.op, Op::HasPermission);
    EXPECT_TRUE(s.permissionShown);
    EXPECT_FALSE(s.editShown);
    EXPECT_EQ(s.permission, 0u);
    EXPECT_FALSE(e.slot(1).buttonsShown);
}

TEST_F(Editor, NineRowsScrollFromZeroToTwo) {
    DynamicFilterEditor& e = open(9);
    EXPECT_EQ(e.scrollMaximum(), 2);
    EXPECT_EQ(e.shownSlots(), 7);
    EXPECT_TRUE(e.slot(6).buttonsShown && e.slot(6).shown);
    EXPECT_EQ(shownTexts(), (Texts{L"r0", L"r1", L"r2", L"r3", L"r4", L"r5", L"r6"}));
    e.OnScroll(DynamicFilterEditor::Scroll::LineUp, 0);
    EXPECT_EQ(e.scrollPosition(), 0);
    e.OnScroll(DynamicFilterEditor::Scroll::LineDown, 0);
    EXPECT_EQ(e.firstShownRow(), 1);
    e.OnScroll(DynamicFilterEditor::Scroll::PageDown, 0);
    EXPECT_EQ(e.scrollPosition(), 2);
    EXPECT_EQ(shownTexts(), (Texts{L"r2", L"r3", L"r4", L"r5", L"r6", L"r7", L"r8"}));
    e.OnScroll(DynamicFilterEditor::Scroll::LineUp, 0);
    EXPECT_EQ(e.scrollPosition(), 1);
    EXPECT_EQ(e.slot(0).subject, L"r1");
    e.OnScroll(DynamicFilterEditor::Scroll::Thumb, 9);
    EXPECT_EQ(e.scrollPosition(), 2);
    e.OnScroll(DynamicFilterEditor::Scroll::PageUp, 0);
    EXPECT_EQ(e.scrollPosition(), 0);
    e.OnWheel(-120);  // towards the user: down 6, kept at 2
    EXPECT_EQ(e.scrollPosition(), 2);
    e.OnWheel(0);
    EXPECT_EQ(e.scrollPosition(), 2);
    e.OnWheel(120);
    EXPECT_EQ(e.scrollPosition(), 0);
    // Seven rows do not scroll.
    DynamicFilterEditor& seven = open(7);
    EXPECT_EQ(seven.scrollMaximum(), 0);
    seven.OnScroll(DynamicFilterEditor::Scroll::LineDown, 0);
    EXPECT_EQ(seven.firstShownRow(), 0);
}

TEST_F(Editor, PlusOnTheLastSlotInsertsAfterItsRowAndScrollsDown) {
    DynamicFilterEditor& e = open(9);
    e.Plus(6);
    EXPECT_EQ(texts(), (Texts{L"r0", L"r1", L"r2", L"r3", L"r4", L"r5", L"r6", L"<any user>", L"r7",
                              L"r8"}));
    EXPECT_EQ(e.scrollPosition(), 1);
    EXPECT_EQ(e.scrollMaximum(), 3);
    EXPECT_EQ(e.slot(6).subject, L"<any user>");
    // On another slot nothing scrolls.
    e.Plus(0);
    EXPECT_EQ(set.rows[2].text, L"<any user>");
    EXPECT_EQ(e.scrollPosition(), 1);
}

TEST_F(Editor, MinusDeletesTheSlotsRowAndMovesUpUnlessBelowTheNewMaximum) {
    DynamicFilterEditor& e = open(9);
    e.OnScroll(DynamicFilterEditor::Scroll::Thumb, 2);
    e.Minus(0);
    EXPECT_EQ(texts(), (Texts{L"r0", L"r1", L"r3", L"r4", L"r5", L"r6", L"r7", L"r8"}));
    EXPECT_EQ(e.scrollPosition(), 1);  // 2 is not below the new maximum 1
    e.Minus(6);                        // row 7: r8
    EXPECT_EQ(texts().back(), L"r7");
    EXPECT_EQ(e.scrollPosition(), 0);
    EXPECT_EQ(e.firstShownRow(), 0);
    e.Minus(0);  // six rows left, still at 0
    EXPECT_EQ(e.scrollPosition(), 0);
    EXPECT_EQ(e.shownSlots(), 6);
    EXPECT_FALSE(e.slot(6).buttonsShown);
    // Below the new maximum the position stays; at it, it moves up.
    DynamicFilterEditor& ten = open(10);
    ten.Minus(3);
    EXPECT_EQ(ten.scrollPosition(), 0);
    EXPECT_EQ(set.rows[3].text, L"r4");
    DynamicFilterEditor& nine = open(9);
    nine.OnScroll(DynamicFilterEditor::Scroll::Thumb, 2);
    nine.Minus(6);  // r8; eight rows: the position 2 passes the maximum 1
    nine.OnScroll(DynamicFilterEditor::Scroll::Thumb, 1);
    nine.Plus(0);   // nine again, position 1 = ...
    nine.Minus(0);  // ... the new maximum 1: up to 0
    EXPECT_EQ(nine.scrollPosition(), 0);
    // A slot past the seventh has no buttons.
    nine.Minus(7);
    nine.Plus(7);
    EXPECT_EQ(set.rows.size(), 8u);
}

TEST_F(Editor, TextTypedIntoAFileNameEditReachesTheRow) {
    DynamicFilterEditor& e = open(2);
    // Choosing the subject changes the slot, not the row.
    e.ChooseSubject(1, L"<filename>");
    EXPECT_EQ(e.slot(1).operators, (Ops{Op::Contains, Op::DoesNotContain}));
    EXPECT_FALSE(e.slot(1).op.has_value());
    EXPECT_TRUE(e.slot(1).editShown);
    EXPECT_FALSE(e.slot(1).permissionShown);
    EXPECT_EQ(set.rows[1].op, kRuleIsOwner);
    EXPECT_EQ(set.rows[1].text, L"r1");
    const std::uint64_t revision = e.revision();
    e.TypeEditText(1, L"temp");
    EXPECT_EQ(e.revision(), revision);  // the edit shows it already
    e.ChooseOperator(1, Op::Contains);
    EXPECT_EQ(set.rows[1].op, kRulePathContains);
    EXPECT_EQ(set.rows[1].text, L"temp");
    EXPECT_EQ(e.slot(1).editText, L"temp");
    // Typed after the operator: the row has it when the edit loses the
    // focus, or when OK is clicked.
    e.TypeEditText(1, L"TMP");
    EXPECT_EQ(set.rows[1].text, L"temp");
    e.EditLostFocus(1);
    EXPECT_EQ(set.rows[1].text, L"TMP");
    e.TypeEditText(1, L"x");
    e.Ok();
    EXPECT_EQ(set.rows[1].text, L"x");
    EXPECT_EQ(e.outcome(), DynamicFilterEditor::Outcome::Ok);
    EXPECT_EQ(set.rows[0].text, L"r0");  // not an edit's row
}

TEST_F(Editor, ScrollingWritesTheShownEditsFirst) {
    DynamicFilterEditor& e = open(8);
    set.rows[0] = row(kRulePathLacks, L"old");
    set.rows[7] = row(kRulePathContains, L"seven");
    e.OnScroll(DynamicFilterEditor::Scroll::Other, 0);  // shows the rows again
    e.TypeEditText(0, L"new");
    e.OnScroll(DynamicFilterEditor::Scroll::LineDown, 0);
    EXPECT_EQ(set.rows[0].text, L"new");
    EXPECT_EQ(set.rows[0].op, kRulePathLacks);
    EXPECT_EQ(e.slot(6).editText, L"seven");
    e.TypeEditText(6, L"eight");
    e.OnWheel(120);
    EXPECT_EQ(set.rows[7].text, L"eight");
}

TEST_F(Editor, AnAccountWithIsGroupStoresCodeFourWhateverPermissionShows) {
    DynamicFilterEditor& e = open(1);
    e.ChooseSubject(0, L"Users");
    EXPECT_EQ(e.slot(0).operators, kAccountOps);
    EXPECT_TRUE(e.slot(0).permissionShown);
    e.ChoosePermission(0, 5);
    EXPECT_EQ(set.rows[0].right, 5u);
    e.ChooseOperator(0, Op::IsGroup);
    EXPECT_EQ(set.rows[0].op, kRuleIsGroup);
    EXPECT_EQ(set.rows[0].right, 0u);
    EXPECT_EQ(set.rows[0].text, L"Users");
    EXPECT_FALSE(e.slot(0).permissionShown);
    EXPECT_EQ(e.slot(0).op, Op::IsGroup);
    // "has permission" takes the permission shown and the typed subject.
    e.TypeSubject(0, L"Typed Name");
    e.ChoosePermission(0, 14);
    e.ChooseOperator(0, Op::DoesNotHavePermission);
    EXPECT_EQ(set.rows[0].op, kRuleLacksPermission);
    EXPECT_EQ(set.rows[0].right, 14u);
    EXPECT_EQ(set.rows[0].text, L"Typed Name");
    // An operator the slot does not list changes nothing.
    e.ChooseSubject(0, L"<any user>");
    EXPECT_EQ(e.slot(0).operators, (Ops{Op::HasPermission, Op::DoesNotHavePermission}));
    e.ChooseOperator(0, Op::IsOwner);
    EXPECT_EQ(set.rows[0].op, kRuleLacksPermission);
    e.ChooseOperator(0, Op::HasPermission);
    EXPECT_EQ(set.rows[0].op, kRuleHasPermission);
    EXPECT_EQ(set.rows[0].text, L"<any user>");
    EXPECT_EQ(set.rows[0].right, 14u);
    // A row text holds 999 characters.
    e.ChooseSubject(0, std::wstring(1000, L'x'));
    e.ChooseOperator(0, Op::IsOwner);
    EXPECT_EQ(set.rows[0].text, std::wstring(999, L'x'));
    e.ChooseSubject(0, L"<filename>");
    e.TypeEditText(0, std::wstring(1200, L'y'));
    e.ChooseOperator(0, Op::Contains);
    EXPECT_EQ(set.rows[0].text.size(), 999u);
    e.TypeEditText(0, std::wstring(1000, L'z'));
    e.EditLostFocus(0);
    EXPECT_EQ(set.rows[0].text, std::wstring(999, L'z'));
    // Calls for a slot without a row change nothing.
    e.ChooseOperator(1, Op::IsOwner);
    e.ChoosePermission(1, 3);
    EXPECT_EQ(set.rows.size(), 1u);
}

TEST_F(Editor, SlotsShowEveryCodeAsTheWindowTableSays) {
    set.rows = {row(kRuleIsNotOwner, L"a"),
                row(kRuleIsNotGroup, L"b"),
                row(kRuleAnyUserLacksPermission, L"ignored", 99),
                row(kRulePathLacks, L"tmp"),
                row(12, L"broken", 3),
                row(kRuleLacksPermission, L"c", 13)};
    DynamicFilterEditor e(set, staticFilter, false, names, ui);
    EXPECT_EQ(e.slot(0).op, Op::IsNotOwner);
    EXPECT_EQ(e.slot(1).op, Op::IsNotGroup);
    EXPECT_EQ(e.slot(1).subject, L"b");
    EXPECT_FALSE(e.slot(1).permissionShown || e.slot(1).editShown);
    EXPECT_EQ(e.slot(2).subject, L"<any user>");
    EXPECT_EQ(e.slot(2).operators, (Ops{Op::HasPermission, Op::DoesNotHavePermission}));
    EXPECT_EQ(e.slot(2).op, Op::DoesNotHavePermission);
    EXPECT_EQ(e.slot(2).permission, 99u);  // the list selects nothing
    EXPECT_EQ(e.slot(3).subject, L"<filename>");
    EXPECT_EQ(e.slot(3).op, Op::DoesNotContain);
    EXPECT_EQ(e.slot(3).editText, L"tmp");
    EXPECT_TRUE(e.slot(3).editShown);
    EXPECT_FALSE(e.slot(3).permissionShown);
    EXPECT_EQ(e.slot(4).subject, L"broken");
    EXPECT_FALSE(e.slot(4).op.has_value());
    EXPECT_EQ(e.slot(5).op, Op::DoesNotHavePermission);
    EXPECT_EQ(e.slot(5).permission, 13u);
    EXPECT_EQ(e.slot(5).editText, L"");
}

TEST_F(Editor, CancelAndCloseKeepTheEditsAndAndIsChosenOnOpening) {
    set.combination = 1;
    DynamicFilterEditor& e = open(1);
    EXPECT_FALSE(e.orChosen());
    EXPECT_EQ(e.combination(), 0u);
    e.ChooseCombination(true);
    EXPECT_EQ(e.combination(), 1u);
    e.ChooseOperator(0, Op::IsNotGroup);
    e.Cancel();
    EXPECT_EQ(e.outcome(), DynamicFilterEditor::Outcome::Cancel);
    EXPECT_EQ(set.rows[0].op, kRuleIsNotGroup);
    EXPECT_EQ(set.combination, 1u);  // only OK applies it
    DynamicFilterEditor& closed = open(0);
    EXPECT_EQ(closed.outcome(), DynamicFilterEditor::Outcome::Open);
    closed.Close();
    EXPECT_EQ(closed.outcome(), DynamicFilterEditor::Outcome::Closed);
}

TEST_F(Editor, StaticFilterListAndItsCompareModeSubset) {
    staticFilter = 6;
    DynamicFilterEditor& e = open(0);
    ASSERT_EQ(e.staticFilterValues().size(), 8u);
    EXPECT_EQ(e.staticFilterSelection(), 5);
    e.ChooseStaticFilter(2);
    EXPECT_EQ(staticFilter, 3);
    e.ChooseStaticFilter(8);  // past the list
    EXPECT_EQ(staticFilter, 3);
    EXPECT_EQ(DynamicFilterEditor::StaticFilterLabel(1), L"Show All Files");
    EXPECT_EQ(DynamicFilterEditor::StaticFilterLabel(8),
              L"Show Only Files Where an Error Occurred while Analysing the ACL");
    EXPECT_EQ(DynamicFilterEditor::StaticFilterLabel(9), L"");
    // Compare mode: 3 is not offered and goes back to 1.
    DynamicFilterEditor& c = open(0, true);
    EXPECT_EQ(c.staticFilterValues(), (std::vector<std::uint8_t>{1, 5, 7, 8}));
    EXPECT_EQ(staticFilter, 1);
    EXPECT_EQ(c.staticFilterSelection(), 0);
    c.ChooseStaticFilter(2);
    EXPECT_EQ(staticFilter, 7);
    open(0, true);  // 7 is offered: it stays
    EXPECT_EQ(staticFilter, 7);
}

TEST_F(Editor, SubjectsAreSortedWithoutRegardToCaseAndFoundExactly) {
    names.push_back(L"<any user>");
    names.push_back(L"users");
    names.push_back(L"USERS");
    const DynamicFilterEditor& e = open(0);
    ASSERT_EQ(e.subjects(), (Texts{L"<any user>", L"<filename>", L"admins", L"Users", L"users",
                                   L"USERS", L"Zed"}));
    EXPECT_EQ(e.subjectIndex(L"<any user>"), 0);
    EXPECT_EQ(e.subjectIndex(L"users"), 4);
    EXPECT_EQ(e.subjectIndex(L"USERS"), 5);
    EXPECT_EQ(e.subjectIndex(L"Zed"), 6);
    EXPECT_EQ(e.subjectIndex(L"uSers"), -1);
    EXPECT_EQ(e.subjectIndex(L"Zz"), -1);
    EXPECT_EQ(e.subjectIndex(L""), -1);
}

TEST(FilterOperators, TextsRoundTrip) {
    for (int i = 0; i < 8; ++i) {
        const auto op = static_cast<FilterOperator>(i);
        EXPECT_EQ(OperatorFromText(OperatorText(op)), op);
    }
    EXPECT_EQ(OperatorText(FilterOperator::DoesNotHavePermission), L"does not have permission");
    EXPECT_EQ(OperatorText(FilterOperator::IsNotGroup), L"is not group");
    EXPECT_FALSE(OperatorFromText(L"Contains").has_value());
}

TEST(FilterWindowLayout, SlotIdsAndPlaces) {
    using namespace filter_window;
    EXPECT_EQ(SlotControlId(6, kPlus), 186);
    const auto first = SlotOfControl(13);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->slot, 0);
    EXPECT_EQ(first->part, kSubject);
    const auto last = SlotOfControl(186);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->slot, 6);
    EXPECT_EQ(last->part, kPlus);
    EXPECT_EQ(SlotOfControl(44)->part, kEdit);  // 16 + 28
    EXPECT_FALSE(SlotOfControl(12).has_value());
    EXPECT_FALSE(SlotOfControl(19).has_value());  // between slots 0 and 1
    EXPECT_FALSE(SlotOfControl(187).has_value());

    const std::vector<WindowControl> c = DynamicFilterWindowControls(704, 441, 15);
    ASSERT_EQ(c.size(), 3u + 42u + 5u);
    const WindowControl& minus6 = c[3 + 6 * 6 + 4];
    EXPECT_EQ(minus6.id, 185);
    EXPECT_EQ(minus6.text, L"-");
    EXPECT_EQ(minus6.x, 660);
    EXPECT_EQ(minus6.y, 370);
    const WindowControl& scroll = c[45];
    EXPECT_EQ(scroll.kind, ControlKind::VerticalScrollBar);
    EXPECT_EQ(scroll.x, 684);
    EXPECT_EQ(scroll.y, 107);
    EXPECT_EQ(scroll.height, 441 - 7 - 150);
    const WindowControl& ok = c[48];
    EXPECT_EQ(ok.id, kOk);
    EXPECT_EQ(ok.kind, ControlKind::DefaultButton);
    EXPECT_EQ(ok.x, 704 - 180);
    EXPECT_EQ(ok.y, 441 + 15 - 52);
    EXPECT_EQ(c[49].text, L"Cancel");
    EXPECT_EQ(c[46].y, 441 - 50);
}

}  // namespace
}  // namespace quorel
