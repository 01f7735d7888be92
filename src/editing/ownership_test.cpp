#include "editing/ownership.h"

#include <gtest/gtest.h>

#include "editing/editing_test_support.h"
#include "platform/win_error.h"

namespace quorel {
namespace {

using test::Allow;
using test::Deny;
using test::EditBench;

constexpr const wchar_t* kFile = L"C:\\f";

TEST(EnableTakeOwnership, EnablesTakeOwnershipAndRestoreOnlyWhereHeld) {
    EditBench b;
    b.settings.adminsSid = Sid();
    EXPECT_FALSE(EnableTakeOwnership(b.settings, b.ports, b.ui));
    EXPECT_FALSE(b.settings.takeOwnershipAvailable);
    EXPECT_FALSE(b.settings.restoreAvailable);
    EXPECT_EQ(b.settings.adminsSid, well_known::administrators());
    b.sim.setTakeOwnershipHeld(true);
    EXPECT_TRUE(EnableTakeOwnership(b.settings, b.ports, b.ui));
    EXPECT_FALSE(b.settings.restoreAvailable);
    b.sim.setRestoreHeld(true);
    EXPECT_TRUE(EnableTakeOwnership(b.settings, b.ports, b.ui));
    EXPECT_TRUE(b.settings.restoreAvailable);
    EXPECT_TRUE(b.sim.restoreEnabled());
    EXPECT_FALSE(b.settings.backupRestoreAvailable);
    b.sim.setBackupHeld(true);
    EnableTakeOwnership(b.settings, b.ports, b.ui);
    EXPECT_TRUE(b.settings.backupRestoreAvailable);
    EXPECT_TRUE(b.sim.backupEnabled());
    // Backup without restore is not enough.
    EditBench backupOnly;
    backupOnly.sim.setBackupHeld(true);
    EXPECT_FALSE(EnableTakeOwnership(backupOnly.settings, backupOnly.ports, backupOnly.ui));
    EXPECT_TRUE(backupOnly.sim.backupEnabled());
    EXPECT_FALSE(backupOnly.settings.backupRestoreAvailable);
    EXPECT_TRUE(b.ui.messages().empty());
    // A name the system does not know as a privilege.
    b.ports.failCall(1, sim::FaultyPorts::Kind::Privilege, 1313);
    EXPECT_FALSE(EnableTakeOwnership(b.settings, b.ports, b.ui));
    ASSERT_EQ(b.ui.messages().size(), 1u);
    EXPECT_EQ(b.ui.messages()[0].text, L"LookupPrivilegeValue error");
    EXPECT_EQ(b.ui.messages()[0].icon, MessageIcon::Error);
}

class Ownership : public ::testing::Test {
  protected:
    // A file of alice's that the user may read but not change.
    Ownership() {
        b.sim.file(kFile).owner(b.alice).dacl({Allow(b.me, 0x00020000), Allow(b.bob, 0x1F01FF)});
        e = b.read(kFile);
    }
    // An administrator: a member of Administrators holding the privileges.
    void administrator(bool restore) {
        b.sim.accounts().addMember(well_known::administrators(), b.me);
        b.sim.setTakeOwnershipHeld(true);
        b.sim.setRestoreHeld(restore);
        EnableTakeOwnership(b.settings, b.ports, b.ui);
    }
    EditBench b;
    CDirEntry* e = nullptr;
};

TEST_F(Ownership, WithAutomaticOwnershipOffNothingChangesButTheEntryIsReadAgain) {
    administrator(true);
    b.settings.autoTakeOwnership = false;
    b.sim.counters() = {};
    EXPECT_TRUE(b.editor.TakeOwnership(*e));
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(b.sim.counters().setOwner, 0u);
    EXPECT_EQ(b.sim.counters().readSecurity, 1u);
    EXPECT_EQ(e->ownershipTaken, 0);
}

TEST_F(Ownership, TakenTwiceTheFirstOwnerIsGivenBackBySid) {
    administrator(true);
    ASSERT_TRUE(b.editor.TakeOwnership(*e));
    EXPECT_EQ(b.disk(kFile).owner, well_known::administrators());
    EXPECT_EQ(e->ownerName(), L"Administrators");
    EXPECT_EQ(e->ownerBackup(), L"alice");
    EXPECT_EQ(e->ownershipTaken, 1);
    ASSERT_TRUE(b.editor.TakeOwnership(*e));
    EXPECT_EQ(e->ownerBackup(), L"alice");
    // alice's name now means another account: the SID kept is given back.
    b.sim.accounts().deleteAccount(b.alice);
    b.sim.accounts().addLocalUser(L"alice");
    b.sim.counters() = {};
    ASSERT_TRUE(b.editor.GiveBackOwnership(*e));
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(b.sim.counters().lookupName, 0u);
    EXPECT_EQ(e->ownershipTaken, 0);
    EXPECT_TRUE(e->ownerBackup().empty());
    EXPECT_EQ(e->ownerBackupSid(), nullptr);
    // Nothing taken: nothing to give back, nothing asked.
    b.sim.counters() = {};
    EXPECT_EQ(b.editor.GiveBackOwnership(*e).status, EditStatus::Unchanged);
    EXPECT_EQ(b.sim.counters().setOwner + b.sim.counters().readSecurity, 0u);
}

TEST_F(Ownership, WithoutTheRestorePrivilegeGiveBackFailsAndAdministratorsStayOwner) {
    administrator(false);
    ASSERT_TRUE(b.editor.TakeOwnership(*e));
    EXPECT_FALSE(b.editor.GiveBackOwnership(*e));
    EXPECT_EQ(b.disk(kFile).owner, well_known::administrators());
    ASSERT_EQ(b.ui.messages().size(), 1u);
    EXPECT_EQ(b.ui.messages()[0].text, L"Could not set owner. Error");
    EXPECT_EQ(b.ui.messages()[0].caption, L"");
    EXPECT_EQ(b.ui.messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(e->ownershipTaken, 1);
    EXPECT_EQ(e->ownerName(), L"Administrators");
}

TEST_F(Ownership, ARefusedWriteTakesOwnershipWritesAndGivesItBack) {
    administrator(true);
    // The restore privilege lets the port write; the server refuses the
    // first write of each edit all the same.
    auto refuseFirstWrite = [&] {
        b.ports.failCall(1, sim::FaultyPorts::Kind::Write, win_error::kAccessDenied);
    };
    refuseFirstWrite();
    ASSERT_TRUE(b.editor.DelTrustee(*e, 1));
    EXPECT_EQ(b.sim.counters().setOwner, 2u);
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Allow(b.me, 0x00020000)}));
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(e->ownershipTaken, 0);
    EXPECT_EQ(e->ownerName(), L"alice");
    EXPECT_TRUE(b.showsDisk(*e));
    refuseFirstWrite();
    ASSERT_TRUE(b.editor.AddTrusteeUnconditional(*e, Trustee::ofSid(b.carol), 1, 0, true));
    EXPECT_EQ(b.dacl(kFile).size(), 2u);
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(e->ownershipTaken, 0);
    refuseFirstWrite();
    ASSERT_TRUE(b.editor.AppendTrustee(*e, Trustee::ofSid(b.bob), 2, 0, true));
    EXPECT_EQ(b.dacl(kFile).size(), 3u);
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(e->ownershipTaken, 0);
    refuseFirstWrite();
    ASSERT_TRUE(b.editor.ReplaceDacl(*e, {Allow(b.me, 0x00020000)}, false));
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(e->ownershipTaken, 0);
    EXPECT_EQ(b.sim.counters().setOwner, 8u);
}

TEST_F(Ownership, InheritingTakesOwnershipToWriteAndGivesItBack) {
    administrator(true);
    b.ports.failCall(1, sim::FaultyPorts::Kind::Write, win_error::kAccessDenied);
    ASSERT_TRUE(b.propagation.InheritFromParent(*e, {Allow(b.carol, 0x1200A9, 0x03)}));
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Allow(b.carol, 0x1200A9, 0x10)}));
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(e->ownershipTaken, 0);
    EXPECT_EQ(b.sim.counters().setOwner, 2u);
}

TEST_F(Ownership, AWriteThatFailsAfterTakingOwnershipGivesItBack) {
    administrator(true);
    b.sim.counters() = {};
    // A server that refuses both writes, although the restore privilege
    // would let the port write.
    b.ports.failCall(1, sim::FaultyPorts::Kind::Write, win_error::kAccessDenied, 2);
    EXPECT_FALSE(b.editor.DelTrustee(*e, 1));
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(b.sim.counters().setOwner, 2u);
    // Read, and read back after the failed write to show what the disk holds.
    EXPECT_EQ(b.sim.counters().readSecurity, 2u);
    EXPECT_EQ(e->ownerName(), L"alice");
    EXPECT_TRUE(b.showsDisk(*e));
}

TEST_F(Ownership, OwnershipTakenToReadIsGivenBackWhenThereIsNothingToWrite) {
    administrator(true);
    b.sim.file(kFile).dacl({Allow(b.bob, 0x1F01FF)});  // not even readable
    EXPECT_EQ(b.editor.DelTrustee(*e, 7).status, EditStatus::Stale);
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(e->ownershipTaken, 0);
    EXPECT_EQ(b.editor.DelTrustee(*e, 7).status, EditStatus::OutOfRange);
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(b.sim.counters().setOwner, 4u);
    EXPECT_EQ(e->ownerName(), L"alice");
}

TEST_F(Ownership, AnEditThatDoesNotGiveBackLeavesOwnershipTakenAfterAFailure) {
    administrator(true);
    ASSERT_TRUE(b.editor.TakeOwnership(*e));
    b.ports.failCall(1, sim::FaultyPorts::Kind::Write);
    EXPECT_FALSE(b.editor.SetAccessMask(*e, 0, 0x20001));
    EXPECT_EQ(e->ownershipTaken, 1);
    EXPECT_EQ(b.disk(kFile).owner, well_known::administrators());
    // DelTrustee gives it back, failing or not (an error that taking
    // ownership does not cure).
    b.ports.failCall(1, sim::FaultyPorts::Kind::Write, win_error::kInvalidParameter);
    EXPECT_FALSE(b.editor.DelTrustee(*e, 0));
    EXPECT_EQ(e->ownershipTaken, 0);
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
}

TEST_F(Ownership, WithGiveBackOffAdministratorsKeepTheFile) {
    administrator(false);
    b.settings.giveBackOwnership = false;
    ASSERT_TRUE(b.editor.AppendTrustee(*e, Trustee::ofSid(b.carol), 1, 0, true));
    EXPECT_EQ(b.disk(kFile).owner, well_known::administrators());
    EXPECT_EQ(e->ownerName(), L"Administrators");
    EXPECT_EQ(e->ownershipTaken, 0);
}

TEST_F(Ownership, WithoutThePrivilegeARefusedWriteFailsAndTheOwnerStays) {
    EXPECT_FALSE(b.editor.DelTrustee(*e, 1));
    EXPECT_FALSE(b.editor.AddTrusteeUnconditional(*e, Trustee::ofSid(b.carol), 1, 0, true));
    EXPECT_EQ(b.errors(), (std::vector<std::wstring>{L"Error setting file security",
                                                     L"Error setting file security"}));
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(b.sim.counters().setOwner, 0u);
    EXPECT_EQ(b.dacl(kFile).size(), 2u);
}

TEST_F(Ownership, AFailedTakeIsReportedAndRemembersNothing) {
    administrator(true);
    b.ports.failCall(1, sim::FaultyPorts::Kind::Owner);
    EXPECT_FALSE(b.editor.TakeOwnership(*e));
    EXPECT_EQ(b.errors().back(),
              L"Could not set you as new owner - maybe you are not logged in as administrator");
    EXPECT_EQ(e->ownershipTaken, 0);
    EXPECT_TRUE(e->ownerBackup().empty());
}

TEST_F(Ownership, AnUnresolvedOwnerIsGivenBack) {
    administrator(true);
    Sid gone = b.sim.accounts().addLocalUser(L"gone");
    b.sim.file(kFile).owner(gone);
    b.sim.accounts().deleteAccount(gone);
    e = b.read(kFile);
    ASSERT_EQ(e->ownerName(), gone.toString());
    ASSERT_TRUE(b.editor.TakeOwnership(*e));
    ASSERT_TRUE(b.editor.GiveBackOwnership(*e));
    EXPECT_EQ(b.disk(kFile).owner, gone);
}

TEST_F(Ownership, OwnershipMarkedTakenWithoutTheOldOwnersSidIsNotGivenToAnyone) {
    administrator(true);
    ASSERT_TRUE(b.editor.TakeOwnership(*e));
    e->setOwnerBackupSid(nullptr);
    b.sim.counters() = {};
    EditResult r = b.editor.GiveBackOwnership(*e);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.error, win_error::kNoneMapped);
    EXPECT_EQ(b.errors().back(), L"Error giving back ownership - could not determine account name");
    EXPECT_EQ(b.sim.counters().setOwner, 0u);
    EXPECT_EQ(b.disk(kFile).owner, well_known::administrators());
}

TEST_F(Ownership, WithBackupAndRestoreNoOwnershipIsTakenAndNoWorkingAce) {
    b.sim.file(kFile).dacl({Allow(b.bob, 0x1F01FF)});  // nothing for the user
    b.sim.dir(L"C:\\d").owner(b.alice).dacl({Allow(b.me, 0x1200A9, 0x03)});
    b.sim.setBackupHeld(true);
    administrator(true);
    ASSERT_TRUE(b.settings.backupRestoreAvailable);
    e = b.read(kFile);  // through the backup privilege
    ASSERT_EQ(e->ownerName(), L"alice");
    b.sim.counters() = {};
    EXPECT_TRUE(b.editor.DelTrustee(*e, 0));
    EXPECT_TRUE(b.editor.AppendTrustee(*e, Trustee::ofSid(b.carol), 0x1200A9, 0, true));
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Allow(b.carol, 0x1200A9)}));
    CDirEntry* folder = b.read(L"C:\\d");
    EXPECT_FALSE(b.editor.InsertWorkingAce(*folder).inserted);
    EXPECT_EQ(b.dacl(L"C:\\d"), (std::vector<RawAce>{Allow(b.me, 0x1200A9, 0x03)}));
    EXPECT_EQ(b.sim.counters().setOwner, 0u);
    EXPECT_EQ(b.sim.counters().writeDacl, 2u);
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(e->ownershipTaken, 0);
    // Only the moment the DACL was empty.
    EXPECT_EQ(b.errors(),
              (std::vector<std::wstring>{L"Empty ACL or ACL information could not be read"}));
}

TEST_F(Ownership, AnOwnerThatCouldNotBeReadIsNeverReplaced) {
    // Not even readable: the entry shows "ERROR READING FILE".
    b.sim.file(kFile).dacl({Allow(b.bob, 0x1F01FF)});
    e = b.read(kFile);
    ASSERT_EQ(e->ownerName(), L"ERROR READING FILE");
    administrator(false);
    b.list.errorList().clear();
    b.sim.counters() = {};
    const std::wstring why =
        L"The owner of C:\\f could not be read, so ownership was not taken (it "
        L"could never have been given back). Nothing was changed.";
    EXPECT_FALSE(b.editor.ReplaceDacl(*e, {Allow(b.me, 0x1F01FF)}, false));
    EXPECT_EQ(b.errors(), (std::vector<std::wstring>{why}));
    EXPECT_FALSE(b.editor.TakeOwnership(*e));
    EXPECT_EQ(b.errors().at(1), why);
    EXPECT_EQ(b.sim.counters().setOwner, 0u);
    EXPECT_EQ(b.sim.counters().writeDacl, 0u);
    EXPECT_EQ(b.disk(kFile).owner, b.alice);
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Allow(b.bob, 0x1F01FF)}));
    // Read once it is readable again, the owner is known and taken.
    b.sim.file(kFile).dacl({Allow(b.me, 0x00020000)});
    e = b.read(kFile);
    EXPECT_TRUE(b.editor.TakeOwnership(*e));
    EXPECT_EQ(b.disk(kFile).owner, well_known::administrators());
    EXPECT_EQ(*e->ownerBackupSid(), b.alice);
}

TEST(SimOwner, WhoMayBecomeOwner) {
    sim::SimPlatform sim;
    Sid me = sim.accounts().currentUser();
    Sid other = sim.accounts().addLocalUser(L"other");
    sim.file(kFile).owner(other).dacl({Allow(me, 0x00080000)});  // WRITE_OWNER
    EXPECT_EQ(sim.setOwner(kFile, me), 0u);
    EXPECT_EQ(sim.setOwner(kFile, well_known::administrators()), 1307u);
    sim.setTakeOwnershipHeld(true);
    EXPECT_EQ(sim.setOwner(kFile, well_known::administrators()), 0u);
    EXPECT_EQ(sim.setOwner(kFile, other), 1307u);
    sim.setRestoreHeld(true);
    EXPECT_EQ(sim.enablePrivilege(Privilege::Restore), 0u);
    EXPECT_EQ(sim.setOwner(kFile, other), 0u);
    EXPECT_EQ(sim.volume().find(kFile)->security.owner, other);
}

}  // namespace
}  // namespace quorel
