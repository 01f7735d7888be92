#include "editing/dacl_write.h"

#include "platform/nt_rules.h"

namespace quorel {

namespace {

bool inherited(const RawAce& ace) {
    return (ace.flags() & ace_flag::kInherited) != 0;
}

std::vector<RawAce> inheritedOf(const std::vector<RawAce>& dacl) {
    std::vector<RawAce> result;
    for (const RawAce& ace : dacl) {
        if (inherited(ace)) {
            result.push_back(ace);
        }
    }
    return result;
}

bool explicitFirst(const std::vector<RawAce>& dacl) {
    bool seenInherited = false;
    for (const RawAce& ace : dacl) {
        if (inherited(ace)) {
            seenInherited = true;
        } else if (seenInherited) {
            return false;
        }
    }
    return true;
}

}  // namespace

DaclWritePlan planDaclWrite(const std::vector<RawAce>& onDisk, const std::vector<RawAce>& dacl,
                            bool protect, bool autoInherited) {
    DaclWritePlan plan;
    if (protect) {
        plan.writes = {DaclControl::protectedDacl()};
        plan.expectProtected = true;
        return plan;
    }
    if (!autoInherited || !explicitFirst(dacl)) {
        plan.writes = {DaclControl()};
        plan.expectAutoInherited = false;
        return plan;
    }
    if (inheritedOf(dacl) != inheritedOf(onDisk)) {
        plan.writes.push_back(DaclControl());
    }
    plan.writes.push_back(DaclControl::autoInherited());
    plan.expectAutoInherited = true;
    return plan;
}

bool storedAsPlanned(const DaclWritePlan& plan, const std::vector<RawAce>& written,
                     const SecurityDescriptor& readBack) {
    if (readBack.daclState != DaclState::Present || !nt::storedAsWritten(written, readBack.dacl) ||
        readBack.daclProtected() != plan.expectProtected) {
        return false;
    }
    const bool autoInherited = (readBack.control & sd_control::kDaclAutoInherited) != 0;
    return !plan.expectAutoInherited || *plan.expectAutoInherited == autoInherited;
}

}  // namespace quorel
