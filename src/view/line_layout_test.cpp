#include "view/line_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "core/dataset_test_support.h"
#include "filters/acl_diff.h"
#include "filters/compare.h"
#include "filters/permissions.h"
#include "platform/sim/recording_interaction.h"
#include "view/compare_layout.h"
#include "view/display_list.h"

namespace quorel {
namespace {

using test::AceSpec;
using test::AppendEntry;
using test::SetAces;

// Every character 7 pixels wide, 8 in bold.
class FixedWidth : public TextMeasure {
  public:
    int textWidth(std::wstring_view text, Font font) const override {
        return static_cast<int>(text.size()) * (font == Font::Bold ? 8 : 7);
    }
};

class LineLayout : public ::testing::Test {
  protected:
    LineLayout() {
        metrics.clientWidth = 1024;
        metrics.drawingHeight = 600;
        metrics.lineHeight = 15;
        metrics.columnWidth = 30;
    }

    // A root folder C:\Data with the given children, all shown.
    CDirEntry* root() {
        if (root_ == nullptr) {
            root_ = AppendEntry(list, nullptr, L"Data");
            root_->setPath(L"C:\\Data");
            root_->setOwner(L"alice", L"CORP");
            root_->setGroup(L"Domain Users", L"CORP");
            SetAces(root_, {{L"Users", 0x1200A9, 0x03, 0}});
        }
        return root_;
    }
    CDirEntry* child(CDirEntry* parent, const wchar_t* name, const std::vector<AceSpec>& aces) {
        CDirEntry* e = AppendEntry(list, parent, name);
        e->setOwner(L"alice", L"CORP");
        e->setGroup(L"Domain Users", L"CORP");
        SetAces(e, aces);
        return e;
    }
    void build() {
        BuildLineList(list, lines);
        LayOutScreen(lines, top, metrics, switches, rights, measure, model);
    }

    std::vector<const ScreenLine*> linesOf(LineKind kind) const {
        std::vector<const ScreenLine*> found;
        for (const ScreenLine& l : model.lines) {
            if (l.kind == kind) {
                found.push_back(&l);
            }
        }
        return found;
    }
    const ScreenLine& lineAt(int n) const {
        for (const ScreenLine& l : model.lines) {
            if (l.y == n * metrics.lineHeight && l.kind != LineKind::Closing) {
                return l;
            }
        }
        ADD_FAILURE() << "no line " << n;
        return model.lines.front();
    }
    const TextItem& text(const ScreenLine& l, std::uint32_t i) const {
        EXPECT_LT(i, l.textCount);
        return model.texts[l.firstText + i];
    }
    std::vector<CellItem> cells(const ScreenLine& l) const {
        return {model.cells.begin() + l.firstCell, model.cells.begin() + l.firstCell + l.cellCount};
    }
    std::vector<Segment> segments(const ScreenLine& l) const {
        return {model.segments.begin() + l.firstSegment,
                model.segments.begin() + l.firstSegment + l.segmentCount};
    }
    std::vector<LineKind> kinds() const {
        std::vector<LineKind> k;
        for (const ScreenLine& l : model.lines) {
            k.push_back(l.kind);
        }
        return k;
    }

    sim::RecordingInteraction ui;
    CDirList list{ui};
    DisplayList lines;
    DisplayedRights rights;
    FixedWidth measure;
    LayoutMetrics metrics;
    LayoutSwitches switches;
    ViewTop top;
    ScreenModel model;
    CDirEntry* root_ = nullptr;
};

bool hasCellAt(const std::vector<CellItem>& cells, int x, Bitmap bitmap) {
    for (const CellItem& c : cells) {
        if (c.x == x) {
            return c.bitmap == bitmap;
        }
    }
    return false;
}
bool hasCellAt(const std::vector<CellItem>& cells, int x) {
    for (const CellItem& c : cells) {
        if (c.x == x) {
            return true;
        }
    }
    return false;
}

constexpr LineKind H = LineKind::Header, O = LineKind::OwnerGroup, C = LineKind::ColumnHeader,
                   A = LineKind::Ace, G = LineKind::GroupMember, D = LineKind::DeletedAce,
                   X = LineKind::Closing, T = LineKind::Heading;

// W 1024, four columns of 30: permStart 904, inhStart 654.
constexpr int kPerm = 904;
constexpr int kInh = 654;

TEST_F(LineLayout, EntryBlockTextsPositionsAndBackgrounds) {
    CDirEntry* r = root();
    child(r, L"a.txt", {{L"Users", 0x1, 0x10, 0}, {L"Guest", 0x2, 0, 1}});
    build();

    EXPECT_EQ(kinds(), (std::vector<LineKind>{H, O, C, A, H, O, C, A, A, X}));
    const ScreenLine& header = lineAt(0);
    EXPECT_EQ(header.background, 0x9BF0FFu);
    EXPECT_EQ(text(header, 0).text, L"C:\\Data");
    EXPECT_EQ(text(header, 0).font, Font::Bold);  // a folder
    EXPECT_EQ(text(header, 0).x, 2);

    const ScreenLine& childHeader = lineAt(4);
    EXPECT_EQ(text(childHeader, 0).text, L"C:\\Data\\a.txt");
    EXPECT_EQ(text(childHeader, 0).font, Font::Normal);
    EXPECT_EQ(text(childHeader, 0).x, 2 + 7);

    // The root's owner line is indented by the depth of the entry below it.
    const ScreenLine& owner = lineAt(1);
    EXPECT_EQ(owner.background, 0xDDFAFFu);
    EXPECT_EQ(text(owner, 0).text, L"   Data");
    EXPECT_EQ(text(owner, 0).x, 7);
    EXPECT_EQ(text(owner, 0).clipRight, kInh);
    EXPECT_EQ(text(owner, 1).text, L"O: alice (CORP)   G: Domain Users (CORP)");
    EXPECT_EQ(text(owner, 1).x, kInh - 2);

    const ScreenLine& columns = lineAt(2);
    EXPECT_EQ(columns.background, 0xFFFFFFu);
    EXPECT_EQ(text(columns, 0).text, kFlagColumnsHeader);
    EXPECT_EQ(text(columns, 0).x, kInh);
    EXPECT_EQ(text(columns, 0).clipRight, kPerm);
    EXPECT_EQ(text(columns, 1).text, L"rd");
    EXPECT_EQ(text(columns, 4).text, L"del");
    EXPECT_EQ(text(columns, 4).x, kPerm + 90);
    EXPECT_EQ(text(columns, 4).clipLeft, kInh);

    const ScreenLine& ace = lineAt(3);
    EXPECT_EQ(text(ace, 0).text, L"Users (DOM)");
    EXPECT_EQ(text(ace, 0).x, 10 + 7);
    // The child's ACEs: the last entry, nothing below it.
    EXPECT_EQ(text(lineAt(7), 0).x, 10);
    EXPECT_EQ(text(lineAt(8), 0).text, L"Guest (DOM), deny");
    EXPECT_EQ(lineAt(8).background, 0xD4FF7Fu);
    // The second ACE of an entry alternates.
    EXPECT_EQ(lineAt(7).background, 0xFFFFFFu);

    // rd on, wr/ex/del off for "Users" 0x1.
    const std::vector<CellItem> c = cells(lineAt(7));
    EXPECT_TRUE(hasCellAt(c, kPerm, Bitmap::HookOn));
    EXPECT_TRUE(hasCellAt(c, kPerm + 30, Bitmap::HookOff));
    EXPECT_TRUE(hasCellAt(c, kPerm + 90, Bitmap::HookOff));
    for (const CellItem& cell : c) {
        EXPECT_EQ(cell.y, 7 * 15);
    }

    // The lines' ranges cut the model's arrays into consecutive pieces, each
    // line holding exactly its own items.
    EXPECT_EQ(header.textCount, 1u);
    EXPECT_EQ(owner.textCount, 2u);
    EXPECT_EQ(columns.textCount, 5u);
    EXPECT_EQ(ace.textCount, 1u);
    std::uint32_t t = 0, k = 0, g = 0, p = 0;
    for (const ScreenLine& line : model.lines) {
        EXPECT_EQ(line.firstText, t);
        EXPECT_EQ(line.firstCell, k);
        EXPECT_EQ(line.firstSegment, g);
        EXPECT_EQ(line.firstPixel, p);
        t += line.textCount;
        k += line.cellCount;
        g += line.segmentCount;
        p += line.pixelCount;
    }
    EXPECT_EQ(t, model.texts.size());
    EXPECT_EQ(k, model.cells.size());
    EXPECT_EQ(g, model.segments.size());
    EXPECT_EQ(p, model.pixels.size());
}

TEST_F(LineLayout, EmptyAclIsRedWithoutColumnHeader) {
    CDirEntry* r = root();
    CDirEntry* empty = child(r, L"empty", {});
    child(r, L"next", {{L"Users", 0x1, 0, 0}});
    build();

    EXPECT_EQ(kinds(), (std::vector<LineKind>{H, O, C, A, H, O, H, O, C, A, X}));
    EXPECT_EQ(lineAt(4).background, 0x0000FFu);
    EXPECT_EQ(lineAt(5).background, 0x0000FFu);
    EXPECT_EQ(text(lineAt(5), 0).text, L"   empty  EMPTY ACL");

    // Selected, and with the name only.
    empty->selected = 1;
    switches.showCompletePath = false;
    build();
    EXPECT_EQ(lineAt(4).background, 0x0000CCu);
    EXPECT_EQ(lineAt(5).background, 0x0000CCu);
    EXPECT_EQ(text(lineAt(4), 0).text, L"empty");
    EXPECT_EQ(text(lineAt(5), 0).text, L"     EMPTY ACL");
}

TEST_F(LineLayout, FileShowsOnlyTheInheritedCell) {
    CDirEntry* r = root();
    SetAces(r, {{L"Users", 0x1, 0x1 | 0x4 | 0x8, 0}});
    child(r, L"f.txt", {{L"Users", 0x1, 0x1F, 0}});
    build();

    const std::vector<CellItem> folder = cells(lineAt(3));
    EXPECT_TRUE(hasCellAt(folder, kInh, Bitmap::HookOff));
    EXPECT_TRUE(hasCellAt(folder, kInh + 48, Bitmap::HookOn));
    EXPECT_TRUE(hasCellAt(folder, kInh + 97, Bitmap::FilesBlack));
    EXPECT_TRUE(hasCellAt(folder, kInh + 129, Bitmap::FoldersGhosted));
    EXPECT_TRUE(hasCellAt(folder, kInh + 194, Bitmap::HookOn));
    EXPECT_EQ(folder.size(), 5u + 4u);

    const std::vector<CellItem> file = cells(lineAt(7));
    EXPECT_TRUE(hasCellAt(file, kInh, Bitmap::HookOn));
    EXPECT_FALSE(hasCellAt(file, kInh + 48));
    EXPECT_FALSE(hasCellAt(file, kInh + 97));
    EXPECT_FALSE(hasCellAt(file, kInh + 129));
    EXPECT_FALSE(hasCellAt(file, kInh + 194));
    EXPECT_EQ(file.size(), 1u + 4u);

    // Folders with only the folders half reach no files.
    SetAces(r, {{L"Users", 0x1, 0x2, 0}});
    build();
    EXPECT_TRUE(hasCellAt(cells(lineAt(3)), kInh + 97, Bitmap::FilesGhosted));
    EXPECT_TRUE(hasCellAt(cells(lineAt(3)), kInh + 129, Bitmap::FoldersBlack));
    EXPECT_TRUE(hasCellAt(cells(lineAt(3)), kInh + 194, Bitmap::HookOff));
    EXPECT_TRUE(hasCellAt(cells(lineAt(3)), kInh + 48, Bitmap::HookOff));
}

TEST_F(LineLayout, BasicSetLeavesLsFoldBlankOnAFile) {
    rights.SetBasicPermissionSet();
    rights.setBasicPermissionMode(true);
    CDirEntry* r = root();
    SetAces(r, {{L"Users", 0x1200A9, 0x02, 0}});
    child(r, L"f.txt", {{L"Users", 0x1200A9, 0, 0}});
    build();

    // Six columns of 30: permStart = 1024 - 180.
    const int perm = 1024 - 180;
    const std::vector<CellItem> folder = cells(lineAt(3));
    EXPECT_TRUE(hasCellAt(folder, perm + 3 * 30, Bitmap::HookOn));   // ls_fold
    EXPECT_TRUE(hasCellAt(folder, perm + 2 * 30, Bitmap::HookOff));  // rd/ex: no files reached
    const std::vector<CellItem> file = cells(lineAt(7));
    EXPECT_FALSE(hasCellAt(file, perm + 3 * 30));
    EXPECT_TRUE(hasCellAt(file, perm + 2 * 30, Bitmap::HookOn));
    EXPECT_TRUE(hasCellAt(file, perm + 4 * 30, Bitmap::HookOn));
    EXPECT_TRUE(hasCellAt(file, perm + 5 * 30, Bitmap::HookOff));
    EXPECT_EQ(file.size(), 1u + 5u);
}

TEST_F(LineLayout, NarrowWindowSlidesTheColumnsWithTheHorizontalPosition) {
    root();
    metrics.clientWidth = 400;  // less than 4 x 30 + 350
    build();
    const ScreenLine* ace = linesOf(A).front();
    EXPECT_EQ(model.geometry.firstColumnX, 350);
    EXPECT_TRUE(hasCellAt(cells(*ace), 350));
    EXPECT_TRUE(hasCellAt(cells(*ace), 100, Bitmap::HookOff));  // inherited cell at inhStart

    // At 100 the last column ends at the window's edge.
    switches.hScroll = 100;
    build();
    ace = linesOf(A).front();
    const int shift = 4 * 30 + 350 - 400;
    EXPECT_EQ(model.geometry.firstColumnX, 350 - shift);
    EXPECT_EQ(model.geometry.firstColumnXClamped, 350 - shift);
    EXPECT_TRUE(hasCellAt(cells(*ace), 400 - 30));
    // Cells slid left of 100 are not drawn over the trustee text.
    EXPECT_FALSE(hasCellAt(cells(*ace), 100 - shift));
    for (const CellItem& c : model.cells) {
        EXPECT_GE(c.x, 100);
    }
    const ScreenLine* columns = linesOf(C).front();
    EXPECT_EQ(text(*columns, 4).x, 400 - 30);
    EXPECT_EQ(text(*columns, 1).clipLeft, 100);

    switches.hScroll = 50;
    build();
    EXPECT_EQ(model.geometry.firstColumnX, 350 - shift / 2);

    // A window wide enough never slides.
    metrics.clientWidth = 470;
    build();
    EXPECT_EQ(model.geometry.firstColumnX, 350);
}

TEST_F(LineLayout, LongTextsSlideByTheHorizontalPosition) {
    CDirEntry* r = root();
    CDirEntry* f = child(r, L"f", {{L"Users", 0x1, 0, 0}});
    f->isReparsePoint = 1;
    f->setReparseTarget(std::wstring(200, L'x'));
    switches.hScroll = 50;
    build();
    const TextItem& header = text(lineAt(4), 0);
    EXPECT_EQ(header.text, L"C:\\Data\\f -> " + std::wstring(200, L'x'));
    const int width = static_cast<int>(header.text.size()) * 7;
    EXPECT_EQ(header.x, 9 - (9 + width - 1024) * 50 / 100);
    // A link whose target could not be read shows its name alone.
    f->setReparseTarget(L"");
    build();
    EXPECT_EQ(text(lineAt(4), 0).text, L"C:\\Data\\f");
}

TEST_F(LineLayout, LongOwnerTextsMoveLeftButNotPast100) {
    CDirEntry* r = root();
    // Columns of 32: the owner text may take 4 x 32 + 250 = 378 pixels, 54
    // characters, from inhStart - 2 = 1024 - 128 - 250 - 2.
    metrics.columnWidth = 32;
    r->setOwner(std::wstring(19, L'o'), L"CORP");
    build();
    EXPECT_EQ(text(lineAt(1), 1).text.size(), 54u);
    EXPECT_EQ(text(lineAt(1), 1).x, 644);
    r->setOwner(std::wstring(20, L'o'), L"CORP");
    build();
    EXPECT_EQ(text(lineAt(1), 1).x, 1024 - 55 * 7);
    r->setOwner(std::wstring(200, L'o'), L"");
    build();
    // An owner domain that is set but empty still shows its brackets.
    EXPECT_EQ(text(lineAt(1), 1).text,
              L"O: " + std::wstring(200, L'o') + L" ()   G: Domain Users (CORP)");
    EXPECT_EQ(text(lineAt(1), 1).x, 100);
    switches.hScroll = 100;
    build();
    EXPECT_EQ(text(lineAt(1), 1).x, 1024 - 231 * 7);
}

TEST_F(LineLayout, LongAclKeepsItsHeadLinesWhileTheAcesScroll) {
    CDirEntry* r = root();
    std::vector<AceSpec> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back({i % 2 == 0 ? L"Users" : L"Staff", 0x1, 0, 0});
    }
    SetAces(r, many);
    metrics.drawingHeight = 150;  // ten lines
    top = {0, 5};
    build();

    EXPECT_EQ(model.topEntry, 0);
    EXPECT_EQ(model.lineOffset, 5);
    EXPECT_EQ(kinds(), (std::vector<LineKind>{H, O, C, A, A, A, A, A, A, A}));
    EXPECT_EQ(model.lineTable[3].ace, r->ace(5));
    EXPECT_EQ(model.lineTable[9].ace, r->ace(11));
    // Colours stay with the ACE, not with the screen line.
    EXPECT_EQ(lineAt(3).background, 0xFEF7E9u);
    EXPECT_EQ(lineAt(4).background, 0xFFFFFFu);
    EXPECT_EQ(model.linesUsed, 10);
    EXPECT_TRUE(linesOf(X).empty());

    // Find mode takes the bottom two lines.
    metrics.findMode = true;
    build();
    EXPECT_EQ(model.lineCount, 8);
    EXPECT_EQ(model.lines.size(), 8u);
}

TEST_F(LineLayout, LineTableHoldsEntryAndAceOfEachLine) {
    CDirEntry* r = root();
    CDirEntry* f = child(r, L"f", {{L"Users", 0x1, 0, 0}});
    build();
    ASSERT_EQ(model.lineTable.size(), 600u / 15 + 10);
    EXPECT_EQ(model.lineTable[0], (LineSlot{r, nullptr, 0}));
    EXPECT_EQ(model.lineTable[1], (LineSlot{r, nullptr, 0}));
    EXPECT_EQ(model.lineTable[2], (LineSlot{r, nullptr, 0}));
    EXPECT_EQ(model.lineTable[3], (LineSlot{r, r->ace(0), 0}));
    EXPECT_EQ(model.lineTable[7], (LineSlot{f, f->ace(0), 1}));
    EXPECT_EQ(model.lineTable[8], LineSlot{});
}

TEST_F(LineLayout, CornersAndClosingLine) {
    CDirEntry* r = root();
    child(r, L"f", {{L"Users", 0x1, 0, 0}});
    build();

    // First header at the top: only the rows from 0 down, 16 pixels a side.
    const ScreenLine& first = lineAt(0);
    EXPECT_EQ(first.pixelCount, 32u);
    for (std::uint32_t i = 0; i < first.pixelCount; ++i) {
        EXPECT_GE(model.pixels[first.firstPixel + i].y, 0);
    }
    // The second header has the rows above it too.
    const ScreenLine& second = lineAt(4);
    EXPECT_EQ(second.pixelCount, 56u);
    std::map<std::pair<int, int>, Colour> px;
    for (std::uint32_t i = 0; i < second.pixelCount; ++i) {
        const Pixel& p = model.pixels[second.firstPixel + i];
        px[{p.x, p.y}] = p.colour;
    }
    const int y = 60;
    EXPECT_EQ(px.at({0, y - 4}), colour::kGrey);
    EXPECT_EQ(px.at({1, y - 4}), colour::kGrey);
    EXPECT_FALSE(px.contains({2, y - 4}));
    EXPECT_EQ(px.at({0, y - 3}), colour::kWhite);
    EXPECT_EQ(px.at({1, y - 3}), colour::kGrey);
    EXPECT_EQ(px.at({2, y - 2}), colour::kGrey);
    EXPECT_EQ(px.at({1, y - 1}), colour::kWhite);
    EXPECT_EQ(px.at({4, y + 1}), colour::kGrey);
    EXPECT_EQ(px.at({3, y}), colour::kWhite);
    EXPECT_FALSE(px.contains({4, y}));
    EXPECT_EQ(px.at({1023, y + 4}), colour::kGrey);
    EXPECT_EQ(px.at({1022, y + 4}), colour::kGrey);
    EXPECT_EQ(px.at({1020, y - 1}), colour::kGrey);
    EXPECT_EQ(px.at({1022, y - 1}), colour::kWhite);

    const std::vector<Segment> s = segments(second);
    EXPECT_EQ(s.front(), (Segment{4, y, 1020, y, colour::kGrey}));

    // The window is taller than all lines: the closing line below the last
    // block, with the corner rows above it only.
    const ScreenLine& closing = model.lines.back();
    EXPECT_EQ(closing.kind, X);
    EXPECT_EQ(closing.y, 8 * 15);
    EXPECT_EQ(closing.height, 0);
    EXPECT_EQ(closing.pixelCount, 24u);
    EXPECT_EQ(segments(closing).front(), (Segment{4, 120, 1020, 120, colour::kGrey}));
    EXPECT_EQ(model.linesUsed, 8);
}

TEST_F(LineLayout, DepthGuidesAndSideBorders) {
    CDirEntry* r = root();
    CDirEntry* sub = child(r, L"sub", {{L"Users", 0x1, 0, 0}});
    child(sub, L"f", {{L"Users", 0x1, 0, 0}});
    build();
    // The root has no guide and no tick; the folder "sub" at depth 1 a guide
    // at 5 and the tick at 7 - 2 .. 7 + 3.
    EXPECT_EQ(segments(lineAt(0)), (std::vector<Segment>{{4, 0, 1020, 0, colour::kGrey},
                                                         {0, 0, 0, 15, colour::kGrey},
                                                         {1023, 0, 1023, 15, colour::kGrey}}));
    const std::vector<Segment> header = segments(lineAt(4));
    EXPECT_EQ(header, (std::vector<Segment>{{4, 60, 1020, 60, colour::kGrey},
                                            {5, 60, 5, 75, colour::kBlack},
                                            {5, 67, 10, 67, colour::kBlack},
                                            {0, 60, 0, 75, colour::kGrey},
                                            {1023, 60, 1023, 75, colour::kGrey}}));
    // Its ACE line guides the next entry's depth, 2.
    const std::vector<Segment> ace = segments(lineAt(7));
    EXPECT_EQ(ace, (std::vector<Segment>{{5, 105, 5, 120, colour::kBlack},
                                         {12, 105, 12, 120, colour::kBlack},
                                         {0, 105, 0, 120, colour::kGrey},
                                         {1023, 105, 1023, 120, colour::kGrey}}));
    EXPECT_EQ(text(lineAt(7), 0).x, 10 + 14);
}

TEST_F(LineLayout, FindMarksAndSelection) {
    CDirEntry* r = root();
    r->findMarks = find_mark::kName;
    r->ace(0)->findMark = 1;
    r->ace(0)->selected = 1;
    build();
    // The name mark colours the header only while the name is shown.
    EXPECT_EQ(lineAt(0).background, 0x9BF0FFu);
    EXPECT_EQ(lineAt(1).background, 0x00FFFFu);
    EXPECT_EQ(lineAt(3).background, 0x40DFDFu);
    switches.showCompletePath = false;
    build();
    EXPECT_EQ(lineAt(0).background, 0x00FFFFu);
    EXPECT_EQ(lineAt(1).background, 0xDDFAFFu);

    r->findMarks = find_mark::kGroup;
    r->selected = 1;
    build();
    EXPECT_EQ(lineAt(0).background, 0x9BD0DFu);
    EXPECT_EQ(lineAt(1).background, 0x40DFDFu);
    EXPECT_EQ(lineAt(2).background, 0xFFDFDFu);
    r->findMarks = 0;
    build();
    EXPECT_EQ(lineAt(1).background, 0xDDDADFu);
}

TEST_F(LineLayout, GroupMemberLinesFollowTheirAce) {
    CDirEntry* r = root();
    SetAces(r, {{L"Staff", 0x1, 0, 0}, {L"Users", 0x1, 0, 0}, {L"Nobody", 0x1, 0, 0}});
    const std::map<std::wstring, std::wstring, std::less<>> members{{L"Staff", L"alice, bob"},
                                                                    {L"Nobody", L""}};
    switches.memberText = [&members](std::wstring_view trustee) -> const std::wstring* {
        const auto it = members.find(trustee);
        return it == members.end() ? nullptr : &it->second;
    };
    r->ace(0)->selected = 1;
    build();
    EXPECT_EQ(kinds(), (std::vector<LineKind>{H, O, C, A, G, A, A, X}));
    const ScreenLine& member = lineAt(4);
    EXPECT_EQ(member.background, lineAt(3).background);
    EXPECT_EQ(text(member, 0).text, L"alice, bob");
    EXPECT_EQ(text(member, 0).x, 30);
    EXPECT_EQ(model.lineTable[4], (LineSlot{r, nullptr, 0}));
    EXPECT_EQ(segments(member)[0], (Segment{20, 60, 20, 67, colour::kBlack}));
    EXPECT_EQ(segments(member)[1], (Segment{20, 67, 28, 67, colour::kBlack}));
    EXPECT_EQ(model.lineTable[5].ace, r->ace(1));
}

// Compare mode: a shown dataset and a compared one with the same root.
class CompareLayout : public LineLayout {
  protected:
    CompareLayout() {
        switches.compareMode = true;
        shown = root();
        SetAces(shown, {{L"Users", 0x1, 0, 0}, {L"Admins", 0x1, 0, 0}});
        old = AppendEntry(oldList, nullptr, L"Data");
        old->setPath(L"C:\\Data");
        SetAces(old, {{L"Users", 0x3, 0, 0},
                      {L"Guest", 0x1, 0x10, 1},
                      {L"Ops", 0x1, 0, 0},
                      {L"Audit", 0x1, 0x08, 0}});
    }
    void layOut() {
        LinkEntries(list, oldList);
        LinkEntries(oldList, list);
        lines.clear();
        lines.append(&state.addedHeading());
        lines.append(&state.deletedHeading());
        lines.append(&state.modifiedHeading());
        DiffAcl(*shown, shown->partner);
        DiffAcl(*old, old->partner);
        lines.append(shown);
        LayOutScreen(lines, top, metrics, switches, rights, measure, model);
    }

    sim::RecordingInteraction oldUi;
    CDirList oldList{oldUi};
    CompareState state;
    CDirEntry* shown;
    CDirEntry* old;
};

TEST_F(CompareLayout, AddedDeletedAndChangedAces) {
    layOut();
    EXPECT_EQ(kinds(), (std::vector<LineKind>{T, T, T, H, O, C, A, A, D, D, D, X}));
    const ScreenLine& heading = lineAt(0);
    EXPECT_EQ(heading.height, 30);
    EXPECT_EQ(heading.background, 0xFF7070u);
    EXPECT_EQ(text(heading, 0).text, L"added files");
    EXPECT_EQ(text(heading, 0).font, Font::Large);
    EXPECT_EQ(text(heading, 0).x, 0);
    EXPECT_EQ(text(lineAt(4), 0).text, L"modified files");
    EXPECT_EQ(model.lineTable[0], LineSlot{});
    EXPECT_EQ(model.lineTable[1], LineSlot{});
    // In compare mode nothing is indented.
    EXPECT_EQ(text(lineAt(6), 0).x, 2);

    // "Users" is linked by its second pass: wr differs, drawn blue.
    const ScreenLine& users = lineAt(9);
    EXPECT_EQ(users.background, 0xFFFFFFu);
    EXPECT_TRUE(hasCellAt(cells(users), kPerm, Bitmap::HookOn));
    EXPECT_TRUE(hasCellAt(cells(users), kPerm + 30, Bitmap::HookOffBlue));
    EXPECT_TRUE(hasCellAt(cells(users), kPerm + 60, Bitmap::HookOff));
    // "Admins" only here: added.
    EXPECT_EQ(lineAt(10).background, 0xFF0000u);
    EXPECT_EQ(model.lineTable[10], (LineSlot{shown, shown->ace(1), 3}));

    // The compared entry's own ACEs, struck out and not clickable.
    const ScreenLine& guest = lineAt(11);
    EXPECT_EQ(guest.kind, D);
    EXPECT_EQ(text(guest, 0).text, L"Guest DENY INHERITED");
    EXPECT_EQ(text(guest, 0).x, 10);
    EXPECT_EQ(guest.background, 0xD4FF7Fu);
    EXPECT_EQ(segments(guest).front(), (Segment{0, 172, 1024, 172, colour::kBlack}));
    EXPECT_EQ(model.lineTable[11], LineSlot{});
    EXPECT_EQ(text(lineAt(12), 0).text, L"Ops");
    EXPECT_EQ(lineAt(12).background, 0xFEF7E9u);  // the fourth ACE line of the entry
    EXPECT_EQ(text(lineAt(13), 0).text, L"Audit INHERIT_ONLY");
    EXPECT_TRUE(hasCellAt(cells(lineAt(13)), kInh, Bitmap::HookOff));

    shown->ace(1)->selected = 1;
    layOut();
    EXPECT_EQ(lineAt(10).background, 0xCC0000u);

    // A window that ends at the first struck-out line draws nothing below it.
    metrics.drawingHeight = 12 * 15;
    layOut();
    EXPECT_EQ(kinds(), (std::vector<LineKind>{T, T, T, H, O, C, A, A, D}));
}

TEST_F(CompareLayout, TopEntryScrolledIntoThePartnersDeletedAces) {
    // L = 2 own + 3 deleted.
    top = {3, 3};
    layOut();
    EXPECT_EQ(model.topEntry, 3);
    EXPECT_EQ(kinds(), (std::vector<LineKind>{H, O, C, D, D, X}));
    EXPECT_EQ(text(lineAt(3), 0).text, L"Ops");
    EXPECT_EQ(text(lineAt(4), 0).text, L"Audit INHERIT_ONLY");

    // Past every ACE line: the next entry would rise over the head lines;
    // at the list's end nothing follows, and the closing line comes up.
    top = {3, 6};
    layOut();
    EXPECT_EQ(kinds(), (std::vector<LineKind>{H, O, X}));
    EXPECT_EQ(model.lines.back().y, 30);
    EXPECT_EQ(model.lineTable[2], LineSlot{});
    top = {3, 7};
    layOut();
    EXPECT_EQ(kinds(), (std::vector<LineKind>{H, X}));
    // Beyond L + 2 on the last entry the offset stays at L + 2.
    top = {3, 9};
    layOut();
    EXPECT_EQ(model.lineOffset, 7);
}

TEST_F(LineLayout, NextEntryRisesOverTheTopEntrysHeadLines) {
    CDirEntry* r = root();
    CDirEntry* f = child(r, L"f", {{L"Users", 0x1, 0, 0}});
    top = {0, 2};  // L(root) = 1
    build();
    EXPECT_EQ(kinds(), (std::vector<LineKind>{H, O, H, O, C, A, X}));
    EXPECT_EQ(model.lineTable[2], (LineSlot{f, nullptr, 1}));
    top = {0, 3};
    build();
    EXPECT_EQ(kinds(), (std::vector<LineKind>{H, H, O, C, A, X}));
    EXPECT_EQ(model.lineTable[1], (LineSlot{f, nullptr, 1}));
    EXPECT_EQ(model.lineTable[5], LineSlot{});
    // One more step moves on to the next entry.
    top = {0, 4};
    build();
    EXPECT_EQ(model.topEntry, 1);
    EXPECT_EQ(model.lineOffset, 0);
}

TEST(NormaliseTop, AtTheEndsOfTheDisplayList) {
    sim::RecordingInteraction ui;
    CDirList list{ui};
    CDirEntry* a = AppendEntry(list, nullptr, L"a");
    SetAces(a, {{L"Users", 1, 0, 0}, {L"Staff", 1, 0, 0}});
    CDirEntry* b = AppendEntry(list, nullptr, L"b");
    SetAces(b, {{L"Users", 1, 0, 0}});
    auto heading = CDirEntry::makeHeading(L"modified files");
    DisplayList lines;
    lines.append(a);
    lines.append(heading.get());
    lines.append(b);
    lines.append(heading.get());  // count 5, slot 4 is the end

    EXPECT_EQ(NormaliseTop(lines, {4, 0}, false), (ViewTop{3, 0}));  // not the end slot
    EXPECT_EQ(NormaliseTop(lines, {5, 2}, false), (ViewTop{0, 2}));
    EXPECT_EQ(NormaliseTop(lines, {0, 4}, false), (ViewTop{0, 4}));
    EXPECT_EQ(NormaliseTop(lines, {0, 5}, false), (ViewTop{1, 0}));
    EXPECT_EQ(NormaliseTop(lines, {1, 1}, false), (ViewTop{2, 0}));
    // A heading as the last entry stays.
    EXPECT_EQ(NormaliseTop(lines, {3, 1}, false), (ViewTop{3, 0}));
    EXPECT_EQ(NormaliseTop(lines, {2, -1}, false), (ViewTop{1, 0}));
    EXPECT_EQ(NormaliseTop(lines, {1, -1}, false), (ViewTop{0, 4}));
    EXPECT_EQ(NormaliseTop(lines, {0, -1}, false), (ViewTop{0, 0}));

    DisplayList empty;
    EXPECT_EQ(NormaliseTop(empty, {3, 2}, false), (ViewTop{0, 0}));

    // The last entry that is not a heading keeps its last offset.
    DisplayList two;
    two.append(a);
    two.append(b);
    EXPECT_EQ(NormaliseTop(two, {1, 4}, false), (ViewTop{1, 3}));
    EXPECT_EQ(NormaliseTop(two, {1, 3}, false), (ViewTop{1, 3}));
}

TEST(LayoutMetricsOf, LimitsOfLineHeightColumnWidthAndLineCount) {
    EXPECT_EQ(LineHeightOf(13, 1), 15);
    EXPECT_EQ(LineHeightOf(16, 1), 17);
    DisplayedRights rights;  // rd wr ex del
    FixedWidth measure;
    EXPECT_EQ(ColumnWidthOf(rights, measure), 30);
    rights.AppendRightColumn(0x40, L"del_chxxx");  // 9 x 7 = 63
    EXPECT_EQ(ColumnWidthOf(rights, measure), 66);
    // Back to the four columns: the fifth one no longer counts.
    rights.resetToStartup();
    EXPECT_EQ(ColumnWidthOf(rights, measure), 30);
    LayoutMetrics m;
    m.drawingHeight = 44;
    m.lineHeight = 15;
    EXPECT_EQ(LineCountOf(m), 2);
    m.findMode = true;
    EXPECT_EQ(LineCountOf(m), 0);
    m.drawingHeight = 10;
    EXPECT_EQ(LineCountOf(m), 0);
    // A window before its font is known has no line height.
    m.findMode = false;
    m.lineHeight = 0;
    EXPECT_EQ(LineCountOf(m), 0);
}

TEST_F(LineLayout, EmptyDisplayListDrawsNothing) {
    build();
    EXPECT_TRUE(model.lines.empty());
    EXPECT_EQ(model.linesUsed, 0);
    EXPECT_EQ(model.lineTable.size(), 50u);
}

}  // namespace
}  // namespace quorel
