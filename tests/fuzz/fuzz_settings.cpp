// Feeds arbitrary bytes to the settings file reader. The reader must never
// crash or write past the 30 columns or a row's text field, and whatever it
// loads completely must save and load again to the same view.

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "filters/dynamic_filter_set.h"
#include "filters/permissions.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "storage/settings_file.h"

namespace {

using quorel::DisplayedRights;
using quorel::DynamicFilterSet;
using quorel::FilterRow;
using quorel::RightColumn;

// The view as one comparable value.
struct Snapshot {
    std::uint8_t staticFilter;
    std::vector<std::tuple<std::uint32_t, std::wstring>> columns;
    std::vector<std::tuple<std::uint32_t, std::uint32_t, std::wstring>> rows;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(std::uint8_t staticFilter, const DisplayedRights& rights,
                  const DynamicFilterSet& filters) {
    Snapshot s{staticFilter, {}, {}};
    for (std::size_t i = 0; i < rights.count(); ++i) {
        s.columns.emplace_back(rights.column(i).mask, rights.column(i).abbreviation);
    }
    for (const FilterRow& row : filters.rows) {
        s.rows.emplace_back(row.op, row.right, row.text);
    }
    return s;
}

void checkInvariants(const DisplayedRights& rights, const DynamicFilterSet& filters) {
    if (rights.count() > DisplayedRights::kCapacity) {
        __builtin_trap();
    }
    for (std::size_t i = 0; i < rights.count(); ++i) {
        if (rights.column(i).abbreviation.size() > RightColumn::kMaxAbbreviation) {
            __builtin_trap();
        }
    }
    for (const FilterRow& row : filters.rows) {
        if (row.text.size() > FilterRow::kMaxTextChars) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quorel::sim::MemoryFiles files;
    files.put(L"in.qsf", std::vector<std::uint8_t>(data, data + size));
    quorel::sim::RecordingInteraction ui;

    std::uint8_t staticFilter = 1;
    DisplayedRights rights;  // the four start-up columns
    DynamicFilterSet filters;
    filters.rows = {{0, 5, L"Users"}, {8, 0, L"temp"}};
    quorel::ViewSettings view{staticFilter, rights, filters};
    int applied = 0;
    const bool ok =
        quorel::LoadSettings(files, ui, L"in.qsf", true, view, [&applied] { ++applied; });
    checkInvariants(rights, filters);
    if (applied != (ok ? 1 : 0) || ui.messages().size() != (ok ? 0u : 1u)) {
        __builtin_trap();
    }
    if (!ok) {
        return 0;
    }

    // Every column of a complete load carries a named right or an unset
    // row, so saving and loading again changes nothing.
    const Snapshot loaded = snapshot(staticFilter, rights, filters);
    if (!quorel::SaveSettings(files, ui, L"out.qsf", view) ||
        !quorel::LoadSettings(files, ui, L"out.qsf", true, view, {})) {
        __builtin_trap();
    }
    if (!(snapshot(staticFilter, rights, filters) == loaded)) {
        __builtin_trap();
    }
    return 0;
}
