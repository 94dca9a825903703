// The mode owner over the real read-aloud and test controllers, their views
// and the voice player replaced by fakes: whatever mode replaces whatever
// other, with a voice playing or during a test's start cue, at most the voice
// of the mode on show plays and no hidden view keeps its pacing; a modal
// window that borrows the player hands a running test back where it was.

#include "shell/ModeOwner.h"
#include "support/FakeModeViews.h"
#include "support/FakeVoice.h"
#include "support/ManualClock.h"
#include "support/ScriptedMessages.h"
#include "support/TableRows.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zarelo;

namespace {

constexpr Mode kModes[] = {Mode::ReadAloud, Mode::Dictation, Mode::Memorise, Mode::SentenceTest};

const char* Name(Mode mode)
{
    switch (mode) {
    case Mode::ReadAloud:
        return "reading";
    case Mode::Dictation:
        return "dictation";
    case Mode::Memorise:
        return "memorising";
    case Mode::SentenceTest:
        return "sentence test";
    default:
        return "none";
    }
}

class History final : public WordHistory {
public:
    bool allPassed = false; // no word is offered
    bool IsNotPassedWord(const QString&) override { return !allPassed; }
    void RecordRightAnswer(const QString&, QObject*, const ItemAnswer&) override {}
    void RecordWrongAnswer(const QString&, QObject*, const ItemAnswer&) override {}
};

// The main window's part: the three views' controllers, made at once.
struct Program final : ModeHost {
    QTemporaryDir folder; // the cue sounds
    OpenBook book;
    SharedTestState state;
    TestSettings settings;
    fakes::ScriptedMessages messages;
    fakes::ManualClock clock{1000, 0};
    fakes::FakeVoice voice{book};
    History history;
    fakes::FakeReadingView readingView;
    fakes::FakeWordTestView wordView;
    fakes::FakeSentenceTestView sentenceView;
    WordTestContext context{book, state, settings, messages, clock, folder.path(), [this] {
                                settings.WaitMs = settings.WaitTimeSetting * 1000;
                            }};
    ReadingController reading{book, state, clock, readingView, readingView, voice};
    WordTestController words{context, wordView, voice, history};
    SentenceTestController sentences{context, sentenceView, voice};
    ModeOwner owner{state, *this};
    QList<Mode> views; // shown, in order

    Program()
    {
        for (const char* name : {"/Start.wav", "/Succ.wav"}) {
            QFile cue(folder.path() + QLatin1String(name));
            cue.open(QIODevice::WriteOnly);
            cue.write(name);
        }
        readingView.book = &book;
        wordView.voiceChecked = true; // memorising plays its words too
        state.TestState = -1;
        settings.TestAreaSetting = 1;
        settings.WordNumberSetting = QStringLiteral("十个");
        settings.WaitTimeSetting = 2;
        settings.WaitMs = 2000;
        book.CurrentPage = 1;
        book.CurrentVoiceName = book.LoadedVoiceName = "w";
        fakes::AddEntry(book, 1, "word", "apple", QStringLiteral("苹果"), "w", 10, 16);
        fakes::AddEntry(book, 1, "word", "pear", QStringLiteral("梨"), "w", 20, 26);
        fakes::AddEntry(book, 2, "sent", "This is my pen.", QStringLiteral("中文"), "s", 30, 50);
        fakes::AddEntry(book, 2, "sent", "I like red apples.", QStringLiteral("中文"), "s", 60, 80);
        fakes::AddLesson(book, "Unit 1", 1, 2);
    }

    ModeSession& SessionOf(Mode mode) override
    {
        switch (mode) {
        case Mode::Dictation:
        case Mode::Memorise:
            return words;
        case Mode::SentenceTest:
            return sentences;
        default:
            return reading;
        }
    }
    void ShowView(Mode mode) override { views << mode; }

    bool pacing(Mode mode) const
    {
        if (mode == Mode::ReadAloud)
            return readingView.timer;
        return mode == Mode::SentenceTest ? sentenceView.timer : wordView.timer;
    }
    void start(Mode mode)
    {
        clock.setStepPerRead(25); // the cue's second passes in 40 readings
        if (mode == Mode::SentenceTest)
            sentences.SbtStartTestingClick();
        else
            words.SbtStartTestingClick();
        clock.setStepPerRead(0);
    }
    void tick(Mode mode)
    {
        if (mode == Mode::SentenceTest)
            sentences.Timer_PlayTimer();
        else if (mode == Mode::ReadAloud)
            reading.Timer_PlayTimer();
        else
            words.Timer_PlayTimer();
    }
    // `mode` on show with its voice sounding: an entry clicked, or a test's
    // first item asked.
    void playIn(Mode mode)
    {
        owner.Show(mode);
        if (mode == Mode::ReadAloud) {
            reading.PagePressed(0);
        } else {
            start(mode);
            tick(mode);
        }
        ASSERT_TRUE(voice.running) << Name(mode);
    }
};

} // namespace

TEST(ModeOwner, ShowingAModeStopsTheVoiceOfTheModeItReplaces)
{
    for (Mode from : kModes) {
        for (Mode to : kModes) {
            SCOPED_TRACE(std::string(Name(from)) + " -> " + Name(to));
            Program p;
            p.playIn(from);
            p.owner.Show(to);
            EXPECT_FALSE(p.voice.running);
            EXPECT_EQ(p.owner.Shown(), to);
            EXPECT_EQ(p.owner.CurrentMode(), int(to));
            EXPECT_EQ(p.owner.VoiceHolder(), to);
            EXPECT_EQ(p.state.ActiveMode, ActiveModeOf(to));
            EXPECT_EQ(p.state.TestState, -1) << "a running test is given up";
            if (from != to)
                EXPECT_FALSE(p.pacing(from)) << "the hidden view keeps no pacing";
            EXPECT_EQ(p.views.last(), to);
        }
    }
}

TEST(ModeOwner, AWordTestWithoutWordsStillStopsTheVoiceBeforeIt)
{
    for (Mode from : kModes) {
        for (Mode to : {Mode::Dictation, Mode::Memorise}) {
            SCOPED_TRACE(std::string(Name(from)) + " -> " + Name(to));
            Program p;
            p.playIn(from);
            p.history.allPassed = true;
            p.owner.Show(to);
            EXPECT_FALSE(p.voice.running);
            EXPECT_EQ(p.owner.VoiceHolder(), Mode::None);
            EXPECT_EQ(p.state.ActiveMode, -1);
            EXPECT_FALSE(p.pacing(from));
            // "朗读" afterwards finds nothing left to stop, and reading plays.
            p.owner.Show(Mode::ReadAloud);
            EXPECT_EQ(p.owner.VoiceHolder(), Mode::ReadAloud);
            p.reading.PagePressed(1);
            EXPECT_TRUE(p.voice.running);
        }
    }
}

TEST(ModeOwner, ASwitchDuringTheStartCueEndsThatTestsStart)
{
    for (Mode from : {Mode::Dictation, Mode::Memorise, Mode::SentenceTest}) {
        for (Mode to : kModes) {
            if (to == from)
                continue;
            SCOPED_TRACE(std::string(Name(from)) + " -> " + Name(to) + " during the cue");
            Program p;
            p.owner.Show(from);
            p.voice.onCue = [&] {
                p.voice.onCue = nullptr;
                p.owner.Show(to);
            };
            p.start(from);
            EXPECT_FALSE(p.pacing(from) && from != to) << "the hidden view keeps no pacing";
            EXPECT_EQ(p.state.ActiveMode, ActiveModeOf(to));
            if (to == Mode::ReadAloud)
                continue;
            // The new test runs: its first item sounds and is not stopped.
            p.start(to);
            p.tick(to);
            EXPECT_TRUE(p.pacing(to));
            EXPECT_TRUE(p.voice.running);
            EXPECT_TRUE(p.voice.IsPlaying());
        }
    }
}

TEST(ModeOwner, LendingThePlayerStopsReadingAndHandsARunningTestBack)
{
    const auto borrow = [](Program& p) {
        p.owner.Lend([&] {
            // The oral training loads its own sentence, plays and stops it.
            p.voice.SetPlaying(false);
            p.voice.SelectVoice("oral");
            p.voice.PlayRange(500, 520);
            p.voice.StopVoice();
        });
    };
    {
        Program p;
        p.playIn(Mode::ReadAloud);
        borrow(p);
        EXPECT_FALSE(p.voice.running);
        EXPECT_FALSE(p.pacing(Mode::ReadAloud));
        EXPECT_FALSE(p.voice.IsPlaying());
    }
    for (Mode test : {Mode::Dictation, Mode::Memorise, Mode::SentenceTest}) {
        SCOPED_TRACE(Name(test));
        // Borrowed while the item sounds: it is asked again.
        Program p;
        p.playIn(test);
        const int row =
            test == Mode::SentenceTest ? p.sentences.CurrentRow() : p.words.CurrentRow();
        const double start = p.book.Content.Sentences.StartTime[size_t(row)];
        borrow(p);
        EXPECT_TRUE(p.voice.IsPlaying());
        EXPECT_TRUE(p.voice.running);
        EXPECT_TRUE(p.pacing(test));
        EXPECT_EQ(p.voice.RangeStart(), start);
        EXPECT_EQ(p.voice.position, p.voice.Bytes(start / 10));
        EXPECT_TRUE(p.voice.HoldsVoice(p.book.Content.Sentences.VoiceName[row]));

        // Borrowed while the pupil is waited for: the wait starts again and
        // then the test goes on to the next item.
        p.voice.PlayPastEnd();
        p.tick(test);
        const int waiting = p.state.TestState;
        EXPECT_FALSE(p.voice.running);
        p.clock.advance(1500);
        borrow(p);
        EXPECT_EQ(p.state.TestState, waiting);
        p.clock.advance(1500);
        p.tick(test);
        EXPECT_EQ(p.state.TestState, waiting) << "the wait began again when the player came back";
        p.clock.advance(600);
        p.tick(test);
        EXPECT_EQ(p.state.TestPos, 1);
        EXPECT_TRUE(p.voice.running) << "the next item sounds";
    }
}

TEST(ModeOwner, LendingDuringTheStartCueStartsTheTestOnce)
{
    Program p;
    p.owner.Show(Mode::Dictation);
    p.voice.onCue = [&] {
        p.voice.onCue = nullptr;
        p.owner.Lend([&] { p.voice.SetPlaying(false); });
        EXPECT_FALSE(p.wordView.timer) << "no item is asked before the cue has ended";
    };
    p.start(Mode::Dictation);
    EXPECT_TRUE(p.wordView.timer);
    EXPECT_TRUE(p.voice.IsPlaying());
    p.tick(Mode::Dictation);
    EXPECT_EQ(p.state.TestPos, 0);
    EXPECT_TRUE(p.voice.running);
}

TEST(ModeOwner, RebuildingFollowsTheLessonOnlyForATest)
{
    Program p;
    p.owner.Show(Mode::ReadAloud);
    p.owner.RebuildTest();
    EXPECT_EQ(p.owner.VoiceHolder(), Mode::ReadAloud);

    p.playIn(Mode::SentenceTest);
    p.owner.RebuildTest();
    EXPECT_FALSE(p.voice.running);
    EXPECT_EQ(p.state.TestState, -1);
    EXPECT_EQ(p.state.ActiveMode, 1);
    EXPECT_TRUE(p.sentenceView.start);

    p.history.allPassed = true;
    p.owner.Show(Mode::Dictation);
    EXPECT_EQ(p.owner.VoiceHolder(), Mode::None);
    p.history.allPassed = false;
    p.owner.RebuildTest();
    EXPECT_EQ(p.owner.VoiceHolder(), Mode::None) << "no test holds the player: nothing is built";
}

// Reading is practice while entries play: each entry counts, its end (the
// timer finding the player stopped) pauses the session, and being replaced
// by another mode ends it; a lent player pauses it too.
TEST(ModeOwner, ReadingCountsEntriesPausesAtItsStopAndEndsWhenReplaced)
{
    struct Log final : PracticeLog {
        QStringList calls;
        void Played(int items) override { calls << QStringLiteral("played %1").arg(items); }
        void Paused() override { calls << "paused"; }
        void Ended() override { calls << "ended"; }
    } log;
    Program p;
    p.reading.SetPracticeLog(&log);
    p.owner.Show(Mode::ReadAloud);
    p.reading.PagePressed(0);
    p.reading.PagePressed(1);
    p.reading.PagePressed(-1); // beside every box: playback stops
    p.reading.Timer_PlayTimer();
    EXPECT_EQ(log.calls, (QStringList{"played 1", "played 1", "paused"}));
    p.reading.PagePressed(0);
    p.owner.Lend([] {});
    p.reading.PagePressed(1);
    p.owner.Show(Mode::Dictation);
    EXPECT_EQ(log.calls.mid(3), (QStringList{"played 1", "paused", "played 1", "paused", "ended"}));
}
