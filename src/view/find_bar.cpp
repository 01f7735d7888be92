#include "view/find_bar.h"

namespace quorel {

std::array<ControlPlace, 5> FindBarPlaces(int drawingHeight, bool atCreation) {
    const int h = drawingHeight;
    // WM_CREATE puts the bar two pixels higher than WM_SIZE does; the first
    // resize moves it to its place. The last box keeps its width of 240: in
    // 120 pixels the dialog font cuts its text short.
    const int editY = h - (atCreation ? 29 : 27);
    const int buttonY = h - (atCreation ? 30 : 28);
    const int lastWidth = 240;
    return {{{find_bar::kText, L"", 100, editY, 200, 20},
             {find_bar::kPrevious, L"find prev", 330, buttonY, 100, 22},
             {find_bar::kNext, L"find next", 440, buttonY, 100, 22},
             {find_bar::kHighlight, L"highlight", 550, buttonY, 100, 22},
             {find_bar::kShowMatchingOnly, L"show matching only", 660, buttonY, lastWidth, 22}}};
}

FindLabel FindBarLabel(int drawingHeight) {
    return {10, drawingHeight - 28, L"Find"};
}

}  // namespace quorel
