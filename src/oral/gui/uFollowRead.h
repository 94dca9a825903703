#pragma once
// The oral training window TfrmFollow ("口语跟读练习"): a sentence of the open
// book with its reference voice (原音) and its loudness picture, the pupil's
// recording (我的声音) with its picture scaled to the reference, the live
// spectrum while recording, the input list and its volume, and the
// comparison that plays the reference and then the recording, and below
// the pictures the row of the sentence's words: a click plays the book's
// word and then the pupil's and marks both on the pictures. The rules live
// in OralController; this window builds the controls, draws the pictures and
// the spectrum it is handed, and forwards its events and timers. Made for one
// use, shown modally and freed. UI thread only.

#include "oral/OralController.h"
#include "oral/spectrum_vis.h"

#include <QDialog>

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
class QWidget;

namespace zarelo {

class SurfaceBox;

// Everything process-wide the window works on (OralContext), owned by the
// application. All references must outlive the window.
using FollowWindowContext = OralContext;

class TfrmFollow final : public QDialog, private OralView {
    Q_OBJECT
public:
    // Builds the controls; FormCreate opens the device and the first sentence.
    explicit TfrmFollow(const FollowWindowContext& context, QWidget* parent = nullptr);
    // FormDestroy.
    ~TfrmFollow() override;

    // Opens the default recording device, fills the input list, makes the
    // pupil's picture and shows the first sentence (OralController). False,
    // after "Cannot start default recording device!", when there is no
    // recording device: the window is not to be shown then. Throws BookError
    // when the sentence's voice file is damaged or its page name holds no
    // page number.
    bool FormCreate();
    // Ends a running recording before its buffer goes, frees the pupil's
    // stream and the buffer, stops both voices. Runs once.
    void FormDestroy();

    OralController& controller() { return controller_; }
    OralRecorder& Recorder() { return controller_.Recorder(); }
    // The path the recording is saved to.
    QString RecordingFile() const { return controller_.RecordingFile(); }

    // The live spectrum, drawn on PaintFrame's screen.
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
    QWidget* WordRow;     // below the pictures' row of controls
    // The sentence's words, in order; objectName "WordButton<i>".
    std::vector<QPushButton*> WordButtons;
    QTimer* PosTimer;
    QTimer* Timer1;

public slots:
    void ComboBox1Change();
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
    void PaintOrginPaint(QPainter& painter);
    void PaintFramePaint(QPainter& painter);

private:
    // OralView
    void SetInputs(const QStringList& names) override;
    void SetCurrentInput(int input) override;
    int CurrentInput() const override;
    int VolumePosition() const override;
    void SetVolumePosition(int percent) override;
    void ShowVolume(const QString& text) override;
    void ShowInputType(const QString& text) override;
    int NoiseThreshold() const override;
    QSize PictureSize() const override;
    void ShowSentenceText(const QString& text) override;
    void SetRecordCaption(const QString& text) override;
    void SetOwnVoiceEnabled(bool on) override;
    void SetPosTimerActive(bool on) override;
    void SetTimer1Active(bool on) override;
    void ShowPosition(const QString& text) override;
    void ShowSpectrum(const float* values) override;
    void ShowReferencePicture() override;
    void ShowOwnPicture() override;
    QObject* MessageOwner() override { return this; }
    void ShowWords(const QStringList& words) override;
    void SetWordMissing(int index, bool missing) override;

    void buildControls();
    template <class F> void guarded(F&& handler);

    OralContext ctx_;
    OralController controller_;
};

} // namespace zarelo
