#include "view/ace_visibility.h"

#include "core/dir_list.h"

namespace quorel {

void ApplyAceVisibility(CDirList& list, bool showInheritOnly, bool hideInherited) {
    for (CDirEntry& e : list) {
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
}

}  // namespace quorel
