#include "program.h"

#include <map>

namespace quorel::gui {

namespace {
// The test's environment with `env` set on top, as a block for
// CreateProcessW (sorted names, each "name=value\0", ending with "\0").
std::vector<wchar_t> EnvironmentBlock(const Environment& env) {
    std::map<std::wstring, std::wstring> variables;
    auto upper = [](std::wstring s) {
        for (wchar_t& c : s) {
            c = static_cast<wchar_t>(towupper(c));
        }
        return s;
    };
    std::map<std::wstring, std::wstring> names;  // upper-case name -> name as given
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p != L'\0'; p += wcslen(p) + 1) {
            const std::wstring entry = p;
            const std::size_t eq = entry.find(L'=', 1);
            if (eq == std::wstring::npos) {
                continue;
            }
            const std::wstring name = entry.substr(0, eq);
            names[upper(name)] = name;
            variables[upper(name)] = entry.substr(eq + 1);
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : env) {
        names[upper(name)] = name;
        variables[upper(name)] = value;
    }
    std::vector<wchar_t> out;
    for (const auto& [key, value] : variables) {
        const std::wstring entry = names[key] + L"=" + value;
        out.insert(out.end(), entry.begin(), entry.end());
        out.push_back(L'\0');
    }
    out.push_back(L'\0');
    return out;
}
}  // namespace

Program::~Program() {
    Terminate();
    if (process_ != nullptr) {
        CloseHandle(process_);
    }
}

bool Program::Start(const std::wstring& exe, const std::wstring& arguments, const Environment& env,
                    std::wstring& why) {
    // A program started before by the same test is over by now, or ended.
    Terminate();
    if (process_ != nullptr) {
        CloseHandle(process_);
        process_ = nullptr;
        pid_ = 0;
    }
    std::wstring line = L"\"" + exe + L"\"";
    if (!arguments.empty()) {
        line += L" " + arguments;
    }
    std::vector<wchar_t> command(line.begin(), line.end());
    command.push_back(L'\0');
    std::vector<wchar_t> block = EnvironmentBlock(env);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &info)) {
        why = L"CreateProcessW(" + line + L") failed with error " + std::to_wstring(GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
}

bool Program::Running() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Program::WaitForExit(DWORD timeoutMs) const {
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

void Program::Terminate() {
    if (Running()) {
        TerminateProcess(process_, 0xDEAD);
        WaitForSingleObject(process_, 10000);
    }
}

std::wstring Program::Describe() const {
    if (process_ == nullptr) {
        return L"was never started";
    }
    if (std::optional<DWORD> code = WaitForExit(0)) {
        wchar_t hex[16];
        swprintf(hex, 16, L"0x%08lX", static_cast<unsigned long>(*code));
        return L"exited with code " + std::to_wstring(*code) + L" (" + hex + L")";
    }
    return L"is still running";
}

std::optional<DWORD> RunToEnd(const std::wstring& exe, const std::wstring& arguments,
                              DWORD timeoutMs, std::wstring& why) {
    Program program;
    if (!program.Start(exe, arguments, {}, why)) {
        return std::nullopt;
    }
    std::optional<DWORD> code = program.WaitForExit(timeoutMs);
    if (!code) {
        why = exe + L" " + arguments + L" did not end within " + std::to_wstring(timeoutMs) +
              L" ms and was ended";
        program.Terminate();
    }
    return code;
}

}  // namespace quorel::gui
