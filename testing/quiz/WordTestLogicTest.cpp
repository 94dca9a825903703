// The word test engine over fakes: the generator and the shuffle, the cut
// to the configured count, which rows qualify, and the pacing state machine
// of dictation and memorising with its history updates and finish.

#include "book/Gbk.h"
#include "quiz/WordHistoryError.h"
#include "quiz/WordTestController.h"
#include "quiz/WordTestSelection.h"
#include "support/FakeModeViews.h"
#include "support/TableRows.h"
#include "support/TestFlowRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace zarelo;

namespace {

void AddRow(OpenBook& book, int page, QByteArrayView kind, QByteArrayView english,
            const QString& chinese = QStringLiteral("中文"), QByteArrayView voice = "v1",
            double start = 0, double end = 5)
{
    fakes::AddEntry(book, page, kind, english, chinese, voice, start, end);
}

using fakes::AddLesson;

std::vector<QString> Words(const OpenBook& book, const std::vector<int>& rows)
{
    std::vector<QString> out;
    for (int row : rows)
        out.push_back(fromGbk(book.Content.Sentences.EnglishText[row]));
    return out;
}

} // namespace

TEST(WordTestRandom, KnownStateGivesKnownDrawsAndOrder)
{
    uint32_t state = 0;
    EXPECT_EQ(RandomBelow(state, 1000), 0u);
    EXPECT_EQ(RandomBelow(state, 1000), 31u);
    EXPECT_EQ(RandomBelow(state, 1000), 861u);
    EXPECT_EQ(RandomBelow(state, 7), 1u);
    EXPECT_EQ(RandomBelow(state, 0xFFFFFFFFu), 1172187916u);
    EXPECT_EQ(state, 1172187917u);

    state = 0;
    EXPECT_EQ(ShuffledOrder(state, 8), (std::vector<int>{0, 1, 7, 3, 4, 6, 2, 5}));
    EXPECT_EQ(state, 694906232u);
    EXPECT_TRUE(ShuffledOrder(state, 0).empty());
}

TEST(WordTestRandom, TickCountAdvancesByItsRemainderModuloThousand)
{
    uint32_t state = 0;
    AdvanceByTicks(state, 1999); // t = 999: a thousand draws
    EXPECT_EQ(state, 1995684248u);
    EXPECT_EQ(ShuffledOrder(state, 6), (std::vector<int>{3, 5, 0, 1, 4, 2}));

    uint32_t again = 0;
    AdvanceByTicks(again, 7999);
    EXPECT_EQ(again, 1995684248u) << "only the remainder counts";
    uint32_t once = 0;
    AdvanceByTicks(once, 5000); // t = 0: one draw
    EXPECT_EQ(once, 1u);
    uint32_t none = 0;
    AdvanceByTicks(none, 0xFFFFFFFFu); // -1 as a signed tick: no draw
    EXPECT_EQ(none, 0u);
}

TEST(WordTestSelection, CutKeepsTheConfiguredNumberOfItems)
{
    const auto cut = [](int count, const QString& setting) {
        std::vector<int> order(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            order[size_t(i)] = 100 + i;
        const int maximum = TrunckOrderedTestSentences(order, setting);
        for (size_t i = 0; i < order.size(); ++i)
            EXPECT_EQ(order[i], 100 + int(i)) << "the first entries are kept";
        return std::pair{int(order.size()), maximum};
    };
    const QString ten = QStringLiteral("十个"), fifteen = QStringLiteral("十五个"),
                  twenty = QStringLiteral("二十个"), all = QStringLiteral("全部");
    using P = std::pair<int, int>;
    EXPECT_EQ(cut(9, ten), (P{9, 9}));
    EXPECT_EQ(cut(9, QString()), (P{9, 9}));
    EXPECT_EQ(cut(10, ten), (P{10, 10}));
    EXPECT_EQ(cut(11, ten), (P{10, 10}));
    EXPECT_EQ(cut(21, ten), (P{10, 10}));
    EXPECT_EQ(cut(11, fifteen), (P{11, 11}));
    EXPECT_EQ(cut(15, fifteen), (P{15, 15}));
    EXPECT_EQ(cut(16, fifteen), (P{15, 15}));
    EXPECT_EQ(cut(20, twenty), (P{20, 20}));
    EXPECT_EQ(cut(21, twenty), (P{20, 20}));
    EXPECT_EQ(cut(16, twenty), (P{16, 16}));
    EXPECT_EQ(cut(21, all), (P{21, 21}));
    EXPECT_EQ(cut(21, QString()), (P{21, -1})) << "empty setting: all, maximum unchanged";
}

TEST(WordTestSelection, QualifyingRowsFollowTheAreaAndTheHistory)
{
    OpenBook book;
    AddRow(book, 1, "word", "early");                // 0: page 1, lesson 0
    AddRow(book, 2, "word", "apple");                // 1: lesson 1
    AddRow(book, 2, "sent", "Good morning");         // 2: a sentence
    AddRow(book, 2, "Word", "kind");                 // 3: Kind must be exactly "word"
    AddRow(book, 2, "word", "");                     // 4: no English
    AddRow(book, 3, "word", "nochinese", QString()); // 5: no Chinese
    AddRow(book, 3, "word", "don't");                // 6: apostrophes are ordinary
    AddRow(book, 3, "word", "  passed  ");           // 7: passed in the history
    AddRow(book, 5, "word", "later");                // 8: after the lesson
    AddRow(book, 2, "word", "back");                 // 9: in the lesson again
    AddLesson(book, "Lesson 1", 1, 1);
    AddLesson(book, "Lesson 2", 2, 3);

    std::vector<QString> looked;
    const auto history = [&](const QString& word) {
        looked.push_back(word);
        return word != QStringLiteral("passed");
    };

    EXPECT_EQ(Words(book, QualifyingWordRows(book, 0, history)),
              (std::vector<QString>{"early", "apple", "don't", "later", "back"}));
    EXPECT_NE(std::find(looked.begin(), looked.end(), QStringLiteral("passed")), looked.end())
        << "the history is asked with the trimmed word";

    book.CurrentPage = 3;
    const std::vector<int> lesson = QualifyingWordRows(book, 1, history);
    EXPECT_EQ(book.CurrentLesson, 1);
    EXPECT_EQ(Words(book, lesson), (std::vector<QString>{"apple", "don't"}))
        << "row 0 lies before the lesson and is skipped; row 8 ends the scan";

    // A lesson whose pages hold no qualifying word: nothing.
    book.CurrentPage = 1;
    const auto nobody = [](const QString&) { return false; };
    EXPECT_TRUE(QualifyingWordRows(book, 1, nobody).empty());
    EXPECT_TRUE(QualifyingWordRows(book, 2, history).empty()) << "another area value: no row";
}

namespace {

using FakeView = fakes::FakeWordTestView;

class FakeHistory final : public WordHistory {
public:
    std::map<QString, bool> passed;
    std::vector<QString> right, wrong;
    int failures = 0; // the next updates that fail, as a row that cannot be updated
    bool IsNotPassedWord(const QString& word) override { return !passed[word]; }
    std::vector<ItemAnswer> answers; // the record rows written with the counters
    void RecordRightAnswer(const QString& w, QObject*, const ItemAnswer& a) override
    {
        record(right, w, a);
    }
    void RecordWrongAnswer(const QString& w, QObject*, const ItemAnswer& a) override
    {
        record(wrong, w, a);
    }

private:
    void record(std::vector<QString>& words, const QString& word, const ItemAnswer& answer)
    {
        if (failures > 0) {
            --failures;
            throw WordHistoryError(QStringLiteral("“%1”的记录无法更新").arg(word));
        }
        words.push_back(word);
        answers.push_back(answer);
    }
};

struct Rig : fakes::TestFlowRig<WordTestController, FakeView> {
    FakeHistory history;

    explicit Rig(bool cueFiles = true) : TestFlowRig(0, cueFiles)
    {
        test = std::make_unique<WordTestController>(context(), view, player, history);
    }

    // The current item's English word.
    QString word() const { return currentEnglish(); }
};

} // namespace

TEST(WordTestPacing, DictationPlaysWaitsChecksAndFinishes)
{
    Rig rig;
    AddRow(rig.book, 1, "word", " apple ", QStringLiteral("苹果"), "v1", 10, 16);
    AddRow(rig.book, 1, "word", "pear", QStringLiteral("梨"), "V1", 20, 26);
    AddRow(rig.book, 1, "word", "plum", QStringLiteral("李子"), "v2", 30, 36);
    rig.view.dispChecked = true;

    rig.test->BuildWordTest(2);
    EXPECT_EQ(rig.state.ActiveMode, 2);
    EXPECT_EQ(rig.view.title, QStringLiteral("听写单词"));
    EXPECT_TRUE(rig.view.dispVisible);
    EXPECT_FALSE(rig.view.voiceVisible);
    EXPECT_EQ(rig.view.count, QStringLiteral("本次测试单词共3个"));
    EXPECT_EQ(rig.view.itemMax, 3);
    EXPECT_TRUE(rig.view.start);
    EXPECT_FALSE(rig.view.stop || rig.view.retest || rig.view.showError);
    const int first = rig.state.TestCandidates[size_t(rig.state.TestOrder[0])];
    EXPECT_EQ(rig.player.position,
              rig.player.Bytes(rig.book.Content.Sentences.StartTime[first] / 10))
        << "the stream stands at the first item";

    rig.start();
    EXPECT_EQ(rig.state.TestState, 3);
    EXPECT_TRUE(rig.player.playing);
    EXPECT_EQ(rig.player.cues, (std::vector<QByteArray>{"/Start.wav"}));
    EXPECT_TRUE(rig.view.stop);
    EXPECT_FALSE(rig.view.start || rig.view.retest || rig.view.showError);
    EXPECT_EQ(rig.view.score, QStringLiteral("总分：        "));
    EXPECT_TRUE(rig.view.timer);

    // First tick: the first item starts playing.
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestPos, 0);
    EXPECT_TRUE(rig.player.running);
    EXPECT_EQ(rig.view.timeMax, 2000 + 600);
    EXPECT_EQ(rig.view.chinese,
              fromGbk(rig.book.Content.Sentences.ChineseText[rig.test->CurrentRow()]));

    // Right during playback (case and outer blanks ignored): the wait after
    // playback ends at the next tick.
    rig.view.edit = QStringLiteral("  ") + rig.word().trimmed().toUpper() + QStringLiteral(" ");
    rig.test->EdtEnterWordKeyPress();
    EXPECT_EQ(rig.view.mark, QStringLiteral("√"));
    EXPECT_EQ(rig.settings.WaitMs, 10);
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestState, 3) << "still playing";
    rig.playPastEnd();
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestState, 4);
    EXPECT_FALSE(rig.player.running);
    rig.clock.advance(10);
    const QString firstWord = rig.word().trimmed();
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestState, 3);
    EXPECT_EQ(rig.state.TestPos, 1);
    EXPECT_EQ(rig.view.itemPos, 1);
    EXPECT_EQ(rig.history.right, (std::vector<QString>{firstWord}));
    EXPECT_EQ(rig.settings.WaitMs, 2000) << "the next item waits as set";
    EXPECT_TRUE(rig.player.running);

    // Second item: a wrong Enter shows the word, a right one then counts.
    rig.view.edit = QStringLiteral("a pple");
    rig.test->EdtEnterWordKeyPress();
    EXPECT_EQ(rig.view.mark, QStringLiteral("╳"));
    EXPECT_EQ(rig.view.expected, rig.word());
    rig.view.edit = rig.word();
    rig.test->EdtEnterWordKeyPress();
    EXPECT_EQ(rig.view.mark, QStringLiteral("√"));
    rig.playPastEnd();
    rig.test->Timer_PlayTimer();
    rig.clock.advance(10);
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.history.right.size(), 2u);
    EXPECT_EQ(rig.state.TestPos, 2);

    // Third item: no answer; the wait lasts WaitMs.
    const QString third = rig.word().trimmed();
    const QString thirdChinese =
        fromGbk(rig.book.Content.Sentences.ChineseText[rig.test->CurrentRow()]);
    rig.view.edit = QStringLiteral("wrong");
    rig.playPastEnd();
    rig.test->Timer_PlayTimer();
    ASSERT_EQ(rig.state.TestState, 4);
    rig.clock.advance(1500);
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestState, 4) << "1.5 s of a 2 s wait";
    rig.clock.advance(600);
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestState, -1) << "finished, then given up by the finish effect";
    EXPECT_EQ(rig.history.wrong, (std::vector<QString>{third}));
    ASSERT_EQ(rig.state.Answers.size(), 1u);
    EXPECT_EQ(rig.state.Answers[0].AnswerStandard, third);
    EXPECT_EQ(rig.state.Answers[0].AnswerInput, QStringLiteral("wrong"));
    EXPECT_EQ(rig.state.Answers[0].AnswerChinese, thirdChinese);
    EXPECT_EQ(rig.player.cues.back(), QByteArray("/Succ.wav"));
    EXPECT_EQ(rig.state.TestScore, 67);
    EXPECT_EQ(rig.view.score, QStringLiteral("得分：67 分"));
    EXPECT_TRUE(rig.view.effect);
    EXPECT_EQ(rig.view.effectScore, 67);
    EXPECT_EQ(rig.view.mark, QStringLiteral("  "));
    EXPECT_TRUE(rig.view.showError && rig.view.retest);
    EXPECT_FALSE(rig.view.start || rig.view.stop);
    EXPECT_TRUE(rig.view.timer) << "the pacing timer idles on";

    // Enter after the end does nothing.
    rig.view.mark.clear();
    rig.test->EdtEnterWordKeyPress();
    EXPECT_TRUE(rig.view.mark.isEmpty());
}

TEST(WordTestPacing, ItemsOfAnotherVoiceSwitchTheVoice)
{
    Rig rig;
    for (int i = 0; i < 4; ++i)
        AddRow(rig.book, 1, "word", "w" + QByteArray::number(i), QStringLiteral("中"),
               i % 2 ? "voiceB" : "voiceA", 10.0 * i, 10.0 * i + 6);
    rig.book.CurrentVoiceName = rig.book.LoadedVoiceName = "VOICEA";
    rig.test->BuildWordTest(2);
    rig.start();
    rig.test->Timer_PlayTimer();
    std::vector<QByteArray> expected;
    QByteArray current = "VOICEA";
    const auto voiceOf = [&] {
        return rig.book.Content.Sentences.VoiceName[rig.test->CurrentRow()].toByteArray();
    };
    if (voiceOf().toUpper() != current) {
        current = voiceOf().toUpper();
        expected.push_back(voiceOf());
    }
    for (int item = 1; item < 4; ++item) {
        rig.playPastEnd();
        rig.test->Timer_PlayTimer();
        rig.clock.advance(2000);
        rig.test->Timer_PlayTimer();
        ASSERT_EQ(rig.state.TestPos, item);
        if (voiceOf().toUpper() != current) {
            current = voiceOf().toUpper();
            expected.push_back(voiceOf());
        }
        EXPECT_EQ(rig.book.CurrentVoiceName, voiceOf());
        EXPECT_EQ(rig.book.LoadedVoiceName, voiceOf());
        const SentenceTable& t = rig.book.Content.Sentences;
        EXPECT_EQ(rig.player.position, rig.player.Bytes(t.StartTime[rig.test->CurrentRow()] / 10))
            << "the item starts at its own start";
        EXPECT_TRUE(rig.player.running);
    }
    EXPECT_EQ(rig.player.opened, expected);
    EXPECT_GE(expected.size(), 2u) << "the shuffle mixes the two voices";
}

TEST(WordTestPacing, MemorisingWithAndWithoutVoice)
{
    for (bool voice : {false, true}) {
        SCOPED_TRACE(voice ? "with voice" : "without voice");
        Rig rig;
        AddRow(rig.book, 1, "word", "one", QStringLiteral("一"), "v1", 10, 16);
        AddRow(rig.book, 1, "word", "two", QStringLiteral("二"), "v1", 20, 26);
        rig.view.voiceChecked = voice;
        rig.test->BuildWordTest(3);
        EXPECT_EQ(rig.view.title, QStringLiteral("背单词"));
        EXPECT_TRUE(rig.view.voiceVisible);
        EXPECT_FALSE(rig.view.dispVisible);
        rig.start();
        EXPECT_EQ(rig.state.TestState, 5);

        rig.test->Timer_PlayTimer();
        EXPECT_EQ(rig.view.chinese,
                  fromGbk(rig.book.Content.Sentences.ChineseText[rig.test->CurrentRow()]))
            << "the meaning is shown";
        EXPECT_EQ(rig.player.running, voice) << "without voice nothing plays";
        if (voice) {
            EXPECT_EQ(rig.state.TestState, 5) << "showing until the voice ends";
            EXPECT_EQ(rig.view.timeMax, 2600);
            rig.playPastEnd();
            rig.test->Timer_PlayTimer();
        } else {
            EXPECT_EQ(rig.view.timeMax, 2000);
        }
        EXPECT_EQ(rig.state.TestState, 6);
        EXPECT_FALSE(rig.player.running) << "the wait begins with the voice stopped";
        rig.clock.advance(1990);
        rig.test->Timer_PlayTimer();
        EXPECT_EQ(rig.state.TestState, 6);
        rig.clock.advance(20);
        rig.test->Timer_PlayTimer();
        EXPECT_EQ(rig.state.TestState, 5);
        EXPECT_EQ(rig.state.TestPos, 1);
        EXPECT_EQ(rig.player.running, voice) << "the second item's voice plays only with voice";

        rig.view.edit = rig.word();
        rig.test->EdtEnterWordKeyPress();
        if (voice) {
            rig.playPastEnd();
            rig.test->Timer_PlayTimer();
        } else {
            rig.test->Timer_PlayTimer();
        }
        ASSERT_EQ(rig.state.TestState, 6);
        rig.clock.advance(10);
        rig.test->Timer_PlayTimer();
        EXPECT_EQ(rig.state.TestState, -1);
        EXPECT_EQ(rig.view.mark, QStringLiteral(" "));
        EXPECT_EQ(rig.history.right.size(), 1u);
        EXPECT_EQ(rig.history.wrong.size(), 1u);
        EXPECT_EQ(rig.view.score, QStringLiteral("得分：50 分"));
    }
}

TEST(WordTestPacing, BuildGiveUpAndNewQuestions)
{
    Rig rig;
    // Nothing qualifies: ActiveMode -1, the window untouched.
    rig.history.passed[QStringLiteral("only")] = true;
    AddRow(rig.book, 1, "word", "only");
    rig.view.title = QStringLiteral("before");
    rig.view.count = QStringLiteral("本次测试单词共5个");
    rig.test->BuildWordTest(2);
    EXPECT_EQ(rig.state.ActiveMode, -1);
    EXPECT_EQ(rig.view.title, QStringLiteral("听写单词")) << "the title is set before the count";
    EXPECT_EQ(rig.view.count, QStringLiteral("本次测试单词共5个")) << "the count is left";
    rig.start();
    EXPECT_EQ(rig.messages.texts(), QStringList{QStringLiteral("没有测试内容！         ")});

    AddRow(rig.book, 1, "word", "again");
    rig.test->BuildWordTest(2);
    EXPECT_EQ(rig.state.ActiveMode, 2);
    rig.start();
    rig.test->Timer_PlayTimer();
    rig.test->SbtStopTestingClick();
    EXPECT_EQ(rig.state.TestState, -1);
    EXPECT_FALSE(rig.player.running);
    EXPECT_TRUE(rig.view.retest);
    EXPECT_FALSE(rig.view.start || rig.view.stop || rig.view.showError);
    rig.test->Timer_PlayTimer(); // idles in state -1
    EXPECT_EQ(rig.state.TestState, -1);

    rig.test->SbtRetestClick();
    EXPECT_EQ(rig.state.ActiveMode, 2);
    EXPECT_TRUE(rig.view.start);
    EXPECT_FALSE(rig.view.stop || rig.view.retest || rig.view.showError);

    // A build while a test runs gives it up and leaves new questions on.
    rig.start();
    rig.test->BuildWordTest(2);
    EXPECT_EQ(rig.state.TestState, -1);
    EXPECT_TRUE(rig.view.start && rig.view.retest);

    // The read-aloud view took the player: the timer switches itself off.
    rig.start();
    rig.state.ActiveMode = -1;
    rig.test->Timer_PlayTimer();
    EXPECT_FALSE(rig.view.timer);
    EXPECT_FALSE(rig.player.playing);
}

TEST(WordTestPacing, CueSoundFailuresCostOnlyTheSound)
{
    Rig silent(false); // no cue files
    AddRow(silent.book, 1, "word", "one");
    silent.test->BuildWordTest(2);
    silent.start();
    EXPECT_TRUE(silent.player.cues.empty());
    EXPECT_TRUE(silent.messages.shown.isEmpty());
    EXPECT_EQ(silent.state.TestState, 3) << "the test starts without its sound";
    EXPECT_TRUE(silent.view.timer);

    Rig broken;
    broken.player.cuePlays = false;
    AddRow(broken.book, 1, "word", "one");
    broken.test->BuildWordTest(2);
    broken.start();
    EXPECT_EQ(broken.messages.texts(), QStringList{QStringLiteral("音频播放出错！")});
    EXPECT_EQ(broken.state.TestState, 3);
    EXPECT_TRUE(broken.view.timer);
}

TEST(WordTestPacing, EveryWrongAnswerIsKept)
{
    Rig rig;
    rig.settings.WordNumberSetting = QStringLiteral("全部");
    for (int i = 0; i < 230; ++i)
        AddRow(rig.book, 1, "word", "w" + QByteArray::number(i));
    rig.settings.WaitTimeSetting = 0;
    rig.test->BuildWordTest(3);
    rig.start();
    for (int guard = 0; guard < 1000 && rig.state.TestState != -1; ++guard) {
        rig.test->Timer_PlayTimer();
        rig.clock.advance(1);
    }
    EXPECT_EQ(rig.state.TestState, -1);
    EXPECT_EQ(rig.state.Answers.size(), 230u);
    EXPECT_EQ(rig.history.wrong.size(), 230u);
    EXPECT_EQ(rig.view.score, QStringLiteral("得分：0 分"));
}

TEST(WordTestPacing, InputDuringTheStartCueIsIgnored)
{
    Rig rig;
    AddRow(rig.book, 1, "word", "apple", QStringLiteral("苹果"), "v1", 10, 16);
    AddRow(rig.book, 1, "word", "pear", QStringLiteral("梨"), "v1", 20, 26);
    // A memorising test without voice, given up at its first item; the next
    // one starts with that item's word typed during its cue.
    rig.test->BuildWordTest(3);
    rig.start();
    rig.test->Timer_PlayTimer();
    const QString stale = rig.word();
    rig.test->SbtStopTestingClick();
    rig.test->SbtRetestClick();
    rig.player.onCue = [&] {
        rig.view.edit = stale;
        rig.test->EdtEnterWordKeyPress();
    };
    rig.start();
    EXPECT_EQ(rig.view.mark, QString()) << "no item is asked during the cue";
    EXPECT_FALSE(rig.state.AnswerRight);
    EXPECT_EQ(rig.settings.WaitMs, 2000);

    // The first item then waits its whole time for an answer.
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestState, 6);
    rig.clock.advance(1000);
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.state.TestPos, 0);
    EXPECT_TRUE(rig.state.Answers.empty());
}

TEST(WordTestPacing, AnItemClosesOnceWhenItsHistoryUpdateFails)
{
    for (const bool right : {true, false}) {
        SCOPED_TRACE(right ? "right answer" : "wrong answer");
        Rig rig;
        AddRow(rig.book, 1, "word", "apple", QStringLiteral("苹果"), "v1", 10, 16);
        rig.test->BuildWordTest(2);
        rig.start();
        rig.test->Timer_PlayTimer();
        rig.view.edit = right ? QStringLiteral("apple") : QStringLiteral("aple");
        rig.test->EdtEnterWordKeyPress();
        rig.playPastEnd();
        rig.test->Timer_PlayTimer();
        rig.history.failures = 1;
        rig.clock.advance(2000);
        EXPECT_THROW(rig.test->Timer_PlayTimer(), WordHistoryError) << "reported once";
        for (int i = 0; i < 20; ++i) {
            rig.clock.advance(200);
            EXPECT_NO_THROW(rig.test->Timer_PlayTimer());
        }
        EXPECT_EQ(rig.state.TestState, -1) << "the test finished";
        EXPECT_EQ(rig.view.score,
                  right ? QStringLiteral("得分：100 分") : QStringLiteral("得分：0 分"));
        EXPECT_EQ(rig.state.Answers.size(), right ? 0u : 1u);
        EXPECT_TRUE(rig.history.right.empty() && rig.history.wrong.empty());
        EXPECT_EQ(rig.player.cues.back(), QByteArray("/Succ.wav"));
    }
}

// The record of a run: the test begins when its first item may begin, each
// item is written with its counters (typed text, right or wrong, the time
// from its start to the right answer or to its close), and the test ends
// once, finished with its score or given up without one.
TEST(WordTestRecord, EachItemIsRecordedWithItsCountersAndTheTestEndsOnce)
{
    Rig rig;
    AddRow(rig.book, 1, "word", "apple", QStringLiteral("苹果"), "v1", 10, 16);
    AddRow(rig.book, 1, "word", "pear", QStringLiteral("梨"), "v1", 20, 26);
    rig.book.CurrentPublisher = QStringLiteral("Pub");
    rig.book.CurrentBook = QStringLiteral("Book");

    rig.test->BuildWordTest(2);
    EXPECT_TRUE(rig.journal.tests.empty()) << "a built test that never starts is not recorded";
    rig.start();
    ASSERT_EQ(rig.journal.tests.size(), 1u);
    EXPECT_EQ(rig.journal.tests[0].Mode, RecordedMode::Dictation);
    EXPECT_EQ(rig.journal.tests[0].Place.Publisher, QStringLiteral("Pub"));
    EXPECT_TRUE(rig.journal.tests[0].Place.Lesson.isEmpty()) << "the whole book";
    EXPECT_EQ(rig.journal.tests[0].Items, 2);

    rig.test->Timer_PlayTimer(); // the first item starts
    const QString first = rig.word();
    rig.clock.advance(700);
    rig.view.edit = first.toUpper();
    rig.test->EdtEnterWordKeyPress();
    rig.clock.advance(900); // after the right answer: not counted
    rig.playPastEnd();
    rig.test->Timer_PlayTimer();
    rig.clock.advance(10);
    rig.test->Timer_PlayTimer(); // closes the first item, the second starts
    const QString second = rig.word();
    rig.clock.advance(1200);
    rig.view.edit = QStringLiteral(" pare ");
    rig.playPastEnd();
    rig.test->Timer_PlayTimer();
    rig.clock.advance(2000);
    rig.test->Timer_PlayTimer(); // closes the second: finished

    ASSERT_EQ(rig.history.answers.size(), 2u);
    const ItemAnswer& right = rig.history.answers[0];
    EXPECT_EQ(right.Test, 1);
    EXPECT_EQ(right.Item, first);
    EXPECT_EQ(right.Typed, first.toUpper());
    EXPECT_TRUE(right.Right);
    EXPECT_EQ(right.Ms, 700);
    const ItemAnswer& wrong = rig.history.answers[1];
    EXPECT_EQ(wrong.Item, second);
    EXPECT_EQ(wrong.Typed, QStringLiteral("pare"));
    EXPECT_FALSE(wrong.Right);
    EXPECT_EQ(wrong.Ms, 3200);
    EXPECT_EQ(rig.journal.tests[0].RightItems, 1);
    EXPECT_EQ(rig.journal.tests[0].Score, 50);

    // A second run given up after one item: ended once, without a score.
    rig.test->SbtRetestClick();
    rig.start();
    rig.test->Timer_PlayTimer();
    rig.test->SbtStopTestingClick();
    ASSERT_EQ(rig.journal.tests.size(), 2u);
    EXPECT_EQ(rig.journal.tests[1].RightItems, 0);
    EXPECT_FALSE(rig.journal.tests[1].Score);
    rig.test->Leave(); // nothing more to end
}

// "错词听写": the next dictation asks exactly the words given (each word's
// first entry, not cut to the configured number), is recorded as a
// wrong-word dictation of the whole book, and new questions asks the same
// words; the next ordinary dictation is ordinary again.
TEST(WordTestRecord, AWrongWordDictationAsksExactlyItsWords)
{
    Rig rig;
    for (int i = 0; i < 14; ++i)
        AddRow(rig.book, 1, "word", "w" + QByteArray::number(i), QStringLiteral("词"), "v1", 10 * i,
               10 * i + 6);
    AddRow(rig.book, 2, "word", "w3", QStringLiteral("词"), "v1", 200, 206); // a second entry
    QStringList words;
    for (int i = 0; i < 12; ++i)
        words << "W" + QString::number(i);
    words << QStringLiteral("absent");
    rig.settings.TestAreaSetting = 1;

    rig.test->AskWordsNext(words);
    ASSERT_TRUE(rig.test->Enter(Mode::Dictation));
    EXPECT_EQ(rig.view.title, QStringLiteral("错词听写"));
    EXPECT_EQ(rig.state.ActiveMode, 2);
    EXPECT_EQ(rig.test->ItemCount(), 12) << "not cut to ten; the absent word left out";
    std::vector<int> asked = rig.state.TestCandidates;
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    rig.start();
    ASSERT_EQ(rig.journal.tests.size(), 1u);
    EXPECT_EQ(rig.journal.tests[0].Mode, RecordedMode::WrongWords);
    EXPECT_TRUE(rig.journal.tests[0].Place.Lesson.isEmpty());

    rig.test->SbtRetestClick();
    EXPECT_EQ(rig.view.title, QStringLiteral("错词听写"));
    EXPECT_EQ(rig.test->ItemCount(), 12);

    rig.test->Leave();
    rig.settings.TestAreaSetting = 0;
    ASSERT_TRUE(rig.test->Enter(Mode::Dictation));
    EXPECT_EQ(rig.view.title, QStringLiteral("听写单词"));
    EXPECT_EQ(rig.test->ItemCount(), 10);
}
