#pragma once

// Test support: a simulated machine behind fault-injecting ports, a dataset
// read from it and the editing objects on top.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "core/scanner.h"
#include "core/security_reader.h"
#include "editing/acl_editor.h"
#include "editing/pending_changes.h"
#include "editing/propagation.h"
#include "editing/undo_buffer.h"
#include "platform/sim/faulty_ports.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"

namespace quorel {

// Shows an ACE in a failed expectation as type, flags, mask and SID.
inline void PrintTo(const RawAce& ace, std::ostream* os) {
    const std::optional<Sid> sid = ace.sid();
    std::string text;
    for (wchar_t c : sid ? sid->toString() : std::wstring(L"?")) {
        text += static_cast<char>(c);
    }
    *os << "(type " << int(ace.type()) << " flags 0x" << std::hex << int(ace.flags()) << " mask 0x"
        << ace.mask() << std::dec << " " << text << " " << ace.bytes.size() << " bytes)";
}

}  // namespace quorel

namespace quorel::test {

struct EditBench {
    sim::SimPlatform sim;
    sim::FaultyPorts ports{sim, sim, sim};
    sim::RecordingInteraction ui;
    CDirList list{ui};
    SecurityReader reader{ports, ports};
    EditSettings settings;
    AclEditor editor{EditPorts{ports, ports, ports, ui}, reader, settings};
    UndoBuffer undo;
    PendingChanges pending;
    Propagation propagation{editor, sim, undo, pending};
    Sid me, alice, bob, carol;

    EditBench() {
        me = sim.accounts().currentUser();
        alice = sim.accounts().addLocalUser(L"alice");
        bob = sim.accounts().addLocalUser(L"bob");
        carol = sim.accounts().addLocalUser(L"carol");
        settings.currentUserSid = me;
        settings.currentUserName = L"simuser";
    }

    // A root entry of the dataset for `path`, read from the simulated disk.
    CDirEntry* read(const std::wstring& path) {
        DatasetBuilder build(list);
        return build.addScanEntry(path, path, reader);
    }
    // Scans the tree at `path` into the dataset.
    CDirEntry* scan(const std::wstring& path) {
        Scanner scanner(list, sim, reader, ui);
        scanner.ScanTree(path, 0);
        CDirEntry* root = list.firstEntry();
        for (CDirEntry* e = list.firstEntry(); e != nullptr; e = e->nextSibling()) {
            if (e->path() == path) {
                root = e;
            }
        }
        return root;
    }

    SecurityDescriptor& disk(const std::wstring& path) { return sim.volume().find(path)->security; }
    std::vector<RawAce>& dacl(const std::wstring& path) { return disk(path).dacl; }

    // Whether the entry shows exactly what the disk holds (no port call).
    bool showsDisk(const CDirEntry& e) {
        const SecurityDescriptor& sd = disk(e.path());
        const AccountNames& names = list.accountNames();
        if (sd.owner && names.sid(e.ownerAccount()) != nullptr &&
            *names.sid(e.ownerAccount()) != *sd.owner) {
            return false;
        }
        return editor.viewMatches(e, sd);
    }

    std::vector<std::wstring> errors() const { return list.errorList().texts(); }
};

inline RawAce Allow(const Sid& sid, std::uint32_t mask, std::uint8_t flags = 0) {
    return RawAce::make(ace_type::kAccessAllowed, flags, mask, sid);
}
inline RawAce Deny(const Sid& sid, std::uint32_t mask, std::uint8_t flags = 0) {
    return RawAce::make(ace_type::kAccessDenied, flags, mask, sid);
}

}  // namespace quorel::test
