// The cost of one dynamic filter pass over a dataset of 1,000,000 entries of
// the synthetic shape, against the cost of loading that dataset from its
// file in the same run: ten rows mixing every kind of rule, "<any user>"
// rows among them, in AND and in OR combination.
//
//   build/native/bench/dynamic_filter_bench [entries]

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/dir_list.h"
#include "filters/dynamic_filter.h"
#include "filters/permissions.h"
#include "filters/static_filter.h"
#include "platform/file_io_port.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/standard_files.h"
#include "storage/dataset_file.h"
#include "synthetic_dataset.h"
#include "view/display_list.h"

namespace {

using quorel::FilterRow;

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

FilterRow row(std::uint32_t op, const wchar_t* text, std::uint32_t right = 0) {
    FilterRow r;
    r.op = op;
    r.right = right;
    r.text = text;
    return r;
}

// Rows that most entries pass, so that AND evaluates nearly all of them for
// nearly every entry; the last one narrows.
std::vector<FilterRow> tenRows() {
    return {
        row(0, L"<any user>", 2),  // any user has rd
        row(1, L"<any user>", 0),  // some trustee lacks all
        row(6, L"", 1),            // any user has ex
        row(7, L"", 9),            // some trustee lacks del
        row(1, L"account7", 5),    // account7 lacks wr
        row(3, L"account12"),      // owner is not account12
        row(4, L"Domain Users"),   // group is Domain Users
        row(9, L"zzz"),            // path does not contain zzz
        row(8, L"DEPARTMENT"),     // path contains department
        row(0, L"account3", 2),    // account3 has rd
    };
}

std::uint32_t visibleEntries(const quorel::CDirList& list) {
    return list.visibleCount() - 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint32_t entries =
        argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
    const std::string file =
        "/tmp/quorel-dynamic-filter-bench-" + std::to_string(getpid()) + ".acl";
    const std::wstring path(file.begin(), file.end());
    quorel::sim::RecordingInteraction ui;

    {
        quorel::CDirList built(ui);
        quorel::bench::buildSyntheticDataset(built, entries);
        quorel::NameTables tables;
        quorel::RebuildNameTables(built, tables);
        if (!quorel::WriteDatasetFile(quorel::sim::standardFiles(), ui, built, path, tables)) {
            std::fprintf(stderr, "saving %s failed\n", file.c_str());
            return 1;
        }
    }

    quorel::CDirList list(ui);
    auto start = std::chrono::steady_clock::now();
    const bool loaded = quorel::LoadDatasetFile(quorel::sim::standardFiles(), ui, list, path);
    const double load = seconds(start);
    std::remove(file.c_str());
    if (!loaded) {
        std::fprintf(stderr, "loading %s failed\n", file.c_str());
        return 1;
    }
    std::printf("load:  %u entries in %.3f s\n", list.entryCount(), load);

    start = std::chrono::steady_clock::now();
    quorel::NameTables tables;
    quorel::RebuildNameTables(list, tables);
    std::printf("account name list: %zu names in %.3f s\n", tables.users.size(), seconds(start));

    quorel::DisplayedRights rights;
    // Static filters: the slowest rule (2, every entry against its parent)
    // and the display list built after it.
    for (std::uint8_t filter : {quorel::kDiffersFromParent, quorel::kHasDenyEntry}) {
        std::vector<double> runs;
        quorel::DisplayList lines;
        for (int run = 0; run < 3; ++run) {
            start = std::chrono::steady_clock::now();
            quorel::FilterTarget target;
            target.shown = &list;
            quorel::ApplyStaticFilter(target, filter, rights);
            quorel::BuildLineList(list, lines);
            runs.push_back(seconds(start));
        }
        const double best = *std::min_element(runs.begin(), runs.end());
        std::printf("static filter %d pass: %.3f / %.3f / %.3f s, %zu lines\n", filter, runs[0],
                    runs[1], runs[2], lines.lineCount());
        std::printf("static filter %d pass / load: %.3f (best run; target <= 0.2)\n", filter,
                    best / load);
    }

    quorel::DynamicFilterSet filters;
    filters.rows = tenRows();
    int status = 0;
    for (std::uint32_t combination : {0u, 1u}) {
        filters.combination = combination;
        const char* name = combination == 0 ? "AND" : "OR ";
        std::vector<double> runs;
        for (int run = 0; run < 3; ++run) {
            start = std::chrono::steady_clock::now();
            quorel::ApplyDynamicFilters(filters, list, nullptr, quorel::kShowAll, 0, rights,
                                        tables.users, ui);
            runs.push_back(seconds(start));
        }
        const double best = *std::min_element(runs.begin(), runs.end());
        std::printf("%s pass: 10 rows, %.3f / %.3f / %.3f s, %u entries visible\n", name, runs[0],
                    runs[1], runs[2], visibleEntries(list));
        std::printf("%s pass / load: %.3f (best run; target <= 0.2)\n", name, best / load);
    }
    if (!ui.messages().empty()) {
        std::fprintf(stderr, "unexpected message: %ls\n", ui.messages().front().text.c_str());
        status = 1;
    }
    return status;
}
