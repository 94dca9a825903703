// The run both tests share, under a minimal test of its own (ActiveMode 9,
// running state 8, items of rows 4, 5 and 6): Start with its refusal, its
// cue and the test given up during the cue, the pacing handed back to
// another mode, the finish, Back, new questions and the mode session.

#include "quiz/TestFlow.h"
#include "support/FakeModeViews.h"
#include "support/TableRows.h"
#include "support/TestFlowRig.h"

#include <gtest/gtest.h>

using namespace zarelo;

namespace {

class MinimalFlow final : public TestFlow {
public:
    MinimalFlow(const WordTestContext& context, TestFlowView& view, VoicePlayback& player)
        : TestFlow(context, view, player)
    {
    }

    bool paces = true;          // what prepareRun answers
    int right = 0;              // rightItems
    std::vector<int> builds;    // the ActiveMode of every build
    int readies = 0;            // showReady calls
    int backs = 0;              // leftByBack calls
    std::vector<int64_t> steps; // the position of every step
    std::vector<int> replayed;

    using TestFlow::finish;

private:
    void build(int activeMode) override
    {
        builds.push_back(activeMode);
        run_.Renew();
        ctx_.State.ActiveMode = activeMode;
        takeItems({4, 5, 6}, {0, 1, 2});
        endBuild();
    }
    int activeModeFor(Mode mode) const override { return mode == Mode::Memorise ? 9 : -1; }
    bool ownsActiveMode(int activeMode) const override { return activeMode == 9; }
    bool runningState(int testState) const override { return testState == 8; }
    RecordedMode recordedMode() const override { return RecordedMode::Dictation; }
    bool coversLesson() const override { return false; }
    void showReady() override { ++readies; }
    bool prepareRun() override
    {
        if (paces)
            ctx_.State.TestState = 8;
        return paces;
    }
    void step(int64_t position) override { steps.push_back(position); }
    void replayItem(int row) override { replayed.push_back(row); }
    int rightItems() const override { return right; }
    void leftByBack() override { ++backs; }
};

struct Rig : fakes::TestFlowRig<MinimalFlow, fakes::FakeTestFlowView> {
    Rig() : TestFlowRig(0)
    {
        for (int row = 0; row < 7; ++row)
            fakes::AddEntry(book, 1, "word", "w", QStringLiteral("中"), "v1", 10.0 * row,
                            10.0 * row + 6);
        test = std::make_unique<MinimalFlow>(context(), view, player);
    }

    // The test built as memorising (its ActiveMode 9) and started.
    void buildAndStart()
    {
        test->Enter(Mode::Memorise);
        start();
    }
};

} // namespace

TEST(TestFlow, StartWithoutItemsSaysSoAndChangesNothing)
{
    Rig rig;
    rig.start();
    ASSERT_EQ(rig.messages.shown.size(), 1);
    EXPECT_EQ(rig.messages.shown[0].text, QStringLiteral("没有测试内容！         "));
    EXPECT_EQ(rig.messages.shown[0].caption, QStringLiteral("提示"));
    EXPECT_FALSE(rig.player.playing);
    EXPECT_FALSE(rig.view.stop);
    EXPECT_TRUE(rig.player.cues.empty());
    EXPECT_FALSE(rig.view.timer);
}

TEST(TestFlow, StartPlaysTheCueAndThenPaces)
{
    Rig rig;
    EXPECT_TRUE(rig.test->Enter(Mode::Memorise));
    EXPECT_EQ(rig.test->builds, (std::vector<int>{9}));
    EXPECT_EQ(rig.test->ItemCount(), 3);
    EXPECT_EQ(rig.view.itemMax, 3);
    rig.view.start = rig.view.retest = true;
    rig.settings.WaitMs = 10;
    rig.start();
    EXPECT_TRUE(rig.player.playing);
    EXPECT_TRUE(rig.view.stop);
    EXPECT_FALSE(rig.view.start || rig.view.retest);
    EXPECT_EQ(rig.settings.WaitMs, 2000) << "the settings are read again";
    EXPECT_EQ(rig.view.score, QStringLiteral("总分：        "));
    EXPECT_EQ(rig.player.cues, (std::vector<QByteArray>{"/Start.wav"}));
    EXPECT_EQ(rig.state.TestState, 8);
    EXPECT_EQ(rig.state.TestPos, -1) << "no item before the first step";
    EXPECT_EQ(rig.test->CurrentRow(), -1);
    EXPECT_TRUE(rig.view.timer);
    EXPECT_GE(rig.clock.GetTickCount(), 2000u) << "the cue's second has passed";
}

TEST(TestFlow, StartWithNothingToPaceLeavesTheCueOut)
{
    Rig rig;
    rig.test->Enter(Mode::Memorise);
    rig.test->paces = false;
    rig.start();
    EXPECT_TRUE(rig.view.stop);
    EXPECT_EQ(rig.view.score, QStringLiteral("总分：        "));
    EXPECT_TRUE(rig.player.cues.empty());
    EXPECT_FALSE(rig.view.timer);
}

TEST(TestFlow, ATestGivenUpDuringTheCueDoesNotPace)
{
    Rig rig;
    rig.player.onCue = [&] { rig.test->SbtStopTestingClick(); };
    rig.buildAndStart();
    EXPECT_FALSE(rig.view.timer);
    EXPECT_EQ(rig.state.TestState, -1);
    EXPECT_TRUE(rig.view.retest);
    EXPECT_FALSE(rig.view.start || rig.view.stop);

    // Rebuilt during the cue: the same.
    Rig rebuilt;
    rebuilt.player.onCue = [&] { rebuilt.test->SbtRetestClick(); };
    rebuilt.buildAndStart();
    EXPECT_FALSE(rebuilt.view.timer);
    EXPECT_EQ(rebuilt.test->builds.size(), 2u);
}

TEST(TestFlow, PacingStepsOnlyWhileThisTestHoldsThePlayer)
{
    Rig rig;
    rig.buildAndStart();
    rig.player.position = 1234;
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.test->steps, (std::vector<int64_t>{1234}));

    rig.state.ActiveMode = 1; // another mode took the player
    rig.test->Timer_PlayTimer();
    EXPECT_EQ(rig.test->steps.size(), 1u);
    EXPECT_FALSE(rig.view.timer);
    EXPECT_FALSE(rig.player.playing);
    rig.test->Timer_PlayTimer(); // idles while nothing plays
    EXPECT_EQ(rig.test->steps.size(), 1u);
}

TEST(TestFlow, FinishScoresShowsTheEffectAndOffersNewQuestions)
{
    Rig rig;
    rig.buildAndStart();
    rig.state.TestPos = 2;
    rig.view.itemPos = 2;
    rig.view.timePos = 99;
    rig.player.running = true;
    rig.test->right = 2;
    rig.test->finish();
    EXPECT_EQ(rig.state.TestState, -1) << "finished, then given up";
    EXPECT_FALSE(rig.player.running);
    EXPECT_EQ(rig.player.cues.back(), QByteArray("/Succ.wav"));
    EXPECT_EQ(rig.view.itemPos, 0);
    EXPECT_EQ(rig.view.timePos, 0);
    EXPECT_EQ(rig.state.TestScore, 67);
    EXPECT_EQ(rig.view.score, QStringLiteral("得分：67 分"));
    EXPECT_TRUE(rig.view.effect);
    EXPECT_EQ(rig.view.effectScore, 67);
    EXPECT_TRUE(rig.view.retest);
    EXPECT_FALSE(rig.view.start || rig.view.stop);
}

TEST(TestFlow, BackGivesUpAndClosesNewQuestionsBuildAgain)
{
    Rig rig;
    rig.test->Enter(Mode::Memorise);
    rig.test->SbtRetestClick();
    EXPECT_EQ(rig.test->builds, (std::vector<int>{9, 9})) << "for the shared ActiveMode";
    EXPECT_EQ(rig.test->readies, 1);

    rig.start();
    rig.view.effect = true;
    rig.test->SpeedButton12Click();
    EXPECT_EQ(rig.state.TestState, -1);
    EXPECT_EQ(rig.state.ActiveMode, -1);
    EXPECT_FALSE(rig.view.effect);
    EXPECT_EQ(rig.test->backs, 1);
    EXPECT_TRUE(rig.view.closed);

    // A build while a test runs gives it up and leaves Start on.
    rig.buildAndStart();
    rig.test->Enter(Mode::Memorise);
    EXPECT_EQ(rig.state.TestState, -1);
    EXPECT_TRUE(rig.view.start && rig.view.retest);
    EXPECT_FALSE(rig.test->Enter(Mode::Dictation)) << "a mode without items";
}

TEST(TestFlow, ResumeAsksARunningTestsItemAgain)
{
    Rig rig;
    rig.buildAndStart();
    rig.state.TestPos = 1;
    rig.player.running = true;
    rig.test->Suspend();
    EXPECT_FALSE(rig.view.timer);
    EXPECT_FALSE(rig.player.running);
    rig.player.playing = false;
    rig.player.SetRange(0, 0);
    rig.test->Resume();
    EXPECT_TRUE(rig.player.playing);
    EXPECT_EQ(rig.player.start, 50);
    EXPECT_EQ(rig.player.end, 56);
    EXPECT_EQ(rig.test->replayed, (std::vector<int>{5}));
    EXPECT_TRUE(rig.view.timer);

    // Not running: nothing is asked again and the pacing stays off.
    rig.test->Suspend();
    rig.state.TestState = -1;
    rig.test->Resume();
    EXPECT_EQ(rig.test->replayed.size(), 1u);
    EXPECT_FALSE(rig.view.timer);
}

TEST(TestFlow, LeaveGivesUpARunningTestOnly)
{
    Rig rig;
    rig.buildAndStart();
    rig.player.running = true;
    rig.test->Leave();
    EXPECT_FALSE(rig.view.timer);
    EXPECT_FALSE(rig.player.running);
    EXPECT_EQ(rig.state.TestState, -1);
    EXPECT_TRUE(rig.view.retest);

    Rig idle;
    idle.test->Enter(Mode::Memorise);
    idle.view.retest = false;
    idle.state.TestState = 0;
    idle.test->Leave();
    EXPECT_EQ(idle.state.TestState, 0) << "a test not running is left as it is";
    EXPECT_FALSE(idle.view.retest);
}
