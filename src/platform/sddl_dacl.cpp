#include "platform/sddl_dacl.h"

#include <array>
#include <cstdio>

namespace quorel {

namespace {

struct Code {
    std::string_view letters;
    std::uint32_t value;
};

// "ACE Strings": the ace_flags and rights codes of files and folders.
constexpr std::array<Code, 5> kFlagCodes = {{
    {"OI", ace_flag::kObjectInherit},
    {"CI", ace_flag::kContainerInherit},
    {"NP", ace_flag::kNoPropagate},
    {"IO", ace_flag::kInheritOnly},
    {"ID", ace_flag::kInherited},
}};

constexpr std::array<Code, 8> kRightCodes = {{
    {"FA", access::kFileAllAccess},
    {"FR", access::kFileGenericRead},
    {"FW", access::kFileGenericWrite},
    {"FX", access::kFileGenericExecute},
    {"GA", access::kGenericAll},
    {"GR", access::kGenericRead},
    {"GW", access::kGenericWrite},
    {"GX", access::kGenericExecute},
}};

// "SID Strings": the aliases of the well-known SIDs used here.
struct Alias {
    std::string_view letters;
    std::wstring_view sid;
};
constexpr std::array<Alias, 8> kSidAliases = {{
    {"WD", L"S-1-1-0"},
    {"CO", L"S-1-3-0"},
    {"CG", L"S-1-3-1"},
    {"OW", L"S-1-3-4"},
    {"AU", L"S-1-5-11"},
    {"SY", L"S-1-5-18"},
    {"BA", L"S-1-5-32-544"},
    {"BU", L"S-1-5-32-545"},
}};

class Parser {
  public:
    Parser(std::string_view text, const std::vector<SddlSubstitution>& substitutions)
        : text_(text), substitutions_(substitutions) {}

    SddlParse run();

  private:
    bool fail(std::string message) {
        if (!failed_) {
            failed_ = true;
            error_ = {pos_, std::move(message)};
        }
        return false;
    }
    bool at(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }
    bool take(std::string_view s) {
        if (!at(s)) {
            return false;
        }
        pos_ += s.size();
        return true;
    }
    bool expect(char c, const char* after) {
        if (take(std::string_view(&c, 1))) {
            return true;
        }
        return fail(std::string("expected '") + c + "' " + after);
    }
    // The text up to the next ';' or ')' (not taken).
    std::string_view field() const {
        std::size_t end = text_.find_first_of(";)", pos_);
        return text_.substr(pos_, (end == std::string_view::npos ? text_.size() : end) - pos_);
    }

    bool daclFlags(std::uint16_t& control);
    bool ace(std::vector<RawAce>& aces);
    bool aceType(std::uint8_t& type);
    bool aceFlags(std::uint8_t& flags);
    bool rights(std::uint32_t& mask);
    bool sid(Sid& out);

    std::string_view text_;
    const std::vector<SddlSubstitution>& substitutions_;
    std::size_t pos_ = 0;
    bool failed_ = false;
    SddlError error_;
};

SddlParse Parser::run() {
    SddlDacl dacl;
    if (!take("D:")) {
        fail("expected \"D:\" at the start of the DACL");
    } else if (daclFlags(dacl.control)) {
        while (pos_ < text_.size() && ace(dacl.aces)) {
        }
    }
    if (failed_) {
        return {std::nullopt, error_};
    }
    return {std::move(dacl), {}};
}

bool Parser::daclFlags(std::uint16_t& control) {
    while (pos_ < text_.size() && text_[pos_] != '(') {
        if (take("P")) {
            control |= sd_control::kDaclProtected;
        } else if (take("AI")) {
            control |= sd_control::kDaclAutoInherited;
        } else if (!take("AR")) {
            return fail("expected a DACL flag (P, AI, AR) or '('");
        }
    }
    return true;
}

bool Parser::ace(std::vector<RawAce>& aces) {
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
    std::uint32_t mask = 0;
    Sid trustee;
    bool ok = expect('(', "to open an ACE") && aceType(type) && expect(';', "after the ACE type") &&
              aceFlags(flags) && expect(';', "after the ACE flags") && rights(mask) &&
              expect(';', "after the rights") &&
              (at(";") || fail("expected an empty object type (only A and D ACEs)")) &&
              expect(';', "after the object type") &&
              (at(";") || fail("expected an empty inherited object type")) &&
              expect(';', "after the inherited object type") && sid(trustee) &&
              expect(')', "to close the ACE");
    if (ok) {
        aces.push_back(RawAce::make(type, flags, mask, trustee));
    }
    return ok;
}

bool Parser::aceType(std::uint8_t& type) {
    std::string_view f = field();
    if (f == "A") {
        type = ace_type::kAccessAllowed;
    } else if (f == "D") {
        type = ace_type::kAccessDenied;
    } else {
        return fail("expected the ACE type A or D");
    }
    pos_ += f.size();
    return true;
}

bool Parser::aceFlags(std::uint8_t& flags) {
    while (pos_ < text_.size() && text_[pos_] != ';' && text_[pos_] != ')') {
        bool known = false;
        for (const Code& code : kFlagCodes) {
            if (take(code.letters)) {
                flags |= static_cast<std::uint8_t>(code.value);
                known = true;
                break;
            }
        }
        if (!known) {
            return fail("expected an ACE flag (OI, CI, NP, IO, ID) or ';'");
        }
    }
    return true;
}

bool Parser::rights(std::uint32_t& mask) {
    std::string_view f = field();
    if (f.size() > 2 && f[0] == '0' && (f[1] == 'x' || f[1] == 'X')) {
        if (f.size() > 10) {
            return fail("expected at most 8 hexadecimal digits in the rights");
        }
        for (std::size_t i = 2; i < f.size(); ++i) {
            char c = f[i];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0) {
                pos_ += i;
                return fail("expected a hexadecimal digit in the rights");
            }
            mask = mask << 4 | static_cast<std::uint32_t>(digit);
        }
        pos_ += f.size();
        return true;
    }
    if (f.empty()) {
        return fail("expected the rights (0x... or FA, FR, FW, FX, GA, GR, GW, GX)");
    }
    while (pos_ < text_.size() && text_[pos_] != ';' && text_[pos_] != ')') {
        bool known = false;
        for (const Code& code : kRightCodes) {
            if (take(code.letters)) {
                mask |= code.value;
                known = true;
                break;
            }
        }
        if (!known) {
            return fail("expected the rights (0x... or FA, FR, FW, FX, GA, GR, GW, GX)");
        }
    }
    return true;
}

bool Parser::sid(Sid& out) {
    std::string_view f = field();
    if (f.size() > 1 && f[0] == '$') {
        for (const SddlSubstitution& s : substitutions_) {
            if (f == s.name) {
                out = s.sid;
                pos_ += f.size();
                return true;
            }
        }
        return fail("unknown name " + std::string(f) + " for a SID");
    }
    for (const Alias& alias : kSidAliases) {
        if (f == alias.letters) {
            out = *Sid::fromString(alias.sid);
            pos_ += f.size();
            return true;
        }
    }
    std::wstring wide(f.begin(), f.end());
    std::optional<Sid> parsed;
    if (f.size() > 1 && f[0] == 'S' && f[1] == '-') {
        parsed = Sid::fromString(wide);
    }
    if (!parsed) {
        return fail("expected a SID (S-1-..., WD, CO, CG, OW, AU, SY, BA, BU or a $ name)");
    }
    out = *parsed;
    pos_ += f.size();
    return true;
}

std::string hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(value));
    return buffer;
}

}  // namespace

std::string SddlParse::errorText() const {
    return "at " + std::to_string(error.position) + ": " + error.message;
}

SddlParse parseDaclSddl(std::string_view text, const std::vector<SddlSubstitution>& substitutions) {
    return Parser(text, substitutions).run();
}

std::string formatDaclSddl(const SddlDacl& dacl) {
    std::string out = "D:";
    if (dacl.control & sd_control::kDaclProtected) {
        out += "P";
    }
    if (dacl.control & sd_control::kDaclAutoInherited) {
        out += "AI";
    }
    for (const RawAce& ace : dacl.aces) {
        out += '(';
        if (ace.type() == ace_type::kAccessAllowed) {
            out += 'A';
        } else if (ace.type() == ace_type::kAccessDenied) {
            out += 'D';
        } else {
            out += hex(ace.type());
        }
        out += ';';
        std::uint8_t rest = ace.flags();
        for (const Code& code : kFlagCodes) {
            if (rest & code.value) {
                out += code.letters;
                rest = static_cast<std::uint8_t>(rest & ~code.value);
            }
        }
        if (rest != 0) {
            out += hex(rest);
        }
        out += ';' + hex(ace.mask()) + ";;;";
        std::optional<Sid> trustee = ace.sid();
        if (trustee) {
            for (wchar_t c : trustee->toString()) {
                out += static_cast<char>(c);
            }
        } else {
            out += "?";
        }
        if (trustee && ace.bytes.size() != ace.sidOffset() + trustee->bytes().size()) {
            out +=
                "+" + std::to_string(ace.bytes.size() - ace.sidOffset() - trustee->bytes().size());
        }
        out += ')';
    }
    return out;
}

}  // namespace quorel
