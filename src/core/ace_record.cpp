#include "core/ace_record.h"

namespace quorel {

bool AceRecord::sameAceWithoutMask(const AceRecord& other, const AccountNames& names) const {
    return names.nameId(account_) == names.nameId(other.account_) && aceFlags == other.aceFlags &&
           aceType == other.aceType;
}

bool AceRecord::sameAce(const AceRecord& other, const AccountNames& names) const {
    return sameAceWithoutMask(other, names) && accessMask == other.accessMask;
}

}  // namespace quorel
