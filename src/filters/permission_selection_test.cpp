#include "filters/permission_selection.h"

#include <gtest/gtest.h>

#include "filters/filter_window_layout.h"
#include "filters/permissions.h"
#include "platform/sim/recording_interaction.h"

namespace quorel {
namespace {

using Names = std::vector<std::wstring>;

Names columns(const DisplayedRights& rights) {
    Names n;
    for (std::size_t i = 0; i < rights.count(); ++i) {
        n.push_back(rights.column(i).abbreviation);
    }
    return n;
}

std::vector<std::size_t> checkedRows(const PermissionSelection& s) {
    std::vector<std::size_t> rows;
    for (std::size_t r = 0; r < PermissionSelection::kCount + 1; ++r) {
        if (s.checked(r)) {
            rows.push_back(r);
        }
    }
    return rows;
}

class Selection : public ::testing::Test {
  protected:
    sim::RecordingInteraction ui;
    DisplayedRights rights;
};

TEST_F(Selection, BasicSetChecksOnlyAllAndOkLeavesBasicModeWithTheColumnAll) {
    rights.SetBasicPermissionSet();
    rights.setBasicPermissionMode(true);
    PermissionSelection s(rights, ui);
    EXPECT_EQ(checkedRows(s), std::vector<std::size_t>{0});
    s.Ok();
    EXPECT_EQ(columns(rights), Names{L"all"});
    EXPECT_EQ(rights.column(0).mask, 0x1F01FFu);
    EXPECT_FALSE(rights.basicPermissionMode());
    EXPECT_EQ(s.outcome(), PermissionSelection::Outcome::Ok);
}

TEST_F(Selection, StartupColumnsComeBackInTheFixedOrder) {
    PermissionSelection s(rights, ui);  // rd, wr, ex, del
    EXPECT_EQ(checkedRows(s), (std::vector<std::size_t>{5, 6, 9, 13}));
    s.Ok();
    EXPECT_EQ(columns(rights), (Names{L"ex", L"rd", L"wr", L"del"}));
}

TEST_F(Selection, OkWithNothingCheckedLeavesNoColumns) {
    PermissionSelection s(rights, ui);
    for (std::size_t r : {5, 6, 9, 13}) {
        s.Click(r);
    }
    EXPECT_TRUE(checkedRows(s).empty());
    s.Ok();
    EXPECT_EQ(rights.count(), 0u);
}

TEST_F(Selection, AllOverGenericReadGivesSixteenColumnsAndClearsAgain) {
    rights.clear();
    rights.AppendRightColumn(0x80000000, L"g_rd");
    PermissionSelection s(rights, ui);
    EXPECT_EQ(checkedRows(s), std::vector<std::size_t>{2});
    s.Click(PermissionSelection::kAll);
    EXPECT_EQ(checkedRows(s).size(), 16u);
    EXPECT_FALSE(s.checked(1) || s.checked(3) || s.checked(4));
    PermissionSelection again = s;
    again.Click(PermissionSelection::kAll);  // set: clears the fifteen, keeps g_rd
    EXPECT_EQ(checkedRows(again), std::vector<std::size_t>{2});
    s.Ok();
    EXPECT_EQ(columns(rights),
              (Names{L"all", L"g_rd", L"ex", L"rd", L"rd_a", L"rd_ea", L"wr", L"app", L"wr_a",
                     L"wr_ea", L"del", L"rd_p", L"wr_p", L"ow_t", L"del_ch", L"sync"}));
    EXPECT_EQ(rights.column(6).mask, 0x2u);
    EXPECT_EQ(rights.column(15).mask, 0x100000u);
}

TEST_F(Selection, OtherBoxesToggleAloneAndClicksOutsideTheListDoNothing) {
    rights.clear();
    PermissionSelection s(rights, ui);
    s.Click(1);
    s.Click(18);
    EXPECT_EQ(checkedRows(s), (std::vector<std::size_t>{1, 18}));
    s.Click(18);
    s.Click(19);
    EXPECT_EQ(checkedRows(s), std::vector<std::size_t>{1});
    // "all" unset with sync set: all fifteen become set.
    s.Click(18);
    s.Click(PermissionSelection::kAll);
    EXPECT_EQ(checkedRows(s).size(), 16u);
}

TEST_F(Selection, CancelAndCloseLeaveTheColumns) {
    PermissionSelection s(rights, ui);
    s.Click(PermissionSelection::kAll);
    s.Cancel();
    EXPECT_EQ(s.outcome(), PermissionSelection::Outcome::Cancel);
    EXPECT_EQ(columns(rights), (Names{L"rd", L"wr", L"ex", L"del"}));
    PermissionSelection closed(rights, ui);
    EXPECT_EQ(closed.outcome(), PermissionSelection::Outcome::Open);
    closed.Close();
    EXPECT_EQ(closed.outcome(), PermissionSelection::Outcome::Closed);
}

TEST_F(Selection, QuestionMarkExplainsTheGenericFlags) {
    PermissionSelection s(rights, ui);
    s.ShowGenericInfo();
    ASSERT_EQ(ui.messages().size(), 1u);
    const sim::Interaction m = ui.messages()[0];
    EXPECT_EQ(m.caption, L"Info about generic flags");
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
    EXPECT_EQ(m.icon, MessageIcon::None);
    EXPECT_EQ(m.text,
              L"Warning: use gerneric flags only if you know what you are doing. In some cases "
              L"windows converts gerneric flags into normal flags when you change them. Also if "
              L"you inherit them they are converted into a combination of convertional flags. "
              L"If you set a generic flag and windows converts it to a combination of normal "
              L"flags you cannot unset the flags by clicking on the generic flag again. In this "
              L"case you have to uncheck the specific convertional flags.");
}

TEST(PermissionWindowLayout, BoxesInVocabularyOrderWithTheirIds) {
    const std::vector<WindowControl>& c = PermissionWindowControls();
    ASSERT_EQ(c.size(), 23u);
    EXPECT_EQ(c[0].kind, ControlKind::GroupBox);
    EXPECT_EQ(c[1].id, 2);
    EXPECT_EQ(c[1].kind, ControlKind::DefaultButton);
    EXPECT_EQ(c[3].text, L"?");
    EXPECT_EQ(c[3].height, 80);
    const WindowControl& gExecute = c[4 + 4];
    EXPECT_EQ(gExecute.id, 25);
    EXPECT_EQ(gExecute.text, L"GENERIC_EXECUTE (alternate execute flag)");
    EXPECT_EQ(gExecute.y, 110);
    EXPECT_EQ(gExecute.width, 240);
    EXPECT_EQ(c[4 + 3].width, 230);
    EXPECT_EQ(c[4 + 5].width, 200);
    const WindowControl& sync = c[22];
    EXPECT_EQ(sync.id, 29);
    EXPECT_EQ(sync.y, 390);
    EXPECT_EQ(sync.text, L"Synchronize (sync)");
    EXPECT_EQ(RightOfCheckBox(26), 3u);  // g_wr
    EXPECT_EQ(RightOfCheckBox(28), 17u);
    EXPECT_FALSE(RightOfCheckBox(27).has_value());
    EXPECT_EQ(RightCheckBoxId(0), 10);
    EXPECT_EQ(RightCheckBoxId(19), -1);
}

}  // namespace
}  // namespace quorel
