#pragma once
// The run of a test that the word test and the sentence test share: Start
// with its cue, give up, new questions, Back, the finish, the pacing timer
// and the mode session. A test controller derives from TestFlow and adds
// what is its own: which rows qualify and in what order they are asked, what
// an item does on each tick of the pacing timer, the answer, what Resume
// asks again and the score rule. It drives the window through TestFlowView
// (which each test's view interface extends) and the voice through
// VoicePlayback. UI thread only.

#include "audio/VoicePlayback.h"
#include "base/ModeSession.h"
#include "base/UserMessages.h"
#include "base/uFunc.h"
#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "quiz/LearningLog.h"

#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QObject;

namespace zarelo {

// The part of a test window both tests drive the same way: the pacing
// timer, the unit line, the two progress bars, the command bar and the
// finish effect.
class TestFlowView {
public:
    virtual ~TestFlowView() = default;
    virtual void SetTimerActive(bool on) = 0;           // Timer_Play
    virtual void SetUnitText(const QString& text) = 0;  // lbUnit
    virtual void SetScoreText(const QString& text) = 0; // LblCore
    // ProgressBar1 (items) and ProgressBar3 (time of the item, in bytes of
    // the voice stream). A maximum of -1 leaves it as it is.
    virtual void SetItemProgress(int maximum, int position) = 0;
    virtual void SetTimeMaximum(int64_t maximum) = 0;
    virtual void SetTimePosition(int64_t position) = 0;
    virtual void SetStartEnabled(bool on) = 0;  // SbtStartTesting "开 始"
    virtual void SetStopEnabled(bool on) = 0;   // SbtStopTesting "放弃"
    virtual void SetRetestEnabled(bool on) = 0; // SbtRetest "重新出题"
    // Ends the finish effect: Timer1 off, PaintBox1 hidden (silver),
    // PnShow3D hidden.
    virtual void HideFinishEffect() = 0;
    // ShowFinishEffect's drawing part: places PnShow3D as the window has it,
    // makes the surfaces, loads the flame and starts Timer1. Costs only the
    // picture when the flame cannot be loaded.
    virtual void StartFinishEffect(int score) = 0;
    virtual void CloseWindow() = 0;
    // Owner of the window's message boxes.
    virtual QObject* MessageOwner() = 0;
};

// The rules both tests share for the voice of an item (the row of the
// sentence table it plays). PrepareFirstItemVoice: PlayRangeStart from the
// row, the row's voice selected, the stream set to the start. StartItemVoice,
// the range already set: the row's voice selected and the range played.
void PrepareFirstItemVoice(const OpenBook& book, VoicePlayback& player, int row);
void StartItemVoice(const OpenBook& book, VoicePlayback& player, int row);

// "Start.wav" (which = 1) or "Succ.wav" (any other value) from `folder`. A
// missing or unreadable file costs only its sound; one the engine cannot play
// shows "音频播放出错！".
void PlayCueSound(const QString& folder, int which, VoicePlayback& player, UserMessages& messages);

// What each test keeps of its own run: whether the pacing timer runs, and a
// number that changes whenever the test is built, given up or replaced, so
// that a handler waiting in the start cue sees that its test is gone.
class TestRun {
public:
    bool Pacing() const { return pacing_; }
    unsigned Generation() const { return generation_; }
    void Renew() { ++generation_; }
    void SetPacing(bool on) { pacing_ = on; }
    // Suspend: remembers whether the pacing ran.
    void Suspend() { suspendedPacing_ = std::exchange(pacing_, false); }
    bool TakeSuspendedPacing() { return std::exchange(suspendedPacing_, false); }

private:
    bool pacing_ = false;
    bool suspendedPacing_ = false;
    unsigned generation_ = 0;
};

// Everything else a test works on; the references must outlive it.
struct WordTestContext {
    OpenBook& Book;
    SharedTestState& State;
    TestSettings& Settings;
    UserMessages& Messages;
    const TickSource& Ticks;
    QString DataFolder;                 // where "Start.wav" and "Succ.wav" are
    std::function<void()> ReadSettings; // reloads Settings (and so WaitMs)
    // Where each run, its items and its end are recorded; none: not recorded.
    TestJournal* Journal = nullptr;
};

class TestFlow : public ModeSession {
public:
    // Start: refused with "没有测试内容！" without items; otherwise the
    // buttons of a running test, the start cue and its one-second wait, and
    // then the pacing, unless the test was given up, rebuilt or replaced
    // during the cue.
    void SbtStartTestingClick();
    // Give up: no test runs, the voice stops, only new questions is offered.
    // A running test's record ends unfinished.
    void SbtStopTestingClick();
    // New questions: the test built again for the shared ActiveMode.
    void SbtRetestClick();
    // Back: given up, ActiveMode -1, the window closed.
    void SpeedButton12Click();
    // One step of the 200 ms pacing timer. While another mode holds the
    // voice player it switches the pacing off.
    void Timer_PlayTimer();
    void FormHide() { setPacing(false); }
    // "Start.wav" (which = 1) or "Succ.wav" (any other value).
    void PlayCueSound(int which)
    {
        zarelo::PlayCueSound(ctx_.DataFolder, which, player_, ctx_.Messages);
    }
    // The number of items of the built test.
    int ItemCount() const { return int(ctx_.State.TestOrder.size()); }
    // The sentence-table row of the current item, -1 when there is none.
    int CurrentRow() const { return rowAt(ctx_.State.TestPos); }

    // ModeSession: builds the test for the mode; true when it has items.
    bool Enter(Mode mode) override;
    void Leave() override;
    void Suspend() override;
    void Resume() override;

protected:
    TestFlow(const WordTestContext& context, TestFlowView& view, VoicePlayback& player);

    // What each test adds to the run.
    //
    // Builds the test; ActiveMode becomes `activeMode` (the sentence test:
    // 1), or -1 without a qualifying item.
    virtual void build(int activeMode) = 0;
    // The ActiveMode a mode builds.
    virtual int activeModeFor(Mode mode) const { return ActiveModeOf(mode); }
    // Whether `activeMode` is this test's, and whether `testState` is one of
    // its running states.
    virtual bool ownsActiveMode(int activeMode) const = 0;
    virtual bool runningState(int testState) const = 0;
    // The command bar of a test built and not yet started.
    virtual void showReady() = 0;
    // Start accepted, after the score text is cleared: sets TestState and
    // readies the window for the first item. False when there is nothing to
    // pace; the cue is then left out.
    virtual bool prepareRun() = 0;
    // One step of the pacing timer while this test holds the voice player;
    // `position` is the voice's play position read at the start of the step.
    virtual void step(int64_t position) = 0;
    // Resume of a running test with its item `row` (its range set again):
    // an item that was playing plays again, a wait starts again.
    virtual void replayItem(int row) = 0;
    // The items answered right, for the score of the finish.
    virtual int rightItems() const = 0;
    // Back, after the window's test is given up; before it closes.
    virtual void leftByBack() {}
    // How the record names this test, and whether it covers the current
    // lesson (otherwise the whole book).
    virtual RecordedMode recordedMode() const = 0;
    virtual bool coversLesson() const = 0;

    // The item at `pos` of the asking order as a row of the sentence table,
    // -1 when there is none.
    int rowAt(int pos) const;
    QString english(int row) const;
    void setRangeFrom(int row);
    void setPacing(bool on);
    int64_t B(double seconds) const { return player_.Bytes(seconds); }

    // The build's common steps. takeItems: `rows` become the candidates and
    // `order` (candidate numbers) the asking order, cut to the configured
    // number of items unless `cut` is false, with the item bar's maximum. showUnit: the current
    // lesson's unit line when the test area is the lesson. endBuild: a test
    // that was not idle (TestState -1) is given up, leaving Start on.
    void takeItems(const std::vector<int>& rows, std::vector<int> order, bool cut = true);
    void showUnit();
    void endBuild();

    // The pacing's common steps, in bytes of the voice stream on the time
    // bar. showPlayedTime: the time played of the item's range.
    // beginWait: `state` begins, its wait counted from now, the voice
    // stopped. waitOver: the time bar at the range's length (when
    // `afterVoice`) plus the time waited; true once WaitMs have passed.
    // askItem: `row`'s range, the time bar set to the wait (and the voice's
    // range when `withVoice`), and its voice started when `withVoice`.
    // nextItem: the item bar and TestPos move on; the answer is cleared;
    // returns the new item's row. lastItem: the current item is the last.
    void showPlayedTime(int64_t position);
    void beginWait(int state);
    bool waitOver(bool afterVoice);
    void askItem(int row, bool withVoice);
    int nextItem();
    bool lastItem() const { return ctx_.State.TestPos >= ItemCount() - 1; }
    // The current item's wait counts from now.
    void restartWait();
    // The end of the last item: TestState 0, the voice stopped, the success
    // cue, both bars at 0, given up, the score of rightItems(), the finish
    // effect and new questions on.
    void finish();
    // Give up without reporting a kept error (see keepError).
    void giveUp();

    // The record of the current item: what was answered, in the item's
    // time (from askItem to markAnswered, or to now).
    void markAnswered();
    ItemAnswer itemAnswer(int row, const QString& typed, bool right) const;
    int64_t recordedTest() const { return recordedTest_; }
    // Runs a write of the history or the record. Its error does not stop
    // the test: the first is kept and thrown again when the handler ends
    // (Timer_PlayTimer, Start, give up, new questions, Back), or shown when
    // a mode session call ends.
    template <class F> void keepError(F&& write)
    {
        try {
            write();
        } catch (...) {
            if (!keptError_)
                keptError_ = std::current_exception();
        }
    }
    void rethrowKept();

    WordTestContext ctx_;
    VoicePlayback& player_;
    TestRun run_;

private:
    void beginRecord();
    void endRecord(int64_t test, std::optional<int> score);
    void showKept();

    TestFlowView& flowView_;
    int64_t recordedTest_ = 0;
    uint32_t itemStart_ = 0;
    std::optional<uint32_t> answeredAt_;
    std::exception_ptr keptError_;
};

} // namespace zarelo
