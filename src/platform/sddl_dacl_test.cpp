#include "platform/sddl_dacl.h"

#include <gtest/gtest.h>

namespace quorel {
namespace {

Sid sid(const wchar_t* text) {
    return *Sid::fromString(text);
}

const std::vector<SddlSubstitution> kNames = {
    {"$OWNER", sid(L"S-1-5-21-1-2-3-1001")},
    {"$GROUP", sid(L"S-1-5-21-1-2-3-513")},
};

TEST(Sddl, ParsesFlagsRightsAndSidsToExactAces) {
    struct Case {
        const char* text;
        std::uint16_t control;
        std::vector<RawAce> aces;
    };
    const Case cases[] = {
        {"D:", 0, {}},
        {"D:PAI", 0x1400, {}},
        {"D:AIARP", 0x1400, {}},
        {"D:AI(A;OICI;0x1F01FF;;;WD)", 0x0400, {RawAce::make(0, 0x03, 0x1F01FF, sid(L"S-1-1-0"))}},
        {"D:(D;NPIOID;0x10000;;;S-1-5-21-7-8-9-500)(A;CIOI;FA;;;BA)",
         0,
         {RawAce::make(1, 0x1C, 0x10000, sid(L"S-1-5-21-7-8-9-500")),
          RawAce::make(0, 0x03, 0x1F01FF, sid(L"S-1-5-32-544"))}},
        {"D:(A;;GAGRGWGX;;;CO)(A;;FRFWFX;;;CG)(A;;0xabcdef12;;;OW)",
         0,
         {RawAce::make(0, 0, 0xF0000000, sid(L"S-1-3-0")),
          RawAce::make(0, 0, 0x1201BF, sid(L"S-1-3-1")),
          RawAce::make(0, 0, 0xABCDEF12, sid(L"S-1-3-4"))}},
        {"D:(A;;0x1;;;AU)(A;;0x2;;;SY)(A;;0x4;;;BU)(A;;0X0;;;$OWNER)(A;ID;0x8;;;$GROUP)",
         0,
         {RawAce::make(0, 0, 1, sid(L"S-1-5-11")), RawAce::make(0, 0, 2, sid(L"S-1-5-18")),
          RawAce::make(0, 0, 4, sid(L"S-1-5-32-545")),
          RawAce::make(0, 0, 0, sid(L"S-1-5-21-1-2-3-1001")),
          RawAce::make(0, 0x10, 8, sid(L"S-1-5-21-1-2-3-513"))}},
    };
    for (const Case& c : cases) {
        SddlParse parsed = parseDaclSddl(c.text, kNames);
        ASSERT_TRUE(parsed.ok()) << c.text << ": " << parsed.errorText();
        EXPECT_EQ(parsed.dacl->control, c.control) << c.text;
        EXPECT_EQ(parsed.dacl->aces, c.aces) << c.text;
    }
}

TEST(Sddl, BadInputNamesThePositionAndWhatWasExpected) {
    struct Case {
        const char* text;
        std::size_t position;
        const char* message;
    };
    const Case cases[] = {
        {"", 0, "expected \"D:\" at the start of the DACL"},
        {"O:BAD:", 0, "expected \"D:\" at the start of the DACL"},
        {"D:PX", 3, "expected a DACL flag (P, AI, AR) or '('"},
        {"D:(", 3, "expected the ACE type A or D"},
        {"D:(AU;;0x1;;;WD)", 3, "expected the ACE type A or D"},
        {"D:(A", 4, "expected ';' after the ACE type"},
        {"D:(A;OX;0x1;;;WD)", 5, "expected an ACE flag (OI, CI, NP, IO, ID) or ';'"},
        {"D:(A;OI)", 7, "expected ';' after the ACE flags"},
        {"D:(A;;;;;WD)", 6, "expected the rights (0x... or FA, FR, FW, FX, GA, GR, GW, GX)"},
        {"D:(A;;0x;;;WD)", 6, "expected the rights (0x... or FA, FR, FW, FX, GA, GR, GW, GX)"},
        {"D:(A;;0x1G;;;WD)", 9, "expected a hexadecimal digit in the rights"},
        {"D:(A;;0x100000000;;;WD)", 6, "expected at most 8 hexadecimal digits in the rights"},
        {"D:(A;;FAXY;;;WD)", 8, "expected the rights (0x... or FA, FR, FW, FX, GA, GR, GW, GX)"},
        {"D:(A;;0x1;x;;WD)", 10, "expected an empty object type (only A and D ACEs)"},
        {"D:(A;;0x1;;x;WD)", 11, "expected an empty inherited object type"},
        {"D:(A;;0x1;;;XX)", 12,
         "expected a SID (S-1-..., WD, CO, CG, OW, AU, SY, BA, BU or a $ name)"},
        {"D:(A;;0x1;;;S-1-5-)", 12,
         "expected a SID (S-1-..., WD, CO, CG, OW, AU, SY, BA, BU or a $ name)"},
        {"D:(A;;0x1;;;$OTHER)", 12, "unknown name $OTHER for a SID"},
        {"D:(A;;0x1;;;WD", 14, "expected ')' to close the ACE"},
        {"D:(A;;0x1;;;WD)x", 15, "expected '(' to open an ACE"},
    };
    for (const Case& c : cases) {
        SddlParse parsed = parseDaclSddl(c.text, kNames);
        ASSERT_FALSE(parsed.ok()) << c.text;
        EXPECT_EQ(parsed.error.position, c.position) << c.text;
        EXPECT_EQ(parsed.error.message, c.message) << c.text;
    }
    EXPECT_EQ(parseDaclSddl("D:(A;;0x1;;;$OWNER)").errorText(),
              "at 12: unknown name $OWNER for a SID");
}

TEST(Sddl, FormatsHexRightsAndStringSidsAndParsesBack) {
    SddlDacl dacl{0x1400,
                  {RawAce::make(1, 0x1F, 0x10000000, sid(L"S-1-3-0")),
                   RawAce::make(0, 0, 0x1200A9, sid(L"S-1-5-21-1-2-3-1001"))}};
    const std::string text = formatDaclSddl(dacl);
    EXPECT_EQ(text, "D:PAI(D;OICINPIOID;0x10000000;;;S-1-3-0)(A;;0x1200A9;;;S-1-5-21-1-2-3-1001)");
    EXPECT_EQ(parseDaclSddl(text).dacl, dacl);
}

TEST(Sddl, FormatsWhatTheGrammarCannotHoldSoThatItIsRejected) {
    RawAce odd = RawAce::make(2, 0xC1, 5, sid(L"S-1-1-0"));
    odd.bytes.push_back(7);
    RawAce noSid = RawAce::make(0, 0, 1, sid(L"S-1-1-0"));
    noSid.bytes.resize(9);
    const std::string text = formatDaclSddl({0x0100, {odd, noSid}});
    EXPECT_EQ(text, "D:(0x2;OI0xC0;0x5;;;S-1-1-0+1)(A;;0x1;;;?)");
    EXPECT_FALSE(parseDaclSddl(text).ok());
}

}  // namespace
}  // namespace quorel
