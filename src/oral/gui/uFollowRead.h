#pragma once
// The oral training window TfrmFollow ("口语跟读练习"): a sentence of the open
// book with its reference voice (原音) and its loudness picture, the pupil's
// recording (我的声音) with its picture scaled to the reference, the live
// spectrum while recording, the input list and its volume, and the
// comparison that plays the reference and then the recording. Made for one
// use, shown modally and freed. UI thread only, but for the recording
// callback, which runs on the capture thread (OralRecorder).

#include "book/Surface.h"
#include "oral/OralRecorder.h"
#include "oral/spectrum_vis.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTimer;

namespace zarelo {

class AudioEngine;
class SurfaceBox;
class UserMessages;
class VoicePlayer;
struct OpenBook;
struct ProgramPaths;

// Everything process-wide the window works on, owned by the application. All
// references must outlive the window.
struct FollowWindowContext {
    const ProgramPaths& Paths; // ProgramFile names the recording file
    OpenBook& Book;
    VoicePlayer& Player;
    AudioEngine& Engine;
    UserMessages& Messages;
    // The general error report for an unexpected error inside a handler of
    // this window; the handler ends there. Empty: a "提示" box through Messages.
    std::function<void(const QString& text)> ReportError;
};

class TfrmFollow final : public QDialog {
    Q_OBJECT
public:
    // Builds the controls; FormCreate opens the device and the first sentence.
    explicit TfrmFollow(const FollowWindowContext& context, QWidget* parent = nullptr);
    // FormDestroy.
    ~TfrmFollow() override;

    // Opens the default recording device, fills the input list, makes the
    // spectrum and the pupil's picture and shows the first sentence. False,
    // after "Cannot start default recording device!", when there is no
    // recording device: the window is not to be shown then. Throws BookError
    // when the sentence's voice file is damaged or its page name holds no
    // page number.
    bool FormCreate();
    // Ends a running recording before its buffer goes, frees the pupil's
    // stream and the buffer, stops both voices. Runs once.
    void FormDestroy();

    OralRecorder& Recorder() { return recorder_; }
    // The path the recording is saved to.
    QString RecordingFile() const;

    // The state of the comparison and the pictures.
    bool ComparePending = false;
    std::vector<uint32_t> ReferenceLevels;
    std::vector<uint32_t> OwnLevels;
    int ReferenceMax = 0;
    int OwnMax = 0;
    Surface ReferenceWavePicture; // null until the first DrawReferenceWave
    Surface OwnWavePicture;       // made by FormCreate
    std::unique_ptr<TSpectrum> Spectrum;

    // The controls, by their names (each also its objectName).
    QGroupBox* GroupBox1; // "课文内容"
    QPlainTextEdit* memoSentText;
    QPushButton* Button3; // "上一句"
    QPushButton* Button4; // "下一句"
    QGroupBox* GroupBox2; // "原音"
    SurfaceBox* PaintOrgin;
    QGroupBox* GroupBox3; // "我的声音"
    SurfaceBox* PaintFrame;
    QComboBox* ComboBox1;
    QLabel* Label1; // the input's type, hidden
    QLabel* Label3; // "话筒音量"
    QSlider* TrackBar1;
    QLabel* Label2;
    QLabel* Label4; // "噪声音量 "
    QSlider* TrackBar2;
    QPushButton* bRecord;
    QPushButton* bPlay;
    QPushButton* btnPlayOrgin;
    QPushButton* Button5; // "声音比对"
    QFrame* Bevel1;
    QLabel* lPos;
    QPushButton* bSave;   // hidden
    QPushButton* Button1; // hidden
    QTimer* PosTimer;
    QTimer* Timer1;

public slots:
    void ComboBox1Change();
    void UpdateInputInfo();
    void TrackBar1Change();
    void bRecordClick();
    void bPlayClick();
    void btnPlayOrginClick();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void bSaveClick();
    void Button1Click();
    void PosTimerTimer();
    void Timer1Timer();

public:
    void StartRecording();
    void StopRecording();
    void ShowSentence(int index);
    void SelectFirstSentence();
    void MeasureOwnVoice();
    void MeasureReferenceVoice(double start, double end);
    void DrawReferenceWave();
    void DrawOwnWave();
    void PaintOrginPaint(QPainter& painter);
    void PaintFramePaint(QPainter& painter);

private:
    void buildControls();
    template <class F> void guarded(F&& handler);
    // Writes the recording file; reports a failure with the file's path.
    void saveRecording();
    // ShowSentence(index), then the reference voice of its range measured and drawn.
    void showAndMeasure(int index);
    void showError(const QString& text);

    FollowWindowContext ctx_;
    OralRecorder recorder_;
    bool saved_ = false; // the recording file holds the last recording
    bool destroyed_ = false;
    std::array<float, TSpectrum::kValues> spectrumValues_{};
};

} // namespace zarelo
