// The sentence listening test engine over fakes: which sentences are
// listed, the display and play orders, the click on a listed sentence, the
// pacing of states 1 and 2 and the score of the finish.

#include "book/Gbk.h"
#include "quiz/SentenceTestController.h"
#include "quiz/WordTestSelection.h"
#include "support/FakeModeViews.h"
#include "support/TableRows.h"
#include "support/TestFlowRig.h"

#include <gtest/gtest.h>

using namespace zarelo;

namespace {

void AddRow(OpenBook& book, int page, QByteArrayView kind, QByteArrayView english,
            QByteArrayView voice = "v1", double start = 0, double end = 5)
{
    fakes::AddEntry(book, page, kind, english, QStringLiteral("中文"), voice, start, end);
}

using fakes::AddLesson;

using FakeView = fakes::FakeSentenceTestView;

struct Rig : fakes::TestFlowRig<SentenceTestController, FakeView> {
    Rig() : TestFlowRig(1)
    {
        test = std::make_unique<SentenceTestController>(context(), view, player);
        book.CurrentPage = 1;
        AddLesson(book, "Unit 1", 1, 2);
        AddLesson(book, "Unit 2", 3, 4);
    }

    QString playing() const { return currentEnglish(); }
    // The first (or last) label showing `text`.
    int labelOf(const QString& text, bool last = false) const
    {
        int found = -1;
        for (size_t i = 0; i < view.labels.size(); ++i)
            if (view.labels[i] == text && (found < 0 || last))
                found = int(i);
        return found;
    }
};

} // namespace

TEST(SentenceTestSelection, QualificationBordersAndTheLessonScan)
{
    OpenBook book;
    AddLesson(book, "U1", 2, 3);
    AddLesson(book, "U2", 4, 5);
    AddRow(book, 1, "sent", "before the lesson starts here"); // 0: outside
    AddRow(book, 2, "sent", "only two blanks");               // 1: too few blanks
    AddRow(book, 2, "sent", "now three blanks here");         // 2
    AddRow(book, 2, "word", "a word with blanks in");         // 3: not "sent"
    AddRow(book, 2, "Sent", "the kind is exact here");        // 4
    AddRow(book, 3, "sent", "");                              // 5: empty
    QByteArray longest = "a b c ";                            // 6: 114 bytes
    longest += QByteArray(114 - longest.size(), 'x');
    AddRow(book, 3, "sent", longest);
    QByteArray tooLong = longest + "x"; // 7: 115 bytes
    AddRow(book, 3, "sent", tooLong);
    AddRow(book, 3, "sent", toGbk(QStringLiteral("中 文 句 子"))); // 8: bytes count
    AddRow(book, 4, "sent", "the next lesson begins here");        // 9: ends the scan
    AddRow(book, 2, "sent", "back in the lesson again");           // 10: after the end
    ASSERT_EQ(longest.size(), 114);

    book.CurrentPage = 3;
    EXPECT_EQ(QualifyingSentenceRows(book), (std::vector<int>{2, 6, 8}));
    EXPECT_EQ(book.CurrentLesson, 0);

    // A lesson whose rows are not sentences still ends the scan at its end.
    OpenBook words;
    AddLesson(words, "U1", 1, 1);
    AddRow(words, 1, "word", "apple");
    AddRow(words, 2, "sent", "after the only lesson");
    words.CurrentPage = 1;
    EXPECT_TRUE(QualifyingSentenceRows(words).empty());
}

TEST(SentenceTestSelection, PlayOrderTakesTheShownItemsInDrawnOrder)
{
    uint32_t state = 0;
    RandomBelow(state, 1000);
    const std::vector<int> shown = ShuffledOrder(state, 5);
    EXPECT_EQ(shown, (std::vector<int>{0, 4, 1, 2, 3}));
    RandomBelow(state, 1000);
    EXPECT_EQ(ShuffledPlayOrder(state, shown), (std::vector<int>{0, 1, 2, 4, 3}));
    EXPECT_EQ(state, 2039224980u);
}

TEST(SentenceTestPacing, BuildListsInDisplayOrderAndPlaysInPlayOrder)
{
    Rig rig;
    const char* texts[] = {"s zero is here", "s one is here", "s two is here", "s three is here",
                           "s four is here"};
    for (int i = 0; i < 5; ++i)
        AddRow(rig.book, 1, "sent", texts[i], i == 1 ? "v2" : "v1", 10 * (i + 1), 10 * (i + 1) + 6);
    AddRow(rig.book, 3, "sent", "another lesson sentence here");

    rig.test->BuildSentenceTest(7);
    EXPECT_EQ(rig.state.ActiveMode, 1);
    // The clock reads 1000: one draw, the shuffle, one draw, the second shuffle.
    EXPECT_EQ(rig.view.labels,
              (std::vector<QString>{texts[0], texts[4], texts[1], texts[2], texts[3]}));
    EXPECT_EQ(rig.test->PlayRows(), (std::vector<int>{0, 1, 2, 4, 3}));
    EXPECT_EQ(rig.view.unit, QStringLiteral("当前单元:Unit 1:Title"));
    EXPECT_EQ(rig.player.start, 10);
    EXPECT_EQ(rig.player.position, 1000);
    EXPECT_EQ(rig.view.itemMax, 5);
    EXPECT_TRUE(rig.view.start);
    EXPECT_TRUE(rig.view.retest);

    rig.start();
    EXPECT_EQ(rig.state.TestState, 1);
    ASSERT_EQ(rig.player.cues.size(), 1u);
    EXPECT_EQ(rig.player.cues[0], QByteArray("/Start.wav"));
    EXPECT_FALSE(rig.view.start);
    EXPECT_TRUE(rig.view.stop);

    std::vector<QString> heard;
    for (int guard = 0; guard < 200 && rig.state.TestState != 0 && rig.state.TestState != -1;
         ++guard) {
        rig.test->Timer_PlayTimer();
        if (rig.state.TestState == 1 && rig.player.running &&
            (heard.empty() || heard.back() != rig.playing()))
            heard.push_back(rig.playing());
        rig.playPastEnd();
        rig.clock.advance(200);
    }
    EXPECT_EQ(heard, (std::vector<QString>{texts[0], texts[1], texts[2], texts[4], texts[3]}));
    EXPECT_EQ(rig.player.opened, (std::vector<QByteArray>{"v2", "v1"}))
        << "the second sentence switches the voice and the third switches back";
    EXPECT_EQ(rig.state.TestState, -1);
    EXPECT_EQ(rig.view.score, QStringLiteral("得分：0 分"));
    EXPECT_TRUE(rig.view.effect);
    EXPECT_FALSE(rig.view.start);
    EXPECT_TRUE(rig.view.retest);
    EXPECT_EQ(rig.player.cues.back(), QByteArray("/Succ.wav"));
}

TEST(SentenceTestPacing, ClicksDuplicatesAndTheScore)
{
    Rig rig;
    rig.settings.TestAreaSetting = 0;
    AddRow(rig.book, 1, "sent", "the same words here", "v1", 10, 16);
    AddRow(rig.book, 1, "sent", "the same words here", "v1", 20, 26);
    AddRow(rig.book, 2, "sent", "a different one here", "v1", 30, 36);
    rig.test->BuildSentenceTest(1);
    EXPECT_EQ(rig.view.unit, QStringLiteral("untouched")) << "testarea 0 leaves lbUnit";
    ASSERT_EQ(rig.view.labels.size(), 3u);

    rig.test->SentenceLabelClick(0);
    EXPECT_FALSE(rig.view.lime[0]) << "before Start a click does nothing";
    rig.start();
    rig.test->SentenceLabelClick(0);
    EXPECT_FALSE(rig.view.lime[0]) << "before the first tick there is no item";

    rig.test->Timer_PlayTimer(); // the first item starts
    const QString first = rig.playing();
    const QString other = first == QStringLiteral("a different one here")
                              ? QStringLiteral("the same words here")
                              : QStringLiteral("a different one here");
    rig.test->SentenceLabelClick(rig.labelOf(other));
    EXPECT_FALSE(rig.view.lime[size_t(rig.labelOf(other))]);
    EXPECT_EQ(rig.settings.WaitMs, 2000) << "a wrong click changes nothing";
    EXPECT_FALSE(rig.state.AnswerRight);

    // A right click during playback: the wait ends on the first tick after it.
    const int right = rig.labelOf(first);
    rig.test->SentenceLabelClick(right);
    EXPECT_TRUE(rig.view.lime[size_t(right)]);
    EXPECT_EQ(rig.settings.WaitMs, 10);
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestState, 1) << "still playing";
    rig.playPastEnd();
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestState, 2);
    rig.clock.advance(200);
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestPos, 1) << "the next sentence on the first tick after playback";
    EXPECT_EQ(rig.settings.WaitMs, 2000) << "the wait is read again";

    // Play the rest; click the last label of the duplicated text whenever
    // that text plays: both labels of the same text match.
    const int lastSame = rig.labelOf(QStringLiteral("the same words here"), true);
    while (rig.state.TestState == 1 || rig.state.TestState == 2) {
        if (rig.state.TestState == 1 && rig.playing() == QStringLiteral("the same words here"))
            rig.test->SentenceLabelClick(lastSame);
        rig.playPastEnd();
        rig.test->Timer_PlayTimer();
        rig.clock.advance(200);
        rig.test->Timer_PlayTimer();
        rig.clock.advance(2000);
        rig.test->Timer_PlayTimer();
    }
    EXPECT_TRUE(rig.view.lime[size_t(lastSame)]);
    // Two of the three labels are lime, whichever sentence came first.
    EXPECT_EQ(std::count(rig.view.lime.begin(), rig.view.lime.end(), true), 2);
    EXPECT_EQ(rig.view.score, QStringLiteral("得分：67 分"));
    EXPECT_EQ(rig.view.effectScore, 67);
}

TEST(SentenceTestPacing, GiveUpNewQuestionsBackAndNoSentence)
{
    Rig rig;
    AddRow(rig.book, 1, "sent", "one two three four");
    AddRow(rig.book, 1, "sent", "five six seven eight");
    rig.test->BuildSentenceTest(1);
    rig.start();
    rig.test->Timer_PlayTimer();
    rig.test->SbtStopTestingClick();
    EXPECT_EQ(rig.state.TestState, -1);
    EXPECT_FALSE(rig.view.start);
    EXPECT_TRUE(rig.view.retest);
    EXPECT_FALSE(rig.view.stop);
    EXPECT_FALSE(rig.player.running);

    const int clears = rig.view.clears;
    rig.test->SbtRetestClick();
    EXPECT_EQ(rig.view.clears, clears + 1);
    EXPECT_EQ(rig.view.labels.size(), 2u);
    EXPECT_TRUE(rig.view.start);
    EXPECT_TRUE(rig.view.retest);

    // A build while a test runs gives it up and enables Start.
    rig.start();
    rig.test->BuildSentenceTest(1);
    EXPECT_EQ(rig.state.TestState, -1);
    EXPECT_TRUE(rig.view.start);

    rig.test->SpeedButton12Click();
    EXPECT_EQ(rig.state.ActiveMode, -1);
    EXPECT_TRUE(rig.view.start) << "Back enables Start";
    EXPECT_TRUE(rig.view.closed);

    Rig empty;
    AddRow(empty.book, 1, "sent", "too short");
    empty.test->BuildSentenceTest(1);
    EXPECT_EQ(empty.state.ActiveMode, -1);
    EXPECT_TRUE(empty.view.labels.empty());
    empty.test->SbtStartTestingClick();
    EXPECT_EQ(empty.messages.shown.size(), 1u);
}

TEST(SentenceTestPacing, ClicksDuringTheStartCueAreIgnored)
{
    Rig rig;
    AddRow(rig.book, 1, "sent", "the first one here", "v1", 10, 16);
    AddRow(rig.book, 1, "sent", "the second one here", "v1", 20, 26);
    rig.test->BuildSentenceTest(1);
    rig.start();
    rig.test->Timer_PlayTimer();
    const int stale = rig.labelOf(rig.playing());
    rig.test->SbtStopTestingClick();
    rig.test->SbtRetestClick();
    // The new labels show the same texts; the one of the old item is
    // clicked while the cue sounds.
    rig.player.onCue = [&] { rig.test->SentenceLabelClick(stale); };
    rig.start();
    EXPECT_FALSE(rig.view.lime[size_t(stale)]);
    EXPECT_FALSE(rig.state.AnswerRight);
    EXPECT_EQ(rig.settings.WaitMs, 2000);
}

// The record of a sentence test: the lesson it covers, each item with the
// last sentence clicked while it was asked (a wrong click, then the right
// one, or nothing) and its time to the right click, and the finish with
// its score.
TEST(SentenceTestRecord, EachItemKeepsTheLastSentenceClickedAndItsTime)
{
    Rig rig;
    AddRow(rig.book, 1, "sent", "first one is here", "v1", 10, 16);
    AddRow(rig.book, 1, "sent", "second one is here", "v1", 20, 26);
    rig.test->BuildSentenceTest(1);
    rig.start();
    ASSERT_EQ(rig.journal.tests.size(), 1u);
    EXPECT_EQ(rig.journal.tests[0].Mode, RecordedMode::Sentence);
    EXPECT_EQ(rig.journal.tests[0].Place.Lesson, QStringLiteral("Unit 1"));
    EXPECT_EQ(rig.journal.tests[0].Items, 2);

    rig.test->Timer_PlayTimer(); // the first item plays
    const QString first = rig.playing();
    const QString other = first.startsWith("first") ? "second one is here" : "first one is here";
    rig.clock.advance(400);
    rig.test->SentenceLabelClick(rig.labelOf(other));
    rig.clock.advance(300);
    rig.test->SentenceLabelClick(rig.labelOf(first));
    rig.clock.advance(500);
    rig.playPastEnd();
    rig.test->Timer_PlayTimer();
    rig.clock.advance(10);
    rig.test->Timer_PlayTimer(); // closed; the second plays, nothing clicked
    rig.playPastEnd();
    rig.test->Timer_PlayTimer();
    rig.clock.advance(2000);
    rig.test->Timer_PlayTimer();

    ASSERT_EQ(rig.journal.items.size(), 2u);
    EXPECT_EQ(rig.journal.items[0].Item, first);
    EXPECT_EQ(rig.journal.items[0].Typed, first);
    EXPECT_TRUE(rig.journal.items[0].Right);
    EXPECT_EQ(rig.journal.items[0].Ms, 700);
    EXPECT_TRUE(rig.journal.items[1].Typed.isEmpty());
    EXPECT_FALSE(rig.journal.items[1].Right);
    EXPECT_EQ(rig.journal.tests[0].RightItems, 1);
    EXPECT_EQ(rig.journal.tests[0].Score, 50);
}
