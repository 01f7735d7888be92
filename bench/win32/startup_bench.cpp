// Start-up with a large dataset: quorel.exe is started with a
// 1,000,000-entry dataset file on its command line and reports the time from
// its process creation to its first painted screen (QUOREL_FIRST_PAINT_REPORT);
// the same file is loaded in this process too. Prints both and their ratio:
// the program must do no work proportional to the dataset beyond loading,
// filtering and listing it (target: ratio <= 1.2). Needs a display (Xvfb):
//
//   scripts/wine-run build/windows/bench/startup_bench.exe
//       build/windows/src/quorel.exe [ENTRIES]      (one command line)

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/dir_list.h"
#include "platform/file_io_port.h"
#include "platform/sim/recording_interaction.h"
#include "platform/sim/standard_files.h"
#include "storage/dataset_file.h"
#include "synthetic_dataset.h"

namespace {

using namespace quorel;

double NowMs() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) * 1e3 / static_cast<double>(f.QuadPart);
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

// Milliseconds to the first paint as quorel.exe reports it; -1 on failure.
double FirstPaint(const std::wstring& program, const std::wstring& dataset,
                  const std::wstring& report) {
    DeleteFileW(report.c_str());
    SetEnvironmentVariableW(L"QUOREL_FIRST_PAINT_REPORT", report.c_str());
    std::wstring command = L"\"" + program + L"\" \"" + dataset + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi)) {
        std::printf("cannot start %ls (error %lu)\n", program.c_str(), GetLastError());
        return -1;
    }
    const DWORD waited = WaitForSingleObject(pi.hProcess, 300000);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        std::printf("quorel.exe did not paint within 300 s\n");
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    SetEnvironmentVariableW(L"QUOREL_FIRST_PAINT_REPORT", nullptr);
    FILE* in = _wfopen(report.c_str(), L"r");
    if (in == nullptr) {
        return -1;
    }
    double ms = -1;
    if (std::fscanf(in, "%lf", &ms) != 1) {
        ms = -1;
    }
    std::fclose(in);
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: startup_bench QUOREL.EXE [ENTRIES]\n");
        return 2;
    }
    const std::wstring program = argv[1];
    const std::uint32_t entries =
        argc > 2 ? static_cast<std::uint32_t>(std::wcstoul(argv[2], nullptr, 10)) : 1000000;
    const std::wstring dataset = TempPath(L"quorel-startup-bench.acl");
    const std::wstring report = TempPath(L"quorel-startup-bench.txt");
    {
        sim::RecordingInteraction ui;
        CDirList list(ui);
        bench::buildSyntheticDataset(list, entries);
        NameTables names;
        RebuildNameTables(list, names);
        if (!WriteDatasetFile(sim::standardFiles(), ui, list, dataset, names)) {
            std::printf("cannot write %ls\n", dataset.c_str());
            return 1;
        }
    }
    std::vector<double> loads, paints;
    for (int run = 0; run < 3; ++run) {
        sim::RecordingInteraction ui;
        const double start = NowMs();
        {
            CDirList list(ui);
            if (!LoadDatasetFile(sim::standardFiles(), ui, list, dataset)) {
                std::printf("cannot load %ls\n", dataset.c_str());
                return 1;
            }
            loads.push_back(NowMs() - start);
        }
        const double paint = FirstPaint(program, dataset, report);
        if (paint < 0) {
            std::printf("no first-paint report from quorel.exe\n");
            return 1;
        }
        paints.push_back(paint);
        std::printf("run %d: load %.0f ms, quorel.exe first paint %.0f ms\n", run + 1, loads.back(),
                    paints.back());
    }
    const double load = Median(loads);
    const double paint = Median(paints);
    std::printf(
        "%u entries: load in this process %.0f ms, quorel.exe from its start to the first painted "
        "screen %.0f ms, ratio %.2f (target <= 1.2)\n",
        entries, load, paint, paint / load);
    DeleteFileW(dataset.c_str());
    DeleteFileW(report.c_str());
    return 0;
}
