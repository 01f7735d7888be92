#include "cli/cli.h"
#include "cli/cli_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/console_interaction.h"
#include "cli/volume_option.h"
#include "core/dataset_builder.h"
#include "core/dataset_test_support.h"
#include "core/dir_list.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/sample_server.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/volume_file.h"
#include "storage/dataset_file.h"
#include "storage/project_file.h"
#include "storage/utf16.h"

namespace quorel {
namespace {

// Reads back what was written to a temporary stream.
using test::contents;

class Cli : public ::testing::Test {
  protected:
    Cli() : out(std::tmpfile()), err(std::tmpfile()) {
        env.files = &files;
        env.ui = &ui;
        env.out = out;
        env.err = err;
        // A dataset with a trustee whose name holds a comma and one outside
        // the ANSI code page.
        CDirList list(ui);
        DatasetBuilder listBuild(list);
        CDirEntry* root = listBuild.addLoadEntry();
        root->setName(L"C:\\share");
        root->setOwner(L"Administrators", L"BUILTIN");
        root->resizeAces(2);
        root->ace(0)->setTrustee(test::NamesOf(root), L"Smith, John", L"CORP");
        root->ace(0)->set(0x1F01FF, 0x03, 0);
        root->ace(1)->setTrustee(test::NamesOf(root), fromUtf8("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"),
                                 L"CORP");
        root->ace(1)->set(0x1200A9, 0x10, 0);
        listBuild.setDepth(1);
        listBuild.addLoadChild()->setName(L".");
        listBuild.addLoadEntry()->setName(L"..");
        CDirEntry* file = listBuild.addLoadEntry();
        file->setName(L"a.txt");
        file->resizeAces(1);
        file->ace(0)->setTrustee(test::NamesOf(file), L"Users", L"BUILTIN");
        file->ace(0)->set(0x0F01FF, 0x00, 1);
        NameTables tables;
        RebuildNameTables(list, tables);
        WriteDatasetFile(files, ui, list, L"in.acl", tables);
        ui.clear();
    }
    ~Cli() override {
        std::fclose(out);
        std::fclose(err);
    }
    int run(std::vector<std::wstring> args) { return RunCli(args, env); }
    // What was written to stderr since the last call.
    std::string takeErrors() {
        std::string text = contents(err);
        std::fclose(err);
        env.err = err = std::tmpfile();
        return text;
    }
    std::string file(const std::wstring& path) {
        const auto* bytes = files.get(path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
    }
    // The paths of a dataset file in walk order, "." and ".." left out.
    std::vector<std::wstring> paths(const std::wstring& acl) {
        sim::RecordingInteraction quiet;
        CDirList list(quiet);
        DatasetBuilder listBuild(list);
        std::vector<std::wstring> result;
        if (LoadDatasetFile(files, quiet, list, acl)) {
            for (const CDirEntry& e : list) {
                if (!e.isDotEntry()) {
                    result.push_back(e.path());
                }
            }
        }
        return result;
    }

    sim::MemoryFiles files;
    sim::RecordingInteraction ui;
    std::FILE* out;
    std::FILE* err;
    CliEnvironment env;
};

// Splits CSV text into records of fields as RFC 4180 reads them.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            fields.push_back(field);
            records.push_back(fields);
            fields.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

TEST_F(Cli, CsvOfAnOpenedDatasetHidesDotEntries) {
    ASSERT_EQ(run({L"csv", L"-o", L"out.csv", L"in.acl"}), 0);
    EXPECT_EQ(
        file(L"out.csv"),
        "C:\\share\r\n,rd,wr,ex,del\r\n\"Smith, John\",x,x,x,x\r\n???? INHERITED,x,,x,\r\n\r\n"
        "C:\\share\\a.txt\r\n,rd,wr,ex,del\r\nUsers DENY,x,x,x,x\r\n\r\n");
    const auto records = parseCsv(file(L"out.csv"));
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[2].size(), 5u);  // the trustee with a comma is one field
    EXPECT_EQ(records[2][0], "Smith, John");
}

TEST_F(Cli, CsvViewOptions) {
    ASSERT_EQ(run({L"csv", L"--utf8", L"--columns", L"del,rd", L"-o", L"u.csv", L"in.acl"}), 0);
    EXPECT_EQ(file(L"u.csv"),
              "\xEF\xBB\xBF"
              "C:\\share\r\n,del,rd\r\n\"Smith, John\",x,x\r\n"
              "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD INHERITED,,x\r\n\r\n"
              "C:\\share\\a.txt\r\n,del,rd\r\nUsers DENY,x,x\r\n\r\n");
    ASSERT_EQ(run({L"csv", L"--basic", L"-o", L"b.csv", L"in.acl"}), 0);
    EXPECT_EQ(
        file(L"b.csv"),
        "C:\\share\r\n,full_acc,modify,rd/ex,ls_fold,read,wr\r\n"
        "\"Smith, John\",x,x,x,x,x,x\r\n???? INHERITED,,,x,x,x,\r\n\r\n"
        "C:\\share\\a.txt\r\n,full_acc,modify,rd/ex,,read,wr\r\nUsers DENY,x,x,x,,x,x\r\n\r\n");
}

TEST_F(Cli, BadUsageExitsTwo) {
    const std::vector<std::vector<std::wstring>> bad = {
        {},
        {L"frobnicate"},
        {L"csv", L"in.acl"},
        {L"csv", L"-o", L"x.csv"},
        {L"csv", L"--colour", L"-o", L"x.csv", L"in.acl"},
        {L"csv", L"--columns", L"rd,nope", L"-o", L"x.csv", L"in.acl"},
        {L"csv", L"--columns", L"rd", L"--basic", L"-o", L"x.csv", L"in.acl"},
        {L"csv", L"--utf8", L"--utf8", L"-o", L"x.csv", L"in.acl"},
        {L"csv", L"-o", L"x.csv", L"-o", L"y.csv", L"in.acl"},
        {L"csv", L"-o", L"x.csv", L"in.acl", L"more.acl"},
        {L"csv", L"-o"},
        {L"scan", L"-o", L"x.acl", L"C:\\"},  // no Windows ports here
        {L"scan", L"--depth", L"x", L"-o", L"x.acl", L"C:\\"},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(run(args), 2) << (args.empty() ? "" : toUtf8(args[0]));
    }
    EXPECT_EQ(file(L"x.csv"), "<missing>");
    EXPECT_NE(contents(err).find("unknown column 'nope'"), std::string::npos);
}

TEST_F(Cli, EachOptionAtMostOnceAndWithItsValue) {
    using Args = std::vector<std::wstring>;
    const std::pair<Args, std::string> cases[] = {
        {{L"--utf8", L"--utf8"}, "option --utf8 given twice"},
        {{L"--basic", L"--basic"}, "option --basic given twice"},
        {{L"--hide-inherited", L"--hide-inherited"}, "option --hide-inherited given twice"},
        {{L"--hide-inherit-only", L"--hide-inherit-only"},
         "option --hide-inherit-only given twice"},
        {{L"-o", L"m.csv"}, "option -o given twice"},
        {{L"--columns", L"rd", L"--columns", L"wr"}, "option --columns given twice"},
        {{L"--depth", L"1", L"--depth", L"2"}, "option --depth given twice"},
        {{L"--settings", L"s", L"--settings", L"t"}, "option --settings given twice"},
        {{L"--filter", L"1", L"--filter", L"2"}, "option --filter given twice"},
        {{L"--dynamic", L"d", L"--dynamic", L"e"}, "option --dynamic given twice"},
        {{L"--compare", L"c", L"--compare", L"d"}, "option --compare given twice"},
        {{L"--find", L"f", L"--find", L"g"}, "option --find given twice"},
        {{L"--find"}, "option --find needs a value"},
        {{L"--depth"}, "option --depth needs a value"},
    };
    for (const auto& [options, message] : cases) {
        Args args = {L"csv", L"-o", L"n.csv"};
        args.insert(args.end(), options.begin(), options.end());
        if (options.size() > 1) {
            args.push_back(L"in.acl");
        }
        EXPECT_EQ(run(args), 2) << message;
        EXPECT_EQ(takeErrors(), "quorel-cli: " + message + "\nTry 'quorel-cli --help'.\n");
    }
    // Each switch once is taken.
    ASSERT_EQ(run({L"csv", L"--utf8", L"--basic", L"--hide-inherited", L"--hide-inherit-only",
                   L"-o", L"n.csv", L"in.acl"}),
              0);
    EXPECT_EQ(
        file(L"n.csv"),
        "\xEF\xBB\xBF"
        "C:\\share\r\n,full_acc,modify,rd/ex,ls_fold,read,wr\r\n\"Smith, John\",x,x,x,x,x,x\r\n"
        "\r\nC:\\share\\a.txt\r\n,full_acc,modify,rd/ex,,read,wr\r\nUsers DENY,x,x,x,,x,x\r\n"
        "\r\n");
}

TEST_F(Cli, NumbersAndOperandsAtTheirLimits) {
    // --depth takes up to nine decimal digits and nothing else; --filter 1 to 8.
    const std::pair<std::vector<std::wstring>, int> cases[] = {
        {{L"--depth", L"0"}, 0},          {{L"--depth", L"9"}, 0},  {{L"--depth", L"999999999"}, 0},
        {{L"--depth", L"1234567890"}, 2}, {{L"--depth", L""}, 2},   {{L"--depth", L"1a"}, 2},
        {{L"--depth", L"/"}, 2},          {{L"--depth", L":"}, 2},  {{L"--filter", L"1"}, 0},
        {{L"--filter", L"8"}, 0},         {{L"--filter", L"0"}, 2},
    };
    for (const auto& [options, code] : cases) {
        std::vector<std::wstring> args = {L"csv", L"-o", L"n.csv"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(L"in.acl");
        EXPECT_EQ(run(args), code) << toUtf8(options[0]) << " '" << toUtf8(options[1]) << "'";
    }
    const std::string errors = takeErrors();
    EXPECT_NE(errors.find("quorel-cli: --depth needs a number, not 1234567890\n"
                          "Try 'quorel-cli --help'.\n"),
              std::string::npos);
    EXPECT_NE(errors.find("--filter needs a number from 1 to 8, not 0\n"), std::string::npos);
    // A lone "-" is an operand, here a dataset file of that name.
    files.put(L"-", *files.get(L"in.acl"));
    ASSERT_EQ(run({L"csv", L"-o", L"dash.csv", L"-"}), 0);
    ASSERT_EQ(run({L"csv", L"-o", L"in.csv", L"in.acl"}), 0);
    EXPECT_EQ(file(L"dash.csv"), file(L"in.csv"));
}

TEST_F(Cli, ScanAndProjectNeedTheWindowsPortsAndJoinDriveRootsOnce) {
    sim::SimPlatform sim;
    sim.file(L"C:\\top.txt");
    sim.file(L"D:\\two\\sub\\deep.txt");
    // Each of the three ports is needed.
    for (int missing = 0; missing < 3; ++missing) {
        env.security = missing == 0 ? nullptr : &sim;
        env.accounts = missing == 1 ? nullptr : &sim;
        env.fileSystem = missing == 2 ? nullptr : &sim;
        EXPECT_EQ(run({L"scan", L"-o", L"s.acl", L"C:\\"}), 2);
        EXPECT_EQ(run({L"project", L"p.qpf"}), 2);
        const std::string refused =
            "quorel-cli: scanning needs Windows\nTry 'quorel-cli --help'.\n";
        EXPECT_EQ(takeErrors(), refused + refused);
    }
    env.fileSystem = &sim;
    ASSERT_EQ(run({L"scan", L"--depth", L"1", L"-o", L"s.acl", L"C:\\", L"D:\\two"}), 0);
    EXPECT_EQ(paths(L"s.acl"),
              (std::vector<std::wstring>{L"C:\\", L"C:\\top.txt", L"D:\\two", L"D:\\two\\sub"}));
    sim::RecordingInteraction quiet;
    ASSERT_TRUE(WriteProjectFile(files, quiet, L"p.qpf", {L"D:\\two\\", L"out", false}));
    ASSERT_EQ(run({L"project", L"p.qpf"}), 0);
    EXPECT_EQ(paths(L"out.acl"),
              (std::vector<std::wstring>{L"D:\\two", L"D:\\two\\sub", L"D:\\two\\sub\\deep.txt"}));
    const std::vector<std::pair<std::vector<std::wstring>, std::string>> refused = {
        {{L"scan", L"C:\\"}, "scan needs -o OUT.acl"},
        {{L"scan", L"-o", L"s.acl"}, "scan needs at least one directory"},
        {{L"project"}, "project needs exactly one project file"},
        {{L"project", L"p.qpf", L"q.qpf"}, "project needs exactly one project file"},
        {{L"project", L"--depth", L"1", L"p.qpf"}, "unknown option --depth"},
    };
    for (const auto& [args, message] : refused) {
        EXPECT_EQ(run(args), 2) << message;
        EXPECT_EQ(takeErrors(), "quorel-cli: " + message + "\nTry 'quorel-cli --help'.\n");
    }
}

// The paths of a volume file's item records at or below `root`, sorted.
std::vector<std::wstring> recordPaths(const std::string& volume, const std::wstring& root) {
    std::vector<std::wstring> result;
    std::istringstream lines(volume);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        const std::string kind = line.substr(0, tab);
        if (kind == "dir" || kind == "file" || kind == "link") {
            const std::size_t end = line.find('\t', tab + 1);
            const std::wstring path = fromUtf8(line.substr(tab + 1, end - tab - 1));
            if (path == root || path.starts_with(root + L"\\")) {
                result.push_back(path);
            }
        }
    }
    std::sort(result.begin(), result.end());
    return result;
}

std::string readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(Cli, AVolumeFileScansAsTheSameVolumeDoesInProcess) {
    sim::SimPlatform server;
    sim::BuildSampleServer(server);
    const sim::VolumeWrite written = sim::writeVolume(server);
    ASSERT_TRUE(written.error.empty()) << written.error;
    // The sample server as the writer writes it, and the bundled demo volume
    // at its first root.
    const std::string demo = readFile(QUOREL_DEMO_VOLUME);
    ASSERT_FALSE(demo.empty()) << QUOREL_DEMO_VOLUME;
    const std::pair<std::string, std::wstring> volumes[] = {{written.text, L"C:\\Projects"},
                                                            {demo, L"\\\\FS01\\Projects"}};
    std::string error;
    for (const auto& [text, root] : volumes) {
        SCOPED_TRACE(toUtf8(root));
        files.put(L"v.qvol", std::vector<std::uint8_t>(text.begin(), text.end()));
        // Through the option, as the programs' entry points use it.
        std::vector<std::wstring> args{L"--volume", L"v.qvol", L"scan", L"-o", L"a.acl", root};
        VolumeOption volume;
        ASSERT_TRUE(volume.take(args, files, error)) << error;
        EXPECT_EQ(args.front(), L"scan");
        volume.apply(env);
        ASSERT_EQ(run(args), 0) << takeErrors();
        // In process, on the platform the same text builds.
        sim::VolumeRead read = sim::readVolume(text);
        ASSERT_TRUE(read.platform) << read.error;
        env.security = read.platform.get();
        env.accounts = read.platform.get();
        env.fileSystem = read.platform.get();
        ASSERT_EQ(run({L"scan", L"-o", L"b.acl", root}), 0);
        EXPECT_GT(file(L"a.acl").size(), 1000u);
        EXPECT_EQ(file(L"a.acl"), file(L"b.acl"));
        // Every item below the root was scanned.
        std::vector<std::wstring> scanned = paths(L"a.acl");
        std::sort(scanned.begin(), scanned.end());
        EXPECT_EQ(scanned, recordPaths(text, root));
        // A scan writes nothing to the volume.
        EXPECT_EQ(file(L"v.qvol"), text);
        env.security = nullptr;
        env.accounts = nullptr;
        env.fileSystem = nullptr;
    }
    // No file, a file that is no volume: nothing is opened.
    const std::pair<std::vector<std::wstring>, std::string> bad[] = {
        {{L"--volume"}, "--volume needs a volume file"},
        {{L"--volume", L"none.qvol", L"scan"}, "--volume none.qvol: "},
        {{L"--volume", L"a.acl", L"scan"}, "--volume a.acl: line 1: "},
    };
    for (const auto& [badArgs, start] : bad) {
        std::vector<std::wstring> rest = badArgs;
        VolumeOption none;
        EXPECT_FALSE(none.take(rest, files, error));
        EXPECT_EQ(error.rfind(start, 0), 0u) << error;
        EXPECT_EQ(none.volume, nullptr);
    }
    // Without the option the command runs as given.
    EXPECT_EQ(RunCliWithVolume({L"compare", L"in.acl", L"in.acl"}, env), 0);
    EXPECT_EQ(takeErrors(), "");
    EXPECT_EQ(RunCliWithVolume({L"--volume", L"none.qvol", L"scan"}, env), 2);
    EXPECT_EQ(takeErrors().rfind("quorel-cli: --volume none.qvol: ", 0), 0u);
}

TEST_F(Cli, AVolumeSavedFromAVolumeScansTheSame) {
    sim::SimPlatform server;
    sim::BuildSampleServer(server);
    const sim::VolumeWrite written = sim::writeVolume(server);
    ASSERT_TRUE(written.error.empty()) << written.error;
    files.put(L"v.qvol", std::vector<std::uint8_t>(written.text.begin(), written.text.end()));
    ASSERT_EQ(
        RunCliWithVolume(
            {L"--volume", L"v.qvol", L"volume", L"save", L"-o", L"c.qvol", L"C:\\Projects"}, env),
        0);
    // The folder the account cannot list is saved as what it is, and said.
    EXPECT_EQ(takeErrors(), "quorel-cli: C:\\Projects\\Locked: not listed (error 5)\n");
    EXPECT_EQ(contents(out), "14 items and 11 accounts written to c.qvol\n");
    const std::string saved = file(L"c.qvol");
    EXPECT_EQ(saved.rfind("quorel-volume 1\ncomputer\tSIMHOST\n", 0), 0u) << saved;
    for (const wchar_t* volume : {L"v.qvol", L"c.qvol"}) {
        const std::wstring out = std::wstring(volume) + L".acl";
        ASSERT_EQ(
            RunCliWithVolume({L"--volume", volume, L"scan", L"-o", out, L"C:\\Projects"}, env), 0)
            << takeErrors();
    }
    EXPECT_GT(file(L"c.qvol.acl").size(), 1000u);
    EXPECT_EQ(file(L"c.qvol.acl"), file(L"v.qvol.acl"));
    // Without a token (no Windows, no volume) and with bad arguments: usage.
    env.token = nullptr;
    const std::pair<std::vector<std::wstring>, std::string> bad[] = {
        {{L"volume", L"save", L"-o", L"x.qvol", L"C:\\"}, "saving a volume needs Windows"},
        {{L"volume", L"load"}, "volume needs the subcommand save"},
        {{L"volume", L"save", L"C:\\"}, "volume save needs -o OUT.qvol"},
        {{L"volume", L"save", L"-o", L"x.qvol"}, "volume save needs at least one directory"},
    };
    for (const auto& [args, message] : bad) {
        EXPECT_EQ(run(args), 2);
        EXPECT_EQ(takeErrors(), "quorel-cli: " + message + "\nTry 'quorel-cli --help'.\n");
    }
    EXPECT_FALSE(files.exists(L"x.qvol"));
}

TEST_F(Cli, UnreadableInputAndOutputExitTwoWithTheirMessages) {
    EXPECT_EQ(run({L"csv", L"-o", L"x.csv", L"missing.acl"}), 2);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::wstring>{L"Error opening file"});
    ui.clear();
    files.failCreates(true);
    EXPECT_EQ(run({L"csv", L"-o", L"x.csv", L"in.acl"}), 2);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::wstring>{L"Error exporting file"});
    // Standard output that cannot be written to.
    ui.clear();
    const char* name = "quorel-cli-test-readonly.tmp";
    std::fclose(std::fopen(name, "w"));
    env.out = std::fopen(name, "r");
    ASSERT_NE(env.out, nullptr);
    EXPECT_EQ(run({L"compare", L"in.acl", L"in.acl"}), 2);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::wstring>{L"Error writing data to file"});
    std::fclose(env.out);
    env.out = out;
    std::remove(name);
}

TEST_F(Cli, EmptyDatasetGivesAnEmptyCsv) {
    CDirList empty(ui);
    NameTables tables;
    WriteDatasetFile(files, ui, empty, L"empty.acl", tables);
    ASSERT_EQ(run({L"csv", L"-o", L"e.csv", L"empty.acl"}), 0);
    EXPECT_EQ(file(L"e.csv"), "");
    ASSERT_EQ(run({L"csv", L"--utf8", L"-o", L"e8.csv", L"empty.acl"}), 0);
    EXPECT_EQ(file(L"e8.csv"), "\xEF\xBB\xBF");
}

TEST_F(Cli, HelpDocumentsEveryCommandAndOption) {
    ASSERT_EQ(run({L"--help"}), 0);
    const std::string help = contents(out);
    for (const char* word : {"scan", "project", "csv", "--depth", "--columns", "--basic", "--utf8",
                             "--volume", "--version", "Exit codes"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

TEST_F(Cli, VersionIsOneLineOnStdout) {
    ASSERT_EQ(run({L"--version"}), 0);
    EXPECT_EQ(contents(out), "quorel-cli 1.4.251\n");
    EXPECT_EQ(takeErrors(), "");
    // Only as the command: an operand of that name is refused.
    EXPECT_EQ(run({L"csv", L"--version"}), 2);
}

TEST(ConsoleInteraction, OneLinePerMessageCaptionFirst) {
    std::FILE* err = std::tmpfile();
    ConsoleInteraction console(err);
    console.showMessage(L"Error opening file", L"Note", MessageIcon::Error);
    console.showMessage(L"two\r\nlines", L"", MessageIcon::None);
    EXPECT_EQ(console.showMessage(L"sure?", L"Q", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_EQ(contents(err), "Note: Error opening file\ntwo  lines\nQ: sure?\n");
    EXPECT_EQ(console.messageCount(), 3);
    std::fclose(err);
}

}  // namespace
}  // namespace quorel
