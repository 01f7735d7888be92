#include "filters/acl_diff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/compare_test_support.h"
#include "filters/permissions.h"
#include "platform/sim/recording_interaction.h"
#include "platform/text.h"

namespace quorel {
namespace {

using namespace test;
using V = std::vector<CDirEntry*>;
constexpr std::uint16_t kNone = AceRecord::kNoPartnerAce;

class AclDiff : public CompareTrees {};

// --- DiffAcl --------------------------------------------------------------

TEST_F(AclDiff, DiffAclIgnoresTheOrderOfTheAces) {
    give(o.a, {kStandard[2], kStandard[0], kStandard[1]});
    EXPECT_FALSE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{1, 2, 0}));
    EXPECT_FALSE(DiffAcl(*o.a, s.a));
    EXPECT_EQ(links(*o.a), (std::vector<std::uint16_t>{2, 0, 1}));
}

TEST_F(AclDiff, DiffAclLinksAChangedMaskInTheSecondPass) {
    give(o.a, {kStandard[0], {L"Users", 0x1301BF, 0x13, 0}, kStandard[2]});
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{0, 1, 2}));
    EXPECT_TRUE(DiffAcl(*o.a, s.a));
    EXPECT_EQ(links(*o.a), (std::vector<std::uint16_t>{0, 1, 2}));
}

TEST_F(AclDiff, DiffAclTakesTheLastMatchOfEachPass) {
    give(o.a, {{L"Users", 0x1, 0x13, 0},
               {L"Users", 0x1200A9, 0x13, 0},
               {L"Users", 0x3, 0x13, 0},
               {L"Users", 0x1200A9, 0x13, 0},
               {L"Users", 0x7, 0x13, 0}});
    give(s.a, {{L"Users", 0x1200A9, 0x13, 0}, {L"Users", 0x1F01FF, 0x13, 0}});
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    // The exact pass wins over a later ACE that differs in the mask only.
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{3, 4}));
    // Repeated ACEs do not count as a difference.
    give(s.a, {{L"Users", 0x1200A9, 0x13, 0}, {L"Users", 0x1200A9, 0x13, 0}});
    EXPECT_FALSE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{3, 3}));
}

TEST_F(AclDiff, DiffAclNeedsTheSameTrusteeNameFlagsAndType) {
    give(o.a, {{L"Users", 0x1200A9, 0x13, 0}});
    const Aces others = {
        {L"users", 0x1200A9, 0x13, 0},  // trustee name differs in case
        {L"Users", 0x1200A9, 0x03, 0},  // not inherited
        {L"Users", 0x1200A9, 0x13, 1},  // deny
        {L"Guests", 0x1200A9, 0x13, 0},
    };
    give(s.a, others);
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{kNone, kNone, kNone, kNone}));
    // The domain is not part of the trustee name.
    s.a->ace(0)->setTrustee(test::NamesOf(s.a), L"Users", L"ELSEWHERE");
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{0, kNone, kNone, kNone}));
}

TEST_F(AclDiff, DiffAclAgainstADatasetWithATableOfItsOwnMatchesByName) {
    CDirList separate(ui);
    CDirEntry* e = add(separate, nullptr, L"C:\\Data");
    // Other ids for the same names, and an id of its own for a name only
    // the shown table lacks.
    separate.accountNames().intern(L"filler", L"");
    give(e, {kStandard[1], {L"Nobody", 0x1F01FF, 0x13, 0}, kStandard[2], kStandard[0]});
    EXPECT_TRUE(DiffAcl(*e, s.a));
    EXPECT_EQ(links(*e), (std::vector<std::uint16_t>{1, kNone, 2, 0}));
    EXPECT_FALSE(DiffAcl(*s.a, e));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{3, 0, 2}));
}

TEST_F(AclDiff, DiffAclWithoutCounterpartLeavesTheLinks) {
    s.a->ace(1)->partnerAce = 2;
    EXPECT_FALSE(DiffAcl(*s.a, nullptr));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{kNone, 2, kNone}));
    // With a counterpart every old link is replaced.
    give(o.a, {kStandard[0]});
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    EXPECT_EQ(links(*s.a), (std::vector<std::uint16_t>{0, kNone, kNone}));
}

TEST_F(AclDiff, DiffAclOfAnEmptyAcl) {
    give(o.a, {});
    EXPECT_TRUE(DiffAcl(*s.a, o.a));
    EXPECT_FALSE(DiffAcl(*o.a, s.a));
    give(s.a, {});
    EXPECT_FALSE(DiffAcl(*s.a, o.a));
}

}  // namespace
}  // namespace quorel
