#include "filters/acl_diff.h"

#include <array>
#include <vector>

#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "filters/permissions.h"

namespace quorel {

bool DiffAcl(CDirEntry& entry, const CDirEntry* other) {
    if (other == nullptr) {
        return false;
    }
    // An index of kNoPartnerAce or above cannot be stored in a link.
    const std::uint32_t candidates =
        other->aceCount() < AceRecord::kNoPartnerAce ? other->aceCount() : AceRecord::kNoPartnerAce;
    // The tests of AceRecord::sameAce and sameAceWithoutMask (equal trustee
    // name ids, flags, type, and mask), with each name id looked up once
    // rather than once per pair: this runs on every linked entry. The ids
    // are those of the entry's table; `other` may be of another one.
    const AccountNames& names = entry.dataset()->accountNames();
    const AccountNames& otherNames = other->dataset()->accountNames();
    std::array<std::uint32_t, 64> fewIds;
    std::vector<std::uint32_t> manyIds;
    std::uint32_t* nameIds = fewIds.data();
    if (candidates > fewIds.size()) {
        manyIds.resize(candidates);
        nameIds = manyIds.data();
    }
    for (std::uint32_t j = 0; j < candidates; ++j) {
        nameIds[j] = names.nameIdOf(otherNames, other->ace(j)->account());
    }
    bool differs = false;
    for (std::uint32_t i = 0; i < entry.aceCount(); ++i) {
        AceRecord& a = *entry.ace(i);
        const std::uint32_t nameId = names.nameId(a.account());
        std::uint32_t exact = AceRecord::kNoPartnerAce;
        std::uint32_t sameButMask = AceRecord::kNoPartnerAce;
        // From the end, so that the first hit is the last such ACE.
        for (std::uint32_t j = candidates; j-- > 0;) {
            const AceRecord& b = *other->ace(j);
            if (nameIds[j] != nameId || b.aceFlags != a.aceFlags || b.aceType != a.aceType) {
                continue;
            }
            if (b.accessMask == a.accessMask) {
                exact = j;
                break;
            }
            if (sameButMask == AceRecord::kNoPartnerAce) {
                sameButMask = j;
            }
        }
        if (exact == AceRecord::kNoPartnerAce) {
            differs = true;
        }
        a.partnerAce =
            static_cast<std::uint16_t>(exact != AceRecord::kNoPartnerAce ? exact : sameButMask);
    }
    return differs;
}

bool IsNewAce(const CDirEntry& entry, const AceRecord& ace) {
    return entry.partner != nullptr && !ace.hasPartnerAce();
}

std::uint32_t MissingAceCount(const CDirEntry& entry) {
    const CDirEntry* other = entry.partner;
    std::uint32_t count = 0;
    for (std::uint32_t j = 0; other != nullptr && j < other->aceCount(); ++j) {
        const AceRecord& b = *other->ace(j);
        count += b.visible && !b.hasPartnerAce() ? 1u : 0u;
    }
    return count;
}

std::uint32_t ChangedCells(const CDirEntry& entry, const AceRecord& ace,
                           const DisplayedRights& rights) {
    const AceRecord* counterpart = entry.partnerAceOf(ace);
    if (counterpart == nullptr) {
        return 0;
    }
    std::uint32_t changed = 0;
    for (std::size_t i = 0; i < rights.count(); ++i) {
        const std::uint32_t mask = rights.column(i).mask;
        if (rights.AceHasRight(ace, mask, false, false) !=
            rights.AceHasRight(*counterpart, mask, false, false)) {
            changed |= 1u << i;
        }
    }
    return changed;
}

}  // namespace quorel
