#include "core/ace_record.h"

namespace quorel {

bool AceRecord::sameTrustee(const AceRecord& other) const {
    const AccountNames& names = AccountNames::instance();
    return names.nameId(account_) == names.nameId(other.account_);
}

bool AceRecord::sameAceWithoutMask(const AceRecord& other) const {
    return sameTrustee(other) && aceFlags == other.aceFlags && aceType == other.aceType;
}

bool AceRecord::sameAce(const AceRecord& other) const {
    return sameAceWithoutMask(other) && accessMask == other.accessMask;
}

bool AceRecord::sameTrusteeUnderMasks(const AceRecord& other, std::uint32_t maskBits,
                                      std::uint8_t flagBits) const {
    return sameTrustee(other) && (accessMask & maskBits) == (other.accessMask & maskBits) &&
           (aceFlags & flagBits) == (other.aceFlags & flagBits);
}

bool AceRecord::extraRights(const AceRecord& other, std::uint32_t maskBits) const {
    if (!sameTrustee(other) || aceType != other.aceType || !visible || !other.visible) {
        return false;
    }
    if (aceType == 1) {
        return (maskBits & other.accessMask & ~accessMask) != 0;
    }
    return (maskBits & accessMask & ~other.accessMask) != 0;
}

}  // namespace quorel
