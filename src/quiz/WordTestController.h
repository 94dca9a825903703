#pragma once
// The word test engine of dictation (mode 2) and memorising (mode 3): the
// build of a test, Start, give up, new questions, the answer check on Enter,
// the 200 ms pacing timer with its states 3 to 6, the history updates and
// the finish. It drives the window, the voice player and the history through
// the small interfaces below, so that its rules run the same in the window
// and in unit tests. As a mode it holds the voice player while its test is
// built; the mode owner stops, suspends and resumes it. UI thread only.

#include "audio/VoicePlayback.h"
#include "base/ModeSession.h"
#include "base/UserMessages.h"
#include "base/uFunc.h"
#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <utility>

class QObject;

namespace zarelo {

// The word test window as the engine sees it (implemented by TfrmWordTest).
class WordTestView {
public:
    virtual ~WordTestView() = default;
    virtual void SetTimerActive(bool on) = 0;           // Timer_Play
    virtual void SetTitle(const QString& text) = 0;     // lbTestTitle
    virtual void SetUnitText(const QString& text) = 0;  // lbUnit
    virtual void SetWordCount(const QString& text) = 0; // LbWordCount
    virtual void SetChinese(const QString& text) = 0;   // lbCN
    virtual void SetMark(const QString& text) = 0;      // Label5
    virtual void SetExpected(const QString& text) = 0;  // RightEn
    virtual void SetScoreText(const QString& text) = 0; // LblCore
    virtual QString EnterWordText() const = 0;          // EdtEnterWord, as typed
    virtual void SetEnterWordText(const QString& text) = 0;
    virtual void SetEnterWordEnabled(bool on) = 0;
    virtual void FocusEnterWord() = 0;
    virtual void ShowEntryPanel() = 0;                  // PnTestEnterWord and EdtEnterWord shown
    virtual void SetVoiceCheckVisible(bool on) = 0;     // ChkVoice "语音提示"
    virtual void SetDisplayChineseVisible(bool on) = 0; // ChkDispCN "显示中文"
    virtual bool VoiceChecked() const = 0;
    virtual bool DisplayChineseChecked() const = 0;
    // ProgressBar1 (items) and ProgressBar3 (time of the item, in bytes of
    // the voice stream). A maximum of -1 leaves it as it is.
    virtual void SetItemProgress(int maximum, int position) = 0;
    virtual void SetTimeMaximum(int64_t maximum) = 0;
    virtual void SetTimePosition(int64_t position) = 0;
    virtual void SetStartEnabled(bool on) = 0;     // SbtStartTesting "开 始"
    virtual void SetStopEnabled(bool on) = 0;      // SbtStopTesting "放弃"
    virtual void SetRetestEnabled(bool on) = 0;    // SbtRetest "重新出题"
    virtual void SetShowErrorEnabled(bool on) = 0; // SbtShowError "查看答案"
    // Ends the finish effect: Timer1 off, PaintBox1 hidden (silver),
    // PnShow3D hidden.
    virtual void HideFinishEffect() = 0;
    // ShowFinishEffect's drawing part: lays out PnShow3D, makes the surfaces,
    // loads the flame and starts Timer1. Costs only the picture when the
    // flame cannot be loaded.
    virtual void StartFinishEffect(int score) = 0;
    virtual void CloseWindow() = 0;
    // Owner of the window's message boxes.
    virtual QObject* MessageOwner() = 0;
};

// The word history as the engine uses it (TdmMain). Words are trimmed.
class WordHistory {
public:
    virtual ~WordHistory() = default;
    virtual bool IsNotPassedWord(const QString& word) = 0;
    virtual void RecordRightAnswer(const QString& word, QObject* owner) = 0;
    virtual void RecordWrongAnswer(const QString& word, QObject* owner) = 0;
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

// What both tests keep of their own run: whether the pacing timer runs, and
// a number that changes whenever the test is built, given up or replaced, so
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

// Everything else the engine works on; the references must outlive it.
struct WordTestContext {
    OpenBook& Book;
    SharedTestState& State;
    TestSettings& Settings;
    UserMessages& Messages;
    const TickSource& Ticks;
    QString ProgramFolder;              // where "Start.wav" and "Succ.wav" are
    std::function<void()> ReadSettings; // reloads Settings (and so WaitMs)
};

class WordTestController final : public ModeSession {
public:
    WordTestController(const WordTestContext& context, WordTestView& view, VoicePlayback& player,
                       WordHistory& history);

    // Chooses, shuffles and cuts the items for mode 2 or 3 and prepares the
    // window. Without a qualifying word ActiveMode becomes -1 and nothing on
    // the window changes.
    void BuildWordTest(int mode);
    void StopWordTest() { SbtStopTestingClick(); }
    void SbtStartTestingClick();
    void SbtStopTestingClick(); // give up
    void SbtRetestClick();      // new questions
    void SpeedButton12Click();  // Back
    // Enter in the answer edit; ignored until the first item has begun.
    void EdtEnterWordKeyPress();
    // One step of the 200 ms pacing timer. An item closes once: when its
    // history update throws, the test still moves on, and the error is
    // thrown again at the end of the step.
    void Timer_PlayTimer();
    void FormHide();
    // "Start.wav" (which = 1) or "Succ.wav" (any other value). A missing file
    // costs only the sound; one that cannot be played shows "音频播放出错！".
    void PlayCueSound(int which)
    {
        zarelo::PlayCueSound(ctx_.ProgramFolder, which, player_, ctx_.Messages);
    }
    // The number of items of the built test.
    int ItemCount() const { return int(ctx_.State.TestOrder.size()); }
    // The sentence-table row of the current item, -1 when there is none.
    int CurrentRow() const;

    // ModeSession: Dictation builds mode 2, Memorise mode 3.
    bool Enter(Mode mode) override;
    void Leave() override;
    void Suspend() override;
    void Resume() override;

private:
    void setPacing(bool on);
    // Runs a history update; its error is kept for the end of the step.
    template <class F> void recordHistory(F&& update);
    int rowAt(int pos) const;
    void closeItem(int row);
    void AddToAnswerList(const QString& input, const QString& expected, const QString& chinese);
    void setRangeFrom(int row);
    void finish(const QString& mark);
    void ShowScore();
    int64_t B(double seconds) const { return player_.Bytes(seconds); }
    QString english(int row) const;
    QString chinese(int row) const;

    WordTestContext ctx_;
    WordTestView& view_;
    VoicePlayback& player_;
    WordHistory& history_;
    TestRun run_;
    std::exception_ptr historyError_;
};

} // namespace zarelo
