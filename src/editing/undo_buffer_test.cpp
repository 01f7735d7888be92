#include "editing/undo_buffer.h"

#include <gtest/gtest.h>

#include <random>

#include "editing/editing_test_support.h"
#include "editing/entry_lookup.h"

namespace quorel {
namespace {

using test::Allow;
using test::Deny;
using test::EditBench;

constexpr const wchar_t* kFile = L"C:\\data\\f";

class Undo : public ::testing::Test {
  protected:
    Undo() {
        b.sim.file(kFile).owner(b.me).dacl({Deny(b.alice, 1), Allow(b.bob, 2, 0x10)});
        e = b.read(kFile);
        before = b.dacl(kFile);
    }
    EditBench b;
    CDirEntry* e = nullptr;
    std::vector<RawAce> before;
};

TEST_F(Undo, ThousandAndOneEditsKeepTheNewestThousand) {
    for (int i = 0; i < 1001; ++i) {
        b.undo.AddUndoElement(b.editor, *e, L"set permission " + std::to_wstring(i), false);
    }
    EXPECT_EQ(b.undo.count(), 1000u);
    EXPECT_EQ(b.undo.top()->name, L"set permission 1000");
    EXPECT_EQ(b.undo.at(999).name, L"set permission 1");
}

TEST_F(Undo, UndoOfAddTrusteeLeavesTheDaclAsSavedAndGreysTheMenu) {
    EXPECT_EQ(b.undo.menuText(), L"Undo: \tCtrl+Z");  // as the window starts
    b.undo.AddUndoElement(b.editor, *e, L"add trustee", false);
    EXPECT_EQ(b.undo.menuText(), L"Undo: add trustee\tCTRL+Z");
    EXPECT_TRUE(b.undo.menuEnabled());
    ASSERT_TRUE(b.editor.AddTrusteeUnconditional(*e, Trustee::ofSid(b.carol), 4, 0, true));
    b.sim.counters() = {};
    ASSERT_TRUE(b.undo.Undo(b.editor, &b.list, b.pending));
    EXPECT_EQ(b.dacl(kFile), before);
    EXPECT_EQ(b.sim.counters().writeDacl, 1u);
    EXPECT_TRUE(b.showsDisk(*e));
    EXPECT_EQ(b.ui.statusTexts(0), (std::vector<std::wstring>{L"undo: add trustee"}));
    EXPECT_EQ(b.undo.count(), 0u);
    EXPECT_EQ(b.undo.menuText(), L"Undo: \tCTRL+Z");
    EXPECT_FALSE(b.undo.menuEnabled());
    // With no element nothing happens.
    EXPECT_EQ(b.undo.Undo(b.editor, &b.list, b.pending).status, EditStatus::Unchanged);
    EXPECT_EQ(b.sim.counters().writeDacl, 1u);
}

TEST_F(Undo, UndoDropsTheNewestPendingChangeOfItsEdit) {
    PendingChange first;
    first.path = L"C:\\data";
    b.pending.add(first);
    b.undo.AddUndoElement(b.editor, *e, L"set permission", false);
    b.undo.AddUndoElement(b.editor, *e, L"delete trustee", true);
    PendingChange second;
    second.path = kFile;
    b.pending.add(second);
    ASSERT_TRUE(b.undo.Undo(b.editor, &b.list, b.pending));
    ASSERT_EQ(b.pending.size(), 1u);
    EXPECT_EQ(b.pending.at(0).path, L"C:\\data");
    ASSERT_TRUE(b.undo.Undo(b.editor, &b.list, b.pending));
    EXPECT_EQ(b.pending.size(), 1u);
}

TEST_F(Undo, UndoFindsTheFileAgainAfterTheDatasetWasCleared) {
    b.undo.AddUndoElement(b.editor, *e, L"paste", false);
    ASSERT_TRUE(b.editor.ReplaceDacl(*e, {}, true));
    b.list.clear();
    ASSERT_TRUE(b.undo.Undo(b.editor, &b.list, b.pending));
    EXPECT_EQ(b.dacl(kFile), before);
    EXPECT_FALSE(b.disk(kFile).daclProtected());
    // Shown again in a new scan: found by path and read again.
    b.undo.AddUndoElement(b.editor, *b.read(kFile), L"cut", false);
    ASSERT_TRUE(b.editor.ReplaceDacl(*b.list.firstEntry(), {}, false));
    CDirEntry* shown = b.read(L"c:\\DATA\\F");
    ASSERT_TRUE(b.undo.Undo(b.editor, &b.list, b.pending));
    EXPECT_EQ(b.dacl(kFile), before);
    EXPECT_EQ(shown->aceCount(), 0u);  // another entry of the path, not the one found
    EXPECT_TRUE(b.showsDisk(*b.list.firstEntry()));
}

// Undo elements and pending changes find their entry again by path.
TEST(FindEntryByPath, FindsByComponentsCaseInsensitivelyAndStoredPathsOnlyByThemselves) {
    EditBench b;
    b.sim.dir(L"C:\\dir\\sub").owner(b.me);
    b.sim.file(L"C:\\dir\\sub\\x").owner(b.me);
    b.sim.file(L"C:\\dir\\y").owner(b.me);
    b.scan(L"C:\\dir");
    CDirEntry* x = findEntryByPath(b.list, L"c:\\DIR\\Sub\\X");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->path(), L"C:\\dir\\sub\\x");
    // A path that only starts with a root's text, another volume, a missing item.
    EXPECT_EQ(findEntryByPath(b.list, L"C:\\dirsub\\x"), nullptr);
    EXPECT_EQ(findEntryByPath(b.list, L"C:\\dirsub"), nullptr);
    EXPECT_EQ(findEntryByPath(b.list, L"D:\\dir\\y"), nullptr);
    EXPECT_EQ(findEntryByPath(b.list, L"C:\\dir\\z"), nullptr);
    // An entry that keeps a path of its own is found by that path alone.
    CDirEntry* y = findEntryByPath(b.list, L"C:\\dir\\y");
    ASSERT_NE(y, nullptr);
    y->setPath(L"E:\\moved\\y");
    EXPECT_EQ(findEntryByPath(b.list, L"C:\\dir\\y"), nullptr);
    EXPECT_EQ(findEntryByPath(b.list, L"e:\\MOVED\\y"), y);
    EXPECT_EQ(findEntryByPath(b.list, L"C:\\dir\\z"), nullptr);
}

TEST_F(Undo, AStaleViewIsNotOverwrittenAndTheElementStays) {
    b.undo.AddUndoElement(b.editor, *e, L"delete trustee", false);
    ASSERT_TRUE(b.editor.DelTrustee(*e, 0));
    b.dacl(kFile).push_back(Allow(b.carol, 8));
    EXPECT_EQ(b.undo.Undo(b.editor, &b.list, b.pending).status, EditStatus::Stale);
    EXPECT_EQ(b.undo.count(), 1u);
    EXPECT_EQ(b.dacl(kFile).size(), 2u);
    ASSERT_TRUE(b.undo.Undo(b.editor, &b.list, b.pending));
    EXPECT_EQ(b.dacl(kFile), before);
}

TEST_F(Undo, WithoutTheDiskAtSaveTimeAllowAndDenyAcesAreRebuiltFromTheirNames) {
    b.ports.failCall(1, sim::FaultyPorts::Kind::Read, 0, 2);
    b.undo.AddUndoElement(b.editor, *e, L"paste", false);
    EXPECT_FALSE(b.undo.top()->daclRead);
    ASSERT_TRUE(b.editor.ReplaceDacl(*e, {Allow(b.carol, 1)}, false));
    ASSERT_TRUE(b.undo.Undo(b.editor, &b.list, b.pending));
    EXPECT_EQ(b.dacl(kFile), before);
    // An object ACE cannot be rebuilt from a name: nothing is written.
    b.sim.file(kFile).dacl({Allow(b.bob, 1), RawAce::makeObject(5, 0, 2, b.alice)});
    b.editor.Reread(*e);
    b.ports.failCall(1, sim::FaultyPorts::Kind::Read, 0, 2);
    b.undo.AddUndoElement(b.editor, *e, L"paste", false);
    ASSERT_TRUE(b.editor.ReplaceDacl(*e, {Allow(b.carol, 1)}, false));
    EXPECT_FALSE(b.undo.Undo(b.editor, &b.list, b.pending));
    EXPECT_EQ(b.dacl(kFile), (std::vector<RawAce>{Allow(b.carol, 1)}));
    EXPECT_EQ(b.ui.messageTexts(), (std::vector<std::wstring>{L"Error resetting ACL"}));
}

TEST_F(Undo, AFailedRestoreIsReportedAndTheElementRemoved) {
    b.undo.AddUndoElement(b.editor, *e, L"delete trustee", false);
    ASSERT_TRUE(b.editor.DelTrustee(*e, 0));
    b.ports.failCall(1, sim::FaultyPorts::Kind::Write);
    EXPECT_FALSE(b.undo.Undo(b.editor, &b.list, b.pending));
    ASSERT_EQ(b.ui.messages().size(), 1u);
    EXPECT_EQ(b.ui.messages()[0].text, L"Error resetting ACL");
    EXPECT_EQ(b.ui.messages()[0].caption, L"Undo error");
    EXPECT_EQ(b.undo.count(), 0u);
    EXPECT_EQ(b.dacl(kFile).size(), 1u);
}

// Random DACLs of every kind of ACE, random undoable edits, then Undo of
// all of them: every file has its first DACL back, byte for byte.
TEST(UndoProperty, UndoingEveryEditGivesBackEveryDaclExactly) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        EditBench b;
        std::mt19937 rng(seed);
        auto pick = [&](unsigned n) { return static_cast<unsigned>(rng() % n); };
        Sid gone = b.sim.accounts().addLocalUser(L"gone");
        b.sim.accounts().deleteAccount(gone);
        const std::vector<Sid> sids{b.me, b.alice, b.bob, b.carol, gone};
        auto randomAce = [&]() {
            const Sid& sid = sids[pick(5)];
            const std::uint32_t mask = 1u << pick(21);
            std::uint8_t flags = static_cast<std::uint8_t>(pick(32));
            switch (pick(4)) {
                case 0:
                    return RawAce::makeObject(ace_type::kAccessAllowedObject, flags, mask, sid);
                case 1: {
                    RawAce callback = Allow(sid, mask, flags);
                    callback.bytes[0] = 9;
                    callback.bytes.insert(callback.bytes.end(), {'a', 'r', 't', 'x'});
                    callback.bytes[2] = static_cast<std::uint8_t>(callback.bytes.size());
                    return callback;
                }
                case 2:
                    return Deny(sid, mask, flags);
                default:
                    return Allow(sid, mask, flags);
            }
        };
        std::vector<std::wstring> paths;
        std::vector<SecurityDescriptor> first;
        for (int f = 0; f < 3; ++f) {
            const std::wstring path = L"C:\\p\\f" + std::to_wstring(f);
            std::vector<RawAce> dacl;
            for (unsigned n = pick(6); n > 0; --n) {
                dacl.push_back(randomAce());
            }
            b.sim.file(path).owner(b.me).dacl(dacl).protect(pick(2) == 1);
            paths.push_back(path);
            first.push_back(b.disk(path));
            b.read(path);
        }
        auto entryOf = [&](std::size_t i) {
            CDirEntry* e = b.list.firstEntry();
            while (i-- > 0) {
                e = e->nextSibling();
            }
            return e;
        };
        for (int step = 0; step < 30; ++step) {
            CDirEntry& e = *entryOf(pick(3));
            const std::uint32_t n = e.aceCount();
            const Trustee t = Trustee::ofSid(sids[pick(5)]);
            b.undo.AddUndoElement(b.editor, e, L"edit", false);
            switch (pick(7)) {
                case 0:
                    b.editor.SetAccessMask(e, n == 0 ? 0 : pick(n), rng());
                    break;
                case 1:
                    b.editor.DelTrustee(e, n == 0 ? 0 : pick(n));
                    break;
                case 2:
                    b.editor.AddTrusteeUnconditional(e, t, rng(), 0x03, pick(2) == 0);
                    break;
                case 3:
                    b.editor.AppendTrustee(e, t, rng(), 0x10, pick(2) == 0);
                    break;
                case 4:
                    b.editor.MergeTrustee(e, t, rng(), pick(16), pick(2) == 0);
                    break;
                case 5:
                    b.editor.ConvertInheritedAces(e);
                    break;
                default:
                    b.editor.ReplaceDacl(e, {randomAce()}, pick(2) == 0);
                    break;
            }
        }
        while (b.undo.count() > 0) {
            ASSERT_TRUE(b.undo.Undo(b.editor, &b.list, b.pending)) << "seed " << seed;
        }
        for (std::size_t i = 0; i < paths.size(); ++i) {
            EXPECT_EQ(b.dacl(paths[i]), first[i].dacl) << "seed " << seed << " " << i;
            EXPECT_EQ(b.disk(paths[i]).daclProtected(), first[i].daclProtected())
                << "seed " << seed;
            EXPECT_TRUE(b.showsDisk(*entryOf(i)));
        }
    }
}

}  // namespace
}  // namespace quorel
