// Our SDDL text against Windows' own conversions, for descriptors built in
// memory: ConvertSecurityDescriptorToStringSecurityDescriptorW writes the
// same text as formatSddl, and ConvertStringSecurityDescriptorToSecurityDescriptorW
// reads that text to the descriptor parseSddl reads.

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include "platform/sddl_descriptor.h"
#include "platform/win32/win32_descriptor.h"

namespace quorel::win32 {
namespace {

PSID sidPointer(const std::optional<Sid>& sid) {
    return const_cast<std::uint8_t*>(sid->bytes().data());
}

// "ConvertSecurityDescriptorToStringSecurityDescriptorW function" on an
// absolute descriptor holding `sd`'s owner, group, DACL and DACL flags.
std::string windowsText(const SecurityDescriptor& sd) {
    SECURITY_DESCRIPTOR absolute;
    EXPECT_TRUE(InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION));
    if (sd.owner) {
        EXPECT_TRUE(SetSecurityDescriptorOwner(&absolute, sidPointer(sd.owner), FALSE));
    }
    if (sd.group) {
        EXPECT_TRUE(SetSecurityDescriptorGroup(&absolute, sidPointer(sd.group), FALSE));
    }
    AclBuffer acl;
    if (sd.daclState == DaclState::Present) {
        EXPECT_EQ(buildAcl(sd.dacl, acl), 0u);
    }
    if (sd.daclState != DaclState::Absent) {
        EXPECT_TRUE(SetSecurityDescriptorDacl(
            &absolute, TRUE, sd.daclState == DaclState::Present ? acl.get() : nullptr, FALSE));
    }
    const SECURITY_DESCRIPTOR_CONTROL flags =
        SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED | SE_DACL_AUTO_INHERIT_REQ;
    EXPECT_TRUE(SetSecurityDescriptorControl(&absolute, flags, sd.control & flags));
    LPWSTR text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
            &absolute, SDDL_REVISION_1,
            OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            &text, nullptr)) {
        return "error " + std::to_string(GetLastError());
    }
    std::string narrow;
    for (const wchar_t* c = text; *c != 0; ++c) {
        narrow += static_cast<char>(*c);
    }
    LocalFree(text);
    return narrow;
}

// "ConvertStringSecurityDescriptorToSecurityDescriptorW function", read
// back with the descriptor accessors.
SecurityDescriptor windowsDescriptor(const std::string& text) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SecurityDescriptor out;
    const std::wstring wide(text.begin(), text.end());
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(wide.c_str(), SDDL_REVISION_1,
                                                                     &descriptor, nullptr))
        << text;
    if (descriptor != nullptr) {
        EXPECT_TRUE(describeDescriptor(descriptor, out).ok()) << text;
        LocalFree(descriptor);
    }
    return out;
}

TEST(Win32Sddl, WindowsWritesAndReadsOurTexts) {
    struct Case {
        const char* text;  // ours, and Windows' by its documentation
        // What Wine writes where it departs from that documentation (it
        // then reads the text differently too), or null.
        const char* wine;
    };
    const Case cases[] = {
        {"O:BAG:SYD:PAI(A;OICI;FA;;;SY)(A;OICIIO;GA;;;CO)(A;OICIID;0x1200a9;;;BU)"
         "(D;NPIOID;SDGXGWGR;;;AU)",
         nullptr},
        {"O:S-1-5-21-7-8-9-1001D:(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;S-1-5-21-7-8-9-1001)"
         "(D;;FR;;;OW)(A;;FX;;;WD)(A;;FW;;;CG)(A;;GA;;;S-1-5-21-7-8-9-513)",
         nullptr},
        {"O:BA", nullptr},
        {"D:", nullptr},
        {"G:BUD:PARAI(A;;0x1f01fe;;;S-1-5-32-999)", nullptr},
        // "Security Descriptor String Format": a null DACL is
        // "NO_ACCESS_CONTROL". Wine writes an empty DACL's text instead and
        // reads NO_ACCESS_CONTROL as an empty DACL.
        {"G:BUD:NO_ACCESS_CONTROL", "G:BUD:"},
        // "ACE Strings": object ACEs are OA and OD with their GUIDs. Wine
        // writes neither the type nor the GUIDs and cannot read them.
        {"D:PAI(OA;CI;RPWP;0f0e0d0c-1110-1312-1415-161718191a1b;"
         "1f1e1d1c-2120-2322-2425-262728292a2b;PS)(OD;;CR;0f0e0d0c-1110-1312-1415-161718191a1b;;"
         "WD)",
         "D:PAI(;CI;RPWP;;;PS)(;;CR;;;WD)"},
    };
    for (const Case& c : cases) {
        SddlDescriptorParse ours = parseSddl(c.text);
        ASSERT_TRUE(ours.ok()) << c.text << ": " << ours.errorText();
        ASSERT_EQ(formatSddl(*ours.descriptor), c.text);
        EXPECT_EQ(windowsText(*ours.descriptor), c.wine ? c.wine : c.text);
        if (c.wine != nullptr) {
            continue;
        }
        const SecurityDescriptor windows = windowsDescriptor(c.text);
        EXPECT_EQ(windows.owner, ours.descriptor->owner) << c.text;
        EXPECT_EQ(windows.group, ours.descriptor->group) << c.text;
        EXPECT_EQ(windows.daclState, ours.descriptor->daclState) << c.text;
        EXPECT_EQ(windows.dacl, ours.descriptor->dacl) << c.text;
        EXPECT_EQ(windows.control & 0x1504, ours.descriptor->control & 0x1504) << c.text;
    }
}

}  // namespace
}  // namespace quorel::win32
