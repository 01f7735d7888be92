#include "storage/dataset_file.h"

#include <memory>
#include <unordered_map>

#include "core/dataset_builder.h"
#include "core/dir_list.h"
#include "platform/file_io_port.h"
#include "platform/interaction_port.h"
#include "storage/utf16.h"

namespace quorel {

namespace {

enum Tag : std::uint16_t {
    kVersion = 1,
    kName = 3,
    kTrusteeName = 4,
    kAccessMask = 5,
    kAceFlags = 6,
    kSibling = 7,
    kChild = 8,
    kLevelEnd = 9,
    kMagic = 10,
    kAceCount = 11,
    kEnd = 12,
    kOwner = 13,
    kGroup = 14,
    kUserCount = 15,
    kUserName = 16,
    kEntryCount = 17,
    kAceType = 18,
    kAceEnd = 19,
    kErrorFlags = 20,
    kDomainCount = 21,
    kDomainName = 22,
    kTrusteeDomain = 23,
    kOwnerDomain = 24,
    kGroupDomain = 25,
};

constexpr const wchar_t* kMagicText = L"ACL-STRUCT_FILE";
constexpr std::uint16_t kMagicBytes = 32;
constexpr const wchar_t* kNote = L"Note";

void note(InteractionPort& ui, const wchar_t* text) {
    ui.showMessage(text, kNote, MessageIcon::Error);
}

// Progress in percent on status part 2, about a hundred steps in all.
class Progress {
  public:
    Progress(InteractionPort& ui, std::uint32_t total) : ui_(ui), total_(total) {}
    void step() {
        ++counter_;
        const std::uint32_t every = total_ / 100;
        if (every != 0 && counter_ % every == 0) {
            const auto percent = static_cast<std::uint64_t>(counter_) * 100 / total_;
            ui_.setStatusText(2, std::to_wstring(percent) + L"%");
        }
    }

  private:
    InteractionPort& ui_;
    std::uint32_t total_;
    std::uint32_t counter_ = 0;
};

// ---------------------------------------------------------------------------
// Writing

class RecordWriter {
  public:
    explicit RecordWriter(ByteSink& sink) : sink_(sink) { buffer_.reserve(kFlushAt + 4096); }

    void structural(std::uint16_t tag) { header(tag, 0); }
    void number(std::uint16_t tag, std::uint32_t value) {
        header(tag, 4);
        appendU32(buffer_, value);
        maybeFlush();
    }
    void pair(std::uint16_t tag, std::uint32_t first, std::uint32_t second) {
        header(tag, 8);
        appendU32(buffer_, first);
        appendU32(buffer_, second);
    }
    void text(std::uint16_t tag, std::wstring_view value) {
        std::size_t units = utf16Length(value);
        // A record holds at most 32767 units; no name of a file system or
        // account comes near that.
        while (units > 32766) {
            value.remove_suffix(1);
            units = utf16Length(value);
        }
        header(tag, static_cast<std::uint16_t>(2 * (units + 1)));
        appendUtf16le(buffer_, value);
        appendU16(buffer_, 0);
        maybeFlush();
    }
    bool finish() { return flush() && ok_; }
    bool ok() const { return ok_; }

  private:
    static constexpr std::size_t kFlushAt = 1 << 16;

    void header(std::uint16_t tag, std::uint16_t length) {
        appendU16(buffer_, tag);
        appendU16(buffer_, length);
    }
    void maybeFlush() {
        if (buffer_.size() >= kFlushAt) {
            flush();
        }
    }
    bool flush() {
        if (ok_ && !buffer_.empty()) {
            ok_ = sink_.write(buffer_.data(), buffer_.size());
        }
        buffer_.clear();
        return ok_;
    }

    ByteSink& sink_;
    std::vector<std::uint8_t> buffer_;
    bool ok_ = true;
};

// Index of each table name, looked up by the text id of the dataset's
// account table `texts`.
class TableIndex {
  public:
    TableIndex(AccountNames& texts, const std::vector<std::wstring>& names) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            index_.emplace(texts.internText(names[i]), static_cast<std::uint32_t>(i));
        }
        empty_ = texts.internText(L"");
    }
    // Text id 0 (unset) is written as the empty name.
    std::uint32_t of(std::uint32_t textId) const {
        auto it = index_.find(textId == 0 ? empty_ : textId);
        return it == index_.end() ? 0 : it->second;
    }

  private:
    std::unordered_map<std::uint32_t, std::uint32_t> index_;
    std::uint32_t empty_ = 0;
};

void writeEntry(RecordWriter& out, const CDirEntry& e, std::uint16_t tag, const AccountNames& names,
                const TableIndex& users, const TableIndex& domains) {
    out.structural(tag);
    out.text(kName, e.name());
    out.number(kOwner, users.of(names.nameId(e.ownerAccount())));
    out.number(kOwnerDomain, domains.of(names.domainId(e.ownerAccount())));
    out.number(kGroup, users.of(names.nameId(e.groupAccount())));
    out.number(kGroupDomain, domains.of(names.domainId(e.groupAccount())));
    out.number(kAceCount, e.aceCount());
    out.number(kErrorFlags, e.errorFlags);
    for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
        const AceRecord& a = *e.ace(i);
        out.number(kTrusteeName, users.of(names.nameId(a.account())));
        out.number(kTrusteeDomain, domains.of(names.domainId(a.account())));
        out.number(kAccessMask, a.accessMask);
        out.number(kAceFlags, a.aceFlags);
        out.number(kAceType, a.aceType);
        out.structural(kAceEnd);
    }
}

}  // namespace

void RebuildNameTables(const CDirList& list, NameTables& tables) {
    AccountNames& names = list.accountNames();
    const std::uint32_t empty = names.internText(L"");
    std::unordered_map<std::uint32_t, bool> seenUsers, seenDomains;
    tables.users.clear();
    tables.domains.clear();
    auto add = [&](std::uint32_t textId, std::unordered_map<std::uint32_t, bool>& seen,
                   std::vector<std::wstring>& table) {
        if (textId == 0) {
            textId = empty;
        }
        if (seen.emplace(textId, true).second) {
            table.emplace_back(names.text(textId));
        }
    };
    for (const CDirEntry& e : list) {
        add(names.nameId(e.ownerAccount()), seenUsers, tables.users);
        add(names.nameId(e.groupAccount()), seenUsers, tables.users);
        for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
            add(names.nameId(e.ace(i)->account()), seenUsers, tables.users);
        }
        add(names.domainId(e.ownerAccount()), seenDomains, tables.domains);
        add(names.domainId(e.groupAccount()), seenDomains, tables.domains);
        for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
            add(names.domainId(e.ace(i)->account()), seenDomains, tables.domains);
        }
    }
}

bool WriteDatasetFile(FileIoPort& files, InteractionPort& ui, CDirList& list,
                      const std::wstring& path, const NameTables& tables) {
    std::uint32_t error = 0;
    std::unique_ptr<ByteSink> sink = files.create(path, CreateMode::Always, error);
    if (!sink) {
        note(ui, L"Error saving file");
        return false;
    }
    ui.setStatusText(0, L"Saving file....");
    Progress progress(ui, list.entryCount());
    RecordWriter out(*sink);
    out.text(kMagic, kMagicText);
    out.pair(kVersion, dataset_file::kMajorVersion, dataset_file::kMinorVersion);
    out.number(kEntryCount, list.entryCount());
    out.number(kUserCount, static_cast<std::uint32_t>(tables.users.size()));
    for (const std::wstring& name : tables.users) {
        out.text(kUserName, name);
    }
    out.number(kDomainCount, static_cast<std::uint32_t>(tables.domains.size()));
    for (const std::wstring& name : tables.domains) {
        out.text(kDomainName, name);
    }

    AccountNames& names = list.accountNames();
    const TableIndex users(names, tables.users);
    const TableIndex domains(names, tables.domains);
    // The tree in pre-order: 8 opens a child listing, 7 continues a
    // listing, 9 closes one. No recursion: the depth of a tree is unbounded.
    const CDirEntry* e = list.firstEntry();
    std::uint16_t tag = kSibling;
    while (e != nullptr && out.ok()) {
        progress.step();
        writeEntry(out, *e, tag, names, users, domains);
        if (e->firstChild() != nullptr && !e->isDotEntry()) {
            e = e->firstChild();
            tag = kChild;
            continue;
        }
        while (e != nullptr && e->nextSibling() == nullptr) {
            out.structural(kLevelEnd);
            e = e->parent();
        }
        if (e != nullptr) {
            e = e->nextSibling();
            tag = kSibling;
        }
    }
    if (list.firstEntry() == nullptr) {
        // An empty dataset still closes its (empty) top level.
        out.structural(kLevelEnd);
    }
    out.structural(kEnd);
    if (!out.finish() || !sink->close()) {
        note(ui, L"Error writing data to file");
        return false;
    }
    ui.setStatusText(0, L"File saved.");
    ui.setStatusText(2, L"Ready.");
    list.setFileName(path);
    return true;
}

// ---------------------------------------------------------------------------
// Reading

namespace {

constexpr const wchar_t* kNewerVersionWarning =
    L"WARNING: This data file was written with a newer version of Quorel. The file can be "
    L"loaded but not all information in the file can be evaluated. Some information will be "
    L"lost if the file is saved again.";
constexpr const wchar_t* kUnrecognizedNotice =
    L"There was unrecognized data in the file you loaded. Consider that some information in "
    L"the loaded file is ignored by Quorel.";

// Why a load stopped; the text is shown to the user.
struct LoadError {
    const wchar_t* text;
};

class DatasetReader {
  public:
    DatasetReader(ByteSource& in, InteractionPort& ui, CDirList& list)
        : in_(in), ui_(ui), list_(list), build_(list) {
        // Every ACE a file really holds takes more than 40 bytes of it;
        // allowing one ACE slot per 4 bytes bounds what a damaged file can
        // make the reader allocate.
        aceBudget_ = in.size() / 4 + 64;
    }

    // Reads the whole file; nothing on success, the message otherwise.
    const wchar_t* run() {
        if (const wchar_t* e = readHeader()) {
            return e;
        }
        return readTree();
    }
    bool unrecognized() const { return unrecognized_; }

  private:
    struct Header {
        std::uint16_t tag;
        std::uint16_t length;
    };

    bool readHeader(Header& h) {
        std::uint8_t b[4];
        if (!in_.read(b, 4)) {
            return false;
        }
        h.tag = readU16(b);
        h.length = readU16(b + 2);
        return true;
    }
    bool readU32Value(std::uint32_t& v) {
        std::uint8_t b[4];
        if (!in_.read(b, 4)) {
            return false;
        }
        v = readU32(b);
        return true;
    }
    // Reads a text payload of `length` bytes; the text ends at its first NUL.
    bool readText(std::uint16_t length, std::wstring& text) {
        bytes_.resize(length);
        if (!in_.read(bytes_.data(), length)) {
            return false;
        }
        std::size_t units = length / 2;
        for (std::size_t i = 0; i < units; ++i) {
            if (bytes_[2 * i] == 0 && bytes_[2 * i + 1] == 0) {
                units = i;
                break;
            }
        }
        decodeUtf16leInto(bytes_.data(), units, text);
        return true;
    }

    const wchar_t* readTable(std::uint16_t countTag, std::uint16_t nameTag, const wchar_t* missing,
                             std::vector<std::uint32_t>& table) {
        Header h;
        if (!readHeader(h)) {
            return L"Error reading data from file";
        }
        if (h.tag != countTag) {
            return missing;
        }
        if (h.length != 4) {
            return L"file structure corrupt";
        }
        std::uint32_t count = 0;
        if (!readU32Value(count)) {
            return L"Error reading data from file";
        }
        AccountNames& names = list_.accountNames();
        std::wstring name;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!readHeader(h)) {
                return L"Error reading ACE from file";
            }
            if (h.tag != nameTag) {
                return L"data structure corrupt";
            }
            if (h.length > 2 * (dataset_file::kMaxNameChars + 1)) {
                return L"name too long in file";
            }
            if (!readText(h.length, name)) {
                return L"Error reading user";
            }
            table.push_back(names.internText(name));
        }
        return nullptr;
    }

    const wchar_t* readHeader() {
        Header h;
        if (!readHeader(h)) {
            return L"Error reading data from file";
        }
        if (h.tag != kMagic || h.length != kMagicBytes) {
            return L"wrong file type";
        }
        std::uint8_t magic[kMagicBytes];
        if (!in_.read(magic, kMagicBytes)) {
            return L"Error reading data from file";
        }
        std::vector<std::uint8_t> expected;
        appendUtf16le(expected, kMagicText);
        appendU16(expected, 0);
        if (!std::equal(expected.begin(), expected.end(), magic)) {
            return L"wrong file type";
        }

        if (!readHeader(h)) {
            return L"Error reading data from file";
        }
        if (h.tag != kVersion) {
            return L"No verion information found in file";
        }
        if (h.length != 8) {
            return L"file structure corrupt";
        }
        std::uint32_t major = 0, minor = 0;
        if (!readU32Value(major)) {
            return L"Error reading data from file";
        }
        if (major > dataset_file::kMajorVersion) {
            return L"incompatible file version";
        }
        if (!readU32Value(minor)) {
            return L"Error reading data from file";
        }
        if (major == dataset_file::kMajorVersion && minor > dataset_file::kMinorVersion) {
            ui_.showMessage(kNewerVersionWarning, kNote, MessageIcon::None);
        }

        if (!readHeader(h)) {
            return L"Error reading data from file";
        }
        if (h.tag != kEntryCount) {
            return L"No number of files identifier found";
        }
        if (h.length != 4) {
            return L"file structure corrupt";
        }
        if (!readU32Value(declaredCount_)) {
            return L"Error reading data from file";
        }
        if (const wchar_t* e =
                readTable(kUserCount, kUserName, L"No user list found in file", users_)) {
            return e;
        }
        return readTable(kDomainCount, kDomainName, L"No domain list found in file", domains_);
    }

    // Reads the u32 of a numeric record; false with `error` set otherwise.
    const wchar_t* number(const Header& h, const wchar_t* readError, std::uint32_t& value) {
        if (h.length != 4) {
            return L"file structure corrupt";
        }
        if (!readU32Value(value)) {
            return readError;
        }
        return nullptr;
    }
    const wchar_t* index(const Header& h, const wchar_t* readError,
                         const std::vector<std::uint32_t>& table, std::uint32_t& textId) {
        std::uint32_t i = 0;
        if (const wchar_t* e = number(h, readError, i)) {
            return e;
        }
        if (i >= table.size()) {
            return L"name index out of range in file";
        }
        textId = table[i];
        return nullptr;
    }

    // Where the tree reader stands: the entry the records fill, its depth,
    // and the ACE the next ACE records fill.
    struct Position {
        CDirEntry* current = nullptr;
        std::uint32_t depth = 0;
        std::uint32_t aceIndex = 0;
        bool haveAces = false;
    };

    const wchar_t* readTree() {
        Progress progress(ui_, declaredCount_);
        Position at;
        Header h;
        for (;;) {
            if (!readHeader(h)) {
                return L"Error reading ACE from file";
            }
            const bool entryField = h.tag == kName || h.tag == kOwner || h.tag == kOwnerDomain ||
                                    h.tag == kGroup || h.tag == kGroupDomain ||
                                    h.tag == kAceCount || h.tag == kErrorFlags;
            const bool aceRecord = h.tag == kTrusteeName || h.tag == kTrusteeDomain ||
                                   h.tag == kAccessMask || h.tag == kAceFlags || h.tag == kAceType;
            if ((entryField || aceRecord || h.tag == kChild || h.tag == kAceEnd) &&
                at.current == nullptr) {
                return L"entry data out of place in file";
            }
            if (aceRecord && (!at.haveAces || at.aceIndex >= at.current->aceCount())) {
                return L"ACE data out of place in file";
            }
            if (h.tag == kEnd) {
                return nullptr;
            }
            const wchar_t* e = nullptr;
            if (aceRecord) {
                e = readAceField(h, *at.current->ace(at.aceIndex));
            } else if (entryField) {
                e = readEntryField(h, at, progress);
            } else {
                step(h, at);
            }
            if (e != nullptr) {
                return e;
            }
        }
    }

    // The records that move through the tree; unknown records are skipped
    // (only the header is consumed).
    void step(const Header& h, Position& at) {
        switch (h.tag) {
            case kSibling:
                build_.placeAfter(at.current);
                build_.setDepth(at.depth);
                at.current = build_.addLoadEntry();
                at.haveAces = false;
                break;
            case kChild:
                ++at.depth;
                build_.placeUnder(at.current);
                build_.setDepth(at.depth);
                at.current = build_.addLoadEntry();
                at.haveAces = false;
                break;
            case kLevelEnd:
                if (at.depth > 0) {
                    --at.depth;
                }
                if (at.current != nullptr && at.current->parent() != nullptr) {
                    at.current = at.current->parent();
                    at.haveAces = false;
                }
                break;
            case kAceEnd:
                ++at.aceIndex;
                if (!at.haveAces || at.aceIndex > at.current->aceCount()) {
                    ui_.showMessage(L"number of users in ACL does not match stored value", kNote,
                                    MessageIcon::Error);
                }
                break;
            default:
                unrecognized_ = true;
                break;
        }
    }

    // A field of the current entry: its name, owner, group, ACE count or
    // error flags.
    const wchar_t* readEntryField(const Header& h, Position& at, Progress& progress) {
        AccountNames& names = list_.accountNames();
        CDirEntry& entry = *at.current;
        std::uint32_t value = 0;
        std::uint32_t textId = 0;
        const wchar_t* e = nullptr;
        switch (h.tag) {
            case kName: {
                std::wstring name;
                if (!readText(h.length, name)) {
                    return L"Error reading filename";
                }
                entry.setName(name);
                progress.step();
                return nullptr;
            }
            case kOwner:
            case kGroup: {
                const bool owner = h.tag == kOwner;
                if ((e = index(h, owner ? L"Error reading user name" : L"Error reading group name",
                               users_, textId))) {
                    return e;
                }
                const std::uint32_t account = owner ? entry.ownerAccount() : entry.groupAccount();
                const std::uint32_t id = names.internIds(textId, names.domainId(account));
                owner ? entry.setOwnerAccount(id) : entry.setGroupAccount(id);
                return nullptr;
            }
            case kOwnerDomain:
            case kGroupDomain: {
                const bool owner = h.tag == kOwnerDomain;
                if ((e = index(h, L"Error reading user name", domains_, textId))) {
                    return e;
                }
                const std::uint32_t account = owner ? entry.ownerAccount() : entry.groupAccount();
                const std::uint32_t id = names.internIds(names.nameId(account), textId);
                owner ? entry.setOwnerAccount(id) : entry.setGroupAccount(id);
                return nullptr;
            }
            case kAceCount:
                if ((e = number(h, L"Error reading trustee", value))) {
                    return e;
                }
                if (value > AceRecord::kNoPartnerAce - 1 || value > aceBudget_) {
                    return L"Error creating trustee array in memory";
                }
                aceBudget_ -= value;
                entry.resizeAces(value);
                entry.visibleAceCount = value;
                at.aceIndex = 0;
                at.haveAces = true;
                return nullptr;
            default:  // kErrorFlags
                if ((e = number(h, L"Error reading trustee's permissions", value))) {
                    return e;
                }
                entry.errorFlags = static_cast<std::uint8_t>(value);
                return nullptr;
        }
    }

    // A field of the current ACE: its trustee, domain, mask, flags or type.
    const wchar_t* readAceField(const Header& h, AceRecord& ace) {
        AccountNames& names = list_.accountNames();
        std::uint32_t value = 0;
        std::uint32_t textId = 0;
        const wchar_t* e = nullptr;
        switch (h.tag) {
            case kTrusteeName:
                if ((e = index(h, L"Error reading trustee's name", users_, textId))) {
                    return e;
                }
                ace.setAccount(names.internIds(textId, emptyText_));
                return nullptr;
            case kTrusteeDomain:
                if ((e = index(h, L"Error reading trustee's name", domains_, textId))) {
                    return e;
                }
                ace.setAccount(names.internIds(names.nameId(ace.account()), textId));
                return nullptr;
            default:
                break;
        }
        if ((e = number(h, L"Error reading trustee's permissions", value))) {
            return e;
        }
        if (h.tag == kAccessMask) {
            ace.accessMask = value;
        } else if (h.tag == kAceFlags) {
            ace.aceFlags = static_cast<std::uint8_t>(value);
        } else {
            ace.aceType = static_cast<std::uint8_t>(value);
        }
        return nullptr;
    }

    ByteSource& in_;
    InteractionPort& ui_;
    CDirList& list_;
    DatasetBuilder build_;
    std::uint32_t declaredCount_ = 0;  // the entry count the file states
    std::vector<std::uint32_t> users_;
    std::vector<std::uint32_t> domains_;
    std::vector<std::uint8_t> bytes_;
    std::uint64_t aceBudget_ = 0;
    std::uint32_t emptyText_ = list_.accountNames().internText(L"");
    bool unrecognized_ = false;
};

}  // namespace

bool LoadDatasetFile(FileIoPort& files, InteractionPort& ui, CDirList& list,
                     const std::wstring& path) {
    ui.setStatusText(0, L"Loading file....");
    std::uint32_t error = 0;
    std::unique_ptr<ByteSource> in = files.openRead(path, error);
    if (!in) {
        note(ui, L"Error opening file");
        return false;
    }
    DatasetReader reader(*in, ui, list);
    if (const wchar_t* message = reader.run()) {
        note(ui, message);
        return false;
    }
    list.setFileName(path);
    ui.setStatusText(0, L"File loaded.");
    ui.setStatusText(2, L"Ready.");
    if (reader.unrecognized()) {
        ui.showMessage(kUnrecognizedNotice, kNote, MessageIcon::None);
    }
    return true;
}

bool OpenDatasetFile(FileIoPort& files, InteractionPort& ui, std::unique_ptr<CDirList>& dataset,
                     const std::wstring& path) {
    auto loaded = std::make_unique<CDirList>(ui);
    if (!LoadDatasetFile(files, ui, *loaded, path)) {
        return false;
    }
    dataset = std::move(loaded);
    return true;
}

bool IsDatasetFile(FileIoPort& files, const std::wstring& path) {
    std::uint32_t error = 0;
    std::unique_ptr<ByteSource> in = files.openRead(path, error);
    if (!in) {
        return false;
    }
    std::uint8_t head[4 + kMagicBytes];
    if (!in->read(head, sizeof head)) {
        return false;
    }
    std::vector<std::uint8_t> expected;
    appendU16(expected, kMagic);
    appendU16(expected, kMagicBytes);
    appendUtf16le(expected, kMagicText);
    appendU16(expected, 0);
    return std::equal(expected.begin(), expected.end(), head);
}

}  // namespace quorel
