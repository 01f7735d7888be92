// quorel.exe over a volume file (--volume FILE): edits made through the
// windows, as a user makes them, reach the file as the records of the items
// they change and of no other: a tick and its Undo, a trustee added through
// the "Add user" dialog, and Inherit ACL with its question and settings.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "host.h"
#include "quorel_session.h"
#include "resource.h"
#include "window_access.h"

namespace quorel::gui {
namespace {

// CORP's accounts: ann (the token's user, an administrator), bob, carol and
// the group Staff.
const std::string kAnn = "S-1-5-21-10-20-30-1105";
const std::string kBob = "S-1-5-21-10-20-30-1106";
const std::string kCarol = "S-1-5-21-10-20-30-1107";
const std::string kStaff = "S-1-5-21-10-20-30-1201";

// The record of C:\Data\Projects up to its ACEs, and the ACEs it inherits.
const std::string kProjects = "dir\tC:\\Data\\Projects\tO:" + kAnn + "G:SYD:AI";
const std::string kProjectsInherited =
    "(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;" + kStaff + ")";

std::string Joined(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

// With backup and restore privileges Inherit ACL puts no full-control ACE
// of the user on the folders it walks: every write is one of the items'.
const std::string kVolume = Joined({
    "quorel-volume 1",
    "computer\tWS01",
    "domain\tCORP\tS-1-5-21-10-20-30\tDC01",
    "account\tS-1-1-0\tEveryone\twellknown",
    "account\tS-1-3-0\tCREATOR OWNER\twellknown",
    "account\tS-1-3-1\tCREATOR GROUP\twellknown",
    "account\tS-1-5-18\tNT AUTHORITY\\SYSTEM\twellknown",
    "account\tS-1-5-32-544\tBUILTIN\\Administrators\talias\t" + kAnn,
    "account\t" + kAnn + "\tCORP\\ann\tuser",
    "account\t" + kBob + "\tCORP\\bob\tuser",
    "account\t" + kCarol + "\tCORP\\carol\tuser",
    "account\t" + kStaff + "\tCORP\\Staff\tgroup\t" + kBob + "," + kCarol,
    "token\t" + kAnn +
        "\tSeTakeOwnershipPrivilege,SeBackupPrivilege,SeRestorePrivilege\tS-1-1-0,S-1-5-32-544",
    "dir\tC:\\Data\tO:BAG:SYD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;" + kStaff +
        ")",
    kProjects + "(A;OICI;0x1301bf;;;" + kBob + ")" + kProjectsInherited,
    "dir\tC:\\Data\\Projects\\Old\tO:BAG:SYD:AI(A;OICI;FA;;;" + kCarol + ")" + kProjectsInherited,
    "file\tC:\\Data\\Projects\\Old\\notes.txt\tO:BAG:SYD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)"
    "(A;ID;0x1200a9;;;" +
        kStaff + ")",
    "file\tC:\\Data\\Projects\\plan.txt\tO:BAG:SYD:AI(A;;FA;;;WD)(A;ID;FA;;;SY)"
    "(A;ID;FA;;;BA)(A;ID;0x1200a9;;;" +
        kStaff + ")",
    "file\tC:\\Data\\readme.txt\tO:BAG:SYD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;" +
        kStaff + ")",
});

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

class VolumeEdit : public Screens {
  protected:
    // The lines the program appended to the volume file since the last
    // look, once `count` are there and `main` (unless null) has handled
    // what was posted to it and shows no box or dialog: exactly what it
    // wrote.
    std::vector<std::string> Appended(HWND main, std::size_t count) {
        std::vector<std::string> lines;
        auto read = [&] {
            std::optional<std::string> bytes = ReadBytes(volume);
            lines = bytes ? LinesOf(*bytes) : std::vector<std::string>{};
            return bytes.has_value() && bytes->ends_with("\n") && lines.size() >= seen + count;
        };
        EXPECT_TRUE(PollUntil(read))
            << "the volume file holds " << lines.size() - seen << " new lines, not " << count;
        if (main != nullptr) {
            EXPECT_TRUE(Sync(main));
            EXPECT_EQ(FindTopWindow(quorel.pid(), L"#32770", nullptr), nullptr)
                << "a window is left open:\n"
                << Narrow(DescribeWindows(quorel.pid()));
        }
        read();
        if (lines.size() < seen) {
            ADD_FAILURE() << "the volume file lost lines";
            return {};
        }
        std::vector<std::string> added(lines.begin() + static_cast<std::ptrdiff_t>(seen),
                                       lines.end());
        seen = lines.size();
        return added;
    }

    // The matrix as shown, and the screen line of `path` (its ACE `ace`, or
    // with -1 its header).
    MatrixShown Shown(HWND main) {
        std::optional<MatrixShown> shown = hook.Matrix(main);
        EXPECT_TRUE(shown.has_value()) << "the main window did not answer the matrix query";
        return shown.value_or(MatrixShown{});
    }
    std::optional<MatrixLine> LineOf(HWND main, const std::wstring& path, int ace) {
        for (const MatrixLine& line : Shown(main).lines) {
            if (line.path == path && line.ace == ace) {
                return line;
            }
        }
        ADD_FAILURE() << "no line of " << Narrow(path) << " ACE " << ace << " on the screen";
        return std::nullopt;
    }
    // A click on the header of `path`: it is selected.
    void Select(HWND main, const std::wstring& path) { SelectLine(main, path, -1); }

    std::wstring volume;
    std::size_t seen = 0;
};

TEST_F(VolumeEdit, EachEditAppendsTheRecordsOfWhatItChanged) {
    volume = scratch.path(L"data.qvol");
    ASSERT_TRUE(WriteBytes(volume, kVolume));
    seen = LinesOf(kVolume).size();
    Start(L"--volume \"" + volume + L"\" C:\\Data");
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    const std::vector<std::wstring> scanned = {L"C:\\Data",
                                               L"C:\\Data\\Projects",
                                               L"C:\\Data\\Projects\\Old",
                                               L"C:\\Data\\Projects\\Old\\notes.txt",
                                               L"C:\\Data\\Projects\\plan.txt",
                                               L"C:\\Data\\readme.txt"};
    ASSERT_EQ(Lines(main), scanned);
    EXPECT_EQ(View(main)[L"writeMode"], L"0");

    // bob's ACE on Projects: rd, wr, ex and del ticked. A click on "wr"
    // asks for write mode first; Yes, and the tick goes.
    const std::wstring projects = L"C:\\Data\\Projects";
    std::optional<MatrixLine> bob = LineOf(main, projects, 0);
    ASSERT_TRUE(bob.has_value());
    EXPECT_EQ(bob->ticks, L"1111");
    const std::vector<int> columns = Shown(main).columns;
    ASSERT_EQ(columns.size(), 4u);
    ASSERT_TRUE(ClickAt(main, columns[1] + 3, (bob->top + bob->bottom) / 2));
    MessageBoxSeen gate = ExpectWriteModeQuestion();
    ASSERT_NE(gate.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(gate, IDYES));
    EXPECT_EQ(Appended(main, 1), std::vector<std::string>{kProjects + "(A;OICI;0x1301bd;;;" + kBob +
                                                          ")" + kProjectsInherited});
    EXPECT_EQ(View(main)[L"writeMode"], L"1");
    bob = LineOf(main, projects, 0);
    ASSERT_TRUE(bob.has_value());
    EXPECT_EQ(bob->ticks, L"1011");
    Screenshot("volume-tick", main);

    // Undo writes the descriptor back as it was.
    ASSERT_TRUE(Command(main, IDM_UNDO));
    EXPECT_EQ(Appended(main, 1), std::vector<std::string>{kProjects + "(A;OICI;0x1301bf;;;" + kBob +
                                                          ")" + kProjectsInherited});
    EXPECT_EQ(LineOf(main, projects, 0).value_or(MatrixLine{}).ticks, L"1111");

    // carol typed into "Add user", OK: an allow ACE of hers after bob's.
    Select(main, projects);
    ASSERT_TRUE(Command(main, IDM_ADD_ACE));
    HWND add = Window(L"#32770", L"Add user");
    ASSERT_NE(add, nullptr);
    ASSERT_TRUE(SetText(Child(add, IDC_ADD_USER_NAME), L"carol"));
    ASSERT_TRUE(Click(Child(add, IDOK)));
    EXPECT_TRUE(WaitUntilGone(add));
    EXPECT_EQ(Appended(main, 1),
              std::vector<std::string>{kProjects + "(A;OICI;0x1301bf;;;" + kBob +
                                       ")(A;;0x100000;;;" + kCarol + ")" + kProjectsInherited});

    // Inherit ACL from Projects: what lies below takes Projects' inheritable
    // ACEs (carol's is not) in place of its own. Where the inherited ACEs
    // change, the DACL is written as given and then again with the
    // auto-inherit request; Projects, its parent and readme.txt are not
    // written.
    Select(main, projects);
    ASSERT_TRUE(Command(main, IDM_INHERIT_ACL));
    MessageBoxSeen confirm = ExpectInheritConfirmation();
    ASSERT_NE(confirm.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(confirm, IDYES));
    HWND settings = Window(L"#32770", L"Inheritance settings");
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(Click(Child(settings, IDOK)));
    MessageBoxSeen done = ExpectBox(L"Quorel", L"File processing complete.");
    ASSERT_NE(done.window, nullptr);
    ASSERT_TRUE(AnswerMessageBox(done, IDOK));
    const std::string byFolder = "(A;OICIID;0x1301bf;;;" + kBob + ")" + kProjectsInherited;
    const std::string byFile = "(A;ID;0x1301bf;;;" + kBob +
                               ")(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;" + kStaff + ")";
    const std::string old = "dir\tC:\\Data\\Projects\\Old\tO:BAG:SYD:";
    const std::string notes = "file\tC:\\Data\\Projects\\Old\\notes.txt\tO:BAG:SYD:";
    const std::string plan = "file\tC:\\Data\\Projects\\plan.txt\tO:BAG:SYD:";
    EXPECT_EQ(Appended(main, 6), (std::vector<std::string>{old + byFolder, old + "AI" + byFolder,
                                                           notes + byFile, notes + "AI" + byFile,
                                                           plan + byFile, plan + "AI" + byFile}));
    Quit(main);
    // Nothing more on its way out.
    EXPECT_EQ(Appended(nullptr, 0), std::vector<std::string>{});
}

}  // namespace
}  // namespace quorel::gui
