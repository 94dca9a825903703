#include "quiz/WordTestController.h"

#include "book/Gbk.h"
#include "quiz/WordTestSelection.h"

namespace zarelo {

namespace {

const QString kThreeBlanks = QStringLiteral("   ");

} // namespace

WordTestController::WordTestController(const WordTestContext& context, WordTestView& view,
                                       VoicePlayback& player, WordHistory& history)
    : TestFlow(context, view, player), view_(view), history_(history)
{
}

QString WordTestController::chinese(int row) const
{
    return fromGbk(ctx_.Book.Content.Sentences.ChineseText[row]);
}

bool WordTestController::Enter(Mode mode)
{
    wrongWords_ = std::exchange(nextWords_, {});
    return TestFlow::Enter(mode);
}

void WordTestController::build(int activeMode)
{
    if (wrongWords_.isEmpty()) {
        BuildWordTest(activeMode);
        return;
    }
    buildFromRows(2, WordRowsOf(ctx_.Book, wrongWords_), QStringLiteral("错词听写"), false);
}

RecordedMode WordTestController::recordedMode() const
{
    if (AsksWrongWords())
        return RecordedMode::WrongWords;
    return ctx_.State.ActiveMode == 3 ? RecordedMode::Memorising : RecordedMode::Dictation;
}

bool WordTestController::coversLesson() const
{
    return !AsksWrongWords() && ctx_.Settings.TestAreaSetting == 1;
}

void WordTestController::BuildWordTest(int mode)
{
    // One scan gives both the count and the candidates: the history is
    // looked up once per row.
    const std::vector<int> rows =
        QualifyingWordRows(ctx_.Book, ctx_.Settings.TestAreaSetting,
                           [this](const QString& word) { return history_.IsNotPassedWord(word); });
    buildFromRows(mode, rows, mode == 3 ? QStringLiteral("背单词") : QStringLiteral("听写单词"),
                  true);
}

void WordTestController::buildFromRows(int mode, const std::vector<int>& rows, const QString& title,
                                       bool cut)
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
        view_.SetTitle(title);
    } else if (mode == 3) {
        view_.SetVoiceCheckVisible(true);
        view_.SetDisplayChineseVisible(false);
        view_.SetTitle(title);
    }

    view_.HideFinishEffect();
    view_.SetChinese(kThreeBlanks);
    view_.SetExpected(kThreeBlanks);
    s.TestScore = 0;
    player_.SetRange(player_.RangeStart(), 0);

    if (rows.empty()) {
        s.ActiveMode = -1;
        return;
    }
    AdvanceByTicks(s.RandomState, ctx_.Ticks.GetTickCount());
    takeItems(rows, ShuffledOrder(s.RandomState, int(rows.size())), cut);
    PrepareFirstItemVoice(book, player_, rowAt(0));
    if (cut)
        showUnit();
    else
        view_.SetUnitText(QString()); // the words come from the whole book
    view_.ShowEntryPanel();
    showReady();
    view_.SetWordCount(QStringLiteral("本次测试单词共%1个").arg(ItemCount()));
    endBuild();
}

void WordTestController::showReady()
{
    view_.SetStopEnabled(false);
    view_.SetStartEnabled(true);
    view_.SetRetestEnabled(false);
    view_.SetShowErrorEnabled(false);
}

bool WordTestController::prepareRun()
{
    SharedTestState& s = ctx_.State;
    view_.SetShowErrorEnabled(false);
    view_.SetEnterWordEnabled(true);
    s.Answers.clear();
    s.TestState = s.ActiveMode == 3 ? 5 : 3;
    view_.FocusEnterWord();
    return true;
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
        markAnswered();
    } else {
        view_.SetMark(QStringLiteral("╳"));
        view_.SetExpected(english(row));
    }
}

void WordTestController::closeItem(int row)
{
    SharedTestState& s = ctx_.State;
    const ItemAnswer answer = itemAnswer(row, view_.EnterWordText(), s.AnswerRight);
    if (s.AnswerRight) {
        ++s.TestScore;
        keepError([&] {
            history_.RecordRightAnswer(english(row).trimmed(), view_.MessageOwner(), answer);
        });
    } else {
        AddToAnswerList(view_.EnterWordText(), english(row).trimmed(), chinese(row).trimmed(),
                        answer);
    }
}

void WordTestController::AddToAnswerList(const QString& input, const QString& expected,
                                         const QString& chineseText, const ItemAnswer& answer)
{
    ctx_.State.Answers.push_back({expected, input, chineseText});
    keepError([&] { history_.RecordWrongAnswer(expected, view_.MessageOwner(), answer); });
}

int WordTestController::clearForFirstItem()
{
    ctx_.State.AnswerRight = false;
    view_.SetExpected(kThreeBlanks);
    view_.SetEnterWordText(kThreeBlanks);
    return rowAt(0);
}

bool WordTestController::closeWaitedItem(int askingState, bool afterVoice)
{
    if (!waitOver(afterVoice))
        return false;
    ctx_.ReadSettings();
    view_.SetMark(QStringLiteral(" "));
    ctx_.State.TestState = askingState;
    closeItem(CurrentRow());
    return true;
}

void WordTestController::step(int64_t position)
{
    SharedTestState& s = ctx_.State;
    switch (s.TestState) {
    case 3: // dictation: the word plays
        showPlayedTime(position);
        if (s.TestPos == -1) {
            const int row = clearForFirstItem();
            view_.SetChinese(view_.DisplayChineseChecked() ? chinese(row) : QString());
            ctx_.ReadSettings();
            askItem(row, true);
            s.TestPos = 0;
        }
        if (player_.RangeFinished())
            beginWait(4);
        break;
    case 4: { // dictation: the wait for the answer
        if (!closeWaitedItem(3, true))
            break;
        if (lastItem()) {
            finishWithMark(QStringLiteral("  "));
            break;
        }
        const int row = nextItem();
        view_.SetEnterWordText(QString());
        view_.SetExpected(kThreeBlanks);
        view_.SetChinese(view_.DisplayChineseChecked() ? chinese(row) : QString());
        askItem(row, true);
        break;
    }
    case 5: { // memorising: the meaning shows, with the word's voice if chosen
        const bool voice = view_.VoiceChecked();
        if (voice)
            showPlayedTime(position);
        if (s.TestPos == -1) {
            const int row = clearForFirstItem();
            view_.SetChinese(chinese(row));
            askItem(row, voice);
            s.TestPos = 0;
        }
        if (!voice || player_.RangeFinished())
            beginWait(6);
        break;
    }
    case 6: { // memorising: the wait for the answer
        const bool voice = view_.VoiceChecked();
        if (!closeWaitedItem(5, voice))
            break;
        s.AnswerRight = false;
        view_.SetEnterWordText(QString());
        view_.SetExpected(kThreeBlanks);
        if (lastItem()) {
            finishWithMark(QStringLiteral(" "));
            break;
        }
        const int row = nextItem();
        view_.SetChinese(chinese(row));
        askItem(row, voice);
        break;
    }
    default:
        break;
    }
}

void WordTestController::finishWithMark(const QString& mark)
{
    view_.SetMark(mark);
    finish();
    view_.SetShowErrorEnabled(true);
}

void WordTestController::replayItem(int row)
{
    const int state = ctx_.State.TestState;
    if (state == 3 || (state == 5 && view_.VoiceChecked()))
        StartItemVoice(ctx_.Book, player_, row);
    else if (state == 4 || state == 6)
        restartWait();
}

} // namespace zarelo
