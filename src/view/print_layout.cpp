#include "view/print_layout.h"

#include <algorithm>

#include "core/ace_record.h"
#include "filters/permissions.h"

namespace quorel {

namespace {

// The longest prefix of `text` no wider than `width` (widths grow with the
// prefix).
std::size_t fitCount(std::wstring_view text, int width, const PrintMeasure& measure) {
    std::size_t lo = 0, hi = text.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo + 1) / 2;
        if (measure.textWidth(text.substr(0, mid)) <= width) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return lo;
}

std::vector<std::wstring> wrap(std::wstring_view text, int width, const PrintMeasure& measure,
                               bool atBackslashes) {
    std::vector<std::wstring> lines;
    while (!text.empty() && measure.textWidth(text) > width) {
        const std::size_t fits = fitCount(text, width, measure);
        std::size_t cut = 0;
        if (atBackslashes) {
            const std::size_t slash = text.substr(0, fits).rfind(L'\\');
            if (slash != std::wstring_view::npos) {
                cut = slash + 1;
            }
        }
        if (cut == 0) {
            cut = std::max<std::size_t>(fits, 1);
        }
        lines.emplace_back(text.substr(0, cut));
        text.remove_prefix(cut);
    }
    if (!text.empty() || lines.empty()) {
        lines.emplace_back(text);
    }
    return lines;
}

}  // namespace

std::wstring PageNumberText(long page) {
    return L"- " + std::to_wstring(page) + L" -";
}

std::wstring PrintedAceText(const AccountNames& names, const AceRecord& ace) {
    std::wstring text(ace.trustee(names));
    text += L" (";
    text += ace.domain(names);
    text += L")";
    text += printSuffix(ace.aceType, ace.aceFlags);
    return text;
}

std::vector<std::wstring> WrapPath(std::wstring_view text, int width, const PrintMeasure& measure) {
    return wrap(text, width, measure, true);
}

std::vector<std::wstring> WrapText(std::wstring_view text, int width, const PrintMeasure& measure) {
    return wrap(text, width, measure, false);
}

PrintLayout::PrintLayout(const CDirList& dataset, const DisplayedRights& rights,
                         const PrintMetrics& metrics, const PrintMeasure& measure)
    : rights_(rights),
      metrics_(metrics),
      measure_(measure),
      entry_(dataset.begin()),
      end_(dataset.end()) {
    int widest = 0;
    for (std::size_t i = 0; i < rights.count(); ++i) {
        widest = std::max(widest, measure.textWidth(rights.column(i).abbreviation));
    }
    columnWidth_ = widest + measure.textWidth(L" ");
    tickSize_ = metrics.unit * 9 / 10;
}

void PrintLayout::finish(PrintPage& page) const {
    page.items.push_back({PrintItem::Kind::Text, metrics_.pageWidth / 2,
                          metrics_.pageHeight - metrics_.unit, 0, PageNumberText(page.number)});
}

int PrintLayout::emitEntryHead(const CDirEntry& entry, int y, PrintPage& page) const {
    for (std::wstring& line : WrapPath(entry.path(), metrics_.pageWidth, measure_)) {
        page.items.push_back({PrintItem::Kind::Text, 0, y, 0, std::move(line)});
        y += metrics_.lineHeight;
    }
    const int n = static_cast<int>(rights_.count());
    for (int i = 0; i < n; ++i) {
        page.items.push_back({PrintItem::Kind::Text, metrics_.pageWidth - columnWidth_ * (n - i), y,
                              0, rights_.column(static_cast<std::size_t>(i)).abbreviation});
    }
    return y + metrics_.lineHeight;
}

int PrintLayout::emitAce(const AccountNames& names, const AceRecord& ace, int y,
                         PrintPage& page) const {
    const int n = static_cast<int>(rights_.count());
    for (int i = 0; i < n; ++i) {
        // Every column with the plain test, whatever the mode: the printed
        // list tells which bits an ACE carries (ls_fold on a file too).
        const std::uint32_t mask = rights_.column(static_cast<std::size_t>(i)).mask;
        const bool on = (ace.accessMask & mask) == mask;
        page.items.push_back({on ? PrintItem::Kind::TickOn : PrintItem::Kind::TickOff,
                              metrics_.pageWidth - columnWidth_ * (n - i), y, tickSize_, L""});
    }
    const int textWidth = metrics_.pageWidth - columnWidth_ * (n + 1);
    const std::vector<std::wstring> lines =
        WrapText(PrintedAceText(names, ace), textWidth, measure_);
    int below = y;
    for (const std::wstring& line : lines) {
        page.items.push_back({PrintItem::Kind::Text, 0, below, 0, line});
        below += metrics_.lineHeight;
    }
    return std::max(below, y + tickSize_);
}

bool PrintLayout::NextPage(PrintPage& page) {
    if (done_) {
        return false;
    }
    page.number = number_++;
    page.items.clear();
    int y = 0;
    for (;;) {
        if (!inEntry_) {
            while (entry_ != end_ && (entry_->visible == 0 || entry_->isHeading)) {
                ++entry_;
            }
            if (entry_ == end_) {
                finish(page);
                done_ = true;
                return true;
            }
            if (pageFull(y)) {
                finish(page);
                return true;
            }
            y = emitEntryHead(*entry_, y, page);
            inEntry_ = true;
            ace_ = 0;
        }
        const CDirEntry& entry = *entry_;
        for (; ace_ < entry.aceCount(); ++ace_) {
            const AceRecord& ace = *entry.ace(ace_);
            if (ace.visible == 0) {
                continue;
            }
            if (pageFull(y)) {
                finish(page);
                return true;
            }
            y = emitAce(entry.dataset()->accountNames(), ace, y, page);
        }
        page.items.push_back(
            {PrintItem::Kind::Line, 0, y + metrics_.unit / 2, metrics_.pageWidth, L""});
        y += metrics_.unit;
        inEntry_ = false;
        ++entry_;
    }
}

}  // namespace quorel
