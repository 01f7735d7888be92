#pragma once

// The printed list of the dataset, laid out in printer units page by page:
// for every entry that passes the filters its path, a row of column titles
// and one line per visible ACE with a tick box per displayed column, a
// separator after each entry, and the page number at the foot of each page.
// The printer window only draws the items (PrintDevice, print_job.h).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/dir_list.h"

namespace quorel {

class AceRecord;
class DisplayedRights;

struct PrintMetrics {
    int pageWidth = 0;   // HORZRES
    int pageHeight = 0;  // VERTRES
    int unit = 0;        // u = LOGPIXELSY / 10, the height of the print font
    int lineHeight = 0;  // one line of the print font
};

// Widths of texts in the print font, in printer units.
class PrintMeasure {
  public:
    virtual ~PrintMeasure() = default;
    virtual int textWidth(std::wstring_view text) const = 0;
};

struct PrintItem {
    enum class Kind : std::uint8_t { Text, TickOn, TickOff, Line };
    Kind kind = Kind::Text;
    int x = 0;       // left edge
    int y = 0;       // top edge (a line: its height)
    int extent = 0;  // a tick box's side; the end x of a line
    std::wstring text;

    friend bool operator==(const PrintItem&, const PrintItem&) = default;
};

struct PrintPage {
    long number = 0;
    std::vector<PrintItem> items;
};

// "- 3 -"
std::wstring PageNumberText(long page);
// trustee " (" domain ")" and the print suffixes: " DENY," " inherited,"
// " inherit only," " inh. to files," " inh. to folders," " don't propagate,".
std::wstring PrintedAceText(const AccountNames& names, const AceRecord& ace);

// A text cut into lines no wider than `width`: a path after the last
// backslash that lets the piece fit, and a piece without such a backslash
// after the last character that fits; WrapText cuts at characters only.
// Every line holds at least one character, so that even a width too narrow
// for one character moves on.
std::vector<std::wstring> WrapPath(std::wstring_view text, int width, const PrintMeasure& measure);
std::vector<std::wstring> WrapText(std::wstring_view text, int width, const PrintMeasure& measure);

class PrintLayout {
  public:
    // `dataset` must outlive the layout and stay unchanged while pages are
    // taken.
    PrintLayout(const CDirList& dataset, const DisplayedRights& rights, const PrintMetrics& metrics,
                const PrintMeasure& measure);

    // w: the widest column title and one space.
    int columnWidth() const { return columnWidth_; }
    // The side of a tick box: trunc(0.9 u).
    int tickSize() const { return tickSize_; }

    // The next page into `page`; false once every page was given. There is
    // always at least one page, with its number only when nothing passes the
    // filters.
    //
    // A page check before each entry and each ACE starts a new page when y
    // has passed 0.9 of the page height. After the tick boxes of an ACE y
    // moves below the last line of its text and never less than one box:
    // with a text of several lines the boxes stand at its first line and
    // nothing is drawn over them.
    bool NextPage(PrintPage& page);

  private:
    bool pageFull(int y) const { return 10LL * y > 9LL * metrics_.pageHeight; }
    void finish(PrintPage& page) const;
    int emitEntryHead(const CDirEntry& entry, int y, PrintPage& page) const;
    int emitAce(const AccountNames& names, const AceRecord& ace, int y, PrintPage& page) const;

    const DisplayedRights& rights_;
    PrintMetrics metrics_;
    const PrintMeasure& measure_;
    int columnWidth_ = 0;
    int tickSize_ = 0;
    CDirList::Iterator entry_;
    CDirList::Iterator end_;
    std::uint32_t ace_ = 0;
    bool inEntry_ = false;
    bool done_ = false;
    long number_ = 1;
};

}  // namespace quorel
