#include "quiz/WordTestController.h"

#include "book/Gbk.h"
#include "quiz/FinishEffect.h"
#include "quiz/WordTestSelection.h"

#include <QFile>

namespace zarelo {

namespace {

const QString kThreeBlanks = QStringLiteral("   ");
// The standard information box is captioned with the application's title.
const QString kApplicationTitle = QStringLiteral("Zarelo英语学习软件");

bool Running(int testState)
{
    return testState >= 3 && testState <= 6;
}

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

WordTestController::WordTestController(const WordTestContext& context, WordTestView& view,
                                       VoicePlayback& player, WordHistory& history)
    : ctx_(context), view_(view), player_(player), history_(history)
{
}

int WordTestController::rowAt(int pos) const
{
    const SharedTestState& s = ctx_.State;
    if (pos < 0 || pos >= int(s.TestOrder.size()))
        return -1;
    const int candidate = s.TestOrder[size_t(pos)];
    if (candidate < 0 || candidate >= int(s.TestCandidates.size()))
        return -1;
    return s.TestCandidates[size_t(candidate)];
}

int WordTestController::CurrentRow() const
{
    return rowAt(ctx_.State.TestPos);
}

QString WordTestController::english(int row) const
{
    return fromGbk(ctx_.Book.Content.Sentences.EnglishText[row]);
}

QString WordTestController::chinese(int row) const
{
    return fromGbk(ctx_.Book.Content.Sentences.ChineseText[row]);
}

void WordTestController::setRangeFrom(int row)
{
    const SentenceTable& t = ctx_.Book.Content.Sentences;
    player_.SetRange(t.StartTime[size_t(row)], t.EndTime[size_t(row)]);
}

void WordTestController::BuildWordTest(int mode)
{
    SharedTestState& s = ctx_.State;
    OpenBook& book = ctx_.Book;
    run_.Renew();
    setPacing(false);
    view_.SetEnterWordEnabled(false);
    view_.SetEnterWordText(QString());
    view_.SetItemProgress(-1, 0);
    view_.SetTimePosition(0);
    view_.SetVoiceCheckVisible(false);

    s.ActiveMode = mode;
    if (mode == 2) {
        view_.SetDisplayChineseVisible(true);
        view_.SetTitle(QStringLiteral("听写单词"));
    } else if (mode == 3) {
        view_.SetVoiceCheckVisible(true);
        view_.SetDisplayChineseVisible(false);
        view_.SetTitle(QStringLiteral("背单词"));
    }

    view_.HideFinishEffect();
    view_.SetChinese(kThreeBlanks);
    view_.SetExpected(kThreeBlanks);
    s.TestScore = 0;
    player_.SetRange(player_.RangeStart(), 0);

    // One scan gives both the count and the candidates: the history is
    // looked up once per row.
    const std::vector<int> rows =
        QualifyingWordRows(book, ctx_.Settings.TestAreaSetting,
                           [this](const QString& word) { return history_.IsNotPassedWord(word); });
    if (rows.empty()) {
        s.ActiveMode = -1;
        return;
    }
    s.TestCandidates = rows;
    AdvanceByTicks(s.RandomState, ctx_.Ticks.GetTickCount());
    s.TestOrder = ShuffledOrder(s.RandomState, int(rows.size()));
    const int maximum = TrunckOrderedTestSentences(s.TestOrder, ctx_.Settings.WordNumberSetting);
    if (maximum >= 0)
        view_.SetItemProgress(maximum, 0);
    const int n = ItemCount();

    PrepareFirstItemVoice(book, player_, rowAt(0));

    book.LessonOfPage();
    const QString unit = book.CurrentUnitText();
    if (ctx_.Settings.TestAreaSetting == 1 && !unit.isEmpty())
        view_.SetUnitText(unit);

    view_.ShowEntryPanel();
    view_.SetStopEnabled(false);
    view_.SetStartEnabled(true);
    view_.SetRetestEnabled(false);
    view_.SetShowErrorEnabled(false);
    view_.SetWordCount(QStringLiteral("本次测试单词共%1个").arg(n));

    if (s.TestState != -1) {
        SbtStopTestingClick();
        view_.SetStartEnabled(true);
    }
}

void WordTestController::SbtStartTestingClick()
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
    view_.SetShowErrorEnabled(false);
    ctx_.ReadSettings();
    view_.SetEnterWordEnabled(true);
    view_.SetScoreText(QStringLiteral("总分：        "));
    s.Answers.clear();
    s.TestState = s.ActiveMode == 3 ? 5 : 3;
    // No item is asked before the cue has ended: input meanwhile is ignored.
    s.TestPos = -1;
    s.AnswerRight = false;
    view_.FocusEnterWord();
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
}

void WordTestController::EdtEnterWordKeyPress()
{
    SharedTestState& s = ctx_.State;
    if (s.TestState < 3 || s.TestState > 6 || s.TestPos < 0)
        return;
    const int row = CurrentRow();
    if (row < 0)
        return;
    if (view_.EnterWordText().trimmed().toUpper() == english(row).trimmed().toUpper()) {
        view_.SetMark(QStringLiteral("√"));
        ctx_.Settings.WaitMs = 10;
        s.AnswerRight = true;
    } else {
        view_.SetMark(QStringLiteral("╳"));
        view_.SetExpected(english(row));
    }
}

template <class F> void WordTestController::recordHistory(F&& update)
{
    try {
        update();
    } catch (...) {
        if (!historyError_)
            historyError_ = std::current_exception();
    }
}

void WordTestController::closeItem(int row)
{
    SharedTestState& s = ctx_.State;
    if (s.AnswerRight) {
        ++s.TestScore;
        recordHistory(
            [&] { history_.RecordRightAnswer(english(row).trimmed(), view_.MessageOwner()); });
    } else {
        AddToAnswerList(view_.EnterWordText(), english(row).trimmed(), chinese(row).trimmed());
    }
}

void WordTestController::AddToAnswerList(const QString& input, const QString& expected,
                                         const QString& chineseText)
{
    ctx_.State.Answers.push_back({expected, input, chineseText});
    recordHistory([&] { history_.RecordWrongAnswer(expected, view_.MessageOwner()); });
}

void WordTestController::Timer_PlayTimer()
{
    SharedTestState& s = ctx_.State;
    const int64_t p = player_.Position();
    if (!player_.IsPlaying())
        return;
    if (s.ActiveMode != 2 && s.ActiveMode != 3) {
        setPacing(false);
        player_.SetPlaying(false);
        player_.StopVoice();
        return;
    }
    const int n = ItemCount();
    const auto itemLength = [&] {
        return B(player_.RangeEnd() / 10) - B(player_.RangeStart() / 10);
    };
    const auto waitBytes = [&] { return B(ctx_.Settings.WaitMs / 1000.0); };
    const auto elapsed = [&] { return int64_t(uint32_t(ctx_.Ticks.GetTickCount() - s.WaitStart)); };
    const auto beginWait = [&](int state) {
        s.TestState = state;
        s.WaitStart = ctx_.Ticks.GetTickCount();
        player_.StopVoice();
    };

    switch (s.TestState) {
    case 3: {
        view_.SetTimePosition(p - B(player_.RangeStart() / 10));
        if (s.TestPos == -1) {
            const int row = rowAt(0);
            s.AnswerRight = false;
            view_.SetExpected(kThreeBlanks);
            view_.SetEnterWordText(kThreeBlanks);
            view_.SetChinese(view_.DisplayChineseChecked() ? chinese(row) : QString());
            setRangeFrom(row);
            ctx_.ReadSettings();
            view_.SetTimeMaximum(waitBytes() + itemLength());
            view_.SetTimePosition(0);
            StartItemVoice(ctx_.Book, player_, row);
            s.TestPos = 0;
        }
        if (player_.RangeFinished())
            beginWait(4);
        break;
    }
    case 4: {
        const int64_t e = elapsed();
        view_.SetTimePosition(B(e / 1000.0) + B((player_.RangeEnd() - player_.RangeStart()) / 10));
        if (e < ctx_.Settings.WaitMs)
            break;
        ctx_.ReadSettings();
        view_.SetMark(QStringLiteral(" "));
        s.TestState = 3;
        closeItem(CurrentRow());
        if (s.TestPos >= n - 1) {
            finish(QStringLiteral("  "));
            break;
        }
        view_.SetItemProgress(-1, s.TestPos + 1);
        ++s.TestPos;
        s.AnswerRight = false;
        view_.SetEnterWordText(QString());
        view_.SetExpected(kThreeBlanks);
        const int row = CurrentRow();
        setRangeFrom(row);
        view_.SetTimeMaximum(waitBytes() + itemLength());
        view_.SetTimePosition(0);
        view_.SetChinese(view_.DisplayChineseChecked() ? chinese(row) : QString());
        StartItemVoice(ctx_.Book, player_, row);
        break;
    }
    case 5: {
        const bool voice = view_.VoiceChecked();
        if (voice)
            view_.SetTimePosition(p - B(player_.RangeStart() / 10));
        if (s.TestPos == -1) {
            const int row = rowAt(0);
            setRangeFrom(row);
            s.AnswerRight = false;
            view_.SetExpected(kThreeBlanks);
            view_.SetEnterWordText(kThreeBlanks);
            if (voice) {
                view_.SetTimeMaximum(waitBytes() + itemLength());
                StartItemVoice(ctx_.Book, player_, row);
            } else {
                view_.SetTimeMaximum(waitBytes());
            }
            view_.SetTimePosition(0);
            view_.SetChinese(chinese(row));
            s.TestPos = 0;
        }
        if (!voice || player_.RangeFinished())
            beginWait(6);
        break;
    }
    case 6: {
        const bool voice = view_.VoiceChecked();
        const int64_t e = elapsed();
        view_.SetTimePosition(voice ? B(e / 1000.0) +
                                          B((player_.RangeEnd() - player_.RangeStart()) / 10)
                                    : B(e / 1000.0));
        if (e < ctx_.Settings.WaitMs)
            break;
        ctx_.ReadSettings();
        view_.SetMark(QStringLiteral(" "));
        s.TestState = 5;
        closeItem(CurrentRow());
        s.AnswerRight = false;
        view_.SetEnterWordText(QString());
        view_.SetExpected(kThreeBlanks);
        if (s.TestPos >= n - 1) {
            finish(QStringLiteral(" "));
            break;
        }
        view_.SetItemProgress(-1, s.TestPos + 1);
        ++s.TestPos;
        const int row = CurrentRow();
        view_.SetChinese(chinese(row));
        setRangeFrom(row);
        view_.SetTimeMaximum(voice ? waitBytes() + itemLength() : waitBytes());
        view_.SetTimePosition(0);
        if (voice)
            StartItemVoice(ctx_.Book, player_, row);
        break;
    }
    default:
        break;
    }
    if (historyError_)
        std::rethrow_exception(std::exchange(historyError_, nullptr));
}

void WordTestController::finish(const QString& mark)
{
    SharedTestState& s = ctx_.State;
    s.TestState = 0;
    view_.SetMark(mark);
    player_.StopVoice();
    PlayCueSound(2);
    // ShowFinishEffect: both bars back to 0, give up, then the effect.
    view_.SetItemProgress(-1, 0);
    view_.SetTimePosition(0);
    SbtStopTestingClick();
    ShowScore();
    view_.StartFinishEffect(s.TestScore);
    view_.SetShowErrorEnabled(true);
    view_.SetRetestEnabled(true);
}

void WordTestController::ShowScore()
{
    SharedTestState& s = ctx_.State;
    s.TestScore = ScorePercent(s.TestScore, ItemCount());
    view_.SetScoreText(ScoreText(s.TestScore));
}

void WordTestController::SbtStopTestingClick()
{
    run_.Renew();
    view_.SetStopEnabled(false);
    view_.HideFinishEffect();
    ctx_.State.TestState = -1;
    view_.SetStartEnabled(false);
    view_.SetRetestEnabled(true);
    player_.StopVoice();
}

void WordTestController::SbtRetestClick()
{
    BuildWordTest(ctx_.State.ActiveMode);
    view_.SetStopEnabled(false);
    view_.SetStartEnabled(true);
    view_.SetRetestEnabled(false);
    view_.SetShowErrorEnabled(false);
}

void WordTestController::SpeedButton12Click()
{
    SbtStopTestingClick();
    ctx_.State.ActiveMode = -1;
    view_.CloseWindow();
}

void WordTestController::FormHide()
{
    setPacing(false);
}

void WordTestController::setPacing(bool on)
{
    run_.SetPacing(on);
    view_.SetTimerActive(on);
}

bool WordTestController::Enter(Mode mode)
{
    BuildWordTest(mode == Mode::Memorise ? 3 : 2);
    return ctx_.State.ActiveMode != -1;
}

void WordTestController::Leave()
{
    setPacing(false);
    if (Running(ctx_.State.TestState))
        SbtStopTestingClick();
    else
        run_.Renew();
    player_.StopVoice();
}

void WordTestController::Suspend()
{
    run_.Suspend();
    view_.SetTimerActive(false);
    player_.StopVoice();
}

void WordTestController::Resume()
{
    SharedTestState& s = ctx_.State;
    const bool pacing = run_.TakeSuspendedPacing();
    if (!Running(s.TestState))
        return;
    // The borrower may have loaded another voice, moved the range and
    // stopped the player.
    player_.SetPlaying(true);
    const int row = CurrentRow();
    if (row >= 0) {
        setRangeFrom(row);
        if (s.TestState == 3 || (s.TestState == 5 && view_.VoiceChecked()))
            StartItemVoice(ctx_.Book, player_, row);
        else if (s.TestState == 4 || s.TestState == 6)
            s.WaitStart = ctx_.Ticks.GetTickCount();
    }
    if (pacing)
        setPacing(true);
}

} // namespace zarelo
