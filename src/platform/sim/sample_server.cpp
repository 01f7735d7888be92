#include "platform/sim/sample_server.h"

#include "platform/sim/sim_platform.h"

namespace quorel::sim {

namespace {
constexpr std::uint32_t kFull = 0x1F01FF;
constexpr std::uint32_t kModify = 0x1301BF;
constexpr std::uint32_t kRead = 0x1200A9;
constexpr std::uint32_t kWrite = 0x100116;
constexpr std::uint8_t kOiCi = 0x03;
constexpr std::uint8_t kInherited = 0x10;
constexpr std::uint8_t kInheritOnly = 0x08;

}  // namespace

void BuildSampleServer(SimPlatform& sim) {
    SimAccounts& accounts = sim.accounts();
    const Sid admins = well_known::administrators();
    const Sid system = well_known::localSystem();
    const Sid users = well_known::users();
    const Sid everyone = well_known::everyone();
    const Sid creator = well_known::creatorOwner();
    const Sid alice = accounts.addDomainUser(L"alice");
    const Sid bob = accounts.addDomainUser(L"bob");
    const Sid carol = accounts.addDomainUser(L"carol");
    const Sid staff = accounts.addDomainGroup(L"Staff", {alice, bob});
    const Sid hr = accounts.addDomainGroup(L"HR", {carol});
    const Sid guests = accounts.addLocalGroup(L"Visitors");
    const Sid gone = accounts.addDomainUser(L"dave");
    accounts.deleteAccount(gone);
    // The scan runs as an administrator.
    accounts.addMember(admins, accounts.currentUser());

    // The projects share: inheritable rights from the root down.
    auto inheritedFromRoot = [&](ObjectBuilder b, bool folder) {
        const std::uint8_t flags = kInherited | (folder ? kOiCi : 0);
        b.owner(admins)
            .group(system)
            .dacl()
            .allow(admins, kFull, flags)
            .allow(system, kFull, flags)
            .allow(staff, kModify, flags)
            .allow(users, kRead, flags);
        if (folder) {
            b.allow(creator, kFull, kInherited | kOiCi | kInheritOnly);
        }
        return b;
    };
    sim.dir(L"C:\\Projects")
        .owner(admins)
        .group(system)
        .dacl()
        .allow(admins, kFull, kOiCi)
        .allow(system, kFull, kOiCi)
        .allow(staff, kModify, kOiCi)
        .allow(users, kRead, kOiCi)
        .allow(creator, kFull, kOiCi | kInheritOnly);
    inheritedFromRoot(sim.dir(L"C:\\Projects\\Alpha"), true).allow(alice, kFull, kOiCi);
    const wchar_t* deep[] = {L"C:\\Projects\\Alpha\\Design", L"C:\\Projects\\Alpha\\Design\\2026",
                             L"C:\\Projects\\Alpha\\Design\\2026\\Q4",
                             L"C:\\Projects\\Alpha\\Design\\2026\\Q4\\Drafts",
                             L"C:\\Projects\\Alpha\\Design\\2026\\Q4\\Drafts\\Old"};
    for (const wchar_t* path : deep) {
        inheritedFromRoot(sim.dir(path), true).allow(alice, kFull, kInherited | kOiCi);
    }
    inheritedFromRoot(sim.file(L"C:\\Projects\\Alpha\\Design\\2026\\Q4\\Drafts\\Old\\logo.svg"),
                      false)
        .allow(alice, kFull, kInherited);
    inheritedFromRoot(sim.file(L"C:\\Projects\\Alpha\\budget.xlsx"), false)
        .deny(guests, kWrite)
        .allow(bob, kRead);
    inheritedFromRoot(sim.file(L"C:\\Projects\\Alpha\\plan.docx"), false)
        .allow(alice, kFull, kInherited);
    // A protected folder with explicit rights only, one of them for an
    // account that was deleted since.
    sim.dir(L"C:\\Projects\\Beta")
        .owner(bob)
        .group(system)
        .dacl()
        .protect()
        .allow(admins, kFull, kOiCi)
        .allow(bob, kFull, kOiCi)
        .allow(gone, kModify, kOiCi);
    sim.file(L"C:\\Projects\\Beta\\notes.txt")
        .owner(bob)
        .group(system)
        .dacl()
        .allow(admins, kFull, kInherited)
        .allow(bob, kFull, kInherited)
        .allow(gone, kModify, kInherited);
    // Nobody may do anything here.
    sim.dir(L"C:\\Projects\\Locked").owner(accounts.currentUser()).group(system).dacl();
    // A junction into another project.
    inheritedFromRoot(sim.dir(L"C:\\Projects\\Shortcut"), true)
        .reparse(L"C:\\Projects\\Alpha\\Design");

    // The second root: departments' shares.
    sim.dir(L"D:\\Shares")
        .owner(admins)
        .group(system)
        .dacl()
        .allow(admins, kFull, kOiCi)
        .allow(system, kFull, kOiCi)
        .allow(everyone, kRead, kOiCi);
    sim.dir(L"D:\\Shares\\HR")
        .owner(admins)
        .group(system)
        .dacl()
        .protect()
        .deny(staff, kFull, kOiCi)
        .allow(admins, kFull, kOiCi)
        .allow(hr, kModify, kOiCi);
    sim.file(L"D:\\Shares\\HR\\salaries.csv")
        .owner(carol)
        .group(system)
        .dacl()
        .deny(staff, kFull, kInherited)
        .allow(admins, kFull, kInherited)
        .allow(hr, kModify, kInherited);
    sim.dir(L"D:\\Shares\\Public")
        .owner(admins)
        .group(system)
        .dacl()
        .allow(admins, kFull, kInherited | kOiCi)
        .allow(system, kFull, kInherited | kOiCi)
        .allow(everyone, kRead, kInherited | kOiCi)
        .allow(everyone, kWrite, kOiCi);
    sim.file(L"D:\\Shares\\Public\\readme.txt")
        .owner(alice)
        .group(system)
        .dacl()
        .allow(admins, kFull, kInherited)
        .allow(system, kFull, kInherited)
        .allow(everyone, kRead | kWrite, kInherited);
    // A name beyond ASCII.
    sim.file(L"D:\\Shares\\Public\\Gr\u00FC\u00DFe.txt")
        .owner(alice)
        .group(system)
        .dacl()
        .allow(admins, kFull, kInherited)
        .allow(system, kFull, kInherited)
        .allow(everyone, kRead | kWrite, kInherited);
}

}  // namespace quorel::sim
