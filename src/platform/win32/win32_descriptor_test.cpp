#include "platform/win32/win32_descriptor.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/win_error.h"

namespace quorel::win32 {
namespace {

PSID sidPointer(const Sid& sid) {
    return const_cast<std::uint8_t*>(sid.bytes().data());
}

std::vector<RawAce> mixedAces() {
    return {
        RawAce::make(ace_type::kAccessAllowed,
                     ace_flag::kObjectInherit | ace_flag::kContainerInherit, access::kFileAllAccess,
                     well_known::localSystem()),
        RawAce::make(ace_type::kAccessDenied, 0, access::kWriteDac, well_known::everyone()),
        RawAce::makeObject(ace_type::kAccessAllowedObject, ace_flag::kInherited, 0x30,
                           well_known::administrators()),
        RawAce::make(ace_type::kAccessAllowed, ace_flag::kInherited | ace_flag::kInheritOnly,
                     access::kGenericRead, Sid::make(5, {21, 1, 2, 3, 1001})),
    };
}

TEST(BuildAcl, KeepsEveryAceByteForByteAndInOrder) {
    const std::vector<RawAce> aces = mixedAces();
    AclBuffer acl;
    ASSERT_EQ(buildAcl(aces, acl), 0u);
    EXPECT_EQ(acl.get()->AceCount, aces.size());
    std::size_t bytes = sizeof(ACL);
    for (std::size_t i = 0; i < aces.size(); ++i) {
        void* ace = nullptr;
        ASSERT_TRUE(GetAce(acl.get(), static_cast<DWORD>(i), &ace));
        const auto* begin = static_cast<const std::uint8_t*>(ace);
        EXPECT_EQ(std::vector<std::uint8_t>(begin, begin + aces[i].bytes.size()), aces[i].bytes)
            << "ACE " << i;
        bytes += aces[i].bytes.size();
    }
    EXPECT_EQ(acl.get()->AclSize, bytes);
    EXPECT_TRUE(IsValidAcl(acl.get()));
}

TEST(BuildAcl, RevisionFollowsTheAceTypes) {
    AclBuffer basic;
    ASSERT_EQ(buildAcl({RawAce::make(ace_type::kAccessAllowed, 0, 1, well_known::users()),
                        RawAce::make(ace_type::kAccessDenied, 0, 1, well_known::users())},
                       basic),
              0u);
    EXPECT_EQ(basic.get()->AclRevision, ACL_REVISION);

    AclBuffer withObject;
    ASSERT_EQ(buildAcl(mixedAces(), withObject), 0u);
    EXPECT_EQ(withObject.get()->AclRevision, ACL_REVISION_DS);
}

TEST(BuildAcl, NoAcesGiveAnEmptyAcl) {
    AclBuffer acl;
    ASSERT_EQ(buildAcl({}, acl), 0u);
    EXPECT_EQ(acl.get()->AceCount, 0);
    EXPECT_EQ(acl.get()->AclSize, sizeof(ACL));
}

TEST(BuildAcl, RejectsMalformedAces) {
    const RawAce good = RawAce::make(ace_type::kAccessAllowed, 0, 1, well_known::users());

    RawAce tooShort;
    tooShort.bytes = {0, 0, 4, 0};
    RawAce sizeMismatch = good;
    sizeMismatch.bytes[2] = static_cast<std::uint8_t>(good.bytes.size() + 4);
    RawAce notAligned = good;
    notAligned.bytes.push_back(0);
    notAligned.bytes[2] = static_cast<std::uint8_t>(notAligned.bytes.size());
    for (const RawAce& bad : {RawAce{}, tooShort, sizeMismatch, notAligned}) {
        AclBuffer acl;
        // The bad ACE anywhere in the list fails the whole ACL.
        EXPECT_EQ(buildAcl({good, bad}, acl), win_error::kInvalidParameter)
            << testing::PrintToString(bad.bytes);
        EXPECT_EQ(buildAcl({bad, good}, acl), win_error::kInvalidParameter);
    }
}

RawAce aceOfSize(std::size_t size) {
    RawAce ace = RawAce::make(ace_type::kAccessAllowed, 0, 1, well_known::localSystem());
    ace.bytes.resize(size, 0);
    ace.bytes[2] = static_cast<std::uint8_t>(size);
    ace.bytes[3] = static_cast<std::uint8_t>(size >> 8);
    return ace;
}

TEST(BuildAcl, AclOf65532BytesIsTheLargest) {
    // 8 bytes of ACL header plus 65524 bytes of ACE: the largest ACL.
    AclBuffer largest;
    const RawAce fits = aceOfSize(65524);
    ASSERT_EQ(buildAcl({fits}, largest), 0u);
    EXPECT_EQ(largest.get()->AclSize, 65532);

    SecurityDescriptor out;
    SECURITY_DESCRIPTOR sd;
    ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, largest.get(), FALSE));
    ASSERT_TRUE(describeDescriptor(&sd, out).ok());
    ASSERT_EQ(out.dacl.size(), 1u);
    EXPECT_EQ(out.dacl[0], fits);

    AclBuffer tooLarge;
    EXPECT_EQ(buildAcl({aceOfSize(65528)}, tooLarge), 1344u);  // ERROR_ALLOTTED_SPACE_EXCEEDED
    EXPECT_EQ(buildAcl({aceOfSize(32764), aceOfSize(32764)}, tooLarge), 1344u);
}

class DescribeDescriptor : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(InitializeSecurityDescriptor(&sd_, SECURITY_DESCRIPTOR_REVISION));
        // What the caller had before: none of it may survive a read.
        out_.owner = well_known::everyone();
        out_.group = well_known::everyone();
        out_.control = 0xFFFF;
        out_.daclState = DaclState::Present;
        out_.dacl = {RawAce::make(ace_type::kAccessDenied, 0, 1, well_known::everyone())};
    }

    SECURITY_DESCRIPTOR sd_;
    SecurityDescriptor out_;
};

TEST_F(DescribeDescriptor, ReadsOwnerGroupControlAndEveryAce) {
    const Sid owner = well_known::administrators();
    const Sid group = well_known::users();
    AclBuffer acl;
    ASSERT_EQ(buildAcl(mixedAces(), acl), 0u);
    ASSERT_TRUE(SetSecurityDescriptorOwner(&sd_, sidPointer(owner), FALSE));
    ASSERT_TRUE(SetSecurityDescriptorGroup(&sd_, sidPointer(group), FALSE));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&sd_, TRUE, acl.get(), FALSE));
    ASSERT_TRUE(SetSecurityDescriptorControl(&sd_, SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED,
                                             SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED));

    const SdReadStatus status = describeDescriptor(&sd_, out_);
    EXPECT_TRUE(status.ok());
    EXPECT_EQ(status.error, 0u);
    EXPECT_EQ(out_.owner, owner);
    EXPECT_EQ(out_.group, group);
    EXPECT_EQ(out_.control, 0x1404);  // protected, auto-inherited, DACL present
    EXPECT_TRUE(out_.daclProtected());
    EXPECT_EQ(out_.daclState, DaclState::Present);
    EXPECT_EQ(out_.dacl, mixedAces());
}

TEST_F(DescribeDescriptor, SelfRelativeFormReadsTheSame) {
    // GetFileSecurityW returns this form.
    const Sid owner = Sid::make(5, {21, 7, 8, 9, 500});
    AclBuffer acl;
    ASSERT_EQ(buildAcl(mixedAces(), acl), 0u);
    ASSERT_TRUE(SetSecurityDescriptorOwner(&sd_, sidPointer(owner), FALSE));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&sd_, TRUE, acl.get(), FALSE));
    DWORD size = 0;
    MakeSelfRelativeSD(&sd_, nullptr, &size);
    ASSERT_GT(size, 0u);
    auto relative = std::make_unique<std::uint64_t[]>(size / 8 + 1);
    ASSERT_TRUE(MakeSelfRelativeSD(&sd_, relative.get(), &size));

    ASSERT_TRUE(describeDescriptor(relative.get(), out_).ok());
    EXPECT_EQ(out_.control, sd_control::kSelfRelative | sd_control::kDaclPresent);
    EXPECT_EQ(out_.owner, owner);
    EXPECT_FALSE(out_.group.has_value());
    EXPECT_EQ(out_.dacl, mixedAces());
}

TEST_F(DescribeDescriptor, NoDaclIsAbsentAndNoOwnerOrGroupIsEmpty) {
    ASSERT_TRUE(describeDescriptor(&sd_, out_).ok());
    EXPECT_FALSE(out_.owner.has_value());
    EXPECT_FALSE(out_.group.has_value());
    EXPECT_EQ(out_.control, 0);
    EXPECT_EQ(out_.daclState, DaclState::Absent);
    EXPECT_TRUE(out_.dacl.empty());
}

TEST_F(DescribeDescriptor, NullDaclIsNull) {
    ASSERT_TRUE(SetSecurityDescriptorDacl(&sd_, TRUE, nullptr, FALSE));
    ASSERT_TRUE(describeDescriptor(&sd_, out_).ok());
    EXPECT_EQ(out_.control, sd_control::kDaclPresent);
    EXPECT_EQ(out_.daclState, DaclState::Null);
    EXPECT_TRUE(out_.dacl.empty());
}

TEST_F(DescribeDescriptor, EmptyDaclIsPresentWithoutAces) {
    AclBuffer acl;
    ASSERT_EQ(buildAcl({}, acl), 0u);
    ASSERT_TRUE(SetSecurityDescriptorDacl(&sd_, TRUE, acl.get(), FALSE));
    ASSERT_TRUE(describeDescriptor(&sd_, out_).ok());
    EXPECT_EQ(out_.daclState, DaclState::Present);
    EXPECT_TRUE(out_.dacl.empty());
}

TEST_F(DescribeDescriptor, UnknownRevisionFailsAtTheControlStepWithNothingRead) {
    alignas(8) std::uint8_t zeros[64] = {};
    const SdReadStatus status = describeDescriptor(zeros, out_);
    EXPECT_EQ(status.failedStep, SdStep::Control);
    EXPECT_EQ(status.error, 1305u);  // ERROR_UNKNOWN_REVISION
    EXPECT_FALSE(out_.owner.has_value());
    EXPECT_FALSE(out_.group.has_value());
    EXPECT_EQ(out_.control, 0);
    EXPECT_EQ(out_.daclState, DaclState::Absent);
    EXPECT_TRUE(out_.dacl.empty());
}

// An ACL of two ACEs written with InitializeAcl and AddAce into zeroed
// storage larger than the ACL, for tests that then corrupt it.
class CorruptAcl : public DescribeDescriptor {
  protected:
    void SetUp() override {
        DescribeDescriptor::SetUp();
        ASSERT_TRUE(InitializeAcl(acl(), 256, ACL_REVISION));
        for (const RawAce& ace : {first_, second_}) {
            ASSERT_TRUE(AddAce(acl(), ACL_REVISION, MAXDWORD,
                               const_cast<std::uint8_t*>(ace.bytes.data()),
                               static_cast<DWORD>(ace.bytes.size())));
        }
        ASSERT_TRUE(SetSecurityDescriptorDacl(&sd_, TRUE, acl(), FALSE));
    }

    PACL acl() { return reinterpret_cast<PACL>(storage_); }
    std::uint8_t* secondAce() { return storage_ + sizeof(ACL) + first_.bytes.size(); }

    alignas(8) std::uint8_t storage_[512] = {};
    const RawAce first_ = RawAce::make(ace_type::kAccessAllowed, 0, 7, well_known::users());
    const RawAce second_ = RawAce::make(ace_type::kAccessDenied, 0, 9, well_known::everyone());
};

TEST_F(CorruptAcl, IntactAclReadsBothAces) {
    ASSERT_TRUE(describeDescriptor(&sd_, out_).ok());
    EXPECT_EQ(out_.dacl, (std::vector<RawAce>{first_, second_}));
}

TEST_F(CorruptAcl, AceCountBeyondTheStoredAcesGivesEmptyAces) {
    acl()->AceCount = 3;
    const SdReadStatus status = describeDescriptor(&sd_, out_);
    ASSERT_TRUE(status.ok()) << static_cast<int>(status.failedStep) << " " << status.error;
    ASSERT_EQ(out_.dacl.size(), 3u);
    EXPECT_EQ(out_.dacl[0], first_);
    EXPECT_EQ(out_.dacl[1], second_);
    EXPECT_TRUE(out_.dacl[2].bytes.empty());
}

TEST_F(CorruptAcl, AceRunningPastTheAclEndIsNotCopied) {
    ASSERT_EQ(secondAce()[0], ace_type::kAccessDenied);
    secondAce()[2] = 0xF0;  // 240 bytes, where the ACL below ends 32 bytes in
    acl()->AclSize = static_cast<WORD>(sizeof(ACL) + first_.bytes.size() + 32);
    const SdReadStatus status = describeDescriptor(&sd_, out_);
    ASSERT_TRUE(status.ok()) << static_cast<int>(status.failedStep) << " " << status.error;
    ASSERT_EQ(out_.dacl.size(), 2u);
    EXPECT_EQ(out_.dacl[0], first_);
    EXPECT_TRUE(out_.dacl[1].bytes.empty());
}

}  // namespace
}  // namespace quorel::win32
