#pragma once
// A test controller (WordTestController or SentenceTestController) over
// fakes, for the tests of its rules: an open book filled by the test, the
// shared test state, settings of a 2-second wait and ten items, scripted
// messages, a clock at 1000 ms that moves only when told, the fake view and
// the fake voice player, and a program folder whose cue sounds "Start.wav"
// and "Succ.wav" hold their own names, so that the player's cues tell which
// was played.

#include "book/Gbk.h"
#include "quiz/TestFlow.h"
#include "support/FakeVoice.h"
#include "support/ManualClock.h"
#include "support/ScriptedMessages.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace zarelo::fakes {

// Writes the two cue sounds into `folder`, each holding its own name.
inline void WriteNamedCueFiles(const QString& folder)
{
    for (const char* name : {"/Start.wav", "/Succ.wav"}) {
        QFile f(folder + QLatin1String(name));
        f.open(QIODevice::WriteOnly);
        f.write(name);
    }
}

// The record of the runs as the controller wrote it.
struct FakeJournal final : TestJournal {
    struct Test {
        RecordedMode Mode;
        RecordPlace Place;
        int Items;
        std::optional<int> RightItems; // set when the test ended
        std::optional<int> Score;
    };
    std::vector<Test> tests; // record id i + 1
    std::vector<ItemAnswer> items;

    int64_t BeginTest(RecordedMode mode, const RecordPlace& place, int count) override
    {
        tests.push_back({mode, place, count, std::nullopt, std::nullopt});
        return int64_t(tests.size());
    }
    void RecordItem(const ItemAnswer& answer) override { items.push_back(answer); }
    void EndTest(int64_t test, int rightItems, std::optional<int> score) override
    {
        Test& t = tests.at(size_t(test - 1));
        EXPECT_FALSE(t.RightItems) << "a test's record ends once";
        t.RightItems = rightItems;
        t.Score = score;
    }
};

template <class Controller, class View> struct TestFlowRig {
    QTemporaryDir folder;
    OpenBook book;
    SharedTestState state;
    TestSettings settings;
    ScriptedMessages messages;
    ManualClock clock{1000, 0};
    View view;
    FakeVoice player{book};
    FakeJournal journal;
    std::unique_ptr<Controller> test;

    // `testArea`: the TestAreaSetting; without `cueFiles` the folder holds
    // no cue sound. The voice "v1" is loaded.
    explicit TestFlowRig(int testArea, bool cueFiles = true)
    {
        state.ActiveMode = -1;
        state.TestState = -1;
        settings.TestAreaSetting = testArea;
        settings.WordNumberSetting = QStringLiteral("十个");
        settings.WaitTimeSetting = 2;
        settings.WaitMs = 2000;
        if (cueFiles)
            WriteNamedCueFiles(folder.path());
        book.CurrentVoiceName = "v1";
        book.LoadedVoiceName = "v1";
    }

    // The controller's context: ReadSettings restores WaitMs from
    // WaitTimeSetting.
    WordTestContext context()
    {
        return {book,
                state,
                settings,
                messages,
                clock,
                folder.path(),
                [this] { settings.WaitMs = settings.WaitTimeSetting * 1000; },
                &journal};
    }

    // Start; its one-second block passes on the clock in 40 readings.
    void start()
    {
        clock.setStepPerRead(25);
        test->SbtStartTestingClick();
        clock.setStepPerRead(0);
    }
    // The current item's English text.
    QString currentEnglish() const
    {
        return fromGbk(book.Content.Sentences.EnglishText[test->CurrentRow()]);
    }
    // The tick after the current item's playback.
    void playPastEnd() { player.PlayPastEnd(); }
};

} // namespace zarelo::fakes
