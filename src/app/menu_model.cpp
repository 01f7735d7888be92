#include "app/menu_model.h"

namespace quorel {

std::wstring DepthMenuText(std::uint32_t depth) {
    if (depth == 0) {
        return L"Depth \u221E";
    }
    return L"Depth " + std::to_wstring(depth);
}

}  // namespace quorel
