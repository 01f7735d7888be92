#include "storage/csv_export.h"

#include <memory>

#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "filters/permissions.h"
#include "platform/ansi.h"
#include "platform/file_io_port.h"
#include "platform/interaction_port.h"
#include "storage/utf16.h"

namespace quorel {

namespace {

// Collects the text and hands it to the sink in large pieces, so that an
// export of millions of entries never holds the whole file in memory.
class CsvOut {
  public:
    CsvOut(CsvEncoding encoding, ByteSink& sink) : encoding_(encoding), sink_(sink) {
        if (encoding_ == CsvEncoding::Utf8) {
            text_ = "\xEF\xBB\xBF";
        }
    }
    // A field, quoted when it holds a separator, a quote or a line break.
    void field(std::wstring_view value) {
        if (value.find_first_of(L",\"\r\n") == std::wstring_view::npos) {
            raw(value);
            return;
        }
        std::wstring quoted = L"\"";
        for (wchar_t c : value) {
            if (c == L'"') {
                quoted += L'"';
            }
            quoted += c;
        }
        quoted += L'"';
        raw(quoted);
    }
    void raw(std::wstring_view value) {
        text_ += encoding_ == CsvEncoding::Utf8 ? toUtf8(value) : toAnsiCodePage(value);
    }
    void literal(const char* ascii) { text_ += ascii; }
    void endLine() {
        text_ += "\r\n";
        if (text_.size() >= (1u << 16)) {
            flush();
        }
    }
    bool flush() {
        if (ok_ && !text_.empty()) {
            ok_ = sink_.write(text_.data(), text_.size());
        }
        text_.clear();
        return ok_;
    }
    bool ok() const { return ok_; }

  private:
    CsvEncoding encoding_;
    ByteSink& sink_;
    std::string text_;
    bool ok_ = true;
};

class StringSink : public ByteSink {
  public:
    bool write(const void* data, std::size_t size) override {
        text.append(static_cast<const char*>(data), size);
        return true;
    }
    bool flush() override { return true; }  // nothing is held back
    bool close() override { return true; }
    std::string text;
};

}  // namespace

bool WriteCsvTo(ByteSink& sink, const std::vector<CDirEntry*>& lines, const DisplayedRights& rights,
                CsvEncoding encoding) {
    CsvOut out(encoding, sink);

    for (const CDirEntry* e : lines) {
        if (!out.ok()) {
            return false;
        }
        if (e == nullptr) {
            continue;
        }
        if (e->isHeading) {
            out.field(e->headingText());
            out.endLine();
            continue;
        }
        out.field(e->path());
        out.endLine();
        const bool directory = e->isDirectory();
        for (std::size_t c = 0; c < rights.count(); ++c) {
            out.literal(",");
            const std::wstring& abbreviation = rights.column(c).abbreviation;
            if (!(rights.basicPermissionMode() && abbreviation == L"ls_fold" && !directory)) {
                out.field(abbreviation);
            }
        }
        out.endLine();
        for (std::uint32_t i = 0; i < e->aceCount(); ++i) {
            const AceRecord& ace = *e->ace(i);
            if (!ace.visible) {
                continue;
            }
            std::wstring trustee(ace.trustee(e->dataset()->accountNames()));
            trustee += shortSuffix(ace.aceType, ace.aceFlags);
            out.field(trustee);
            for (std::size_t c = 0; c < rights.count(); ++c) {
                out.literal(rights.ColumnCell(*e, ace, c) == Cell::Set ? ",x" : ",");
            }
            out.endLine();
        }
        out.endLine();
    }
    return out.flush();
}

std::string CsvText(const std::vector<CDirEntry*>& lines, const DisplayedRights& rights,
                    CsvEncoding encoding) {
    StringSink sink;
    WriteCsvTo(sink, lines, rights, encoding);
    return std::move(sink.text);
}

bool WriteCsv(FileIoPort& files, InteractionPort& ui, const std::wstring& path,
              const std::vector<CDirEntry*>& lines, const DisplayedRights& rights,
              CsvEncoding encoding) {
    std::uint32_t error = 0;
    std::unique_ptr<ByteSink> sink = files.create(path, CreateMode::Always, error);
    if (!sink) {
        ui.showMessage(L"Error exporting file", L"Note", MessageIcon::None);
        return false;
    }
    if (!WriteCsvTo(*sink, lines, rights, encoding) || !sink->close()) {
        ui.showMessage(L"Error writing data to file", L"Note", MessageIcon::None);
        return false;
    }
    return true;
}

}  // namespace quorel
