// Writes the bundled demo volume (demo.qvol): the file server FS01 of the
// domain ACME as a volume file, for quorel.exe and quorel-cli to open with
// --volume. Two roots (the share \\FS01\Projects and the drive C:), folders
// seven levels deep, nested domain groups and local groups, deny,
// inherited, inherit-only and CREATOR OWNER ACEs, protected and
// out-of-order DACLs, an account deleted since it was granted rights, a
// junction and a cloud placeholder. Every inherited ACE is what the ACE
// inheritance rules (platform/nt_rules.h) give the item in its folder.
//
//   make_demo_volume OUT.qvol          write the volume
//   make_demo_volume --check IN.qvol   exit 1 unless IN.qvol is what would be written

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system_port.h"
#include "platform/nt_rules.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/volume_file.h"

namespace {

using namespace quorel;
using sim::SimAccount;
using sim::SimAccounts;
using sim::SimObject;
using sim::SimPlatform;

// "File Security and Access Rights": the masks of the usual rights.
constexpr std::uint32_t kFull = 0x1F01FF;
constexpr std::uint32_t kModify = 0x1301BF;
constexpr std::uint32_t kReadExecute = 0x1200A9;
constexpr std::uint32_t kWriteDelete = 0x010116;
constexpr std::uint8_t kOiCi = ace_flag::kObjectInherit | ace_flag::kContainerInherit;
constexpr std::uint8_t kInheritOnly = ace_flag::kInheritOnly;

const Sid kDomainSid = Sid::make(5, {21, 2165734261, 3904271553, 1519630741});
const Sid kMachineSid = Sid::make(5, {21, 871403912, 2736180448, 3325476098});

Sid withRid(const Sid& domain, std::uint32_t rid) {
    std::vector<std::uint8_t> bytes = domain.bytes();
    bytes[1] = static_cast<std::uint8_t>(bytes[1] + 1);
    for (int b = 0; b < 4; ++b) {
        bytes.push_back(static_cast<std::uint8_t>(rid >> (8 * b)));
    }
    return *Sid::fromBytes(bytes.data(), bytes.size());
}

RawAce allow(const Sid& sid, std::uint32_t mask, std::uint8_t flags = 0) {
    return RawAce::make(ace_type::kAccessAllowed, flags, mask, sid);
}

RawAce deny(const Sid& sid, std::uint32_t mask, std::uint8_t flags = 0) {
    return RawAce::make(ace_type::kAccessDenied, flags, mask, sid);
}

// The accounts the ACLs name.
struct Accounts {
    Sid everyone, creatorOwner, authenticated, system, admins, users, backupOperators;
    Sid domainAdmins, domainUsers, engineering, developers, finance, management, hr, contractors,
        itStaff;
    Sid anna, ben, chloe, david, eva, farid, grace, lena, tom, itAdmin;
    Sid projectsRead, projectsModify, financeModify;
};

class AccountBuilder {
  public:
    explicit AccountBuilder(SimAccounts& accounts) : accounts_(accounts) {}

    Sid add(const Sid& sid, const std::wstring& domain, const std::wstring& name, AccountKind kind,
            std::vector<Sid> members = {}) {
        SimAccount a;
        a.sid = sid;
        a.domain = domain;
        a.name = name;
        a.kind = kind;
        a.inDomain = domain == L"ACME";
        a.machine = domain == L"FS01" ? domain : L"";
        a.members = std::move(members);
        accounts_.addAccount(std::move(a));
        return sid;
    }
    Sid user(std::uint32_t rid, const std::wstring& name) {
        return add(withRid(kDomainSid, rid), L"ACME", name, AccountKind::User);
    }
    Sid group(std::uint32_t rid, const std::wstring& name, std::vector<Sid> members) {
        return add(withRid(kDomainSid, rid), L"ACME", name, AccountKind::Group, members);
    }
    Sid alias(std::uint32_t rid, const std::wstring& name, std::vector<Sid> members) {
        return add(withRid(kMachineSid, rid), L"FS01", name, AccountKind::Alias, members);
    }

  private:
    SimAccounts& accounts_;
};

// This computer (FS01) in the domain ACME, whose controller DC01 answers;
// the scan runs as ACME\it.admin, an administrator holding the privileges
// to take ownership, back up and restore.
Accounts addAccounts(SimPlatform& sim) {
    SimAccounts& accounts = sim.accounts();
    accounts = SimAccounts(SimAccounts::Blank{});
    accounts.setMachineName(L"FS01");
    accounts.setDomainName(L"ACME");
    accounts.setDcName(L"\\\\DC01");
    accounts.setDomainControllerPresent(true);
    accounts.addDomain({kDomainSid, L"ACME", L"", true, true});
    accounts.addDomain({kMachineSid, L"FS01", L"FS01", false, true});
    AccountBuilder add(accounts);
    Accounts a;
    const auto well = AccountKind::WellKnownGroup;
    a.everyone = add.add(well_known::everyone(), L"", L"Everyone", well);
    a.creatorOwner = add.add(well_known::creatorOwner(), L"", L"CREATOR OWNER", well);
    add.add(well_known::creatorGroup(), L"", L"CREATOR GROUP", well);
    a.authenticated = add.add(Sid::make(5, {11}), L"NT AUTHORITY", L"Authenticated Users", well);
    a.system = add.add(well_known::localSystem(), L"NT AUTHORITY", L"SYSTEM", well);
    a.anna = add.user(1104, L"anna.berg");
    a.ben = add.user(1105, L"ben.okafor");
    a.chloe = add.user(1106, L"chloe.martin");
    a.david = add.user(1107, L"david.kim");
    a.eva = add.user(1108, L"eva.novak");
    a.farid = add.user(1109, L"farid.haddad");
    a.grace = add.user(1110, L"grace.lee");
    a.lena = add.user(1111, L"lena.fischer");
    a.itAdmin = add.user(1113, L"it.admin");
    const Sid backup = add.user(1114, L"svc.backup");
    // Left the company; the SID stays on the ACLs that granted him rights.
    a.tom = add.user(1112, L"tom.weber");
    accounts.deleteAccount(a.tom);
    a.domainAdmins = add.group(512, L"Domain Admins", {a.itAdmin});
    a.domainUsers = add.group(
        513, L"Domain Users",
        {a.anna, a.ben, a.chloe, a.david, a.eva, a.farid, a.grace, a.lena, a.itAdmin, backup});
    a.developers = add.group(1201, L"Developers", {a.anna, a.ben});
    a.engineering = add.group(1202, L"Engineering", {a.developers, a.david});
    a.finance = add.group(1203, L"Finance", {a.chloe, a.eva});
    a.management = add.group(1204, L"Management", {a.farid});
    a.hr = add.group(1205, L"HR", {a.grace});
    a.contractors = add.group(1206, L"Contractors", {a.lena});
    a.itStaff = add.group(1207, L"IT Staff", {a.itAdmin});
    a.admins = add.add(well_known::administrators(), L"BUILTIN", L"Administrators",
                       AccountKind::Alias, {a.domainAdmins});
    a.users = add.add(well_known::users(), L"BUILTIN", L"Users", AccountKind::Alias,
                      {a.authenticated, a.domainUsers});
    a.backupOperators = add.add(Sid::make(5, {32, 551}), L"BUILTIN", L"Backup Operators",
                                AccountKind::Alias, {backup});
    a.projectsRead = add.alias(1001, L"Projects Read", {a.engineering, a.management});
    a.projectsModify = add.alias(1002, L"Projects Modify", {a.developers});
    a.financeModify = add.alias(1003, L"Finance Modify", {a.finance});

    accounts.setCurrentUser(a.itAdmin);
    accounts.setTokenGroups(std::vector<Sid>{a.everyone, a.admins, a.users, a.authenticated,
                                             a.domainUsers, a.domainAdmins, a.itStaff});
    sim.setTakeOwnershipHeld(true);
    sim.setBackupHeld(true);
    sim.setRestoreHeld(true);
    return a;
}

// Makes the items of the volume; a folder before its items.
class Tree {
  public:
    Tree(SimPlatform& sim, const Accounts& accounts) : sim_(sim), a_(accounts) {}

    // The item with `owner`, primary group Domain Users and as DACL the
    // explicit ACEs followed by what it inherits from its folder ("ACE
    // Inheritance Rules"); a protected DACL inherits nothing. Under an
    // auto-inherited DACL the item's is auto-inherited too ("Automatic
    // Propagation of Inheritable ACEs").
    SimObject& add(std::wstring_view path, bool folder, const Sid& owner,
                   std::vector<RawAce> explicitAces = {}, bool isProtected = false) {
        SimObject& object = *sim_.volume().create(path, folder);
        SecurityDescriptor& sd = object.security;
        sd = SecurityDescriptor{};
        sd.owner = owner;
        sd.group = a_.domainUsers;
        sd.control |= sd_control::kDaclAutoInherited;
        sd.dacl = std::move(explicitAces);
        if (object.parent != nullptr && !isProtected) {
            const SecurityDescriptor& parent = object.parent->security;
            const bool autoInherited = (parent.control & sd_control::kDaclAutoInherited) != 0;
            std::vector<RawAce> inherited =
                nt::inheritedAces(parent.dacl, autoInherited, folder, sd.owner, sd.group);
            sd.dacl.insert(sd.dacl.end(), inherited.begin(), inherited.end());
        }
        if (isProtected) {
            sd.control |= sd_control::kDaclProtected;
        }
        return object;
    }
    SimObject& dir(std::wstring_view path, const Sid& owner, std::vector<RawAce> aces = {},
                   bool isProtected = false) {
        return add(path, true, owner, std::move(aces), isProtected);
    }
    // A folder that is a reparse point: a junction to `target`, or a cloud
    // placeholder without one.
    void link(std::wstring_view path, const Sid& owner, std::uint32_t tag,
              std::optional<std::wstring> target) {
        SimObject& object = dir(path, owner);
        object.reparseTag = tag;
        object.reparseTarget = std::move(target);
    }
    void files(const std::wstring& folder, const Sid& owner,
               std::initializer_list<const wchar_t*> names) {
        for (const wchar_t* name : names) {
            add(folder + L"\\" + name, false, owner);
        }
    }

    void projects();
    void data();

  private:
    void apollo();
    void homes();

    SimPlatform& sim_;
    const Accounts& a_;
};

void Tree::projects() {
    const Accounts& a = a_;
    const std::wstring root = L"\\\\FS01\\Projects";
    dir(root, a.admins,
        {allow(a.system, kFull, kOiCi), allow(a.admins, kFull, kOiCi),
         allow(a.projectsRead, kReadExecute, kOiCi),
         allow(a.creatorOwner, kFull, kOiCi | kInheritOnly), allow(a.authenticated, kReadExecute)},
        true);
    apollo();
    // Confidential: protected, contractors denied.
    const std::wstring borealis = root + L"\\Borealis";
    dir(borealis, a.farid,
        {deny(a.contractors, kFull, kOiCi), allow(a.system, kFull, kOiCi),
         allow(a.admins, kFull, kOiCi), allow(a.management, kModify, kOiCi),
         allow(a.engineering, kReadExecute, kOiCi)},
        true);
    dir(borealis + L"\\Board", a.farid);
    files(borealis + L"\\Board", a.farid, {L"minutes-2025-03.docx", L"minutes-2025-06.docx"});
    dir(borealis + L"\\Contracts", a.farid);
    files(borealis + L"\\Contracts", a.farid, {L"supplier-a.pdf", L"supplier-b.pdf"});
    files(borealis, a.farid, {L"roadmap.pptx"});
    // Out of order: the explicit allow stands before the explicit deny.
    const std::wstring cassini = root + L"\\Cassini";
    dir(cassini, a.ben, {allow(a.developers, kModify, kOiCi), deny(a.lena, kWriteDelete, kOiCi)});
    dir(cassini + L"\\Data", a.ben);
    files(cassini + L"\\Data", a.ben, {L"samples.csv", L"calibration.csv"});
    files(cassini, a.ben, {L"readme.md"});
    // A tool appended an explicit ACE after the inherited ones.
    SimObject& budget =
        add(cassini + L"\\budget.xlsx", false, a.chloe, {allow(a.finance, kModify)});
    std::rotate(budget.security.dacl.begin(), budget.security.dacl.begin() + 1,
                budget.security.dacl.end());
    // Granted to an account deleted since.
    const std::wstring dorado = root + L"\\Dorado";
    dir(dorado, a.tom, {allow(a.tom, kModify, kOiCi)});
    dir(dorado + L"\\Measurements", a.tom);
    files(dorado + L"\\Measurements", a.tom, {L"run-01.dat", L"run-02.dat", L"run-03.dat"});
    files(dorado, a.tom, {L"handover.txt"});
    // Files only: Projects Modify may change the files, not the folders.
    const std::wstring templates = root + L"\\Templates";
    dir(templates, a.admins,
        {allow(a.projectsModify, kModify, ace_flag::kObjectInherit | kInheritOnly)});
    dir(templates + L"\\Word", a.admins);
    files(templates + L"\\Word", a.anna, {L"letter.dotx", L"report.dotx"});
    files(templates, a.admins, {L"project-charter.docx"});
}

void Tree::apollo() {
    const Accounts& a = a_;
    const std::wstring apollo = L"\\\\FS01\\Projects\\Apollo";
    dir(apollo, a.anna, {allow(a.projectsModify, kModify, kOiCi)});
    files(apollo, a.anna, {L"overview.docx", L"schedule.xlsx"});
    std::wstring deep = apollo;
    for (const wchar_t* name : {L"Design", L"Specs", L"2025", L"Q3", L"Reviews", L"Archive"}) {
        deep += L"\\";
        deep += name;
        dir(deep, a.anna);
        files(deep, a.anna, {L"notes.txt"});
    }
    files(deep, a.david, {L"spec-v1.docx", L"spec-v2.docx", L"spec-v3.docx"});
    const std::wstring source = apollo + L"\\Source";
    dir(source, a.ben);
    for (const wchar_t* module : {L"core", L"net", L"ui"}) {
        const std::wstring folder = source + L"\\" + module;
        dir(folder, a.ben);
        files(folder, a.ben, {L"CMakeLists.txt", L"main.cpp", L"module.h"});
    }
    const std::wstring releases = apollo + L"\\Releases";
    dir(releases, a.itAdmin, {deny(a.developers, kWriteDelete, kOiCi)});
    for (const wchar_t* version : {L"2.0", L"2.1"}) {
        dir(releases + L"\\" + version, a.itAdmin);
        files(releases + L"\\" + version, a.itAdmin, {L"release-notes.txt", L"setup.msi"});
    }
    link(apollo + L"\\Latest", a.itAdmin, reparse_tag::kMountPoint,
         L"D:\\Projects\\Apollo\\Releases\\2.1");
    // Its items are in the cloud, not on the disk.
    link(apollo + L"\\Offline Media", a.anna, reparse_tag::kCloud, std::nullopt);
}

void Tree::data() {
    const Accounts& a = a_;
    dir(L"C:\\", a.admins,
        {allow(a.system, kFull, kOiCi), allow(a.admins, kFull, kOiCi),
         allow(a.users, kReadExecute, kOiCi), allow(a.creatorOwner, kFull, kOiCi | kInheritOnly)},
        true);
    dir(L"C:\\Data", a.admins, {allow(a.backupOperators, kReadExecute, kOiCi)});
    const std::wstring finance = L"C:\\Data\\Finance";
    dir(finance, a.chloe, {allow(a.financeModify, kModify, kOiCi)});
    for (const wchar_t* year : {L"2023", L"2024", L"2025"}) {
        const std::wstring folder = finance + L"\\" + year;
        dir(folder, a.chloe);
        files(folder, a.eva, {L"balance.xlsx", L"invoices.xlsx", L"payroll.xlsx"});
    }
    const std::wstring hr = L"C:\\Data\\HR";
    dir(hr, a.grace,
        {deny(a.contractors, kFull, kOiCi), allow(a.system, kFull, kOiCi),
         allow(a.admins, kFull, kOiCi), allow(a.hr, kModify, kOiCi)},
        true);
    files(hr, a.grace, {L"salaries.xlsx", L"staff-list.xlsx"});
    homes();
    const std::wstring archive = L"C:\\Data\\Archive";
    dir(archive, a.admins, {allow(a.domainUsers, kReadExecute, kOiCi)});
    for (const wchar_t* year : {L"2022", L"2023", L"2024"}) {
        dir(archive + L"\\" + year, a.admins);
        files(archive + L"\\" + year, a.admins, {L"backup-log.txt", L"index.csv"});
    }
    link(archive + L"\\Current", a.admins, reparse_tag::kMountPoint, archive + L"\\2024");
}

// Each user's folder: protected, the user in full control.
void Tree::homes() {
    const Accounts& a = a_;
    const std::wstring homes = L"C:\\Data\\Home";
    dir(homes, a.admins, {allow(a.domainUsers, kReadExecute)});
    const std::pair<const wchar_t*, Sid> users[] = {
        {L"anna.berg", a.anna},  {L"ben.okafor", a.ben}, {L"chloe.martin", a.chloe},
        {L"david.kim", a.david}, {L"eva.novak", a.eva},  {L"tom.weber", a.tom}};
    for (const auto& [name, sid] : users) {
        const std::wstring folder = homes + L"\\" + name;
        dir(folder, sid,
            {allow(sid, kFull, kOiCi), allow(a.system, kFull, kOiCi),
             allow(a.admins, kFull, kOiCi)},
            true);
        files(folder, sid, {L"Desktop.ini", L"notes.txt"});
    }
}

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (argc != 2 && !check) {
        std::fprintf(stderr,
                     "usage: make_demo_volume OUT.qvol | make_demo_volume --check IN.qvol\n");
        return 2;
    }
    const char* target = argv[argc - 1];
    SimPlatform sim;
    const Accounts accounts = addAccounts(sim);
    Tree tree(sim, accounts);
    tree.projects();
    tree.data();
    const sim::VolumeWrite written = sim::writeVolume(sim);
    if (!written.error.empty()) {
        std::fprintf(stderr, "make_demo_volume: %s\n", written.error.c_str());
        return 1;
    }
    if (check) {
        if (ReadAll(target) != written.text) {
            std::fprintf(stderr,
                         "make_demo_volume: %s is not the volume this program writes; run make "
                         "sample\n",
                         target);
            return 1;
        }
        return 0;
    }
    std::ofstream out(target, std::ios::binary);
    out << written.text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_demo_volume: could not write %s\n", target);
        return 1;
    }
    std::printf("make_demo_volume: %s written\n", target);
    return 0;
}
