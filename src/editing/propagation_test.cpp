#include "editing/propagation.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/dataset_test_support.h"
#include "editing/editing_test_support.h"
#include "editing/entry_lookup.h"
#include "platform/win_error.h"

namespace quorel {
namespace {

using test::Allow;
using test::Deny;
using test::EditBench;

std::vector<std::uint8_t> flagsOf(const std::vector<RawAce>& dacl) {
    std::vector<std::uint8_t> flags;
    for (const RawAce& a : dacl) {
        flags.push_back(a.flags());
    }
    return flags;
}

// C:\P with `parent` after an ACE that lets the user list it, a folder D
// and a file F below it, each with an explicit ACE of carol's.
struct Tree {
    CDirEntry* root = nullptr;
    CDirEntry* folder = nullptr;
    CDirEntry* file = nullptr;
};

Tree build(EditBench& b, std::vector<RawAce> parent) {
    parent.insert(parent.begin(), Allow(b.me, 0x1200A9));
    b.sim.dir(L"C:\\P").owner(b.me).dacl(std::move(parent));
    b.sim.dir(L"C:\\P\\D\\x").owner(b.me).dacl({Allow(b.carol, 1)});
    b.sim.dir(L"C:\\P\\D").owner(b.me).dacl({Allow(b.me, 0x1200A9), Allow(b.carol, 1)});
    b.sim.file(L"C:\\P\\F").owner(b.me).dacl({Allow(b.carol, 1)});
    Tree t;
    t.root = b.scan(L"C:\\P");
    t.folder = findEntryByPath(b.list, L"C:\\P\\D");
    t.file = findEntryByPath(b.list, L"C:\\P\\F");
    return t;
}

class Inherit : public ::testing::Test {
  protected:
    void build(std::vector<RawAce> parent) {
        Tree t = quorel::build(b, std::move(parent));
        root = t.root;
        folder = t.folder;
        file = t.file;
        ASSERT_NE(folder, nullptr);
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(folder->isDirectoryForEditing());
    }
    void inheritBoth() {
        ASSERT_TRUE(b.propagation.InheritFromParent(*folder, *root));
        ASSERT_TRUE(b.propagation.InheritFromParent(*file, *root));
    }
    EditBench b;
    CDirEntry* root = nullptr;
    CDirEntry* folder = nullptr;
    CDirEntry* file = nullptr;
};

TEST(InheritFlags, FlagsOfTheInheritedAces) {
    struct Case {
        std::uint8_t parent;
        std::vector<std::uint8_t> folder, file;
    };
    const std::vector<Case> cases{
        {0x03, {0x13}, {0x10}},
        {0x07, {0x10}, {0x10}},
        // INHERIT_ONLY_ACE of the parent's ACE does not carry to the copy.
        {0x0B, {0x13}, {0x10}},
        {0x0A, {0x12}, {}},
        {0x09, {0x19}, {0x10}},
        {0x0F, {0x10}, {0x10}},
        // An ACE for files alone reaches a folder as inherit-only, unless
        // NO_PROPAGATE_INHERIT_ACE ends it there.
        {0x01, {0x19}, {0x10}},
        {0x05, {}, {0x10}},
        {0x0D, {}, {0x10}},
        {0x02, {0x12}, {}},
        {0x06, {0x10}, {}},
        {0x00, {}, {}},
        {0x13, {0x13}, {0x10}},
    };
    for (const Case& c : cases) {
        EditBench b;
        Tree t = build(b, {Allow(b.bob, 0x1200A9, c.parent)});
        ASSERT_TRUE(b.propagation.InheritFromParent(*t.folder, *t.root));
        ASSERT_TRUE(b.propagation.InheritFromParent(*t.file, *t.root));
        EXPECT_EQ(flagsOf(b.dacl(L"C:\\P\\D")), c.folder) << int(c.parent);
        EXPECT_EQ(flagsOf(b.dacl(L"C:\\P\\F")), c.file) << int(c.parent);
        EXPECT_TRUE(b.showsDisk(*t.folder));
        EXPECT_TRUE(b.showsDisk(*t.file));
    }
}

TEST_F(Inherit, CreatorOwnerBecomesTheOwnerWithAnInheritOnlyCopyMarkedInherited) {
    build({Allow(well_known::creatorOwner(), access::kGenericAll, 0x0B), Deny(b.bob, 2, 0x03),
           Allow(well_known::creatorOwner(), 4, 0x01), Allow(well_known::creatorOwner(), 8, 0x07)});
    ASSERT_TRUE(b.propagation.InheritFromParent(*folder, *root));
    // The file belongs to alice, who inherits it (the owner keeps the right
    // to read and write the DACL whatever it says).
    b.sim.file(L"C:\\P\\F").owner(b.alice).dacl({Allow(b.me, 0x000E0000)});
    b.editor.Reread(*file);
    b.sim.accounts().setCurrentUser(b.alice);
    ASSERT_TRUE(b.propagation.InheritFromParent(*file, b.dacl(L"C:\\P")));
    EXPECT_EQ(b.dacl(L"C:\\P\\D"),
              (std::vector<RawAce>{Allow(b.me, 0x1F01FF, 0x10),
                                   // generic right and SID kept for the items below
                                   Allow(well_known::creatorOwner(), access::kGenericAll, 0x1B),
                                   Deny(b.bob, 2, 0x13),
                                   // inherit-only on the folder: still CREATOR OWNER
                                   Allow(well_known::creatorOwner(), 4, 0x19),
                                   // no-propagate: the owner's ACE alone
                                   Allow(b.me, 8, 0x10)}));
    EXPECT_EQ(b.dacl(L"C:\\P\\F"),
              (std::vector<RawAce>{Allow(b.alice, 0x1F01FF, 0x10), Deny(b.bob, 2, 0x10),
                                   Allow(b.alice, 4, 0x10), Allow(b.alice, 8, 0x10)}));
    EXPECT_TRUE(b.disk(L"C:\\P\\D").control & sd_control::kDaclAutoInherited);
}

TEST_F(Inherit, ACallbackAceKeepsItsApplicationDataAndAnObjectAceItsGuidWhenTheSidIsReplaced) {
    // ACCESS_ALLOWED_CALLBACK_ACE: the application data follows the SID.
    auto callback = [](const Sid& sid) {
        RawAce ace = RawAce::make(ace_type::kAccessAllowedCallback, 0x01, 0x1200A9, sid);
        ace.bytes.insert(ace.bytes.end(), {'a', 'r', 't', 'x', 0x20, 0, 0, 0});
        ace.bytes[2] = static_cast<std::uint8_t>(ace.bytes.size());
        return ace;
    };
    auto object = [](const Sid& sid) {
        return RawAce::makeObject(ace_type::kAccessAllowedObject, 0x01, 0x1200A9, sid,
                                  object_ace_flag::kInheritedObjectTypePresent);
    };
    build({callback(well_known::creatorOwner()), object(well_known::creatorOwner())});
    b.propagation.InheritFromParent(*file, *root);
    RawAce ownCallback = callback(b.me);
    ownCallback.setFlags(ace_flag::kInherited);
    RawAce ownObject = object(b.me);
    ownObject.setFlags(ace_flag::kInherited);
    EXPECT_EQ(b.dacl(L"C:\\P\\F"), (std::vector<RawAce>{ownCallback, ownObject}));
}

TEST_F(Inherit, CreatorGroupBecomesTheItemsPrimaryGroup) {
    Sid staff = b.sim.accounts().addDomainGroup(L"staff", {b.alice});
    build({Allow(well_known::creatorGroup(), 6, 0x03)});
    b.sim.file(L"C:\\P\\F").owner(b.me).group(b.carol).dacl({Allow(b.me, 0x000E0000)});
    b.editor.Reread(*file);
    ASSERT_TRUE(b.propagation.InheritFromParent(*file, *root));
    EXPECT_EQ(b.dacl(L"C:\\P\\F"), (std::vector<RawAce>{Allow(b.carol, 6, 0x10)}));
    EXPECT_EQ(b.sim.counters().groupMembers, 0u);
    // Without a primary group there is no one to give the ACE to: it is
    // left out and the failure listed; a folder keeps the inheritable copy.
    b.sim.file(L"C:\\P\\F").dacl({Allow(b.me, 0x000E0000)}).object().security.group.reset();
    b.sim.dir(L"C:\\P\\D").object().security.group.reset();
    b.editor.Reread(*file);
    b.editor.Reread(*folder);
    inheritBoth();
    EXPECT_TRUE(b.dacl(L"C:\\P\\F").empty());
    EXPECT_EQ(b.dacl(L"C:\\P\\D"),
              (std::vector<RawAce>{Allow(well_known::creatorGroup(), 6, 0x1B)}));
    const std::vector<std::wstring> errors = b.errors();
    EXPECT_EQ(std::count(errors.begin(), errors.end(),
                         L"Error determining primary group of owner for inheriting well known "
                         L"SID S-1-3-1"),
              2);
    EXPECT_NE(staff, b.carol);
}

TEST_F(Inherit, GenericRightsAreMappedInTheEffectiveAceAndKeptInTheInheritOnlyCopy) {
    build({Allow(b.bob, 0x80000000, 0x03), Allow(b.alice, 0x40000001, 0x03),
           Allow(b.carol, 0x20000000, 0x03), Deny(b.me, 0x10000000, 0x03)});
    inheritBoth();
    EXPECT_EQ(b.dacl(L"C:\\P\\F"),
              (std::vector<RawAce>{Allow(b.bob, 0x120089, 0x10), Allow(b.alice, 0x120117, 0x10),
                                   Allow(b.carol, 0x1200A0, 0x10), Deny(b.me, 0x1F01FF, 0x10)}));
    EXPECT_EQ(b.dacl(L"C:\\P\\D"),
              (std::vector<RawAce>{Allow(b.bob, 0x120089, 0x10), Allow(b.bob, 0x80000000, 0x1B),
                                   Allow(b.alice, 0x120117, 0x10), Allow(b.alice, 0x40000001, 0x1B),
                                   Allow(b.carol, 0x1200A0, 0x10), Allow(b.carol, 0x20000000, 0x1B),
                                   Deny(b.me, 0x1F01FF, 0x10), Deny(b.me, 0x10000000, 0x1B)}));
    const std::vector<std::wstring> errors = b.errors();
    EXPECT_EQ(std::count_if(errors.begin(), errors.end(),
                            [](const std::wstring& t) { return t.find(L"stored") != t.npos; }),
              0);
    EXPECT_TRUE(b.showsDisk(*folder));
}

TEST_F(Inherit, SkipNotInheritedAndKeepExplicitAces) {
    build({Allow(b.bob, 4, 0x03)});
    b.settings.skipNotInherited = true;
    const auto writes = b.sim.counters().writeDacl;
    EXPECT_EQ(b.propagation.InheritFromParent(*file, *root).status, EditStatus::Unchanged);
    EXPECT_EQ(b.sim.counters().writeDacl, writes);
    EXPECT_EQ(b.dacl(L"C:\\P\\F"), (std::vector<RawAce>{Allow(b.carol, 1)}));
    b.settings.skipNotInherited = false;
    b.settings.keepExplicitAces = true;
    b.sim.file(L"C:\\P\\F")
        .dacl({Allow(b.alice, 1), Deny(b.carol, 2), Allow(b.me, 3, 0x10), Allow(b.alice, 5)});
    b.editor.Reread(*file);
    ASSERT_TRUE(b.propagation.InheritFromParent(*file, *root));
    EXPECT_EQ(b.dacl(L"C:\\P\\F"),
              (std::vector<RawAce>{Allow(b.alice, 1), Deny(b.carol, 2), Allow(b.bob, 4, 0x10)}));
    // Only what stands before the first inherited ACE is kept.
    b.sim.file(L"C:\\P\\F")
        .dacl({Allow(b.alice, 1), Allow(b.me, 3, 0x10), Deny(b.carol, 2), Allow(b.me, 5, 0x10)});
    b.editor.Reread(*file);
    ASSERT_TRUE(b.propagation.InheritFromParent(*file, *root));
    EXPECT_EQ(b.dacl(L"C:\\P\\F"), (std::vector<RawAce>{Allow(b.alice, 1), Allow(b.bob, 4, 0x10)}));
    // No inherited ACE at all: nothing of its own is kept.
    b.sim.file(L"C:\\P\\F").dacl({Allow(b.alice, 1)});
    b.editor.Reread(*file);
    ASSERT_TRUE(b.propagation.InheritFromParent(*file, *root));
    EXPECT_EQ(b.dacl(L"C:\\P\\F"), (std::vector<RawAce>{Allow(b.bob, 4, 0x10)}));
}

bool anyWorkingAce(EditBench& b, const sim::SimObject& o) {
    const RawAce working = Allow(b.me, 0x1F01FF, 0);
    for (const RawAce& a : o.security.dacl) {
        if (a == working) {
            return true;
        }
    }
    for (const auto& c : o.children) {
        if (anyWorkingAce(b, *c)) {
            return true;
        }
    }
    return false;
}

class InheritAclRun : public ::testing::Test {
  protected:
    InheritAclRun() {
        b.sim.dir(L"C:\\R").owner(b.me).dacl(
            {Allow(b.me, 0x1F01FF, 0x03), Allow(b.bob, 0x1200A9, 0x03), Allow(b.alice, 0x1, 0x01)});
        for (const wchar_t* p :
             {L"C:\\R\\sub\\deep\\x.txt", L"C:\\R\\sub\\f.txt", L"C:\\R\\a.txt"}) {
            b.sim.file(p);
        }
        for (const wchar_t* p : {L"C:\\R\\sub\\deep\\x.txt", L"C:\\R\\sub\\f.txt", L"C:\\R\\a.txt",
                                 L"C:\\R\\sub", L"C:\\R\\sub\\deep"}) {
            b.sim.volume().find(p)->security.owner = b.me;
            b.sim.volume().find(p)->security.dacl = {Allow(b.carol, 0x1F01FF)};
        }
        b.sim.file(L"C:\\T\\secret.txt").owner(b.me).dacl({Allow(b.carol, 1)});
        b.sim.dir(L"C:\\R\\j").owner(b.me).dacl({Allow(b.carol, 2)}).reparse(L"C:\\T");
        b.sim.volume().find(L"C:\\R\\j")->children.clear();
        root = b.scan(L"C:\\R");
    }
    EditBench b;
    CDirEntry* root = nullptr;
};

TEST_F(InheritAclRun, EveryEntryBelowGetsItsInheritedAclAndJunctionsAreNotEntered) {
    const std::size_t pumps = b.ui.pumpCount();
    ASSERT_TRUE(b.propagation.InheritAcl(*root));
    const std::vector<RawAce> folder{Allow(b.me, 0x1F01FF, 0x13), Allow(b.bob, 0x1200A9, 0x13),
                                     Allow(b.alice, 0x1, 0x19)};
    const std::vector<RawAce> file{Allow(b.me, 0x1F01FF, 0x10), Allow(b.bob, 0x1200A9, 0x10),
                                   Allow(b.alice, 0x1, 0x10)};
    EXPECT_EQ(b.dacl(L"C:\\R\\sub"), folder);
    EXPECT_EQ(b.dacl(L"C:\\R\\j"), folder);
    EXPECT_EQ(b.dacl(L"C:\\R\\sub\\deep"), folder);
    EXPECT_EQ(b.dacl(L"C:\\R\\sub\\deep\\x.txt"), file);
    EXPECT_EQ(b.dacl(L"C:\\R\\a.txt"), file);
    EXPECT_EQ(b.dacl(L"C:\\T\\secret.txt"), (std::vector<RawAce>{Allow(b.carol, 1)}));
    EXPECT_FALSE(anyWorkingAce(b, *b.sim.volume().find(L"C:")));
    std::size_t entries = 0;
    for (CDirEntry& e : b.list) {
        ++entries;
        // "." and ".." show their folder as it was when they were listed.
        EXPECT_TRUE(e.isDotEntry() || b.showsDisk(e)) << e.path();
    }
    // R, its ".", "..", a.txt, j, sub with its ".", "..", deep, f.txt, and
    // deep's ".", "..", x.txt.
    EXPECT_EQ(entries, 13u);
    EXPECT_EQ(findEntryByPath(b.list, L"C:\\R\\j")->isReparsePoint, 1);
    EXPECT_EQ(findEntryByPath(b.list, L"C:\\R\\sub\\deep\\x.txt")->depth, root->depth + 3);
    EXPECT_EQ(findEntryByPath(b.list, L"C:\\R\\a.txt")->depth, root->depth + 1);
    EXPECT_EQ(b.ui.pumpCount() - pumps, 12u);
    EXPECT_FALSE(b.ui.heartbeatShown());
    EXPECT_EQ(b.ui.heartbeatCount(), 1u);
}

TEST_F(InheritAclRun, CancelStopsAfterTheCurrentEntryAndTakesEveryWorkingAceOut) {
    b.ui.cancelAtPump(b.ui.pumpCount() + 7);
    EXPECT_FALSE(b.propagation.InheritAcl(*root));
    EXPECT_EQ(b.propagation.walkedCount(), 7u);
    EXPECT_FALSE(anyWorkingAce(b, *b.sim.volume().find(L"C:")));
    ASSERT_EQ(b.ui.messages().size(), 1u);
    EXPECT_EQ(b.ui.messages()[0].text,
              L"Inherit ACL was canceled after 7 files and folders. The files and folders not "
              L"reached keep their ACLs.");
    EXPECT_EQ(b.dacl(L"C:\\R\\sub\\deep\\x.txt"), (std::vector<RawAce>{Allow(b.carol, 0x1F01FF)}));
}

// Lists like the simulated volume but refuses one folder, as a share does
// when the folder goes away in the middle of a run.
class RefusingListing : public FileSystemPort {
  public:
    RefusingListing(FileSystemPort& inner, std::wstring refused)
        : inner_(inner), refused_(std::move(refused)) {}
    std::unique_ptr<DirEnumerator> openDirectory(const std::wstring& path, DirItem& first,
                                                 std::uint32_t& error) override {
        if (path == refused_) {
            error = 5;
            return nullptr;
        }
        return inner_.openDirectory(path, first, error);
    }
    std::uint32_t readReparseTarget(const std::wstring& path, std::wstring& target) override {
        return inner_.readReparseTarget(path, target);
    }

  private:
    FileSystemPort& inner_;
    std::wstring refused_;
};

TEST_F(InheritAclRun, AFolderThatCannotBeListedKeepsNoWorkingAce) {
    RefusingListing files(b.sim, L"C:\\R\\sub");
    Propagation propagation(b.editor, files, b.undo, b.pending);
    propagation.InheritAcl(*root);
    EXPECT_EQ(b.dacl(L"C:\\R\\sub"),
              (std::vector<RawAce>{Allow(b.me, 0x1F01FF, 0x13), Allow(b.bob, 0x1200A9, 0x13),
                                   Allow(b.alice, 0x1, 0x19)}));
    EXPECT_FALSE(anyWorkingAce(b, *b.sim.volume().find(L"C:")));
    // What lies below keeps its ACL.
    EXPECT_EQ(b.dacl(L"C:\\R\\sub\\f.txt"), (std::vector<RawAce>{Allow(b.carol, 0x1F01FF)}));
}

TEST(InheritAclPath, APathTooLongIsReportedAtTheEnd) {
    EditBench b;
    const std::wstring path = L"C:\\" + std::wstring(23398, L'a');
    b.sim.dir(path).owner(b.me).dacl({Allow(b.me, 0x1F01FF, 0x03)});
    b.sim.file(path + L"\\f").owner(b.me);
    CDirEntry* root = b.read(path);
    EXPECT_FALSE(b.propagation.InheritAcl(*root));
    ASSERT_EQ(b.ui.messages().size(), 1u);
    EXPECT_EQ(b.ui.messages()[0].text, L"Max path length exceeded - inheritance incomplete");
    EXPECT_EQ(b.ui.messages()[0].caption, L"Error: Max path length");
    EXPECT_EQ(b.dacl(path), (std::vector<RawAce>{Allow(b.me, 0x1F01FF, 0x03)}));
    // One character less is walked.
    EditBench c;
    const std::wstring shorter = L"C:\\" + std::wstring(23397, L'a');
    c.sim.dir(shorter).owner(c.me).dacl({Allow(c.me, 0x1F01FF, 0x03)});
    c.sim.file(shorter + L"\\f").owner(c.me);
    EXPECT_TRUE(c.propagation.InheritAcl(*c.read(shorter)));
    EXPECT_EQ(c.dacl(shorter + L"\\f"), (std::vector<RawAce>{Allow(c.me, 0x1F01FF, 0x10)}));
}

TEST(InheritAclVolumeRoot, ItemsOfARootEndingInABackslashGetPlainPaths) {
    EditBench b;
    b.sim.volume().defaultSecurity().dacl = {Allow(b.me, 0x1F01FF, 0x03)};
    b.sim.volume().defaultSecurity().owner = b.me;
    b.sim.file(L"D:\\a").owner(b.me).dacl({Allow(b.carol, 1)});
    CDirEntry* root = b.read(L"D:\\");
    ASSERT_TRUE(b.propagation.InheritAcl(*root));
    CDirEntry* a = findEntryByPath(b.list, L"D:\\a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->path(), L"D:\\a");
    EXPECT_EQ(b.dacl(L"D:\\a"), (std::vector<RawAce>{Allow(b.me, 0x1F01FF, 0x10)}));
}

TEST(InheritAclPath, AnItemWhosePathIsTooLongEndsItsFolder) {
    EditBench b;
    const std::wstring dir = L"C:\\" + std::wstring(22997, L'd');  // 23000 characters
    b.sim.dir(dir).owner(b.me).dacl({Allow(b.me, 0x1F01FF, 0x03)});
    const std::wstring fits = dir + L"\\" + std::wstring(2990, L'a');  // 25990 with the folder
    const std::wstring over = dir + L"\\" + std::wstring(2991, L'b');
    b.sim.file(fits).owner(b.me).dacl({Allow(b.carol, 1)});
    b.sim.file(over).owner(b.me).dacl({Allow(b.carol, 1)});
    EXPECT_FALSE(b.propagation.InheritAcl(*b.read(dir)));
    EXPECT_EQ(b.dacl(fits), (std::vector<RawAce>{Allow(b.me, 0x1F01FF, 0x10)}));
    EXPECT_EQ(b.dacl(over), (std::vector<RawAce>{Allow(b.carol, 1)}));
    EXPECT_EQ(b.ui.messageTexts(),
              (std::vector<std::wstring>{L"Max path length exceeded - inheritance incomplete"}));
}

TEST(InheritAclLinks, PlaceholdersAreEnteredJunctionsAndSymbolicLinksAreNot) {
    EditBench b;
    b.sim.dir(L"C:\\R").owner(b.me).dacl({Allow(b.me, 0x1F01FF, 0x03)});
    struct Case {
        const wchar_t* name;
        std::uint32_t tag;
        bool entered;
    };
    const Case cases[] = {{L"plain", 0, true},
                          {L"cloud", reparse_tag::kCloud, true},
                          {L"dedup", reparse_tag::kDedup, true},
                          {L"junction", reparse_tag::kMountPoint, false},
                          {L"symlink", reparse_tag::kSymlink, false}};
    const std::vector<RawAce> untouched{Allow(b.carol, 1)};
    for (const Case& c : cases) {
        const std::wstring folder = std::wstring(L"C:\\R\\") + c.name;
        b.sim.dir(folder).owner(b.me).dacl(untouched).reparseTag(c.tag);
        b.sim.file(folder + L"\\f").owner(b.me).dacl(untouched);
    }
    ASSERT_TRUE(b.propagation.InheritAcl(*b.read(L"C:\\R")));
    const std::vector<RawAce> folder = b.dacl(L"C:\\R\\plain");
    const std::vector<RawAce> file = b.dacl(L"C:\\R\\plain\\f");
    EXPECT_NE(file, untouched);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = std::wstring(L"C:\\R\\") + c.name;
        // Every folder, link or not, gets its inherited ACL.
        EXPECT_EQ(b.dacl(path), folder);
        EXPECT_EQ(b.dacl(path + L"\\f"), c.entered ? file : untouched);
        EXPECT_EQ(findEntryByPath(b.list, path + L"\\f") != nullptr, c.entered);
        EXPECT_EQ(findEntryByPath(b.list, path)->isReparsePoint, c.entered ? 0 : 1);
    }
    EXPECT_FALSE(anyWorkingAce(b, *b.sim.volume().find(L"C:")));
}

TEST(InheritAclListing, AListingThatFailsPartWayIsReportedAndMakesTheRunIncomplete) {
    EditBench b;
    b.sim.dir(L"C:\\R").owner(b.me).dacl({Allow(b.me, 0x1F01FF, 0x03)});
    const std::vector<RawAce> untouched{Allow(b.carol, 1)};
    for (const wchar_t* p : {L"C:\\R\\sub\\a", L"C:\\R\\sub\\b", L"C:\\R\\sub\\c", L"C:\\R\\z"}) {
        b.sim.file(p).owner(b.me).dacl(untouched);
    }
    b.sim.dir(L"C:\\R\\sub")
        .owner(b.me)
        .dacl(untouched)
        .listingFails(3, win_error::kNetNameDeleted);
    EXPECT_FALSE(b.propagation.InheritAcl(*b.read(L"C:\\R")));
    // ".", ".." and a were listed and inherit; b and c were never reached.
    EXPECT_NE(b.dacl(L"C:\\R\\sub\\a"), untouched);
    EXPECT_EQ(b.dacl(L"C:\\R\\sub\\a"), b.dacl(L"C:\\R\\z"));
    EXPECT_EQ(b.dacl(L"C:\\R\\sub\\b"), untouched);
    EXPECT_EQ(b.dacl(L"C:\\R\\sub\\c"), untouched);
    EXPECT_EQ(findEntryByPath(b.list, L"C:\\R\\sub\\b"), nullptr);
    const ErrorList& errors = b.list.errorList();
    ASSERT_EQ(errors.count(), 1u);
    EXPECT_EQ(errors.at(0).entry, findEntryByPath(b.list, L"C:\\R\\sub"));
    EXPECT_EQ(errors.at(0).text,
              L"Error listing directory - inheritance incomplete, later items keep their ACLs");
    EXPECT_FALSE(anyWorkingAce(b, *b.sim.volume().find(L"C:")));
    EXPECT_TRUE(b.ui.messages().empty());
}

class Propagate : public ::testing::Test {
  protected:
    // P passes bob's mask 5 on; Q beside it has the same inherited ACE.
    Propagate() {
        b.sim.dir(L"C:\\top\\P").owner(b.me).dacl({Allow(b.bob, 5, 0x03), Allow(b.me, 0x1200A9)});
        b.sim.file(L"C:\\top\\P\\a")
            .owner(b.me)
            .dacl({Allow(b.bob, 5, 0x10), Allow(b.bob, 6, 0x10), Allow(b.bob, 5),
                   Deny(b.bob, 5, 0x10)});
        b.sim.dir(L"C:\\top\\P\\d").owner(b.me).dacl({Allow(b.bob, 5, 0x13)});
        // A folder the user may list, before d in the walk.
        b.sim.dir(L"C:\\top\\P\\c").owner(b.me).dacl({Allow(b.me, 0x1200A9)});
        b.sim.file(L"C:\\top\\P\\c\\x").owner(b.me).dacl({Allow(b.bob, 5, 0x10)});
        b.sim.dir(L"C:\\top\\Q").owner(b.me).dacl({Allow(b.bob, 5, 0x13)});
        b.scan(L"C:\\top");
    }
    PendingChange change(PendingChange::Kind kind, std::uint32_t oldMask, std::uint32_t newMask) {
        PendingChange c;
        c.kind = kind;
        c.path = L"C:\\top\\P";
        c.trustee = Trustee::ofSid(b.bob, L"bob");
        c.aceType = 0;
        c.aceFlags = 0x03;
        c.oldMask = oldMask;
        c.newMask = newMask;
        return c;
    }
    EditBench b;
};

TEST_F(Propagate, AMaskChangeTouchesOnlyInheritedAcesWithTheOldMaskInTheSubtree) {
    b.undo.AddUndoElement(b.editor, *b.list.firstEntry(), L"set permission", true);
    b.pending.add(change(PendingChange::Kind::MaskChanged, 5, 7));
    b.ui.scriptAnswers({MessageAnswer::Yes});
    ASSERT_TRUE(b.propagation.PropagateChanges(b.list));
    EXPECT_EQ(b.dacl(L"C:\\top\\P\\a"),
              (std::vector<RawAce>{Allow(b.bob, 7, 0x10), Allow(b.bob, 6, 0x10), Allow(b.bob, 5),
                                   Deny(b.bob, 5, 0x10)}));
    EXPECT_EQ(b.dacl(L"C:\\top\\P\\d"), (std::vector<RawAce>{Allow(b.bob, 7, 0x13)}));
    EXPECT_EQ(b.dacl(L"C:\\top\\P\\c\\x"), (std::vector<RawAce>{Allow(b.bob, 7, 0x10)}));
    EXPECT_EQ(b.dacl(L"C:\\top\\P"),
              (std::vector<RawAce>{Allow(b.bob, 5, 0x03), Allow(b.me, 0x1200A9)}));
    EXPECT_EQ(b.dacl(L"C:\\top\\Q"), (std::vector<RawAce>{Allow(b.bob, 5, 0x13)}));
    EXPECT_TRUE(b.pending.empty());
    EXPECT_EQ(b.undo.count(), 0u);
    ASSERT_EQ(b.ui.messages().size(), 1u);
    EXPECT_EQ(b.ui.messages()[0].text,
              L"Apply ACL to all subdirectories and files?\n\nWARNING: This action cannot be "
              L"undone and will clear the contents of the undo buffer. Are you sure you wish to "
              L"proceed?");
    EXPECT_EQ(b.ui.messages()[0].buttons, MessageButtons::YesNo);
}

TEST_F(Propagate, NoLeavesEverythingAndADeletionSparesTheEntryItself) {
    b.pending.add(change(PendingChange::Kind::Deleted, 0, 5));
    b.ui.scriptAnswers({MessageAnswer::No});
    EXPECT_FALSE(b.propagation.PropagateChanges(b.list));
    EXPECT_EQ(b.pending.size(), 1u);
    EXPECT_EQ(b.dacl(L"C:\\top\\P\\d"), (std::vector<RawAce>{Allow(b.bob, 5, 0x13)}));
    b.sim.volume().find(L"C:\\top\\P")->security.dacl.push_back(Allow(b.bob, 5, 0x10));
    b.editor.Reread(*findEntryByPath(b.list, L"C:\\top\\P"));
    b.propagation.ApplyPendingChange(b.list, b.pending.at(0));
    EXPECT_EQ(b.dacl(L"C:\\top\\P\\a"),
              (std::vector<RawAce>{Allow(b.bob, 6, 0x10), Allow(b.bob, 5), Deny(b.bob, 5, 0x10)}));
    EXPECT_TRUE(b.dacl(L"C:\\top\\P\\d").empty());
    EXPECT_TRUE(b.dacl(L"C:\\top\\P\\c\\x").empty());
    EXPECT_EQ(b.dacl(L"C:\\top\\P").size(), 3u);
    EXPECT_EQ(b.dacl(L"C:\\top\\Q").size(), 1u);
}

TEST_F(Propagate, AChangeWhoseEntryIsGoneDoesNothing) {
    b.list.clear();
    b.sim.counters() = {};
    b.propagation.ApplyPendingChange(b.list, change(PendingChange::Kind::MaskChanged, 5, 7));
    EXPECT_EQ(b.sim.counters().readSecurity + b.sim.counters().writeDacl, 0u);
}

TEST(Restore, TheSavedAclComesBackAndNewEntriesInherit) {
    EditBench b;
    Sid gone = b.sim.accounts().addLocalUser(L"gone");
    RawAce object = RawAce::makeObject(ace_type::kAccessAllowedObject, 0, 4, b.alice);
    b.sim.dir(L"C:\\r").owner(b.me).dacl({Allow(b.me, 0x1F01FF, 0x03), Allow(b.bob, 1, 0x01)});
    b.sim.file(L"C:\\r\\kept").owner(b.me).dacl({Deny(b.alice, 1), Allow(gone, 2, 0x10), object});
    b.sim.accounts().deleteAccount(gone);
    // The saved dataset: read now, the disk changed later.
    sim::RecordingInteraction ui;
    CDirList saved(ui);
    DatasetBuilder build(saved);
    CDirEntry* savedRoot = build.addScanEntry(L"C:\\r", L"C:\\r", b.reader);
    build.placeUnder(savedRoot);
    CDirEntry* savedKept = build.addScanEntry(L"C:\\r\\kept", L"kept", b.reader);
    // A name-only ACE, as a dataset file holds it.
    CDirEntry* named = test::AppendEntry(saved, savedRoot, L"named");
    test::SetAces(named, {{L"carol", 8, 0, 0}}, L"SIMHOST");

    b.sim.file(L"C:\\r\\kept").dacl({Allow(b.carol, 16), object});
    b.sim.file(L"C:\\r\\named").owner(b.me).dacl({Allow(b.bob, 32)});
    b.sim.file(L"C:\\r\\new").owner(b.me).dacl({Allow(b.alice, 64)});
    CDirEntry* root = b.scan(L"C:\\r");
    CDirEntry* kept = findEntryByPath(b.list, L"C:\\r\\kept");
    CDirEntry* namedNow = findEntryByPath(b.list, L"C:\\r\\named");
    CDirEntry* fresh = findEntryByPath(b.list, L"C:\\r\\new");
    kept->partner = savedKept;
    namedNow->partner = named;
    root->partner = savedRoot;
    std::vector<CDirEntry*> shown;
    for (CDirEntry& e : b.list) {
        shown.push_back(&e);
    }
    b.propagation.RestorePermissions(shown, b.list, true);
    EXPECT_EQ(b.dacl(L"C:\\r\\kept"),
              (std::vector<RawAce>{Deny(b.alice, 1), Allow(gone, 2, 0x10), object}));
    EXPECT_EQ(b.dacl(L"C:\\r\\named"), (std::vector<RawAce>{Allow(b.carol, 8)}));
    EXPECT_EQ(b.dacl(L"C:\\r\\new"),
              (std::vector<RawAce>{Allow(b.me, 0x1F01FF, 0x10), Allow(b.bob, 1, 0x10)}));
    EXPECT_TRUE(b.showsDisk(*kept));
    EXPECT_TRUE(b.showsDisk(*fresh));
    // The only messages are those of reading the unresolved SID and the
    // explicit object ACE after the inherited one.
    for (const std::wstring& text : b.errors()) {
        EXPECT_TRUE(text == L"Cannot resolve SID" || text == L"ACL is not in canonical order")
            << std::string(text.begin(), text.end());
    }
}

TEST(Restore, AnAceThatCannotBeWrittenLeavesTheEntryAsItIs) {
    EditBench b;
    sim::RecordingInteraction ui;
    CDirList saved(ui);
    CDirEntry* s = test::AppendEntry(saved, nullptr, L"C:\\f");
    test::SetAces(s, {{L"alice", 1, 0, 0}, {L"nobody", 2, 0, 0}}, L"SIMHOST");
    b.sim.file(L"C:\\f").owner(b.me).dacl({Allow(b.bob, 4)});
    CDirEntry* e = b.read(L"C:\\f");
    e->partner = s;
    EXPECT_FALSE(b.propagation.RestoreAcl(*e));
    EXPECT_EQ(b.dacl(L"C:\\f"), (std::vector<RawAce>{Allow(b.bob, 4)}));
    EXPECT_EQ(b.errors().back(), L"Error adding ACE ( cannot lookup account name )");
    test::SetAces(s, {{L"alice", 1, 0, 5}}, L"SIMHOST");
    EXPECT_FALSE(b.propagation.RestoreAcl(*e));
    EXPECT_EQ(b.errors().back(),
              L"Cannot restore an ACE of type 5: only allow and deny ACEs can be written");
    // One ACE on disk stands for one saved ACE only: the second copy cannot be written.
    const RawAce object = RawAce::makeObject(ace_type::kAccessAllowedObject, 0, 1, b.alice);
    b.sim.file(L"C:\\f").dacl({Allow(b.bob, 4), object});
    e = b.read(L"C:\\f");
    e->partner = s;
    test::SetAces(s, {{L"alice", 1, 0, 5}, {L"alice", 1, 0, 5}}, L"SIMHOST");
    EXPECT_FALSE(b.propagation.RestoreAcl(*e));
    EXPECT_EQ(b.errors().back(),
              L"Cannot restore an ACE of type 5: only allow and deny ACEs can be written");
    EXPECT_EQ(b.dacl(L"C:\\f"), (std::vector<RawAce>{Allow(b.bob, 4), object}));
    EXPECT_EQ(b.sim.counters().writeDacl, 0u);
}

}  // namespace
}  // namespace quorel
