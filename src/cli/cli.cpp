#include "cli/cli.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "app/shell_mode.h"
#include "app/view_session.h"
#include "core/dir_list.h"
#include "core/scanner.h"
#include "core/security_reader.h"
#include "filters/permissions.h"
#include "filters/static_filter.h"
#include "platform/account_port.h"
#include "platform/file_io_port.h"
#include "platform/file_system_port.h"
#include "platform/interaction_port.h"
#include "platform/security_port.h"
#include "platform/sim/volume_capture.h"
#include "resource.h"
#include "storage/csv_export.h"
#include "storage/dataset_file.h"
#include "storage/utf16.h"

namespace quorel {

const char* CliHelpText() {
    return "quorel-cli: Quorel's console companion for scripts.\n"
           "\n"
           "Usage:\n"
           "  quorel-cli scan [--depth N] -o OUT.acl DIR...\n"
           "      Scans each DIR (into one dataset, one root per DIR) like a new scan of the\n"
           "      desktop program and writes the dataset file OUT.acl. --depth N lists N\n"
           "      directory levels below each DIR (0, the default, is unlimited).\n"
           "      Windows only.\n"
           "  quorel-cli project FILE.qpf\n"
           "      Runs the project file like the desktop program's shell mode: scans its\n"
           "      directories and writes its output dataset file (with a counter 0..9999\n"
           "      when the project asks for one). Windows only.\n"
           "  quorel-cli csv [view options] [--compare SAVED.acl] -o OUT.csv IN.acl\n"
           "      Writes what the desktop program's matrix lists after opening IN.acl and\n"
           "      applying the view options, as its Export to CSV writes it: one block per\n"
           "      entry with its path, the column header and one line per shown ACE with\n"
           "      \"x\" under each permission it holds. Exits 0 whatever is listed.\n"
           "  quorel-cli compare [view options] [-o OUT.csv] CURRENT.acl SAVED.acl\n"
           "      csv --compare SAVED.acl of CURRENT.acl, to stdout without -o: the groups\n"
           "      \"added files\", \"deleted files\" and \"modified files\". Exits 1 when any\n"
           "      group lists an entry, 0 when none does: a permissions-drift check.\n"
           "  quorel-cli volume save -o OUT.qvol DIR...\n"
           "      Writes the folder trees DIR..., the folders above them, every item's\n"
           "      security descriptor and every account they name into the volume file\n"
           "      OUT.qvol, to rehearse a change on a copy with --volume. Items and\n"
           "      accounts that cannot be read are written as faults and listed on stderr.\n"
           "  quorel-cli --help\n"
           "  quorel-cli --version\n"
           "      Prints the program's name and version.\n"
           "  quorel-cli --volume FILE.qvol COMMAND ...\n"
           "      Runs COMMAND on the volume file FILE.qvol (a file server written down:\n"
           "      accounts, folders, files and their security descriptors) instead of this\n"
           "      machine's disks and accounts, also where Windows is not; every change is\n"
           "      appended to FILE.qvol. Dataset, settings, project and CSV files stay real\n"
           "      files.\n"
           "\n"
           "View options, applied in this order whatever order they are given in, each as\n"
           "the desktop program's command of the same meaning:\n"
           "  (1) the dataset file is opened: every entry is shown but \".\" and \"..\"\n"
           "  (2) --hide-inherit-only  hide inherit-only ACEs (\"Show also <inherit only>\n"
           "                           ACEs\" turned off)\n"
           "      --hide-inherited     hide inherited ACEs (\"Do not show inherited ACEs\")\n"
           "  (3) --columns LIST  comma-separated permission abbreviations, shown in that\n"
           "                      order: all g_all g_rd g_wr g_ex ex rd rd_a rd_ea wr app\n"
           "                      wr_a wr_ea del rd_p wr_p ow_t del_ch sync\n"
           "                      (default: rd,wr,ex,del)\n"
           "      --basic         the basic permission set: full_acc modify rd/ex ls_fold\n"
           "                      read wr (not together with --columns)\n"
           "  (4) --depth N       show N levels below the root (0: all)\n"
           "  (5) --settings FILE.qsf  load a settings file (static filter, columns,\n"
           "                      dynamic filter rows); one that cannot be read is an error\n"
           "  (6) --filter N      static filter N: 1 all, 2 differs from parent, 3 has a\n"
           "                      deny entry, 4 has non-inherited ACEs, 5 directories only,\n"
           "                      6 directories differing from parent, 7 unresolved\n"
           "                      account, 8 analysis error\n"
           "  (7) --dynamic and|or  apply the dynamic filter rows (from --settings) with\n"
           "                      that combination\n"
           "  (8) --compare SAVED.acl  compare mode against SAVED.acl (csv only); datasets\n"
           "                      of other directories are refused (exit 2)\n"
           "  (9) --find TEXT     show only entries matching TEXT\n"
           "  --utf8              write UTF-8 with a byte-order mark instead of the ANSI\n"
           "                      code page\n"
           "\n"
           "Messages go to stderr, one per line, caption first. The per-user default\n"
           "settings file is never read: the output depends only on the arguments and the\n"
           "input files.\n"
           "\n"
           "Exit codes: 0 success, 1 differences found (compare), 2 error or bad usage.\n";
}

namespace {

class Usage {
  public:
    explicit Usage(std::FILE* err) : err_(err) {}
    int fail(const std::string& what) {
        std::fprintf(err_, "quorel-cli: %s\nTry 'quorel-cli --help'.\n", what.c_str());
        return cli_exit::kError;
    }

  private:
    std::FILE* err_;
};

// The options of one command line, each given at most once.
struct Options {
    std::optional<std::wstring> output;
    std::optional<std::wstring> columns;
    std::optional<std::uint32_t> depth;
    std::optional<std::wstring> settings;
    std::optional<std::wstring> filter;
    std::optional<std::wstring> dynamic;
    std::optional<std::wstring> compare;
    std::optional<std::wstring> find;
    bool basic = false;
    bool utf8 = false;
    bool hideInheritOnly = false;
    bool hideInherited = false;
    std::vector<std::wstring> operands;
};

bool parseNumber(const std::wstring& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - L'0');
    }
    return true;
}

// The options that take a value, and the switches, as Options holds them.
struct ValueOption {
    const wchar_t* name;
    std::optional<std::wstring> Options::*slot;
};
constexpr ValueOption kValueOptions[] = {
    {L"-o", &Options::output},           {L"--columns", &Options::columns},
    {L"--settings", &Options::settings}, {L"--filter", &Options::filter},
    {L"--dynamic", &Options::dynamic},   {L"--compare", &Options::compare},
    {L"--find", &Options::find},
};
struct SwitchOption {
    const wchar_t* name;
    bool Options::*flag;
};
constexpr SwitchOption kSwitches[] = {
    {L"--hide-inherit-only", &Options::hideInheritOnly},
    {L"--hide-inherited", &Options::hideInherited},
    {L"--basic", &Options::basic},
    {L"--utf8", &Options::utf8},
};

// The option args[i] (allowed) into `o`, its value taken from args[i + 1]
// (i moves on); an error text or "".
std::string parseOption(const std::vector<std::wstring>& args, std::size_t& i, Options& o) {
    const std::wstring& a = args[i];
    auto value = [&](std::optional<std::wstring>& slot) -> std::string {
        if (slot) {
            return "option " + toUtf8(a) + " given twice";
        }
        if (i + 1 >= args.size()) {
            return "option " + toUtf8(a) + " needs a value";
        }
        slot = args[++i];
        return "";
    };
    if (a == L"--depth") {
        std::optional<std::wstring> text;
        if (o.depth) {
            return "option --depth given twice";
        }
        if (std::string error = value(text); !error.empty()) {
            return error;
        }
        std::uint32_t n = 0;
        if (!parseNumber(*text, n)) {
            return "--depth needs a number, not " + toUtf8(*text);
        }
        o.depth = n;
        return "";
    }
    for (const ValueOption& v : kValueOptions) {
        if (a == v.name) {
            return value(o.*v.slot);
        }
    }
    for (const SwitchOption& w : kSwitches) {
        if (a == w.name) {
            // A fresh Options has every switch off.
            if (o.*w.flag) {
                return "option " + toUtf8(a) + " given twice";
            }
            o.*w.flag = true;
        }
    }
    return "";
}

// Parses the options `allowed` for a command into a fresh `o`; returns an
// error text or "".
std::string parseOptions(const std::vector<std::wstring>& args, std::size_t from,
                         const std::vector<std::wstring>& allowed, Options& o) {
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (a.size() > 1 && a[0] == L'-') {
            if (std::find(allowed.begin(), allowed.end(), a) == allowed.end()) {
                return "unknown option " + toUtf8(a);
            }
            if (std::string error = parseOption(args, i, o); !error.empty()) {
                return error;
            }
        } else {
            o.operands.push_back(a);
        }
    }
    return "";
}

// Sets the displayed columns from --columns or --basic.
std::string applyColumns(const Options& o, DisplayedRights& rights) {
    if (o.basic) {
        rights.SetBasicPermissionSet();
        rights.setBasicPermissionMode(true);
        return "";
    }
    if (!o.columns) {
        return "";
    }
    rights.clear();
    rights.setBasicPermissionMode(false);
    std::wstring list = *o.columns;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(L',', start);
        const std::wstring name =
            list.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        const NamedRight* right = rightByAbbreviation(name);
        if (right == nullptr) {
            return "unknown column '" + toUtf8(name) + "'";
        }
        if (!rights.AppendRightColumn(right->mask, right->abbreviation)) {
            return "more than 30 columns";
        }
        if (comma == std::wstring::npos) {
            return "";
        }
        start = comma + 1;
    }
}

const std::vector<std::wstring> kViewOptions = {
    L"--columns", L"--basic",    L"--utf8",   L"--hide-inherit-only", L"--hide-inherited",
    L"--depth",   L"--settings", L"--filter", L"--dynamic",           L"--find"};

// Checks the values of the view options before anything is read.
std::string checkViewOptions(const Options& o) {
    if (o.basic && o.columns) {
        return "--columns and --basic exclude each other";
    }
    if (o.filter) {
        std::uint32_t n = 0;
        if (!parseNumber(*o.filter, n) || n < 1 || n > 8) {
            return "--filter needs a number from 1 to 8, not " + toUtf8(*o.filter);
        }
    }
    if (o.dynamic && *o.dynamic != L"and" && *o.dynamic != L"or") {
        return "--dynamic needs 'and' or 'or', not " + toUtf8(*o.dynamic);
    }
    return "";
}

// Opens the dataset and applies the view options in their fixed order, each
// as the desktop program's command of the same meaning. Returns an exit
// code; 0 when the view is ready.
int buildView(const Options& o, const std::wstring& input, ViewSession& view, Usage& usage) {
    if (!view.Open(input)) {
        return cli_exit::kError;
    }
    if (o.hideInheritOnly) {
        view.SetShowInheritOnlyAces(false);
    }
    if (o.hideInherited) {
        view.SetHideInheritedAces(true);
    }
    DisplayedRights rights = view.rights();
    const std::string error = applyColumns(o, rights);
    if (!error.empty()) {
        return usage.fail(error);
    }
    view.SetRights(std::move(rights));
    if (o.depth) {
        view.SetDisplayDepth(*o.depth);
    }
    if (o.settings && !view.LoadSettingsFile(*o.settings)) {
        return cli_exit::kError;
    }
    if (o.filter) {
        std::uint32_t n = 0;
        parseNumber(*o.filter, n);
        view.OnStaticFilterCommand(kStaticFilterMenuIds[n - 1]);
    }
    if (o.dynamic) {
        view.ApplyDynamicFilterWindow(*o.dynamic == L"and" ? 0 : 1);
    }
    if (o.compare && !view.CompareToFile(*o.compare)) {
        return cli_exit::kError;
    }
    if (o.find) {
        view.ShowMatchingOnly(*o.find);
    }
    return cli_exit::kSuccess;
}

// Writes to a C stream, for CSV on stdout.
class StreamSink : public ByteSink {
  public:
    explicit StreamSink(std::FILE* f) : f_(f) {}
    bool write(const void* data, std::size_t size) override {
        return std::fwrite(data, 1, size, f_) == size;
    }
    bool flush() override { return std::fflush(f_) == 0; }
    bool close() override { return std::fflush(f_) == 0; }

  private:
    std::FILE* f_;
};

int writeCsvOutput(const Options& o, const ViewSession& view, CliEnvironment& env) {
    const CsvEncoding encoding = o.utf8 ? CsvEncoding::Utf8 : CsvEncoding::AnsiCodePage;
    if (o.output) {
        return WriteCsv(*env.files, *env.ui, *o.output, view.lines().lines(), view.rights(),
                        encoding)
                   ? cli_exit::kSuccess
                   : cli_exit::kError;
    }
    StreamSink out(env.out);
    if (!WriteCsvTo(out, view.lines().lines(), view.rights(), encoding) || !out.close()) {
        env.ui->showMessage(L"Error writing data to file", L"Note", MessageIcon::None);
        return cli_exit::kError;
    }
    return cli_exit::kSuccess;
}

// Parses a command that takes the view options, -o and `extra`; returns the
// usage error or "".
std::string parseViewCommand(const std::vector<std::wstring>& args,
                             std::initializer_list<const wchar_t*> extra, Options& o) {
    std::vector<std::wstring> allowed = kViewOptions;
    allowed.push_back(L"-o");
    allowed.insert(allowed.end(), extra.begin(), extra.end());
    std::string error = parseOptions(args, 1, allowed, o);
    return error.empty() ? checkViewOptions(o) : error;
}

int csvCommand(const std::vector<std::wstring>& args, CliEnvironment& env) {
    Usage usage(env.err);
    Options o;
    if (std::string error = parseViewCommand(args, {L"--compare"}, o); !error.empty()) {
        return usage.fail(error);
    }
    if (!o.output) {
        return usage.fail("csv needs -o OUT.csv");
    }
    if (o.operands.size() != 1) {
        return usage.fail("csv needs exactly one dataset file");
    }
    ViewSession view(*env.files, *env.ui);
    if (int code = buildView(o, o.operands[0], view, usage)) {
        return code;
    }
    return writeCsvOutput(o, view, env);
}

int compareCommand(const std::vector<std::wstring>& args, CliEnvironment& env) {
    Usage usage(env.err);
    Options o;
    if (std::string error = parseViewCommand(args, {}, o); !error.empty()) {
        return usage.fail(error);
    }
    if (o.operands.size() != 2) {
        return usage.fail("compare needs CURRENT.acl and SAVED.acl");
    }
    o.compare = o.operands[1];
    ViewSession view(*env.files, *env.ui);
    if (int code = buildView(o, o.operands[0], view, usage)) {
        return code;
    }
    if (int code = writeCsvOutput(o, view, env)) {
        return code;
    }
    for (const CDirEntry* e : view.lines().lines()) {
        if (!e->isHeading) {
            return cli_exit::kDifferences;
        }
    }
    return cli_exit::kSuccess;
}

bool canScan(const CliEnvironment& env) {
    return env.security != nullptr && env.accounts != nullptr && env.fileSystem != nullptr;
}

int scanCommand(const std::vector<std::wstring>& args, CliEnvironment& env) {
    Usage usage(env.err);
    Options o;
    std::string error = parseOptions(args, 1, {L"-o", L"--depth"}, o);
    if (!error.empty()) {
        return usage.fail(error);
    }
    if (!o.output) {
        return usage.fail("scan needs -o OUT.acl");
    }
    if (o.operands.empty()) {
        return usage.fail("scan needs at least one directory");
    }
    if (!canScan(env)) {
        return usage.fail("scanning needs Windows");
    }
    SecurityReader reader(*env.security, *env.accounts);
    CDirList dataset(*env.ui);
    Scanner scanner(dataset, *env.fileSystem, reader, *env.ui);
    for (const std::wstring& dir : o.operands) {
        if (std::optional<ProcessEnd> end =
                EndOfScan(scanner.ScanTree(dir, o.depth.value_or(0)), cli_exit::kError)) {
            env.ui->showMessage(end->text, end->caption, MessageIcon::Error);
            return end->exitCode;
        }
    }
    NameTables tables;
    RebuildNameTables(dataset, tables);
    return WriteDatasetFile(*env.files, *env.ui, dataset, *o.output, tables) ? cli_exit::kSuccess
                                                                             : cli_exit::kError;
}

// volume save -o FILE DIR...: the trees, their descriptors and accounts
// written to a volume file.
int volumeCommand(const std::vector<std::wstring>& args, CliEnvironment& env) {
    Usage usage(env.err);
    if (args.size() < 2 || args[1] != L"save") {
        return usage.fail("volume needs the subcommand save");
    }
    Options o;
    std::string error = parseOptions(args, 2, {L"-o"}, o);
    if (!error.empty()) {
        return usage.fail(error);
    }
    if (!o.output) {
        return usage.fail("volume save needs -o OUT.qvol");
    }
    if (o.operands.empty()) {
        return usage.fail("volume save needs at least one directory");
    }
    if (!canScan(env) || env.token == nullptr) {
        return usage.fail("saving a volume needs Windows");
    }
    sim::VolumeCapture capture =
        sim::captureVolume(o.operands, *env.token, *env.fileSystem, *env.security, *env.accounts);
    for (const std::string& note : capture.notes) {
        std::fprintf(env.err, "quorel-cli: %s\n", note.c_str());
    }
    if (!capture.error.empty()) {
        std::fprintf(env.err, "quorel-cli: %s\n", capture.error.c_str());
        return cli_exit::kError;
    }
    std::uint32_t code = 0;
    std::unique_ptr<ByteSink> sink = env.files->create(*o.output, CreateMode::Always, code);
    if (!sink || !sink->write(capture.text.data(), capture.text.size()) || !sink->close()) {
        std::fprintf(env.err, "quorel-cli: %s cannot be written (error %u)\n",
                     toUtf8(*o.output).c_str(), static_cast<unsigned>(code));
        return cli_exit::kError;
    }
    std::fprintf(env.out, "%zu items and %zu accounts written to %s\n", capture.items,
                 capture.accounts, toUtf8(*o.output).c_str());
    return cli_exit::kSuccess;
}

int projectCommand(const std::vector<std::wstring>& args, CliEnvironment& env) {
    Usage usage(env.err);
    Options o;
    std::string error = parseOptions(args, 1, {}, o);
    if (!error.empty()) {
        return usage.fail(error);
    }
    if (o.operands.size() != 1) {
        return usage.fail("project needs exactly one project file");
    }
    if (!canScan(env)) {
        return usage.fail("scanning needs Windows");
    }
    SecurityReader reader(*env.security, *env.accounts);
    ShellModeContext context{*env.files, *env.fileSystem, reader, *env.ui};
    return RunShellMode(context, o.operands[0]);
}

}  // namespace

int RunCli(const std::vector<std::wstring>& args, CliEnvironment& env) {
    Usage usage(env.err);
    if (args.empty()) {
        return usage.fail("no command given");
    }
    const std::wstring& command = args[0];
    if (command == L"--help" || command == L"-h" || command == L"help") {
        std::fputs(CliHelpText(), env.out);
        return cli_exit::kSuccess;
    }
    if (command == L"--version") {
        std::fputs("quorel-cli " QUOREL_VERSION_TEXT "\n", env.out);
        return cli_exit::kSuccess;
    }
    if (command == L"csv") {
        return csvCommand(args, env);
    }
    if (command == L"compare") {
        return compareCommand(args, env);
    }
    if (command == L"scan") {
        return scanCommand(args, env);
    }
    if (command == L"project") {
        return projectCommand(args, env);
    }
    if (command == L"volume") {
        return volumeCommand(args, env);
    }
    return usage.fail("unknown command " + toUtf8(command));
}

}  // namespace quorel
