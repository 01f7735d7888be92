#include "core/security_reader.h"

#include <gtest/gtest.h>

#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"

namespace quorel {
namespace {

using sim::SimPlatform;

// Fails one step of every descriptor read, as a flaky file system would.
class FailingStep : public SecurityPort {
  public:
    FailingStep(SecurityPort& inner, SdStep step) : inner_(inner), step_(step) {}
    SdReadStatus readSecurity(const std::wstring& path, SecurityDescriptor& out) override {
        SdReadStatus s = inner_.readSecurity(path, out);
        return s.ok() ? SdReadStatus{step_, 1} : s;
    }
    std::uint32_t writeDacl(const std::wstring& p, const std::vector<RawAce>& d,
                            DaclControl control) override {
        return inner_.writeDacl(p, d, control);
    }
    std::uint32_t setOwner(const std::wstring& p, const Sid& o) override {
        return inner_.setOwner(p, o);
    }

  private:
    SecurityPort& inner_;
    SdStep step_;
};

// Hands out descriptors whose second ACE has lost its bytes.
class EmptySecondAce : public FailingStep {
  public:
    explicit EmptySecondAce(SecurityPort& inner) : FailingStep(inner, SdStep::None) {}
    SdReadStatus readSecurity(const std::wstring& path, SecurityDescriptor& out) override {
        SdReadStatus s = FailingStep::readSecurity(path, out);
        out.dacl.at(1).bytes.clear();
        return s;
    }
};

// A dataset with one entry for `path`, read through `reader`.
struct OneEntry {
    sim::RecordingInteraction ui;
    CDirList list{ui};
    DatasetBuilder listBuild{list};
    CDirEntry* entry = nullptr;

    OneEntry(const std::wstring& path, SecurityReader& reader) {
        entry = listBuild.addLoadEntry();
        entry->setName(path);
        entry->setPath(path);
        reader.readSecurity(*entry);
    }
    std::vector<std::wstring> errors() const { return list.errorList().texts(); }
};

class Reader : public ::testing::Test {
  protected:
    Reader() : reader(sim, sim) {
        me = sim.accounts().currentUser();
        alice = sim.accounts().addLocalUser(L"alice");
    }
    SimPlatform sim;
    SecurityReader reader;
    Sid me, alice;
};

TEST_F(Reader, ReadsOwnerGroupAndAcesInAclOrder) {
    sim.file(L"C:\\f.txt")
        .owner(alice)
        .group(well_known::users())
        .dacl()
        .deny(alice, 0x10000, 0x10)
        .allow(me, 0x1F01FF, 0x10)
        .allow(well_known::everyone(), 0x1200A9, 0x13);
    OneEntry one(L"C:\\f.txt", reader);
    CDirEntry& e = *one.entry;
    EXPECT_TRUE(one.errors().empty());
    EXPECT_EQ(e.errorFlags, 0);
    EXPECT_EQ(e.ownerName(), L"alice");
    EXPECT_EQ(e.ownerDomain(), L"SIMHOST");
    EXPECT_EQ(e.groupName(), L"Users");
    EXPECT_EQ(e.groupDomain(), L"BUILTIN");
    ASSERT_EQ(e.aceCount(), 3u);
    EXPECT_EQ(e.visibleAceCount, 3u);
    EXPECT_EQ(e.ace(0)->trustee(test::NamesOf(&e)), L"alice");
    EXPECT_EQ(e.ace(0)->aceType, 1);
    EXPECT_EQ(e.ace(0)->accessMask, 0x10000u);
    EXPECT_EQ(e.ace(0)->aceFlags, 0x10);
    EXPECT_EQ(e.ace(0)->flagsAsRead, 0x10);
    EXPECT_EQ(e.ace(1)->trustee(test::NamesOf(&e)), L"simuser");
    EXPECT_EQ(e.ace(2)->trustee(test::NamesOf(&e)), L"Everyone");
    EXPECT_EQ(e.ace(2)->domain(test::NamesOf(&e)), L"");
    EXPECT_EQ(e.ace(2)->unresolved, 0);
}

TEST_F(Reader, NullDaclReadsAsSuccessWithNoAces) {
    sim.file(L"C:\\open").owner(me).nullDacl();
    OneEntry one(L"C:\\open", reader);
    EXPECT_EQ(one.errors(),
              (std::vector<std::wstring>{L"Error reading ACL",
                                         L"Empty ACL or ACL information could not be read"}));
    EXPECT_EQ(one.entry->errorFlags, entry_error::kReadFailed | entry_error::kNoAces);
    EXPECT_EQ(one.entry->ownerName(), L"simuser");
    EXPECT_EQ(one.entry->aceCount(), 0u);
}

TEST_F(Reader, AbsentDaclReadsLikeNullDacl) {
    sim.file(L"C:\\none").owner(me).noDacl();
    OneEntry one(L"C:\\none", reader);
    EXPECT_EQ(one.errors().front(), L"Error reading ACL");
    EXPECT_EQ(one.entry->errorFlags, 6);
}

TEST_F(Reader, EmptyDaclGivesOneMessage) {
    sim.file(L"C:\\empty").owner(me).dacl();
    OneEntry one(L"C:\\empty", reader);
    EXPECT_EQ(one.errors(),
              std::vector<std::wstring>{L"Empty ACL or ACL information could not be read"});
    EXPECT_EQ(one.entry->errorFlags, 6);
}

TEST_F(Reader, DeletedAccountOnAnAceShowsItsSidString) {
    Sid gone = sim.accounts().addLocalUser(L"gone");
    sim.accounts().deleteAccount(gone);
    sim.file(L"C:\\f").owner(me).dacl().allow(me, 0x1F01FF).deny(gone, 0x1301BF, 0x13);
    OneEntry one(L"C:\\f", reader);
    const AceRecord* r = one.entry->ace(1);
    EXPECT_EQ(r->trustee(one.list.accountNames()), gone.toString());
    EXPECT_EQ(r->domain(one.list.accountNames()), L"");
    EXPECT_EQ(r->unresolved, 1);
    EXPECT_EQ(r->accessMask, 0x1301BFu);
    EXPECT_EQ(r->aceType, 1);
    EXPECT_EQ(r->aceFlags, 0x13);
    EXPECT_EQ(one.entry->errorFlags, entry_error::kUnresolvedSid | entry_error::kReadFailed);
    EXPECT_EQ(one.errors(), std::vector<std::wstring>{L"Cannot resolve SID"});
}

TEST_F(Reader, UnresolvableOwnerAndGroupGiveDoubledMessages) {
    Sid unknown = sim.accounts().unknownSid();
    sim.file(L"C:\\f").owner(unknown).group(unknown).dacl().allow(me, 0x1F01FF);
    OneEntry one(L"C:\\f", reader);
    EXPECT_EQ(one.errors(),
              (std::vector<std::wstring>{L"Cannot determine user", L"Cannot determine user.",
                                         L"Cannot determine group", L"Cannot determine group"}));
    EXPECT_EQ(one.entry->ownerName(), unknown.toString());
    EXPECT_EQ(one.entry->ownerDomain(), L"");
    EXPECT_EQ(one.entry->groupName(), unknown.toString());
    EXPECT_FALSE(one.entry->groupDomainSet());
    EXPECT_EQ(one.entry->errorFlags, 3);
}

TEST_F(Reader, UnreadableDescriptorShowsErrorReadingFile) {
    sim.file(L"C:\\secret").owner(alice).dacl().allow(alice, 0x1F01FF);
    OneEntry one(L"C:\\secret", reader);
    EXPECT_EQ(one.errors(),
              (std::vector<std::wstring>{
                  L"Cannot get file security",
                  L"Error reading ACL information from file ( maybe you have insufficient "
                  L"permissions )",
                  L"Empty ACL or ACL information could not be read"}));
    EXPECT_EQ(one.entry->ownerName(), L"ERROR READING FILE");
    EXPECT_EQ(one.entry->groupName(), L"ERROR READING FILE");
    EXPECT_EQ(one.entry->aceCount(), 0u);
    EXPECT_EQ(one.entry->visibleAceCount, 0u);
    EXPECT_EQ(one.entry->errorFlags, 6);
}

TEST_F(Reader, EachFailingStepHasItsMessage) {
    sim.file(L"C:\\f").owner(me).dacl().allow(me, 0x1F01FF);
    const std::pair<SdStep, const wchar_t*> steps[] = {
        {SdStep::Control, L"Get security descriptor failed"},
        {SdStep::Owner, L"Get security descriptor owner failed"},
        {SdStep::Group, L"Get security descriptor group failed"},
        {SdStep::Dacl, L"Get security descriptor DACL failed"},
        {SdStep::AclInformation, L"Get ACL information failed"},
    };
    for (const auto& [step, text] : steps) {
        FailingStep failing(sim, step);
        SecurityReader r(failing, sim);
        OneEntry one(L"C:\\f", r);
        ASSERT_EQ(one.errors().size(), 3u);
        EXPECT_EQ(one.errors()[0], text);
        EXPECT_EQ(one.entry->ownerName(), L"ERROR READING FILE");
    }
}

TEST_F(Reader, AnAceWithoutBytesIsListedWithoutTrustee) {
    sim.file(L"C:\\f").owner(alice).group(alice).dacl().allow(me, 0x1F01FF).allow(alice, 0x1);
    EmptySecondAce losing(sim);
    SecurityReader r(losing, sim);
    OneEntry one(L"C:\\f", r);
    EXPECT_EQ(one.errors(), std::vector<std::wstring>{L"Cannot get ACL ( getAceDACL )"});
    ASSERT_EQ(one.entry->aceCount(), 2u);
    EXPECT_EQ(one.entry->ace(0)->trustee(test::NamesOf(one.entry)), L"simuser");
    EXPECT_EQ(one.entry->ace(1)->trustee(test::NamesOf(one.entry)), L"");
    EXPECT_EQ(one.entry->ace(1)->unresolved, 1);
}

TEST_F(Reader, ObjectAcesTakeTheirSidAtByte44) {
    sim.file(L"C:\\f").owner(me).dacl().objectAce(6, alice, 0x100, 0x02).objectAce(5, me, 0x20, 0);
    OneEntry one(L"C:\\f", reader);
    ASSERT_EQ(one.entry->aceCount(), 2u);
    EXPECT_EQ(one.entry->ace(0)->trustee(test::NamesOf(one.entry)), L"alice");
    EXPECT_EQ(one.entry->ace(0)->aceType, 6);
    EXPECT_EQ(one.entry->ace(0)->accessMask, 0x100u);
    EXPECT_EQ(one.entry->ace(1)->trustee(test::NamesOf(one.entry)), L"simuser");
    EXPECT_EQ(one.entry->ace(1)->aceType, 5);
    EXPECT_TRUE(one.errors().empty());
}

TEST_F(Reader, AnAclOutOfCanonicalOrderIsAProblemOfTheEntry) {
    const Sid everyone = well_known::everyone();
    // An explicit deny after an explicit allow; an explicit ACE after an
    // inherited one.
    sim.file(L"C:\\late-deny").owner(me).dacl().allow(me, 1).deny(alice, 1);
    sim.file(L"C:\\late-explicit").owner(me).dacl().allow(everyone, 1, 0x10).deny(alice, 1);
    for (const wchar_t* path : {L"C:\\late-deny", L"C:\\late-explicit"}) {
        OneEntry one(path, reader);
        EXPECT_EQ(one.errors(), std::vector<std::wstring>{L"ACL is not in canonical order"});
        EXPECT_EQ(one.entry->errorFlags, entry_error::kReadFailed);
        EXPECT_EQ(one.entry->aceCount(), 2u);
    }
}

TEST_F(Reader, ReadingAgainReplacesEverything) {
    sim.file(L"C:\\f").owner(alice).dacl().allow(alice, 0x1F01FF).allow(me, 0x1200A9);
    OneEntry one(L"C:\\f", reader);
    one.entry->selected = 1;
    sim.file(L"C:\\f").owner(me).group(alice).dacl().deny(well_known::everyone(), 0x2);
    reader.readSecurity(*one.entry);
    EXPECT_EQ(one.entry->ownerName(), L"simuser");
    EXPECT_EQ(one.entry->groupName(), L"alice");
    ASSERT_EQ(one.entry->aceCount(), 1u);
    EXPECT_EQ(one.entry->ace(0)->trustee(test::NamesOf(one.entry)), L"Everyone");
    EXPECT_EQ(one.entry->ace(0)->aceType, 1);
    EXPECT_EQ(one.entry->selected, 0);
    EXPECT_EQ(one.entry->errorFlags, 0);
}

TEST_F(Reader, EachDistinctSidIsLookedUpOnceFailuresIncluded) {
    Sid gone = sim.accounts().addLocalUser(L"gone");
    sim.accounts().deleteAccount(gone);
    for (int i = 0; i < 50; ++i) {
        sim.file(L"C:\\d\\f" + std::to_wstring(i))
            .owner(me)
            .group(alice)
            .dacl()
            .allow(alice, 1)
            .allow(gone, 2)
            .allow(me, 4);
    }
    sim.counters().lookupSid = 0;
    sim::RecordingInteraction ui;
    CDirList list(ui);
    DatasetBuilder listBuild(list);
    for (int i = 0; i < 50; ++i) {
        CDirEntry* e = listBuild.addLoadEntry();
        e->setPath(L"C:\\d\\f" + std::to_wstring(i));
        reader.readSecurity(*e);
        EXPECT_EQ(e->ace(1)->trustee(test::NamesOf(e)), gone.toString());
    }
    EXPECT_EQ(sim.counters().lookupSid, 3u);
    EXPECT_EQ(reader.cachedSidCount(), 3u);
}

TEST_F(Reader, SidsOnAShareAreNamedByItsServerEachWithItsOwnCache) {
    const Sid fred = sim.accounts().addServerUser(L"FILES01", L"fred");
    sim.file(L"\\\\FILES01\\data\\f")
        .owner(fred)
        .group(fred)
        .dacl()
        .allow(fred, 1)
        .allow(me, 0x20000);
    sim.file(L"C:\\f").owner(fred).group(fred).dacl().allow(fred, 1).allow(me, 0x20000);
    sim.counters().lookupSid = 0;
    OneEntry share(L"\\\\FILES01\\data\\f", reader);
    EXPECT_EQ(share.entry->ownerName(), L"fred");
    EXPECT_EQ(share.entry->ownerDomain(), L"FILES01");
    EXPECT_EQ(share.entry->ace(0)->trustee(test::NamesOf(share.entry)), L"fred");
    EXPECT_EQ(share.entry->ace(0)->unresolved, 0);
    // This machine's own account is unknown to the server.
    EXPECT_EQ(share.entry->ace(1)->trustee(test::NamesOf(share.entry)), me.toString());
    EXPECT_EQ(share.entry->ace(1)->unresolved, 1);
    EXPECT_EQ(share.errors(), std::vector<std::wstring>{L"Cannot resolve SID"});
    // The same SIDs on a local path: the other way round.
    OneEntry local(L"C:\\f", reader);
    EXPECT_EQ(local.entry->ownerName(), fred.toString());
    EXPECT_EQ(local.entry->ace(0)->trustee(test::NamesOf(local.entry)), fred.toString());
    EXPECT_EQ(local.entry->ace(0)->unresolved, 1);
    EXPECT_EQ(local.entry->ace(1)->trustee(test::NamesOf(local.entry)), L"simuser");
    EXPECT_EQ(sim.counters().lookupSid, 4u);
    EXPECT_EQ(reader.cachedSidCount(), 4u);
    // The server's cache answers whatever case its name is written in.
    OneEntry again(L"\\\\files01\\DATA\\f", reader);
    EXPECT_EQ(again.entry->ace(0)->trustee(test::NamesOf(again.entry)), L"fred");
    EXPECT_EQ(sim.counters().lookupSid, 4u);
    EXPECT_EQ(reader.accountOf(fred, *share.entry), share.entry->ace(0)->account());
    EXPECT_EQ(reader.accountOf(fred, *local.entry), local.entry->ace(0)->account());
}

}  // namespace
}  // namespace quorel
