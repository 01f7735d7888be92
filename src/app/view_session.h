#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "accounts/member_map.h"
#include "filters/dynamic_filter_editor.h"
#include "filters/dynamic_filter_set.h"
#include "filters/permission_selection.h"
#include "filters/permissions.h"
#include "filters/static_filter.h"
#include "storage/csv_export.h"
#include "storage/dataset_file.h"
#include "view/compare_layout.h"
#include "view/display_list.h"
#include "view/find.h"
#include "view/view_state.h"

namespace quorel {

class CDirList;
class FileIoPort;
class InteractionPort;

// Where the shown dataset came from: a scan of the disk in this run, or a
// dataset file (or nothing read at all).
enum class DatasetOrigin { Scan, File };

// What the main window shows and the commands that change it, without the
// window: the shown dataset and, in compare mode, the compared one, the
// displayed columns, the static and dynamic filters, the ACE display
// options, the display depth, find, and the display list the matrix draws.
// The desktop program's menu commands and quorel-cli's view options call the
// same operations, so a script sees what the window would list.
class ViewSession {
  public:
    ViewSession(FileIoPort& files, InteractionPort& ui);
    ~ViewSession();

    // Open (50002): loads `path`; on success it replaces the shown dataset
    // (and ends compare mode), the static filter returns to show all, and
    // every entry but "." and ".." and those below the display depth is
    // shown. A failed load keeps everything as it was.
    bool Open(const std::wstring& path);

    // Shows `list` (a fresh scan, or a dataset just read) as Open shows a
    // file: compare mode ends, the static filter returns to show all and
    // every entry but "." and ".." and those below the display depth is
    // shown.
    void ShowDataset(std::unique_ptr<CDirList> list, DatasetOrigin origin);
    // An empty dataset: nothing loaded.
    void ClearDataset(DatasetOrigin origin);
    // After a scan: hides what static filter rule `filter` rejects (with the
    // column mask of the displayed columns) and rebuilds the lines.
    void ApplyScanFilter(std::uint8_t filter);

    // Save (50003) and Save As (50004) to `path`: the name tables are
    // rebuilt from the dataset first. On success `path` becomes the
    // dataset's file name.
    bool SaveDatasetFile(const std::wstring& path);
    // The file the shown dataset was last read from or written to.
    std::wstring datasetFileName() const;
    // Export to CSV (50032) of the lines the matrix lists.
    bool ExportCsv(const std::wstring& path, CsvEncoding encoding);
    // "Save Settings..." (50033) and "Save Settings as Default" (50035).
    bool SaveSettingsFile(const std::wstring& path);
    // "Display Basic Permission set" (50064).
    void UseBasicPermissionSet();

    // "Show also <inherit only> ACEs" (50050) and "Do not show inherited
    // ACEs" (50055).
    void SetShowInheritOnlyAces(bool show);
    void SetHideInheritedAces(bool hide);

    // Directory depth (50044): 0 is unlimited. The static filter returns to
    // show all.
    void SetDisplayDepth(std::uint32_t depth);

    // "Load Settings..." (50034). False when the file could not be read.
    // A missing file is reported only when `reportMissingFile` is set (the
    // default settings file need not exist).
    bool LoadSettingsFile(const std::wstring& path, bool reportMissingFile = true);

    // The static filter menu commands (50020-50025, 50045, 50046).
    void OnStaticFilterCommand(int menuId);

    // OK in the dynamic filter window with `combination` (0 AND, else OR).
    void ApplyDynamicFilterWindow(std::uint32_t combination);

    // "Compare to..." with the dataset file `path`. False when it could not
    // be loaded or does not match.
    bool CompareToFile(const std::wstring& path);
    void EndCompareMode();

    // Find mode on, then "show matching only" with `text`.
    void ShowMatchingOnly(const std::wstring& text);

    // The find bar. Find mode on or off (50026): off switches highlight and
    // show-matching-only off, clears the marks and, with a dataset, lists
    // the lines again without the find text.
    void SetFindMode(bool on);
    // "find next" / "find prev" from the view's top entry `top`, which
    // moves to the entry found; kNotFound when there is none. Nothing
    // happens without a dataset.
    int FindNext(const std::wstring& text, int& top);
    int FindPrevious(const std::wstring& text, int& top);
    // The "highlight" box.
    void ToggleHighlight(const std::wstring& text);
    // The "show matching only" box: the lines again with or without the
    // entries that do not contain `text`.
    void ToggleShowMatchingOnly(const std::wstring& text);

    // Entries of the shown dataset were freed and read again (Inherit ACL):
    // their ACE options and the lines anew; what keeps entry pointers
    // forgets them.
    void EntriesReplaced();
    // After edits in compare mode: the links between both datasets anew.
    void RefreshAfterEdits();

    // The display list again from the visibility flags: the compare layout
    // in compare mode.
    void RebuildLines();

    CDirList* dataset() const { return dataset_.get(); }
    // Changes whenever entries that were shown may have been freed: a new
    // dataset, compare mode begun or ended. What keeps entry pointers
    // (the selection) forgets them when it changes.
    std::uint64_t entriesGeneration() const { return generation_; }
    const DisplayList& lines() const { return lines_; }
    bool compareMode() const { return compare_.compareMode; }
    // The shown dataset was read from the disk in this run (a scan), and
    // compare mode is off: only then can its ACLs be changed.
    bool liveData() const { return origin_ == DatasetOrigin::Scan && !compare_.compareMode; }
    DatasetOrigin origin() const { return origin_; }

    // The displayed columns.
    const DisplayedRights& rights() const { return rights_; }
    void SetRights(DisplayedRights rights) { rights_ = std::move(rights); }
    // The columns the program starts with.
    void ResetRightsToStartup() { rights_.resetToStartup(); }
    // The permission window (50030) over the displayed columns; Ok keeps its
    // choice, and says so in the status bar.
    PermissionSelection::Outcome SelectPermissions(
        const std::function<void(PermissionSelection&)>& runWindow);
    // The dynamic filter window (50031): `runWindow` shows it over the
    // filters and the static filter; the outcome is applied here.
    DynamicFilterEditor::Outcome EditDynamicFilters(
        const std::function<void(DynamicFilterEditor&)>& runWindow);

    // The static filter rule (1 show all .. 8) and the menu item that shows
    // it checked ("show all" for a rule out of range, which hides nothing).
    std::uint8_t staticFilter() const { return staticFilter_; }
    int staticFilterMenuItem() const;
    // After New Scan and Re-Scan the menu shows "show all" checked, whatever
    // rule the scan applied.
    void MarkShowAll() { staticFilter_ = kShowAll; }
    std::uint32_t displayDepth() const { return displayDepth_; }
    bool showInheritOnlyAces() const { return showInheritOnlyAces_; }
    bool hideInheritedAces() const { return hideInheritedAces_; }
    // A new scan shows <inherit only> ACEs again: the next dataset shown
    // takes the option.
    void ShowInheritOnlyAcesInNextDataset() { showInheritOnlyAces_ = true; }
    const DynamicFilterSet& dynamicFilters() const { return dynamicFilters_; }
    // The rows of the dynamic filter window, as a settings file brings
    // them: nothing is filtered until the window's OK.
    void SetDynamicFilters(DynamicFilterSet filters) { dynamicFilters_ = std::move(filters); }
    const FindState& find() const { return find_; }

    // Group break-down: while it is on, the matrix shows under an ACE of a
    // group the group's members, and find searches them.
    bool breakDownGroups() const { return breakDownGroups_; }
    void SetBreakDownGroups(bool on) { breakDownGroups_ = on; }
    void SetMembers(MemberMap members) { members_ = std::move(members); }
    // Told of every new dataset shown (a scan, an open).
    void SetNewDatasetHandler(std::function<void(CDirList&)> handler) {
        onNewDataset_ = std::move(handler);
    }
    // The member text of a trustee while break-down is on, else null.
    const std::wstring* memberTextOf(std::wstring_view trustee) const;

  private:
    void applyAceOptions();
    // The static filter with the find filter (when it is on), on both
    // datasets.
    void staticFilterPass();
    void dynamicFilterPass(CDirList* compared);
    CompareView compareView();
    MatchContext matchContext() const;

    FileIoPort& files_;
    InteractionPort& ui_;
    std::unique_ptr<CDirList> dataset_;
    DatasetOrigin origin_ = DatasetOrigin::Scan;
    DisplayedRights rights_;
    std::uint8_t staticFilter_ = kShowAll;
    std::uint32_t displayDepth_ = 0;
    bool showInheritOnlyAces_ = true;
    bool hideInheritedAces_ = false;
    DynamicFilterSet dynamicFilters_;
    FindState find_;
    std::wstring findText_;
    NameTables names_;
    bool breakDownGroups_ = false;
    MemberMap members_;
    std::function<void(CDirList&)> onNewDataset_;
    CompareState compare_;
    DisplayList lines_;
    std::uint64_t generation_ = 0;
};

}  // namespace quorel
