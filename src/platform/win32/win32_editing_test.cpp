// The write side of the Win32 ports as the editing operations use it:
// SetFileSecurityW, the owner, the privileges, names and SID strings. Under
// Wine the calls succeed but keep only what Unix mode bits can say (see
// wine-notes), so these tests check the call paths and the errors; the
// simulated volume checks the semantics.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "core/security_reader.h"
#include "editing/acl_editor.h"
#include "editing/ownership.h"
#include "platform/sim/recording_interaction.h"
#include "platform/win32/temp_tree.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_token.h"
#include "platform/win_error.h"

namespace quorel::win32 {
namespace {

using test::TempTree;

bool holds(const SecurityDescriptor& sd, const Sid& sid) {
    return std::any_of(sd.dacl.begin(), sd.dacl.end(),
                       [&](const RawAce& a) { return a.sid() == sid; });
}

TEST(Win32Write, RestoreAndBackupPrivilegesAreEnabledBesideTakeOwnership) {
    Win32Platform platform;
    sim::RecordingInteraction ui;
    EditSettings settings;
    EXPECT_TRUE(EnableTakeOwnership(settings, platform, ui));
    EXPECT_TRUE(settings.takeOwnershipAvailable);
    EXPECT_TRUE(settings.restoreAvailable);
    EXPECT_TRUE(settings.backupRestoreAvailable);
    EXPECT_EQ(privilegeEnabled(SE_RESTORE_NAME), std::optional<bool>(true));
    EXPECT_EQ(privilegeEnabled(SE_BACKUP_NAME), std::optional<bool>(true));
    EXPECT_EQ(privilegeEnabled(SE_TAKE_OWNERSHIP_NAME), std::optional<bool>(true));
    EXPECT_TRUE(ui.messages().empty());
}

TEST(Win32Write, SidStringsAndNamesResolve) {
    Win32Platform platform;
    Sid sid;
    ASSERT_EQ(platform.sidFromString(L"S-1-5-32-544", sid), 0u);
    EXPECT_EQ(sid, well_known::administrators());
    ASSERT_EQ(platform.sidFromString(L"S-1-5-21-1-2-3-1001", sid), 0u);
    EXPECT_EQ(sid.toString(), L"S-1-5-21-1-2-3-1001");
    Sid untouched = well_known::everyone();
    EXPECT_EQ(platform.sidFromString(L"S-1-x", untouched), win_error::kInvalidSid);
    EXPECT_EQ(platform.sidFromString(L"Administrators", untouched), win_error::kInvalidSid);
    EXPECT_EQ(untouched, well_known::everyone());
    AccountInfo info;
    ASSERT_EQ(platform.lookupName(L"BUILTIN\\Administrators", sid, info), 0u);
    EXPECT_EQ(sid, well_known::administrators());
    EXPECT_EQ(platform.lookupName(L"NoSuchDomain\\nobody", sid, info), win_error::kNoneMapped);
}

class Win32Edit : public testing::Test {
  protected:
    Win32Edit() : reader_(platform_, platform_), editor_(ports(), reader_, settings_) {
        settings_.currentUserSid = platform_.currentUserSid().value_or(Sid());
    }
    EditPorts ports() { return EditPorts{platform_, platform_, platform_, ui_}; }

    Win32Platform platform_;
    sim::RecordingInteraction ui_;
    CDirList list_{ui_};
    SecurityReader reader_;
    EditSettings settings_;
    AclEditor editor_;
    TempTree tree_;
};

TEST_F(Win32Edit, PrimitivesWriteThroughSetFileSecurity) {
    const std::wstring file = tree_.makeFile(L"edited.txt");
    ASSERT_FALSE(file.empty());
    CDirEntry* e = DatasetBuilder(list_).addScanEntry(file, file, reader_);
    ASSERT_GT(e->aceCount(), 0u);
    std::uint32_t everyone = e->aceCount();
    for (std::uint32_t i = 0; i < e->aceCount(); ++i) {
        const Sid* sid = list_.accountNames().sid(e->ace(i)->account());
        if (sid != nullptr && *sid == well_known::everyone()) {
            everyone = i;
        }
    }
    ASSERT_LT(everyone, e->aceCount());

    // Everyone's read access is what mode bits can hold: its removal and
    // return are both read back.
    ASSERT_TRUE(editor_.DelTrustee(*e, everyone));
    editor_.Reread(*e);
    SecurityDescriptor sd;
    ASSERT_TRUE(platform_.readSecurity(file, sd).ok());
    EXPECT_FALSE(holds(sd, well_known::everyone()));
    ASSERT_TRUE(
        editor_.AppendTrustee(*e, Trustee::ofSid(well_known::everyone()), 0x1200A9, 0, true));
    editor_.Reread(*e);
    ASSERT_TRUE(platform_.readSecurity(file, sd).ok());
    EXPECT_TRUE(holds(sd, well_known::everyone()));
    // A name given as text is looked up, a SID text converted.
    Trustee byName{L"Everyone", L"", {}};
    EXPECT_TRUE(editor_.MergeTrustee(*e, byName, 0x1200A9, 0, true));
    editor_.Reread(*e);
    Trustee bySid{L"S-1-1-0", L"", {}};
    EXPECT_TRUE(list_.errorList().texts().empty());
    // Wine keeps no SE_DACL_PROTECTED: every write is read back, and a
    // protecting write is then an error of the entry, not a success.
    EXPECT_FALSE(editor_.AddTrusteeOfConvert(*e, bySid, 0x1200A9, 0, true));
    EXPECT_FALSE(editor_.ConvertInheritedAces(*e));
    const std::wstring differs =
        L"The ACL of " + file + L" was stored differently than it was written.";
    EXPECT_EQ(list_.errorList().texts(), (std::vector<std::wstring>{differs, differs}));
    ASSERT_TRUE(platform_.readSecurity(file, sd).ok());
    EXPECT_FALSE(sd.daclProtected());
}

TEST_F(Win32Edit, OwnershipIsTakenAndGivenBack) {
    const std::wstring file = tree_.makeFile(L"owned.txt");
    ASSERT_FALSE(file.empty());
    ASSERT_TRUE(EnableTakeOwnership(settings_, platform_, ui_));
    CDirEntry* e = DatasetBuilder(list_).addScanEntry(file, file, reader_);
    const std::wstring owner(e->ownerName());
    ASSERT_TRUE(editor_.TakeOwnership(*e));
    EXPECT_EQ(e->ownershipTaken, 1);
    EXPECT_EQ(e->ownerBackup(), owner);
    ASSERT_TRUE(editor_.GiveBackOwnership(*e));
    EXPECT_EQ(e->ownershipTaken, 0);
    EXPECT_EQ(e->ownerName(), owner);
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(Win32Edit, AMissingFileFailsWithItsMessages) {
    const std::wstring file = tree_.makeFile(L"gone.txt");
    ASSERT_FALSE(file.empty());
    CDirEntry* e = DatasetBuilder(list_).addScanEntry(file, file, reader_);
    ASSERT_TRUE(DeleteFileW(file.c_str()));
    list_.errorList().clear();
    EXPECT_EQ(editor_.DelTrustee(*e, 0).error, win_error::kFileNotFound);
    EXPECT_EQ(editor_.InsertWorkingAce(*e).inserted, false);
    EXPECT_EQ(list_.errorList().texts(),
              (std::vector<std::wstring>{L"Error getting FileSecurity in DelTrustee",
                                         L"Error getting the file security"}));
}

}  // namespace
}  // namespace quorel::win32
