#include "platform/sim/sample_server.h"

#include "platform/sim/sim_platform.h"

namespace quorel::sim {

namespace {
constexpr std::uint32_t kFull = access::kFileAllAccess;
constexpr std::uint32_t kModify = access::kModify;
constexpr std::uint32_t kRead = access::kReadAndExecute;
// Write without READ_CONTROL, as the basic set's write column shows it.
constexpr std::uint32_t kWrite = access::kFileGenericWrite & ~access::kReadControl;
constexpr std::uint8_t kOiCi = ace_flag::kObjectInherit | ace_flag::kContainerInherit;
using ace_flag::kInherited;
using ace_flag::kInheritOnly;

// The accounts of the sample server, made in this order.
struct SampleAccounts {
    explicit SampleAccounts(SimAccounts& accounts)
        : alice(accounts.addDomainUser(L"alice")),
          bob(accounts.addDomainUser(L"bob")),
          carol(accounts.addDomainUser(L"carol")),
          staff(accounts.addDomainGroup(L"Staff", {alice, bob})),
          hr(accounts.addDomainGroup(L"HR", {carol})),
          guests(accounts.addLocalGroup(L"Visitors")),
          gone(accounts.addDomainUser(L"dave")),
          current(accounts.currentUser()) {
        accounts.deleteAccount(gone);
        // The scan runs as an administrator.
        accounts.addMember(admins, current);
    }

    const Sid admins = well_known::administrators();
    const Sid system = well_known::localSystem();
    const Sid users = well_known::users();
    const Sid everyone = well_known::everyone();
    const Sid creator = well_known::creatorOwner();
    const Sid alice, bob, carol, staff, hr, guests, gone, current;
};

// The projects share: inheritable rights from the root down.
void buildProjects(SimPlatform& sim, const SampleAccounts& a) {
    const auto& [admins, system, users, everyone, creator, alice, bob, carol, staff, hr, guests,
                 gone, current] = a;
    // A lambda may not capture structured bindings before C++20's later
    // compilers: it reads the accounts through `a`.
    auto inheritedFromRoot = [&a](ObjectBuilder b, bool folder) {
        const std::uint8_t flags = kInherited | (folder ? kOiCi : 0);
        b.owner(a.admins)
            .group(a.system)
            .dacl()
            .allow(a.admins, kFull, flags)
            .allow(a.system, kFull, flags)
            .allow(a.staff, kModify, flags)
            .allow(a.users, kRead, flags);
        if (folder) {
            b.allow(a.creator, kFull, kInherited | kOiCi | kInheritOnly);
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
    sim.dir(L"C:\\Projects\\Locked").owner(current).group(system).dacl();
    // A junction into another project.
    inheritedFromRoot(sim.dir(L"C:\\Projects\\Shortcut"), true)
        .reparse(L"C:\\Projects\\Alpha\\Design");
}

// The second root: departments' shares.
void buildShares(SimPlatform& sim, const SampleAccounts& a) {
    const auto& [admins, system, users, everyone, creator, alice, bob, carol, staff, hr, guests,
                 gone, current] = a;
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

}  // namespace

void BuildSampleServer(SimPlatform& sim) {
    const SampleAccounts accounts(sim.accounts());
    buildProjects(sim, accounts);
    buildShares(sim, accounts);
}

}  // namespace quorel::sim
