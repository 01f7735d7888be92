#include "scenario.h"

#include <array>

namespace quorel::conformance {

namespace {

struct Kind {
    std::string_view word;
    StepKind kind;
    bool takesSddl;
};

constexpr std::array<Kind, 7> kKinds = {{
    {"dir", StepKind::Dir, false},
    {"file", StepKind::File, false},
    {"set", StepKind::Set, true},
    {"setreq", StepKind::SetReq, true},
    {"expect", StepKind::Expect, true},
    {"expect-windows", StepKind::ExpectWindows, true},
    {"expect-samba", StepKind::ExpectSamba, true},
}};

std::string_view trim(std::string_view s) {
    const std::size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos) {
        return {};
    }
    return s.substr(begin, s.find_last_not_of(" \t\r") - begin + 1);
}

// The next word of `rest`, removed from it.
std::string_view word(std::string_view& rest) {
    rest = trim(rest);
    const std::size_t end = rest.find_first_of(" \t");
    std::string_view w = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    return w;
}

// Relative, backslash-separated, no empty, "." or ".." component.
bool validPath(std::string_view path) {
    if (path.empty() || path.find('/') != std::string_view::npos) {
        return false;
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        std::string_view part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

}  // namespace

ScenarioFile parseScenario(std::string_view text) {
    ScenarioFile out;
    std::size_t lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const std::size_t end = text.find('\n');
        std::string_view rest = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (rest.empty() || rest[0] == '#') {
            continue;
        }
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        const std::string_view w = word(rest);
        const Kind* kind = nullptr;
        for (const Kind& k : kKinds) {
            if (k.word == w) {
                kind = &k;
            }
        }
        if (kind == nullptr) {
            out.errors.push_back(where + "unknown step '" + std::string(w) + "'");
            continue;
        }
        Step step{lineNo, kind->kind, std::string(word(rest)), std::string(word(rest))};
        if (!validPath(step.path)) {
            out.errors.push_back(where + "expected a relative PATH with backslashes after " +
                                 std::string(w));
        } else if (kind->takesSddl == step.sddl.empty() || !trim(rest).empty()) {
            out.errors.push_back(where + std::string(w) +
                                 (kind->takesSddl ? " takes PATH and SDDL" : " takes PATH only"));
        } else {
            out.steps.push_back(std::move(step));
        }
    }
    return out;
}

std::string parentPath(const std::string& path) {
    const std::size_t cut = path.rfind('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace quorel::conformance
