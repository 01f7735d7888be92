#include "platform/nt_rules.h"

#include <gtest/gtest.h>

namespace quorel::nt {
namespace {

const Sid kAlice = Sid::make(5, {21, 7, 1001});
const Sid kBob = Sid::make(5, {21, 7, 1002});
const Sid kOwner = Sid::make(5, {21, 7, 1003});
const Sid kGroup = Sid::make(5, {21, 7, 513});

RawAce A(const Sid& sid, std::uint32_t mask, std::uint8_t flags = 0) {
    return RawAce::make(ace_type::kAccessAllowed, flags, mask, sid);
}
RawAce D(const Sid& sid, std::uint32_t mask, std::uint8_t flags = 0) {
    return RawAce::make(ace_type::kAccessDenied, flags, mask, sid);
}

TEST(NtRules, GenericRightsMapToTheFileRightsBitByBit) {
    EXPECT_EQ(mapGenericRights(access::kGenericAll), 0x1F01FFu);
    EXPECT_EQ(mapGenericRights(access::kGenericRead | 0x40), 0x1200C9u);
    EXPECT_EQ(mapGenericRights(access::kGenericWrite), 0x120116u);
    EXPECT_EQ(mapGenericRights(access::kGenericExecute), 0x1200A0u);
    EXPECT_EQ(mapGenericRights(0x0800'0000), 0x0800'0000u);  // not generic: kept
    EXPECT_FALSE(hasGenericRights(0x0FFF'FFFF));
}

TEST(NtRules, UnderAParentWithoutAutoInheritanceCopiesAreNotMarkedInherited) {
    const std::vector<RawAce> parent{A(kAlice, 1, 0x03), D(kBob, 2, 0x01)};
    EXPECT_EQ(inheritedAces(parent, false, true, kOwner, kGroup),
              (std::vector<RawAce>{A(kAlice, 1, 0x03), D(kBob, 2, 0x09)}));
    EXPECT_EQ(inheritedAces(parent, false, false, kOwner, kGroup),
              (std::vector<RawAce>{A(kAlice, 1), D(kBob, 2)}));
    // The creator SIDs without an owner or group known: only the copy that
    // stays inheritable.
    const std::vector<RawAce> creators{A(well_known::creatorOwner(), 4, 0x03),
                                       A(well_known::creatorGroup(), 8, 0x03)};
    EXPECT_EQ(inheritedAces(creators, true, true, std::nullopt, kGroup),
              (std::vector<RawAce>{A(well_known::creatorOwner(), 4, 0x1B), A(kGroup, 8, 0x10),
                                   A(well_known::creatorGroup(), 8, 0x1B)}));
}

TEST(NtRules, WhatAWriteStores) {
    const std::vector<RawAce> old{A(kAlice, 1), A(kBob, 2, 0x10)};
    const std::vector<RawAce> written{A(kOwner, access::kGenericRead),
                                      A(kOwner, access::kGenericRead, 0x0B), A(kAlice, 4, 0x10)};
    constexpr std::uint16_t P = sd_control::kDaclProtected;
    constexpr std::uint16_t AI = sd_control::kDaclAutoInherited;
    constexpr std::uint16_t REQ = sd_control::kDaclAutoInheritReq;
    const std::vector<RawAce> mapped{A(kOwner, 0x120089), A(kOwner, access::kGenericRead, 0x0B),
                                     A(kAlice, 4, 0x10)};
    struct Case {
        std::uint16_t control;
        std::uint16_t stored;
        std::vector<RawAce> dacl;
    };
    const Case cases[] = {
        {0, 0, mapped},
        // AI without the request is not stored.
        {AI, 0, mapped},
        {P | AI, P, mapped},
        // With the request the object's own inherited ACEs stay.
        {AI | REQ,
         AI,
         {A(kOwner, 0x120089), A(kOwner, access::kGenericRead, 0x0B), A(kBob, 2, 0x10)}},
        {P | AI | REQ, P | AI, mapped},
    };
    for (const Case& c : cases) {
        const StoredDacl stored = storeDacl(old, written, c.control);
        EXPECT_EQ(stored.control, c.stored) << c.control;
        EXPECT_EQ(stored.dacl, c.dacl) << c.control;
    }
    EXPECT_TRUE(storedAsWritten(written, mapped));
    std::vector<RawAce> otherMask = mapped;
    otherMask[0].setMask(0x120088);
    EXPECT_FALSE(storedAsWritten(written, otherMask));
    std::vector<RawAce> otherLast = mapped;
    otherLast[2].setMask(5);
    EXPECT_FALSE(storedAsWritten(written, otherLast));
    EXPECT_FALSE(storedAsWritten(written, {mapped[0], mapped[1]}));
    EXPECT_FALSE(storedAsWritten(mapped, written));  // mapping never goes back
}

TEST(NtRules, CanonicalOrder) {
    const RawAce dx = D(kAlice, 1), ax = A(kBob, 2), di = D(kAlice, 4, 0x10), ai = A(kBob, 8, 0x10);
    RawAce objectAllow = RawAce::makeObject(ace_type::kAccessAllowedObject, 0, 16, kAlice);
    struct Case {
        std::vector<RawAce> dacl;
        bool canonical;
        std::size_t denyAt, allowAt;
    };
    const Case cases[] = {
        {{}, true, 0, 0},
        {{dx, ax, ai, di}, true, 1, 2},  // inherited ACEs keep their parents' order
        {{ax, dx, ai}, false, 0, 2},
        {{dx, ai, ax}, false, 1, 1},
        {{objectAllow, dx}, false, 0, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isCanonical(c.dacl), c.canonical) << c.dacl.size();
        EXPECT_EQ(canonicalInsertIndex(c.dacl, true), c.denyAt) << c.dacl.size();
        EXPECT_EQ(canonicalInsertIndex(c.dacl, false), c.allowAt) << c.dacl.size();
        EXPECT_TRUE(isCanonical(canonicalOrder(c.dacl)));
    }
    EXPECT_EQ(canonicalOrder({ai, ax, di, dx, objectAllow, D(kBob, 32)}),
              (std::vector<RawAce>{dx, D(kBob, 32), ax, objectAllow, ai, di}));
}

}  // namespace
}  // namespace quorel::nt
