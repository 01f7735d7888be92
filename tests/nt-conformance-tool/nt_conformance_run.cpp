// nt-conformance-run [--driver PROGRAM ARG... --] SCENARIO...
//
// Runs every scenario (a file, or each *.txt file of a folder, in name
// order) on the simulated volume and, with --driver, also on the server
// behind that driver (scripts/nt-conformance starts smbd and passes
// samba_driver.py). Prints one line per failed expectation, then
// "N passed, M failed"; exits 1 when anything failed, 2 on bad arguments.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "backend.h"
#include "runner.h"

namespace {

namespace fs = std::filesystem;
using namespace quorel::conformance;

std::vector<fs::path> scenarioFiles(const std::vector<std::string>& args) {
    std::vector<fs::path> files;
    for (const std::string& arg : args) {
        if (!fs::is_directory(arg)) {
            files.emplace_back(arg);
            continue;
        }
        std::vector<fs::path> inFolder;
        for (const fs::directory_entry& e : fs::directory_iterator(arg)) {
            if (e.is_regular_file() && e.path().extension() == ".txt") {
                inFolder.push_back(e.path());
            }
        }
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    return files;
}

void runAll(Backend& backend, const std::vector<fs::path>& files, Tally& tally) {
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        ScenarioFile scenario = parseScenario(text.str());
        if (!in) {
            scenario.errors.push_back("cannot read " + file.string());
        }
        runScenario(backend, file.stem().string(), scenario, tally);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<std::string> driver;
    if (!args.empty() && args[0] == "--driver") {
        auto end = std::find(args.begin() + 1, args.end(), "--");
        driver.assign(args.begin() + 1, end);
        args.erase(args.begin(), end == args.end() ? end : end + 1);
    }
    if (args.empty() || (argc > 1 && driver.empty() && std::string(argv[1]) == "--driver")) {
        std::fprintf(stderr,
                     "usage: nt-conformance-run [--driver PROGRAM ARG... --] SCENARIO...\n");
        return 2;
    }
    const std::vector<fs::path> files = scenarioFiles(args);

    Tally tally;
    std::vector<std::unique_ptr<Backend>> backends;
    backends.push_back(makeSimulationBackend());
    if (!driver.empty()) {
        std::string error;
        backends.push_back(makeDriverBackend(driver, error));
        if (!backends.back()) {
            std::fprintf(stderr, "nt-conformance-run: %s\n", error.c_str());
            return 2;
        }
    }
    for (const auto& backend : backends) {
        runAll(*backend, files, tally);
    }
    for (const std::string& line : tally.failures) {
        std::printf("%s\n", line.c_str());
    }
    std::printf("%zu passed, %zu failed\n", tally.passed, tally.failed);
    return tally.failed == 0 ? 0 : 1;
}
