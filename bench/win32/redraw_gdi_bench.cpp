// The whole cost of one redraw of the matrix on the real GDI: the layout
// pass and the painting into a 1024 x 578 memory bitmap with the program's
// fonts and cell pictures, at the top, the middle and the end of a
// 1,000,000-entry dataset and of a 1,000-entry one (the thumb dragged
// there, as WM_VSCROLL does). Prints the median of 201 redraws at each place
// and the ratio of the two sizes; a redraw must cost the same whatever the
// size of the dataset (target: ratio <= 1.2). Run under Wine or on Windows:
//
//   scripts/wine-run build/windows/bench/redraw_gdi_bench.exe

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/dir_list.h"
#include "filters/permissions.h"
#include "platform/sim/recording_interaction.h"
#include "synthetic_dataset.h"
#include "ui/win32/screen_renderer.h"
#include "view/display_list.h"
#include "view/line_layout.h"
#include "view/view_state.h"

namespace {

using namespace quorel;

constexpr int kWidth = 1024;
constexpr int kHeight = 578;
constexpr int kRuns = 201;

double Now() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(f.QuadPart);
}

// One dataset with its display list and view.
struct Subject {
    explicit Subject(std::uint32_t entries) : list(ui), entries(entries) {
        bench::buildSyntheticDataset(list, entries);
        BuildLineList(list, lines);
        view.ResetScroll(static_cast<unsigned>(lines.count()));
    }
    sim::RecordingInteraction ui;
    CDirList list;
    std::uint32_t entries;
    DisplayList lines;
    MainViewState view;
    ScreenModel model;
};

// Microseconds of one redraw after the thumb was dragged to `thumb`.
double Redraw(Subject& s, int thumb, const LayoutMetrics& metrics, const DisplayedRights& rights,
              win32::ScreenRenderer& renderer, HDC dc) {
    const double start = Now();
    s.view.OnVerticalScroll(scroll_code::kThumbTrack, thumb);
    LayOutScreen(s.lines, s.view.top(), metrics, LayoutSwitches{}, rights, renderer, s.model);
    s.view.AdoptTop({s.model.topEntry, s.model.lineOffset});
    renderer.Paint(dc, s.model, kWidth, kHeight);
    GdiFlush();
    return Now() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    HGDIOBJ old = SelectObject(dc, bitmap);
    ReleaseDC(nullptr, screen);
    win32::ScreenRenderer renderer(96);
    if (renderer.loadFailure() != nullptr) {
        std::printf("cannot load the cell pictures\n");
        return 1;
    }
    DisplayedRights rights;
    LayoutMetrics metrics;
    metrics.clientWidth = kWidth;
    metrics.drawingHeight = kHeight;
    metrics.lineHeight = LineHeightOf(renderer.textLineHeight(), 0);
    metrics.columnWidth = ColumnWidthOf(rights, renderer);
    Subject big(1000000);
    Subject small(1000);
    std::printf(
        "One redraw (layout + GDI painting into a %d x %d memory bitmap), median of %d,\n"
        "the two datasets measured in turn:\n",
        kWidth, kHeight, kRuns);
    const char* places[3] = {"top", "middle", "end"};
    for (int place = 0; place < 3; ++place) {
        const int bigThumb = place * big.view.vScrollMax() / 2;
        const int smallThumb = place * small.view.vScrollMax() / 2;
        std::vector<double> bigTimes, smallTimes;
        for (int run = 0; run < kRuns; ++run) {
            bigTimes.push_back(Redraw(big, bigThumb, metrics, rights, renderer, dc));
            smallTimes.push_back(Redraw(small, smallThumb, metrics, rights, renderer, dc));
        }
        const double b = Median(bigTimes);
        const double s = Median(smallTimes);
        std::printf(
            "redraw at the %-6s: 1,000,000 entries %5.0f us (top entry %d, %zu lines), "
            "1,000 entries %5.0f us (top entry %d, %zu lines), ratio %.2f (target <= 1.2)\n",
            places[place], b, big.model.topEntry, big.model.lines.size(), s, small.model.topEntry,
            small.model.lines.size(), b / s);
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return 0;
}
