#include "platform/sddl_descriptor.h"

#include <gtest/gtest.h>

#include <random>

namespace quorel {
namespace {

Sid sid(const wchar_t* text) {
    return *Sid::fromString(text);
}

RawAce withTrailer(RawAce ace, std::vector<std::uint8_t> trailer) {
    ace.bytes.insert(ace.bytes.end(), trailer.begin(), trailer.end());
    ace.bytes[2] = static_cast<std::uint8_t>(ace.bytes.size());
    return ace;
}

SecurityDescriptor descriptor(std::optional<Sid> owner, std::optional<Sid> group,
                              std::uint16_t control, DaclState state, std::vector<RawAce> aces) {
    SecurityDescriptor sd;
    sd.owner = std::move(owner);
    sd.group = std::move(group);
    sd.control = control;
    sd.daclState = state;
    sd.dacl = std::move(aces);
    return sd;
}

// The text each descriptor is written as, and read back from.
TEST(SddlDescriptor, WritesAndReadsBackEachForm) {
    RawAce object = RawAce::makeObject(5, 0x02, 0x30, sid(L"S-1-5-10"));
    RawAce objectTypeOnly = RawAce::makeObject(6, 0, 0x100, sid(L"S-1-1-0"), 1);
    RawAce inheritedOnly = RawAce::makeObject(0x0B, 0, 0x1F01FF, sid(L"S-1-1-0"), 2);
    RawAce noGuid = RawAce::makeObject(5, 0, 1, sid(L"S-1-1-0"), 0);
    RawAce badSize = RawAce::make(0, 0, 1, sid(L"S-1-1-0"));
    badSize.bytes[2] = 0x30;
    struct Case {
        SecurityDescriptor sd;
        const char* text;
    };
    const Case cases[] = {
        {descriptor(sid(L"S-1-5-32-544"), sid(L"S-1-5-18"), 0x9404, DaclState::Present,
                    {RawAce::make(0, 0x03, 0x1F01FF, sid(L"S-1-5-18")),
                     RawAce::make(0, 0x0B, 0x10000000, sid(L"S-1-3-0")),
                     RawAce::make(0, 0x13, 0x1200A9, sid(L"S-1-5-32-545")),
                     RawAce::make(1, 0x1C, 0xE0010000, sid(L"S-1-5-11"))}),
         "O:BAG:SYD:PAI(A;OICI;FA;;;SY)(A;OICIIO;GA;;;CO)(A;OICIID;0x1200a9;;;BU)"
         "(D;NPIOID;SDGXGWGR;;;AU)"},
        {descriptor(
             sid(L"S-1-5-21-7-8-9-1001"), std::nullopt, 0x8104, DaclState::Present,
             {RawAce::make(0, 0xC0, 0xF01FF, sid(L"S-1-5-21-7-8-9-1001")),
              RawAce::make(1, 0x20, 0x120089, sid(L"S-1-3-4")),
              RawAce::make(0, 0, 0x1200A0, sid(L"S-1-0x123456789ABC-1")),
              RawAce::make(0, 0, 0x120116, sid(L"S-1-5")), RawAce::make(0, 0, 0, sid(L"S-1-3-1"))}),
         "O:S-1-5-21-7-8-9-1001D:AR(A;SAFA;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;S-1-5-21-7-8-9-1001)"
         "(D;0x20;FR;;;OW)(A;;FX;;;S-1-0x123456789ABC-1)(A;;FW;;;S-1-5)(A;;0x0;;;CG)"},
        {descriptor(std::nullopt, sid(L"S-1-5-32-545"), 0x9004, DaclState::Null, {}),
         "G:BUD:PNO_ACCESS_CONTROL"},
        {descriptor(std::nullopt, std::nullopt, 0x8000, DaclState::Absent, {}), ""},
        {descriptor(std::nullopt, std::nullopt, 0x8004, DaclState::Present, {}), "D:"},
        {descriptor(std::nullopt, std::nullopt, 0x1000, DaclState::Absent, {}), "C:0x1000"},
        {descriptor(std::nullopt, std::nullopt, 0x8005, DaclState::Present, {}), "D:C:0x8005"},
        {descriptor(std::nullopt, std::nullopt, 0x8004, DaclState::Present,
                    {object, objectTypeOnly, inheritedOnly, noGuid}),
         "D:(OA;CI;RPWP;0f0e0d0c-1110-1312-1415-161718191a1b;1f1e1d1c-2120-2322-2425-262728292a2b;"
         "PS)(OD;;CR;0f0e0d0c-1110-1312-1415-161718191a1b;;WD)"
         "(ZA;;FA;;0f0e0d0c-1110-1312-1415-161718191a1b;WD)(OA;;CC;;;WD)"},
        {descriptor(
             std::nullopt, std::nullopt, 0x8004, DaclState::Present,
             {withTrailer(RawAce::make(9, 0, 0x1F01FF, sid(L"S-1-1-0")), {0x61, 0x72, 0x74, 0x78}),
              withTrailer(RawAce::make(0x0A, 0, 1, sid(L"S-1-1-0")), {0, 0, 0, 0xFF}),
              RawAce::make(0x0C, 0, 1, sid(L"S-1-1-0")), badSize,
              RawAce::makeObject(5, 0, 1, sid(L"S-1-1-0"), 4), RawAce{{0, 0, 4, 0}}}),
         "D:(XA;;FA;;;WD;0x61727478)(XD;;CC;;;WD;0x000000ff)"
         "(RAW;0c00140001000000010100000000000100000000)"
         "(RAW;0000300001000000010100000000000100000000)"
         "(RAW;050018000100000004000000010100000000000100000000)(RAW;00000400)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatSddl(c.sd), c.text);
        SddlDescriptorParse parsed = parseSddl(c.text);
        ASSERT_TRUE(parsed.ok()) << c.text << ": " << parsed.errorText();
        EXPECT_EQ(parsed.descriptor->owner, c.sd.owner) << c.text;
        EXPECT_EQ(parsed.descriptor->group, c.sd.group) << c.text;
        EXPECT_EQ(parsed.descriptor->control, c.sd.control) << c.text;
        EXPECT_EQ(parsed.descriptor->daclState, c.sd.daclState) << c.text;
        EXPECT_EQ(parsed.descriptor->dacl, c.sd.dacl) << c.text;
    }
}

// Texts Windows accepts that are not the written form read to the same
// descriptor as the written form.
TEST(SddlDescriptor, ReadsOtherSpellingsToTheWrittenForm) {
    const std::vector<SddlSubstitution> names = {{"$OWNER", sid(L"S-1-5-21-1-2-3-1001")},
                                                 {"$GROUP", sid(L"S-1-5-21-1-2-3-513")}};
    struct Case {
        const char* text;
        const char* written;
    };
    const Case cases[] = {
        {"O:$OWNERD:AIARP(A;CIOI;0X1F01FF;;;S-1-1-0)",
         "O:S-1-5-21-1-2-3-1001D:PARAI(A;OICI;FA;;;WD)"},
        {"D:(A;;GRGWGXGA;;;S-1-5-18)(A;;KA;;;BA)(A;;KRKW;;;BA)(A;;KX;;;BA)(A;;NRNWNX;;;BA)",
         "D:(A;;GAGXGWGR;;;SY)(A;;CCDCLCSWRPWPSDRCWDWO;;;BA)(A;;CCDCLCSWRPRC;;;BA)(A;;CCSWRPRC;;;"
         "BA)"
         "(A;;CCDCLC;;;BA)"},
        {"D:(A;0x3;0x120089;;;S-1-5-32-544)(A;;FRFX;;;WD;0x)",
         "D:(A;OICI;FR;;;BA)(A;;0x1200a9;;;WD)"},
        {"D:(OA;;CC;0F0E0D0C-1110-1312-1415-161718191A1B;;WD)",
         "D:(OA;;CC;0f0e0d0c-1110-1312-1415-161718191a1b;;WD)"},
        {"D:C:0x8004", "D:"},
        {"D:(A;;FRFWFX;;;CG)(A;ID;0x8;;;$GROUP)",
         "D:(A;;0x1201bf;;;CG)(A;ID;SW;;;S-1-5-21-1-2-3-513)"},
    };
    for (const Case& c : cases) {
        SddlDescriptorParse parsed = parseSddl(c.text, names);
        ASSERT_TRUE(parsed.ok()) << c.text << ": " << parsed.errorText();
        EXPECT_EQ(formatSddl(*parsed.descriptor), c.written) << c.text;
    }
}

TEST(SddlDescriptor, BadInputNamesThePositionAndWhatWasExpected) {
    struct Case {
        const char* text;
        std::size_t position;
        const char* message;
    };
    const Case cases[] = {
        {"X", 0, "expected O:, G:, D: or C: in this order"},
        {"G:BAO:BA", 4, "expected O:, G:, D: or C: in this order"},
        {"O:", 2, "expected a SID (S-1-..., an alias such as BA, SY, WD, or a $ name)"},
        {"O:XXG:BA", 2, "expected a SID (S-1-..., an alias such as BA, SY, WD, or a $ name)"},
        {"O:$OWNER", 2, "unknown name $OWNER for a SID"},
        {"D:S:", 2, "a SACL (S:) is not kept"},
        {"D:PX", 3, "expected a DACL flag (P, AI, AR), NO_ACCESS_CONTROL or '('"},
        {"D:NO_ACCESS_CONTROL(A;;FA;;;WD)", 19, "expected O:, G:, D: or C: in this order"},
        {"D:(Q;;FA;;;WD)", 3, "expected an ACE type (A, D, OA, OD, XA, XD, ZA, AU, ...) or RAW"},
        {"D:(A", 4, "expected ';' after the ACE type"},
        {"D:(A;OI)", 7, "expected ';' after the ACE flags"},
        {"D:(A;XX;FA;;;WD)", 5, "expected an ACE flag (OI, CI, NP, IO, ID, SA, FA) or ';'"},
        {"D:(A;0x100;FA;;;WD)", 5, "expected at most 2 hexadecimal digits in the ACE flags"},
        {"D:(A;;;;;WD)", 6, "expected the rights (0x..., FA, FR, GA, RC, ...)"},
        {"D:(A;;FAQ;;;WD)", 8, "expected the rights (0x..., FA, FR, GA, RC, ...)"},
        {"D:(A;;0x;;;WD)", 6, "expected a hexadecimal number (0x...) in the rights"},
        {"D:(A;;0x12g;;;WD)", 10, "expected a hexadecimal digit in the rights"},
        {"D:(A;;0x123456789;;;WD)", 6, "expected at most 8 hexadecimal digits in the rights"},
        {"D:(A;;FA;0f0e0d0c-1110-1312-1415-161718191a1b;;WD)", 9,
         "expected no object type (only object ACEs have one)"},
        {"D:(OA;;FA;0f0e0d0c-1110-1312-1415-161718191a1;;WD)", 45,
         "expected a GUID (xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx)"},
        {"D:(OA;;FA;0f0e0d0c+1110-1312-1415-161718191a1b;;WD)", 18,
         "expected a GUID (xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx)"},
        {"D:(OA;;FA;;0f0e0d0c-1110-1312-1415-161718191a1b0;WD)", 47,
         "expected the end of the GUID"},
        {"D:(A;;FA;;x;WD)", 10, "expected no object type (only object ACEs have one)"},
        {"D:(A;;FA;;;$OTHER)", 11, "unknown name $OTHER for a SID"},
        {"D:(A;;FA;;;S-1-5-)", 11,
         "expected a SID (S-1-..., an alias such as BA, SY, WD, or a $ name)"},
        {"D:(A;;FA;;;WD;61)", 14, "expected 0x and hexadecimal digits in the data after the SID"},
        {"D:(A;;FA;;;WD;0x123)", 16,
         "expected two hexadecimal digits a byte in the data after the SID"},
        {"D:(A;;FA;;;WD;0x1z)", 17, "expected a hexadecimal digit in the data after the SID"},
        {"D:(A;;FA;;;WD;0x12;)", 18, "expected ')' to close the ACE"},
        {"D:(RAW;0g)", 8, "expected a hexadecimal digit in the bytes of the ACE"},
        {"D:(A;;FA;;;WD", 13, "expected ')' to close the ACE"},
        {"D:(A;;FA;;;WD)x", 14, "expected '(' to open an ACE"},
        {"C:0x10000", 2, "expected at most 4 hexadecimal digits in the control"},
        {"C:0x1D:", 6, "expected a hexadecimal digit in the control"},
    };
    for (const Case& c : cases) {
        SddlDescriptorParse parsed = parseSddl(c.text);
        ASSERT_FALSE(parsed.ok()) << c.text;
        EXPECT_EQ(parsed.error.position, c.position) << c.text;
        EXPECT_EQ(parsed.error.message, c.message) << c.text;
    }
    EXPECT_EQ(parseSddl("D:(A").errorText(), "at 4: expected ';' after the ACE type");
}

TEST(SddlDescriptor, RejectsAnAceLongerThanAnAceSizeHolds) {
    // 8 bytes of header and mask, 12 of SID, 65515 after it.
    const std::string trailer(2 * 65515, 'a');
    EXPECT_TRUE(parseSddl("D:(A;;FA;;;WD;0x" + trailer + ")").ok());
    SddlDescriptorParse tooLong = parseSddl("D:(A;;FA;;;WD;0x" + trailer + "aa)");
    ASSERT_FALSE(tooLong.ok());
    EXPECT_EQ(tooLong.errorText(), "at 3: the ACE is longer than 65535 bytes");
}

// A DACL alone: the descriptor's text of it, with P and AI kept, AR dropped
// and whatever else a descriptor holds refused.
TEST(SddlDacl, ReadsTheDaclAloneWithItsStoredFlags) {
    struct Case {
        const char* text;
        std::uint16_t control;
        std::vector<RawAce> aces;
        const char* error;
    };
    const std::vector<RawAce> two = {RawAce::make(1, 0x1C, 0x10000, sid(L"S-1-5-21-7-8-9-500")),
                                     RawAce::make(0, 0x03, 0x1F01FF, sid(L"S-1-5-32-544"))};
    const Case cases[] = {
        {"D:", 0, {}, ""},
        {"D:AIARP", 0x1400, {}, ""},
        {"D:AR(D;NPIOID;SD;;;S-1-5-21-7-8-9-500)(A;CIOI;FA;;;BA)", 0, two, ""},
        {"D:PC:0x9004", 0x1000, {}, ""},
        {"", 0, {}, "at 0: expected \"D:\" at the start of the DACL"},
        {"O:BAD:", 0, {}, "at 0: expected \"D:\" at the start of the DACL"},
        {"D:PNO_ACCESS_CONTROL", 0, {}, "at 3: expected ACEs, not a null DACL"},
        {"D:(A;;FA;;;WD)C:0x8014", 0, {}, "at 14: expected the DACL alone, without C:"},
        {"D:(A;;FA;;;$OWNER)", 0, {}, "at 11: unknown name $OWNER for a SID"},
    };
    for (const Case& c : cases) {
        SddlParse parsed = parseDaclSddl(c.text);
        EXPECT_EQ(parsed.ok() ? "" : parsed.errorText(), c.error) << c.text;
        if (parsed.ok()) {
            EXPECT_EQ(parsed.dacl->control, c.control) << c.text;
            EXPECT_EQ(parsed.dacl->aces, c.aces) << c.text;
        }
    }
}

TEST(SddlDacl, WritesTheDaclWithPAndAIOnlyAndReadsItBack) {
    RawAce odd = RawAce::make(2, 0xC1, 5, sid(L"S-1-1-0"));
    odd.bytes.push_back(7);
    const SddlDacl dacl{0x1400,
                        {RawAce::make(1, 0x1F, 0x10000000, sid(L"S-1-3-0")),
                         RawAce::make(0, 0, 0x1200A9, sid(L"S-1-5-21-1-2-3-1001")), odd}};
    const std::string text = formatDaclSddl({0xBD15, dacl.aces});
    EXPECT_EQ(text,
              "D:PAI(D;OICINPIOID;GA;;;CO)(A;;0x1200a9;;;S-1-5-21-1-2-3-1001)"
              "(RAW;02c114000500000001010000000000010000000007)");
    EXPECT_EQ(parseDaclSddl(text).dacl, dacl);
}

// Descriptors of random bytes read back exactly from their text.
TEST(SddlDescriptor, EveryDescriptorReadsBackFromItsText) {
    std::mt19937 random(20);  // 32-bit results
    auto byte = [&] {
        return static_cast<std::uint8_t>(random() % 8 == 0 ? random() : random() % 20);
    };
    for (int round = 0; round < 2000; ++round) {
        SecurityDescriptor sd;
        sd.control = static_cast<std::uint16_t>(random() % 4 == 0 ? random() : 0x9404);
        sd.daclState = static_cast<DaclState>(random() % 3);
        if (random() % 2) {
            sd.owner = Sid::make(random() % 3 == 0 ? random() : 5,
                                 {32, static_cast<std::uint32_t>(544 + random() % 3)});
        }
        for (std::uint32_t n = random() % 4; sd.daclState == DaclState::Present && n > 0; --n) {
            RawAce ace = random() % 2
                             ? RawAce::make(byte(), byte(), static_cast<std::uint32_t>(random()),
                                            Sid::make(1, {0}))
                             : RawAce::makeObject(byte(), byte(), random(), Sid::make(3, {0}),
                                                  static_cast<std::uint32_t>(random() % 5));
            for (std::uint32_t extra = random() % 3; extra > 0; --extra) {
                ace.bytes[random() % ace.bytes.size()] = byte();
                ace.bytes.push_back(byte());
            }
            sd.dacl.push_back(ace);
        }
        const std::string text = formatSddl(sd);
        SddlDescriptorParse parsed = parseSddl(text);
        ASSERT_TRUE(parsed.ok()) << text << ": " << parsed.errorText();
        EXPECT_EQ(parsed.descriptor->owner, sd.owner) << text;
        EXPECT_EQ(parsed.descriptor->control, sd.control) << text;
        EXPECT_EQ(parsed.descriptor->daclState, sd.daclState) << text;
        EXPECT_EQ(parsed.descriptor->dacl, sd.dacl) << text;
        EXPECT_EQ(formatSddl(*parsed.descriptor), text);
    }
}

}  // namespace
}  // namespace quorel
