// The real main window in this process, editing ACLs. Over the simulated
// file server (Wine keeps no ACEs) the ACL each flow leaves on its disk is
// checked: the write-mode gate, cell clicks and Undo, Delete, Add through
// the "Add user" dialog, Copy/Paste, Convert, MODIFYACE, Inherit ACL with
// its settings dialog and the heartbeat's Cancel, Restore permissions, and
// the group break-down drawn in the matrix. Over the Win32 ports the same
// commands run their call paths on a temporary tree.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "accounts/account_lists.h"
#include "app/app_controller.h"
#include "app/main_view.h"
#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "core/scanner.h"
#include "core/security_reader.h"
#include "painted_window.h"
#include "platform/file_io_port.h"
#include "platform/sim/sample_server.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/standard_files.h"
#include "platform/win32/temp_tree.h"
#include "platform/win32/win32_platform.h"
#include "resource.h"
#include "storage/dataset_file.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gui_interaction.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_app_windows.h"

namespace quorel::win32 {
namespace {

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"quorel-editing-window-test";
}

// The answers to the boxes, dialogs and heartbeat windows this thread will
// open, in order. A timer on the main window gives each its answer once
// the window is up: `windowClass` "#32770" is this thread's active message
// box or dialog (its text is kept), another class is found by name.
struct Answer {
    std::wstring windowClass;
    std::function<void(HWND)> act;
};
std::deque<Answer> g_answers;
std::vector<std::wstring> g_boxTexts;

// This thread's message box or dialog, if one is up.
HWND ActiveBox() {
    HWND box = GetActiveWindow();
    wchar_t cls[16] = {};
    if (box != nullptr) {
        GetClassNameW(box, cls, 16);
    }
    return std::wstring(cls) == L"#32770" ? box : nullptr;
}

std::wstring BoxText(HWND box) {
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    return text;
}

// Boxes that came without an answer; they are closed so that the test ends.
std::vector<std::wstring> g_unexpected;

void CALLBACK AnswerNext(HWND, UINT, UINT_PTR, DWORD) {
    if (g_answers.empty()) {
        if (HWND box = ActiveBox()) {
            g_unexpected.push_back(BoxText(box));
            for (int button : {IDCANCEL, IDNO, IDOK}) {
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            }
        }
        return;
    }
    HWND target = nullptr;
    if (g_answers.front().windowClass == L"#32770") {
        target = ActiveBox();
        if (target == nullptr) {
            return;
        }
        g_boxTexts.push_back(BoxText(target));
    } else {
        target = FindWindowW(g_answers.front().windowClass.c_str(), nullptr);
        if (target == nullptr) {
            return;
        }
    }
    Answer answer = std::move(g_answers.front());
    g_answers.pop_front();
    answer.act(target);
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Answers of a message box.
std::function<void(HWND)> Press(int button) {
    return [button](HWND box) { Click(box, button); };
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)),
                          L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text.data()));
        items.push_back(text);
    }
    return items;
}

// The names as the dialog's sorted name box shows them.
std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
               CSTR_LESS_THAN;
    });
    return names;
}

// A disk whose listings take their time, so that a run over the tree is
// still going when the heartbeat's Cancel is pressed.
class SlowListings final : public FileSystemPort {
  public:
    explicit SlowListings(FileSystemPort& disk) : disk_(disk) {}
    DWORD delayMs = 0;

    std::unique_ptr<DirEnumerator> openDirectory(const std::wstring& path, DirItem& first,
                                                 std::uint32_t& error) override {
        Sleep(delayMs);
        return disk_.openDirectory(path, first, error);
    }
    std::uint32_t readReparseTarget(const std::wstring& path, std::wstring& target) override {
        return disk_.readReparseTarget(path, target);
    }

  private:
    FileSystemPort& disk_;
};

// What the window shows and how to click it, for either kind of ports.
class WindowDriver {
  protected:
    // Drops the quit message that a destroyed window of an earlier test
    // posted; a modal loop would end at once on it.
    static void DrainQuit() {
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    void OpenWindow(AppController& app, GuiInteraction& ui, Win32AppWindows& windows) {
        window_.reset();
        DrainQuit();
        window_ = std::make_unique<MainWindow>(app, ui, windows);
        hwnd = window_->Create();
        ASSERT_NE(hwnd, nullptr);
        dpi = ScreenDpi();
        app_ = &app;
        g_unexpected.clear();
        SetTimer(hwnd, 78, 30, AnswerNext);
    }
    void CloseWindow() {
        EXPECT_TRUE(g_answers.empty()) << g_answers.size() << " windows never came";
        EXPECT_TRUE(g_unexpected.empty()) << testing::PrintToString(g_unexpected);
        g_answers.clear();
        g_unexpected.clear();
        window_.reset();
        DrainQuit();
    }

    const ScreenModel& screen() { return window_->view().screen(); }
    CDirEntry* entry(const std::wstring& path) {
        for (CDirEntry* e : app_->view().lines().lines()) {
            if (e->path() == path) {
                return e;
            }
        }
        return nullptr;
    }
    // Puts `e` at the top of the matrix.
    void scrollTo(const CDirEntry* e) {
        int index = 0;
        while (app_->view().lines().at(static_cast<std::size_t>(index)) != e) {
            ++index;
        }
        SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, index), 0);
    }
    int lineOf(const CDirEntry* e, const AceRecord* ace) {
        const auto& table = screen().lineTable;
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i].entry == e && table[i].ace == ace) {
                return static_cast<int>(i);
            }
        }
        ADD_FAILURE() << "not on screen";
        return 0;
    }
    // Client coordinates of column `column` (or, with -1, the trustee text)
    // on the line of ACE `ace` of `e`.
    LPARAM at(CDirEntry* e, std::uint32_t ace, int column) {
        const HitGeometry& g = screen().geometry;
        const int x = column < 0 ? 30 : g.firstColumnX + column * g.columnWidth + 3;
        return MAKELPARAM(Scale(x, dpi), Scale(lineOf(e, e->ace(ace)) * g.lineHeight + 3, dpi));
    }
    // A click on the header line of `e`: its whole ACL.
    void selectHeader(CDirEntry* e) {
        scrollTo(e);
        const int line = lineOf(e, nullptr);
        SendMessageW(hwnd, WM_LBUTTONDOWN, 0,
                     MAKELPARAM(Scale(30, dpi), Scale(line * screen().lineHeight + 3, dpi)));
    }
    void answer(std::wstring windowClass, std::function<void(HWND)> act) {
        g_answers.push_back({std::move(windowClass), std::move(act)});
    }
    void answerBox(std::function<void(HWND)> act) { answer(L"#32770", std::move(act)); }
    void command(int id) { SendMessageW(hwnd, WM_COMMAND, id, 0); }
    std::wstring menuText(int id) {
        wchar_t text[128] = {};
        GetMenuStringW(GetMenu(hwnd), static_cast<UINT>(id), text, 128, MF_BYCOMMAND);
        return text;
    }
    UINT menuState(int id) {
        return GetMenuState(GetMenu(hwnd), static_cast<UINT>(id), MF_BYCOMMAND) &
               (MF_GRAYED | MF_CHECKED);
    }
    std::wstring statusPart(int part) {
        HWND bar = FindWindowExW(hwnd, nullptr, STATUSCLASSNAMEW, nullptr);
        wchar_t text[256] = {};
        SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
        return text;
    }

    std::unique_ptr<MainWindow> window_;
    AppController* app_ = nullptr;
    HWND hwnd = nullptr;
    UINT dpi = 96;
};

// The main window over the simulated file server: edits reach its disk.
class EditingWindowTest : public ::testing::Test, protected WindowDriver {
  protected:
    EditingWindowTest()
        : slow(sim),
          windows(ui, sim, sim::standardFiles()),
          app(AppPorts{sim::standardFiles(), slow, sim, sim, sim, ui, windows},
              {L"", TempFolder()}) {
        CreateDirectoryW(TempFolder().c_str(), nullptr);
        windows.SetController(app);
        sim::BuildSampleServer(sim);
    }

    void SetUp() override {
        app.Prepare();
        app.view().ShowDataset(scan(), DatasetOrigin::Scan);
        OpenWindow(app, ui, windows);
        g_boxTexts.clear();
    }
    void TearDown() override { CloseWindow(); }

    std::unique_ptr<CDirList> scan() {
        auto list = std::make_unique<CDirList>(ui);
        SecurityReader reader(sim, sim);
        Scanner(*list, sim, reader, ui).ScanTree(L"C:\\Projects", 0);
        return list;
    }
    std::vector<RawAce>& disk(const std::wstring& path) {
        return sim.volume().find(path)->security.dacl;
    }
    // Every DACL below and at `root` on the disk, by path.
    std::map<std::wstring, std::vector<RawAce>> disks(const std::wstring& root) {
        std::map<std::wstring, std::vector<RawAce>> all;
        for (CDirEntry* e : app.view().lines().lines()) {
            if (e->path().rfind(root, 0) == 0) {
                all[e->path()] = disk(e->path());
            }
        }
        return all;
    }
    Sid sidOf(const wchar_t* name) { return sim.accounts().findByName(name)->sid; }

    sim::SimPlatform sim;
    SlowListings slow;
    GuiInteraction ui;
    Win32AppWindows windows;
    AppController app;
};

TEST_F(EditingWindowTest, GateCellClickUndoAndDelete) {
    CDirEntry* alpha = entry(L"C:\\Projects\\Alpha");
    ASSERT_NE(alpha, nullptr);
    const std::vector<RawAce> before = disk(L"C:\\Projects\\Alpha");
    // alice is Alpha's last ACE, explicit: click its "wr" column.
    const std::uint32_t last = alpha->aceCount() - 1;
    answerBox(Press(IDNO));
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at(alpha, last, 1));
    EXPECT_EQ(g_boxTexts.at(0).rfind(L"Write mode not activated.", 0), 0u);
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha"), before);
    EXPECT_EQ(menuState(IDM_WRITE_MODE), 0u);

    answerBox(Press(IDYES));
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at(alpha, last, 1));
    EXPECT_EQ(menuState(IDM_WRITE_MODE), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha").back().mask(), 0x1F01FFu & ~0x2u);
    EXPECT_EQ(menuText(IDM_UNDO), L"Undo: set permissions\tCTRL+Z");
    command(IDM_UNDO);
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha"), before);

    // Select alice's ACE, Delete, Yes.
    alpha = entry(L"C:\\Projects\\Alpha");
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at(alpha, last, -1));
    answerBox(Press(IDYES));
    command(IDM_DELETE_ACES);
    EXPECT_EQ(g_boxTexts.back(), L"Are you sure you want to delete the selected ACEs?");
    std::vector<RawAce> expected = before;
    expected.pop_back();
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha"), expected);
}

TEST_F(EditingWindowTest, CopyPasteAndModifyAceThroughTheDialog) {
    command(IDM_WRITE_MODE);
    CDirEntry* budget = entry(L"C:\\Projects\\Alpha\\budget.xlsx");
    ASSERT_NE(budget, nullptr);
    selectHeader(budget);
    command(IDM_COPY);
    selectHeader(entry(L"C:\\Projects\\Alpha\\Design"));
    command(IDM_PASTE);
    const std::vector<RawAce>& pasted = disk(L"C:\\Projects\\Alpha\\Design");
    const std::vector<RawAce>& source = disk(L"C:\\Projects\\Alpha\\budget.xlsx");
    ASSERT_EQ(pasted.size(), source.size());
    for (std::size_t i = 0; i < pasted.size(); ++i) {
        EXPECT_EQ(*pasted[i].sid(), *source[i].sid());
        EXPECT_EQ(pasted[i].mask(), source[i].mask());
        EXPECT_EQ(pasted[i].flags(), 0);  // pasted ACEs carry no flags
    }

    // A double click on bob's ACE of budget.xlsx opens MODIFYACE: deny.
    budget = entry(L"C:\\Projects\\Alpha\\budget.xlsx");
    scrollTo(budget);
    const std::uint32_t bob = budget->aceCount() - 1;
    answerBox([](HWND dialog) {
        Click(dialog, IDC_MODIFY_ACE_DENY);
        Click(dialog, IDOK);
    });
    SendMessageW(hwnd, WM_LBUTTONDBLCLK, 0, at(budget, bob, -1));
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha\\budget.xlsx").back().type(), ace_type::kAccessDenied);
    EXPECT_EQ(menuText(IDM_UNDO), L"Undo: modify ACE\tCTRL+Z");
}

TEST_F(EditingWindowTest, AddUserDialogAddsATypedNameAsDenyEntry) {
    command(IDM_WRITE_MODE);
    const std::vector<RawAce> before = disk(L"C:\\Projects\\Alpha\\plan.docx");
    selectHeader(entry(L"C:\\Projects\\Alpha\\plan.docx"));
    AccountLists initial;
    initial.BuildAccountLists(sim);
    std::vector<std::wstring> localUsers, domainGroups, rebuilt;
    answerBox([&](HWND dialog) {
        HWND names = GetDlgItem(dialog, IDC_ADD_USER_NAME);
        localUsers = ComboItems(names);
        // "Rebuild Userlists" asks the system again.
        sim.accounts().addLocalUser(L"newcomer");
        Click(dialog, IDC_ADD_USER_REBUILD);
        rebuilt = ComboItems(names);
        // "Domain Groups" from the list choice fills the names with them.
        SendMessageW(GetDlgItem(dialog, IDC_ADD_USER_LIST), CB_SETCURSEL, 3, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ADD_USER_LIST, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ADD_USER_LIST)));
        domainGroups = ComboItems(names);
        // A name typed into the box, not one of the list's.
        SetWindowTextW(names, L"carol");
        Click(dialog, IDC_ADD_USER_DENY);
        Click(dialog, IDOK);
    });
    command(IDM_ADD_ACE);
    AccountLists expected;
    expected.BuildAccountLists(sim);
    EXPECT_EQ(localUsers, Sorted(initial.names(AccountLists::LocalUsers)));
    EXPECT_EQ(domainGroups, Sorted(expected.names(AccountLists::DomainGroups)));
    EXPECT_NE(std::find(domainGroups.begin(), domainGroups.end(), L"Staff"), domainGroups.end());
    EXPECT_EQ(std::find(localUsers.begin(), localUsers.end(), L"newcomer"), localUsers.end());
    EXPECT_EQ(rebuilt, Sorted(expected.names(AccountLists::LocalUsers)));
    EXPECT_NE(std::find(rebuilt.begin(), rebuilt.end(), L"newcomer"), rebuilt.end());

    const std::vector<RawAce>& after = disk(L"C:\\Projects\\Alpha\\plan.docx");
    ASSERT_EQ(after.size(), before.size() + 1);
    std::size_t added = 0;
    while (added < after.size() && *after[added].sid() != sidOf(L"carol")) {
        ++added;
    }
    ASSERT_LT(added, after.size());
    EXPECT_EQ(after[added].type(), ace_type::kAccessDenied);
    std::vector<RawAce> rest = after;
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(added));
    EXPECT_EQ(rest, before);

    // Cancel adds nothing.
    selectHeader(entry(L"C:\\Projects\\Alpha\\plan.docx"));
    answerBox([](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_ADD_USER_NAME, L"bob");
        Click(dialog, IDCANCEL);
    });
    command(IDM_ADD_ACE);
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha\\plan.docx").size(), before.size() + 1);
}

TEST_F(EditingWindowTest, ConvertMakesTheInheritedAcesExplicit) {
    command(IDM_WRITE_MODE);
    const std::wstring path = L"C:\\Projects\\Alpha\\plan.docx";
    const std::vector<RawAce> before = disk(path);
    ASSERT_TRUE(before.front().flags() & 0x10);
    selectHeader(entry(path));
    command(IDM_CONVERT_INHERITED);
    const std::vector<RawAce>& after = disk(path);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(*after[i].sid(), *before[i].sid());
        EXPECT_EQ(after[i].mask(), before[i].mask());
        EXPECT_EQ(after[i].flags(), before[i].flags() & ~0x10);
    }
    EXPECT_TRUE(sim.volume().find(path)->security.daclProtected());
    EXPECT_EQ(statusPart(0), L"Inherited ACEs converted to non-inherited ACEs");
    command(IDM_UNDO);
    EXPECT_EQ(disk(path), before);
}

TEST_F(EditingWindowTest, InheritAclThroughItsSettingsDialog) {
    command(IDM_WRITE_MODE);
    const std::wstring budget = L"C:\\Projects\\Alpha\\budget.xlsx";
    const std::vector<RawAce> before = disk(budget);
    selectHeader(entry(L"C:\\Projects\\Alpha"));
    // The Edit menu opened: Inherit ACL follows the last click, a folder.
    EnableMenuItem(GetMenu(hwnd), IDM_INHERIT_ACL, MF_BYCOMMAND | MF_GRAYED);
    SendMessageW(hwnd, WM_MENUSELECT, MAKEWPARAM(1, MF_POPUP | MF_HILITE),
                 reinterpret_cast<LPARAM>(GetMenu(hwnd)));
    EXPECT_EQ(menuState(IDM_INHERIT_ACL), 0u);

    answerBox(Press(IDYES));
    std::vector<bool> giveBackEnabled;
    answerBox([&](HWND dialog) {
        // "Give back ownership" waits for "Take ownership".
        HWND giveBack = GetDlgItem(dialog, IDC_INHERIT_GIVE_BACK_OWNERSHIP);
        giveBackEnabled.push_back(IsWindowEnabled(giveBack) != FALSE);
        Click(dialog, IDC_INHERIT_TAKE_OWNERSHIP);
        giveBackEnabled.push_back(IsWindowEnabled(giveBack) != FALSE);
        Click(dialog, IDC_INHERIT_TAKE_OWNERSHIP);
        giveBackEnabled.push_back(IsWindowEnabled(giveBack) != FALSE);
        Click(dialog, IDOK);
    });
    answerBox(Press(IDOK));
    command(IDM_INHERIT_ACL);
    ASSERT_EQ(g_boxTexts.size(), 3u);
    EXPECT_EQ(g_boxTexts[0].rfind(L"Apply ACL to all subdirectories and files?", 0), 0u);
    EXPECT_EQ(g_boxTexts[2], L"File processing complete.");
    EXPECT_EQ(statusPart(0), L"Inherit complete");
    EXPECT_EQ(giveBackEnabled, (std::vector<bool>{false, true, false}));
    // budget.xlsx lost its explicit deny and bob; what it keeps is inherited.
    // alice's came from Alpha's explicit ACE.
    bool alice = false;
    for (const RawAce& ace : disk(budget)) {
        EXPECT_TRUE(ace.flags() & 0x10);
        EXPECT_EQ(ace.type(), ace_type::kAccessAllowed);
        EXPECT_NE(*ace.sid(), sidOf(L"bob"));
        alice = alice || *ace.sid() == sidOf(L"alice");
    }
    EXPECT_TRUE(alice);
    EXPECT_NE(disk(budget), before);
    // Inheriting cleared the undo buffer.
    EXPECT_EQ(menuState(IDM_UNDO), static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(menuText(IDM_UNDO), L"Undo: \tCTRL+Z");
}

TEST_F(EditingWindowTest, HeartbeatCancelStopsInheritAcl) {
    command(IDM_WRITE_MODE);
    const auto before = disks(L"C:\\Projects");
    selectHeader(entry(L"C:\\Projects"));
    slow.delayMs = 40;
    answerBox(Press(IDYES));
    answerBox(Press(IDOK));
    bool heartbeatShown = false;
    answer(L"Heartbeat Window", [&](HWND heartbeat) {
        heartbeatShown = IsWindowVisible(heartbeat);
        SendMessageW(
            heartbeat, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
            reinterpret_cast<LPARAM>(FindWindowExW(heartbeat, nullptr, L"button", L"Cancel")));
    });
    answerBox(Press(IDOK));
    answerBox(Press(IDOK));
    command(IDM_INHERIT_ACL);
    slow.delayMs = 0;
    EXPECT_TRUE(heartbeatShown);
    EXPECT_EQ(FindWindowW(L"Heartbeat Window", nullptr), nullptr);
    // The question, dialog 138, the cancel message, the closing message:
    // a run cut short is not called complete.
    ASSERT_EQ(g_boxTexts.size(), 4u);
    EXPECT_EQ(g_boxTexts[3],
              L"File processing incomplete: some files and folders were not reached and keep "
              L"their ACLs. See the error log.");
    const std::wstring& cancelled = g_boxTexts[2];
    ASSERT_EQ(cancelled.rfind(L"Inherit ACL was canceled after ", 0), 0u) << cancelled;
    const int walked = std::stoi(cancelled.substr(31));
    EXPECT_LT(static_cast<std::size_t>(walked), before.size() - 1);
    // What was not reached keeps its ACL, and no working ACE stays behind.
    const Sid me = sim.accounts().currentUser();
    int changed = 0;
    for (const auto& [path, dacl] : before) {
        const std::vector<RawAce>& now = disk(path);
        changed += now != dacl ? 1 : 0;
        for (const RawAce& ace : now) {
            EXPECT_NE(*ace.sid(), me) << path;
        }
    }
    EXPECT_LE(changed, walked + 1);
}

TEST_F(EditingWindowTest, RestorePermissionsThroughItsDialog) {
    // The saved scan, then changes on the disk: one more ACE on Alpha, a
    // different plan.docx and a new file.
    const std::wstring saved = TempFolder() + L"\\before.acl";
    {
        auto old = scan();
        NameTables names;
        RebuildNameTables(*old, names);
        ASSERT_TRUE(WriteDatasetFile(sim::standardFiles(), ui, *old, saved, names));
    }
    const auto before = disks(L"C:\\Projects");
    sim.dir(L"C:\\Projects\\Alpha").allow(sidOf(L"carol"), 0x1200A9, 0x03);
    sim.file(L"C:\\Projects\\Alpha\\plan.docx").dacl().allow(well_known::users(), 0x1F01FF);
    sim.file(L"C:\\Projects\\Alpha\\new.txt").dacl().allow(well_known::users(), 0x1F01FF);
    app.view().ShowDataset(scan(), DatasetOrigin::Scan);
    ASSERT_TRUE(app.view().CompareToFile(saved));
    app.view().RebuildLines();
    OpenWindow(app, ui, windows);
    EXPECT_EQ(menuState(IDM_RESTORE_PERMISSIONS), 0u);

    // The gate first, then dialog 139: do nothing about inheritance.
    answerBox(Press(IDYES));
    answerBox([](HWND dialog) {
        Click(dialog, IDC_RESTORE_DO_NOTHING);
        Click(dialog, IDOK);
    });
    command(IDM_RESTORE_PERMISSIONS);
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha"), before.at(L"C:\\Projects\\Alpha"));
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha\\plan.docx"),
              before.at(L"C:\\Projects\\Alpha\\plan.docx"));
    EXPECT_EQ(disk(L"C:\\Projects\\Alpha\\new.txt").size(), 1u);
    EXPECT_EQ(statusPart(0), L"Permissions restored");

    // Again, applying inheritance: the new file takes its folder's ACEs.
    answerBox([](HWND dialog) { Click(dialog, IDOK); });
    command(IDM_RESTORE_PERMISSIONS);
    // Its own ACE went; alice's came from Alpha.
    const std::vector<RawAce>& fresh = disk(L"C:\\Projects\\Alpha\\new.txt");
    bool alice = false;
    for (const RawAce& ace : fresh) {
        EXPECT_TRUE(ace.flags() & 0x10);
        alice = alice || *ace.sid() == sidOf(L"alice");
    }
    EXPECT_TRUE(alice);
}

TEST_F(EditingWindowTest, BreakDownDrawsTheMembersBelowTheGroup) {
    scrollTo(entry(L"C:\\Projects"));
    answerBox(Press(IDNO));  // not recursive
    command(IDM_BREAK_DOWN_GROUPS);
    EXPECT_EQ(g_boxTexts.at(0),
              L"Must the user listing be done recursively ( WARNING: this may take a VERY long "
              L"time )");
    EXPECT_EQ(menuState(IDM_BREAK_DOWN_GROUPS), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(statusPart(0), L"Ready");
    // The line below Staff's ACE names alice and bob.
    const ScreenModel& s = screen();
    auto names = [&](const ScreenLine& line, const wchar_t* name) {
        for (std::uint32_t t = 0; t < line.textCount; ++t) {
            if (s.texts[line.firstText + t].text.find(name) != std::wstring::npos) {
                return true;
            }
        }
        return false;
    };
    const ScreenLine* member = nullptr;
    for (std::size_t i = 1; i < s.lines.size(); ++i) {
        if (s.lines[i].kind == LineKind::GroupMember && s.lines[i - 1].kind == LineKind::Ace &&
            names(s.lines[i - 1], L"Staff")) {
            member = &s.lines[i];
            break;
        }
    }
    ASSERT_NE(member, nullptr);
    ASSERT_EQ(member->textCount, 1u);
    const TextItem& text = s.texts[member->firstText];
    EXPECT_NE(text.text.find(L"alice"), std::wstring::npos);
    EXPECT_NE(text.text.find(L"bob"), std::wstring::npos);
    EXPECT_EQ(text.text.find(L"carol"), std::wstring::npos);

    // Painted: dark text pixels on the member line.
    const test::PaintedWindow painted(hwnd, *window_);
    int dark = 0;
    for (int y = Scale(member->y, dpi); y < Scale(member->y + member->height, dpi); ++y) {
        for (int x = Scale(text.x, dpi); x < Scale(text.x + 60, dpi); ++x) {
            const COLORREF c = painted.at(x, y);
            dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 200 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 20);

    // 50062 again switches the member lines off.
    command(IDM_BREAK_DOWN_GROUPS);
    EXPECT_EQ(menuState(IDM_BREAK_DOWN_GROUPS), 0u);
    for (const ScreenLine& l : screen().lines) {
        EXPECT_NE(l.kind, LineKind::GroupMember);
    }
}

// The Win32 ports on a temporary tree: the commands run their call paths.
// Wine keeps only mode bits of what is written, so these check what the
// flows show, not the ACLs.
class RealPortEditingTest : public ::testing::Test, protected WindowDriver {
  protected:
    // Counts the questions for the members of global groups: without a
    // domain controller there must be none.
    class CountingAccounts final : public AccountPort {
      public:
        explicit CountingAccounts(AccountPort& port) : port_(port) {}
        int groupMemberCalls = 0;
        std::uint32_t lookupSid(const std::wstring& system, const Sid& sid,
                                AccountInfo& out) override {
            return port_.lookupSid(system, sid, out);
        }
        std::uint32_t lookupName(const std::wstring& account, Sid& sid, AccountInfo& out) override {
            return port_.lookupName(account, sid, out);
        }
        std::uint32_t sidFromString(const std::wstring& text, Sid& sid) override {
            return port_.sidFromString(text, sid);
        }
        std::wstring currentUserName() override { return port_.currentUserName(); }
        std::optional<Sid> currentUserSid() override { return port_.currentUserSid(); }
        std::optional<std::wstring> domainControllerName(std::uint32_t& error) override {
            return port_.domainControllerName(error);
        }
        std::uint32_t listUsers(const std::wstring& server,
                                std::vector<std::wstring>& names) override {
            return port_.listUsers(server, names);
        }
        std::uint32_t listGroups(const std::wstring& server,
                                 std::vector<std::wstring>& names) override {
            return port_.listGroups(server, names);
        }
        std::uint32_t listLocalGroups(const std::wstring& server,
                                      std::vector<std::wstring>& names) override {
            return port_.listLocalGroups(server, names);
        }
        std::uint32_t groupMembers(const std::wstring& server, const std::wstring& group,
                                   bool local, std::vector<std::wstring>& members) override {
            groupMemberCalls += local ? 0 : 1;
            return port_.groupMembers(server, group, local, members);
        }
        std::uint32_t userGroups(const std::wstring& server, const std::wstring& user,
                                 std::vector<std::wstring>& groups) override {
            return port_.userGroups(server, user, groups);
        }

      private:
        AccountPort& port_;
    };

    RealPortEditingTest()
        : accounts(platform),
          windows(ui, platform, sim::standardFiles()),
          app(AppPorts{sim::standardFiles(), platform, platform, accounts, platform, ui, windows},
              {L"", TempFolder()}) {
        CreateDirectoryW(TempFolder().c_str(), nullptr);
        windows.SetController(app);
    }

    void SetUp() override {
        ASSERT_FALSE(tree.root().empty());
        ASSERT_FALSE(tree.makeDir(L"Docs").empty());
        ASSERT_FALSE(tree.makeDir(L"Docs\\Old").empty());
        ASSERT_FALSE(tree.makeFile(L"Docs\\a.txt").empty());
        ASSERT_FALSE(tree.makeFile(L"Docs\\Old\\b.txt").empty());
        app.Prepare();
        auto list = std::make_unique<CDirList>(ui);
        SecurityReader reader(platform, accounts);
        Scanner(*list, platform, reader, ui).ScanTree(tree.root(), 0);
        app.view().ShowDataset(std::move(list), DatasetOrigin::Scan);
        OpenWindow(app, ui, windows);
        g_boxTexts.clear();
    }
    void TearDown() override { CloseWindow(); }

    test::TempTree tree;
    Win32Platform platform;
    CountingAccounts accounts;
    GuiInteraction ui;
    Win32AppWindows windows;
    AppController app;
};

TEST_F(RealPortEditingTest, AddUserDialogListsWhatTheSystemReturns) {
    command(IDM_WRITE_MODE);
    selectHeader(entry(tree.path(L"Docs\\a.txt")));
    std::vector<std::vector<std::wstring>> shown;
    answerBox([&](HWND dialog) {
        HWND choice = GetDlgItem(dialog, IDC_ADD_USER_LIST);
        for (int list = 0; list < 4; ++list) {
            SendMessageW(choice, CB_SETCURSEL, static_cast<WPARAM>(list), 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ADD_USER_LIST, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(choice));
            shown.push_back(ComboItems(GetDlgItem(dialog, IDC_ADD_USER_NAME)));
        }
        Click(dialog, IDCANCEL);
    });
    command(IDM_ADD_ACE);
    AccountLists expected;
    expected.BuildAccountLists(platform);
    ASSERT_EQ(shown.size(), 4u);
    for (int list = 0; list < 4; ++list) {
        EXPECT_EQ(shown[static_cast<std::size_t>(list)],
                  Sorted(expected.names(static_cast<AccountLists::List>(list))))
            << AccountLists::kTitles[static_cast<std::size_t>(list)];
    }
    // A workstation without a domain: at least the user running the tests,
    // no domain accounts.
    EXPECT_FALSE(shown[0].empty());
    EXPECT_TRUE(shown[2].empty());
    EXPECT_TRUE(shown[3].empty());
}

TEST_F(RealPortEditingTest, BreakDownWithoutDomainControllerAsksNoGlobalGroup) {
    answerBox(Press(IDYES));  // recursive
    command(IDM_BREAK_DOWN_GROUPS);
    EXPECT_EQ(menuState(IDM_BREAK_DOWN_GROUPS), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(statusPart(0), L"Ready");
    EXPECT_EQ(accounts.groupMemberCalls, 0);
    EXPECT_EQ(FindWindowW(L"Heartbeat Window", nullptr), nullptr);
}

TEST_F(RealPortEditingTest, EditCommandsRunTheirCallPaths) {
    CDirEntry* a = entry(tree.path(L"Docs\\a.txt"));
    ASSERT_NE(a, nullptr);
    ASSERT_GT(a->aceCount(), 0u);
    // The gate, then a cell click and its undo.
    answerBox(Press(IDYES));
    scrollTo(a);
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, at(a, 0, 1));
    EXPECT_EQ(menuState(IDM_WRITE_MODE), static_cast<UINT>(MF_CHECKED));
    EXPECT_NE(menuState(IDM_UNDO), static_cast<UINT>(MF_GRAYED));
    command(IDM_UNDO);
    // Copy, paste, convert on the file.
    selectHeader(entry(tree.path(L"Docs\\a.txt")));
    command(IDM_COPY);
    selectHeader(entry(tree.path(L"Docs\\Old\\b.txt")));
    command(IDM_PASTE);
    command(IDM_CONVERT_INHERITED);
    // Inherit ACL from Docs with the settings dialog's defaults.
    selectHeader(entry(tree.path(L"Docs")));
    answerBox(Press(IDYES));
    answerBox(Press(IDOK));
    answerBox(Press(IDOK));
    command(IDM_INHERIT_ACL);
    ASSERT_FALSE(g_boxTexts.empty());
    EXPECT_EQ(g_boxTexts.back(), L"File processing complete.");
    EXPECT_EQ(statusPart(0), L"Inherit complete");
    EXPECT_NE(entry(tree.path(L"Docs\\Old\\b.txt")), nullptr);
    // Wine keeps only the mode bits of a written ACL: the read-back of a
    // write differs from what was written, so that edit fails (the error
    // list says how) and the next edit of that file reads it again. Any
    // other box is a fault.
    for (const std::wstring& text : g_unexpected) {
        EXPECT_TRUE(text.find(L"was changed since it was read") != std::wstring::npos ||
                    text ==
                        L"Error Writing permissions to file ( maybe you are not administrator )")
            << text;
    }
    g_unexpected.clear();
}

}  // namespace
}  // namespace quorel::win32
