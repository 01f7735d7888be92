#include "app/app_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <iterator>

#include "app/app_test_support.h"
#include "app/menu_model.h"
#include "app/start_mode.h"
#include "core/dir_list.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"
#include "resource.h"
#include "storage/project_file.h"

namespace quorel {
namespace {

using test::MainWindowModel;
using test::ScriptedWindows;

using Log = std::vector<std::wstring>;

class Controller : public ::testing::Test {
  protected:
    Controller()
        : app(AppPorts{files, sim, sim, sim, sim, ui, windows}, {L"C:\\Prog\\", L"D:\\Data"}) {
        const Sid me = sim.accounts().currentUser();
        sim.dir(L"C:\\r").allow(me, 0x1F01FF, 0x03);
        sim.file(L"C:\\r\\a.txt").allow(me, 0x1F01FF, 0x10);
        sim.file(L"C:\\r\\deny.txt").deny(me, 0x2).allow(me, 0x1F01FF);
        sim.dir(L"C:\\r\\sub").allow(me, 0x1F01FF, 0x13);
        sim.file(L"C:\\r\\sub\\b.txt").allow(me, 0x1F01FF, 0x10);
    }

    ScanConfiguration config(std::uint8_t filter = 1, std::uint32_t depth = 0) {
        ScanConfiguration c;
        c.directoryText = L"C:\\r";
        c.directories = {L"C:\\r"};
        c.depth = depth;
        c.staticFilter = filter;
        return c;
    }
    // Paths of the lines the matrix lists.
    std::vector<std::wstring> shown() { return shownBy(app); }
    static std::vector<std::wstring> shownBy(const AppController& c) {
        std::vector<std::wstring> paths;
        for (const CDirEntry* e : c.view().lines().lines()) {
            paths.push_back(e->isHeading ? std::wstring(e->headingText()) : e->path());
        }
        return paths;
    }
    bool enabled(int id) {
        for (const MainMenuItem& s : main.commands.MenuStates(MenuViewFlags{})) {
            if (s.id == id) {
                return s.enabled;
            }
        }
        ADD_FAILURE() << "no state for " << id;
        return false;
    }
    std::vector<int> checkedFilters() {
        std::vector<int> ids;
        for (const MainMenuItem& s : main.commands.MenuStates(MenuViewFlags{})) {
            const bool filterItem =
                std::find(std::begin(kStaticFilterMenuIds), std::end(kStaticFilterMenuIds), s.id) !=
                std::end(kStaticFilterMenuIds);
            if (s.checked && filterItem) {
                ids.push_back(s.id);
            }
        }
        return ids;
    }

    sim::SimPlatform sim;
    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    ScriptedWindows windows;
    AppController app;
    MainWindowModel main{app};
};

const std::vector<std::wstring> kAllButDots = {L"C:\\r", L"C:\\r\\a.txt", L"C:\\r\\deny.txt",
                                               L"C:\\r\\sub", L"C:\\r\\sub\\b.txt"};

TEST(CommandLine, IsTrimmedAndLosesOnePairOfQuotes) {
    EXPECT_EQ(CleanCommandLine(L"  \"C:\\My Data\"  "), L"C:\\My Data");
    EXPECT_EQ(CleanCommandLine(L"\"\"x\"\""), L"\"x\"");
    EXPECT_EQ(CleanCommandLine(L"\""), L"\"");
    EXPECT_EQ(CleanCommandLine(L"\"\""), L"");
    EXPECT_EQ(CleanCommandLine(L" \t\r\n"), L"");
    EXPECT_EQ(ProgramFolderOf(L"C:\\Tools\\q.exe"), L"C:\\Tools\\");
    EXPECT_EQ(ProgramFolderOf(L"q.exe"), L"");
}

TEST_F(Controller, NoArgumentShowsTheStartWindowAndExitEndsWithoutMainWindow) {
    EXPECT_EQ(app.Startup(L"  ").exitCode, 0);
    EXPECT_EQ(windows.log, (Log{L"start"}));
}

TEST_F(Controller, CancelledScanEndsTheRunWithoutAMainWindow) {
    ui.cancelAtProgress(1);
    const ProcessEnd end = app.Startup(L"C:\\r");
    EXPECT_EQ(end.text, L"Scanning canceled");
    EXPECT_EQ(end.caption, L"Scanning canceled");
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_TRUE(ui.messages().empty());  // the front end shows it
    // The progress window stays up until the process ends.
    EXPECT_EQ(windows.log, (Log{L"progress shell"}));
    // A New Scan from the main window ends the same way, before its status
    // texts say the scan completed.
    ui.clear();
    ui.cancelAtProgress(1);
    windows.configs = {config()};
    const CommandOutcome result = main.commands.Run(IDM_NEW_SCAN);
    ASSERT_TRUE(result.end.has_value());
    EXPECT_EQ(result.end->text, L"Scanning canceled");
    EXPECT_EQ(ui.statusTexts(0), std::vector<std::wstring>{L"New scan started"});
    // An unreadable directory: its own message.
    ui.clear();
    windows.configs = {config()};
    windows.configs[0]->directories = {L"C:\\missing"};
    ASSERT_TRUE(app.NewScanCommand().has_value());
    EXPECT_EQ(app.NewScanCommand(), std::nullopt);  // no configuration left: nothing scanned
}

TEST_F(Controller, DirectoryArgumentScansWithUnlimitedDepthAndShowsAllButDots) {
    windows.onMain = [&] { EXPECT_EQ(shown(), kAllButDots); };
    EXPECT_EQ(app.Startup(L" \"C:\\r\\\" ").exitCode, 0);
    EXPECT_EQ(windows.log, (Log{L"progress shell", L"progress closed", L"main"}));
    EXPECT_TRUE(app.view().liveData());
    EXPECT_EQ(app.lastConfiguration().directories, (std::vector<std::wstring>{L"C:\\r"}));
}

TEST_F(Controller, DatasetFileArgumentOpensItAsLoadedData) {
    windows.configs = {config()};
    app.NewScanCommand();
    ASSERT_TRUE(app.view().SaveDatasetFile(L"D:\\scan.acl"));
    AppController second(AppPorts{files, sim, sim, sim, sim, ui, windows}, {L"", L""});
    windows.log.clear();
    windows.onMain = [&] { EXPECT_EQ(second.view().lines().lineCount(), kAllButDots.size()); };
    EXPECT_EQ(second.Startup(L"D:\\scan.acl").exitCode, 0);
    EXPECT_EQ(windows.log, (Log{L"loading", L"loading closed", L"main"}));
    EXPECT_FALSE(second.view().liveData());
}

TEST_F(Controller, ProjectArgumentWritesTheDatasetWithoutAnyWindow) {
    ProjectFile project{L"C:\\r\r\n\r\nC:\\r\\sub", L"D:\\out", true};
    ASSERT_TRUE(WriteProjectFile(files, ui, L"D:\\p.qpf", project));
    files.put(L"D:\\out0.acl", {});
    EXPECT_EQ(app.Startup(L"D:\\p.qpf").exitCode, 0);
    EXPECT_TRUE(windows.log.empty());
    ASSERT_NE(files.get(L"D:\\out1.acl"), nullptr);
    EXPECT_FALSE(files.get(L"D:\\out1.acl")->empty());
    EXPECT_TRUE(files.get(L"D:\\out0.acl")->empty());
}

TEST_F(Controller, MissingPathIsTakenForAProjectFileAndRefused) {
    EXPECT_NE(app.Startup(L"C:\\nothing").exitCode, 0);
    EXPECT_EQ(ui.messageTexts(), (std::vector<std::wstring>{L"Error opening file"}));
    EXPECT_TRUE(windows.log.empty());
}

TEST_F(Controller, StartScanAppliesTheChosenFilterAndCancelShowsNoData) {
    windows.startChoice = StartChoice::Scan;
    windows.configs = {config(3)};
    windows.onMain = [&] {
        EXPECT_EQ(shown(), (std::vector<std::wstring>{L"C:\\r\\deny.txt"}));
        EXPECT_EQ(checkedFilters(), (std::vector<int>{50022}));
    };
    app.Startup(L"");
    EXPECT_EQ(windows.log, (Log{L"start", L"config", L"progress", L"progress closed", L"main"}));

    AppController other(AppPorts{files, sim, sim, sim, sim, ui, windows}, {L"", L""});
    windows.configs = {std::nullopt};
    windows.onMain = [&] {
        EXPECT_TRUE(other.view().lines().lines().empty());
        EXPECT_FALSE(other.hasData());
    };
    other.Startup(L"");
}

TEST_F(Controller, StartMainShowsNoDataAsNotScanned) {
    windows.startChoice = StartChoice::StartMain;
    windows.onMain = [&] {
        EXPECT_FALSE(app.hasData());
        EXPECT_FALSE(app.view().liveData());
    };
    EXPECT_EQ(app.Startup(L"").exitCode, 0);
    EXPECT_EQ(windows.log, (Log{L"start", L"main"}));
}

TEST_F(Controller, ScanFilterValuesOutsideOneToEightShowAll) {
    const std::pair<std::uint8_t, int> cases[] = {{0, 50020}, {1, 50020}, {8, 50046}, {9, 50020}};
    for (const auto& [filter, item] : cases) {
        windows.configs = {config(filter)};
        app.NewScanCommand();
        EXPECT_EQ(checkedFilters(), std::vector<int>{item}) << int{filter};
        EXPECT_EQ(app.view().staticFilter(), item == 50046 ? 8 : 1);
        // The folder and deny.txt hold explicit ACEs after inherited ones:
        // out of canonical order, an analysis error.
        const std::vector<std::wstring> outOfOrder{L"C:\\r", L"C:\\r\\deny.txt"};
        EXPECT_EQ(shown(), item == 50046 ? outOfOrder : kAllButDots);
    }
}

TEST_F(Controller, StartCompareThatDoesNotMatchEndsTheProcess) {
    ScanConfiguration saved = config();
    saved.directories = {L"C:\\r\\sub"};
    windows.configs = {saved};
    app.NewScanCommand();
    ASSERT_TRUE(app.view().SaveDatasetFile(L"D:\\sub.acl"));

    AppController other(AppPorts{files, sim, sim, sim, sim, ui, windows}, {L"", L""});
    windows.startChoice = StartChoice::Compare;
    ScanConfiguration c = config(5);
    c.compareFile = L"D:\\sub.acl";
    windows.configs = {c};
    windows.log.clear();
    ui.clear();
    const ProcessEnd end = other.Startup(L"");
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_EQ(end.text, L"");  // the reader has said why
    EXPECT_EQ(ui.messageTexts(),
              (std::vector<std::wstring>{L"Datasets do not match. Both datasets must contain the "
                                         L"same directories in the same order for compare."}));
    EXPECT_EQ(windows.log, (Log{L"start", L"config compare", L"progress", L"progress closed",
                                L"loading", L"loading closed"}));
}

TEST_F(Controller, StartCompareShowsTheThreeGroupsAndGreysEditing) {
    windows.configs = {config()};
    app.NewScanCommand();
    ASSERT_TRUE(app.view().SaveDatasetFile(L"D:\\r.acl"));
    sim.file(L"C:\\r\\new.txt").allow(sim.accounts().currentUser(), 0x1F01FF);

    AppController other(AppPorts{files, sim, sim, sim, sim, ui, windows}, {L"", L""});
    windows.startChoice = StartChoice::Compare;
    ScanConfiguration c = config(1);
    c.compareFile = L"D:\\r.acl";
    windows.configs = {c};
    windows.onMain = [&] {
        EXPECT_EQ(shownBy(other), (std::vector<std::wstring>{L"added files", L"C:\\r\\new.txt",
                                                             L"deleted files", L"modified files"}));
        EXPECT_FALSE(other.view().liveData());
    };
    other.Startup(L"");
    EXPECT_EQ(windows.log.back(), L"main");
}

TEST_F(Controller, NewScanCommandCancelledKeepsTheShownDatasetAndItsFlag) {
    windows.configs = {config()};
    app.NewScanCommand();
    ASSERT_TRUE(app.view().SaveDatasetFile(L"D:\\r.acl"));
    windows.files = {L"D:\\r.acl"};
    main.run(50002);
    ASSERT_FALSE(app.view().liveData());
    windows.configs = {std::nullopt};
    ui.clear();
    const CommandResult r = app.NewScanOrRescan(false);
    EXPECT_TRUE(r.resetScroll);
    EXPECT_EQ(shown(), kAllButDots);
    // A file read from disk cannot be edited, also after a cancelled scan.
    EXPECT_FALSE(app.view().liveData());
    EXPECT_EQ(ui.statusTexts(0),
              (std::vector<std::wstring>{L"New scan started", L"New scan completed"}));
    EXPECT_EQ(ui.statusTexts(2), (std::vector<std::wstring>{L"please wait...", L"Ready."}));
}

TEST_F(Controller, RescanRepeatsTheDirectoriesUnlimitedAndResetsTheFilterItem) {
    windows.configs = {config(5, 2)};
    main.run(50001);
    EXPECT_EQ(checkedFilters(), (std::vector<int>{50020}));
    EXPECT_EQ(shown(), (std::vector<std::wstring>{L"C:\\r", L"C:\\r\\sub"}));
    sim.file(L"C:\\r\\sub\\deeper\\c.txt");
    main.run(50069);
    // Everything, three levels down, and no filter rule.
    EXPECT_EQ(shown().back(), L"C:\\r\\sub\\deeper\\c.txt");
    EXPECT_EQ(shown().size(), 7u);
    EXPECT_EQ(windows.log.size(), 5u);  // no second configuration window
}

TEST_F(Controller, CommandsThatRebuildTheListGoBackToTheTop) {
    windows.configs = {config()};
    app.NewScanCommand();
    ASSERT_TRUE(app.view().SaveDatasetFile(L"D:\\r.acl"));
    ASSERT_TRUE(app.view().SaveSettingsFile(L"D:\\s.qsf"));
    windows.files = {L"D:\\r.acl", L"D:\\t.acl", L"D:\\r.acl", L"D:\\s.qsf"};
    // (command, back to the top, redrawn): in the order of the file dialogs.
    const std::tuple<int, bool, bool> cases[] = {
        {50002, true, true},   {50004, true, true},   {50028, true, true},   {50037, true, true},
        {50034, true, true},   {50050, true, true},   {50055, true, true},   {50022, true, true},
        {50064, false, true},  {50061, false, true},  {50051, false, false}, {50019, false, false},
        {50032, false, false}, {50036, false, false}, {50018, false, false}, {50003, true, true},
        {50062, false, true},  {50062, false, true},  {50044, true, true},   {50069, true, true},
        {50001, true, true},   {50028, false, false}, {50033, false, false}, {50034, false, false},
        {50004, false, false}, {50051, false, false}, {50075, false, false}, {99999, false, false}};
    for (const auto& [id, reset, redraw] : cases) {
        const unsigned changes = main.run(id);
        EXPECT_EQ((changes & view_change::kVerticalRange) != 0, reset) << id;
        EXPECT_EQ((changes & view_change::kRedraw) != 0, redraw) << id;
        EXPECT_EQ(changes & main_view_change::kQuit, 0u) << id;
    }
    EXPECT_TRUE(windows.files.empty());
    EXPECT_FALSE(app.view().breakDownGroups());  // turned on and off again
    EXPECT_FALSE(app.gate().on());               // turned on and off again
}

TEST_F(Controller, SaveAsksForANameOnlyTheFirstTimeAndSaveAsAlways) {
    windows.configs = {config()};
    app.NewScanCommand();
    windows.files = {std::nullopt};
    EXPECT_FALSE(app.Save(false).resetScroll);  // cancelled: nothing written
    windows.files = {L"D:\\one.acl"};
    main.run(50003);
    const std::vector<std::uint8_t> first = *files.get(L"D:\\one.acl");
    windows.log.clear();
    main.run(50003);
    EXPECT_TRUE(windows.log.empty());
    EXPECT_EQ(*files.get(L"D:\\one.acl"), first);
    windows.files = {L"D:\\two.acl"};
    main.run(50004);
    EXPECT_EQ(*files.get(L"D:\\two.acl"), first);
    EXPECT_EQ(app.view().datasetFileName(), L"D:\\two.acl");
}

TEST_F(Controller, SettingsCommandsReportEachOutcome) {
    windows.files = {std::nullopt, L"D:\\s.qsf", std::nullopt, L"D:\\s.qsf"};
    main.run(50033);
    main.run(50033);
    main.run(50034);
    main.run(50034);
    main.run(50035);
    files.failCreates(true);
    main.run(50035);
    EXPECT_EQ(ui.statusTexts(0),
              (std::vector<std::wstring>{L"Settings not saved. Aborted.", L"Settings saved.",
                                         L"Settings not loaded. Aborted.", L"Settings loaded.",
                                         L"Settings saved to default file",
                                         L"Error writing default settings file"}));
    EXPECT_NE(files.get(L"D:\\Data\\Quorel.qsf"), nullptr);
}

TEST_F(Controller, DefaultSettingsAreLoadedQuietlyWhenTheWindowIsCreated) {
    app.OnMainWindowCreated();
    EXPECT_TRUE(ui.messageTexts().empty());
    EXPECT_EQ(ui.statusTexts(0), (std::vector<std::wstring>{L"Settings loaded."}));
    DisplayedRights none = app.view().rights();
    none.clear();
    app.view().SetRights(none);
    ASSERT_TRUE(app.view().SaveSettingsFile(app.defaultSettingsPath()));
    app.view().ResetRightsToStartup();
    app.OnMainWindowCreated();
    EXPECT_EQ(app.view().rights().count(), 0u);
}

TEST_F(Controller, ExportReportsStartAndCompleteAlsoWhenCancelled) {
    windows.files = {std::nullopt};
    main.run(50032);
    EXPECT_EQ(ui.statusTexts(0),
              (std::vector<std::wstring>{L"Export Started", L"Export Complete"}));
    EXPECT_EQ(ui.statusTexts(2), (std::vector<std::wstring>{L"Please Wait...", L"Ready."}));
}

TEST_F(Controller, ExitAsksAndOnlyYesQuits) {
    ui.scriptAnswers({MessageAnswer::No, MessageAnswer::Yes});
    EXPECT_FALSE(app.Quit().quit);
    EXPECT_TRUE(app.Quit().quit);
    const sim::Interaction box = ui.messages().front();
    EXPECT_EQ(box.text, L"Are you sure you want to quit");
    EXPECT_EQ(box.caption, L"Exit Quorel");
    EXPECT_EQ(box.buttons, MessageButtons::YesNo);
}

TEST_F(Controller, HelpOpensTheFileInTheProgramFolderOrSaysItIsMissing) {
    main.run(50018);
    EXPECT_EQ(windows.log, (Log{L"shell C:\\Prog\\Quorel.chm"}));
    EXPECT_EQ(ui.messageTexts(), (std::vector<std::wstring>{L"Error! Help file not found"}));
    windows.shellWorks = true;
    main.run(50018);
    EXPECT_EQ(ui.messageTexts().size(), 1u);
}

TEST_F(Controller, DepthNeedsDataAndAppliesEvenTheUnchangedDepth) {
    EXPECT_FALSE(app.Depth().resetScroll);
    EXPECT_TRUE(windows.log.empty());
    windows.configs = {config()};
    app.NewScanCommand();
    windows.depthAnswer = 1;
    EXPECT_TRUE(app.Depth().resetScroll);
    EXPECT_EQ(shown(), (std::vector<std::wstring>{L"C:\\r", L"C:\\r\\a.txt", L"C:\\r\\deny.txt",
                                                  L"C:\\r\\sub"}));
    EXPECT_EQ(DepthMenuText(app.view().displayDepth()), L"Depth 1");
    EXPECT_EQ(DepthMenuText(0), L"Depth \u221E");
    EXPECT_EQ(ui.statusTexts(0).back(), L"Depth changed");
}

TEST_F(Controller, MenuStatesFollowLiveLoadedAndCompareData) {
    windows.configs = {config()};
    app.NewScanCommand();
    const int editing[] = {50051, 50054, 50076, 50056, 50049, 50048, 50058,
                           50060, 50007, 50008, 50009, 50021, 50053};
    for (int id : editing) {
        EXPECT_TRUE(enabled(id)) << id;
    }
    EXPECT_FALSE(enabled(50052));  // no directory clicked yet
    EXPECT_FALSE(enabled(50037));
    EXPECT_TRUE(enabled(50028));
    ASSERT_TRUE(app.view().SaveDatasetFile(L"D:\\r.acl"));
    windows.files = {L"D:\\r.acl"};
    main.run(50028);
    ASSERT_TRUE(app.view().compareMode());
    for (int id : editing) {
        EXPECT_FALSE(enabled(id)) << id;
    }
    for (int id : {50022, 50023, 50025, 50028}) {
        EXPECT_FALSE(enabled(id)) << id;
    }
    EXPECT_TRUE(enabled(50037));
    EXPECT_TRUE(enabled(50070));
    EXPECT_TRUE(enabled(50024));
    main.run(50037);
    EXPECT_TRUE(enabled(50048));  // the scan is live data again
    windows.files = {L"D:\\r.acl"};
    main.run(50002);
    EXPECT_FALSE(enabled(50048));
    EXPECT_TRUE(enabled(50022));
}

TEST_F(Controller, MenuChecksFollowTheViewOptionsAndTheWheelSpeed) {
    windows.configs = {config()};
    app.NewScanCommand();
    auto item = [&](int id, const MenuViewFlags& flags) {
        for (const MainMenuItem& s : main.commands.MenuStates(flags)) {
            if (s.id == id) {
                return s;
            }
        }
        ADD_FAILURE() << "no state for " << id;
        return MainMenuItem{};
    };
    // Each wheel speed checks its own item; all three can be chosen.
    const int wheel[3] = {50068, 50067, 50066};  // slow, normal, fast
    for (int mode = 0; mode < 3; ++mode) {
        MenuViewFlags flags;
        flags.wheelMode = mode;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(item(wheel[i], flags).checked, i == mode) << mode << " " << wheel[i];
            EXPECT_TRUE(item(wheel[i], flags).enabled);
        }
    }
    // The options are checked while they are on, and can always be chosen.
    const int options[] = {50051, 50050, 50055, 50027, 50064, 50031, 50026};
    auto checks = [&](const MenuViewFlags& flags) {
        std::vector<int> on;
        for (int id : options) {
            EXPECT_TRUE(item(id, flags).enabled) << id;
            if (item(id, flags).checked) {
                on.push_back(id);
            }
        }
        return on;
    };
    MenuViewFlags flags;
    EXPECT_EQ(checks(flags), (std::vector<int>{50050, 50027}));
    for (int id : {50051, 50050, 50055, 50064}) {
        main.run(id);
    }
    app.view().ApplyDynamicFilterWindow(0);
    app.view().SetFindMode(true);
    flags.showCompletePath = false;
    EXPECT_EQ(checks(flags), (std::vector<int>{50051, 50055, 50064, 50031, 50026}));
    // Inherit ACL needs a clicked directory of live data.
    EXPECT_FALSE(item(50052, flags).enabled);
    flags.lastClickedIsDirectory = true;
    EXPECT_TRUE(item(50052, flags).enabled);
    EXPECT_EQ(item(50044, flags).text, L"Depth \u221E");
}

TEST_F(Controller, CreatorNamesAndTheUserComeFromTheAccounts) {
    app.Prepare();
    EXPECT_EQ(app.creatorOwnerName(), L"CREATOR OWNER");
    EXPECT_EQ(app.creatorGroupName(), L"CREATOR GROUP");
    EXPECT_EQ(app.userSid(), sim.accounts().currentUser());
    EXPECT_FALSE(app.userName().empty());
    EXPECT_TRUE(ui.messageTexts().empty());
    // No privilege held: none available.
    EXPECT_FALSE(app.takeOwnershipAvailable());
    EXPECT_FALSE(app.editing().settings.backupRestoreAvailable);
}

TEST_F(Controller, StartUpEnablesBackupAndRestoreWhereHeld) {
    sim.setTakeOwnershipHeld(true);
    sim.setBackupHeld(true);
    sim.setRestoreHeld(true);
    app.Prepare();
    EXPECT_TRUE(app.takeOwnershipAvailable());
    EXPECT_TRUE(sim.backupEnabled());
    EXPECT_TRUE(sim.restoreEnabled());
    EXPECT_TRUE(app.editing().settings.takeOwnershipAvailable);
    EXPECT_TRUE(app.editing().settings.backupRestoreAvailable);
}

}  // namespace
}  // namespace quorel
