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
    if (breakDownGroups_) {
        context.memberText = [this](std::wstring_view trustee) { return memberTextOf(trustee); };
    }
    return context;
}

const std::wstring* ViewSession::memberTextOf(std::wstring_view trustee) const {
    return breakDownGroups_ ? members_.membersOf(trustee) : nullptr;
}

void ViewSession::RebuildLines() {
    if (compare_.compareMode) {
        BuildCompareLineList(compare_, *dataset_, lines_);
    } else {
        BuildLineList(*dataset_, lines_);
    }
}

void ViewSession::applyAceOptions() {
    ApplyAceVisibility(*dataset_, showInheritOnlyAces_, hideInheritedAces_);
    if (compare_.compared) {
        ApplyAceVisibility(*compare_.compared, showInheritOnlyAces_, hideInheritedAces_);
    }
}

void ViewSession::staticFilterPass() {
    FilterTarget target;
    target.shown = dataset_.get();
    target.compared = compare_.compared.get();
    target.displayDepth = displayDepth_;
    if (find_.showMatchingOnly && !findText_.empty()) {
        const MatchContext context = matchContext();
        const std::wstring text = findText_;
        target.findMatch = [context, text](const CDirEntry& e) {
            return EntryMatches(e, text, context);
        };
    }
    ApplyStaticFilter(target, staticFilter_, rights_);
}

void ViewSession::dynamicFilterPass(CDirList* compared) {
    RebuildNameTables(*dataset_, names_);
    ApplyDynamicFilters(dynamicFilters_, *dataset_, compared, staticFilter_, displayDepth_, rights_,
                        names_.users, ui_);
}

CompareView ViewSession::compareView() {
    CompareView view(*dataset_, lines_, ui_);
    view.clearFindHits = [this] { find_.MarkAll(lines_, L"", false, matchContext()); };
    view.endFindMode = [this] {
        find_.findMode = false;
        find_.highlight = false;
        find_.showMatchingOnly = false;
    };
    view.applyFilters = [this](CDirList* compared) { dynamicFilterPass(compared); };
    return view;
}

bool ViewSession::Open(const std::wstring& path) {
    std::unique_ptr<CDirList> loaded = std::make_unique<CDirList>(ui_);
    if (!OpenDatasetFile(files_, ui_, loaded, path)) {
        return false;
    }
    ShowDataset(std::move(loaded), DatasetOrigin::File);
    return true;
}

void ViewSession::ClearDataset(DatasetOrigin origin) {
    ShowDataset(std::make_unique<CDirList>(ui_), origin);
}

void ViewSession::ShowDataset(std::unique_ptr<CDirList> list, DatasetOrigin origin) {
    if (compare_.compareMode) {
        EndCompare(compare_, compareView());
    }
    dataset_ = std::move(list);
    origin_ = origin;
    ++generation_;
    staticFilter_ = kShowAll;
    // A new dataset is shown under the ACE options the menu shows.
    applyAceOptions();
    SetAllVisible(*dataset_, true);
    HideDotEntries(*dataset_);
    HideBelowDepth(*dataset_, displayDepth_);
    if (onNewDataset_) {
        onNewDataset_(*dataset_);
    }
    RebuildLines();
}

void ViewSession::ApplyScanFilter(std::uint8_t filter) {
    if (filter < kShowAll || filter > 8) {
        filter = kShowAll;
    }
    const std::uint32_t columnMask = ColumnMask(rights_);
    ApplyFilterRule(*dataset_, filter, columnMask);
    // The compared dataset has no parents of its own to compare with: only
    // the rules that look at an entry alone apply to it.
    if (compare_.compared && (filter == 5 || filter == 7 || filter == 8)) {
        ApplyFilterRule(*compare_.compared, filter, columnMask);
    }
    staticFilter_ = filter;
    RebuildLines();
}

bool ViewSession::SaveDatasetFile(const std::wstring& path) {
    RebuildNameTables(*dataset_, names_);
    return WriteDatasetFile(files_, ui_, *dataset_, path, names_);
}

std::wstring ViewSession::datasetFileName() const {
    return dataset_->fileName();
}

bool ViewSession::ExportCsv(const std::wstring& path, CsvEncoding encoding) {
    return WriteCsv(files_, ui_, path, lines_.lines(), rights_, encoding);
}

bool ViewSession::SaveSettingsFile(const std::wstring& path) {
    ViewSettings view{staticFilter_, rights_, dynamicFilters_};
    return SaveSettings(files_, ui_, path, view);
}

void ViewSession::UseBasicPermissionSet() {
    rights_.SetBasicPermissionSet();
    rights_.setBasicPermissionMode(true);
    ui_.setStatusText(0, L"A new set of permissions to display was selected");
}

void ViewSession::SetShowInheritOnlyAces(bool show) {
    showInheritOnlyAces_ = show;
    applyAceOptions();
    ui_.setStatusText(
        0, show ? L"<inherit only> ACEs made visble" : L"<inherit only> ACEs made invisble");
    RebuildLines();
}

void ViewSession::SetHideInheritedAces(bool hide) {
    hideInheritedAces_ = hide;
    applyAceOptions();
    ui_.setStatusText(0, hide ? L"inherited ACEs made invisble" : L"inherited ACEs made visble");
    RebuildLines();
}

void ViewSession::SetDisplayDepth(std::uint32_t depth) {
    displayDepth_ = depth;
    staticFilter_ = kShowAll;
    staticFilterPass();
    ui_.setStatusText(0, L"Depth changed");
    RebuildLines();
}

bool ViewSession::LoadSettingsFile(const std::wstring& path, bool reportMissingFile) {
    ViewSettings view{staticFilter_, rights_, dynamicFilters_};
    const bool ok = LoadSettings(files_, ui_, path, reportMissingFile, view, [this] {
        dynamicFilterPass(compare_.compared.get());
        RebuildLines();
    });
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
    staticFilter_ = static_cast<std::uint8_t>(value);
    staticFilterPass();
    dynamicFilters_.active = false;
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
    dynamicFilters_.combination = combination;
    dynamicFilterPass(compare_.compared.get());
    dynamicFilters_.active = true;
    ui_.setStatusText(0, L"Dynamic filter applied to dataset");
    RebuildLines();
}

int ViewSession::staticFilterMenuItem() const {
    // A rule out of range (from a settings file) hides nothing: show all.
    if (staticFilter_ < kShowAll || staticFilter_ > 8) {
        return kStaticFilterMenuIds[0];
    }
    return kStaticFilterMenuIds[staticFilter_ - 1];
}

PermissionSelection::Outcome ViewSession::SelectPermissions(
    const std::function<void(PermissionSelection&)>& runWindow) {
    PermissionSelection selection(rights_, ui_);
    runWindow(selection);
    switch (selection.outcome()) {
        case PermissionSelection::Outcome::Ok:
            ui_.setStatusText(0, L"A new set of permissions to display was selected");
            break;
        case PermissionSelection::Outcome::Cancel:
            ui_.setStatusText(0, L"No new set of permissions to display was selected");
            break;
        case PermissionSelection::Outcome::Closed:
        case PermissionSelection::Outcome::Open:
            break;
    }
    return selection.outcome();
}

DynamicFilterEditor::Outcome ViewSession::EditDynamicFilters(
    const std::function<void(DynamicFilterEditor&)>& runWindow) {
    // The subject lists name the accounts of the dataset as it is now.
    RebuildNameTables(*dataset_, names_);
    DynamicFilterEditor editor(dynamicFilters_, staticFilter_, compare_.compareMode, names_.users,
                               ui_);
    runWindow(editor);
    switch (editor.outcome()) {
        case DynamicFilterEditor::Outcome::Ok:
            ApplyDynamicFilterWindow(editor.combination());
            break;
        case DynamicFilterEditor::Outcome::Cancel:
            dynamicFilters_.active = false;
            ui_.setStatusText(0, L"Dynamic filter aborted");
            break;
        case DynamicFilterEditor::Outcome::Closed:
            dynamicFilters_.active = false;
            break;
        case DynamicFilterEditor::Outcome::Open:
            break;
    }
    return editor.outcome();
}

bool ViewSession::CompareToFile(const std::wstring& path) {
    // Into the shown dataset's account table: the ACL diff compares ids.
    auto loaded = std::make_unique<CDirList>(ui_, dataset_->sharedAccountNames());
    if (!LoadDatasetFile(files_, ui_, *loaded, path)) {
        return false;
    }
    ApplyAceVisibility(*loaded, showInheritOnlyAces_, hideInheritedAces_);
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
    find_.SetFindMode(true, lines_, ui_);
    findText_ = text;
    find_.ToggleShowMatchingOnly(text, ui_);
    staticFilterPass();
    RebuildLines();
}

void ViewSession::SetFindMode(bool on) {
    find_.SetFindMode(on, lines_, ui_);
    if (on || dataset_->entryCount() == 0) {
        return;
    }
    findText_.clear();
    staticFilterPass();
    RebuildLines();
}

int ViewSession::FindNext(const std::wstring& text, int& top) {
    if (dataset_->entryCount() == 0) {
        return kNotFound;
    }
    findText_ = text;
    return find_.FindNext(lines_, text, top, matchContext(), ui_);
}

int ViewSession::FindPrevious(const std::wstring& text, int& top) {
    if (dataset_->entryCount() == 0) {
        return kNotFound;
    }
    findText_ = text;
    return find_.FindPrevious(lines_, text, top, matchContext(), ui_);
}

void ViewSession::ToggleHighlight(const std::wstring& text) {
    if (dataset_->entryCount() == 0) {
        return;
    }
    findText_ = text;
    find_.ToggleHighlight(lines_, text, matchContext(), ui_);
}

void ViewSession::ToggleShowMatchingOnly(const std::wstring& text) {
    if (dataset_->entryCount() == 0) {
        return;
    }
    findText_ = text;
    find_.ToggleShowMatchingOnly(text, ui_);
    staticFilterPass();
    RebuildLines();
}

void ViewSession::EntriesReplaced() {
    ++generation_;
    applyAceOptions();
    HideDotEntries(*dataset_);
    HideBelowDepth(*dataset_, displayDepth_);
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
