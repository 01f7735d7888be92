#include "platform/set_entries_in_acl.h"

namespace quorel {

std::vector<RawAce> setEntriesInAcl(const std::vector<RawAce>& oldAcl,
                                    const ExplicitAccess& entry) {
    const std::uint8_t flags = entry.inheritance & 0x0F;
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
    std::size_t at = 0;
    if (type == ace_type::kAccessAllowed) {
        at = result.size();
        for (std::size_t i = 0; i < result.size(); ++i) {
            if (result[i].flags() & ace_flag::kInherited) {
                at = i;
                break;
            }
            if (result[i].type() == ace_type::kAccessAllowed) {
                at = i;
                break;
            }
        }
    }
    result.insert(result.begin() + static_cast<std::ptrdiff_t>(at), std::move(fresh));
    return result;
}

}  // namespace quorel
