#include "quiz/TestFlow.h"

#include "book/Gbk.h"
#include "quiz/FinishEffect.h"
#include "quiz/LearningRecord.h"
#include "quiz/WordTestSelection.h"

#include <QFile>

namespace zarelo {

namespace {

// The standard information box is captioned with the application's title.
const QString kApplicationTitle = QStringLiteral("Zarelo英语学习软件");

} // namespace

void PrepareFirstItemVoice(const OpenBook& book, VoicePlayback& player, int row)
{
    const SentenceTable& t = book.Content.Sentences;
    player.SetRange(t.StartTime[size_t(row)], player.RangeEnd());
    player.SelectVoice(t.VoiceName[row]);
    player.SeekTo(player.RangeStart());
}

void StartItemVoice(const OpenBook& book, VoicePlayback& player, int row)
{
    player.SelectVoice(book.Content.Sentences.VoiceName[row]);
    player.PlayRange(player.RangeStart(), player.RangeEnd());
}

void PlayCueSound(const QString& folder, int which, VoicePlayback& player, UserMessages& messages)
{
    QFile file(folder + (which == 1 ? QStringLiteral("/Start.wav") : QStringLiteral("/Succ.wav")));
    // A missing or unreadable cue file costs only its sound.
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return;
    if (!player.PlayCue(bytes))
        messages.showMessage(QStringLiteral("音频播放出错！"), kApplicationTitle, nullptr);
}

TestFlow::TestFlow(const WordTestContext& context, TestFlowView& view, VoicePlayback& player)
    : ctx_(context), player_(player), flowView_(view)
{
}

int TestFlow::rowAt(int pos) const
{
    const SharedTestState& s = ctx_.State;
    if (pos < 0 || pos >= int(s.TestOrder.size()))
        return -1;
    const int candidate = s.TestOrder[size_t(pos)];
    if (candidate < 0 || candidate >= int(s.TestCandidates.size()))
        return -1;
    return s.TestCandidates[size_t(candidate)];
}

QString TestFlow::english(int row) const
{
    return fromGbk(ctx_.Book.Content.Sentences.EnglishText[row]);
}

void TestFlow::setRangeFrom(int row)
{
    const SentenceTable& t = ctx_.Book.Content.Sentences;
    player_.SetRange(t.StartTime[size_t(row)], t.EndTime[size_t(row)]);
}

void TestFlow::setPacing(bool on)
{
    run_.SetPacing(on);
    flowView_.SetTimerActive(on);
}

void TestFlow::takeItems(const std::vector<int>& rows, std::vector<int> order, bool cut)
{
    SharedTestState& s = ctx_.State;
    s.TestCandidates = rows;
    s.TestOrder = std::move(order);
    const int maximum =
        cut ? TrunckOrderedTestSentences(s.TestOrder, ctx_.Settings.WordNumberSetting)
            : ItemCount();
    if (maximum >= 0)
        flowView_.SetItemProgress(maximum, 0);
}

void TestFlow::showUnit()
{
    ctx_.Book.LessonOfPage();
    const QString unit = ctx_.Book.CurrentUnitText();
    if (ctx_.Settings.TestAreaSetting == 1 && !unit.isEmpty())
        flowView_.SetUnitText(unit);
}

void TestFlow::endBuild()
{
    if (ctx_.State.TestState != -1) {
        giveUp();
        flowView_.SetStartEnabled(true);
    }
}

void TestFlow::SbtStartTestingClick()
{
    SharedTestState& s = ctx_.State;
    if (s.TestCandidates.empty()) {
        ctx_.Messages.showMessage(QStringLiteral("没有测试内容！         "), QStringLiteral("提示"),
                                  flowView_.MessageOwner());
        return;
    }
    player_.SetPlaying(true);
    flowView_.SetStopEnabled(true);
    flowView_.SetStartEnabled(false);
    flowView_.SetRetestEnabled(false);
    ctx_.ReadSettings();
    flowView_.SetScoreText(QStringLiteral("总分：        "));
    if (!prepareRun())
        return;
    // No item is asked before the cue has ended: input meanwhile is ignored.
    s.TestPos = -1;
    s.AnswerRight = false;
    // The cue's message box and its wait both let other handlers run.
    const unsigned generation = run_.Generation();
    PlayCueSound(1);
    Delay(ctx_.Ticks, 1000);
    // Given up, rebuilt or replaced by another mode during the cue: the
    // test that wanted to start is gone.
    if (run_.Generation() != generation)
        return;
    s.TestPos = -1;
    setPacing(true);
    beginRecord();
    rethrowKept();
}

void TestFlow::SbtStopTestingClick()
{
    giveUp();
    rethrowKept();
}

void TestFlow::giveUp()
{
    if (recordedTest_ != 0)
        endRecord(std::exchange(recordedTest_, 0), std::nullopt);
    run_.Renew();
    flowView_.SetStopEnabled(false);
    flowView_.HideFinishEffect();
    ctx_.State.TestState = -1;
    flowView_.SetStartEnabled(false);
    flowView_.SetRetestEnabled(true);
    player_.StopVoice();
}

void TestFlow::SbtRetestClick()
{
    build(ctx_.State.ActiveMode);
    showReady();
    rethrowKept();
}

void TestFlow::SpeedButton12Click()
{
    giveUp();
    ctx_.State.ActiveMode = -1;
    leftByBack();
    flowView_.CloseWindow();
    rethrowKept();
}

void TestFlow::Timer_PlayTimer()
{
    const int64_t position = player_.Position();
    if (!player_.IsPlaying())
        return;
    if (!ownsActiveMode(ctx_.State.ActiveMode)) {
        setPacing(false);
        player_.SetPlaying(false);
        player_.StopVoice();
        return;
    }
    step(position);
    rethrowKept();
}

void TestFlow::showPlayedTime(int64_t position)
{
    flowView_.SetTimePosition(position - B(player_.RangeStart() / 10));
}

void TestFlow::beginWait(int state)
{
    ctx_.State.TestState = state;
    restartWait();
    player_.StopVoice();
}

void TestFlow::restartWait()
{
    ctx_.State.WaitStart = ctx_.Ticks.GetTickCount();
}

bool TestFlow::waitOver(bool afterVoice)
{
    const int64_t waited = int64_t(uint32_t(ctx_.Ticks.GetTickCount() - ctx_.State.WaitStart));
    const int64_t played = afterVoice ? B((player_.RangeEnd() - player_.RangeStart()) / 10) : 0;
    flowView_.SetTimePosition(B(waited / 1000.0) + played);
    return waited >= ctx_.Settings.WaitMs;
}

void TestFlow::askItem(int row, bool withVoice)
{
    setRangeFrom(row);
    const int64_t wait = B(ctx_.Settings.WaitMs / 1000.0);
    const int64_t range = B(player_.RangeEnd() / 10) - B(player_.RangeStart() / 10);
    flowView_.SetTimeMaximum(withVoice ? wait + range : wait);
    flowView_.SetTimePosition(0);
    itemStart_ = ctx_.Ticks.GetTickCount();
    answeredAt_.reset();
    if (withVoice)
        StartItemVoice(ctx_.Book, player_, row);
}

int TestFlow::nextItem()
{
    SharedTestState& s = ctx_.State;
    flowView_.SetItemProgress(-1, s.TestPos + 1);
    ++s.TestPos;
    s.AnswerRight = false;
    return CurrentRow();
}

void TestFlow::finish()
{
    SharedTestState& s = ctx_.State;
    s.TestState = 0;
    player_.StopVoice();
    PlayCueSound(2);
    // ShowFinishEffect: both bars back to 0, give up, then the effect. The
    // record ends finished, with the score, not as given up.
    flowView_.SetItemProgress(-1, 0);
    flowView_.SetTimePosition(0);
    const int64_t test = std::exchange(recordedTest_, 0);
    giveUp();
    const int right = rightItems();
    s.TestScore = ScorePercent(right, ItemCount());
    if (test != 0)
        keepError([&] { ctx_.Journal->EndTest(test, right, s.TestScore); });
    flowView_.SetScoreText(ScoreText(s.TestScore));
    flowView_.StartFinishEffect(s.TestScore);
    flowView_.SetRetestEnabled(true);
}

bool TestFlow::Enter(Mode mode)
{
    build(activeModeFor(mode));
    showKept();
    return ctx_.State.ActiveMode != -1;
}

void TestFlow::Leave()
{
    setPacing(false);
    if (runningState(ctx_.State.TestState))
        giveUp();
    else
        run_.Renew();
    player_.StopVoice();
    showKept();
}

void TestFlow::beginRecord()
{
    if (!ctx_.Journal)
        return;
    const RecordPlace place = PlaceOf(ctx_.Book, coversLesson());
    keepError([&] { recordedTest_ = ctx_.Journal->BeginTest(recordedMode(), place, ItemCount()); });
}

void TestFlow::endRecord(int64_t test, std::optional<int> score)
{
    // Given up: the items answered right so far.
    keepError([&] { ctx_.Journal->EndTest(test, rightItems(), score); });
}

void TestFlow::markAnswered()
{
    if (!answeredAt_)
        answeredAt_ = ctx_.Ticks.GetTickCount();
}

ItemAnswer TestFlow::itemAnswer(int row, const QString& typed, bool right) const
{
    const uint32_t end = answeredAt_.value_or(ctx_.Ticks.GetTickCount());
    return ItemAnswer{recordedTest_, english(row).trimmed(), typed.trimmed(), right,
                      int64_t(uint32_t(end - itemStart_))};
}

void TestFlow::rethrowKept()
{
    if (keptError_)
        std::rethrow_exception(std::exchange(keptError_, nullptr));
}

void TestFlow::showKept()
{
    try {
        rethrowKept();
    } catch (const BookError& error) {
        ctx_.Messages.showMessage(error.message(), QStringLiteral("提示"),
                                  flowView_.MessageOwner());
    }
}

void TestFlow::Suspend()
{
    run_.Suspend();
    flowView_.SetTimerActive(false);
    player_.StopVoice();
}

void TestFlow::Resume()
{
    const bool pacing = run_.TakeSuspendedPacing();
    if (!runningState(ctx_.State.TestState))
        return;
    // The borrower may have loaded another voice, moved the range and
    // stopped the player.
    player_.SetPlaying(true);
    const int row = CurrentRow();
    if (row >= 0) {
        setRangeFrom(row);
        replayItem(row);
    }
    if (pacing)
        setPacing(true);
}

} // namespace zarelo
