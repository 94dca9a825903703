#pragma once
// The word test engine of dictation (mode 2) and memorising (mode 3): the
// build of a test, the answer check on Enter, the 200 ms pacing timer with
// its states 3 to 6, the history updates and the answer list; Start, give up,
// new questions, Back, the finish and the mode session are TestFlow's. It
// drives the window, the voice player and the history through the small
// interfaces below, so that its rules run the same in the window and in unit
// tests. UI thread only.

#include "quiz/TestFlow.h"

#include <QString>
#include <QStringList>

class QObject;

namespace zarelo {

// The word test window as the engine sees it (implemented by TfrmWordTest).
class WordTestView : public virtual TestFlowView {
public:
    virtual void SetTitle(const QString& text) = 0;     // lbTestTitle
    virtual void SetWordCount(const QString& text) = 0; // LbWordCount
    virtual void SetChinese(const QString& text) = 0;   // lbCN
    virtual void SetMark(const QString& text) = 0;      // Label5
    virtual void SetExpected(const QString& text) = 0;  // RightEn
    virtual QString EnterWordText() const = 0;          // EdtEnterWord, as typed
    virtual void SetEnterWordText(const QString& text) = 0;
    virtual void SetEnterWordEnabled(bool on) = 0;
    virtual void FocusEnterWord() = 0;
    virtual void ShowEntryPanel() = 0;                  // PnTestEnterWord and EdtEnterWord shown
    virtual void SetVoiceCheckVisible(bool on) = 0;     // ChkVoice "语音提示"
    virtual void SetDisplayChineseVisible(bool on) = 0; // ChkDispCN "显示中文"
    virtual bool VoiceChecked() const = 0;
    virtual bool DisplayChineseChecked() const = 0;
    virtual void SetShowErrorEnabled(bool on) = 0; // SbtShowError "查看答案"
};

// The word history as the engine uses it (TdmMain). Words are trimmed. An
// answer's record row (`answer`) is written with the word's counters.
class WordHistory {
public:
    virtual ~WordHistory() = default;
    virtual bool IsNotPassedWord(const QString& word) = 0;
    virtual void RecordRightAnswer(const QString& word, QObject* owner,
                                   const ItemAnswer& answer) = 0;
    virtual void RecordWrongAnswer(const QString& word, QObject* owner,
                                   const ItemAnswer& answer) = 0;
};

class WordTestController final : public TestFlow {
public:
    WordTestController(const WordTestContext& context, WordTestView& view, VoicePlayback& player,
                       WordHistory& history);

    // Chooses, shuffles and cuts the items for mode 2 or 3 and prepares the
    // window. Without a qualifying word ActiveMode becomes -1 and nothing on
    // the window changes.
    void BuildWordTest(int mode);
    // The next entry into dictation asks exactly `words` (the words answered
    // wrong most often): each word's first entry in the book, shuffled and
    // not cut, titled "错词听写" and recorded as a wrong-word dictation.
    // New questions asks the same words again; any other entry ends it.
    void AskWordsNext(QStringList words) { nextWords_ = std::move(words); }
    bool AsksWrongWords() const { return !wrongWords_.isEmpty(); }
    // ModeSession: the words asked next, if any, are taken here.
    bool Enter(Mode mode) override;
    void StopWordTest() { SbtStopTestingClick(); }
    // Enter in the answer edit; ignored until the first item has begun.
    void EdtEnterWordKeyPress();

private:
    // TestFlow. Every mode but memorising builds dictation. The pacing
    // closes an item once: when its history update throws, the test still
    // moves on, and the error is thrown again at the end of the step.
    void build(int activeMode) override;
    int activeModeFor(Mode mode) const override { return mode == Mode::Memorise ? 3 : 2; }
    bool ownsActiveMode(int activeMode) const override
    {
        return activeMode == 2 || activeMode == 3;
    }
    bool runningState(int testState) const override { return testState >= 3 && testState <= 6; }
    void showReady() override;
    bool prepareRun() override;
    void step(int64_t position) override;
    void replayItem(int row) override;
    int rightItems() const override { return ctx_.State.TestScore; }
    RecordedMode recordedMode() const override;
    bool coversLesson() const override;

    // The first item's tick: its answer and the expected word cleared;
    // returns its row.
    int clearForFirstItem();
    // The build of the chosen rows, titled `title`; `cut`: cut to the
    // configured number of items.
    void buildFromRows(int mode, const std::vector<int>& rows, const QString& title, bool cut);
    void closeItem(int row);
    // The wait after an item (TestFlow::waitOver); once it is over: the
    // settings read again, the mark cleared, TestState back to
    // `askingState` and the item closed. True then.
    bool closeWaitedItem(int askingState, bool afterVoice);
    void AddToAnswerList(const QString& input, const QString& expected, const QString& chinese,
                         const ItemAnswer& answer);
    // TestFlow's finish with the mark `mark`; the answer list is offered.
    void finishWithMark(const QString& mark);
    QString chinese(int row) const;

    WordTestView& view_;
    WordHistory& history_;
    QStringList nextWords_;
    QStringList wrongWords_;
};

} // namespace zarelo
