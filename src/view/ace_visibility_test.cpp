#include "view/ace_visibility.h"

#include <gtest/gtest.h>

#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "platform/sim/recording_interaction.h"

namespace quorel {
namespace {

TEST(AceVisibility, OptionsHideTheirKindAndNeverUnhideTheOthers) {
    sim::RecordingInteraction ui;
    CDirList list(ui);
    DatasetBuilder listBuild(list);
    CDirEntry* e = listBuild.addLoadEntry();
    e->resizeAces(4);
    const std::uint8_t flags[] = {0x00, 0x08 | 0x03, 0x10, 0x18 | 0x03};
    for (std::uint32_t i = 0; i < 4; ++i) {
        e->ace(i)->setTrustee(test::NamesOf(e), L"t", L"d");
        e->ace(i)->set(1, flags[i], 0);
    }
    auto shown = [&] {
        std::string s;
        for (std::uint32_t i = 0; i < 4; ++i) {
            s += e->ace(i)->visible ? '1' : '0';
        }
        return s + "/" + std::to_string(e->visibleAceCount);
    };
    ApplyAceVisibility(list, true, false);
    EXPECT_EQ(shown(), "1111/4");
    ApplyAceVisibility(list, false, false);
    EXPECT_EQ(shown(), "1010/2");
    ApplyAceVisibility(list, false, true);
    EXPECT_EQ(shown(), "1000/1");
    // Inherit-only shown again: the inherited inherit-only ACE stays hidden.
    ApplyAceVisibility(list, true, true);
    EXPECT_EQ(shown(), "1100/2");
}

}  // namespace
}  // namespace quorel
