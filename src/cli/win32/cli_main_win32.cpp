// Entry point of quorel-cli.exe: every command, on the Win32 API.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "cli/console_interaction.h"
#include "cli/volume_option.h"
#include "platform/file_io_port.h"
#include "platform/sim/volume_capture.h"
#include "platform/win32/win32_platform.h"

namespace {

// One class of information of the token ("GetTokenInformation function"),
// empty when it cannot be read.
std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<BYTE> data(size);
    if (size == 0 || !GetTokenInformation(token, kind, data.data(), size, &size)) {
        data.clear();
    }
    return data;
}

std::optional<quorel::Sid> SidOf(PSID sid) {
    return quorel::Sid::fromBytes(static_cast<const std::uint8_t*>(sid), GetLengthSid(sid));
}

// The computer and the process token: its user, the groups that grant
// access (enabled, neither deny-only nor the logon session's nor an
// integrity label: "TOKEN_GROUPS structure", "SID_AND_ATTRIBUTES") and the
// privileges a capture records.
quorel::sim::CaptureToken ProcessToken() {
    quorel::sim::CaptureToken result;
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(name, &length)) {
        result.computer.assign(name, length);
    }
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return result;
    }
    std::vector<BYTE> user = TokenInformation(token, TokenUser);
    if (!user.empty()) {
        result.user = SidOf(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
    }
    std::vector<BYTE> groups = TokenInformation(token, TokenGroups);
    if (!groups.empty()) {
        const auto* list = reinterpret_cast<TOKEN_GROUPS*>(groups.data());
        for (DWORD i = 0; i < list->GroupCount; ++i) {
            const DWORD a = list->Groups[i].Attributes;
            const DWORD excluded =
                SE_GROUP_USE_FOR_DENY_ONLY | SE_GROUP_LOGON_ID | SE_GROUP_INTEGRITY;
            if ((a & SE_GROUP_ENABLED) != 0 && (a & excluded) == 0) {
                if (std::optional<quorel::Sid> sid = SidOf(list->Groups[i].Sid)) {
                    result.groups.push_back(*sid);
                }
            }
        }
    }
    std::vector<BYTE> privileges = TokenInformation(token, TokenPrivileges);
    if (!privileges.empty()) {
        auto* list = reinterpret_cast<TOKEN_PRIVILEGES*>(privileges.data());
        for (DWORD i = 0; i < list->PrivilegeCount; ++i) {
            wchar_t privilege[64];
            DWORD size = 64;
            if (LookupPrivilegeNameW(nullptr, &list->Privileges[i].Luid, privilege, &size)) {
                const std::wstring held(privilege, size);
                result.takeOwnership = result.takeOwnership || held == SE_TAKE_OWNERSHIP_NAME;
                result.restore = result.restore || held == SE_RESTORE_NAME;
                result.backup = result.backup || held == SE_BACKUP_NAME;
            }
        }
    }
    CloseHandle(token);
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Messages are written as UTF-8; let the console show them as such.
    SetConsoleOutputCP(CP_UTF8);
    // Output files written to stdout keep their CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    quorel::win32::Win32Platform platform;
    quorel::ConsoleInteraction ui;
    quorel::CliEnvironment env;
    env.files = &quorel::standardFileIo();
    env.ui = &ui;
    env.security = &platform;
    env.accounts = &platform;
    env.fileSystem = &platform;
    const quorel::sim::CaptureToken token = ProcessToken();
    env.token = &token;
    return quorel::RunCliWithVolume(std::move(args), env);
}
