#include "storage/settings_file.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "filters/dynamic_filter_set.h"
#include "filters/permissions.h"
#include "platform/file_io_port.h"
#include "platform/interaction_port.h"
#include "storage/field_io.h"
#include "storage/utf16.h"

namespace quorel {

namespace {

constexpr const wchar_t* kNote = L"Note";
constexpr const wchar_t* kReadError = L"Error reading settings file";

void note(InteractionPort& ui, const wchar_t* text) {
    ui.showMessage(text, kNote, MessageIcon::None, MessageButtons::Ok);
}

std::vector<std::uint8_t> magicBytes() {
    std::vector<std::uint8_t> bytes;
    appendUtf16le(bytes, settings_file::kMagicText);
    appendU16(bytes, 0);
    return bytes;
}

// The named right of `mask`, or null for any other mask (the compound masks
// of the basic permission set among them).
const NamedRight* namedRightOf(std::uint32_t mask) {
    for (const NamedRight& right : namedRights()) {
        if (right.mask == mask) {
            return &right;
        }
    }
    return nullptr;
}

// Sets the column count to `count` and row i to the named right of
// masks[i] for every mask read; every other row keeps what it held, rows
// past the old count included (the table has room for 30 at all times).
void applyColumns(DisplayedRights& rights, std::size_t count,
                  const std::vector<std::uint32_t>& masks) {
    std::array<RightColumn, DisplayedRights::kCapacity> rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = rights.column(i);
    }
    for (std::size_t i = 0; i < masks.size(); ++i) {
        if (const NamedRight* named = namedRightOf(masks[i])) {
            rows[i] = RightColumn{named->mask, named->abbreviation};
        }
    }
    rights.clear();
    for (std::size_t i = 0; i < count; ++i) {
        rights.AppendRightColumn(rows[i].mask, rows[i].abbreviation);
    }
}

}  // namespace

bool SaveSettings(FileIoPort& files, InteractionPort& ui, const std::wstring& path,
                  const ViewSettings& view) {
    std::vector<std::uint8_t> out = magicBytes();
    appendU32(out, settings_file::kVersion);
    appendU32(out, view.staticFilter);
    appendU32(out, static_cast<std::uint32_t>(view.rights.count()));
    for (std::size_t i = 0; i < view.rights.count(); ++i) {
        appendU32(out, view.rights.column(i).mask);
    }
    appendU32(out, static_cast<std::uint32_t>(view.filters.rows.size()));
    for (const FilterRow& row : view.filters.rows) {
        appendU32(out, row.op);
        appendU32(out, row.right);
        appendTextField(out, row.text, FilterRow::kMaxTextChars);
    }

    std::uint32_t error = 0;
    std::unique_ptr<ByteSink> sink = files.create(path, CreateMode::Always, error);
    if (!sink) {
        note(ui, L"Error writing settings file");
        return false;
    }
    if (!sink->write(out.data(), out.size()) || !sink->close()) {
        note(ui, L"Error writing data to file");
        return false;
    }
    return true;
}

bool LoadSettings(FileIoPort& files, InteractionPort& ui, const std::wstring& path,
                  bool reportMissingFile, ViewSettings& view,
                  const std::function<void()>& applyFilters) {
    std::uint32_t error = 0;
    std::unique_ptr<ByteSource> source = files.openRead(path, error);
    if (!source) {
        if (reportMissingFile) {
            note(ui, L"Error opening file");
        }
        return false;
    }
    FieldReader in(*source);
    auto failed = [&ui] {
        note(ui, kReadError);
        return false;
    };

    const std::vector<std::uint8_t> expected = magicBytes();
    std::vector<std::uint8_t> magic(expected.size());
    if (!in.bytes(magic.data(), magic.size())) {
        return failed();
    }
    if (magic != expected) {
        note(ui, L"not a Quorel settings file");
        return false;
    }
    std::uint32_t version = 0;
    if (!in.u32(version)) {
        return failed();
    }
    if (version != settings_file::kVersion) {
        note(ui, L"wrong version of init-file");
        return false;
    }

    std::uint32_t staticFilter = 0;
    if (!in.u32(staticFilter)) {
        return failed();
    }
    view.staticFilter = static_cast<std::uint8_t>(staticFilter);

    std::uint32_t columns = 0;
    if (!in.u32(columns) || columns > DisplayedRights::kCapacity) {
        return failed();
    }
    std::vector<std::uint32_t> masks;
    bool masksRead = true;
    for (std::uint32_t i = 0; i < columns && masksRead; ++i) {
        std::uint32_t mask = 0;
        masksRead = in.u32(mask);
        if (masksRead) {
            masks.push_back(mask);
        }
    }
    applyColumns(view.rights, columns, masks);
    if (!masksRead) {
        return failed();
    }

    std::uint32_t rowCount = 0;
    if (!in.u32(rowCount) || rowCount > in.remaining() / settings_file::kMinRowBytes) {
        return failed();
    }
    std::vector<FilterRow>& rows = view.filters.rows;
    rows.assign(rowCount, FilterRow{});
    for (FilterRow& row : rows) {
        std::uint32_t length = 0;
        if (!in.u32(row.op) || !in.u32(row.right) || !in.u32(length) ||
            !in.text(length, FilterRow::kMaxTextChars, row.text)) {
            return failed();
        }
    }

    if (applyFilters) {
        applyFilters();
    }
    return true;
}

}  // namespace quorel
