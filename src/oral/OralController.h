#pragma once
// The oral training controller: which sentence is on show and its reference
// voice, the pupil's recording (start, stop, save, a capture that ends by
// itself), the two timers' rules (PosTimer: the recording's size and live
// spectrum; Timer1: the end of the reference range, after which a pending
// comparison plays the recording once), the levels and loudness pictures
// of both voices, and the sentence's words: each one found in the book's
// recording and in the pupil's (off this thread, by WordAlignWorker), played
// one after the other and marked on both pictures when clicked. It drives the window through
// OralView and the voice player through its own rules (HoldsVoice, SelectVoice, PlayRange,
// RangeFinished), so that the same rules run in the window and in unit tests.
//
// Threads: user-interface thread only; the recording's capture thread
// touches only OralRecorder's buffer (see OralRecorder.h).

#include "audio/AudioEngine.h"
#include "base/PracticeLog.h"
#include "base/Surface.h"
#include "oral/OralRecorder.h"
#include "oral/VoiceWave.h"
#include "oral/WordAlignWorker.h"
#include "oral/spectrum_vis.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QObject;

namespace zarelo {

class UserMessages;
class VoicePlayer;
struct OpenBook;
struct ProgramPaths;

// Everything process-wide the oral training works on, owned by the
// application. All references must outlive the controller.
struct OralContext {
    const ProgramPaths& Paths; // RecordingFile() is where the recording is saved
    OpenBook& Book;
    VoicePlayer& Player;
    AudioEngine& Engine; // the engine of Player's streams; the recording runs on it
    UserMessages& Messages;
    // The general error report for an unexpected error inside a handler;
    // the handler ends there. Empty: a "提示" box through Messages.
    std::function<void(const QString& text)> ReportError;
    // Makes the aligner that finds the sentence's words in both recordings;
    // called once, on the aligning thread. Empty: the word row stays empty.
    WordAlignWorker::MakeAligner MakeAligner;
    // Where the training is recorded as practice (from the window's start
    // to its end, counting recordings); none: not recorded.
    PracticeLog* Practice = nullptr;
};

// The oral training window as the controller sees it (implemented by
// TfrmFollow). Setting a control's value never calls back into the
// controller, but for SetVolumePosition (see there).
class OralView {
public:
    virtual ~OralView() = default;
    // ComboBox1: filled with `names`, none chosen.
    virtual void SetInputs(const QStringList& names) = 0;
    virtual void SetCurrentInput(int input) = 0;
    virtual int CurrentInput() const = 0; // -1: none chosen
    // TrackBar1, 0..100. Moving it reports the change as a move by the
    // pupil does (TrackBar1Change).
    virtual int VolumePosition() const = 0;
    virtual void SetVolumePosition(int percent) = 0;
    virtual void ShowVolume(const QString& text) = 0;    // Label2
    virtual void ShowInputType(const QString& text) = 0; // Label1
    virtual int NoiseThreshold() const = 0;              // TrackBar2, 2..8
    // The size of both pictures (PaintOrgin, PaintFrame), pixels.
    virtual QSize PictureSize() const = 0;
    // memoSentText emptied and `text` added as its one paragraph.
    virtual void ShowSentenceText(const QString& text) = 0;
    virtual void SetRecordCaption(const QString& text) = 0; // bRecord
    virtual void SetOwnVoiceEnabled(bool on) = 0;           // bPlay and bSave
    virtual void SetPosTimerActive(bool on) = 0;
    virtual void SetTimer1Active(bool on) = 0;
    virtual void ShowPosition(const QString& text) = 0; // lPos
    // One frame of the live spectrum (TSpectrum::kValues magnitudes) drawn
    // over the pupil's picture until the next ShowOwnPicture.
    virtual void ShowSpectrum(const float* values) = 0;
    // The box shows ReferenceWavePicture / OwnWavePicture as they are now.
    virtual void ShowReferencePicture() = 0;
    virtual void ShowOwnPicture() = 0;
    // Owner of the window's message boxes.
    virtual QObject* MessageOwner() = 0;
    // The word row: one button per word, in order, none greyed; an empty
    // list empties the row. A click on button i reports WordClick(i).
    virtual void ShowWords(const QStringList& words) = 0;
    // Greys word `index` ("没有录到这个词") or shows it plainly again.
    virtual void SetWordMissing(int index, bool missing) = 0;
};

class OralController {
public:
    // Keeps both references; neither is used before FormCreate.
    OralController(const OralContext& context, OralView& view);
    OralController(const OralController&) = delete;
    OralController& operator=(const OralController&) = delete;

    // Opens the default recording device, fills the input list with the
    // input that is on chosen, makes the pupil's blank (white) picture and
    // shows the first sentence at or after the current page with its
    // reference picture. False, after "Cannot start default recording
    // device!", when there is no recording device. Throws BookError when the
    // sentence's voice file is damaged or a page name holds no page number.
    bool FormCreate();
    // Stops both timers, ends a running recording before its buffer goes,
    // frees the pupil's stream and the buffer and stops the book's voice.
    // Runs once; the view is not used after it.
    void FormDestroy();

    OralRecorder& Recorder() { return recorder_; }
    // The path the recording is saved to (ProgramPaths::RecordingFile).
    QString RecordingFile() const;
    // True from a successful StartRecording until StopRecording, whether or
    // not capture still runs: a capture that ended by itself is kept by the
    // next PosTimer tick or bRecord click.
    bool Recording() const { return recording_; }

    // The comparison ("声音比对"): set while the reference plays, cleared
    // when its range ends, which then plays the recording.
    bool ComparePending = false;
    // Level words (VoiceWave.h) of the sentence's reference range and of the
    // last recording, and the largest left + right of each.
    std::vector<uint32_t> ReferenceLevels;
    std::vector<uint32_t> OwnLevels;
    int ReferenceMax = 0;
    int OwnMax = 0;
    Surface ReferenceWavePicture; // null until the first DrawReferenceWave
    Surface OwnWavePicture;       // made by FormCreate

    // ---- the window's events and timers ----
    void ComboBox1Change();
    void UpdateInputInfo();
    void TrackBar1Change();
    // Stops a recording (kept, saved and measured) or starts one.
    void bRecordClick();
    // Plays the recording from its start; the book's voice stops.
    void bPlayClick();
    // Plays the sentence's range of the book's voice; the recording stops.
    void btnPlayOrginClick();
    void Button3Click(); // previous sentence
    void Button4Click(); // next sentence
    void Button5Click(); // the comparison
    void bSaveClick();
    void Button1Click();
    // Every 50 ms: the recording's size (and the play position of the
    // pupil's voice while it plays) and one spectrum frame; a capture that
    // ended by itself is kept as after "停止录音".
    void PosTimerTimer();
    // Every 50 ms: once the reference is past its range's end it stops, the
    // timer too, and a pending comparison plays the recording.
    void Timer1Timer();
    // Word `index` of the row: the book's word plays (its span of the
    // sentence's range), then, once the Timer1 tick finds it over, the
    // pupil's same word (its span of the recording) when the recording holds
    // it. Either span is marked on its picture. Whatever played stops first.
    void WordClick(int index);

    // The words of the sentence on show as the row shows them; empty until
    // the first alignment of the sentence arrives.
    QStringList Words;
    // Where each word lies in the sentence's range of the book's voice
    // (times from the range's start) and in the last recording; empty until
    // their alignments arrive. The recording's is emptied when a recording
    // starts or another sentence is shown.
    std::vector<speech::WordTiming> BookWords;
    std::vector<speech::WordTiming> OwnWords;
    // The columns [left, right) of the clicked word on each picture; nullopt
    // when no word is marked there.
    std::optional<std::pair<int, int>> ReferenceMark() const;
    std::optional<std::pair<int, int>> OwnMark() const;

    void StartRecording();
    void StopRecording();
    // Makes row `index` current, switching the voice file when its voice
    // differs, sets the play range to the row's and shows its English text.
    void ShowSentence(int index);
    void SelectFirstSentence();
    void MeasureOwnVoice();
    // The levels of [start, end] (tenths of a second) of the book's voice.
    void MeasureReferenceVoice(double start, double end);
    void DrawReferenceWave();
    void DrawOwnWave();

private:
    // The end of a recording by the pupil's click or by itself.
    void finishRecording();
    // Writes the recording file; reports a failure with the file's path.
    void saveRecording();
    // ShowSentence(index), then the reference voice of its range measured and drawn.
    void showAndMeasure(int index);
    void showError(const QString& text);
    // The sentence's words asked of the aligner; earlier answers go stale.
    void alignSentence();
    void alignRecording();
    // On the user-interface thread, for every alignment made.
    void alignmentArrived(AlignResult result);
    void playOwnWord();
    // Ends a word's playing; the play range is the sentence's again.
    void stopWord();
    void restoreSentenceRange();

    enum class WordPhase { None, Book, Own };

    OralContext ctx_;
    OralView& view_;
    OralRecorder recorder_;
    bool recording_ = false;
    bool saved_ = false; // the recording file holds the last recording
    bool destroyed_ = false;
    std::array<float, TSpectrum::kValues> spectrumValues_{};

    std::unique_ptr<WordAlignWorker> aligner_; // made by FormCreate, gone in FormDestroy
    int bookTicket_ = 0;                       // of the newest alignment asked for, per kind
    int ownTicket_ = 0;
    bool alignErrorShown_ = false;
    WaveStretch referenceStretch_; // what each picture was drawn over
    WaveStretch ownStretch_;
    int markedWord_ = -1;
    WordPhase wordPhase_ = WordPhase::None;
    std::optional<speech::WordTiming> ownWord_; // to play after the book's word
    QWORD ownWordEnd_ = 0;                      // byte position of OwnVoiceStream
};

} // namespace zarelo
