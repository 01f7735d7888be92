#include "view/print_layout.h"

#include <gtest/gtest.h>

#include "core/dataset_test_support.h"
#include "filters/permissions.h"
#include "platform/sim/recording_interaction.h"
#include "view/print_job.h"

namespace quorel {
namespace {

using Kind = PrintItem::Kind;
using Lines = std::vector<std::wstring>;

// Ten printer units per character.
class FixedMeasure : public PrintMeasure {
  public:
    int textWidth(std::wstring_view text) const override {
        return 10 * static_cast<int>(text.size());
    }
};

PrintItem text(int x, int y, const wchar_t* t) {
    return {Kind::Text, x, y, 0, t};
}
PrintItem tick(bool on, int x, int y, int side) {
    return {on ? Kind::TickOn : Kind::TickOff, x, y, side, L""};
}
PrintItem line(int y, int end) {
    return {Kind::Line, 0, y, end, L""};
}

TEST(PrintTexts, PageNumbersAndAceTextsWithTheirSuffixesInOrder) {
    EXPECT_EQ(PageNumberText(1), L"- 1 -");
    EXPECT_EQ(PageNumberText(12), L"- 12 -");
    sim::RecordingInteraction ui;
    CDirList list(ui);
    CDirEntry* e = test::AppendEntry(list, nullptr, L"C:\\r");
    test::SetAces(e,
                  {{L"Users", 0x1, 0x1F, 1}, {L"Admins", 0x1, 0x00, 0}, {L"Guests", 0x1, 0x0A, 0}});
    EXPECT_EQ(PrintedAceText(list.accountNames(), *e->ace(0)),
              L"Users (DOM) DENY, inherited, inherit only, inh. to "
              L"files, inh. to folders, don't propagate,");
    EXPECT_EQ(PrintedAceText(list.accountNames(), *e->ace(1)), L"Admins (DOM)");
    EXPECT_EQ(PrintedAceText(list.accountNames(), *e->ace(2)),
              L"Guests (DOM) inherit only, inh. to folders,");
}

TEST(PrintWrapping, PathsBreakAtBackslashesAndElseAtCharacters) {
    const FixedMeasure m;
    EXPECT_EQ(WrapPath(L"C:\\data\\temp\\deep\\file.txt", 100, m),
              (Lines{L"C:\\data\\", L"temp\\deep\\", L"file.txt"}));
    // A component longer than the width is cut at characters.
    EXPECT_EQ(WrapPath(L"C:\\abcdefghijklmnop", 100, m),
              (Lines{L"C:\\", L"abcdefghij", L"klmnop"}));
    EXPECT_EQ(WrapPath(L"C:\\data\\ab", 100, m), Lines{L"C:\\data\\ab"});  // exactly fits
    EXPECT_EQ(WrapPath(L"", 100, m), Lines{L""});
    EXPECT_EQ(WrapText(L"C:\\data\\x", 50, m), (Lines{L"C:\\da", L"ta\\x"}));
    // Narrower than one character: one per line, no endless loop.
    EXPECT_EQ(WrapText(L"abc", 5, m), (Lines{L"a", L"b", L"c"}));
    EXPECT_EQ(WrapPath(L"\\\\x", 0, m), (Lines{L"\\", L"\\", L"x"}));
}

class Printout : public ::testing::Test {
  protected:
    Printout() {
        rights.clear();
        rights.AppendRightColumn(0x1, L"rd");
        rights.AppendRightColumn(0x2, L"wr");
        rights.AppendRightColumn(0x10000, L"del");
        metrics = {400, 1000, 30, 34};
    }
    std::vector<PrintPage> pages() {
        PrintLayout layout(list, rights, metrics, measure);
        std::vector<PrintPage> all;
        PrintPage p;
        while (layout.NextPage(p)) {
            all.push_back(p);
            if (all.size() > 100) {
                ADD_FAILURE() << "no end of pages";
                break;
            }
        }
        return all;
    }

    sim::RecordingInteraction ui;
    CDirList list{ui};
    DisplayedRights rights;
    PrintMetrics metrics;
    FixedMeasure measure;
};

TEST_F(Printout, OnePageWithPathTitlesTicksTextsSeparatorsAndNumber) {
    CDirEntry* root = test::AppendEntry(list, nullptr, L"C:\\r");
    test::SetAces(root, {{L"Users", 0x3, 0x10, 0}, {L"Guests", 0x1F01FF, 0x00, 1}});
    CDirEntry* a = test::AppendEntry(list, root, L"a.txt");
    test::SetAces(a, {{L"Users", 0x1, 0x00, 0}});
    a->ace(0)->visible = 0;
    CDirEntry* hidden = test::AppendEntry(list, root, L"hidden.txt");
    test::SetAces(hidden, {{L"Users", 0x1, 0x00, 0}});
    hidden->visible = 0;

    const std::vector<PrintPage> p = pages();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].number, 1);
    // w = 10 x 3 ("del") + 10; the columns end at the page's right edge.
    const std::vector<PrintItem> expected = {
        text(0, 0, L"C:\\r"),     text(280, 34, L"rd"),
        text(320, 34, L"wr"),     text(360, 34, L"del"),
        tick(true, 280, 68, 27),  tick(true, 320, 68, 27),
        tick(false, 360, 68, 27), text(0, 68, L"Users (DOM) inherited,"),
        tick(true, 280, 102, 27), tick(true, 320, 102, 27),
        tick(true, 360, 102, 27), text(0, 102, L"Guests (DOM) DENY,"),
        line(151, 400),           text(0, 166, L"C:\\r\\a.txt"),
        text(280, 200, L"rd"),    text(320, 200, L"wr"),
        text(360, 200, L"del"),   line(249, 400),
        text(200, 970, L"- 1 -"),
    };
    EXPECT_EQ(p[0].items, expected);
}

TEST_F(Printout, LongAceTextsWrapBesideTheirBoxesAndTheNextLineStartsBelow) {
    CDirEntry* root = test::AppendEntry(list, nullptr, L"C:\\r");
    // 30 characters over a width of 400 - 4 x 40 = 240 (24 characters): two lines.
    test::SetAces(root, {{L"A very long trustee name", 0x1, 0x00, 0}, {L"B", 0x2, 0x00, 0}});
    const std::vector<PrintItem> items = pages()[0].items;
    ASSERT_GE(items.size(), 13u);
    EXPECT_EQ(items[4], tick(true, 280, 68, 27));
    EXPECT_EQ(items[7], text(0, 68, L"A very long trustee name"));
    EXPECT_EQ(items[8], text(0, 102, L" (DOM)"));
    EXPECT_EQ(items[9], tick(false, 280, 136, 27));
    EXPECT_EQ(items[12], text(0, 136, L"B (DOM)"));
    // Lines lower than a box: the box's height decides.
    metrics.lineHeight = 20;
    const std::vector<PrintItem> low = pages()[0].items;
    EXPECT_EQ(low[8], text(0, 60, L" (DOM)"));
    EXPECT_EQ(low[9].y, 80);  // 40 + two lines of 20
    EXPECT_EQ(low[12].y, 80);
    EXPECT_EQ(low[13], line(107 + 15, 400));  // 80 + 27, then u / 2
}

TEST_F(Printout, PageBreaksAfterNineTenthsOfThePageAndNumbersEveryPage) {
    metrics = {400, 300, 30, 30};  // a page check breaks once y > 270
    CDirEntry* root = test::AppendEntry(list, nullptr, L"C:\\r");
    std::vector<test::AceSpec> aces;
    for (int i = 0; i < 10; ++i) {
        aces.push_back({L"U", 0x1, 0, 0});
    }
    test::SetAces(root, aces);
    test::SetAces(test::AppendEntry(list, root, L"b"), {{L"V", 0x1, 0, 0}});

    const std::vector<PrintPage> p = pages();
    ASSERT_EQ(p.size(), 2u);
    auto textsAt = [](const PrintPage& page, int x) {
        std::vector<std::pair<int, std::wstring>> t;
        for (const PrintItem& i : page.items) {
            if (i.kind == Kind::Text && i.x == x) {
                t.emplace_back(i.y, i.text);
            }
        }
        return t;
    };
    using T = std::vector<std::pair<int, std::wstring>>;
    // Head at 0 and 30; ACEs at 60 .. 270 (y = 270 is not past 0.9 x 300).
    T first = {{0, L"C:\\r"}};
    for (int y = 60; y <= 270; y += 30) {
        first.emplace_back(y, L"U (DOM)");
    }
    EXPECT_EQ(textsAt(p[0], 0), first);
    EXPECT_EQ(textsAt(p[0], 200), (T{{270, L"- 1 -"}}));
    EXPECT_EQ(p[0].items.back(), text(200, 270, L"- 1 -"));
    // The last two ACEs go on, without the head, at the top of page two.
    EXPECT_EQ(textsAt(p[1], 0),
              (T{{0, L"U (DOM)"}, {30, L"U (DOM)"}, {90, L"C:\\r\\b"}, {150, L"V (DOM)"}}));
    EXPECT_EQ(p[1].items[8], line(75, 400));
    EXPECT_EQ(p[1].number, 2);
    EXPECT_EQ(p[1].items.back(), text(200, 270, L"- 2 -"));
}

TEST_F(Printout, NothingToListGivesOneNumberedPageAndNoColumnsLeaveOneSpace) {
    const std::vector<PrintPage> p = pages();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].items, std::vector<PrintItem>{text(200, 970, L"- 1 -")});
    rights.clear();
    PrintLayout layout(list, rights, metrics, measure);
    EXPECT_EQ(layout.columnWidth(), 10);
    EXPECT_EQ(layout.tickSize(), 27);
}

// A printer that logs what it is asked and refuses where told.
class LoggingDevice : public PrintDevice {
  public:
    int textWidth(std::wstring_view t) const override { return 10 * static_cast<int>(t.size()); }
    PrintMetrics metrics() const override { return {400, 300, 30, 30}; }
    bool StartDocument() override {
        log.push_back(L"doc");
        return docWorks;
    }
    bool StartPage() override {
        log.push_back(L"page");
        return ++started != failStart;
    }
    bool EndPage() override {
        log.push_back(L"end page");
        return ++ended != failEnd;
    }
    void EndDocument() override { log.push_back(L"end doc"); }
    void Draw(const PrintItem& item) override {
        if (item.kind == Kind::Text && item.text.starts_with(L"- ")) {
            log.push_back(item.text);
        }
    }

    bool docWorks = true;
    int failStart = 0, failEnd = 0;
    int started = 0, ended = 0;
    Lines log;
};

class PrintJob : public Printout {
  protected:
    PrintJob() {
        CDirEntry* root = test::AppendEntry(list, nullptr, L"C:\\r");
        std::vector<test::AceSpec> aces(20, {L"U", 0x1, 0, 0});
        test::SetAces(root, aces);
    }
    PrintResult run() {
        PrintLayout layout(list, rights, device.metrics(), device);
        return RunPrintJob(layout, device);
    }
    LoggingDevice device;
};

TEST_F(PrintJob, PrintsEveryPageBetweenStartAndEndOfTheDocument) {
    const PrintResult r = run();
    EXPECT_EQ(r.status, PrintResult::Status::Printed);
    EXPECT_EQ(r.pages, 3);
    EXPECT_EQ(device.log, (Lines{L"doc", L"page", L"- 1 -", L"end page", L"page", L"- 2 -",
                                 L"end page", L"page", L"- 3 -", L"end page", L"end doc"}));
}

TEST_F(PrintJob, RefusedPageEndsTheDocumentThere) {
    device.failEnd = 2;
    PrintResult r = run();
    EXPECT_EQ(r.status, PrintResult::Status::PageFailed);
    EXPECT_EQ(r.failedPage, 2);
    EXPECT_EQ(r.pages, 1);
    EXPECT_EQ(device.log, (Lines{L"doc", L"page", L"- 1 -", L"end page", L"page", L"- 2 -",
                                 L"end page", L"end doc"}));
    device = LoggingDevice{};
    device.failStart = 1;
    r = run();
    EXPECT_EQ(r.failedPage, 1);
    EXPECT_EQ(r.pages, 0);
    EXPECT_EQ(device.log, (Lines{L"doc", L"page", L"end doc"}));
    EXPECT_EQ(PrintFailureText(1),
              L"Printing stopped: the printer did not accept page 1. "
              L"Nothing was printed; the document was ended.");
    EXPECT_EQ(PrintFailureText(3),
              L"Printing stopped: the printer did not accept page 3. The pages before it were "
              L"printed; the document was ended.");
}

TEST_F(PrintJob, RefusedDocumentIsEndedWithoutPages) {
    device.docWorks = false;
    const PrintResult r = run();
    EXPECT_EQ(r.status, PrintResult::Status::DocumentRefused);
    EXPECT_EQ(device.log, (Lines{L"doc", L"end doc"}));
}

}  // namespace
}  // namespace quorel
