#include "editing/acl_editor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/dataset_test_support.h"
#include "editing/editing_test_support.h"
#include "platform/set_entries_in_acl.h"

namespace quorel {
namespace {

using test::Allow;
using test::Deny;
using test::EditBench;

constexpr const wchar_t* kFile = L"C:\\data\\f.txt";

class Primitives : public ::testing::Test {
  protected:
    // [deny alice, allow bob] on a file the user owns.
    Primitives() {
        b.sim.file(kFile).owner(b.me).dacl({Deny(b.alice, 0x10000), Allow(b.bob, 0x1200A9)});
        e = b.read(kFile);
        b.sim.counters() = {};
    }
    EditBench b;
    CDirEntry* e = nullptr;
};

TEST_F(Primitives, IndexAtTheCountOrWithoutADaclChangesNothingAndSaysNothing) {
    EXPECT_EQ(b.editor.SetAccessMask(*e, 2, 1).status, EditStatus::OutOfRange);
    EXPECT_EQ(b.editor.SetInheritance(*e, 2, 3).status, EditStatus::OutOfRange);
    EXPECT_EQ(b.editor.DelTrustee(*e, 2).status, EditStatus::OutOfRange);
    EXPECT_EQ(b.editor.DeleteAces(*e, {0, 2}).status, EditStatus::OutOfRange);
    b.sim.file(L"C:\\nodacl").owner(b.me).noDacl();
    CDirEntry* none = b.read(L"C:\\nodacl");
    EXPECT_EQ(b.editor.DelTrustee(*none, 0).status, EditStatus::OutOfRange);
    EXPECT_EQ(b.sim.counters().writeDacl, 0u);
    EXPECT_TRUE(b.ui.messages().empty());
    EXPECT_EQ(b.dacl(kFile).size(), 2u);
}

TEST_F(Primitives, InPlaceChangesTouchOnlyTheirFieldWithOneReadAndOneWrite) {
    ASSERT_TRUE(b.editor.SetAccessMask(*e, 1, 0x1F01FF));
    EXPECT_EQ(b.dacl(kFile)[1], Allow(b.bob, 0x1F01FF));
    ASSERT_TRUE(b.editor.SetInheritance(*e, 0, 0x03));
    EXPECT_EQ(b.dacl(kFile)[0], Deny(b.alice, 0x10000, 0x03));
    // Each edit reads, writes once (the file's DACL is auto-inherited and
    // keeps its inherited ACEs) and reads back.
    EXPECT_EQ(b.sim.counters().readSecurity, 4u);
    EXPECT_EQ(b.sim.counters().writeDacl, 2u);
    EXPECT_EQ(e->ace(0)->aceFlags, 0x03);
    EXPECT_EQ(e->ace(1)->accessMask, 0x1F01FFu);
    EXPECT_TRUE(b.showsDisk(*e));
}

TEST_F(Primitives, NewExplicitAcesTakeTheirCanonicalPlaceAndNothingIsReordered) {
    // In canonical order: a deny after the explicit denies, an allow after
    // the explicit allows.
    ASSERT_TRUE(b.editor.AppendTrustee(*e, Trustee::ofSid(b.carol), 0x1200A9, 0, true));
    ASSERT_TRUE(b.editor.AddTrusteeUnconditional(*e, Trustee::ofSid(b.carol), 1, 0, false));
    EXPECT_EQ(b.dacl(kFile),
              (std::vector<RawAce>{Deny(b.alice, 0x10000), Deny(b.carol, 1), Allow(b.bob, 0x1200A9),
                                   Allow(b.carol, 0x1200A9)}));
    // Out of order (an allow before a deny, an explicit ACE after an
    // inherited one): the new ACEs go before the first explicit allow or
    // inherited ACE, inherited ones first or last among the inherited; no
    // ACE already there moves.
    b.sim.file(kFile).dacl(
        {Allow(b.bob, 1), Deny(b.alice, 2), Allow(b.carol, 4, 0x10), Allow(b.alice, 8)});
    e = b.read(kFile);
    ASSERT_TRUE(b.editor.AddTrusteeUnconditional(*e, Trustee::ofSid(b.carol), 16, 0, false));
    ASSERT_TRUE(b.editor.AppendTrustee(*e, Trustee::ofSid(b.bob), 32, 0, true));
    ASSERT_TRUE(b.editor.AppendTrustee(*e, Trustee::ofSid(b.carol), 64, 0x10, true));
    ASSERT_TRUE(b.editor.AddTrusteeUnconditional(*e, Trustee::ofSid(b.bob), 128, 0x10, true));
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Deny(b.carol, 16), Allow(b.bob, 1),
                                                  Deny(b.alice, 2), Allow(b.bob, 32),
                                                  Allow(b.bob, 128, 0x10), Allow(b.carol, 4, 0x10),
                                                  Allow(b.alice, 8), Allow(b.carol, 64, 0x10)}));
    EXPECT_TRUE(b.showsDisk(*e));
    // Each read of the file notes its order, nothing else.
    for (const std::wstring& text : b.errors()) {
        EXPECT_EQ(text, L"ACL is not in canonical order");
    }
}

TEST_F(Primitives, AcesOfOtherTypesAreCarriedOverInTheirPlace) {
    RawAce object = RawAce::makeObject(ace_type::kAccessAllowedObject, 0x02, 0x100, b.alice);
    RawAce callback = Allow(b.bob, 0x1);
    callback.bytes[0] = 9;  // ACCESS_ALLOWED_CALLBACK_ACE with its condition bytes
    callback.bytes.insert(callback.bytes.end(), {'a', 'r', 't', 'x', 1, 2, 3, 4});
    callback.bytes[2] = static_cast<std::uint8_t>(callback.bytes.size());
    // A type unknown to the program, as short as an ACE can be: header and mask.
    const RawAce bare{{0x1E, 0, 8, 0, 0x20, 0, 0, 0}};
    b.sim.file(kFile).dacl({Deny(b.alice, 1), object, callback, bare});
    e = b.read(kFile);
    ASSERT_TRUE(b.editor.AddTrusteeUnconditional(*e, Trustee::ofSid(b.carol), 1, 0, false));
    ASSERT_TRUE(b.editor.AppendTrustee(*e, Trustee::ofSid(b.carol), 2, 0, true));
    // The object ACE allows: the new deny goes before it.
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Deny(b.alice, 1), Deny(b.carol, 1), object,
                                                  callback, bare, Allow(b.carol, 2)}));
}

TEST_F(Primitives, ThePrincipalWrittenIsTheOneShown) {
    // A domain group and a local group of one name: the name alone finds
    // the domain group first.
    Sid domainStaff = b.sim.accounts().addDomainGroup(L"staff");
    Sid localStaff = b.sim.accounts().addLocalGroup(L"staff");
    Sid gone = b.sim.accounts().addLocalUser(L"gone");
    b.sim.accounts().deleteAccount(gone);
    b.sim.file(kFile).dacl({Allow(localStaff, 1), Allow(gone, 2)});
    e = b.read(kFile);
    ASSERT_EQ(e->ace(0)->domain(test::NamesOf(e)), L"SIMHOST");
    ASSERT_EQ(e->ace(1)->unresolved, 1);
    b.sim.counters() = {};
    ASSERT_TRUE(b.editor.AppendTrustee(*e, Trustee::ofRecord(b.list.accountNames(), *e->ace(0)), 4,
                                       0, true));
    ASSERT_TRUE(b.editor.AppendTrustee(*e, Trustee::ofRecord(b.list.accountNames(), *e->ace(1)), 8,
                                       0, false));
    // The deny goes before the allows.
    EXPECT_EQ(b.dacl(kFile)[0], Deny(gone, 8));
    EXPECT_EQ(b.dacl(kFile)[3], Allow(localStaff, 4));
    EXPECT_EQ(b.sim.counters().lookupName, 0u);
    // Without a SID at hand: a SID text is converted, a name looked up with
    // its domain.
    Trustee text;
    text.name = gone.toString();
    Trustee named;
    named.name = L"staff";
    named.domain = L"SIMHOST";
    ASSERT_TRUE(b.editor.AppendTrustee(*e, text, 16, 0, true));
    ASSERT_TRUE(b.editor.AppendTrustee(*e, named, 32, 0, true));
    EXPECT_EQ(b.dacl(kFile)[4], Allow(gone, 16));
    EXPECT_EQ(b.dacl(kFile)[5], Allow(localStaff, 32));
    EXPECT_EQ(b.sim.counters().sidFromString, 1u);
    EXPECT_EQ(b.sim.counters().lookupName, 1u);
    EXPECT_NE(domainStaff, localStaff);
}

TEST_F(Primitives, UnknownTrusteeWritesNothingAndSaysWhichStepFailed) {
    Trustee nobody;
    nobody.name = L"nobody";
    EXPECT_FALSE(b.editor.AddTrusteeUnconditional(*e, nobody, 1, 0, true));
    EXPECT_FALSE(b.editor.AppendTrustee(*e, nobody, 1, 0, true));
    EXPECT_FALSE(b.editor.MergeTrustee(*e, nobody, 1, 0, true));
    EXPECT_EQ(b.errors(),
              (std::vector<std::wstring>{L"Error getting the account name",
                                         L"Error adding ACE ( cannot lookup account name )"}));
    ASSERT_EQ(b.ui.messages().size(), 1u);
    EXPECT_EQ(b.ui.messages()[0].text, L"Error SetEntriesInAcl");
    EXPECT_EQ(b.ui.messages()[0].caption, L"Error SetEntriesInAcl");
    EXPECT_EQ(b.sim.counters().writeDacl, 0u);
}

TEST_F(Primitives, ReadAndWriteFailuresAreReportedAndLeaveDiskAndEntryAsTheyWere) {
    b.ports.failCall(1, sim::FaultyPorts::Kind::Read);
    EXPECT_FALSE(b.editor.SetInheritance(*e, 0, 3));
    b.ports.failCall(1, sim::FaultyPorts::Kind::Read);
    EXPECT_FALSE(b.editor.SetAccessMask(*e, 0, 3));
    b.ports.failCall(1, sim::FaultyPorts::Kind::Write);
    EXPECT_FALSE(b.editor.DelTrustee(*e, 0));
    b.ports.failCall(1, sim::FaultyPorts::Kind::Read);
    EXPECT_FALSE(b.editor.AppendTrustee(*e, Trustee::ofSid(b.carol), 1, 0, true));
    b.ports.failCall(1, sim::FaultyPorts::Kind::Read);
    EXPECT_FALSE(b.editor.AddTrusteeOfConvert(*e, Trustee::ofSid(b.carol), 1, 0, true));
    EXPECT_EQ(b.errors(),
              (std::vector<std::wstring>{L"Error getting file Security in SetInheritance",
                                         L"Error setting file security",
                                         L"Error adding ACE ( GetFileSecurity )",
                                         L"Error GetNamedSecurityInfo ( AddTrusteeOfConvert )"}));
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Deny(b.alice, 0x10000), Allow(b.bob, 0x1200A9)}));
    EXPECT_TRUE(b.showsDisk(*e));
}

TEST_F(Primitives, TheWorkingAceIsTakenOutWhereverItStandsAndOnlyOnce) {
    WorkingAce working = b.editor.InsertWorkingAce(*e);
    ASSERT_TRUE(working.inserted);
    EXPECT_EQ(b.dacl(kFile).front(), Allow(b.me, 0x1F01FF));
    // Another ACE was put before it since.
    b.sim.file(kFile).dacl(
        {Allow(b.carol, 1), Allow(b.me, 0x1F01FF), Deny(b.alice, 0x10000), Allow(b.bob, 0x1200A9)});
    EXPECT_TRUE(b.editor.RemoveWorkingAce(*e, working).ok());
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Allow(b.carol, 1), Deny(b.alice, 0x10000),
                                                  Allow(b.bob, 0x1200A9)}));
    EXPECT_FALSE(working.inserted);
    EXPECT_EQ(b.editor.RemoveWorkingAce(*e, working).status, EditStatus::Unchanged);
}

TEST_F(Primitives, ADamagedAceStopsTheEditWithItsMessage) {
    const RawAce damaged{{ace_type::kAccessAllowed, 0, 4, 0}};
    b.sim.file(kFile).dacl({Allow(b.bob, 1), damaged});
    e = b.read(kFile);
    const std::size_t before = b.errors().size();
    EXPECT_FALSE(b.editor.DelTrustee(*e, 0));
    const std::vector<std::wstring> errors = b.errors();
    EXPECT_EQ(std::count(errors.begin() + before, errors.end(),
                         std::wstring(L"Error deleting ACE ( DelTrustee )")),
              1);
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Allow(b.bob, 1), damaged}));
}

TEST_F(Primitives, AnAclBeyondSixtyFourKilobytesIsRefused) {
    // Everyone's ACE is 20 bytes: 8 header bytes and 3276 ACEs fill 65528
    // of the 65535 bytes an ACL can hold, and one more does not fit.
    const std::size_t fill = (0xFFFF - 8) / 20;
    b.sim.file(kFile).dacl(std::vector<RawAce>(fill, Allow(well_known::everyone(), 1)));
    e = b.read(kFile);
    EXPECT_FALSE(
        b.editor.AddTrusteeUnconditional(*e, Trustee::ofSid(well_known::everyone()), 1, 0, true));
    ASSERT_FALSE(b.errors().empty());
    EXPECT_EQ(b.errors().back(), L"Error initializing the ACL");
    EXPECT_EQ(b.dacl(kFile).size(), fill);
    b.sim.file(kFile).dacl(std::vector<RawAce>(fill - 1, Allow(well_known::everyone(), 1)));
    e = b.read(kFile);
    EXPECT_TRUE(
        b.editor.AddTrusteeUnconditional(*e, Trustee::ofSid(well_known::everyone()), 1, 0, true));
    EXPECT_EQ(b.dacl(kFile).size(), fill);
}

TEST_F(Primitives, AnEditOnAStaleViewWritesNothingAndReadsTheEntryAgain) {
    // Someone else puts an ACE in front after the scan: index 0 is no
    // longer the deny ACE the matrix shows.
    b.dacl(kFile).insert(b.dacl(kFile).begin(), Allow(b.carol, 1));
    const std::vector<RawAce> theirs = b.dacl(kFile);
    EXPECT_EQ(b.editor.DelTrustee(*e, 0).status, EditStatus::Stale);
    EXPECT_EQ(b.dacl(kFile), theirs);
    EXPECT_EQ(b.sim.counters().writeDacl, 0u);
    ASSERT_EQ(b.ui.messages().size(), 1u);
    EXPECT_EQ(b.ui.messages()[0].text,
              L"The ACL of C:\\data\\f.txt was changed since it was read. It has been read "
              L"again; nothing was changed.");
    EXPECT_EQ(e->aceCount(), 3u);
    EXPECT_TRUE(b.showsDisk(*e));
    // A changed mask or flags byte is a change too.
    b.dacl(kFile)[1].setMask(0x10001);
    EXPECT_EQ(b.editor.SetAccessMask(*e, 2, 1).status, EditStatus::Stale);
    b.dacl(kFile)[1].setFlags(0x01);
    EXPECT_EQ(b.editor.AppendTrustee(*e, Trustee::ofSid(b.bob), 1, 0, true).status,
              EditStatus::Stale);
    // So is another account in the place of the shown one, all else equal.
    b.dacl(kFile)[0] = Allow(b.bob, b.dacl(kFile)[0].mask(), b.dacl(kFile)[0].flags());
    EXPECT_EQ(b.editor.DelTrustee(*e, 2).status, EditStatus::Stale);
    // So is an ACE that lost its trustee: header and mask alone.
    b.dacl(kFile)[0] = RawAce{{0, 0, 8, 0, 1, 0, 0, 0}};
    EXPECT_EQ(b.editor.DelTrustee(*e, 2).status, EditStatus::Stale);
    EXPECT_EQ(b.sim.counters().writeDacl, 0u);
    // Now the view is fresh again.
    EXPECT_TRUE(b.editor.DelTrustee(*e, 0));
}

TEST_F(Primitives, ConvertKeepsEveryAceAsAnExplicitOneInAProtectedDacl) {
    Sid gone = b.sim.accounts().addLocalUser(L"gone");
    b.sim.accounts().deleteAccount(gone);
    RawAce object = RawAce::makeObject(ace_type::kAccessDeniedObject, 0x12, 0x100, b.alice);
    b.sim.file(kFile).dacl(
        {Allow(b.alice, 1), Deny(b.bob, 2), Allow(b.carol, 4, 0x10), Allow(gone, 8, 0x13), object});
    e = b.read(kFile);
    ASSERT_TRUE(b.editor.ConvertInheritedAces(*e));
    RawAce explicitObject = object;
    explicitObject.setFlags(0x02);
    EXPECT_EQ(b.dacl(kFile),
              (std::vector<RawAce>{Allow(b.alice, 1), Deny(b.bob, 2), Allow(b.carol, 4),
                                   Allow(gone, 8, 0x03), explicitObject}));
    EXPECT_TRUE(b.disk(kFile).daclProtected());
    EXPECT_EQ(b.sim.counters().writeDacl, 1u);
    EXPECT_TRUE(b.showsDisk(*e));
}

TEST_F(Primitives, InheritedEditsMatchOnlyInheritedAcesOfTrusteeTypeAndMask) {
    b.sim.file(kFile).dacl({Allow(b.bob, 5), Allow(b.bob, 5, 0x10), Deny(b.bob, 5, 0x10),
                            Allow(b.bob, 6, 0x10), Allow(b.alice, 5, 0x10), Allow(b.bob, 5, 0x13)});
    e = b.read(kFile);
    Trustee bobT = Trustee::ofSid(b.bob, L"bob");
    ASSERT_TRUE(b.editor.SetInheritedAccessMask(*e, bobT, 0, 5, 7));
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Allow(b.bob, 5), Allow(b.bob, 7, 0x10),
                                                  Deny(b.bob, 5, 0x10), Allow(b.bob, 6, 0x10),
                                                  Allow(b.alice, 5, 0x10), Allow(b.bob, 7, 0x13)}));
    ASSERT_TRUE(b.editor.DelInheritedTrustee(*e, bobT, 1, 5));
    EXPECT_EQ(b.dacl(kFile).size(), 5u);
    EXPECT_EQ(b.dacl(kFile)[2], Allow(b.bob, 6, 0x10));
    // Nothing matches: nothing is written.
    const auto writes = b.sim.counters().writeDacl;
    EXPECT_EQ(b.editor.DelInheritedTrustee(*e, bobT, 1, 5).status, EditStatus::Unchanged);
    EXPECT_EQ(b.sim.counters().writeDacl, writes);
    // "." and ".." are never touched, not even read.
    b.sim.dir(L"C:\\dir\\sub").owner(b.me).allow(b.bob, 5, 0x10);
    b.scan(L"C:\\dir");
    const auto reads = b.sim.counters().readSecurity;
    for (CDirEntry& d : b.list) {
        if (d.isDotEntry()) {
            EXPECT_EQ(b.editor.DelInheritedTrustee(d, bobT, 0, 5).status, EditStatus::Unchanged);
            EXPECT_EQ(b.editor.SetInheritedAccessMask(d, bobT, 0, 5, 1).status,
                      EditStatus::Unchanged);
        }
    }
    EXPECT_EQ(b.sim.counters().readSecurity, reads);
}

TEST_F(Primitives, MergeFollowsSetEntriesInAcl) {
    b.sim.file(kFile).dacl({Deny(b.alice, 1), Allow(b.bob, 2), Allow(b.carol, 4, 0x10)});
    e = b.read(kFile);
    // A grant joins the trustee's explicit allow ACE of the same flags.
    ASSERT_TRUE(b.editor.MergeTrustee(*e, Trustee::ofSid(b.bob), 8, 0, true));
    EXPECT_EQ(b.dacl(kFile)[1], Allow(b.bob, 10));
    // Other flags: a new allow ACE after the explicit allow ACEs, a deny
    // after the explicit denies; an inherited ACE is never merged into.
    ASSERT_TRUE(b.editor.MergeTrustee(*e, Trustee::ofSid(b.bob), 1, 0x03, true));
    ASSERT_TRUE(b.editor.MergeTrustee(*e, Trustee::ofSid(b.carol), 4, 0, false));
    ASSERT_TRUE(b.editor.MergeTrustee(*e, Trustee::ofSid(b.carol), 16, 0, true));
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Deny(b.alice, 1), Deny(b.carol, 4),
                                                  Allow(b.bob, 10), Allow(b.bob, 1, 0x03),
                                                  Allow(b.carol, 16), Allow(b.carol, 4, 0x10)}));
    EXPECT_FALSE(b.disk(kFile).daclProtected());
    ASSERT_TRUE(b.editor.AddTrusteeOfConvert(*e, Trustee::ofSid(b.alice), 1, 0, false));
    EXPECT_EQ(b.dacl(kFile)[0], Deny(b.alice, 1));
    EXPECT_EQ(b.dacl(kFile).size(), 6u);
    EXPECT_TRUE(b.disk(kFile).daclProtected());
}

TEST(SetEntriesInAcl, NewAllowWithoutExplicitAllowGoesBeforeTheInheritedAces) {
    Sid a = Sid::make(5, {21, 1}), c = Sid::make(5, {21, 3});
    std::vector<RawAce> old{Deny(a, 1), Allow(a, 2, 0x10)};
    ExplicitAccess grant{ExplicitAccess::Mode::Grant, 4, 0x13, c};
    EXPECT_EQ(setEntriesInAcl(old, grant),
              (std::vector<RawAce>{Deny(a, 1), Allow(c, 4, 0x03), Allow(a, 2, 0x10)}));
    EXPECT_EQ(setEntriesInAcl({}, grant), (std::vector<RawAce>{Allow(c, 4, 0x03)}));
    ExplicitAccess deny{ExplicitAccess::Mode::Deny, 4, 0, a};
    EXPECT_EQ(setEntriesInAcl(old, deny), (std::vector<RawAce>{Deny(a, 5), Allow(a, 2, 0x10)}));
}

TEST_F(Primitives, DelegatedAdministratorPastesWithoutEverHoldingAnEmptyAcl) {
    // Not owner, no take-ownership privilege; WRITE_DAC comes from the ACE
    // that the paste replaces.
    b.sim.file(kFile).owner(b.alice).dacl({Allow(b.me, 0x000E0000), Allow(b.bob, 0x1F01FF)});
    e = b.read(kFile);
    const std::vector<RawAce> pasted{Allow(b.me, 0x00020000), Allow(b.carol, 0x1200A9),
                                     Allow(b.bob, 0x1F01FF)};
    ASSERT_TRUE(b.editor.ReplaceDacl(*e, pasted, false));
    EXPECT_EQ(b.dacl(kFile), pasted);
    EXPECT_EQ(b.sim.counters().writeDacl, 1u);
    // A second paste is refused as a whole: the file keeps the first.
    EXPECT_FALSE(b.editor.ReplaceDacl(*e, {Allow(b.me, 1)}, false));
    EXPECT_EQ(b.dacl(kFile), pasted);
    ASSERT_FALSE(b.errors().empty());
    EXPECT_EQ(b.errors().back(), L"Error setting file security");
    EXPECT_TRUE(b.showsDisk(*e));
}

}  // namespace
}  // namespace quorel

namespace quorel {
namespace {

// A server that stores something other than what it is given: it drops the
// last ACE of every DACL written.
class LossyStore : public SecurityPort {
  public:
    explicit LossyStore(SecurityPort& inner) : inner_(inner) {}
    SdReadStatus readSecurity(const std::wstring& path, SecurityDescriptor& out) override {
        return inner_.readSecurity(path, out);
    }
    std::uint32_t writeDacl(const std::wstring& path, const std::vector<RawAce>& dacl,
                            DaclControl control) override {
        std::vector<RawAce> kept = dacl;
        if (!kept.empty()) {
            kept.pop_back();
        }
        return inner_.writeDacl(path, kept, control);
    }
    std::uint32_t setOwner(const std::wstring& path, const Sid& owner) override {
        return inner_.setOwner(path, owner);
    }

  private:
    SecurityPort& inner_;
};

TEST_F(Primitives, AWriteStoredDifferentlyIsAnErrorAndTheEntryShowsTheDisk) {
    LossyStore lossy(b.ports);
    AclEditor editor(EditPorts{lossy, b.ports, b.ports, b.ui}, b.reader, b.settings);
    const EditResult result = editor.SetAccessMask(*e, 1, 0x1F01FF);
    EXPECT_EQ(result.status, EditStatus::Failed);
    EXPECT_EQ(b.errors(), (std::vector<std::wstring>{L"The ACL of C:\\data\\f.txt was stored "
                                                     L"differently than it was written."}));
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Deny(b.alice, 0x10000)}));
    EXPECT_TRUE(b.showsDisk(*e));
    // The next edit starts from what the disk holds.
    ASSERT_TRUE(b.editor.SetAccessMask(*e, 0, 0x30000));
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Deny(b.alice, 0x30000)}));
}

TEST_F(Primitives, AnAutoInheritedFolderKeepsItsFlagAndPassesItsAcesOn) {
    b.sim.dir(L"C:\\share")
        .owner(b.me)
        .dacl({Allow(b.me, 0x1F01FF, 0x03), Allow(well_known::users(), 0x10000, 0x03)});
    b.disk(L"C:\\share").control |= sd_control::kDaclAutoInherited;
    b.sim.dir(L"C:\\share\\team").owner(b.me);  // inherits: auto-inherited
    CDirEntry* team = b.read(L"C:\\share\\team");
    ASSERT_EQ(b.dacl(L"C:\\share\\team"),
              (std::vector<RawAce>{Allow(b.me, 0x1F01FF, 0x13),
                                   Allow(well_known::users(), 0x10000, 0x13)}));
    b.sim.counters() = {};
    // A deny added for alice lands before the inherited allow, so it works.
    b.sim.accounts().addMember(well_known::users(), b.alice);
    ASSERT_TRUE(b.editor.MergeTrustee(*team, Trustee::ofSid(b.alice), 0x10000, 0x03, false));
    ASSERT_TRUE(
        b.editor.MergeTrustee(*team, Trustee::ofSid(b.bob), access::kGenericRead, 0x00, true));
    EXPECT_EQ(b.sim.counters().writeDacl, 2u);
    EXPECT_TRUE(b.disk(L"C:\\share\\team").control & sd_control::kDaclAutoInherited);
    // The generic right is shown mapped, as stored, and the next edit of
    // that ACE is accepted.
    EXPECT_EQ(b.dacl(L"C:\\share\\team"),
              (std::vector<RawAce>{Deny(b.alice, 0x10000, 0x03), Allow(b.bob, 0x120089),
                                   Allow(b.me, 0x1F01FF, 0x13),
                                   Allow(well_known::users(), 0x10000, 0x13)}));
    EXPECT_EQ(team->ace(1)->accessMask, 0x120089u);
    ASSERT_TRUE(b.editor.SetAccessMask(*team, 1, 0x1200A9));
    EXPECT_TRUE(b.errors().empty());
    // A file made afterwards gets the folder's ACEs as inherited ACEs.
    b.sim.file(L"C:\\share\\team\\new.txt");
    EXPECT_EQ(b.dacl(L"C:\\share\\team\\new.txt"),
              (std::vector<RawAce>{Deny(b.alice, 0x10000, 0x10), Allow(b.me, 0x1F01FF, 0x10),
                                   Allow(well_known::users(), 0x10000, 0x10)}));
    // Alice, one of the Users allowed to delete, is denied it.
    b.sim.accounts().setCurrentUser(b.alice);
    EXPECT_EQ(
        b.sim.grantedAccess(*b.sim.volume().find(L"C:\\share\\team\\new.txt")) & access::kDelete,
        0u);
}

}  // namespace
}  // namespace quorel

namespace quorel {
namespace {

TEST(ViewCheck, ASidThatResolvesOnlyNowIsTheSameAceAsShown) {
    EditBench b;
    b.sim.accounts().timeOutLookups(b.bob, 1);
    b.sim.file(kFile).owner(b.me).dacl({Allow(b.bob, 1), Allow(b.carol, 2)});
    CDirEntry* e = b.read(kFile);
    ASSERT_EQ(e->ace(0)->unresolved, 1);  // the first lookup timed out
    // A second reader (another dataset's) names it now.
    SecurityReader fresh(b.ports, b.ports);
    AclEditor editor(EditPorts{b.ports, b.ports, b.ports, b.ui}, fresh, b.settings);
    ASSERT_TRUE(editor.SetAccessMask(*e, 1, 6));
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Allow(b.bob, 1), Allow(b.carol, 6)}));
    EXPECT_TRUE(b.ui.messages().empty());
}

}  // namespace
}  // namespace quorel
