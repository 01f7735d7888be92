#include "platform/sddl_descriptor.h"

#include <array>
#include <cstdio>

namespace quorel {

namespace {

struct Code {
    std::string_view letters;
    std::uint32_t value;
};

// "ACE Strings": ace_type.
constexpr std::array<Code, 15> kTypeCodes = {{
    {"A", ace_type::kAccessAllowed},
    {"D", ace_type::kAccessDenied},
    {"AU", ace_type::kSystemAudit},
    {"AL", ace_type::kSystemAlarm},
    {"OA", ace_type::kAccessAllowedObject},
    {"OD", ace_type::kAccessDeniedObject},
    {"OU", ace_type::kSystemAuditObject},
    {"OL", ace_type::kSystemAlarmObject},
    {"XA", ace_type::kAccessAllowedCallback},
    {"XD", ace_type::kAccessDeniedCallback},
    {"ZA", ace_type::kAccessAllowedCallbackObject},
    {"XU", ace_type::kSystemAuditCallback},
    {"ML", ace_type::kSystemMandatoryLabel},
    {"RA", ace_type::kSystemResourceAttribute},
    {"SP", ace_type::kSystemScopedPolicyId},
}};

// "ACE Strings": ace_flags, in the order they are written.
constexpr std::array<Code, 7> kFlagCodes = {{
    {"OI", ace_flag::kObjectInherit},
    {"CI", ace_flag::kContainerInherit},
    {"NP", ace_flag::kNoPropagate},
    {"IO", ace_flag::kInheritOnly},
    {"ID", ace_flag::kInherited},
    {"SA", ace_flag::kSuccessfulAccess},
    {"FA", ace_flag::kFailedAccess},
}};

// "ACE Strings": rights that stand for a whole mask, written when the mask
// is exactly one of the file aliases; the registry ones are only read.
constexpr std::array<Code, 8> kWholeRights = {{
    {"FA", access::kFileAllAccess},
    {"FR", access::kFileGenericRead},
    {"FW", access::kFileGenericWrite},
    {"FX", access::kFileGenericExecute},
    {"KA", 0x000F003F},  // KEY_ALL_ACCESS
    {"KR", 0x00020019},  // KEY_READ
    {"KW", 0x00020006},  // KEY_WRITE
    {"KX", 0x00020019},  // KEY_EXECUTE
}};
constexpr std::size_t kWrittenWholeRights = 4;

// "ACE Strings": rights of one bit each, written in the order of their bits;
// the mandatory label ones (NR, NW, NX) are only read.
constexpr std::array<Code, 20> kBitRights = {{
    {"CC", 0x1},
    {"DC", 0x2},
    {"LC", 0x4},
    {"SW", 0x8},
    {"RP", 0x10},
    {"WP", 0x20},
    {"DT", 0x40},
    {"LO", 0x80},
    {"CR", 0x100},
    {"SD", access::kDelete},
    {"RC", access::kReadControl},
    {"WD", access::kWriteDac},
    {"WO", access::kWriteOwner},
    {"GA", access::kGenericAll},
    {"GX", access::kGenericExecute},
    {"GW", access::kGenericWrite},
    {"GR", access::kGenericRead},
    {"NR", 0x1},
    {"NW", 0x2},
    {"NX", 0x4},
}};
constexpr std::size_t kWrittenBitRights = 17;

// "SID Strings": the aliases of well-known SIDs that name the same SID on
// every computer (those relative to a domain are written as SIDs).
struct Alias {
    std::string_view letters;
    std::wstring_view sid;
};
constexpr std::array<Alias, 48> kSidAliases = {{
    {"AA", L"S-1-5-32-579"}, {"AC", L"S-1-15-2-1"},   {"AN", L"S-1-5-7"},
    {"AO", L"S-1-5-32-548"}, {"AS", L"S-1-18-1"},     {"AU", L"S-1-5-11"},
    {"BA", L"S-1-5-32-544"}, {"BG", L"S-1-5-32-546"}, {"BO", L"S-1-5-32-551"},
    {"BU", L"S-1-5-32-545"}, {"CD", L"S-1-5-32-574"}, {"CG", L"S-1-3-1"},
    {"CO", L"S-1-3-0"},      {"CY", L"S-1-5-32-569"}, {"ED", L"S-1-5-9"},
    {"ER", L"S-1-5-32-573"}, {"ES", L"S-1-5-32-576"}, {"HA", L"S-1-5-32-578"},
    {"HI", L"S-1-16-12288"}, {"IS", L"S-1-5-32-568"}, {"IU", L"S-1-5-4"},
    {"LS", L"S-1-5-19"},     {"LU", L"S-1-5-32-559"}, {"LW", L"S-1-16-4096"},
    {"ME", L"S-1-16-8192"},  {"MP", L"S-1-16-8448"},  {"MS", L"S-1-5-32-577"},
    {"MU", L"S-1-5-32-558"}, {"NO", L"S-1-5-32-556"}, {"NS", L"S-1-5-20"},
    {"NU", L"S-1-5-2"},      {"OW", L"S-1-3-4"},      {"PO", L"S-1-5-32-550"},
    {"PS", L"S-1-5-10"},     {"PU", L"S-1-5-32-547"}, {"RA", L"S-1-5-32-575"},
    {"RC", L"S-1-5-12"},     {"RD", L"S-1-5-32-555"}, {"RE", L"S-1-5-32-552"},
    {"RM", L"S-1-5-32-580"}, {"RU", L"S-1-5-32-554"}, {"SI", L"S-1-16-16384"},
    {"SO", L"S-1-5-32-549"}, {"SS", L"S-1-18-2"},     {"SU", L"S-1-5-6"},
    {"SY", L"S-1-5-18"},     {"WD", L"S-1-1-0"},      {"WR", L"S-1-5-33"},
}};

constexpr std::string_view kNullDacl = "NO_ACCESS_CONTROL";
constexpr std::uint16_t kDaclFlags =
    sd_control::kDaclProtected | sd_control::kDaclAutoInheritReq | sd_control::kDaclAutoInherited;
// The flags a DACL is stored with (parseDaclSddl, formatDaclSddl).
constexpr std::uint16_t kStoredDaclFlags =
    sd_control::kDaclProtected | sd_control::kDaclAutoInherited;

std::string hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%x", static_cast<unsigned>(value));
    return buffer;
}

// "at 12: expected ';' after the ACE type"
std::string atPosition(const SddlError& error) {
    return "at " + std::to_string(error.position) + ": " + error.message;
}

void appendHexBytes(std::string& out, const std::uint8_t* data, std::size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < size; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0xF];
    }
}

int hexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

void putU16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void appendU32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

std::uint32_t getU32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// The fields of an ACE as the text holds them.
struct AceFields {
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
    std::uint32_t mask = 0;
    std::optional<std::array<std::uint8_t, 16>> objectType;
    std::optional<std::array<std::uint8_t, 16>> inheritedObjectType;
    Sid sid;
    std::vector<std::uint8_t> trailer;
};

std::vector<std::uint8_t> aceBytes(const AceFields& f) {
    std::vector<std::uint8_t> b = {f.type, f.flags, 0, 0};
    appendU32(b, f.mask);
    if (ace_type::isObjectType(f.type)) {
        appendU32(b,
                  (f.objectType ? object_ace_flag::kObjectTypePresent : 0) |
                      (f.inheritedObjectType ? object_ace_flag::kInheritedObjectTypePresent : 0));
        for (const auto* guid : {&f.objectType, &f.inheritedObjectType}) {
            if (*guid) {
                b.insert(b.end(), (*guid)->begin(), (*guid)->end());
            }
        }
    }
    b.insert(b.end(), f.sid.bytes().begin(), f.sid.bytes().end());
    b.insert(b.end(), f.trailer.begin(), f.trailer.end());
    putU16(b, 2, static_cast<std::uint16_t>(b.size()));
    return b;
}

class Parser {
  public:
    Parser(std::string_view text, const std::vector<SddlSubstitution>& substitutions)
        : text_(text), substitutions_(substitutions) {}

    SddlDescriptorParse run();

  private:
    bool fail(std::string message) {
        if (!failed_) {
            failed_ = true;
            error_ = {pos_, std::move(message)};
        }
        return false;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    bool at(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }
    bool take(std::string_view s) {
        if (!at(s)) {
            return false;
        }
        pos_ += s.size();
        return true;
    }
    bool expect(char c, const char* after) {
        return take(std::string_view(&c, 1)) || fail(std::string("expected '") + c + "' " + after);
    }
    // A component ("O:", "G:", "D:", "S:", "C:") starts here.
    bool atComponent() const {
        return pos_ + 1 < text_.size() && text_[pos_ + 1] == ':' &&
               std::string_view("OGDSC").find(text_[pos_]) != std::string_view::npos;
    }
    // The text up to the next ';' or ')' (not taken).
    std::string_view field() const {
        std::size_t end = text_.find_first_of(";)", pos_);
        return text_.substr(pos_, (end == std::string_view::npos ? text_.size() : end) - pos_);
    }

    bool components(SecurityDescriptor& sd);
    bool ownerOrGroup(std::optional<Sid>& out);
    bool dacl(SecurityDescriptor& sd);
    bool control(SecurityDescriptor& sd);
    bool ace(std::vector<RawAce>& aces);
    bool rawAce(std::vector<RawAce>& aces);
    bool aceType(std::uint8_t& type);
    bool aceFlags(std::uint8_t& flags);
    bool rights(std::uint32_t& mask);
    bool hexNumber(std::string_view f, std::uint32_t& value, const char* what);
    bool guid(std::optional<std::array<std::uint8_t, 16>>& out, bool allowed);
    bool sid(Sid& out, std::string_view text);
    bool hexBytes(std::vector<std::uint8_t>& out, const char* what, bool prefixed);

    std::string_view text_;
    const std::vector<SddlSubstitution>& substitutions_;
    std::size_t pos_ = 0;
    bool failed_ = false;
    SddlError error_;
};

SddlDescriptorParse Parser::run() {
    SecurityDescriptor sd;
    sd.control = sd_control::kSelfRelative;
    sd.daclState = DaclState::Absent;
    if (!components(sd)) {
        return {std::nullopt, error_};
    }
    return {std::move(sd), {}};
}

bool Parser::components(SecurityDescriptor& sd) {
    bool seenControl = false;
    if (take("O:") && !ownerOrGroup(sd.owner)) {
        return false;
    }
    if (take("G:") && !ownerOrGroup(sd.group)) {
        return false;
    }
    if (take("D:") && !dacl(sd)) {
        return false;
    }
    if (at("S:")) {
        return fail("a SACL (S:) is not kept");
    }
    if (take("C:")) {
        seenControl = control(sd);
        if (!seenControl) {
            return false;
        }
    }
    if (!atEnd()) {
        return fail(seenControl ? "expected the end after the control"
                                : "expected O:, G:, D: or C: in this order");
    }
    return true;
}

bool Parser::ownerOrGroup(std::optional<Sid>& out) {
    std::size_t end = pos_;
    while (end < text_.size() && !(end + 1 < text_.size() && text_[end + 1] == ':')) {
        ++end;
    }
    Sid parsed;
    if (!sid(parsed, text_.substr(pos_, end - pos_))) {
        return false;
    }
    out = parsed;
    pos_ = end;
    return true;
}

bool Parser::dacl(SecurityDescriptor& sd) {
    sd.daclState = DaclState::Present;
    sd.control |= sd_control::kDaclPresent;
    while (!atEnd() && text_[pos_] != '(' && !atComponent() && !at(kNullDacl)) {
        if (take("P")) {
            sd.control |= sd_control::kDaclProtected;
        } else if (take("AI")) {
            sd.control |= sd_control::kDaclAutoInherited;
        } else if (take("AR")) {
            sd.control |= sd_control::kDaclAutoInheritReq;
        } else {
            return fail("expected a DACL flag (P, AI, AR), NO_ACCESS_CONTROL or '('");
        }
    }
    if (take(kNullDacl)) {
        sd.daclState = DaclState::Null;
        return true;
    }
    while (!atEnd() && !atComponent()) {
        if (!ace(sd.dacl)) {
            return false;
        }
    }
    return true;
}

bool Parser::control(SecurityDescriptor& sd) {
    std::uint32_t value = 0;
    std::string_view f = text_.substr(pos_);
    if (!hexNumber(f, value, "the control")) {
        return false;
    }
    if (value > 0xFFFF) {
        return fail("expected at most 4 hexadecimal digits in the control");
    }
    pos_ += f.size();
    sd.control = static_cast<std::uint16_t>(value);
    return true;
}

bool Parser::ace(std::vector<RawAce>& aces) {
    if (!expect('(', "to open an ACE")) {
        return false;
    }
    if (take("RAW;")) {
        return rawAce(aces);
    }
    const std::size_t start = pos_;
    AceFields f;
    bool ok = aceType(f.type) && expect(';', "after the ACE type") && aceFlags(f.flags) &&
              expect(';', "after the ACE flags") && rights(f.mask) &&
              expect(';', "after the rights") &&
              guid(f.objectType, ace_type::isObjectType(f.type)) &&
              expect(';', "after the object type") &&
              guid(f.inheritedObjectType, ace_type::isObjectType(f.type)) &&
              expect(';', "after the inherited object type") && sid(f.sid, field());
    if (!ok) {
        return false;
    }
    pos_ += field().size();
    if (take(";") && !hexBytes(f.trailer, "the data after the SID", true)) {
        return false;
    }
    if (!expect(')', "to close the ACE")) {
        return false;
    }
    std::vector<std::uint8_t> bytes = aceBytes(f);
    if (bytes.size() > 0xFFFF) {
        pos_ = start;
        return fail("the ACE is longer than 65535 bytes");
    }
    aces.push_back(RawAce{std::move(bytes)});
    return true;
}

bool Parser::rawAce(std::vector<RawAce>& aces) {
    RawAce raw;
    if (!hexBytes(raw.bytes, "the bytes of the ACE", false) || !expect(')', "to close the ACE")) {
        return false;
    }
    aces.push_back(std::move(raw));
    return true;
}

bool Parser::aceType(std::uint8_t& type) {
    std::string_view f = field();
    for (const Code& code : kTypeCodes) {
        if (f == code.letters) {
            type = static_cast<std::uint8_t>(code.value);
            pos_ += f.size();
            return true;
        }
    }
    return fail("expected an ACE type (A, D, OA, OD, XA, XD, ZA, AU, ...) or RAW");
}

bool Parser::aceFlags(std::uint8_t& flags) {
    std::string_view f = field();
    if (f.size() > 1 && f[0] == '0' && (f[1] == 'x' || f[1] == 'X')) {
        std::uint32_t value = 0;
        if (!hexNumber(f, value, "the ACE flags")) {
            return false;
        }
        if (value > 0xFF) {
            return fail("expected at most 2 hexadecimal digits in the ACE flags");
        }
        flags = static_cast<std::uint8_t>(value);
        pos_ += f.size();
        return true;
    }
    while (!atEnd() && text_[pos_] != ';' && text_[pos_] != ')') {
        bool known = false;
        for (const Code& code : kFlagCodes) {
            if (!known && take(code.letters)) {
                flags |= static_cast<std::uint8_t>(code.value);
                known = true;
            }
        }
        if (!known) {
            return fail("expected an ACE flag (OI, CI, NP, IO, ID, SA, FA) or ';'");
        }
    }
    return true;
}

bool Parser::hexNumber(std::string_view f, std::uint32_t& value, const char* what) {
    if (f.size() < 3 || f[0] != '0' || (f[1] != 'x' && f[1] != 'X')) {
        return fail(std::string("expected a hexadecimal number (0x...) in ") + what);
    }
    if (f.size() > 10) {
        return fail(std::string("expected at most 8 hexadecimal digits in ") + what);
    }
    value = 0;
    for (std::size_t i = 2; i < f.size(); ++i) {
        int digit = hexDigit(f[i]);
        if (digit < 0) {
            pos_ += i;
            return fail(std::string("expected a hexadecimal digit in ") + what);
        }
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}

bool Parser::rights(std::uint32_t& mask) {
    std::string_view f = field();
    if (f.size() > 1 && f[0] == '0' && (f[1] == 'x' || f[1] == 'X')) {
        if (!hexNumber(f, mask, "the rights")) {
            return false;
        }
        pos_ += f.size();
        return true;
    }
    if (f.empty()) {
        return fail("expected the rights (0x..., FA, FR, GA, RC, ...)");
    }
    while (!atEnd() && text_[pos_] != ';' && text_[pos_] != ')') {
        bool known = false;
        for (const auto* table : {kWholeRights.data(), kBitRights.data()}) {
            const std::size_t n =
                table == kWholeRights.data() ? kWholeRights.size() : kBitRights.size();
            for (std::size_t i = 0; i < n && !known; ++i) {
                if (take(table[i].letters)) {
                    mask |= table[i].value;
                    known = true;
                }
            }
        }
        if (!known) {
            return fail("expected the rights (0x..., FA, FR, GA, RC, ...)");
        }
    }
    return true;
}

// "8-4-4-4-12" hexadecimal digits: Data1, Data2 and Data3 of the GUID stored
// little-endian, then the 8 bytes of Data4 in order.
bool Parser::guid(std::optional<std::array<std::uint8_t, 16>>& out, bool allowed) {
    std::string_view f = field();
    if (f.empty()) {
        return true;
    }
    if (!allowed) {
        return fail("expected no object type (only object ACEs have one)");
    }
    static constexpr int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::array<std::uint8_t, 16> bytes{};
    std::size_t i = 0;
    for (int b = 0; b < 16; ++b) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (i >= f.size() || f[i] != '-') {
                pos_ += i;
                return fail("expected a GUID (xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx)");
            }
            ++i;
        }
        int high = i < f.size() ? hexDigit(f[i]) : -1;
        int low = i + 1 < f.size() ? hexDigit(f[i + 1]) : -1;
        if (high < 0 || low < 0) {
            pos_ += high < 0 ? i : i + 1;
            return fail("expected a GUID (xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx)");
        }
        bytes[static_cast<std::size_t>(kOrder[b])] = static_cast<std::uint8_t>(high << 4 | low);
        i += 2;
    }
    if (i != f.size()) {
        pos_ += i;
        return fail("expected the end of the GUID");
    }
    out = bytes;
    pos_ += f.size();
    return true;
}

bool Parser::sid(Sid& out, std::string_view f) {
    if (f.size() > 1 && f[0] == '$') {
        for (const SddlSubstitution& s : substitutions_) {
            if (f == s.name) {
                out = s.sid;
                return true;
            }
        }
        return fail("unknown name " + std::string(f) + " for a SID");
    }
    for (const Alias& alias : kSidAliases) {
        if (f == alias.letters) {
            out = *Sid::fromString(alias.sid);
            return true;
        }
    }
    std::optional<Sid> parsed;
    if (f.size() > 1 && f[0] == 'S' && f[1] == '-') {
        parsed = Sid::fromString(std::wstring(f.begin(), f.end()));
    }
    if (!parsed) {
        return fail("expected a SID (S-1-..., an alias such as BA, SY, WD, or a $ name)");
    }
    out = *parsed;
    return true;
}

bool Parser::hexBytes(std::vector<std::uint8_t>& out, const char* what, bool prefixed) {
    std::string_view f = field();
    if (prefixed) {
        if (f.size() < 2 || f[0] != '0' || f[1] != 'x') {
            return fail(std::string("expected 0x and hexadecimal digits in ") + what);
        }
        pos_ += 2;
        f.remove_prefix(2);
    }
    if (f.size() % 2 != 0) {
        return fail(std::string("expected two hexadecimal digits a byte in ") + what);
    }
    for (std::size_t i = 0; i < f.size(); i += 2) {
        int high = hexDigit(f[i]);
        int low = hexDigit(f[i + 1]);
        if (high < 0 || low < 0) {
            pos_ += high < 0 ? i : i + 1;
            return fail(std::string("expected a hexadecimal digit in ") + what);
        }
        out.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    pos_ += f.size();
    return true;
}

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::string formatSid(const Sid& sid) {
    const std::string text = narrow(sid.toString());
    for (const Alias& alias : kSidAliases) {
        if (text == narrow(std::wstring(alias.sid))) {
            return std::string(alias.letters);
        }
    }
    return text;
}

std::string formatRights(std::uint32_t mask) {
    for (std::size_t i = 0; i < kWrittenWholeRights; ++i) {
        if (mask == kWholeRights[i].value) {
            return std::string(kWholeRights[i].letters);
        }
    }
    std::string letters;
    std::uint32_t rest = mask;
    for (std::size_t i = 0; i < kWrittenBitRights; ++i) {
        if (rest & kBitRights[i].value) {
            letters += kBitRights[i].letters;
            rest &= ~kBitRights[i].value;
        }
    }
    return rest == 0 && mask != 0 ? letters : hex(mask);
}

std::string formatFlags(std::uint8_t flags) {
    std::string letters;
    std::uint32_t rest = flags;
    for (const Code& code : kFlagCodes) {
        if (rest & code.value) {
            letters += code.letters;
            rest &= ~code.value;
        }
    }
    return rest == 0 ? letters : hex(flags);
}

void appendGuid(std::string& out, const std::uint8_t* bytes) {
    static constexpr int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int b = 0; b < 16; ++b) {
        if (b == 4 || b == 6 || b == 8 || b == 10) {
            out += '-';
        }
        appendHexBytes(out, bytes + kOrder[b], 1);
    }
}

// The fields of an ACE, or nothing when they cannot describe it.
std::optional<std::string> aceFieldsText(const RawAce& ace) {
    const std::vector<std::uint8_t>& b = ace.bytes;
    if (b.size() < 8 || (b[2] | b[3] << 8) != static_cast<int>(b.size())) {
        return std::nullopt;
    }
    const Code* type = nullptr;
    for (const Code& code : kTypeCodes) {
        type = code.value == ace.type() ? &code : type;
    }
    const bool object = ace_type::isObjectType(ace.type());
    std::uint32_t objectFlags = 0;
    if (object && b.size() >= 12) {
        objectFlags = getU32(b, 8);
    }
    const std::optional<Sid> trustee = ace.sid();
    if (type == nullptr || (object && b.size() < 12) || objectFlags > 3 || !trustee) {
        return std::nullopt;
    }
    std::string out = std::string(type->letters) + ';' + formatFlags(ace.flags()) + ';' +
                      formatRights(ace.mask()) + ';';
    std::size_t at = 12;
    for (std::uint32_t present :
         {object_ace_flag::kObjectTypePresent, object_ace_flag::kInheritedObjectTypePresent}) {
        if (objectFlags & present) {
            appendGuid(out, b.data() + at);
            at += 16;
        }
        out += ';';
    }
    out += formatSid(*trustee);
    const std::size_t end = ace.sidOffset() + trustee->bytes().size();
    if (end < b.size()) {
        out += ";0x";
        appendHexBytes(out, b.data() + end, b.size() - end);
    }
    return out;
}

std::string formatAce(const RawAce& ace) {
    if (std::optional<std::string> fields = aceFieldsText(ace)) {
        // Written this way only when it reads back to the same bytes.
        const std::string text = "(" + *fields + ")";
        SddlDescriptorParse back = Parser("D:" + text, {}).run();
        if (back.ok() && back.descriptor->dacl.size() == 1 && back.descriptor->dacl[0] == ace) {
            return text;
        }
    }
    std::string out = "(RAW;";
    appendHexBytes(out, ace.bytes.data(), ace.bytes.size());
    return out + ")";
}

}  // namespace

std::uint16_t impliedSddlControl(const SecurityDescriptor& descriptor) {
    std::uint16_t control = sd_control::kSelfRelative;
    if (descriptor.daclState != DaclState::Absent) {
        control |= sd_control::kDaclPresent | (descriptor.control & kDaclFlags);
    }
    return control;
}

std::string formatSddl(const SecurityDescriptor& descriptor) {
    std::string out;
    if (descriptor.owner) {
        out += "O:" + formatSid(*descriptor.owner);
    }
    if (descriptor.group) {
        out += "G:" + formatSid(*descriptor.group);
    }
    if (descriptor.daclState != DaclState::Absent) {
        out += "D:";
        if (descriptor.control & sd_control::kDaclProtected) {
            out += "P";
        }
        if (descriptor.control & sd_control::kDaclAutoInheritReq) {
            out += "AR";
        }
        if (descriptor.control & sd_control::kDaclAutoInherited) {
            out += "AI";
        }
        if (descriptor.daclState == DaclState::Null) {
            out += kNullDacl;
        } else {
            for (const RawAce& ace : descriptor.dacl) {
                out += formatAce(ace);
            }
        }
    }
    if (descriptor.control != impliedSddlControl(descriptor)) {
        out += "C:" + hex(descriptor.control);
    }
    return out;
}

std::string SddlDescriptorParse::errorText() const {
    return atPosition(error);
}

std::string SddlParse::errorText() const {
    return atPosition(error);
}

SddlDescriptorParse parseSddl(std::string_view text,
                              const std::vector<SddlSubstitution>& substitutions) {
    return Parser(text, substitutions).run();
}

SddlParse parseDaclSddl(std::string_view text, const std::vector<SddlSubstitution>& substitutions) {
    if (!text.starts_with("D:")) {
        return {std::nullopt, {0, "expected \"D:\" at the start of the DACL"}};
    }
    SddlDescriptorParse parsed = parseSddl(text, substitutions);
    if (!parsed.ok()) {
        return {std::nullopt, parsed.error};
    }
    SecurityDescriptor& sd = *parsed.descriptor;
    if (sd.daclState == DaclState::Null) {
        return {std::nullopt, {text.find(kNullDacl), "expected ACEs, not a null DACL"}};
    }
    if (sd.control != impliedSddlControl(sd)) {
        // The control component is the last one and holds no other "C:".
        return {std::nullopt, {text.rfind("C:"), "expected the DACL alone, without C:"}};
    }
    return {SddlDacl{static_cast<std::uint16_t>(sd.control & kStoredDaclFlags), std::move(sd.dacl)},
            {}};
}

std::string formatDaclSddl(const SddlDacl& dacl) {
    SecurityDescriptor sd;
    sd.daclState = DaclState::Present;
    sd.control = static_cast<std::uint16_t>(sd_control::kSelfRelative | sd_control::kDaclPresent |
                                            (dacl.control & kStoredDaclFlags));
    sd.dacl = dacl.aces;
    return formatSddl(sd);
}

}  // namespace quorel
