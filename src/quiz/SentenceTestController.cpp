#include "quiz/SentenceTestController.h"

#include "book/Gbk.h"
#include "quiz/FinishEffect.h"
#include "quiz/WordTestSelection.h"

namespace zarelo {

SentenceTestController::SentenceTestController(const WordTestContext& context,
                                               SentenceTestView& view, VoicePlayback& player)
    : ctx_(context), view_(view), player_(player)
{
}

int SentenceTestController::rowAt(int pos) const
{
    const SharedTestState& s = ctx_.State;
    if (pos < 0 || pos >= int(s.TestOrder.size()))
        return -1;
    const int candidate = s.TestOrder[size_t(pos)];
    if (candidate < 0 || candidate >= int(s.TestCandidates.size()))
        return -1;
    return s.TestCandidates[size_t(candidate)];
}

std::vector<int> SentenceTestController::PlayRows() const
{
    std::vector<int> rows;
    for (int i = 0; i < ItemCount(); ++i)
        rows.push_back(rowAt(i));
    return rows;
}

QString SentenceTestController::english(int row) const
{
    return fromGbk(ctx_.Book.Content.Sentences.EnglishText[row]);
}

void SentenceTestController::setRangeFrom(int row)
{
    const SentenceTable& t = ctx_.Book.Content.Sentences;
    player_.SetRange(t.StartTime[size_t(row)], t.EndTime[size_t(row)]);
}

void SentenceTestController::BuildSentenceTest(int)
{
    SharedTestState& s = ctx_.State;
    OpenBook& book = ctx_.Book;
    run_.Renew();
    view_.SetStartEnabled(true);
    view_.SetRetestEnabled(true);
    s.ActiveMode = 1;
    view_.HideFinishEffect();
    view_.ClearSentenceLabels();
    player_.SetRange(player_.RangeStart(), 0);

    const std::vector<int> rows = QualifyingSentenceRows(book);
    if (rows.empty()) {
        s.ActiveMode = -1;
        return;
    }
    s.TestCandidates = rows;
    const uint32_t t = ctx_.Ticks.GetTickCount();
    RandomBelow(s.RandomState, t);
    s.TestOrder = ShuffledOrder(s.RandomState, int(rows.size()));
    const int maximum = TrunckOrderedTestSentences(s.TestOrder, ctx_.Settings.WordNumberSetting);
    if (maximum >= 0)
        view_.SetItemProgress(maximum, 0);
    for (int i = 0; i < ItemCount(); ++i)
        view_.AddSentenceLabel(english(rowAt(i)));

    RandomBelow(s.RandomState, t);
    s.TestOrder = ShuffledPlayOrder(s.RandomState, s.TestOrder);
    PrepareFirstItemVoice(book, player_, rowAt(0));

    const QString unit = book.CurrentUnitText();
    if (ctx_.Settings.TestAreaSetting == 1 && !unit.isEmpty())
        view_.SetUnitText(unit);

    if (s.TestState != -1) {
        SbtStopTestingClick();
        view_.SetStartEnabled(true);
    }
}

void SentenceTestController::SbtStartTestingClick()
{
    SharedTestState& s = ctx_.State;
    if (s.TestCandidates.empty()) {
        ctx_.Messages.showMessage(QStringLiteral("没有测试内容！         "), QStringLiteral("提示"),
                                  view_.MessageOwner());
        return;
    }
    player_.SetPlaying(true);
    view_.SetStopEnabled(true);
    view_.SetStartEnabled(false);
    view_.SetRetestEnabled(false);
    view_.HideFinishEffect();
    ctx_.ReadSettings();
    view_.SetScoreText(QStringLiteral("总分：        "));
    if (s.ActiveMode == 1) {
        s.TestState = 1;
        // No item is asked before the cue has ended: clicks meanwhile are ignored.
        s.TestPos = -1;
        s.AnswerRight = false;
        // The cue's message box and its wait both let other handlers run.
        const unsigned generation = run_.Generation();
        PlayCueSound(ctx_.ProgramFolder, 1, player_, ctx_.Messages);
        Delay(ctx_.Ticks, 1000);
        // Given up, rebuilt or replaced by another mode during the cue.
        if (run_.Generation() != generation)
            return;
        s.TestPos = -1;
        setPacing(true);
    }
}

void SentenceTestController::SentenceLabelClick(int index)
{
    SharedTestState& s = ctx_.State;
    if ((s.TestState != 1 && s.TestState != 2) || s.TestPos < 0)
        return;
    const int row = CurrentRow();
    if (row < 0 || index < 0 || index >= view_.SentenceLabelCount())
        return;
    if (view_.SentenceLabelText(index) != english(row))
        return;
    view_.SetSentenceLabelLime(index);
    ctx_.Settings.WaitMs = 10;
    s.AnswerRight = true;
}

void SentenceTestController::Timer_PlayTimer()
{
    SharedTestState& s = ctx_.State;
    const int64_t p = player_.Position();
    if (!player_.IsPlaying())
        return;
    if (s.ActiveMode != 1) {
        setPacing(false);
        player_.SetPlaying(false);
        player_.StopVoice();
        return;
    }
    const int n = ItemCount();
    const auto timeMaximum = [&] {
        return B(ctx_.Settings.WaitMs / 1000.0) + B(player_.RangeEnd() / 10) -
               B(player_.RangeStart() / 10);
    };
    if (s.TestState == 1) {
        view_.SetTimePosition(p - B(player_.RangeStart() / 10));
        if (s.TestPos == -1) {
            const int row = rowAt(0);
            s.AnswerRight = false;
            setRangeFrom(row);
            ctx_.ReadSettings();
            view_.SetTimeMaximum(timeMaximum());
            view_.SetTimePosition(0);
            StartItemVoice(ctx_.Book, player_, row);
            s.TestPos = 0;
        }
        if (player_.RangeFinished()) {
            s.TestState = 2;
            s.WaitStart = ctx_.Ticks.GetTickCount();
            player_.StopVoice();
        }
    } else if (s.TestState == 2) {
        const int64_t e = int64_t(uint32_t(ctx_.Ticks.GetTickCount() - s.WaitStart));
        view_.SetTimePosition(B(e / 1000.0) + B((player_.RangeEnd() - player_.RangeStart()) / 10));
        if (e < ctx_.Settings.WaitMs)
            return;
        ctx_.ReadSettings();
        s.TestState = 1;
        if (s.AnswerRight)
            ++s.TestScore;
        if (s.TestPos < n - 1) {
            view_.SetItemProgress(-1, s.TestPos + 1);
            ++s.TestPos;
            s.AnswerRight = false;
            const int row = CurrentRow();
            setRangeFrom(row);
            view_.SetTimeMaximum(timeMaximum());
            view_.SetTimePosition(0);
            StartItemVoice(ctx_.Book, player_, row);
        } else {
            finish();
        }
    }
}

void SentenceTestController::finish()
{
    SharedTestState& s = ctx_.State;
    s.TestState = 0;
    player_.StopVoice();
    PlayCueSound(ctx_.ProgramFolder, 2, player_, ctx_.Messages);
    // ShowFinishEffect: both bars back to 0, give up, then the effect; the
    // score counts the labels found.
    view_.SetItemProgress(-1, 0);
    view_.SetTimePosition(0);
    SbtStopTestingClick();
    int found = 0;
    for (int i = 0; i < view_.SentenceLabelCount(); ++i)
        found += view_.SentenceLabelLime(i) ? 1 : 0;
    s.TestScore = ScorePercent(found, ItemCount());
    view_.SetScoreText(ScoreText(s.TestScore));
    view_.StartFinishEffect(s.TestScore);
    view_.SetStartEnabled(false);
    view_.SetRetestEnabled(true);
}

void SentenceTestController::SbtStopTestingClick()
{
    run_.Renew();
    view_.SetStopEnabled(false);
    view_.HideFinishEffect();
    ctx_.State.TestState = -1;
    view_.SetStartEnabled(false);
    view_.SetRetestEnabled(true);
    player_.StopVoice();
}

void SentenceTestController::SbtRetestClick()
{
    BuildSentenceTest(1);
    view_.SetStartEnabled(true);
    view_.SetRetestEnabled(true);
}

void SentenceTestController::SpeedButton12Click()
{
    SbtStopTestingClick();
    ctx_.State.ActiveMode = -1;
    view_.SetStartEnabled(true);
    view_.CloseWindow();
}

void SentenceTestController::setPacing(bool on)
{
    run_.SetPacing(on);
    view_.SetTimerActive(on);
}

bool SentenceTestController::Enter(Mode)
{
    BuildSentenceTest(1);
    return ctx_.State.ActiveMode == 1;
}

void SentenceTestController::Leave()
{
    setPacing(false);
    const int state = ctx_.State.TestState;
    if (state == 1 || state == 2)
        SbtStopTestingClick();
    else
        run_.Renew();
    player_.StopVoice();
}

void SentenceTestController::Suspend()
{
    run_.Suspend();
    view_.SetTimerActive(false);
    player_.StopVoice();
}

void SentenceTestController::Resume()
{
    SharedTestState& s = ctx_.State;
    const bool pacing = run_.TakeSuspendedPacing();
    if (s.TestState != 1 && s.TestState != 2)
        return;
    // The borrower may have loaded another voice, moved the range and
    // stopped the player.
    player_.SetPlaying(true);
    const int row = CurrentRow();
    if (row >= 0) {
        setRangeFrom(row);
        if (s.TestState == 1)
            StartItemVoice(ctx_.Book, player_, row);
        else
            s.WaitStart = ctx_.Ticks.GetTickCount();
    }
    if (pacing)
        setPacing(true);
}

} // namespace zarelo
