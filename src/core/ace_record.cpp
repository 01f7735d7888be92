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

}  // namespace quorel
