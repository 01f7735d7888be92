// Inherit ACL over a simulated tree of about 100,000 files and folders, 10
// levels deep, whose root passes 5 ACEs on. Prints how often the run asked
// the (simulated) system to read a descriptor, write a DACL and look up an
// account, per entry, beside what the program's original step-by-step
// rebuild of each DACL asks for the same tree.
//
//   build/native/bench/inherit_bench [files per folder]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "core/security_reader.h"
#include "editing/acl_editor.h"
#include "editing/pending_changes.h"
#include "editing/propagation.h"
#include "editing/undo_buffer.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"

namespace {

using namespace quorel;

struct Counts {
    double reads = 0, writes = 0, sidLookups = 0, nameLookups = 0;
};

// The calls of the original rebuild for one entry whose DACL holds `own`
// ACEs and which gets `inherited` ACEs (Part order: scan read, working ACE
// in, delete from index 1 one by one, append each inherited ACE, working ACE
// out, read again); a folder also gets its working ACE in and out around the
// walk below it. Every ACE of every rebuild is resolved by SID and then by
// name to estimate the ACL size, and nothing is cached.
Counts literal(double own, double inherited, bool folder) {
    Counts c;
    c.reads += 1;
    c.sidLookups += own + 2;  // scan read: ACEs, owner, group
    // working ACE in (AddTrusteeUnconditional)
    c.reads += 1, c.writes += 1, c.sidLookups += own, c.nameLookups += own + 2;
    // DelTrustee(1) until it fails
    c.reads += own + 1, c.writes += own;
    for (double j = 0; j < inherited; ++j) {  // AppendTrustee, DACL of 1 + j ACEs
        const double m = 1 + j;
        c.reads += 1, c.writes += 1, c.sidLookups += m, c.nameLookups += m + 2;
        if (j == 0) {
            c.reads += 1, c.sidLookups += m + 1 + 2;  // re-read
        }
    }
    c.reads += 2, c.writes += 1, c.sidLookups += inherited + 2;  // working ACE out, re-read
    if (folder) {
        const double m = inherited;
        c.reads += 1, c.writes += 1, c.sidLookups += m, c.nameLookups += m + 2;  // in
        c.reads += 2, c.writes += 1, c.sidLookups += m + 2;                      // out, re-read
    }
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    const int filesPerFolder = argc > 1 ? std::atoi(argv[1]) : 195;
    constexpr int kLevels = 10;  // the root's listing is level 1
    constexpr int kParentAces = 5;

    sim::SimPlatform sim;
    sim::RecordingInteraction ui;
    const Sid me = sim.accounts().currentUser();
    std::vector<Sid> accounts{me};
    for (int i = 1; i < kParentAces; ++i) {
        accounts.push_back(sim.accounts().addLocalUser(L"user" + std::to_wstring(i)));
    }
    const std::wstring rootPath = L"C:\\share";
    {
        std::vector<RawAce> dacl;
        for (const Sid& sid : accounts) {
            dacl.push_back(RawAce::make(0, 0x03, sid == me ? 0x1F01FF : 0x1200A9, sid));
        }
        sim.dir(rootPath).owner(me).dacl(dacl);
    }
    // A binary tree of folders, levels 1 to 9 below the root, each folder
    // holding `filesPerFolder` files (level 10).
    double files = 0, folders = 0, dots = 0;
    std::vector<std::wstring> level{rootPath};
    const RawAce own = RawAce::make(0, 0, 0x1F01FF, accounts[1]);
    for (int depth = 1; depth < kLevels; ++depth) {
        std::vector<std::wstring> next;
        for (const std::wstring& dir : level) {
            for (int f = 0; f < filesPerFolder; ++f) {
                sim.file(dir + L"\\file" + std::to_wstring(f) + L".txt").owner(me).dacl({own});
                files += 1;
            }
            for (int d = 0; d < 2 && depth + 1 < kLevels; ++d) {
                const std::wstring sub = dir + L"\\dir" + std::to_wstring(d);
                sim.dir(sub).owner(me).dacl({own});
                next.push_back(sub);
                folders += 1;
            }
            dots += 2;
        }
        level = std::move(next);
    }

    CDirList list(ui);
    SecurityReader reader(sim, sim);
    EditSettings settings;
    settings.currentUserSid = me;
    AclEditor editor(EditPorts{sim, sim, sim, ui}, reader, settings);
    UndoBuffer undo;
    PendingChanges pending;
    Propagation propagation(editor, sim, undo, pending);
    sim.counters() = {};
    CDirEntry* root = DatasetBuilder(list).addScanEntry(rootPath, rootPath, reader);
    const auto start = std::chrono::steady_clock::now();
    const bool complete = propagation.InheritAcl(*root);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const sim::CallCounters& c = sim.counters();
    const double entries = files + folders + dots;

    Counts part;
    {
        const Counts file = literal(1, kParentAces, false);
        const Counts folder = literal(1, kParentAces, true);
        const Counts dot{1, 0, 2 + kParentAces, 0};  // read by the scan constructor only
        part.reads = files * file.reads + folders * folder.reads + dots * dot.reads;
        part.writes = files * file.writes + folders * folder.writes;
        part.sidLookups =
            files * file.sidLookups + folders * folder.sidLookups + dots * dot.sidLookups;
        part.nameLookups = files * file.nameLookups + folders * folder.nameLookups;
    }
    // Every write is read back, and a DACL whose inherited ACEs change is
    // written twice (the ACEs, then SE_DACL_AUTO_INHERITED under
    // SE_DACL_AUTO_INHERIT_REQ, see planDaclWrite). Per file: its read, two
    // writes, the read back; per folder the same, and the working ACE in and
    // out (read, one write, read back each); the dot entries are read once;
    // the root: read when shown, read by the run and its working ACE in and
    // out.
    const double targetReads = 2 * files + 6 * folders + dots + 6;
    const double targetWrites = 2 * files + 4 * folders + 2;

    std::printf("Inherit ACL, %d levels, %d ACEs passed on, %s\n", kLevels, kParentAces,
                complete ? "complete" : "CUT SHORT");
    std::printf("entries walked            %llu (%.0f files, %.0f folders, %.0f . and ..)\n",
                static_cast<unsigned long long>(propagation.walkedCount()), files, folders, dots);
    std::printf("wall time                 %.2f s\n", seconds);
    std::printf("%-26s%12s%12s%14s%14s\n", "", "measured", "per entry", "target", "original");
    auto row = [&](const char* name, double measured, double target, double original) {
        std::printf("%-26s%12.0f%12.3f%14.0f%14.0f\n", name, measured, measured / entries, target,
                    original);
    };
    row("descriptor reads", static_cast<double>(c.readSecurity), targetReads, part.reads);
    row("DACL writes", static_cast<double>(c.writeDacl), targetWrites, part.writes);
    // One per distinct account met: the five passed on, the owner's group
    // and the volume root's accounts, which ".." of the top folder shows.
    row("SID lookups", static_cast<double>(c.lookupSid),
        static_cast<double>(reader.cachedSidCount()), part.sidLookups);
    row("name lookups", static_cast<double>(c.lookupName + c.sidFromString), 0, part.nameLookups);
    std::printf("original per entry: %.2f reads, %.2f writes, %.2f lookups\n", part.reads / entries,
                part.writes / entries, (part.sidLookups + part.nameLookups) / entries);
    std::printf("owner changes             %llu\n", static_cast<unsigned long long>(c.setOwner));
    return 0;
}
