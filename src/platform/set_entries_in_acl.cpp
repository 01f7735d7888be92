#include "platform/set_entries_in_acl.h"

#include "platform/nt_rules.h"

namespace quorel {

std::vector<RawAce> setEntriesInAcl(const std::vector<RawAce>& oldAcl,
                                    const ExplicitAccess& entry) {
    const std::uint8_t flags = entry.inheritance & ace_flag::kInheritance;
    const std::uint8_t type = entry.mode == ExplicitAccess::Mode::Grant ? ace_type::kAccessAllowed
                                                                        : ace_type::kAccessDenied;
    std::vector<RawAce> result = oldAcl;
    for (RawAce& ace : result) {
        if (ace.type() == type && (ace.flags() & ace_flag::kInherited) == 0 &&
            ace.flags() == flags && ace.sid() == entry.trustee) {
            ace.setMask(ace.mask() | entry.mask);
            return result;
        }
    }
    RawAce fresh = RawAce::make(type, flags, entry.mask, entry.trustee);
    const std::size_t at = nt::canonicalInsertIndex(result, type == ace_type::kAccessDenied);
    result.insert(result.begin() + static_cast<std::ptrdiff_t>(at), std::move(fresh));
    return result;
}

}  // namespace quorel
