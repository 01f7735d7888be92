#include "view/ace_visibility.h"

#include "core/dir_list.h"

namespace quorel {

void ApplyAceVisibility(CDirEntry& e, bool showInheritOnly, bool hideInherited) {
    std::uint32_t shown = 0;
    for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
        AceRecord& a = *e.ace(i);
        const bool hidden =
            (!showInheritOnly && a.inheritOnly()) || (hideInherited && a.inherited());
        a.visible = hidden ? 0 : 1;
        shown += hidden ? 0 : 1;
    }
    e.visibleAceCount = shown;
}

void ApplyAceVisibility(CDirList& list, bool showInheritOnly, bool hideInherited) {
    for (CDirEntry& e : list) {
        ApplyAceVisibility(e, showInheritOnly, hideInherited);
    }
}

}  // namespace quorel
