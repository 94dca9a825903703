#include "base/BookError.h"
#include "reading/PageGeometry.h"
#include "reading/ReadingController.h"
#include "reading/ReadingRange.h"
#include "support/FakeModeViews.h"
#include "support/FakeVoice.h"
#include "support/ManualClock.h"

#include <QList>
#include <gtest/gtest.h>

using namespace zarelo;

namespace {

struct Row {
    const char* page;
    int l, t, r, b;
    int l2 = -1, t2 = -1, r2 = -1, b2 = -1;
    int l3 = -1, t3 = -1, r3 = -1, b3 = -1;
    const char* voice = "v";
    double start = 0, end = 10;
};

void addRow(SentenceTable& t, const Row& row)
{
    t.PageName.append(row.page);
    t.Kind.append("sent");
    t.Box1Left.push_back(row.l), t.Box1Top.push_back(row.t), t.Box1Right.push_back(row.r),
        t.Box1Bottom.push_back(row.b);
    t.Box2Left.push_back(row.l2), t.Box2Top.push_back(row.t2), t.Box2Right.push_back(row.r2),
        t.Box2Bottom.push_back(row.b2);
    t.Box3Left.push_back(row.l3), t.Box3Top.push_back(row.t3), t.Box3Right.push_back(row.r3),
        t.Box3Bottom.push_back(row.b3);
    t.VoiceName.append(row.voice);
    t.StartTime.push_back(row.start);
    t.EndTime.push_back(row.end);
    t.ChineseText.append("");
    t.EnglishText.append("");
}

} // namespace

TEST(Nearest, HalvesGoToTheEvenInteger)
{
    EXPECT_EQ(nearest(2.5), 2);
    EXPECT_EQ(nearest(3.5), 4);
    EXPECT_EQ(nearest(1131.5), 1132);
    EXPECT_EQ(nearest(-0.5), 0);
    EXPECT_EQ(nearest(-1.5), -2);
    EXPECT_EQ(nearest(-2.5), -2);
    EXPECT_EQ(nearest(0.4999999), 0);
    EXPECT_EQ(nearest(7.5000001), 8);
    EXPECT_EQ(nearest(-7.6), -8);
}

TEST(HitTest, StrictEdgesTableOrderAndOnlyTheCurrentPage)
{
    SentenceTable t;
    addRow(t, {"Page2", 100, 100, 200, 150});             // 0: another page, under the point
    addRow(t, {"Page1", 100, 100, 200, 150});             // 1
    addRow(t, {"Page1", 150, 120, 300, 200});             // 2: overlaps 1
    addRow(t, {"Page1", 10, 10, 20, 20, 30, 30, 40, 40}); // 3: two rectangles
    addRow(t, {"Page1", 10, 300, 20, 310, -1, -1, -1, -1, 50, 300, 60,
               310}); // 4: r2 absent, r3 present

    const QByteArray p1 = PageNameOf(1);
    EXPECT_EQ(HitTest(t, p1, 1.0, 150, 125), 1); // row 0 holds it too but is of page 2
    EXPECT_EQ(HitTest(t, p1, 1.0, 180, 140), 1); // overlap: the earlier row wins
    EXPECT_EQ(HitTest(t, p1, 1.0, 250, 180), 2);
    // Every edge is outside.
    EXPECT_EQ(HitTest(t, p1, 1.0, 100, 125), -1);
    EXPECT_EQ(HitTest(t, p1, 1.0, 150, 100), -1);
    EXPECT_EQ(HitTest(t, p1, 1.0, 300, 150), -1);
    EXPECT_EQ(HitTest(t, p1, 1.0, 250, 200), -1);
    EXPECT_EQ(HitTest(t, p1, 1.0, 100.01, 100.01), 1);
    EXPECT_EQ(HitTest(t, p1, 1.0, 35, 35), 3);
    EXPECT_EQ(HitTest(t, p1, 1.0, 55, 305), 4);
    EXPECT_EQ(HitTest(t, PageNameOf(2), 1.0, 150, 125), 0);
    EXPECT_EQ(HitTest(t, PageNameOf(3), 1.0, 150, 125), -1);
    // Scaled: the unrounded products are compared (10 * 0.35 = 3.5).
    EXPECT_EQ(HitTest(t, p1, 0.35, 3.5, 5), -1);
    EXPECT_EQ(HitTest(t, p1, 0.35, 3.51, 5), 3);
}

TEST(PanelLayout, StandardAndWholePage)
{
    // 1600 x 2263: 800 * r = 1131.5, which rounds to the even 1132.
    EXPECT_EQ(StandardLayout(1000, 1600, 2263), (PanelLayout{94, 3, 800, 1132}));
    // Narrower than the page: the division truncates toward zero.
    EXPECT_EQ(StandardLayout(701, 800, 1000).left, -55);

    const WholePageLayout w = WholeLayout(1000, 600, 1600, 2263);
    EXPECT_EQ(w.panel, (PanelLayout{288, 3, 424, 600}));
    EXPECT_DOUBLE_EQ(w.scale, 600 / (800 * (2263.0 / 1600)));
}

TEST(Highlight, UnderlineBelow48FrameFrom48)
{
    EntryBoxes b;
    b.r1 = {10, 20, 110, 67}; // 47 high
    HighlightLayout h = LayoutHighlight(b);
    EXPECT_FALSE(h.top.visible);
    EXPECT_EQ(h.line1, (StripPlace{true, 10, 66, 100, 3}));
    EXPECT_FALSE(h.line2.visible);
    EXPECT_FALSE(h.line3.visible);

    b.r1 = {10, 20, 110, 68}; // 48 high
    h = LayoutHighlight(b);
    EXPECT_FALSE(h.line1.visible);
    EXPECT_EQ(h.top, (StripPlace{true, 10, 18, 100, 6}));
    EXPECT_EQ(h.left, (StripPlace{true, 8, 20, 6, 48}));
    EXPECT_EQ(h.bottom, (StripPlace{true, 10, 68, 100, 6}));
    EXPECT_EQ(h.right, (StripPlace{true, 110, 20, 6, 53}));
    EXPECT_EQ(h.spanTop, 20);
    EXPECT_EQ(h.spanBottom, 68);

    b.has2 = true;
    b.r2 = {5, 80, 60, 100};
    b.has3 = true;
    b.r3 = {5, 110, 40, 130};
    h = LayoutHighlight(b);
    EXPECT_FALSE(h.top.visible);
    EXPECT_EQ(h.line2, (StripPlace{true, 5, 99, 55, 3}));
    EXPECT_EQ(h.line3, (StripPlace{true, 5, 129, 35, 3}));
    EXPECT_EQ(h.spanBottom, 130);

    // A third rectangle without a second one still ends the frame.
    b.has2 = false;
    h = LayoutHighlight(b);
    EXPECT_FALSE(h.top.visible || h.left.visible || h.bottom.visible || h.right.visible);
    EXPECT_TRUE(h.line3.visible);
    EXPECT_EQ(h.spanBottom, 130);
}

TEST(Highlight, SpanScrollAndChineseLine)
{
    EXPECT_EQ(ScrollForSpan(100, 120, 0, 500), 0);
    EXPECT_EQ(ScrollForSpan(100, 120, 200, 500), 95); // above the view
    EXPECT_EQ(ScrollForSpan(700, 720, 0, 500), 245);  // below: bottom + 25 - height
    EXPECT_EQ(ScrollForSpan(300, 490, 0, 500), 15);

    EntryBoxes b;
    b.r1 = {300, 10, 700, 30};
    b.has2 = true;
    b.r2 = {40, 40, 200, 60};
    ChineseLinePlace c = PlaceChineseLine(b, 60, 94, -17, 1000, 8);
    EXPECT_EQ(c.left, 94 + 40); // the second rectangle starts further left
    EXPECT_EQ(c.top, -17 + 60 + 10);
    EXPECT_EQ(c.editWidth, 72);
    EXPECT_EQ(c.panelWidth, 76);

    b.has2 = false;
    c = PlaceChineseLine(b, 30, 94, 3, 1000, 100); // 904 px: past the right edge
    EXPECT_EQ(c.left, 1000 - 904 - 8);
}

TEST(ReadingRanges, PageRunsAndLessonRuns)
{
    OpenBook book;
    SentenceTable& t = book.Content.Sentences;
    for (const char* page : {"Page1", "Page1", "Page2", "Page2", "Page1", "Page3", "Page3"})
        addRow(t, {page, 1, 1, 5, 5});
    EXPECT_EQ(PageRange(t, 1), (ReadingRange{0, 1})); // row 4 comes after a row of page 2
    EXPECT_EQ(PageRange(t, 2), (ReadingRange{2, 3}));
    EXPECT_EQ(PageRange(t, 3), (ReadingRange{5, 6})); // the last page runs to the table's end
    EXPECT_EQ(PageRange(t, 9), (ReadingRange{-1, -1}));

    LessonTable& l = book.Content.Lessons;
    for (int i = 0; i < 3; ++i) {
        l.Name.append("Lesson");
        l.Title.append("x");
        l.Column2.append(""), l.Column4.append("");
        l.StartTime.push_back(0), l.EndTime.push_back(0);
    }
    l.FirstPage = {1, 3, 7};
    l.EndPage = {2, 3, 8};
    EXPECT_EQ(LessonRange(book, 0), (ReadingRange{0, 4}));
    EXPECT_EQ(LessonRange(book, 1), (ReadingRange{5, 6}));
    EXPECT_EQ(LessonRange(book, 2), (ReadingRange{-1, 6}));

    addRow(t, {"Pagex", 1, 1, 5, 5});
    EXPECT_THROW(LessonRange(book, 2), BookError);
}

TEST(VoiceNames, OnlyAsciiLettersFold)
{
    EXPECT_TRUE(SameVoiceName("Unit1a", "UNIT1A"));
    EXPECT_FALSE(SameVoiceName("Unit1", "Unit1 "));
    EXPECT_FALSE(SameVoiceName("\xc4\xe3", "\xc4\xc3"));
}

// ---- the controller against recording fakes

namespace {

using FakeView = fakes::FakeReadingView;

struct ControllerTest : ::testing::Test {
    OpenBook book;
    SharedTestState testState;
    fakes::ManualClock clock{1000, 1};
    FakeView view;
    fakes::FakeVoice player{book};
    ReadingController c{book, testState, clock, view, view, player};

    void SetUp() override
    {
        view.book = &book;
        testState.ActiveMode = -1;
        book.CurrentPage = 1;
        book.CurrentVoiceName = book.LoadedVoiceName = "v";
        SentenceTable& t = book.Content.Sentences;
        addRow(t, {"Page1", 1, 1, 5, 5, -1, -1, -1, -1, -1, -1, -1, -1, "v", 0, 10});
        addRow(t, {"Page1", 1, 1, 5, 5, -1, -1, -1, -1, -1, -1, -1, -1, "v", 10, 20});
        addRow(t, {"Page1", 1, 1, 5, 5, -1, -1, -1, -1, -1, -1, -1, -1, "V", 20, 30});
        addRow(t, {"Page2", 1, 1, 5, 5, -1, -1, -1, -1, -1, -1, -1, -1, "w", 30, 40});
        addRow(t, {"Page2", 0, 1, 5, 5, -1, -1, -1, -1, -1, -1, -1, -1, "w", 40, 50});
    }
    void finishAndTick()
    {
        player.PlayPastEnd();
        c.Timer_PlayTimer();
    }
};

} // namespace

TEST_F(ControllerTest, PageReadingGoesThroughThePageAndStops)
{
    c.ReadAllPage();
    EXPECT_EQ(c.ReadRangeFirst, 0);
    EXPECT_EQ(c.ReadRangeLast, 2);
    EXPECT_FALSE(view.readAllPage);
    EXPECT_TRUE(view.pause && view.timer);
    finishAndTick();
    finishAndTick();
    EXPECT_EQ(player.played.size(), 3);
    EXPECT_EQ(int(player.opened.size()), 0); // "V" is "v" with the case folded
    finishAndTick();                         // the last entry of the page ended
    EXPECT_FALSE(player.playing);
    EXPECT_TRUE(view.timer); // off at the next tick
    c.Timer_PlayTimer();
    EXPECT_FALSE(view.timer);
    EXPECT_FALSE(view.pause);
    EXPECT_EQ(view.displayed, (QList<int>{0, 1, 2}));
}

TEST_F(ControllerTest, ShortRangesFallBackToTheCheckBoxes)
{
    // A range ending at row 1 is no range for the stop rule: at its end the
    // loop box applies as after a single entry.
    view.recycle = true;
    c.ReadAllPage();
    c.ReadRangeLast = 1;
    finishAndTick();
    EXPECT_EQ(book.CurrentSentence, 1);
    finishAndTick();
    EXPECT_TRUE(player.playing);
    ASSERT_EQ(player.played.size(), 3);
    EXPECT_EQ(player.played.last(), (std::pair<double, double>{10, 20}));
}

TEST_F(ControllerTest, FromHereCrossesPagesAndEndsAtTheTable)
{
    view.fromHere = true;
    c.PagePressed(2);
    finishAndTick();
    EXPECT_EQ(book.CurrentSentence, 3);
    EXPECT_EQ(book.CurrentPage, 2);
    EXPECT_EQ(view.shownPages, (QList<int>{2}));
    EXPECT_EQ(int(player.opened.size()), 1); // voice "w"
    // Row 4 has Box1Left 0: not highlighted, the stream just goes on.
    finishAndTick();
    EXPECT_EQ(book.CurrentSentence, 4);
    EXPECT_EQ(player.resumed, 1);
    EXPECT_EQ(player.end, 0);
    EXPECT_EQ(view.displayed, (QList<int>{2, 3}));
    finishAndTick();
    EXPECT_FALSE(player.playing);
}

TEST_F(ControllerTest, TakenOverSpeedAndMiss)
{
    player.speedPending = true;
    view.speed = 0.5f;
    c.PagePressed(0);
    testState.ActiveMode = 2;
    c.Timer_PlayTimer();
    EXPECT_EQ(player.rates, (QList<float>{0.5f}));
    EXPECT_FALSE(player.speedPending);
    EXPECT_FALSE(view.timer);
    EXPECT_FALSE(player.playing);

    testState.ActiveMode = -1;
    c.ReadAllPage();
    c.PagePressed(-1);
    EXPECT_EQ(c.ReadRangeLast, -1);
    EXPECT_FALSE(player.playing);
    EXPECT_EQ(player.end, 0);
    EXPECT_TRUE(view.readAllPage && view.readAllLesson);
}

TEST_F(ControllerTest, ABadPageNameIsReportedBeforeAnythingPlays)
{
    addRow(book.Content.Sentences, {"Pagex", 1, 1, 5, 5});
    EXPECT_THROW(c.SetCurrentSentIndex(5), BookError);
    EXPECT_TRUE(player.played.isEmpty());
}
