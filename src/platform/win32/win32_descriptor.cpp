#include "platform/win32/win32_descriptor.h"

#include <cstddef>
#include <optional>

#include "platform/win32/win32_error.h"

namespace quorel::win32 {

namespace {

// The largest ACL: AclSize is a WORD and a multiple of 4.
constexpr std::size_t kMaxAclBytes = 65532;

std::optional<Sid> sidAt(PSID sid) {
    if (sid == nullptr || !IsValidSid(sid)) {
        return std::nullopt;
    }
    return Sid::fromBytes(static_cast<const std::uint8_t*>(sid), GetLengthSid(sid));
}

// A copy of ACE `index` of `acl`, or empty bytes when GetAce cannot return
// it or its stated size does not fit inside the ACL.
RawAce aceAt(PACL acl, DWORD index) {
    RawAce ace;
    void* raw = nullptr;
    if (!GetAce(acl, index, &raw) || raw == nullptr) {
        return ace;
    }
    const auto* begin = static_cast<const std::uint8_t*>(raw);
    const auto* aclBegin = reinterpret_cast<const std::uint8_t*>(acl);
    const auto* aclEnd = aclBegin + acl->AclSize;
    if (begin < aclBegin + sizeof(ACL) ||
        aclEnd - begin < static_cast<std::ptrdiff_t>(sizeof(ACE_HEADER))) {
        return ace;
    }
    const std::size_t size = static_cast<const ACE_HEADER*>(raw)->AceSize;
    if (size < sizeof(ACE_HEADER) || size > static_cast<std::size_t>(aclEnd - begin)) {
        return ace;
    }
    ace.bytes.assign(begin, begin + size);
    return ace;
}

}  // namespace

SdReadStatus describeDescriptor(PSECURITY_DESCRIPTOR descriptor, SecurityDescriptor& out) {
    out.owner.reset();
    out.group.reset();
    out.control = 0;
    out.daclState = DaclState::Absent;
    out.dacl.clear();

    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(descriptor, &control, &revision)) {
        return {SdStep::Control, lastError()};
    }
    out.control = control;

    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted)) {
        return {SdStep::Owner, lastError()};
    }
    out.owner = sidAt(owner);

    PSID group = nullptr;
    if (!GetSecurityDescriptorGroup(descriptor, &group, &defaulted)) {
        return {SdStep::Group, lastError()};
    }
    out.group = sidAt(group);

    BOOL present = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
        return {SdStep::Dacl, lastError()};
    }
    if (!present) {
        return {};
    }
    if (dacl == nullptr) {
        out.daclState = DaclState::Null;
        return {};
    }
    out.daclState = DaclState::Present;

    ACL_SIZE_INFORMATION info{};
    if (!GetAclInformation(dacl, &info, sizeof(info), AclSizeInformation)) {
        return {SdStep::AclInformation, lastError()};
    }
    out.dacl.reserve(info.AceCount);
    for (DWORD i = 0; i < info.AceCount; ++i) {
        out.dacl.push_back(aceAt(dacl, i));
    }
    return {};
}

std::uint32_t buildAcl(const std::vector<RawAce>& aces, AclBuffer& acl) {
    std::size_t total = sizeof(ACL);
    bool objectTypes = false;
    for (const RawAce& ace : aces) {
        const std::size_t size = ace.bytes.size();
        if (size < 8 || size % sizeof(DWORD) != 0 ||
            (static_cast<std::size_t>(ace.bytes[2]) | static_cast<std::size_t>(ace.bytes[3])
                                                          << 8) != size) {
            return ERROR_INVALID_PARAMETER;
        }
        total += size;
        if (total > kMaxAclBytes) {
            return ERROR_ALLOTTED_SPACE_EXCEEDED;
        }
        // Object ACEs (and every later type) need the directory-service
        // revision; the first four types fit the basic one.
        objectTypes = objectTypes || ace.type() > ACCESS_MAX_MS_V2_ACE_TYPE;
    }
    const DWORD revision = objectTypes ? ACL_REVISION_DS : ACL_REVISION;

    acl.allocate(total);
    if (!InitializeAcl(acl.get(), static_cast<DWORD>(total), revision)) {
        return lastError();
    }
    for (const RawAce& ace : aces) {
        // MAXDWORD appends. Wine ignores the index and always appends, so
        // the ACEs are added in order and never inserted.
        if (!AddAce(acl.get(), revision, MAXDWORD, const_cast<std::uint8_t*>(ace.bytes.data()),
                    static_cast<DWORD>(ace.bytes.size()))) {
            return lastError();
        }
    }
    return 0;
}

}  // namespace quorel::win32
