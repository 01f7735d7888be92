#include "view/line_layout.h"

#include <algorithm>
#include <cstdlib>

#include "core/dir_entry.h"
#include "core/dir_list.h"
#include "filters/acl_diff.h"
#include "filters/permissions.h"
#include "view/cell_geometry.h"
#include "view/display_list.h"

namespace quorel {

namespace {

using cell_geometry::kCellFloor;
using cell_geometry::kInheritanceBlock;

// Backgrounds: the plain colour and the colour of a selected line.
struct Shade {
    Colour plain;
    Colour selected;
    Colour of(bool isSelected) const { return isSelected ? selected : plain; }
};
constexpr Colour kHeadingBackground = 0xFF7070;
constexpr Shade kHeaderShade{0x9BF0FF, 0x9BD0DF};
constexpr Shade kOwnerShade{0xDDFAFF, 0xDDDADF};
constexpr Shade kMarkedShade{0x00FFFF, 0x40DFDF};
constexpr Shade kEmptyAclShade{0x0000FF, 0x0000CC};
constexpr Shade kColumnHeaderShade{0xFFFFFF, 0xFFDFDF};
constexpr Shade kEvenAceShade{0xFFFFFF, 0xFFDFDF};
constexpr Shade kOddAceShade{0xFEF7E9, 0xFED7C9};
constexpr Shade kAddedAceShade{0xFF0000, 0xCC0000};
constexpr Shade kDenyAceShade{0xD4FF7F, 0xD4DF5F};

constexpr int kDepthIndent = 7;
constexpr int kMinPermStart = 350;
constexpr int kAceTextX = 10;
// The leftmost x of an owner and group text too wide for its place.
constexpr int kOwnerTextFloor = 100;

// Rows of a rounded corner by distance from the boundary row (0 to 4), read
// from the edge inwards: G grey, w white.
constexpr const char* kCornerRows[5] = {"wwww", "wwGGG", "wGG", "wG", "GG"};

int visibleAceCount(const CDirEntry& e) {
    int n = 0;
    for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
        n += e.ace(i)->visible ? 1 : 0;
    }
    return n;
}

// The ACE background: alternating by ordinal, then the find mark, an added
// ACE, and a deny ACE last.
Colour aceBackground(const AceRecord& ace, int ordinal, bool added) {
    const bool sel = ace.selected != 0;
    if (ace.isDeny()) {
        return kDenyAceShade.of(sel);
    }
    if (added) {
        return kAddedAceShade.of(sel);
    }
    if (ace.findMark) {
        return kMarkedShade.of(sel);
    }
    return (ordinal % 2 == 0 ? kEvenAceShade : kOddAceShade).of(sel);
}

// x moved left by the part of an overflowing text the horizontal position
// asks for: none at 0, all of it at `divisor`.
int slide(int x, int width, int limit, int s, int divisor) {
    const int overflow = x + width - limit;
    return overflow > 0 ? x - overflow * s / divisor : x;
}

class Layout {
  public:
    Layout(const DisplayList& lines, const LayoutMetrics& metrics, const LayoutSwitches& switches,
           const DisplayedRights& rights, const TextMeasure& measure, ScreenModel& out)
        : lines_(lines), switches_(switches), rights_(rights), measure_(measure), out_(out) {
        W_ = metrics.clientWidth;
        h_ = metrics.lineHeight > 0 ? metrics.lineHeight : 1;
        lineCount_ = LineCountOf(metrics);
        s_ = std::clamp(switches.hScroll, 0, kHScrollMax);
        N_ = static_cast<int>(rights.count());
        c_ = metrics.columnWidth;
        permStart_ = std::max(kMinPermStart, W_ - N_ * c_);
        inhStart_ = permStart_ - kInheritanceBlock;
        // Columns that do not fit slide left, by all of the overflow at the most.
        shift_ = std::max(0, N_ * c_ + permStart_ - W_) * s_ / kHScrollMax;
        compare_ = switches.compareMode;

        out_.width = W_;
        out_.lineHeight = h_;
        out_.lineCount = lineCount_;
        out_.linesUsed = 0;
        out_.lines.clear();
        out_.texts.clear();
        out_.cells.clear();
        out_.segments.clear();
        out_.pixels.clear();
        const int slots = std::max(0, metrics.drawingHeight / h_) + 10;
        out_.lineTable.assign(static_cast<std::size_t>(slots), LineSlot{});
        const int firstColumn = permStart_ - shift_;
        out_.geometry = {firstColumn, std::max(kCellFloor, firstColumn), c_, N_, h_};
    }

    void run(ViewTop top) {
        out_.topEntry = top.entry;
        out_.lineOffset = top.offset;
        const int count = static_cast<int>(lines_.count());
        int index = top.entry;
        int n = 0;
        bool drew = false;
        for (; n < lineCount_ && index < count - 1; ++index) {
            CDirEntry* e = lines_.at(static_cast<std::size_t>(index));
            if (e == nullptr) {
                break;
            }
            drew = true;
            const int offset = index == top.entry ? top.offset : 0;
            n = e->isHeading ? heading(*e, n) : block(*e, index, offset, n);
        }
        out_.linesUsed = std::min(n, lineCount_);
        if (drew && n < lineCount_) {
            closing(n);
        }
    }

  private:
    int y(int n) const { return n * h_; }

    int nextDepth(int index) const {
        if (compare_) {
            return 0;
        }
        const CDirEntry* next = lines_.at(static_cast<std::size_t>(index) + 1);
        return next != nullptr ? static_cast<int>(next->depth) : 0;
    }

    void beginLine(LineKind kind, int n, int height, Colour background) {
        const auto size = [](const auto& v) { return static_cast<std::uint32_t>(v.size()); };
        out_.lines.push_back({kind, y(n), height, background, size(out_.texts), 0, size(out_.cells),
                              0, size(out_.segments), 0, size(out_.pixels), 0});
    }
    // Every line drawn lies above lineCount <= H / h, inside the table.
    void slot(int n, CDirEntry& e, AceRecord* ace, int index) {
        out_.lineTable[static_cast<std::size_t>(n)] = {&e, ace, index};
    }
    void text(int x, int n, int clipLeft, int clipRight, Font font, std::wstring s) {
        out_.texts.push_back({x, y(n), clipLeft, clipRight, font, std::move(s)});
        ++out_.lines.back().textCount;
    }
    void cell(int x, int n, Bitmap bitmap) {
        // Cells slid left of x = 100 would cover the trustee texts, and
        // clicks there reach no cell: they are not drawn.
        if (x < kCellFloor) {
            return;
        }
        out_.cells.push_back({x, y(n), bitmap});
        ++out_.lines.back().cellCount;
    }
    void segment(int x1, int y1, int x2, int y2, Colour colour) {
        out_.segments.push_back({x1, y1, x2, y2, colour});
        ++out_.lines.back().segmentCount;
    }
    void pixel(int x, int py, Colour colour) {
        out_.pixels.push_back({x, py, colour});
        ++out_.lines.back().pixelCount;
    }

    // Drops the lines from screen line n down, when the next entry rises
    // over the top entry's head lines.
    void dropLinesFrom(int n) {
        while (!out_.lines.empty() && out_.lines.back().y >= y(n)) {
            const ScreenLine& last = out_.lines.back();
            out_.texts.resize(last.firstText);
            out_.cells.resize(last.firstCell);
            out_.segments.resize(last.firstSegment);
            out_.pixels.resize(last.firstPixel);
            out_.lineTable[static_cast<std::size_t>(last.y / h_)] = LineSlot{};
            out_.lines.pop_back();
        }
    }

    // Vertical guides of the tree levels above `depth`, over the line.
    void depthGuides(int n, int depth) {
        if (compare_) {
            return;
        }
        for (int i = 0; i < depth; ++i) {
            const int x = kDepthIndent * i + 5;
            segment(x, y(n), x, y(n) + h_, colour::kBlack);
        }
    }
    void sideBorders(int n) {
        segment(0, y(n), 0, y(n) + h_, colour::kGrey);
        segment(W_ - 1, y(n), W_ - 1, y(n) + h_, colour::kGrey);
    }
    // The rounded corners at a block boundary at row `top`; the rows above
    // it only when the boundary is not the top of the screen.
    void corners(int top, bool above, bool below) {
        for (int d = above ? -4 : 0; d <= (below ? 4 : -1); ++d) {
            const char* row = kCornerRows[std::abs(d)];
            for (int i = 0; row[i] != '\0'; ++i) {
                const Colour colour = row[i] == 'G' ? colour::kGrey : colour::kWhite;
                pixel(i, top + d, colour);
                pixel(W_ - 1 - i, top + d, colour);
            }
        }
    }

    int heading(const CDirEntry& e, int n) {
        const int lines = std::min(2, lineCount_ - n);
        beginLine(LineKind::Heading, n, lines * h_, kHeadingBackground);
        text(0, n, 0, W_, Font::Large, std::wstring(e.headingText()));
        return n + 2;
    }

    // One entry's block from screen line n with the top offset k; returns
    // the line after it.
    int block(CDirEntry& e, int index, int k, int n) {
        const bool noAces = e.aceCount() == 0;
        const int below = nextDepth(index);

        header(e, index, n, noAces);
        if (++n >= lineCount_) {
            return n;
        }
        ownerLine(e, index, n, noAces, below);
        if (++n >= lineCount_) {
            return n;
        }
        if (!noAces) {
            columnHeader(e, index, n, below);
            if (++n >= lineCount_) {
                return n;
            }
        }

        const int textX = kAceTextX + kDepthIndent * below;
        int ordinal = 0;
        for (std::uint32_t i = 0; i < e.aceCount(); ++i) {
            AceRecord& ace = *e.ace(i);
            if (!ace.visible) {
                continue;
            }
            if (ordinal++ < k) {
                continue;
            }
            const Colour background = aceBackground(ace, ordinal - 1, compare_ && IsNewAce(e, ace));
            aceLine(e, ace, index, n, background, textX, below);
            if (++n >= lineCount_) {
                return n;
            }
            if (memberLine(e, ace, index, n, background, textX, below) && ++n >= lineCount_) {
                return n;
            }
        }
        const int own = ordinal;

        if (compare_ && e.partner != nullptr) {
            // For the top entry scrolled past its own ACEs, the partner's
            // ones start as far in as the offset reaches.
            const int skip = std::max(0, k - own);
            int d = 0;
            const CDirEntry& p = *e.partner;
            for (std::uint32_t j = 0; j < p.aceCount(); ++j) {
                const AceRecord& ace = *p.ace(j);
                if (!ace.visible || ace.hasPartnerAce()) {
                    continue;
                }
                if (d++ < skip) {
                    continue;
                }
                deletedLine(p, ace, n, aceBackground(ace, own + d - 1, false), textX, below);
                if (++n >= lineCount_) {
                    return n;
                }
            }
            ordinal += d;
        }

        // An offset past the ACE lines lets the next entry rise over this
        // entry's head lines, one line per step.
        if (k > ordinal) {
            n = std::max(0, n - (k - ordinal));
            dropLinesFrom(n);
        }
        return n;
    }

    void header(CDirEntry& e, int index, int n, bool noAces) {
        const bool marked =
            (e.findMarks & (switches_.showCompletePath ? find_mark::kPath : find_mark::kName)) != 0;
        const Shade shade = noAces ? kEmptyAclShade : marked ? kMarkedShade : kHeaderShade;
        beginLine(LineKind::Header, n, h_, shade.of(e.selected != 0));
        slot(n, e, nullptr, index);

        std::wstring s = switches_.showCompletePath ? e.path() : std::wstring(e.name());
        if (e.isReparsePoint && !e.reparseTarget().empty()) {
            s += L" -> ";
            s += e.reparseTarget();
        }
        const Font font = e.isDirectory() ? Font::Bold : Font::Normal;
        const int depth = static_cast<int>(e.depth);
        const int x = 2 + (compare_ ? 0 : kDepthIndent * depth);
        const int width = measure_.textWidth(s, font);
        text(slide(x, width, W_, s_, kHScrollMax), n, 0, W_, font, std::move(s));

        segment(4, y(n), W_ - 4, y(n), colour::kGrey);
        depthGuides(n, depth);
        if (!compare_ && depth > 0) {
            const int mid = y(n) + h_ / 2;
            segment(kDepthIndent * depth - 2, mid, kDepthIndent * depth + 3, mid, colour::kBlack);
        }
        sideBorders(n);
        corners(y(n), n > 0, true);
    }

    void ownerLine(CDirEntry& e, int index, int n, bool noAces, int below) {
        const bool marked = (e.findMarks & find_mark::kOwner) != 0 ||
                            (e.findMarks & find_mark::kGroup) != 0 ||
                            (switches_.showCompletePath && (e.findMarks & find_mark::kName) != 0);
        const Shade shade = noAces ? kEmptyAclShade : marked ? kMarkedShade : kOwnerShade;
        beginLine(LineKind::OwnerGroup, n, h_, shade.of(e.selected != 0));
        slot(n, e, nullptr, index);

        std::wstring left = L"   ";
        if (switches_.showCompletePath) {
            left += e.name();
        }
        if (noAces) {
            left += L"  EMPTY ACL";
        }
        text(compare_ ? 0 : kDepthIndent * below, n, 0, inhStart_, Font::Normal, std::move(left));

        const AccountNames& names = e.dataset()->accountNames();
        std::wstring right = L"O: ";
        right += e.ownerName();
        if (names.domainSet(e.ownerAccount())) {
            right += L" (";
            right += e.ownerDomain();
            right += L")";
        }
        right += L"   G: ";
        right += e.groupName();
        if (e.groupDomainSet()) {
            right += L" (";
            right += e.groupDomain();
            right += L")";
        }
        const int width = measure_.textWidth(right, Font::Normal);
        int x = inhStart_ - 2;
        if (width > N_ * c_ + kInheritanceBlock) {
            x = std::max(kOwnerTextFloor, W_ - width);
        }
        text(slide(x, width, W_, s_, kHScrollMax), n, 0, W_, Font::Normal, std::move(right));

        depthGuides(n, below);
        sideBorders(n);
    }

    void columnHeader(CDirEntry& e, int index, int n, int below) {
        beginLine(LineKind::ColumnHeader, n, h_, kColumnHeaderShade.of(e.selected != 0));
        slot(n, e, nullptr, index);
        // The flag titles end where the permission columns begin: a font
        // wider than the 250 pixels kept for them would run into the first
        // column titles.
        text(inhStart_ - shift_, n, 0, permStart_ - shift_, Font::Normal, kFlagColumnsHeader);
        for (int i = 0; i < N_; ++i) {
            text(permStart_ + i * c_ - shift_, n, inhStart_, W_, Font::Normal,
                 rights_.column(static_cast<std::size_t>(i)).abbreviation);
        }
        depthGuides(n, below);
        sideBorders(n);
    }

    // The trustee text of an ACE or deleted-ACE line.
    void trusteeText(int n, int x, std::wstring s) {
        const int width = measure_.textWidth(s, Font::Normal);
        text(slide(x, width, inhStart_, s_, kHScrollMax), n, 0, inhStart_, Font::Normal,
             std::move(s));
    }

    // The inheritance cells and permission cells; `changed` has bit i set
    // for a permission cell that differs from the compared ACE.
    void cells(const CDirEntry& e, const AceRecord& ace, int n, std::uint32_t changed) {
        const int x = inhStart_ - shift_;
        for (const cell_geometry::InheritanceCell& c : cell_geometry::kInheritanceCells) {
            if (!c.directoryOnly || e.isDirectory()) {
                cell(x + c.offset, n, (ace.aceFlags & c.flag) != 0 ? c.set : c.clear);
            }
        }
        for (int i = 0; i < N_; ++i) {
            const Cell value = rights_.ColumnCell(e, ace, static_cast<std::size_t>(i));
            if (value == Cell::Blank) {
                continue;
            }
            const bool blue = (changed >> i & 1u) != 0;
            const Bitmap bitmap = value == Cell::Set
                                      ? (blue ? Bitmap::HookOnBlue : Bitmap::HookOn)
                                      : (blue ? Bitmap::HookOffBlue : Bitmap::HookOff);
            cell(permStart_ + i * c_ - shift_, n, bitmap);
        }
    }

    void aceLine(CDirEntry& e, AceRecord& ace, int index, int n, Colour background, int textX,
                 int below) {
        beginLine(LineKind::Ace, n, h_, background);
        slot(n, e, &ace, index);
        const AccountNames& names = e.dataset()->accountNames();
        std::wstring s(ace.trustee(names));
        s += L" (";
        s += ace.domain(names);
        s += L")";
        if (ace.isDeny()) {
            s += kDenyLineSuffix;
        }
        trusteeText(n, compare_ ? kAceTextX : textX, std::move(s));
        cells(e, ace, n, compare_ ? ChangedCells(e, ace, rights_) : 0);
        depthGuides(n, below);
        sideBorders(n);
    }

    bool memberLine(CDirEntry& e, AceRecord& ace, int index, int n, Colour background, int textX,
                    int below) {
        if (!switches_.memberText) {
            return false;
        }
        const std::wstring* members =
            switches_.memberText(ace.trustee(e.dataset()->accountNames()));
        if (members == nullptr || members->empty()) {
            return false;
        }
        const int x = compare_ ? kAceTextX : textX;
        beginLine(LineKind::GroupMember, n, h_, background);
        slot(n, e, nullptr, index);
        const int width = measure_.textWidth(*members, Font::Normal);
        // One less than kHScrollMax: at the far right the end of the text stays
        // in view.
        text(slide(x + 20, width, W_, s_, kHScrollMax - 1), n, 0, W_, Font::Normal, *members);
        const int mid = y(n) + h_ / 2;
        segment(x + 10, y(n), x + 10, mid, colour::kBlack);
        segment(x + 10, mid, x + 18, mid, colour::kBlack);
        depthGuides(n, below);
        sideBorders(n);
        return true;
    }

    void deletedLine(const CDirEntry& partner, const AceRecord& ace, int n, Colour background,
                     int textX, int below) {
        beginLine(LineKind::DeletedAce, n, h_, background);
        trusteeText(n, compare_ ? kAceTextX : textX,
                    std::wstring(ace.trustee(partner.dataset()->accountNames())) +
                        shortSuffix(ace.aceType, ace.aceFlags));
        cells(partner, ace, n, 0);
        const int mid = y(n) + h_ / 2;
        segment(0, mid, W_, mid, colour::kBlack);
        depthGuides(n, below);
        sideBorders(n);
    }

    void closing(int n) {
        beginLine(LineKind::Closing, n, 0, colour::kWhite);
        segment(4, y(n), W_ - 4, y(n), colour::kGrey);
        corners(y(n), n > 0, false);
    }

    const DisplayList& lines_;
    const LayoutSwitches& switches_;
    const DisplayedRights& rights_;
    const TextMeasure& measure_;
    ScreenModel& out_;
    int W_, h_, lineCount_, s_, N_, c_;
    int permStart_, inhStart_, shift_;
    bool compare_;
};

}  // namespace

int LineHeightOf(int textHeight, int externalLeading) {
    return std::max(15, textHeight + externalLeading);
}

int ColumnWidthOf(const DisplayedRights& rights, const TextMeasure& measure) {
    int widest = 0;
    for (std::size_t i = 0; i < rights.count(); ++i) {
        widest = std::max(widest, measure.textWidth(rights.column(i).abbreviation, Font::Normal));
    }
    return std::max(30, widest + 3);
}

int LineCountOf(const LayoutMetrics& metrics) {
    if (metrics.lineHeight <= 0) {
        return 0;
    }
    return std::max(0, metrics.drawingHeight / metrics.lineHeight - (metrics.findMode ? 2 : 0));
}

int AceLineCount(const CDirEntry& entry, bool compareMode) {
    int n = visibleAceCount(entry);
    if (compareMode) {
        n += static_cast<int>(MissingAceCount(entry));
    }
    return n;
}

ViewTop NormaliseTop(const DisplayList& lines, ViewTop top, bool compareMode) {
    const int count = static_cast<int>(lines.count());
    if (count < 2) {
        return {};
    }
    int t = top.entry;
    int k = top.offset;
    if (t >= count || t < 0) {
        t = 0;
    }
    // The last slot is the list's end, not an entry.
    if (t == count - 1) {
        t = count - 2;
    }
    const CDirEntry* e = lines.at(static_cast<std::size_t>(t));
    if (k >= 0) {
        if (e->isHeading) {
            if (k >= 1) {
                if (t < count - 2) {
                    ++t;
                }
                k = 0;
            }
        } else {
            const int limit = AceLineCount(*e, compareMode) + 2;
            if (k > limit) {
                if (t >= count - 2) {
                    k = limit;
                } else {
                    ++t;
                    k = 0;
                }
            }
        }
    } else if (t > 0) {
        --t;
        const CDirEntry* above = lines.at(static_cast<std::size_t>(t));
        k = above->isHeading ? 0 : AceLineCount(*above, compareMode) + 2;
    } else {
        k = 0;
    }
    return {t, k};
}

void LayOutScreen(const DisplayList& lines, ViewTop top, const LayoutMetrics& metrics,
                  const LayoutSwitches& switches, const DisplayedRights& rights,
                  const TextMeasure& measure, ScreenModel& out) {
    Layout layout(lines, metrics, switches, rights, measure, out);
    layout.run(NormaliseTop(lines, top, switches.compareMode));
}

}  // namespace quorel
