#pragma once
// The word test engine of dictation (mode 2) and memorising (mode 3): the
// build of a test, Start, give up, new questions, the answer check on Enter,
// the 200 ms pacing timer with its states 3 to 6, the history updates and
// the finish. It drives the window, the voice player and the history through
// the small interfaces below, so that its rules run the same in the window
// and in unit tests. UI thread only.

#include "book/BookContent.h"
#include "book/UserMessages.h"
#include "book/uFunc.h"
#include "book/uPublicVarDefine.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

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

// The one voice player and its engine as the engine of the test uses them:
// VoiceStream directly (position, play, stop, seek), PlayRangeStart /
// PlayRangeEnd, PlayState, OpenVoiceFile, and the cue sounds' own stream.
class WordTestPlayer {
public:
    virtual ~WordTestPlayer() = default;
    virtual bool IsPlaying() const = 0;        // PlayState == "mpPlaying"
    virtual void SetPlaying(bool playing) = 0; // PlayState := "mpPlaying" / "mpStop"
    virtual double RangeStart() const = 0;     // tenths of a second
    virtual double RangeEnd() const = 0;
    virtual void SetRange(double start, double end) = 0;
    virtual int64_t Position() const = 0;            // play position of VoiceStream, bytes (signed)
    virtual int64_t Bytes(double seconds) const = 0; // seconds to bytes of VoiceStream
    virtual void SetPosition(int64_t bytes) = 0;
    virtual void Play() = 0; // from where the stream stands
    virtual void Stop() = 0;
    // OpenVoiceFile(CurrentBook) of the voice CurrentVoiceName names.
    virtual void OpenVoiceFile() = 0;
    // Plays `bytes` (a whole sound file) as a stream of its own, leaving
    // VoiceStream alone. False when it cannot be played.
    virtual bool PlayCue(const QByteArray& bytes) = 0;
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
// row, the voice switched when its name differs (ignoring case), the stream
// set to the start. StartItemVoice, the range already set: switch the voice
// when it differs, seek (reading the position back at most 1001 times while
// the new stream settles) and play; otherwise play, then seek.
void PrepareFirstItemVoice(OpenBook& book, WordTestPlayer& player, int row);
void StartItemVoice(OpenBook& book, WordTestPlayer& player, int row);

// "Start.wav" (which = 1) or "Succ.wav" (any other value) from `folder`. A
// missing or unreadable file costs only its sound; one the engine cannot play
// shows "音频播放出错！".
void PlayCueSound(const QString& folder, int which, WordTestPlayer& player, UserMessages& messages);

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

class WordTestController {
public:
    WordTestController(const WordTestContext& context, WordTestView& view, WordTestPlayer& player,
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
    // Enter in the answer edit.
    void EdtEnterWordKeyPress();
    // One step of the 200 ms pacing timer.
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

private:
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
    WordTestPlayer& player_;
    WordHistory& history_;
};

} // namespace zarelo
