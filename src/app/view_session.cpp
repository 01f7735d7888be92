#include "app/view_session.h"

#include "core/dir_list.h"
#include "filters/dynamic_filter.h"
#include "platform/interaction_port.h"
#include "storage/settings_file.h"
#include "view/ace_visibility.h"

namespace quorel {

ViewSession::ViewSession(FileIoPort& files, InteractionPort& ui)
    : files_(files), ui_(ui), dataset_(std::make_unique<CDirList>(ui)) {}

ViewSession::~ViewSession() = default;

MatchContext ViewSession::matchContext() const {
    MatchContext context;
    context.compareMode = compare_.compareMode;
    if (breakDownGroups) {
        context.memberText = [this](std::wstring_view trustee) { return memberTextOf(trustee); };
    }
    return context;
}

const std::wstring* ViewSession::memberTextOf(std::wstring_view trustee) const {
    return breakDownGroups ? members.membersOf(trustee) : nullptr;
}

void ViewSession::RebuildLines() {
    if (compare_.compareMode) {
        BuildCompareLineList(compare_, *dataset_, lines_);
    } else {
        BuildLineList(*dataset_, lines_);
    }
}

void ViewSession::applyAceOptions() {
    ApplyAceVisibility(*dataset_, showInheritOnlyAces, hideInheritedAces);
    if (compare_.compared) {
        ApplyAceVisibility(*compare_.compared, showInheritOnlyAces, hideInheritedAces);
    }
}

void ViewSession::staticFilterPass() {
    FilterTarget target;
    target.shown = dataset_.get();
    target.compared = compare_.compared.get();
    target.displayDepth = displayDepth;
    if (find.showMatchingOnly && !findText.empty()) {
        const MatchContext context = matchContext();
        const std::wstring text = findText;
        target.findMatch = [context, text](const CDirEntry& e) {
            return EntryMatches(e, text, context);
        };
    }
    ApplyStaticFilter(target, staticFilter, rights);
}

void ViewSession::dynamicFilterPass(CDirList* compared) {
    RebuildNameTables(*dataset_, names);
    ApplyDynamicFilters(dynamicFilters, *dataset_, compared, staticFilter, displayDepth, rights,
                        names.users, ui_);
}

CompareView ViewSession::compareView() {
    CompareView view(*dataset_, lines_, ui_);
    view.clearFindHits = [this] { find.MarkAll(lines_, L"", false, matchContext()); };
    view.endFindMode = [this] {
        find.findMode = false;
        find.highlight = false;
        find.showMatchingOnly = false;
    };
    view.applyFilters = [this](CDirList* compared) { dynamicFilterPass(compared); };
    return view;
}

bool ViewSession::Open(const std::wstring& path) {
    std::unique_ptr<CDirList> loaded = std::make_unique<CDirList>(ui_);
    if (!OpenDatasetFile(files_, ui_, loaded, path)) {
        return false;
    }
    ShowDataset(std::move(loaded));
    return true;
}

void ViewSession::ClearDataset() {
    ShowDataset(std::make_unique<CDirList>(ui_));
}

void ViewSession::ShowDataset(std::unique_ptr<CDirList> list) {
    if (compare_.compareMode) {
        EndCompare(compare_, compareView());
    }
    dataset_ = std::move(list);
    ++generation_;
    staticFilter = kShowAll;
    staticFilterMenuItem = kStaticFilterMenuIds[0];
    // A new dataset is shown under the ACE options the menu shows.
    applyAceOptions();
    SetAllVisible(*dataset_, true);
    HideDotEntries(*dataset_);
    HideBelowDepth(*dataset_, displayDepth);
    if (onNewDataset) {
        onNewDataset(*dataset_);
    }
    RebuildLines();
}

void ViewSession::ApplyScanFilter(std::uint8_t filter) {
    if (filter < kShowAll || filter > 8) {
        filter = kShowAll;
    }
    const std::uint32_t columnMask = ColumnMask(rights);
    ApplyFilterRule(*dataset_, filter, columnMask);
    // The compared dataset has no parents of its own to compare with: only
    // the rules that look at an entry alone apply to it.
    if (compare_.compared && (filter == 5 || filter == 7 || filter == 8)) {
        ApplyFilterRule(*compare_.compared, filter, columnMask);
    }
    staticFilter = filter;
    staticFilterMenuItem = kStaticFilterMenuIds[filter - 1];
    RebuildLines();
}

bool ViewSession::SaveDatasetFile(const std::wstring& path) {
    RebuildNameTables(*dataset_, names);
    return WriteDatasetFile(files_, ui_, *dataset_, path, names);
}

std::wstring ViewSession::datasetFileName() const {
    return dataset_->fileName();
}

bool ViewSession::ExportCsv(const std::wstring& path, CsvEncoding encoding) {
    return WriteCsv(files_, ui_, path, lines_.lines(), rights, encoding);
}

bool ViewSession::SaveSettingsFile(const std::wstring& path) {
    ViewSettings view{staticFilter, rights, dynamicFilters};
    return SaveSettings(files_, ui_, path, view);
}

void ViewSession::UseBasicPermissionSet() {
    rights.SetBasicPermissionSet();
    rights.setBasicPermissionMode(true);
    ui_.setStatusText(0, L"A new set of permissions to display was selected");
}

void ViewSession::SetShowInheritOnlyAces(bool show) {
    showInheritOnlyAces = show;
    applyAceOptions();
    ui_.setStatusText(
        0, show ? L"<inherit only> ACEs made visble" : L"<inherit only> ACEs made invisble");
    RebuildLines();
}

void ViewSession::SetHideInheritedAces(bool hide) {
    hideInheritedAces = hide;
    applyAceOptions();
    ui_.setStatusText(0, hide ? L"inherited ACEs made invisble" : L"inherited ACEs made visble");
    RebuildLines();
}

void ViewSession::SetDisplayDepth(std::uint32_t depth) {
    displayDepth = depth;
    staticFilter = kShowAll;
    staticFilterMenuItem = kStaticFilterMenuIds[0];
    staticFilterPass();
    ui_.setStatusText(0, L"Depth changed");
    RebuildLines();
}

bool ViewSession::LoadSettingsFile(const std::wstring& path, bool reportMissingFile) {
    ViewSettings view{staticFilter, rights, dynamicFilters};
    const bool ok = LoadSettings(files_, ui_, path, reportMissingFile, view, [this] {
        dynamicFilterPass(compare_.compared.get());
        RebuildLines();
    });
    if (staticFilter >= 1 && staticFilter <= 8) {
        staticFilterMenuItem = kStaticFilterMenuIds[staticFilter - 1];
    }
    ui_.setStatusText(0, L"Settings loaded.");
    return ok;
}

void ViewSession::OnStaticFilterCommand(int menuId) {
    int value = 0;
    for (int i = 0; i < 8; ++i) {
        if (kStaticFilterMenuIds[i] == menuId) {
            value = i + 1;
        }
    }
    if (value == 0 || dataset_->entryCount() == 0) {
        return;
    }
    staticFilterMenuItem = menuId;
    staticFilter = static_cast<std::uint8_t>(value);
    staticFilterPass();
    dynamicFilters.active = false;
    static const wchar_t* const kStatus[6] = {
        L"Filter set to <show all>",
        L"Filter set to <show only files which deviate from directory containing it>",
        L"Filter set to <show only files which have at least one deny entry>",
        L"Filter set to <show only files which have ACEs that are non-inherited>",
        L"Filter set to <show only directories ( exclude files )>",
        L"Filter set to <show only directories which permissions deviate from directory "
        L"containing it>",
    };
    if (value <= 6) {
        ui_.setStatusText(0, kStatus[value - 1]);
    }
    RebuildLines();
}

void ViewSession::ApplyDynamicFilterWindow(std::uint32_t combination) {
    dynamicFilters.combination = combination;
    dynamicFilterPass(compare_.compared.get());
    dynamicFilters.active = true;
    ui_.setStatusText(0, L"Dynamic filter applied to dataset");
    RebuildLines();
}

bool ViewSession::CompareToFile(const std::wstring& path) {
    auto loaded = std::make_unique<CDirList>(ui_);
    if (!LoadDatasetFile(files_, ui_, *loaded, path)) {
        return false;
    }
    ApplyAceVisibility(*loaded, showInheritOnlyAces, hideInheritedAces);
    ++generation_;
    return CompareTo(compare_, compareView(), std::move(loaded));
}

void ViewSession::EndCompareMode() {
    if (compare_.compareMode) {
        EndCompare(compare_, compareView());
        ++generation_;
    }
}

void ViewSession::ShowMatchingOnly(const std::wstring& text) {
    find.SetFindMode(true, lines_, ui_);
    findText = text;
    find.ToggleShowMatchingOnly(text, ui_);
    staticFilterPass();
    RebuildLines();
}

void ViewSession::SetFindMode(bool on) {
    find.SetFindMode(on, lines_, ui_);
    if (on || dataset_->entryCount() == 0) {
        return;
    }
    findText.clear();
    staticFilterPass();
    RebuildLines();
}

int ViewSession::FindNext(const std::wstring& text, int& top) {
    if (dataset_->entryCount() == 0) {
        return kNotFound;
    }
    findText = text;
    return find.FindNext(lines_, text, top, matchContext(), ui_);
}

int ViewSession::FindPrevious(const std::wstring& text, int& top) {
    if (dataset_->entryCount() == 0) {
        return kNotFound;
    }
    findText = text;
    return find.FindPrevious(lines_, text, top, matchContext(), ui_);
}

void ViewSession::ToggleHighlight(const std::wstring& text) {
    if (dataset_->entryCount() == 0) {
        return;
    }
    findText = text;
    find.ToggleHighlight(lines_, text, matchContext(), ui_);
}

void ViewSession::ToggleShowMatchingOnly(const std::wstring& text) {
    if (dataset_->entryCount() == 0) {
        return;
    }
    findText = text;
    find.ToggleShowMatchingOnly(text, ui_);
    staticFilterPass();
    RebuildLines();
}

void ViewSession::EntriesReplaced() {
    ++generation_;
    applyAceOptions();
    HideDotEntries(*dataset_);
    HideBelowDepth(*dataset_, displayDepth);
    RebuildLines();
}

void ViewSession::RefreshAfterEdits() {
    applyAceOptions();
    if (compare_.compareMode) {
        RefreshCompare(compare_, compareView());
        return;
    }
    RebuildLines();
}

}  // namespace quorel
