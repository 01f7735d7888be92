// SecurityPort of Win32Platform on a real folder tree.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/win32/temp_tree.h"
#include "platform/win32/win32_descriptor.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_security.h"
#include "platform/win32/win32_token.h"
#include "platform/win_error.h"

namespace quorel::win32 {
namespace {

using test::TempTree;

const std::wstring kUnicodeName = L"Gr\u00fc\u00dfe_\u65e5\u672c_\xD83D\xDE00";

// A descriptor no read can produce, to see what a call leaves untouched.
SecurityDescriptor sentinel() {
    SecurityDescriptor sd;
    sd.owner = Sid::make(9, {9});
    sd.group = Sid::make(9, {8});
    sd.control = 0x1234;
    sd.daclState = DaclState::Null;
    sd.dacl = {RawAce::make(ace_type::kAccessDenied, 0, 1, Sid::make(9, {7}))};
    return sd;
}

bool sameDescriptor(const SecurityDescriptor& a, const SecurityDescriptor& b) {
    return a.owner == b.owner && a.group == b.group && a.control == b.control &&
           a.daclState == b.daclState && a.dacl == b.dacl;
}

const RawAce* aceFor(const SecurityDescriptor& sd, const Sid& sid) {
    auto it = std::find_if(sd.dacl.begin(), sd.dacl.end(),
                           [&](const RawAce& ace) { return ace.sid() == sid; });
    return it == sd.dacl.end() ? nullptr : &*it;
}

class Win32Security : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(tree_.root().empty()) << "no temporary folder";
        user_ = platform_.currentUserSid();
        ASSERT_TRUE(user_.has_value());
    }

    SecurityDescriptor read(const std::wstring& path) {
        SecurityDescriptor sd = sentinel();
        const SdReadStatus status = platform_.readSecurity(path, sd);
        EXPECT_TRUE(status.ok()) << testing::PrintToString(path) << ": step "
                                 << static_cast<int>(status.failedStep) << ", error "
                                 << status.error;
        return sd;
    }

    // What every file and folder descriptor has, here and on Windows.
    void expectWellFormed(const SecurityDescriptor& sd) {
        EXPECT_EQ(sd.control & (sd_control::kSelfRelative | sd_control::kDaclPresent),
                  sd_control::kSelfRelative | sd_control::kDaclPresent);
        ASSERT_TRUE(sd.owner.has_value());
        ASSERT_TRUE(sd.group.has_value());
        AccountInfo owner;
        EXPECT_EQ(platform_.lookupSid(L"", *sd.owner, owner), 0u);
        EXPECT_EQ(sd.daclState, DaclState::Present);
        EXPECT_FALSE(sd.dacl.empty());
        for (const RawAce& ace : sd.dacl) {
            EXPECT_GE(ace.bytes.size(), 16u);
            EXPECT_TRUE(ace.sid().has_value());
        }
    }

    TempTree tree_;
    Win32Platform platform_;
    std::optional<Sid> user_;
};

TEST_F(Win32Security, ReadsOwnerGroupAndDaclOfAFile) {
    const std::wstring file = tree_.makeFile(L"file.txt");
    ASSERT_FALSE(file.empty());
    const SecurityDescriptor sd = read(file);
    expectWellFormed(sd);
    if (!test::runningUnderWine()) {
        return;
    }
    // Wine makes the descriptor from the Unix owner and mode bits.
    EXPECT_EQ(sd.owner, user_);
    AccountInfo owner;
    ASSERT_EQ(platform_.lookupSid(L"", *sd.owner, owner), 0u);
    EXPECT_EQ(owner.name, platform_.currentUserName());
    EXPECT_EQ(sd.control, sd_control::kSelfRelative | sd_control::kDaclPresent);
    EXPECT_EQ(sd.dacl,
              (std::vector<RawAce>{
                  RawAce::make(ace_type::kAccessAllowed, 0, access::kFileAllAccess,
                               well_known::localSystem()),
                  RawAce::make(ace_type::kAccessAllowed, 0, access::kFileAllAccess, *user_),
                  RawAce::make(ace_type::kAccessAllowed, 0, 0x1200a9, well_known::everyone()),
              }));
}

TEST_F(Win32Security, ReadsAFolderWithInheritableAces) {
    const std::wstring folder = tree_.makeDir(L"folder");
    ASSERT_FALSE(folder.empty());
    const SecurityDescriptor sd = read(folder);
    expectWellFormed(sd);
    if (!test::runningUnderWine()) {
        return;
    }
    EXPECT_EQ(sd.owner, user_);
    const RawAce* everyone = aceFor(sd, well_known::everyone());
    ASSERT_NE(everyone, nullptr);
    EXPECT_EQ(everyone->type(), ace_type::kAccessAllowed);
    EXPECT_EQ(everyone->mask(), 0x1200a9u);
    EXPECT_EQ(everyone->flags(), ace_flag::kObjectInherit | ace_flag::kContainerInherit);
}

TEST_F(Win32Security, DotEntriesReadTheFolderAndItsParent) {
    ASSERT_FALSE(tree_.makeDir(L"parent").empty());
    ASSERT_FALSE(tree_.makeDir(L"parent\\child").empty());
    const SecurityDescriptor child = read(tree_.path(L"parent\\child"));
    const SecurityDescriptor parent = read(tree_.path(L"parent"));
    EXPECT_TRUE(sameDescriptor(read(tree_.path(L"parent\\child\\.")), child));
    EXPECT_TRUE(sameDescriptor(read(tree_.path(L"parent\\child\\..")), parent));
}

TEST_F(Win32Security, MissingFileFailsAtGetFileSecurityAndLeavesTheOutputAlone) {
    SecurityDescriptor sd = sentinel();
    SdReadStatus status = platform_.readSecurity(tree_.path(L"missing.txt"), sd);
    EXPECT_EQ(status.failedStep, SdStep::GetFileSecurity);
    EXPECT_EQ(status.error, win_error::kFileNotFound);
    EXPECT_TRUE(sameDescriptor(sd, sentinel()));

    status = platform_.readSecurity(tree_.path(L"missing\\below.txt"), sd);
    EXPECT_EQ(status.failedStep, SdStep::GetFileSecurity);
    EXPECT_NE(status.error, 0u);  // 3 on Windows; Wine says 2
    EXPECT_TRUE(sameDescriptor(sd, sentinel()));
}

TEST_F(Win32Security, ReadsPathsLongerThanMaxPath) {
    std::wstring relative = L"long";
    ASSERT_FALSE(tree_.makeDir(relative).empty());
    while (tree_.path(relative).size() <= 300) {
        relative += L"\\a_folder_name_that_is_rather_long";
        ASSERT_FALSE(tree_.makeDir(relative).empty());
    }
    const std::wstring file = tree_.makeFile(relative + L"\\deep.txt");
    ASSERT_FALSE(file.empty());
    ASSERT_GT(file.size(), 300u);
    expectWellFormed(read(file));
    expectWellFormed(read(tree_.path(relative)));
}

TEST_F(Win32Security, ReadsNonAsciiAndNonBmpNames) {
    const std::wstring file = tree_.makeFile(kUnicodeName);
    const std::wstring folder = tree_.makeDir(kUnicodeName + L"_dir");
    ASSERT_FALSE(file.empty());
    ASSERT_FALSE(folder.empty());
    expectWellFormed(read(file));
    expectWellFormed(read(folder));
}

TEST_F(Win32Security, WrittenDaclIsWhatIsReadBack) {
    const std::wstring file = tree_.makeFile(L"written.txt");
    ASSERT_FALSE(file.empty());
    const SecurityDescriptor before = read(file);
    ASSERT_NE(aceFor(before, well_known::everyone()), nullptr);

    // Without Everyone. Wine keeps only what the Unix mode can say, but
    // Everyone's read access is exactly such a thing.
    const std::vector<RawAce> ownerOnly{
        RawAce::make(ace_type::kAccessAllowed, 0, access::kFileAllAccess,
                     well_known::localSystem()),
        RawAce::make(ace_type::kAccessAllowed, 0, access::kFileAllAccess, *user_)};
    ASSERT_EQ(platform_.writeDacl(file, ownerOnly, DaclControl()), 0u);
    const SecurityDescriptor narrowed = read(file);
    EXPECT_EQ(aceFor(narrowed, well_known::everyone()), nullptr);
    EXPECT_NE(aceFor(narrowed, *user_), nullptr);

    // And back: the original DACL again, byte for byte.
    ASSERT_EQ(platform_.writeDacl(file, before.dacl, DaclControl()), 0u);
    EXPECT_EQ(read(file).dacl, before.dacl);

    // Protecting it is accepted as well.
    ASSERT_EQ(platform_.writeDacl(file, before.dacl, DaclControl::protectedDacl()), 0u);
    EXPECT_EQ(read(file).dacl, before.dacl);
}

TEST_F(Win32Security, MalformedDaclIsRejectedBeforeAnythingIsWritten) {
    const std::wstring file = tree_.makeFile(L"kept.txt");
    ASSERT_FALSE(file.empty());
    const SecurityDescriptor before = read(file);
    RawAce broken = RawAce::make(ace_type::kAccessAllowed, 0, 1, well_known::everyone());
    broken.bytes.resize(broken.bytes.size() - 4);  // header still says 20 bytes
    EXPECT_EQ(platform_.writeDacl(file, {broken}, DaclControl()), win_error::kInvalidParameter);
    EXPECT_EQ(platform_.writeDacl(file, {before.dacl[0], broken}, DaclControl::protectedDacl()),
              win_error::kInvalidParameter);
    EXPECT_TRUE(sameDescriptor(read(file), before));
}

TEST_F(Win32Security, WritingToAMissingFileFails) {
    const std::vector<RawAce> dacl{
        RawAce::make(ace_type::kAccessAllowed, 0, access::kFileAllAccess, *user_)};
    EXPECT_EQ(platform_.writeDacl(tree_.path(L"missing.txt"), dacl, DaclControl()),
              win_error::kFileNotFound);
    EXPECT_FALSE(test::exists(tree_.path(L"missing.txt")));
}

TEST_F(Win32Security, SetOwner) {
    const std::wstring file = tree_.makeFile(L"owned.txt");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(platform_.setOwner(file, *user_), 0u);
    EXPECT_EQ(read(file).owner, user_);
    EXPECT_EQ(platform_.setOwner(tree_.path(L"missing.txt"), *user_), win_error::kFileNotFound);
    EXPECT_EQ(platform_.setOwner(file, Sid()), win_error::kInvalidSid);
}

// The descriptor GetFileSecurityW gives for `path` by name.
SecurityDescriptor byName(const std::wstring& path) {
    SecurityDescriptor sd = sentinel();
    DWORD needed = 0;
    auto buffer = std::make_unique<std::uint8_t[]>(64 * 1024);
    if (GetFileSecurityW(
            path.c_str(),
            OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            buffer.get(), 64 * 1024, &needed)) {
        describeDescriptor(buffer.get(), sd);
    }
    return sd;
}

TEST_F(Win32Security, TheHandleForSecurityOpensFilesAndFoldersWithTheRightAskedFor) {
    const std::wstring file = tree_.makeFile(L"h.txt");
    const std::wstring folder = tree_.makeDir(L"h_dir");
    ASSERT_FALSE(file.empty());
    ASSERT_FALSE(folder.empty());
    for (const std::wstring& path : {file, folder, folder + L"\\."}) {
        for (std::uint32_t access : {READ_CONTROL, WRITE_DAC, WRITE_OWNER}) {
            std::uint32_t error = 0xDEAD;
            ScopedHandle handle = openForSecurity(path, access, error);
            EXPECT_TRUE(handle.valid()) << testing::PrintToString(path) << " " << access;
            EXPECT_EQ(error, 0u);
        }
        // Through the handle, the same descriptor as by name.
        EXPECT_TRUE(sameDescriptor(read(path), byName(path))) << testing::PrintToString(path);
    }
    std::uint32_t error = 0;
    EXPECT_FALSE(openForSecurity(tree_.path(L"missing"), READ_CONTROL, error).valid());
    EXPECT_EQ(error, win_error::kFileNotFound);
    EXPECT_FALSE(openForSecurity(tree_.path(L"missing\\deeper"), READ_CONTROL, error).valid());
    EXPECT_EQ(error, win_error::kPathNotFound);
}

TEST_F(Win32Security, WithBackupAndRestorePrivilegesEnabledReadsAndWritesWork) {
    // Wine's token is an elevated administrator's: both are held.
    ASSERT_EQ(enablePrivilege(L"SeBackupPrivilege"), 0u);
    ASSERT_EQ(enablePrivilege(L"SeRestorePrivilege"), 0u);
    EXPECT_EQ(privilegeEnabled(L"SeBackupPrivilege"), true);
    EXPECT_EQ(privilegeEnabled(L"SeRestorePrivilege"), true);
    const std::wstring folder = tree_.makeDir(L"restored");
    ASSERT_FALSE(folder.empty());
    const SecurityDescriptor before = read(folder);
    ASSERT_EQ(platform_.writeDacl(folder, before.dacl, DaclControl::autoInherited()), 0u);
    EXPECT_EQ(platform_.setOwner(folder, *user_), 0u);
    const SecurityDescriptor after = read(folder);
    EXPECT_EQ(after.dacl, before.dacl);
    EXPECT_EQ(after.owner, user_);
}

TEST_F(Win32Security, ALinksOwnSecurityIsReadAndWritten) {
    const std::wstring target = tree_.makeDir(L"target");
    ASSERT_FALSE(target.empty());
    std::wstring why;
    if (!test::makeFolderLink(tree_.path(L"link"), target, why)) {
        GTEST_SKIP() << "no symbolic link: " << testing::PrintToString(why);
    }
    const std::wstring link = tree_.path(L"link");
    expectWellFormed(read(link));
    EXPECT_EQ(platform_.setOwner(link, *user_), 0u);
    EXPECT_EQ(read(link).owner, user_);
    ASSERT_EQ(platform_.writeDacl(link, read(link).dacl, DaclControl()), 0u);
}

}  // namespace
}  // namespace quorel::win32
