#include "view/display_list.h"

#include "core/dir_list.h"

namespace quorel {

void BuildLineList(const CDirList& list, DisplayList& out) {
    out.clear();
    for (CDirEntry& e : list) {
        if (e.visible) {
            out.append(&e);
        }
    }
}

}  // namespace quorel
