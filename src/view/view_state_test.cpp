#include "view/view_state.h"

#include <gtest/gtest.h>

namespace quorel {
namespace {

using namespace view_change;

TEST(ViewState, ScrollRangeUpToAndBeyondTenThousandEntries) {
    MainViewState v;
    EXPECT_EQ(v.ResetScroll(10000), kVerticalBox | kVerticalRange | kRedraw);
    EXPECT_EQ(v.vScrollMax(), 9998);
    v.ResetScroll(10001);
    EXPECT_EQ(v.vScrollMax(), 10000);
    v.ResetScroll(1);  // an empty list
    EXPECT_EQ(v.vScrollMax(), 0);

    // 1,000,001 slots: the thumb maps proportionally both ways.
    v.ResetScroll(1000001);
    v.OnVerticalScroll(scroll_code::kThumbTrack, 5000);
    EXPECT_EQ(v.topEntry(), 500000);
    EXPECT_EQ(v.vScrollPos(), 4999);  // 500000 x 10000 / 1000001, truncated
    v.OnVerticalScroll(scroll_code::kThumbTrack, 10000);
    EXPECT_EQ(v.topEntry(), 999999);  // the end slot is not an entry
    EXPECT_EQ(v.vScrollPos(), 9999);
    v.OnVerticalScroll(scroll_code::kThumbTrack, 1);
    EXPECT_EQ(v.topEntry(), 100);
    EXPECT_EQ(v.vScrollPos(), 0);

    // Up to 10000 the thumb is the entry.
    v.ResetScroll(500);
    v.OnVerticalScroll(scroll_code::kThumbTrack, 321);
    EXPECT_EQ(v.topEntry(), 321);
    EXPECT_EQ(v.vScrollPos(), 321);

    // A new list starts at its first line.
    v.ResetScroll(500);
    EXPECT_EQ(v.top(), (ViewTop{0, 0}));
    EXPECT_EQ(v.vScrollPos(), 0);
}

TEST(ViewState, PagesAreOneEntryAndStopAtTheLastOne) {
    MainViewState v;
    v.ResetScroll(4);  // entries 0..2
    v.OnVerticalScroll(scroll_code::kLineDown, 0);
    v.OnVerticalScroll(scroll_code::kLineDown, 0);
    EXPECT_EQ(v.top(), (ViewTop{0, 2}));
    EXPECT_EQ(v.OnVerticalScroll(scroll_code::kPageDown, 0), kVerticalBox | kRedraw);
    EXPECT_EQ(v.top(), (ViewTop{1, 0}));
    v.OnKeyCommand(view_command::kPageDown);
    v.OnKeyCommand(view_command::kPageDown);
    v.OnKeyCommand(view_command::kPageDown);
    EXPECT_EQ(v.top(), (ViewTop{2, 0}));
    EXPECT_EQ(v.vScrollPos(), 2);
    v.OnKeyCommand(view_command::kLineUp);
    EXPECT_EQ(v.top(), (ViewTop{2, -1}));  // the layout steps back to entry 1
    v.OnKeyCommand(view_command::kPageUp);
    v.OnVerticalScroll(scroll_code::kPageUp, 0);
    v.OnVerticalScroll(scroll_code::kPageUp, 0);
    EXPECT_EQ(v.top(), (ViewTop{0, 0}));
    v.OnKeyCommand(view_command::kLineDown);
    EXPECT_EQ(v.top(), (ViewTop{0, 1}));
    v.OnVerticalScroll(scroll_code::kLineUp, 0);
    EXPECT_EQ(v.top(), (ViewTop{0, 0}));
    v.AdoptTop({2, 2});
    v.OnVerticalScroll(scroll_code::kPageUp, 0);
    EXPECT_EQ(v.top(), (ViewTop{1, 0}));
    v.OnVerticalScroll(scroll_code::kLineDown, 0);
    v.OnVerticalScroll(scroll_code::kPageDown, 0);
    EXPECT_EQ(v.top(), (ViewTop{2, 0}));
    v.AdoptTop({1, 2});
    v.OnKeyCommand(view_command::kPageUp);
    EXPECT_EQ(v.top(), (ViewTop{0, 0}));
    // Other codes move nothing but still redraw.
    EXPECT_EQ(v.OnVerticalScroll(8, 0), kVerticalBox | kRedraw);
    EXPECT_EQ(v.top(), (ViewTop{0, 0}));
    EXPECT_EQ(v.OnKeyCommand(50044), kNone);

    // The layout's normalised top becomes the view's, with the box.
    v.ResetScroll(20000);
    v.AdoptTop({9000, 3});
    EXPECT_EQ(v.top(), (ViewTop{9000, 3}));
    EXPECT_EQ(v.vScrollPos(), 4500);
    EXPECT_EQ(v.MoveTopTo(30000), kVerticalBox | kRedraw);
    EXPECT_EQ(v.top(), (ViewTop{19998, 0}));
}

TEST(ViewState, WheelInEachModeAndBelowOneNotch) {
    MainViewState v;
    v.ResetScroll(100);
    EXPECT_EQ(v.wheelMode(), kWheelFast);
    v.AdoptTop({50, 2});
    v.OnMouseWheel(-240);
    EXPECT_EQ(v.top(), (ViewTop{58, 0}));
    v.OnMouseWheel(120);
    EXPECT_EQ(v.top(), (ViewTop{54, 0}));
    v.AdoptTop({50, 2});
    v.OnMouseWheel(119);  // below one notch: the offset only
    EXPECT_EQ(v.top(), (ViewTop{50, 0}));
    v.AdoptTop({50, 2});
    v.OnMouseWheel(-119);
    EXPECT_EQ(v.top(), (ViewTop{50, 0}));
    v.OnMouseWheel(1200);
    EXPECT_EQ(v.top(), (ViewTop{10, 0}));
    v.OnMouseWheel(1200);
    EXPECT_EQ(v.top(), (ViewTop{0, 0}));

    v.OnWheelMenu(view_command::kWheelNormal);
    v.AdoptTop({50, 2});
    v.OnMouseWheel(-360);
    EXPECT_EQ(v.top(), (ViewTop{53, 0}));
    v.AdoptTop({50, 2});
    v.OnMouseWheel(-119);
    EXPECT_EQ(v.top(), (ViewTop{50, 0}));

    v.OnWheelMenu(view_command::kWheelLow);
    v.AdoptTop({50, 2});
    v.OnMouseWheel(119);  // a part notch up: one line up
    EXPECT_EQ(v.top(), (ViewTop{50, 1}));
    v.OnMouseWheel(-119);  // toward the user, less than a notch: still up
    EXPECT_EQ(v.top(), (ViewTop{50, 0}));
    v.OnMouseWheel(-720);  // one line per message
    EXPECT_EQ(v.top(), (ViewTop{50, 1}));
    EXPECT_EQ(v.OnMouseWheel(360), kVerticalBox | kRedraw);
    EXPECT_EQ(v.top(), (ViewTop{50, 0}));
}

TEST(ViewState, WheelSpeedWords) {
    MainViewState v;
    EXPECT_STREQ(v.wheelWord(), L"Fast Scroll");
    EXPECT_EQ(v.OnMiddleButton(), kWheelWord);
    EXPECT_EQ(v.wheelMode(), kWheelSlow);
    EXPECT_STREQ(v.wheelWord(), L"Slow Scroll");
    v.OnMiddleButton();
    EXPECT_STREQ(v.wheelWord(), L"Normal Scroll");
    v.OnMiddleButton();
    EXPECT_EQ(v.wheelMode(), kWheelFast);
    EXPECT_EQ(v.OnWheelMenu(50068), kWheelWord);
    EXPECT_EQ(v.wheelMode(), kWheelSlow);
    EXPECT_EQ(v.OnWheelMenu(50066), kWheelWord);
    EXPECT_EQ(v.wheelMode(), kWheelFast);
    EXPECT_EQ(v.OnWheelMenu(50069), kNone);
    EXPECT_EQ(v.wheelMode(), kWheelFast);
}

TEST(ViewState, HorizontalPositionStaysInZeroToHundred) {
    MainViewState v;
    EXPECT_EQ(v.OnHorizontalScroll(scroll_code::kLineUp, 0), kNone);  // already 0
    EXPECT_EQ(v.OnHorizontalScroll(scroll_code::kPageDown, 0), kHorizontalBox | kRedraw);
    EXPECT_EQ(v.hScroll(), 10);
    v.OnHorizontalScroll(scroll_code::kLineDown, 0);
    EXPECT_EQ(v.hScroll(), 11);
    v.OnHorizontalScroll(scroll_code::kPageUp, 0);
    EXPECT_EQ(v.hScroll(), 1);
    v.OnHorizontalScroll(scroll_code::kThumbTrack, 250);
    EXPECT_EQ(v.hScroll(), 100);
    EXPECT_EQ(v.OnKeyCommand(view_command::kScrollRight), kNone);
    EXPECT_EQ(v.OnKeyCommand(view_command::kScrollLeft), kHorizontalBox | kRedraw);
    EXPECT_EQ(v.hScroll(), 99);
    EXPECT_EQ(v.OnHorizontalScroll(scroll_code::kThumbTrack, 99), kNone);
    EXPECT_EQ(v.OnHorizontalScroll(scroll_code::kThumbPosition, 5), kNone);
    EXPECT_EQ(v.hScroll(), 99);
}

TEST(ViewState, ModifierKeyAndCompletePath) {
    MainViewState v;
    v.OnKeyDown(kKeyControl);
    EXPECT_EQ(v.modifierKey(), 1);
    v.OnKeyDown(kKeyShift);
    EXPECT_EQ(v.modifierKey(), 2);
    v.OnKeyUp(0x41);
    EXPECT_EQ(v.modifierKey(), 2);
    v.OnKeyUp(kKeyShift);
    EXPECT_EQ(v.modifierKey(), 0);
    v.OnKeyDown(kKeyControl);
    v.OnKeyDown(0x41);
    EXPECT_EQ(v.modifierKey(), 0);

    EXPECT_TRUE(v.showCompletePath());
    EXPECT_STREQ(v.ToggleShowCompletePath(), L"Show only filename instead of complete path.");
    EXPECT_FALSE(v.showCompletePath());
    EXPECT_STREQ(v.ToggleShowCompletePath(), L"Show complete path of files.");
}

}  // namespace
}  // namespace quorel
