// Scan cost: a scan into a dataset against a bare loop of FindNextFileW and
// GetFileSecurityW over the same tree of 20,000 files, in one run.
//
//   wine build/windows/bench/scan_bench.exe [files]

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/dir_list.h"
#include "core/scanner.h"
#include "core/security_reader.h"
#include "platform/sim/recording_interaction.h"
#include "platform/win32/win32_platform.h"

namespace {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Every item, "." and ".." included, gets its descriptor read; folders
// other than "." and ".." are descended.
std::size_t bareLoop(const std::wstring& dir, std::vector<BYTE>& buffer) {
    std::size_t items = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        const std::wstring path = dir + L"\\" + data.cFileName;
        DWORD needed = 0;
        GetFileSecurityW(
            path.c_str(),
            OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            buffer.data(), static_cast<DWORD>(buffer.size()), &needed);
        ++items;
        const std::wstring name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") {
            items += bareLoop(path, buffer);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return items;
}

bool makeTree(const std::wstring& root, int files) {
    if (!CreateDirectoryW(root.c_str(), nullptr)) {
        return false;
    }
    const int perFolder = 200;
    for (int f = 0; f < files; ++f) {
        const std::wstring folder = root + L"\\folder" + std::to_wstring(f / perFolder);
        if (f % perFolder == 0 && !CreateDirectoryW(folder.c_str(), nullptr)) {
            return false;
        }
        const std::wstring file = folder + L"\\file" + std::to_wstring(f) + L".dat";
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return false;
        }
        CloseHandle(h);
    }
    return true;
}

void removeTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = dir + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int files = argc > 1 ? _wtoi(argv[1]) : 20000;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root =
        std::wstring(temp) + L"quorel-scan-bench-" + std::to_wstring(GetCurrentProcessId());
    if (!makeTree(root, files)) {
        std::printf("cannot create the tree\n");
        removeTree(root);
        return 1;
    }
    quorel::win32::Win32Platform platform;
    std::vector<BYTE> buffer(65536);
    bareLoop(root, buffer);  // warm the caches once

    double bestBare = 1e30, bestScan = 1e30;
    std::size_t bareItems = 0;
    std::uint32_t scanned = 0;
    for (int round = 0; round < 3; ++round) {
        double t0 = now();
        bareItems = bareLoop(root, buffer);
        bestBare = std::min(bestBare, now() - t0);

        quorel::sim::RecordingInteraction ui;
        quorel::CDirList list(ui);
        quorel::SecurityReader reader(platform, platform);
        quorel::Scanner scanner(list, platform, reader, ui);
        t0 = now();
        scanner.ScanTree(root, 0);
        bestScan = std::min(bestScan, now() - t0);
        scanned = scanner.scannedCount();
    }
    removeTree(root);
    std::printf("tree: %d files; bare loop %zu items, scan %u items\n", files, bareItems, scanned);
    std::printf("bare loop (FindNextFileW + GetFileSecurityW): %.3f s (best of 3)\n", bestBare);
    std::printf("scan into a dataset:                          %.3f s (best of 3)\n", bestScan);
    std::printf("ratio scan / bare loop: %.2f (target <= 1.30)\n", bestScan / bestBare);
    return 0;
}
