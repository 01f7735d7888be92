#include "app/edit_commands.h"

#include <functional>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/acl_buffer.h"
#include "app/app_controller.h"
#include "app/app_test_support.h"
#include "app/editing_forms.h"
#include "app/main_view.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"
#include "resource.h"

namespace quorel {
namespace {

using test::MainWindowModel;
using test::ScriptedWindows;

constexpr std::uint32_t kFull = 0x1F01FF;

class EditCommandsTest : public ::testing::Test {
  protected:
    EditCommandsTest()
        : app(AppPorts{files, sim, sim, sim, sim, ui, windows}, {L"C:\\Prog\\", L"D:\\Data"}) {
        me = sim.accounts().currentUser();
        alice = sim.accounts().addLocalUser(L"alice");
        bob = sim.accounts().addLocalUser(L"bob");
        sim.dir(L"C:\\r").owner(me).dacl().allow(me, kFull, 0x03).allow(alice, 0x1200A9, 0x03);
        sim.file(L"C:\\r\\a.txt").owner(me).dacl().allow(me, kFull).allow(bob, 0x1200A9);
        sim.file(L"C:\\r\\b.txt").owner(me).dacl().allow(me, kFull).deny(bob, 0x10000);
        sim.dir(L"C:\\r\\sub").owner(me).dacl().allow(me, kFull, 0x03);
        scan();
    }

    void scan() {
        ScanConfiguration c;
        c.directoryText = L"C:\\r";
        c.directories = {L"C:\\r"};
        windows.configs = {c};
        app.NewScanCommand();
    }
    CDirEntry* entry(const wchar_t* path) {
        for (CDirEntry* e : app.view().lines().lines()) {
            if (e->path() == path) {
                return e;
            }
        }
        ADD_FAILURE() << "no entry";
        return nullptr;
    }
    std::vector<RawAce>& disk(const wchar_t* path) {
        return sim.volume().find(path)->security.dacl;
    }
    void select(std::initializer_list<const wchar_t*> paths) {
        for (CDirEntry* e : app.view().lines().lines()) {
            e->selected = 0;
        }
        for (const wchar_t* p : paths) {
            entry(p)->selected = 1;
        }
    }
    std::size_t undoCount() { return app.editing().undo.count(); }

    sim::SimPlatform sim;
    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    ScriptedWindows windows;
    AppController app;
    MainWindowModel main{app};
    Sid me, alice, bob;
};

TEST_F(EditCommandsTest, BufferTextsAreExactAndReadBack) {
    // The whole ACL lists the last ACE first.
    EXPECT_EQ(AclBufferText(*entry(L"C:\\r\\b.txt")), L"2\nbob\n0 10000 1\nsimuser\n0 1f01ff 0\n");
    EXPECT_EQ(AceBufferText(test::NamesOf(entry(L"C:\\r")), *entry(L"C:\\r")->ace(1)),
              L"1\nalice\n3 1200a9 0\n");
    EXPECT_EQ(ReadAclBuffer(L"2\nbob\n0 10000 1\nsimuser\n0 1f01ff 0\n"),
              (std::vector<BufferAce>{{L"bob", 0, 0x10000, 1}, {L"simuser", 0, 0x1F01FF, 0}}));
    // A count beyond the ACEs that follow, a broken number line; the count
    // is all that is read.
    EXPECT_EQ(ReadAclBuffer(L"5\nbob\n0 1 0\n").size(), 1u);
    EXPECT_EQ(ReadAclBuffer(L"1\nbob\n0 1 0\nalice\n0 2 0\n"),
              (std::vector<BufferAce>{{L"bob", 0, 1, 0}}));
    // Counts of several digits; hexadecimal digits in either case.
    EXPECT_EQ(ReadAclBuffer(L"19\nA\nf 1F01FF 1\nB\nF A0 0\n"),
              (std::vector<BufferAce>{{L"A", 0xF, 0x1F01FF, 1}, {L"B", 0xF, 0xA0, 0}}));
    EXPECT_EQ(ReadAclBuffer(L"1\nbob\n9 a9 0\n"), (std::vector<BufferAce>{{L"bob", 9, 0xA9, 0}}));
    EXPECT_TRUE(ReadAclBuffer(L"1\nbob\nzz\n").empty());
    // A number has eight digits at most.
    const std::vector<BufferAce> long_ = ReadAclBuffer(L"1\nbob\n0 123456789 0\n");
    ASSERT_EQ(long_.size(), 1u);
    EXPECT_EQ(long_[0].mask, 0x12345678u);
    // A number ends at the first character that is no hexadecimal digit.
    EXPECT_TRUE(ReadAclBuffer(L"1\nbob\n0 1fg 0\n").empty());
    EXPECT_TRUE(ReadAclBuffer(L"").empty());
}

TEST_F(EditCommandsTest, CopyTakesTheFocusedAceOrTheAclAndWarnsOfSeveral) {
    EditCommands& edits = app.edits();
    CDirEntry* b = entry(L"C:\\r\\b.txt");
    select({L"C:\\r\\b.txt"});
    edits.CopyAcl({b, b->ace(0)});  // the first ACE is an ACE too
    EXPECT_EQ(edits.aclBuffer(), L"1\nsimuser\n0 1f01ff 0\n");
    EXPECT_TRUE(ui.messageTexts().empty());
    select({L"C:\\r\\a.txt", L"C:\\r\\b.txt"});
    edits.CopyAcl({b, nullptr});
    EXPECT_EQ(
        ui.messageTexts(),
        (std::vector<std::wstring>{L"It is not possible to copy more than one ACL to the buffer"}));
    EXPECT_EQ(edits.aclBuffer(), AclBufferText(*b));
    // Cut: the focused ACE goes to the buffer and off the disk.
    select({L"C:\\r\\b.txt"});
    edits.CutAcl({b, b->ace(1)});
    EXPECT_EQ(edits.aclBuffer(), L"1\nbob\n0 10000 1\n");
    ASSERT_EQ(disk(L"C:\\r\\b.txt").size(), 1u);
    EXPECT_EQ(*disk(L"C:\\r\\b.txt")[0].sid(), me);
    EXPECT_EQ(app.editing().undo.top()->name, L"cut");
}

TEST_F(EditCommandsTest, AddNeedsAFocusedEntryAndDenyEntriesGetMaskZero) {
    select({L"C:\\r\\a.txt"});
    const std::vector<RawAce> before = disk(L"C:\\r\\a.txt");
    app.edits().AddTrusteeToSelection({}, L"alice", false);
    EXPECT_EQ(disk(L"C:\\r\\a.txt"), before);
    app.edits().AddTrusteeToSelection({entry(L"C:\\r\\a.txt"), nullptr}, L"alice", false);
    const std::vector<RawAce>& after = disk(L"C:\\r\\a.txt");
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0].type(), ace_type::kAccessDenied);  // denies go first
    EXPECT_EQ(*after[0].sid(), alice);
    EXPECT_EQ(after[0].mask(), 0u);
    EXPECT_EQ(app.editing().undo.top()->name, L"add trustee");
}

TEST_F(EditCommandsTest, InheritanceCellsFlipTheirBitOnFoldersOnly) {
    CDirEntry* r = entry(L"C:\\r");
    app.edits().ToggleInheritanceFlag(*r, *r->ace(1), 2);  // inherit only
    EXPECT_EQ(disk(L"C:\\r")[1].flags(), 0x0B);
    app.edits().ToggleInheritanceFlag(*r, *r->ace(1), 5);  // don't propagate
    EXPECT_EQ(disk(L"C:\\r")[1].flags(), 0x0F);
    app.edits().ToggleInheritanceFlag(*r, *r->ace(1), 3);  // files
    EXPECT_EQ(disk(L"C:\\r")[1].flags(), 0x0E);
    app.edits().ToggleInheritanceFlag(*r, *r->ace(1), 4);  // folders
    EXPECT_EQ(disk(L"C:\\r")[1].flags(), 0x0C);
    EXPECT_EQ(undoCount(), 0u);
    // The inherited cell only explains; a file has no flags to change.
    app.edits().ToggleInheritanceFlag(*r, *r->ace(1), 1);
    EXPECT_EQ(ui.messageTexts().back(),
              L"You cannot change the inheritance flag of a trustee directly. Please use the "
              L"<Inherit>-function from the <Edit>-menu.");
    EXPECT_EQ(disk(L"C:\\r")[1].flags(), 0x0C);
    CDirEntry* a = entry(L"C:\\r\\a.txt");
    const std::vector<RawAce> file = disk(L"C:\\r\\a.txt");
    app.edits().ToggleInheritanceFlag(*a, *a->ace(1), 4);
    EXPECT_EQ(disk(L"C:\\r\\a.txt"), file);
}

TEST_F(EditCommandsTest, ClickOnAnInheritedAceAsksToConvertFirst) {
    sim.file(L"C:\\r\\inh.txt").owner(me).dacl().allow(me, kFull).allow(bob, 0x1200A9, 0x10);
    scan();
    CDirEntry* e = entry(L"C:\\r\\inh.txt");
    const std::vector<RawAce> before = disk(L"C:\\r\\inh.txt");
    ui.scriptAnswers({MessageAnswer::Cancel});
    app.edits().TogglePermission(*e, *e->ace(1), 1);
    EXPECT_EQ(disk(L"C:\\r\\inh.txt"), before);
    EXPECT_EQ(undoCount(), 0u);
    ui.scriptAnswers({MessageAnswer::Ok});
    app.edits().TogglePermission(*e, *e->ace(1), 1);  // "wr" set on bob
    const std::vector<RawAce>& after = disk(L"C:\\r\\inh.txt");
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[1].flags(), 0);
    EXPECT_NE(after[1].mask(), 0x1200A9u);
    EXPECT_TRUE(sim.volume().find(L"C:\\r\\inh.txt")->security.daclProtected());
    EXPECT_EQ(app.editing().undo.top()->name, L"set permission");
}

TEST_F(EditCommandsTest, EmptyAclCopiesAsZeroAndPastingItEmptiesTheTargets) {
    sim.file(L"C:\\r\\empty.txt").owner(me).dacl();
    scan();
    EditCommands& edits = app.edits();
    edits.CopyAcl({entry(L"C:\\r\\empty.txt"), nullptr});
    EXPECT_EQ(edits.aclBuffer(), L"0\n");
    select({L"C:\\r\\a.txt", L"C:\\r\\b.txt"});
    ui.scriptAnswers({MessageAnswer::Yes});  // more than one selected
    edits.PasteAcl();
    EXPECT_TRUE(disk(L"C:\\r\\a.txt").empty());
    EXPECT_TRUE(disk(L"C:\\r\\b.txt").empty());
    EXPECT_EQ(entry(L"C:\\r\\a.txt")->aceCount(), 0u);
    EXPECT_EQ(undoCount(), 2u);
    EXPECT_EQ(app.editing().undo.top()->name, L"paste");

    // Undo writes the ACL back.
    edits.Undo();
    ASSERT_EQ(disk(L"C:\\r\\b.txt").size(), 2u);
    EXPECT_EQ(disk(L"C:\\r\\b.txt")[1].type(), ace_type::kAccessDenied);
}

TEST_F(EditCommandsTest, RepairAceOrderAsksWithTheCountAndIsUndone) {
    // b.txt allows before it denies: the scan lists it as a problem.
    const std::vector<std::wstring> errors = app.view().dataset()->errorList().texts();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), L"ACL is not in canonical order"), 1);
    EXPECT_TRUE(entry(L"C:\\r\\b.txt")->errorFlags & entry_error::kReadFailed);
    const std::vector<RawAce> before = disk(L"C:\\r\\b.txt");
    const std::vector<RawAce> a = disk(L"C:\\r\\a.txt");
    select({L"C:\\r\\a.txt", L"C:\\r\\b.txt", L"C:\\r\\sub"});
    EditCommands& edits = app.edits();
    ui.scriptAnswers({MessageAnswer::No});
    edits.RepairAceOrder();
    EXPECT_EQ(ui.messageTexts().back(),
              L"Rewrite the ACLs of 1 selected files and folders in canonical order (explicit "
              L"denies, explicit allows, inherited ACEs)?");
    EXPECT_EQ(disk(L"C:\\r\\b.txt"), before);
    ui.scriptAnswers({MessageAnswer::Yes});
    edits.RepairAceOrder();
    EXPECT_EQ(disk(L"C:\\r\\b.txt"), (std::vector<RawAce>{before[1], before[0]}));
    EXPECT_EQ(disk(L"C:\\r\\a.txt"), a);
    ASSERT_EQ(undoCount(), 1u);
    EXPECT_EQ(app.editing().undo.top()->name, L"repair ACE order");
    EXPECT_EQ(entry(L"C:\\r\\b.txt")->ace(0)->aceType, ace_type::kAccessDenied);
    // In order now: nothing to ask.
    ui.clear();
    edits.RepairAceOrder();
    EXPECT_EQ(ui.messageTexts(),
              (std::vector<std::wstring>{L"The ACLs of the selected files and folders are in "
                                         L"canonical order."}));
    edits.Undo();
    EXPECT_EQ(disk(L"C:\\r\\b.txt"), before);
}

TEST_F(EditCommandsTest, EmptyBufferPastesAndCombinesNothing) {
    select({L"C:\\r\\a.txt"});
    const std::vector<RawAce> before = disk(L"C:\\r\\a.txt");
    app.edits().PasteAcl();
    app.edits().CombineAcl();
    EXPECT_EQ(disk(L"C:\\r\\a.txt"), before);
    EXPECT_EQ(undoCount(), 0u);
}

TEST_F(EditCommandsTest, DeleteSkipsEntriesWhereOnlyInheritedAcesAreSelected) {
    sim.file(L"C:\\r\\inh.txt").owner(me).dacl().allow(bob, 0x1200A9, 0x10).allow(me, kFull);
    scan();
    const std::vector<RawAce> inherited = disk(L"C:\\r\\inh.txt");
    entry(L"C:\\r\\inh.txt")->ace(0)->selected = 1;
    entry(L"C:\\r\\a.txt")->ace(1)->selected = 1;
    app.edits().DeleteSelectedAces();
    EXPECT_EQ(disk(L"C:\\r\\inh.txt"), inherited);
    ASSERT_EQ(disk(L"C:\\r\\a.txt").size(), 1u);
    EXPECT_EQ(*disk(L"C:\\r\\a.txt")[0].sid(), me);
    EXPECT_EQ(undoCount(), 1u);
    // One Delete removes at most 10000 ACEs of an entry: the last one stays.
    std::vector<RawAce> many;
    for (std::uint32_t mask = 1; mask <= 10001; ++mask) {
        many.push_back(RawAce::make(0, 0, mask, bob));
    }
    sim.file(L"C:\\r\\many.txt").owner(me).dacl(many);
    scan();
    for (std::uint32_t i = 0; i < 10001; ++i) {
        entry(L"C:\\r\\many.txt")->ace(i)->selected = 1;
    }
    app.edits().DeleteSelectedAces();
    EXPECT_EQ(disk(L"C:\\r\\many.txt"), (std::vector<RawAce>{many.back()}));
}

TEST_F(EditCommandsTest, PasteWritesTheCopiedAccountWhereTwoShareItsNameAfterARescanToo) {
    // A domain account of the same name as the local alice.
    const Sid domainAlice = sim.accounts().addDomainUser(L"alice");
    sim.file(L"C:\\r\\d.txt").owner(me).dacl().allow(domainAlice, 0x1200A9);
    scan();
    app.edits().CopyAcl({entry(L"C:\\r\\d.txt"), nullptr});
    ASSERT_EQ(app.edits().aclBuffer(), L"1\nalice\n0 1200a9 0\n");
    // The dataset the copy was made from, and its names, are gone.
    sim.volume().find(L"C:\\r\\d.txt")->security.dacl.clear();
    scan();
    // One entry selected: no question.
    select({L"C:\\r\\a.txt"});
    app.edits().PasteAcl();
    EXPECT_TRUE(ui.messages().empty());
    ASSERT_EQ(disk(L"C:\\r\\a.txt").size(), 1u);
    EXPECT_EQ(*disk(L"C:\\r\\a.txt")[0].sid(), domainAlice);
}

TEST_F(EditCommandsTest, PasteRecordsEveryInheritableAceItReplaces) {
    app.edits().CopyAcl({entry(L"C:\\r\\b.txt"), nullptr});
    select({L"C:\\r"});
    app.edits().PasteAcl();
    // me and alice were inheritable: both go below C:\r too.
    const PendingChanges& pending = app.editing().pending;
    ASSERT_EQ(pending.size(), 2u);
    std::vector<std::uint32_t> masks;
    for (std::size_t i = 0; i < pending.size(); ++i) {
        EXPECT_EQ(pending.at(i).kind, PendingChange::Kind::Deleted);
        masks.push_back(pending.at(i).newMask);
    }
    std::sort(masks.begin(), masks.end());
    EXPECT_EQ(masks, (std::vector<std::uint32_t>{0x1200A9, kFull}));
}

TEST_F(EditCommandsTest, PasteKeepsOrderDropsFlagsAndSkipsInheritOnlyOnFiles) {
    sim.dir(L"C:\\r\\src")
        .owner(me)
        .dacl()
        .allow(bob, 0x1200A9, 0x03)
        .allow(alice, kFull, 0x0B)  // inherit only
        .deny(me, 0x10000);
    scan();
    EditCommands& edits = app.edits();
    edits.CopyAcl({entry(L"C:\\r\\src"), nullptr});

    select({L"C:\\r\\a.txt"});
    edits.PasteAcl();
    const std::vector<RawAce>& file = disk(L"C:\\r\\a.txt");
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(*file[0].sid(), bob);
    EXPECT_EQ(file[0].flags(), 0);  // 0x3 in the buffer
    EXPECT_EQ(*file[1].sid(), me);
    EXPECT_EQ(file[1].type(), ace_type::kAccessDenied);

    select({L"C:\\r\\sub"});
    edits.PasteAcl();
    const std::vector<RawAce>& folder = disk(L"C:\\r\\sub");
    ASSERT_EQ(folder.size(), 3u);
    EXPECT_EQ(*folder[1].sid(), alice);
    EXPECT_EQ(folder[1].flags(), 0);

    // Combine keeps the flags and the entry's own ACEs.
    select({L"C:\\r\\b.txt"});
    edits.CombineAcl();
    const std::vector<RawAce>& combined = disk(L"C:\\r\\b.txt");
    EXPECT_EQ(combined.size(), 4u);  // bob and me merged or added, no inherit-only
    const auto bobAllows = std::find_if(combined.begin(), combined.end(), [&](const RawAce& a) {
        return *a.sid() == bob && a.type() == ace_type::kAccessAllowed;
    });
    ASSERT_NE(bobAllows, combined.end());
    EXPECT_EQ(bobAllows->flags(), 0x03);
    EXPECT_EQ(app.editing().undo.top()->name, L"combine");
}

TEST_F(EditCommandsTest, BasicDisplayClicksClearOrSetWithSynchronize) {
    app.view().UseBasicPermissionSet();
    CDirEntry* a = entry(L"C:\\r\\a.txt");
    const DisplayedRights& rights = app.view().rights();
    // bob has read (0x1200A9): its "read" column is set.
    int readColumn = -1;
    for (std::size_t i = 0; i < rights.count(); ++i) {
        if (rights.AceHasRight(*a->ace(1), rights.column(i).mask, true, false) && readColumn < 0) {
            readColumn = static_cast<int>(i);
        }
    }
    ASSERT_GE(readColumn, 0);
    app.edits().TogglePermission(*a, *a->ace(1), readColumn);
    EXPECT_EQ(disk(L"C:\\r\\a.txt")[1].mask(), 0u);
    EXPECT_EQ(app.editing().undo.top()->name, L"set permissions");
    EXPECT_TRUE(ui.messages().empty());
    // A column past the shown ones changes nothing.
    const std::size_t undo = undoCount();
    app.edits().TogglePermission(*a, *a->ace(1), static_cast<int>(rights.count()));
    EXPECT_EQ(undoCount(), undo);
    // Clicked again: the column's mask and SYNCHRONIZE.
    app.edits().TogglePermission(*a, *a->ace(1), readColumn);
    EXPECT_EQ(disk(L"C:\\r\\a.txt")[1].mask(),
              rights.column(static_cast<std::size_t>(readColumn)).mask | 0x100000u);
}

TEST_F(EditCommandsTest, ADenyAceNeverGetsSynchronize) {
    // Denying SYNCHRONIZE would lock bob out of b.txt altogether.
    CDirEntry* b = entry(L"C:\\r\\b.txt");
    ASSERT_EQ(app.view().rights().column(1).mask, 0x2u);  // "wr"
    app.edits().TogglePermission(*b, *b->ace(1), 1);
    EXPECT_EQ(disk(L"C:\\r\\b.txt")[1].mask(), 0x10002u);
    // An allow ACE gets it with any right set.
    sim.file(L"C:\\r\\a.txt").dacl().allow(me, kFull).allow(bob, 0x1);
    scan();
    CDirEntry* a = entry(L"C:\\r\\a.txt");
    app.edits().TogglePermission(*a, *a->ace(1), 1);
    EXPECT_EQ(disk(L"C:\\r\\a.txt")[1].mask(), 0x100003u);
}

TEST_F(EditCommandsTest, AnotherEntrysPendingChangesAskFirstAndNoLeavesTheAce) {
    CDirEntry* r = entry(L"C:\\r");
    // An inheritable ACE of C:\r changed: a pending change of C:\r.
    app.edits().TogglePermission(*r, *r->ace(1), 1);
    ASSERT_EQ(app.editing().pending.size(), 1u);
    CDirEntry* sub = entry(L"C:\\r\\sub");
    const std::vector<RawAce> before = disk(L"C:\\r\\sub");
    ui.scriptAnswers({MessageAnswer::No});
    app.edits().RemoveTrustee(*sub, *sub->ace(0));
    EXPECT_EQ(disk(L"C:\\r\\sub"), before);
    EXPECT_EQ(ui.messageTexts().back(),
              L"Before you can modify the ACL of another file, you must first propagate the "
              L"changes of the last file to avoid inconsistancies");
    EXPECT_EQ(app.editing().pending.size(), 1u);
}

TEST_F(EditCommandsTest, CompareModeAndLoadedDataRefuseClicks) {
    CDirEntry* a = entry(L"C:\\r\\a.txt");
    CDirEntry* r = entry(L"C:\\r");
    const std::vector<RawAce> before = disk(L"C:\\r\\a.txt");
    const std::vector<RawAce> folder = disk(L"C:\\r");
    ASSERT_TRUE(app.view().SaveDatasetFile(L"D:\\r.acl"));
    ASSERT_TRUE(app.view().CompareToFile(L"D:\\r.acl"));
    app.edits().TogglePermission(*a, *a->ace(1), 0);
    EXPECT_EQ(ui.messageTexts().back(), L"The ACL cannot be modified in compare mode.");
    // So do the commands on the selection.
    for (void (EditCommands::*command)() :
         {&EditCommands::ConvertSelection, &EditCommands::TakeOwnershipOfSelection}) {
        ui.clear();
        (app.edits().*command)();
        EXPECT_EQ(ui.messageTexts(),
                  std::vector<std::wstring>{L"The ACL cannot be modified in compare mode."});
    }
    // And the inheritance cells.
    ui.clear();
    app.edits().ToggleInheritanceFlag(*r, *r->ace(0), 3);
    EXPECT_EQ(ui.messageTexts(),
              std::vector<std::wstring>{L"The ACL cannot be modified in compare mode."});
    EXPECT_EQ(disk(L"C:\\r"), folder);
    app.view().EndCompareMode();
    EXPECT_EQ(disk(L"C:\\r\\a.txt"), before);

    windows.files = {std::wstring(L"D:\\r.acl")};
    main.run(IDM_OPEN);
    CDirEntry* loaded = entry(L"C:\\r\\a.txt");
    app.edits().TogglePermission(*loaded, *loaded->ace(1), 0);
    EXPECT_EQ(disk(L"C:\\r\\a.txt"), before);
    EXPECT_EQ(ui.messageTexts().back(), L"A loaded ACL cannot be modified.");
    ui.clear();
    CDirEntry* loadedFolder = entry(L"C:\\r");
    app.edits().ToggleInheritanceFlag(*loadedFolder, *loadedFolder->ace(0), 3);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::wstring>{L"A loaded ACL cannot be modified."});
    EXPECT_EQ(disk(L"C:\\r"), folder);
    // MODIFYACE refuses before its dialog; Restore permissions outside
    // compare mode does nothing.
    ui.clear();
    windows.log.clear();
    app.edits().ModifyAce({loadedFolder, loadedFolder->ace(0)}, windows);
    app.edits().RestorePermissions(windows);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::wstring>{L"A loaded ACL cannot be modified."});
    EXPECT_TRUE(windows.log.empty());
}

TEST_F(EditCommandsTest, EliminateDeletesOnlyAccountsThatNoLongerExist) {
    const Sid away = sim.accounts().addDomainUser(L"away");  // its controller is out of reach
    const Sid gone = sim.accounts().addLocalUser(L"gone");
    const Sid capability = *Sid::fromString(L"S-1-15-3-1024-1065365936-1281604716");
    sim.dir(L"C:\\r\\x")
        .owner(me)
        .dacl()
        .allow(me, kFull, 0x03)
        .allow(away, 0x1200A9)
        .allow(capability, 0x1200A9)
        .allow(gone, 0x1200A9);
    sim.accounts().deleteAccount(gone);
    sim.accounts().setDomainControllerPresent(false);
    scan();
    const std::vector<RawAce> before = disk(L"C:\\r\\x");
    ui.scriptAnswers({MessageAnswer::No});
    app.edits().EliminateUnresolvedTrustees();
    EXPECT_EQ(disk(L"C:\\r\\x"), before);
    EXPECT_EQ(ui.messageTexts().back(),
              L"Delete 1 ACEs of accounts that no longer exist from 1 files and folders?");

    ui.scriptAnswers({MessageAnswer::Yes});
    app.edits().EliminateUnresolvedTrustees();
    std::vector<RawAce> expected = before;
    expected.pop_back();
    EXPECT_EQ(disk(L"C:\\r\\x"), expected);
    ASSERT_EQ(undoCount(), 1u);
    app.edits().Undo();
    EXPECT_EQ(disk(L"C:\\r\\x"), before);
}

TEST_F(EditCommandsTest, EliminateAsksTheServerTwiceAndNeedsTheDomainNamed) {
    const Sid fred = sim.accounts().addServerUser(L"FILES01", L"fred");
    const Sid ghost = sim.accounts().addServerUser(L"FILES01", L"ghost");
    const Sid late = sim.accounts().addDomainUser(L"late");
    sim.dir(L"\\\\FILES01\\data\\proj")
        .owner(fred)
        .dacl()
        .allow(well_known::everyone(), kFull)
        .allow(fred, 0x1200A9)
        .allow(ghost, 0x1200A9);
    // A server's account on this machine's disk: unknown here, not gone.
    sim.dir(L"C:\\r\\x").owner(me).dacl().allow(me, kFull).allow(fred, 0x1200A9).allow(late, 1);
    sim.accounts().deleteAccount(ghost);
    // The scan's lookup of `late` and the first one after it time out.
    sim.accounts().timeOutLookups(late, 2);
    ScanConfiguration c;
    c.directoryText = L"C:\\r";
    c.directories = {L"C:\\r", L"\\\\FILES01\\data\\proj"};
    windows.configs = {c};
    app.NewScanCommand();
    CDirEntry* share = entry(L"\\\\FILES01\\data\\proj");
    ASSERT_NE(share, nullptr);
    EXPECT_EQ(share->ace(1)->trustee(test::NamesOf(share)), L"fred");
    EXPECT_EQ(share->ace(2)->unresolved, 1);
    EXPECT_EQ(entry(L"C:\\r\\x")->ace(1)->unresolved, 1);
    EXPECT_EQ(entry(L"C:\\r\\x")->ace(2)->unresolved, 1);
    const std::vector<RawAce> local = disk(L"C:\\r\\x");
    std::vector<RawAce> expected = disk(L"\\\\FILES01\\data\\proj");
    expected.erase(expected.begin() + 2);

    ui.scriptAnswers({MessageAnswer::Yes});
    app.edits().EliminateUnresolvedTrustees();
    EXPECT_EQ(ui.messageTexts().back(),
              L"Delete 1 ACEs of accounts that no longer exist from 1 files and folders?");
    EXPECT_EQ(disk(L"\\\\FILES01\\data\\proj"), expected);
    EXPECT_EQ(disk(L"C:\\r\\x"), local);
}

TEST_F(EditCommandsTest, AddingToAnEntryWithoutDaclAsksFirstAndNoChangesNothing) {
    sim.file(L"C:\\r\\open.txt").owner(me).nullDacl();
    scan();
    const wchar_t* open = L"C:\\r\\open.txt";
    select({L"C:\\r\\a.txt"});
    app.edits().CopyAcl({entry(L"C:\\r\\a.txt"), nullptr});
    auto add = [&] { app.edits().AddTrusteeToSelection({entry(open), nullptr}, L"alice", true); };
    const struct {
        const char* what;
        std::function<void()> run;
    } commands[] = {
        {"add", add},
        {"paste", [&] { app.edits().PasteAcl(); }},
        {"combine", [&] { app.edits().CombineAcl(); }},
    };
    const std::wstring question =
        L"C:\\r\\open.txt has no access control list, so everyone has full access to it. "
        L"After this change the added entries will be the only access to it. Do you want to "
        L"add them?";
    const std::size_t undos = undoCount();
    for (const auto& c : commands) {
        select({open});
        ui.clear();
        sim.counters() = {};
        ui.scriptAnswers({MessageAnswer::No});
        c.run();
        ASSERT_EQ(ui.messages().size(), 1u) << c.what;
        EXPECT_EQ(ui.messages()[0].text, question) << c.what;
        EXPECT_EQ(ui.messages()[0].caption, L"No access control list") << c.what;
        EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Warning) << c.what;
        EXPECT_EQ(ui.messages()[0].buttons, MessageButtons::YesNoDefaultNo) << c.what;
        EXPECT_EQ(sim.volume().find(open)->security.daclState, DaclState::Null) << c.what;
        EXPECT_EQ(sim.counters().writeDacl + sim.counters().setOwner, 0u) << c.what;
        EXPECT_EQ(undoCount(), undos) << c.what;
    }
    ui.scriptAnswers({MessageAnswer::Yes});
    add();
    EXPECT_EQ(ui.messageTexts().back(), question);
    EXPECT_EQ(sim.volume().find(open)->security.daclState, DaclState::Present);
    EXPECT_EQ(disk(open), (std::vector<RawAce>{RawAce::make(0, 0, 0x100000, alice)}));
    EXPECT_EQ(undoCount(), undos + 1);
    // With a DACL on disk nothing is asked.
    ui.clear();
    add();
    EXPECT_TRUE(ui.messages().empty());
    // Undo gives the null DACL back, not an empty one that nobody may use.
    app.edits().Undo();
    app.edits().Undo();
    EXPECT_EQ(sim.volume().find(open)->security.daclState, DaclState::Null);
    EXPECT_EQ(entry(open)->aceCount(), 0u);
    EXPECT_EQ(undoCount(), undos);
    EXPECT_TRUE(ui.messages().empty());  // no "Error resetting ACL"
}

TEST_F(EditCommandsTest, WriteModeGateAndCellClicksThroughTheView) {
    MainView& view = main.view;
    view.Start();
    LayoutMetrics metrics;
    metrics.clientWidth = 1024;
    metrics.drawingHeight = 600;
    struct Fixed : TextMeasure {
        int textWidth(std::wstring_view t, Font) const override {
            return static_cast<int>(t.size()) * 7;
        }
    } measure;
    metrics.columnWidth = ColumnWidthOf(app.view().rights(), measure);
    view.Layout(metrics, measure);
    CDirEntry* a = entry(L"C:\\r\\a.txt");
    int line = -1;
    for (std::size_t i = 0; i < view.screen().lineTable.size(); ++i) {
        if (view.screen().lineTable[i].ace == a->ace(1)) {
            line = static_cast<int>(i);
        }
    }
    ASSERT_GE(line, 0);
    const int x = view.screen().geometry.firstColumnX + 1 + metrics.columnWidth;  // "wr"
    const int y = line * metrics.lineHeight + 2;
    const std::vector<RawAce> before = disk(L"C:\\r\\a.txt");
    ui.scriptAnswers({MessageAnswer::No});
    view.OnLeftButton(x, y);
    EXPECT_EQ(ui.messageTexts().back(),
              L"Write mode not activated. It can be activated or deactivated in the menu Edit -> "
              L"Enable ACL write mode.\n\nDo you want to enable write mode for ACLs now?");
    EXPECT_EQ(disk(L"C:\\r\\a.txt"), before);
    EXPECT_FALSE(app.gate().on());

    ui.scriptAnswers({MessageAnswer::Yes});
    view.OnLeftButton(x, y);
    EXPECT_TRUE(app.gate().on());
    EXPECT_NE(disk(L"C:\\r\\a.txt")[1].mask(), before[1].mask());
    EXPECT_EQ(view.selection().focusedAce(), nullptr);
    const auto items = main.commands.MenuStates(view.menuFlags());
    for (const MainMenuItem& item : items) {
        if (item.id == IDM_UNDO) {
            EXPECT_TRUE(item.enabled);
            EXPECT_EQ(*item.text, L"Undo: set permissions\tCTRL+Z");
        }
    }
    main.run(IDM_UNDO);
    EXPECT_EQ(disk(L"C:\\r\\a.txt"), before);
}

// Boxes 20 to 24 and the radios 60 and 61 of a form: 'x' checked, 'o'
// not, '-' after a disabled one.
template <class Form>
std::string BoxStates(const Form& form) {
    std::string s;
    for (int id : {20, 21, 22, 23, 24, 60, 61}) {
        s += form.checked(id) ? 'x' : 'o';
        s += form.enabled(id) ? "" : "-";
    }
    return s;
}

TEST(EditingForms, CheckBoxRulesOfTheThreeDialogs) {
    InheritanceFlagsForm flags(0x1B);  // inherited bit dropped, 0x0B kept
    EXPECT_TRUE(flags.checked(20) && flags.checked(21) && flags.checked(22));
    EXPECT_FALSE(flags.checked(23) || flags.checked(24));
    flags.Click(21);
    flags.Click(23);
    flags.Click(24);
    EXPECT_EQ(flags.flags(), 0x0E);

    // Give back (21) only while take ownership (20) is checked.
    InheritSettingsForm inherit;
    EditSettings settings;
    const std::pair<int, const char*> inheritClicks[] = {{21, "oo-ooooo"}, {22, "oo-xoooo"},
                                                         {20, "xoxoooo"},  {21, "xxxoooo"},
                                                         {20, "oo-xoooo"}, {23, "oo-xxooo"}};
    for (const auto& [id, after] : inheritClicks) {
        inherit.Click(id);
        EXPECT_EQ(BoxStates(inherit), after) << id;
    }
    inherit.ApplyTo(settings);
    EXPECT_FALSE(settings.autoTakeOwnership || settings.giveBackOwnership);
    EXPECT_TRUE(settings.keepExplicitAces && settings.skipNotInherited);
    inherit.Click(20);
    inherit.Click(21);
    inherit.ApplyTo(settings);
    EXPECT_TRUE(settings.autoTakeOwnership && settings.giveBackOwnership);

    // Radios 20 and 21; give back (23) only while take ownership (22) is.
    RestoreForm restore;
    EXPECT_EQ(BoxStates(restore), "xooo-ooo");
    const std::pair<int, const char*> restoreClicks[] = {{21, "oxoo-ooo"}, {20, "xooo-ooo"},
                                                         {23, "xooo-ooo"}, {22, "xoxoooo"},
                                                         {23, "xoxxooo"},  {21, "oxxxooo"}};
    for (const auto& [id, after] : restoreClicks) {
        restore.Click(id);
        EXPECT_EQ(BoxStates(restore), after) << id;
    }
    EXPECT_FALSE(restore.applyInheritance());
    restore.ApplyTo(settings);
    EXPECT_TRUE(settings.autoTakeOwnership && settings.giveBackOwnership);
    restore.Click(22);
    EXPECT_EQ(BoxStates(restore), "oxoo-ooo");
    restore.ApplyTo(settings);
    EXPECT_FALSE(settings.autoTakeOwnership || settings.giveBackOwnership);

    // The type radios of MODIFYACE; 24 shows the inherited flag only.
    EXPECT_TRUE(ModifyAceForm(0x1200A9, 0x0B, 0).checked(IDC_MODIFY_ACE_INHERIT_ONLY));
    ModifyAceForm inheritOnly(0x1200A9, 0x03, 0);
    inheritOnly.Click(IDC_MODIFY_ACE_INHERIT_ONLY);
    EXPECT_EQ(inheritOnly.flags(), 0x0B);
    ModifyAceForm modify(0x1200A9, 0x13, 0);
    EXPECT_EQ(BoxStates(modify), "oxxox-xo");
    modify.Click(61);
    modify.Click(24);
    EXPECT_EQ(BoxStates(modify), "oxxox-ox");
    modify.Click(60);
    EXPECT_EQ(modify.type(), 0);
}

TEST(EditingForms, ModifyAceKeepsAllAndItsRightsTogether) {
    ModifyAceForm form(0x1F01FF | 0x01000000, 0x03, 0);         // with ACCESS_SYSTEM_SECURITY
    EXPECT_TRUE(form.checked(IDC_MODIFY_ACE_FIRST_RIGHT));      // all
    EXPECT_TRUE(form.checked(IDC_MODIFY_ACE_FIRST_RIGHT + 6));  // rd
    EXPECT_FALSE(form.enabled(IDC_MODIFY_ACE_INHERITED));
    form.Click(IDC_MODIFY_ACE_FIRST_RIGHT + 9);  // wr off: "all" goes off too
    EXPECT_FALSE(form.checked(IDC_MODIFY_ACE_FIRST_RIGHT));
    EXPECT_EQ(form.mask(), (0x1F01FFu & ~0x2u) | 0x01000000u);
    form.Click(IDC_MODIFY_ACE_FIRST_RIGHT);  // all on again
    EXPECT_EQ(form.mask(), 0x1F01FFu | 0x01000000u);
    form.Click(IDC_MODIFY_ACE_FIRST_RIGHT);  // all off: every right under it
    EXPECT_EQ(form.mask(), 0x01000000u);
    form.Click(IDC_MODIFY_ACE_DENY);
    form.Click(21);
    EXPECT_EQ(form.type(), 1);
    EXPECT_EQ(form.flags(), 0x02);
}

TEST_F(EditCommandsTest, ModifyAceWritesMaskFlagsAndTypeOnce) {
    CDirEntry* r = entry(L"C:\\r");
    windows.onModifyAce = [](ModifyAceForm& form) {
        form.Click(IDC_MODIFY_ACE_DENY);
        form.Click(22);                              // no longer to folders
        form.Click(IDC_MODIFY_ACE_FIRST_RIGHT + 9);  // wr
    };
    sim.counters() = {};
    app.edits().ModifyAce({r, r->ace(1)}, windows);
    EXPECT_EQ(sim.counters().writeDacl, 1u);
    const RawAce& ace = disk(L"C:\\r")[1];
    EXPECT_EQ(ace.type(), ace_type::kAccessDenied);
    EXPECT_EQ(*ace.sid(), alice);
    EXPECT_EQ(ace.flags(), 0x01);
    EXPECT_EQ(ace.mask(), 0x1200ABu);
    EXPECT_EQ(app.editing().undo.top()->name, L"modify ACE");
    ASSERT_EQ(app.editing().pending.size(), 1u);
    EXPECT_EQ(app.editing().pending.at(0).oldMask, 0x1200A9u);
    EXPECT_EQ(windows.log.back(), L"modify ace dialog alice");
    // A change to an ACE that passes nothing on is no pending change.
    CDirEntry* a = entry(L"C:\\r\\a.txt");
    windows.onModifyAce = [](ModifyAceForm& form) {
        form.Click(IDC_MODIFY_ACE_FIRST_RIGHT + 9);  // wr
    };
    app.edits().ModifyAce({a, a->ace(1)}, windows);
    EXPECT_EQ(disk(L"C:\\r\\a.txt")[1].mask(), 0x1200ABu);
    EXPECT_EQ(app.editing().pending.size(), 1u);
}

TEST_F(EditCommandsTest, InheritanceFlagsDialogRefusesInheritedAcesAndCancel) {
    sim.file(L"C:\\r\\inh.txt").owner(me).dacl().allow(bob, 0x1200A9, 0x10);
    scan();
    CDirEntry* inh = entry(L"C:\\r\\inh.txt");
    app.edits().ChangeInheritanceFlags({inh, inh->ace(0)}, windows);
    EXPECT_EQ(ui.messageTexts().back(),
              L"Error: changing inheritance flags is only possible for non inherited ACEs");
    app.edits().ChangeInheritanceFlags({inh, nullptr}, windows);
    EXPECT_EQ(ui.messageTexts().back(),
              L"Error: No ACE selected. An non inherited ACE has to be "
              L"selected to use this function");
    CDirEntry* r = entry(L"C:\\r");
    windows.onFlags = [](InheritanceFlagsForm& f) { f.Click(20); };
    windows.dialogOk = false;
    app.edits().ChangeInheritanceFlags({r, r->ace(1)}, windows);
    EXPECT_EQ(disk(L"C:\\r")[1].flags(), 0x03);
    windows.dialogOk = true;
    app.edits().ChangeInheritanceFlags({r, r->ace(1)}, windows);
    EXPECT_EQ(disk(L"C:\\r")[1].flags(), 0x0B);
    EXPECT_EQ(ui.statusTexts(0).back(), L"Inheritance flags changed");
}

TEST_F(EditCommandsTest, InheritAclChecksTheSelectionAsksAndRebuildsTheSubtree) {
    select({});
    int gates = 0;
    auto gate = [&] { return ++gates > 0; };
    EXPECT_FALSE(app.edits().InheritAcl(windows, gate));
    EXPECT_EQ(ui.messageTexts().back(),
              L"You must select a directory whose ACL has to be "
              L"inherited to subsequent files or directories");
    select({L"C:\\r", L"C:\\r\\sub"});
    EXPECT_FALSE(app.edits().InheritAcl(windows, gate));
    EXPECT_EQ(gates, 0);
    select({L"C:\\r"});
    ui.scriptAnswers({MessageAnswer::No});
    EXPECT_FALSE(app.edits().InheritAcl(windows, gate));
    EXPECT_EQ(gates, 1);
    const std::uint64_t generation = app.view().entriesGeneration();
    // Cancel in the settings dialog: nothing read again, nothing written.
    const std::vector<RawAce> file = disk(L"C:\\r\\a.txt");
    windows.dialogOk = false;
    ui.scriptAnswers({MessageAnswer::Yes});
    EXPECT_FALSE(app.edits().InheritAcl(windows, gate));
    EXPECT_EQ(app.view().entriesGeneration(), generation);
    EXPECT_EQ(disk(L"C:\\r\\a.txt"), file);
    windows.dialogOk = true;
    ui.scriptAnswers({MessageAnswer::Yes});
    EXPECT_TRUE(app.edits().InheritAcl(windows, gate));
    EXPECT_EQ(ui.messageTexts().back(), L"File processing complete.");
    EXPECT_NE(app.view().entriesGeneration(), generation);
    // a.txt now carries C:\r's inheritable ACEs, inherited.
    const std::vector<RawAce>& a = disk(L"C:\\r\\a.txt");
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(a.back().flags() & 0x10, 0x10);
    EXPECT_FALSE(app.editing().settings.autoTakeOwnership);
    EXPECT_EQ(entry(L"C:\\r\\a.txt")->visibleAceCount, entry(L"C:\\r\\a.txt")->aceCount());
    // A listing that fails part-way: the run is not called complete.
    sim.dir(L"C:\\r").listingFails(3, win_error::kNetNameDeleted);
    select({L"C:\\r"});
    ui.scriptAnswers({MessageAnswer::Yes});
    EXPECT_TRUE(app.edits().InheritAcl(windows, gate));
    EXPECT_EQ(ui.messageTexts().back(),
              L"File processing incomplete: some files and folders were not reached and keep "
              L"their ACLs. See the error log.");
}

}  // namespace
}  // namespace quorel
