// The Samba side: a driver process (samba_driver.py) spoken to through
// pipes. POSIX only, like the tool.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "backend.h"

namespace quorel::conformance {

namespace {

// "ACL structure": AclRevision (ACL_REVISION_DS when it holds an object
// ACE, else ACL_REVISION), Sbz1, AclSize, AceCount, Sbz2, then the ACEs.
bool aclHex(const std::vector<RawAce>& aces, std::string& out) {
    std::vector<std::uint8_t> acl = {2, 0, 0, 0, 0, 0, 0, 0};
    for (const RawAce& ace : aces) {
        acl[0] = ace_type::isObjectType(ace.type()) ? 4 : acl[0];
        acl.insert(acl.end(), ace.bytes.begin(), ace.bytes.end());
    }
    if (acl.size() > 0xFFFF || aces.size() > 0xFFFF) {
        return false;
    }
    const auto put = [&acl](std::size_t at, std::size_t value) {
        acl[at] = static_cast<std::uint8_t>(value);
        acl[at + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    put(2, acl.size());
    put(4, aces.size());
    char digits[3];
    for (std::uint8_t byte : acl) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(byte));
        out += digits;
    }
    return true;
}

class DriverBackend : public Backend {
  public:
    DriverBackend(pid_t pid, FILE* to, FILE* from) : pid_(pid), to_(to), from_(from) {}
    ~DriverBackend() override {
        std::fclose(to_);  // the driver ends at the end of its input
        std::fclose(from_);
        int status = 0;
        waitpid(pid_, &status, 0);
    }

    std::string name() const override { return "samba"; }
    bool followsWindows() const override { return false; }

    std::string create(const std::string& path, bool folder) override {
        std::string answer;
        return ask(std::string(folder ? "dir " : "file ") + path, answer);
    }

    std::string read(const std::string& path, ItemSecurity& out) override {
        std::string answer;
        std::string error = ask("get " + path, answer);
        if (!error.empty()) {
            return error;
        }
        std::istringstream words(answer);
        std::string owner, group, sddl;
        words >> owner >> group >> sddl;
        std::optional<Sid> o = Sid::fromString(std::wstring(owner.begin(), owner.end()));
        std::optional<Sid> g = Sid::fromString(std::wstring(group.begin(), group.end()));
        SddlParse parsed = parseDaclSddl(sddl);
        if (!o || !g || !parsed.ok()) {
            return "the driver answered \"" + answer + "\"";
        }
        out = {*o, *g, *parsed.dacl};
        return {};
    }

    std::string write(const std::string& path, const std::vector<RawAce>& dacl,
                      std::uint16_t control) override {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(control));
        std::string acl;
        if (!aclHex(dacl, acl)) {
            return "the DACL is longer than an ACL holds";
        }
        std::string answer;
        return ask("set " + path + " " + hex + " " + acl, answer);
    }

  private:
    // Sends one request; the rest of an "ok" line goes to `answer`.
    std::string ask(const std::string& request, std::string& answer) {
        if (std::fprintf(to_, "%s\n", request.c_str()) < 0 || std::fflush(to_) != 0) {
            return "the driver is gone";
        }
        std::string line;
        for (int c = std::fgetc(from_); c != EOF && c != '\n'; c = std::fgetc(from_)) {
            line += static_cast<char>(c);
        }
        if (line == "ok" || line.rfind("ok ", 0) == 0) {
            answer = line.size() > 3 ? line.substr(3) : std::string();
            return {};
        }
        if (line.rfind("error ", 0) == 0) {
            return line.substr(6);
        }
        return line.empty() ? "the driver is gone" : "the driver answered \"" + line + "\"";
    }

    pid_t pid_;
    FILE* to_;
    FILE* from_;
};

}  // namespace

std::unique_ptr<Backend> makeDriverBackend(const std::vector<std::string>& command,
                                           std::string& error) {
    int in[2];
    int out[2];
    if (command.empty() || pipe(in) != 0) {
        error = "no driver command";
        return nullptr;
    }
    if (pipe(out) != 0) {
        close(in[0]);
        close(in[1]);
        error = "no pipe";
        return nullptr;
    }
    signal(SIGPIPE, SIG_IGN);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        close(in[0]);
        close(in[1]);
        close(out[0]);
        close(out[1]);
        std::vector<char*> argv;
        for (const std::string& arg : command) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (pid < 0) {
        close(in[1]);
        close(out[0]);
        error = "cannot start " + command[0];
        return nullptr;
    }
    return std::make_unique<DriverBackend>(pid, fdopen(in[1], "w"), fdopen(out[0], "r"));
}

}  // namespace quorel::conformance
