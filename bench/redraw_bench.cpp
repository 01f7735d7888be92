// The cost of one redraw's layout pass (the thumb dragged to a position,
// the top normalised, one screen laid out) at the top, the middle and the
// end of a 1,000,000-entry dataset and of a 1,000-entry one, in callgrind
// instructions, with the entries each pass laid out. A redraw must cost the
// same whatever the size of the dataset: target 1,000,000 <= 1.2 x 1,000.
//
//   build/native/bench/redraw_bench

#include <valgrind/callgrind.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "core/dir_list.h"
#include "filters/permissions.h"
#include "platform/sim/recording_interaction.h"
#include "synthetic_dataset.h"
#include "view/display_list.h"
#include "view/line_layout.h"
#include "view/view_state.h"

namespace {

using namespace quorel;

// About what the normal font gives: 7 pixels a character, 8 in bold.
class FixedWidth : public TextMeasure {
  public:
    int textWidth(std::wstring_view text, Font font) const override {
        return static_cast<int>(text.size()) * (font == Font::Bold ? 8 : 7);
    }
};

constexpr const char* kPlaces[3] = {"top", "middle", "end"};

// Builds the dataset and lays out one redraw at each place; under callgrind
// only the three redraws are counted, each in its own dump.
int measure(std::uint32_t entries) {
    sim::RecordingInteraction ui;
    CDirList list(ui);
    bench::buildSyntheticDataset(list, entries);
    DisplayList lines;
    BuildLineList(list, lines);
    DisplayedRights rights;
    FixedWidth measure;
    LayoutMetrics metrics;
    metrics.clientWidth = 1024;
    metrics.drawingHeight = 600 - 22;
    metrics.lineHeight = 15;
    metrics.columnWidth = ColumnWidthOf(rights, measure);
    LayoutSwitches switches;
    MainViewState view;
    view.ResetScroll(static_cast<unsigned>(lines.count()));
    ScreenModel model;
    const int thumbs[3] = {0, view.vScrollMax() / 2, view.vScrollMax()};

    // One pass first, so that the counted ones find the model's storage.
    LayOutScreen(lines, view.top(), metrics, switches, rights, measure, model);
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        CALLGRIND_TOGGLE_COLLECT;
        view.OnVerticalScroll(scroll_code::kThumbTrack, thumbs[i]);
        LayOutScreen(lines, view.top(), metrics, switches, rights, measure, model);
        view.AdoptTop({model.topEntry, model.lineOffset});
        CALLGRIND_TOGGLE_COLLECT;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        CALLGRIND_DUMP_STATS_AT(kPlaces[i]);
        std::set<const CDirEntry*> visited;
        for (const LineSlot& slot : model.lineTable) {
            if (slot.entry != nullptr) {
                visited.insert(slot.entry);
            }
        }
        std::printf("%s: top entry %d, %zu lines, %zu entries laid out, %lld ns\n", kPlaces[i],
                    model.topEntry, model.lines.size(), visited.size(), static_cast<long long>(ns));
    }
    return 0;
}

// The instructions of each dump of one callgrind run of `measure`.
std::vector<long long> callgrindInstructions(const std::string& self, std::uint32_t entries) {
    const std::string out = "/tmp/quorel-redraw-bench.out";
    const std::string command =
        "valgrind --tool=callgrind --collect-atstart=no "
        "--callgrind-out-file=" +
        out + " " + self + " measure " + std::to_string(entries) + " > /dev/null 2> /dev/null";
    std::vector<long long> result;
    if (std::system(command.c_str()) != 0) {
        return result;
    }
    for (int i = 1; i <= 3; ++i) {
        const std::string file = out + "." + std::to_string(i);
        std::ifstream in(file);
        std::string line;
        long long total = -1;
        while (std::getline(in, line)) {
            if (line.rfind("summary: ", 0) == 0 || line.rfind("totals: ", 0) == 0) {
                total = std::atoll(line.c_str() + line.find(' ') + 1);
            }
        }
        result.push_back(total);
        std::remove(file.c_str());
    }
    std::remove(out.c_str());
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "measure") {
        return measure(static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)));
    }
    const std::string self = argv[0];
    for (std::uint32_t entries : {1000000u, 1000u}) {
        std::printf("-- %u entries, natively\n", entries);
        if (measure(entries) != 0) {
            return 1;
        }
    }
    const std::vector<long long> big = callgrindInstructions(self, 1000000);
    const std::vector<long long> small = callgrindInstructions(self, 1000);
    if (big.size() != 3 || small.size() != 3) {
        std::printf("callgrind: not available\n");
        return 0;
    }
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        const double ratio = static_cast<double>(big[i]) / static_cast<double>(small[i]);
        ok = ok && ratio <= 1.2;
        std::printf(
            "callgrind, redraw at the %s: 1,000,000 entries %lld instructions, 1,000 entries "
            "%lld instructions, ratio %.3f (target <= 1.2)\n",
            kPlaces[i], big[i], small[i], ratio);
    }
    return ok ? 0 : 1;
}
