#include "quiz/SentenceTestController.h"

#include "quiz/WordTestSelection.h"

namespace zarelo {

SentenceTestController::SentenceTestController(const WordTestContext& context,
                                               SentenceTestView& view, VoicePlayback& player)
    : TestFlow(context, view, player), view_(view)
{
}

std::vector<int> SentenceTestController::PlayRows() const
{
    std::vector<int> rows;
    for (int i = 0; i < ItemCount(); ++i)
        rows.push_back(rowAt(i));
    return rows;
}

void SentenceTestController::BuildSentenceTest(int)
{
    SharedTestState& s = ctx_.State;
    run_.Renew();
    showReady();
    s.ActiveMode = 1;
    view_.HideFinishEffect();
    view_.ClearSentenceLabels();
    player_.SetRange(player_.RangeStart(), 0);

    const std::vector<int> rows = QualifyingSentenceRows(ctx_.Book);
    if (rows.empty()) {
        s.ActiveMode = -1;
        return;
    }
    // One draw for the display order, one more for the play order.
    const uint32_t t = ctx_.Ticks.GetTickCount();
    RandomBelow(s.RandomState, t);
    takeItems(rows, ShuffledOrder(s.RandomState, int(rows.size())));
    for (int i = 0; i < ItemCount(); ++i)
        view_.AddSentenceLabel(english(rowAt(i)));
    RandomBelow(s.RandomState, t);
    s.TestOrder = ShuffledPlayOrder(s.RandomState, s.TestOrder);
    PrepareFirstItemVoice(ctx_.Book, player_, rowAt(0));
    showUnit();
    endBuild();
}

void SentenceTestController::showReady()
{
    view_.SetStartEnabled(true);
    view_.SetRetestEnabled(true);
}

bool SentenceTestController::prepareRun()
{
    SharedTestState& s = ctx_.State;
    view_.HideFinishEffect();
    if (s.ActiveMode != 1)
        return false;
    s.TestState = 1;
    return true;
}

void SentenceTestController::SentenceLabelClick(int index)
{
    SharedTestState& s = ctx_.State;
    if ((s.TestState != 1 && s.TestState != 2) || s.TestPos < 0)
        return;
    const int row = CurrentRow();
    if (row < 0 || index < 0 || index >= view_.SentenceLabelCount())
        return;
    lastClicked_ = view_.SentenceLabelText(index);
    if (lastClicked_ != english(row))
        return;
    view_.SetSentenceLabelLime(index);
    ctx_.Settings.WaitMs = 10;
    s.AnswerRight = true;
    markAnswered();
}

void SentenceTestController::step(int64_t position)
{
    SharedTestState& s = ctx_.State;
    if (s.TestState == 1) {
        showPlayedTime(position);
        if (s.TestPos == -1) {
            const int row = rowAt(0);
            s.AnswerRight = false;
            ctx_.ReadSettings();
            lastClicked_.clear();
            askItem(row, true);
            s.TestPos = 0;
        }
        if (player_.RangeFinished())
            beginWait(2);
    } else if (s.TestState == 2) {
        if (!waitOver(true))
            return;
        ctx_.ReadSettings();
        s.TestState = 1;
        if (s.AnswerRight)
            ++s.TestScore;
        if (recordedTest() != 0) {
            const ItemAnswer answer = itemAnswer(CurrentRow(), lastClicked_, s.AnswerRight);
            keepError([&] { ctx_.Journal->RecordItem(answer); });
        }
        lastClicked_.clear();
        if (lastItem())
            finish();
        else
            askItem(nextItem(), true);
    }
}

int SentenceTestController::rightItems() const
{
    int found = 0;
    for (int i = 0; i < view_.SentenceLabelCount(); ++i)
        found += view_.SentenceLabelLime(i) ? 1 : 0;
    return found;
}

void SentenceTestController::replayItem(int row)
{
    if (ctx_.State.TestState == 1)
        StartItemVoice(ctx_.Book, player_, row);
    else
        restartWait();
}

} // namespace zarelo
