// A process killed part-way through Inherit ACL over a volume file of
// 20,000 items leaves a volume that opens, every item with a descriptor one
// of its writes stored whole: the old one, the new one, or, between the two
// writes of an auto-inherited DACL whose inherited ACEs change (planDaclWrite),
// the new ACEs before SE_DACL_AUTO_INHERITED is set again; the folder being
// walked may also hold the working ACE in front.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <thread>

#include "core/dir_list.h"
#include "core/scanner.h"
#include "core/security_reader.h"
#include "editing/acl_editor.h"
#include "editing/edit_settings.h"
#include "editing/pending_changes.h"
#include "editing/propagation.h"
#include "editing/undo_buffer.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/standard_files.h"
#include "platform/sim/volume_file.h"
#include "platform/sim/volume_journal.h"
#include "storage/utf16.h"

namespace quorel {
namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 199;  // 100 folders + 19,900 files

std::string volumeText() {
    sim::SimPlatform sim;
    const Sid me = sim.accounts().currentUser();
    const Sid bob = sim.accounts().addLocalUser(L"bob");
    const Sid carol = sim.accounts().addLocalUser(L"carol");
    auto allow = [](const Sid& sid, std::uint32_t mask, std::uint8_t flags) {
        return RawAce::make(ace_type::kAccessAllowed, flags, mask, sid);
    };
    sim.dir(L"C:\\R").owner(me).dacl({allow(me, 0x1F01FF, 0x03), allow(bob, 0x1200A9, 0x03)});
    for (int d = 0; d < kFolders; ++d) {
        const std::wstring folder = L"C:\\R\\d" + std::to_wstring(d);
        sim.dir(folder).owner(me).dacl({allow(carol, 0x1F01FF, 0x03)});
        for (int f = 0; f < kFilesPerFolder; ++f) {
            sim.file(folder + L"\\f" + std::to_wstring(f) + L".txt")
                .owner(me)
                .dacl({allow(carol, 0x1F01FF, 0)});
        }
    }
    return sim::writeVolume(sim).text;
}

// Inherit ACL on C:\R through the editing code, as the programs run it.
void inheritAcl(SecurityPort& security, sim::SimPlatform& platform) {
    sim::RecordingInteraction ui;
    CDirList list{ui};
    SecurityReader reader{security, platform};
    EditSettings settings;
    settings.currentUserSid = platform.accounts().currentUser();
    settings.currentUserName = L"simuser";
    AclEditor editor{EditPorts{security, platform, platform, ui}, reader, settings};
    UndoBuffer undo;
    PendingChanges pending;
    Propagation propagation{editor, platform, undo, pending};
    Scanner scanner(list, platform, reader, ui);
    scanner.ScanTree(L"C:\\R", 1);
    propagation.InheritAcl(*list.firstEntry());
}

bool same(const SecurityDescriptor& a, const SecurityDescriptor& b) {
    return a.owner == b.owner && a.group == b.group && a.control == b.control &&
           a.daclState == b.daclState && a.dacl == b.dacl;
}

// Every item below C:\R by path.
std::map<std::wstring, SecurityDescriptor> items(const sim::SimPlatform& platform) {
    std::map<std::wstring, SecurityDescriptor> out;
    const sim::SimObject* root = platform.volume().find(L"C:\\R");
    for (const auto& folder : root->children) {
        out[sim::recordPath(*folder)] = folder->security;
        for (const auto& file : folder->children) {
            out[sim::recordPath(*file)] = file->security;
        }
    }
    return out;
}

TEST(VolumeKill, AKillDuringInheritAclLeavesEveryItemWithADescriptorAWriteStoredWhole) {
    const std::string text = volumeText();
    const std::string path = "/tmp/quorel-kill-" + std::to_string(getpid()) + ".qvol";
    std::ofstream(path, std::ios::binary) << text;

    // What a whole run stores, in process.
    sim::VolumeRead whole = sim::readVolume(text);
    ASSERT_TRUE(whole.platform) << whole.error;
    const std::map<std::wstring, SecurityDescriptor> before = items(*whole.platform);
    ASSERT_EQ(before.size(), 20000u);
    inheritAcl(*whole.platform, *whole.platform);
    const std::map<std::wstring, SecurityDescriptor> after = items(*whole.platform);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        std::unique_ptr<sim::VolumeJournal> volume =
            sim::VolumeJournal::open(sim::standardFiles(), fromUtf8(path), error);
        if (volume) {
            inheritAcl(*volume, volume->platform());
        }
        _exit(volume ? 0 : 3);
    }
    // Killed once about a third of the run's records reached the file.
    const off_t stop = static_cast<off_t>(text.size() + text.size() / 3);
    struct stat st {};
    while (stat(path.c_str(), &st) == 0 && st.st_size < stop &&
           waitpid(child, nullptr, WNOHANG) == 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the run ended before the kill";

    std::string error;
    std::unique_ptr<sim::VolumeJournal> reopened =
        sim::VolumeJournal::open(sim::standardFiles(), fromUtf8(path), error);
    ASSERT_TRUE(reopened) << error;
    // A folder being walked holds the working ACE that lets the user list
    // it in front of its DACL; a kill leaves it there.
    const RawAce working = RawAce::make(ace_type::kAccessAllowed, 0, access::kFileAllAccess,
                                        reopened->platform().accounts().currentUser());
    std::map<std::string, std::size_t> states;
    for (const auto& [item, found] : items(reopened->platform())) {
        SecurityDescriptor sd = found;
        const bool walked = !sd.dacl.empty() && sd.dacl.front() == working;
        if (walked) {
            sd.dacl.erase(sd.dacl.begin());
        }
        const SecurityDescriptor& next = after.at(item);
        const bool firstOfTwo = sd.dacl == next.dacl && sd.owner == next.owner &&
                                sd.control == (next.control & ~sd_control::kDaclAutoInherited);
        std::string state = same(sd, before.at(item)) ? "old"
                            : same(sd, next)          ? "new"
                            : firstOfTwo              ? "first of two writes"
                                                      : "neither";
        ++states[state];
        states["walked"] += walked ? 1 : 0;
        EXPECT_NE(state, "neither") << toUtf8(item);
    }
    std::printf(
        "items after the kill: %zu old, %zu new, %zu between two writes, %zu holding "
        "the working ACE\n",
        states["old"], states["new"], states["first of two writes"], states["walked"]);
    EXPECT_GT(states["old"], 0u);
    EXPECT_GT(states["new"], 0u);
    EXPECT_LE(states["walked"], 1u);  // one folder is walked at a time
    EXPECT_EQ(states["old"] + states["new"] + states["first of two writes"], 20000u);
    unlink(path.c_str());
}

}  // namespace
}  // namespace quorel
