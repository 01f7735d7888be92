// A failure injected at every port call of an operation in turn: whatever
// fails, every DACL on disk is the one before or the one asked for, no
// working ACE is left, every owner taken is given back or the failure is
// reported, and the entries show the disk.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/dataset_test_support.h"
#include "editing/editing_test_support.h"
#include "editing/entry_lookup.h"
#include "editing/ownership.h"

namespace quorel {
namespace {

using test::Allow;
using test::Deny;
using test::EditBench;

using Snapshot = std::map<std::wstring, SecurityDescriptor>;

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

void collect(const sim::SimObject& o, const std::wstring& path, Snapshot& out) {
    out[path] = o.security;
    for (const auto& c : o.children) {
        collect(*c, path + L"\\" + c->name, out);
    }
}

Snapshot snapshot(EditBench& b) {
    Snapshot s;
    collect(*b.sim.volume().find(L"C:"), L"C:", s);
    return s;
}

struct Scenario {
    std::function<void(EditBench&)> setup;
    std::function<void(EditBench&)> run;
};

void everyFault(const Scenario& s) {
    EditBench clean;
    s.setup(clean);
    const Snapshot before = snapshot(clean);
    clean.ports.failCall(0);
    s.run(clean);
    const Snapshot after = snapshot(clean);
    const std::uint64_t calls = clean.ports.calls();
    ASSERT_GT(calls, 0u);
    bool changed = false;
    for (const auto& [path, sd] : after) {
        changed = changed || sd.dacl != before.at(path).dacl || sd.owner != before.at(path).owner;
    }
    ASSERT_TRUE(changed) << "the scenario changes nothing";
    const RawAce working = Allow(clean.me, 0x1F01FF, 0);
    for (std::uint64_t k = 1; k <= calls; ++k) {
        EditBench b;
        s.setup(b);
        b.ports.failCall(k);
        s.run(b);
        ASSERT_TRUE(b.ports.failed()) << k;
        const bool reported = !b.ui.messages().empty() || !b.errors().empty();
        for (const auto& [path, sd] : snapshot(b)) {
            const SecurityDescriptor& was = before.at(path);
            const SecurityDescriptor& asked = after.at(path);
            EXPECT_TRUE((sd.dacl == was.dacl && sd.daclProtected() == was.daclProtected()) ||
                        (sd.dacl == asked.dacl && sd.daclProtected() == asked.daclProtected()))
                << "call " << k << " left " << narrow(path);
            EXPECT_EQ(std::count(sd.dacl.begin(), sd.dacl.end(), working), 0) << "call " << k;
            EXPECT_TRUE(sd.owner == was.owner || reported) << "call " << k;
        }
        for (CDirEntry& e : b.list) {
            // A read that failed shows "ERROR READING FILE", not the disk.
            const bool unreadable = e.ownerName() == L"ERROR READING FILE";
            EXPECT_TRUE(e.isDotEntry() || unreadable || b.showsDisk(e))
                << "call " << k << " " << narrow(e.path());
        }
    }
}

// An administrator who may take ownership and give it back.
void administrator(EditBench& b) {
    b.sim.accounts().addMember(well_known::administrators(), b.me);
    b.sim.setTakeOwnershipHeld(true);
    b.sim.setRestoreHeld(true);
    EnableTakeOwnership(b.settings, b.sim, b.ui);
}

// One file of alice's that the user can change only after taking ownership.
void aliceFile(EditBench& b) {
    administrator(b);
    Sid gone = b.sim.accounts().addLocalUser(L"gone");
    b.sim.file(L"C:\\f").owner(b.alice).dacl(
        {Allow(b.me, 0x00020000), Deny(b.bob, 2), Allow(gone, 4, 0x10),
         RawAce::makeObject(5, 0, 8, b.carol), Allow(b.bob, 16, 0x10)});
    b.sim.accounts().deleteAccount(gone);
    b.read(L"C:\\f");
}

CDirEntry& first(EditBench& b) {
    return *b.list.firstEntry();
}

TEST(FaultInjection, EveryPrimitive) {
    const Trustee carol = Trustee::ofSid(Sid(), L"carol");
    const std::vector<std::pair<const char*, std::function<void(EditBench&)>>> ops{
        {"DelTrustee", [](EditBench& b) { b.editor.DelTrustee(first(b), 1); }},
        {"AddTrusteeUnconditional",
         [&](EditBench& b) {
             b.editor.AddTrusteeUnconditional(first(b), Trustee{L"carol", L"", {}}, 1, 0, true);
         }},
        {"AppendTrustee",
         [&](EditBench& b) {
             b.editor.AppendTrustee(first(b), Trustee{L"carol", L"SIMHOST", {}}, 1, 3, false);
         }},
        {"ConvertInheritedAces", [](EditBench& b) { b.editor.ConvertInheritedAces(first(b)); }},
        {"DelInheritedTrustee",
         [](EditBench& b) {
             b.editor.DelInheritedTrustee(first(b), Trustee{L"bob", L"", {}}, 0, 16);
         }},
        {"ReplaceDacl",
         [](EditBench& b) { b.editor.ReplaceDacl(first(b), {Allow(b.carol, 1)}, true); }},
        {"TakeAndGiveBack",
         [](EditBench& b) {
             b.editor.TakeOwnership(first(b));
             b.editor.SetAccessMask(first(b), 1, 0x10002);
             b.editor.GiveBackOwnership(first(b));
         }},
    };
    for (const auto& [name, op] : ops) {
        SCOPED_TRACE(name);
        everyFault({aliceFile, op});
    }
    // Undo of a cut that emptied the DACL.
    everyFault({[](EditBench& b) {
                    aliceFile(b);
                    b.undo.AddUndoElement(b.editor, first(b), L"cut", false);
                    b.editor.ReplaceDacl(first(b), {Allow(b.me, 0x00020000)}, false);
                },
                [](EditBench& b) { b.undo.Undo(b.editor, &b.list, b.pending); }});
    // The in-place edits and merges need no ownership: the user owns the file.
    auto ownFile = [](EditBench& b) {
        b.sim.file(L"C:\\f").owner(b.me).dacl({Deny(b.bob, 2), Allow(b.bob, 16, 0x10)});
        b.read(L"C:\\f");
    };
    const std::vector<std::pair<const char*, std::function<void(EditBench&)>>> own{
        {"SetAccessMask", [](EditBench& b) { b.editor.SetAccessMask(first(b), 0, 7); }},
        {"SetInheritance", [](EditBench& b) { b.editor.SetInheritance(first(b), 1, 3); }},
        {"MergeTrustee",
         [](EditBench& b) {
             b.editor.MergeTrustee(first(b), Trustee{L"bob", L"", {}}, 1, 0, false);
         }},
        {"AddTrusteeOfConvert",
         [](EditBench& b) {
             b.editor.AddTrusteeOfConvert(first(b), Trustee{L"carol", L"", {}}, 1, 0, true);
         }},
        {"SetInheritedAccessMask",
         [](EditBench& b) {
             b.editor.SetInheritedAccessMask(first(b), Trustee{L"bob", L"", {}}, 0, 16, 17);
         }},
    };
    for (const auto& [name, op] : own) {
        SCOPED_TRACE(name);
        everyFault({ownFile, op});
    }
}

// C:\t: a folder with a file, a subfolder with a file, a file of alice's
// that needs ownership taken, and a CREATOR GROUP ACE to resolve.
void smallTree(EditBench& b) {
    administrator(b);
    Sid staff = b.sim.accounts().addDomainGroup(L"staff", {b.alice});
    (void)staff;
    b.sim.dir(L"C:\\t").owner(b.me).dacl({Allow(b.me, 0x1200A9), Allow(b.bob, 0x1200A9, 0x03),
                                          Allow(well_known::creatorGroup(), 2, 0x0B)});
    for (const wchar_t* p : {L"C:\\t\\a", L"C:\\t\\s\\b"}) {
        b.sim.file(p).owner(b.me).dacl({Allow(b.carol, 1)});
    }
    b.sim.dir(L"C:\\t\\s").owner(b.me).dacl({Allow(b.me, 0x1200A9), Allow(b.bob, 4, 0x13)});
    b.sim.file(L"C:\\t\\s\\c").owner(b.alice).dacl({Allow(b.carol, 1)});
    b.scan(L"C:\\t");
}

TEST(FaultInjection, InheritAcl) {
    everyFault({smallTree, [](EditBench& b) { b.propagation.InheritAcl(first(b)); }});
}

TEST(FaultInjection, Propagate) {
    everyFault({smallTree, [](EditBench& b) {
                    PendingChange c;
                    c.kind = PendingChange::Kind::MaskChanged;
                    c.path = L"C:\\t\\s";
                    c.trustee = Trustee{L"bob", L"", {}};
                    c.aceType = 0;
                    c.oldMask = 4;
                    c.newMask = 6;
                    b.pending.add(c);
                    b.ui.scriptAnswers({MessageAnswer::Yes});
                    b.propagation.PropagateChanges(b.list);
                }});
}

TEST(FaultInjection, Restore) {
    everyFault({[](EditBench& b) {
                    smallTree(b);
                    b.sim.volume().find(L"C:\\t\\s\\b")->security.dacl = {Deny(b.alice, 8)};
                    b.sim.volume().find(L"C:\\t\\s\\c")->security.dacl = {Allow(b.bob, 8, 0x10)};
                },
                [](EditBench& b) {
                    // The saved dataset is the tree as first scanned.
                    sim::RecordingInteraction ui;
                    auto saved = std::make_unique<CDirList>(ui);
                    std::vector<CDirEntry*> shown;
                    for (CDirEntry& e : b.list) {
                        shown.push_back(&e);
                    }
                    CDirEntry* bEntry = findEntryByPath(b.list, L"C:\\t\\s\\b");
                    CDirEntry* aEntry = findEntryByPath(b.list, L"C:\\t\\a");
                    CDirEntry* savedB = test::AppendEntry(*saved, nullptr, L"C:\\t\\s\\b");
                    test::SetAces(savedB, {{L"carol", 1, 0, 0}, {L"bob", 2, 0x10, 1}}, L"SIMHOST");
                    CDirEntry* savedA = test::AppendEntry(*saved, nullptr, L"C:\\t\\a");
                    test::SetAces(savedA, {{L"alice", 1, 0, 0}}, L"SIMHOST");
                    bEntry->partner = savedB;
                    aEntry->partner = savedA;
                    b.propagation.RestorePermissions(shown, b.list, true);
                    for (CDirEntry* e : shown) {
                        e->partner = nullptr;
                    }
                }});
}

}  // namespace
}  // namespace quorel
