// Printing end to end under Wine. The test registers a PostScript printer
// whose port pipes each job through ps2pdf into a PDF file (and reads its
// text back with pdftotext and its first page as a picture with pdftoppm),
// prints through the controller's print command and the real print dialog,
// which it answers itself, and checks what the PDF says.

#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_controller.h"
#include "app/app_test_support.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "filters/dynamic_filter.h"
#include "platform/file_io_port.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/standard_files.h"
#include "resource.h"
#include "ui/win32/printer.h"
#include "view/print_job.h"

namespace quorel::win32 {
namespace {

constexpr wchar_t kPrinter[] = L"Quorel PDF test printer";
constexpr wchar_t kDriver[] = L"Quorel PDF test driver";

// The folder of this program, without the trailing backslash.
std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\'));
}

// Z:\a\b -> /a/b: Wine shows the Linux root as drive Z:.
std::wstring UnixPath(const std::wstring& windowsPath) {
    std::wstring p = windowsPath.substr(2);
    for (wchar_t& c : p) {
        if (c == L'\\') {
            c = L'/';
        }
    }
    return p;
}

// The repository: this program lives in build/windows/src.
std::wstring SourceFolder() {
    const std::wstring relative = ProgramFolder() + L"\\..\\..\\..";
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return full;
}

// Where a job goes: Windows and Linux names of the PDF, its text and the
// picture of its first page.
struct Output {
    std::wstring stem;  // Windows path without extension
    std::wstring pdf() const { return stem + L".pdf"; }
    std::wstring text() const { return stem + L".txt"; }
    std::wstring page() const { return stem + L"-1.png"; }
};

void RemovePrinter() {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(const_cast<wchar_t*>(kPrinter), &printer, &access)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
}

// The printer with its port command; it becomes the default printer.
bool RegisterPdfPrinter(const Output& out) {
    RemovePrinter();
    // The driver reads its PPD from the printer driver folder ("...\3").
    wchar_t folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder),
                                    sizeof folder, &needed)) {
        ADD_FAILURE() << "GetPrinterDriverDirectoryW: " << GetLastError();
        return false;
    }
    const std::wstring driverFolder = std::wstring(folder) + L"\\3";
    CreateDirectoryW(driverFolder.c_str(), nullptr);
    std::wstring ppd = driverFolder + L"\\quorel-pdf-printer.ppd";
    if (!CopyFileW((SourceFolder() + L"\\tests\\win32\\pdf-printer.ppd").c_str(), ppd.c_str(),
                   FALSE)) {
        ADD_FAILURE() << "copying the PPD: " << GetLastError();
        return false;
    }
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(kDriver);
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = ppd.data();
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        ADD_FAILURE() << "AddPrinterDriverExW: " << GetLastError();
        return false;
    }
    // A short port name: the print dialog keeps at most 256 characters.
    std::wstring port = L"|sh " + UnixPath(SourceFolder() + L"\\tests\\win32\\pdf-port.sh") + L" " +
                        UnixPath(out.stem);
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<wchar_t*>(kPrinter);
    info.pPortName = port.data();
    info.pDriverName = const_cast<wchar_t*>(kDriver);
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (printer == nullptr) {
        ADD_FAILURE() << "AddPrinterW: " << GetLastError();
        return false;
    }
    ClosePrinter(printer);
    return SetDefaultPrinterW(kPrinter) != FALSE;
}

std::wstring ReadText(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string utf8 = s.str();
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), n);
    return text;
}

// The lines of pdftotext's text as they read: blanks before, after and
// between words are layout; the PostScript font names the hyphen glyph so
// that it comes back as a soft hyphen.
std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring line;
    for (wchar_t c : text) {
        if (c == L'\f') {
            continue;  // a new page begins on the next line
        }
        if (c == L'\n') {
            if (!line.empty() && line.back() == L' ') {
                line.pop_back();
            }
            lines.push_back(line);
            line.clear();
        } else if (c != L' ' || (!line.empty() && line.back() != L' ')) {
            line += c == 0xAD ? L'-' : c;
        }
    }
    return lines;
}

bool HasLine(const std::vector<std::wstring>& lines, const std::wstring& wanted) {
    for (const std::wstring& l : lines) {
        if (l.find(wanted) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

// Answers the print dialog when it shows: OK (or Cancel).
bool gAnswerOk = true;
int gDialogsAnswered = 0;
void CALLBACK AnswerPrintDialog(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(w)) {
                PostMessageW(GetDlgItem(w, gAnswerOk ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
                ++gDialogsAnswered;
                return FALSE;
            }
            return TRUE;
        },
        0);
}

// The print dialog is the real one; the other windows answer from the script.
class PrintingWindows : public test::ScriptedWindows {
  public:
    std::unique_ptr<PrintDevice> ChoosePrinter() override {
        log.push_back(L"print dialog");
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerPrintDialog);
        std::unique_ptr<PrintDevice> printer = win32::ChoosePrinter(nullptr, PrinterChoice::Dialog);
        KillTimer(nullptr, timer);
        return printer;
    }
};

class Printing : public ::testing::Test {
  protected:
    Printing()
        : app(AppPorts{sim::standardFiles(), sim, sim, sim, sim, ui, windows}, {L"C:\\", L"C:\\"}) {
    }

    bool print(const Output& out) {
        DeleteFileW(out.pdf().c_str());
        DeleteFileW(out.text().c_str());
        if (!RegisterPdfPrinter(out)) {
            return false;
        }
        gDialogsAnswered = 0;
        main.run(IDM_PRINT);
        return GetFileAttributesW(out.text().c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    sim::SimPlatform sim;
    sim::RecordingInteraction ui;
    PrintingWindows windows;
    AppController app;
    test::MainWindowModel main{app};
};

TEST_F(Printing, SampleDatasetWithFiltersAndColumnsComesOutAsThePdfSaysIt) {
    ASSERT_TRUE(app.view().Open(SourceFolder() + L"\\samples\\sample.acl"));
    // Columns: GENERIC_ALL and sync ticked besides the start-up four.
    windows.onPermissionWindow = [](PermissionSelection& s) {
        s.Click(1);
        s.Click(18);
        s.Ok();
    };
    main.run(IDM_SELECT_PERMISSIONS);
    // Everything but Beta.
    windows.onFilterWindow = [](DynamicFilterEditor& e) {
        e.Plus(0);
        e.ChooseSubject(0, L"<filename>");
        e.TypeEditText(0, L"beta");
        e.ChooseOperator(0, FilterOperator::DoesNotContain);
        e.Ok();
    };
    main.run(IDM_DYNAMIC_FILTERS);
    ui.clear();

    const Output out{ProgramFolder() + L"\\printed_sample"};
    ASSERT_TRUE(print(out));
    EXPECT_EQ(gDialogsAnswered, 1);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_NE(GetFileAttributesW(out.page().c_str()), INVALID_FILE_ATTRIBUTES);
    const std::vector<std::wstring> lines = Lines(ReadText(out.text()));
    // Paths, each entry once, in tree order; Beta's are filtered out.
    std::vector<std::wstring> paths;
    for (const std::wstring& l : lines) {
        if (l.starts_with(L"C:\\") || l.starts_with(L"D:\\")) {
            paths.push_back(l);
        }
    }
    EXPECT_EQ(paths, (std::vector<std::wstring>{
                         L"C:\\Projects",
                         L"C:\\Projects\\Alpha",
                         L"C:\\Projects\\Alpha\\budget.xlsx",
                         L"C:\\Projects\\Alpha\\Design",
                         L"C:\\Projects\\Alpha\\Design\\2026",
                         L"C:\\Projects\\Alpha\\Design\\2026\\Q4",
                         L"C:\\Projects\\Alpha\\Design\\2026\\Q4\\Drafts",
                         L"C:\\Projects\\Alpha\\Design\\2026\\Q4\\Drafts\\Old",
                         L"C:\\Projects\\Alpha\\Design\\2026\\Q4\\Drafts\\Old\\logo.svg",
                         L"C:\\Projects\\Alpha\\plan.docx",
                         L"C:\\Projects\\Locked",
                         L"C:\\Projects\\Shortcut",
                         L"D:\\Shares",
                         L"D:\\Shares\\HR",
                         L"D:\\Shares\\HR\\salaries.csv",
                         L"D:\\Shares\\Public",
                         L"D:\\Shares\\Public\\Gr\u00FC\u00DFe.txt",
                         L"D:\\Shares\\Public\\readme.txt",
                     }));
    // The column titles in the order of the vocabulary, once per entry.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), L"g_all ex rd wr del sync"), 18);
    // ACE texts with their suffixes in order.
    EXPECT_TRUE(HasLine(lines, L"Visitors (SIMHOST) DENY,"));
    EXPECT_TRUE(HasLine(lines, L"Administrators (BUILTIN) inherited,"));
    EXPECT_TRUE(HasLine(lines,
                        L"CREATOR OWNER () inherited, inherit only, inh. to files, inh. to "
                        L"folders,"));
    EXPECT_TRUE(HasLine(lines, L"Staff (SIMDOM) DENY, inherited,"));
    // Two pages, each with its number at its foot; the second begins with
    // the entry that no longer fitted.
    const auto two = std::find(lines.begin(), lines.end(), L"D:\\Shares");
    ASSERT_NE(two, lines.begin());
    std::wstring footer = two[-1];
    std::erase(footer, L' ');
    EXPECT_EQ(footer, L"-1-");
    std::vector<std::wstring> numbers;
    for (std::wstring l : lines) {
        std::erase(l, L' ');
        if (l == L"-1-" || l == L"-2-" || l == L"-3-") {
            numbers.push_back(l);
        }
    }
    EXPECT_EQ(numbers, (std::vector<std::wstring>{L"-1-", L"-2-"}));
}

TEST_F(Printing, LongPathIsBrokenAtBackslashes) {
    auto list = std::make_unique<CDirList>(ui);
    std::wstring name = L"a-folder-with-quite-a-long-name-number-";
    CDirEntry* e = test::AppendEntry(*list, nullptr, L"C:\\Data");
    for (int i = 1; i <= 6; ++i) {
        e = test::AppendEntry(*list, e, name + std::to_wstring(i));
    }
    test::SetAces(e, {{L"Users", 0x1200A9, 0x13, 0}});
    app.view().ShowDataset(std::move(list), DatasetOrigin::File);

    const Output out{ProgramFolder() + L"\\printed_long_path"};
    ASSERT_TRUE(print(out));
    const std::vector<std::wstring> lines = Lines(ReadText(out.text()));
    // The deepest paths (over 200 characters) are wider than the page: they
    // go on in a second line after the last backslash that fits.
    const std::wstring folder = L"a-folder-with-quite-a-long-name-number-";
    std::wstring head = L"C:\\Data";
    for (int i = 1; i <= 4; ++i) {
        head += L"\\" + folder + std::to_wstring(i);
    }
    head += L"\\";
    const auto at = std::find(lines.begin(), lines.end(), head);
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(at[1], folder + L"5");
    const auto last = std::find(at + 1, lines.end(), head);
    ASSERT_NE(last, lines.end());
    EXPECT_EQ(last[1], folder + L"5\\" + folder + L"6");
    EXPECT_TRUE(HasLine(lines, L"Users (DOM) inherited, inh. to files, inh. to folders,"));
}

TEST_F(Printing, CancelledDialogPrintsNothing) {
    ASSERT_TRUE(app.view().Open(SourceFolder() + L"\\samples\\sample.acl"));
    const Output out{ProgramFolder() + L"\\printed_cancelled"};
    gAnswerOk = false;
    EXPECT_FALSE(print(out));
    gAnswerOk = true;
    EXPECT_EQ(gDialogsAnswered, 1);
    EXPECT_EQ(GetFileAttributesW(out.pdf().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(Printing, WithoutAnyPrinterTheCommandEndsQuietly) {
    ASSERT_TRUE(app.view().Open(SourceFolder() + L"\\samples\\sample.acl"));
    RemovePrinter();
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    ASSERT_EQ(needed, 0u) << "this prefix has another printer";
    ui.clear();
    gDialogsAnswered = 0;
    main.run(IDM_PRINT);
    // The print dialog asks to install a printer first; after that box
    // nothing is printed and nothing more is said.
    EXPECT_EQ(gDialogsAnswered, 1);
    EXPECT_TRUE(ui.events().empty());
    EXPECT_EQ(windows.log, std::vector<std::wstring>{L"print dialog"});
}

}  // namespace
}  // namespace quorel::win32
