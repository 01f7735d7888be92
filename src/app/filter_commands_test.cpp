// The commands of the dynamic filter window (50031), the permission window
// (50030) and printing (50075), with the windows answered from a script.
#include <gtest/gtest.h>

#include "app/app_controller.h"
#include "app/app_test_support.h"
#include "app/menu_model.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/dynamic_filter.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"
#include "resource.h"

namespace quorel {
namespace {

using Texts = std::vector<std::wstring>;
using test::MainWindowModel;

// A printer that keeps the texts it was given and can refuse a page.
class PaperPrinter : public PrintDevice {
  public:
    explicit PaperPrinter(Texts& paper, int refuseEndOfPage = 0)
        : paper_(paper), refuse_(refuseEndOfPage) {}
    int textWidth(std::wstring_view text) const override {
        return 10 * static_cast<int>(text.size());
    }
    PrintMetrics metrics() const override { return {2000, 3000, 30, 34}; }
    bool StartDocument() override { return true; }
    bool StartPage() override { return true; }
    bool EndPage() override {
        paper_.push_back(L"<end of page>");
        return ++pages_ != refuse_;
    }
    void EndDocument() override { paper_.push_back(L"<end of document>"); }
    void Draw(const PrintItem& item) override {
        if (item.kind == PrintItem::Kind::Text) {
            paper_.push_back(item.text);
        }
    }

  private:
    Texts& paper_;
    int refuse_;
    int pages_ = 0;
};

class FilterCommands : public ::testing::Test {
  protected:
    FilterCommands()
        : app(AppPorts{files, sim, sim, sim, sim, ui, windows}, {L"C:\\Prog\\", L"D:\\Data"}) {
        const Sid me = sim.accounts().currentUser();
        sim.dir(L"C:\\r").allow(me, 0x1F01FF, 0x03);
        sim.file(L"C:\\r\\a.txt").allow(me, 0x1F01FF, 0x10);
        sim.file(L"C:\\r\\deny.txt").deny(me, 0x2).allow(me, 0x1F01FF);
    }
    void scan() {
        ScanConfiguration c;
        c.directoryText = L"C:\\r";
        c.directories = {L"C:\\r"};
        windows.configs = {c};
        app.NewScanCommand();
        windows.log.clear();
        ui.clear();
    }
    Texts shown() const {
        Texts paths;
        for (const CDirEntry* e : app.view().lines().lines()) {
            paths.push_back(e->path());
        }
        return paths;
    }
    MainMenuItem menu(int id) const {
        for (const MainMenuItem& item : main.commands.MenuStates(MenuViewFlags{})) {
            if (item.id == id) {
                return item;
            }
        }
        ADD_FAILURE() << "no menu state for " << id;
        return {};
    }

    sim::SimPlatform sim;
    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    test::ScriptedWindows windows;
    AppController app;
    MainWindowModel main{app};
};

TEST_F(FilterCommands, DynamicFilterWindowNeedsADataset) {
    EXPECT_FALSE(app.DynamicFilters().redraw);
    EXPECT_TRUE(windows.log.empty());
}

TEST_F(FilterCommands, OkAppliesTheRowsChecksTheMenuItemAndSaysSo) {
    scan();
    Texts subjects;
    windows.onFilterWindow = [&](DynamicFilterEditor& e) {
        subjects = e.subjects();
        e.Plus(0);
        e.ChooseSubject(0, L"<filename>");
        e.TypeEditText(0, L"DENY");
        e.ChooseOperator(0, FilterOperator::Contains);
        e.ChooseCombination(true);
        e.Ok();
    };
    const CommandResult r = app.DynamicFilters();
    EXPECT_TRUE(r.resetScroll && r.redraw);
    EXPECT_EQ(windows.log, Texts{L"filters"});
    // The user list rebuilt from the dataset filled the subjects.
    EXPECT_EQ(subjects, (Texts{L"<any user>", L"<filename>", L"Administrators", L"simuser",
                               L"SYSTEM", L"Users"}));
    EXPECT_EQ(shown(), Texts{L"C:\\r\\deny.txt"});
    EXPECT_EQ(app.view().dynamicFilters().combination, 1u);
    EXPECT_TRUE(menu(50031).checked);
    EXPECT_EQ(ui.statusTexts(0), Texts{L"Dynamic filter applied to dataset"});

    // A static filter command clears the mark again.
    main.run(50020);
    EXPECT_FALSE(menu(50031).checked);
}

TEST_F(FilterCommands, CancelKeepsTheEditsButNotTheFilterAndTheCloseBoxSaysNothing) {
    scan();
    app.view().ApplyDynamicFilterWindow(0);
    ui.clear();
    windows.onFilterWindow = [&](DynamicFilterEditor& e) {
        e.Plus(0);
        e.ChooseStaticFilter(2);  // "at least one deny entry", at once
        e.Cancel();
    };
    main.run(IDM_DYNAMIC_FILTERS);
    EXPECT_FALSE(menu(50031).checked);
    EXPECT_EQ(app.view().dynamicFilters().rows.size(), 1u);
    EXPECT_EQ(ui.statusTexts(0), Texts{L"Dynamic filter aborted"});
    EXPECT_EQ(app.view().staticFilter(), 3);
    EXPECT_TRUE(menu(50022).checked);
    EXPECT_FALSE(menu(50020).checked);
    EXPECT_EQ(shown().size(), 3u);  // nothing applied

    app.view().ApplyDynamicFilterWindow(0);
    ui.clear();
    windows.onFilterWindow = nullptr;  // the close box
    main.run(IDM_DYNAMIC_FILTERS);
    EXPECT_FALSE(app.view().dynamicFilters().active);
    EXPECT_TRUE(ui.statusTexts(0).empty());
}

TEST_F(FilterCommands, PermissionWindowOkRebuildsTheColumnsAndSwapsTheMenuChecks) {
    EXPECT_TRUE(menu(50030).checked);
    main.run(IDM_BASIC_PERMISSION_SET);
    EXPECT_FALSE(menu(50030).checked);
    EXPECT_TRUE(menu(50064).checked);
    ui.clear();
    windows.onPermissionWindow = [](PermissionSelection& s) {
        EXPECT_TRUE(s.checked(0));
        s.Click(2);  // g_rd
        s.Ok();
    };
    const CommandResult r = app.SelectPermissions();
    EXPECT_TRUE(r.redraw);
    EXPECT_EQ(app.view().rights().count(), 2u);
    EXPECT_EQ(app.view().rights().column(1).abbreviation, L"g_rd");
    EXPECT_TRUE(menu(50030).checked);
    EXPECT_FALSE(menu(50064).checked);
    EXPECT_EQ(ui.statusTexts(0), Texts{L"A new set of permissions to display was selected"});
}

TEST_F(FilterCommands, PermissionWindowCancelAndCloseChangeNothing) {
    windows.onPermissionWindow = [](PermissionSelection& s) {
        s.Click(0);
        s.Cancel();
    };
    EXPECT_FALSE(app.SelectPermissions().redraw);
    EXPECT_EQ(app.view().rights().count(), 4u);
    EXPECT_EQ(ui.statusTexts(0), Texts{L"No new set of permissions to display was selected"});
    windows.onPermissionWindow = nullptr;
    main.run(IDM_SELECT_PERMISSIONS);
    EXPECT_EQ(ui.statusTexts(0).size(), 1u);
    EXPECT_EQ(windows.log, (Texts{L"permissions", L"permissions"}));
}

TEST_F(FilterCommands, PrintListsTheFilteredEntriesAndACancelledDialogPrintsNothing) {
    main.run(IDM_PRINT);  // no data: no dialog
    EXPECT_TRUE(windows.log.empty());
    scan();
    main.run(IDM_PRINT);  // the dialog cancelled
    EXPECT_EQ(windows.log, Texts{L"print dialog"});
    EXPECT_TRUE(ui.events().empty());

    main.run(50022);  // only deny.txt passes
    Texts paper;
    windows.printer = [&] { return std::make_unique<PaperPrinter>(paper); };
    main.run(IDM_PRINT);
    const CDirEntry& deny = *app.view().lines().lines()[0];
    ASSERT_EQ(paper.size(), 5u + deny.aceCount() + 3u);
    EXPECT_EQ(paper[0], L"C:\\r\\deny.txt");
    EXPECT_EQ((Texts{paper[1], paper[2], paper[3], paper[4]}),
              (Texts{L"rd", L"wr", L"ex", L"del"}));
    EXPECT_EQ(paper[5], L"Administrators (BUILTIN) inherited,");
    std::wstring denyText;
    for (std::uint32_t i = 0; i < deny.aceCount(); ++i) {
        if (deny.ace(i)->isDeny()) {
            denyText = paper[5 + i];
            EXPECT_EQ(denyText, std::wstring(deny.ace(i)->trustee(test::NamesOf(&deny))) + L" (" +
                                    std::wstring(deny.ace(i)->domain(test::NamesOf(&deny))) +
                                    L") DENY,");
        }
    }
    EXPECT_FALSE(denyText.empty());
    EXPECT_EQ((Texts(paper.end() - 3, paper.end())),
              (Texts{L"- 1 -", L"<end of page>", L"<end of document>"}));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(FilterCommands, RefusedPageIsReportedInAMessageBox) {
    scan();
    Texts paper;
    windows.printer = [&] { return std::make_unique<PaperPrinter>(paper, 1); };
    main.run(IDM_PRINT);
    EXPECT_EQ(paper.back(), L"<end of document>");
    ASSERT_EQ(ui.messages().size(), 1u);
    const sim::Interaction m = ui.messages()[0];
    EXPECT_EQ(m.text,
              L"Printing stopped: the printer did not accept page 1. Nothing was printed; "
              L"the document was ended.");
    EXPECT_EQ(m.caption, L"Print");
    EXPECT_EQ(m.icon, MessageIcon::Error);
}

}  // namespace
}  // namespace quorel
