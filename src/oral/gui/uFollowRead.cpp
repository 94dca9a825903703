#include "oral/gui/uFollowRead.h"

#include "audio/AudioEngine.h"
#include "audio/VoicePlayer.h"
#include "book/BookContent.h"
#include "book/BookError.h"
#include "book/Gbk.h"
#include "book/UserMessages.h"
#include "book/gui/Controls.h"
#include "book/gui/SurfaceImage.h"
#include "book/uPublicVarDefine.h"
#include "oral/SentenceChoice.h"
#include "oral/VoiceWave.h"
#include "oral/gui/SurfaceBox.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <cmath>

namespace zarelo {

namespace {

constexpr int kTimerMs = 50;       // PosTimer and Timer1
constexpr int kPictureWidth = 600; // PaintOrgin and PaintFrame
constexpr int kPictureHeight = 100;
const QString kCannotInit = QStringLiteral("Cannot start default recording device!");
const QString kCannotRecord = QStringLiteral("Couldn't start recording!");
const QString kCannotMakeStream = QStringLiteral("Error creating stream from recorded data!");

const QString kSongTi = QStringLiteral("宋体");

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect at)
{
    auto* button = named(new QPushButton(caption, parent), name);
    button->setGeometry(at);
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint at)
{
    auto* label = named(new QLabel(text, parent), name);
    label->move(at);
    label->adjustSize();
    return label;
}

QSlider* MakeTrackBar(QWidget* parent, const char* name, int minimum, int maximum, QRect at)
{
    auto* bar = named(new QSlider(Qt::Horizontal, parent), name);
    bar->setRange(minimum, maximum);
    bar->setGeometry(at);
    return bar;
}

} // namespace

TfrmFollow::TfrmFollow(const FollowWindowContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      ctx_(context), recorder_(context.Engine)
{
    setObjectName(QStringLiteral("frmFollow"));
    setWindowTitle(QStringLiteral("口语跟读练习"));
    setFont(PixelFont(12, false, kSongTi));
    setFixedSize(641, 451);
    buildControls();
    PosTimer->start();
    Timer1->start();
}

TfrmFollow::~TfrmFollow()
{
    FormDestroy();
}

void TfrmFollow::buildControls()
{
    GroupBox1 = named(new QGroupBox(QStringLiteral("课文内容"), this), "GroupBox1");
    GroupBox1->setGeometry(8, 2, 625, 96);
    memoSentText = named(new QPlainTextEdit(GroupBox1), "memoSentText");
    memoSentText->setGeometry(10, 18, 510, 70);
    memoSentText->setFont(PixelFont(16, true, kSongTi));
    memoSentText->setReadOnly(true);
    memoSentText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Button3 = MakeButton(GroupBox1, "Button3", QStringLiteral("上一句"), {530, 22, 84, 28});
    Button4 = MakeButton(GroupBox1, "Button4", QStringLiteral("下一句"), {530, 56, 84, 28});

    GroupBox2 = named(new QGroupBox(QStringLiteral("原音"), this), "GroupBox2");
    GroupBox2->setGeometry(8, 100, 625, 124);
    PaintOrgin = named(new SurfaceBox(GroupBox2), "PaintOrgin");
    PaintOrgin->setGeometry(12, 18, kPictureWidth, kPictureHeight);
    PaintOrgin->OnPaint = [this](QPainter& painter) { PaintOrginPaint(painter); };

    GroupBox3 = named(new QGroupBox(QStringLiteral("我的声音"), this), "GroupBox3");
    GroupBox3->setGeometry(8, 226, 625, 124);
    PaintFrame = named(new SurfaceBox(GroupBox3), "PaintFrame");
    PaintFrame->setGeometry(12, 18, kPictureWidth, kPictureHeight);
    PaintFrame->setAutoFillBackground(true);
    QPalette black = PaintFrame->palette();
    black.setColor(QPalette::Window, Qt::black);
    PaintFrame->setPalette(black);
    PaintFrame->OnPaint = [this](QPainter& painter) { PaintFramePaint(painter); };

    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ComboBox1->setGeometry(8, 358, 170, 22);
    Label3 = MakeLabel(this, "Label3", QStringLiteral("话筒音量"), {188, 362});
    TrackBar1 = MakeTrackBar(this, "TrackBar1", 0, 100, {240, 356, 140, 26});
    Label2 = MakeLabel(this, "Label2", QStringLiteral("0"), {386, 362});
    Label2->resize(30, Label2->height());
    Label4 = MakeLabel(this, "Label4", QStringLiteral("噪声音量 "), {424, 362});
    TrackBar2 = MakeTrackBar(this, "TrackBar2", 2, 8, {484, 356, 120, 26});
    TrackBar2->setValue(3);
    Label1 = MakeLabel(this, "Label1", QString(), {612, 362});
    Label1->hide();

    bRecord = MakeButton(this, "bRecord", QStringLiteral("开始录音"), {8, 396, 96, 30});
    bPlay = MakeButton(this, "bPlay", QStringLiteral("播放我的声音"), {110, 396, 96, 30});
    btnPlayOrgin = MakeButton(this, "btnPlayOrgin", QStringLiteral("播放原音"), {212, 396, 96, 30});
    Button5 = MakeButton(this, "Button5", QStringLiteral("声音比对"), {314, 396, 96, 30});
    Bevel1 = named(new QFrame(this), "Bevel1");
    Bevel1->setFrameShape(QFrame::Panel);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(420, 396, 213, 30);
    lPos = MakeLabel(Bevel1, "lPos", QString(), {8, 8});
    lPos->resize(197, lPos->height());
    bSave = MakeButton(this, "bSave", QStringLiteral("保存我的声音"), {8, 430, 96, 18});
    bSave->hide();
    Button1 = MakeButton(this, "Button1", QStringLiteral("测试"), {110, 430, 96, 18});
    Button1->hide();

    PosTimer = named(new QTimer(this), "PosTimer");
    PosTimer->setInterval(kTimerMs);
    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(kTimerMs);

    const auto connectGuarded = [this](auto* sender, auto signal, void (TfrmFollow::*handler)()) {
        connect(sender, signal, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    // activated: the pupil's choice only, as the list is filled without it.
    connectGuarded(ComboBox1, &QComboBox::activated, &TfrmFollow::ComboBox1Change);
    connectGuarded(TrackBar1, &QSlider::valueChanged, &TfrmFollow::TrackBar1Change);
    connectGuarded(TrackBar2, &QSlider::valueChanged, &TfrmFollow::TrackBar1Change);
    connectGuarded(bRecord, &QPushButton::clicked, &TfrmFollow::bRecordClick);
    connectGuarded(bPlay, &QPushButton::clicked, &TfrmFollow::bPlayClick);
    connectGuarded(btnPlayOrgin, &QPushButton::clicked, &TfrmFollow::btnPlayOrginClick);
    connectGuarded(Button3, &QPushButton::clicked, &TfrmFollow::Button3Click);
    connectGuarded(Button4, &QPushButton::clicked, &TfrmFollow::Button4Click);
    connectGuarded(Button5, &QPushButton::clicked, &TfrmFollow::Button5Click);
    connectGuarded(bSave, &QPushButton::clicked, &TfrmFollow::bSaveClick);
    connectGuarded(Button1, &QPushButton::clicked, &TfrmFollow::Button1Click);
    connectGuarded(PosTimer, &QTimer::timeout, &TfrmFollow::PosTimerTimer);
    connectGuarded(Timer1, &QTimer::timeout, &TfrmFollow::Timer1Timer);
}

template <class F> void TfrmFollow::guarded(F&& handler)
{
    RunReportingBookErrors(std::forward<F>(handler), ctx_.ReportError, ctx_.Messages, this);
}

void TfrmFollow::showError(const QString& text)
{
    ctx_.Messages.showError(text, this);
}

QString TfrmFollow::RecordingFile() const
{
    return RecordingFilePath(ctx_.Paths.ProgramFile);
}

bool TfrmFollow::FormCreate()
{
    // Without a recording device the window closes; the program and its
    // playback go on.
    if (!recorder_.InitDevice()) {
        recorder_.Release();
        showError(kCannotInit);
        return false;
    }
    const QStringList inputs = recorder_.InputNames();
    ComboBox1->addItems(inputs);
    ComboBox1->setCurrentIndex(-1);
    for (int i = 0; i < inputs.size(); ++i)
        if (!(recorder_.InputFlags(i, nullptr) & BASS_INPUT_OFF))
            ComboBox1->setCurrentIndex(i);
    ComboBox1Change();
    Spectrum = std::make_unique<TSpectrum>(PaintFrame->width(), PaintFrame->height());
    SelectFirstSentence();
    OwnWavePicture = Surface(PaintFrame->width(), PaintFrame->height(), MakePixel(255, 255, 255));
    return true;
}

void TfrmFollow::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    PosTimer->stop();
    Timer1->stop();
    // The recording ends before its buffer goes, and the stream reading the
    // buffer in place goes before the buffer.
    recorder_.Release();
    ctx_.Player.StopVoice();
}

void TfrmFollow::ComboBox1Change()
{
    recorder_.SelectInput(ComboBox1->currentIndex());
    UpdateInputInfo();
}

void TfrmFollow::UpdateInputInfo()
{
    float volume = 0.0f;
    const DWORD flags = recorder_.InputFlags(ComboBox1->currentIndex(), &volume);
    if (flags == ~DWORD{0})
        return; // no input chosen
    const int percent = int(std::lround(volume * 100));
    TrackBar1->setValue(percent);
    Label2->setText(QString::number(percent));
    Label1->setText(InputTypeName(flags));
}

void TfrmFollow::TrackBar1Change()
{
    recorder_.SetInputVolume(ComboBox1->currentIndex(), TrackBar1->value() / 100.0f);
    Label2->setText(QString::number(TrackBar1->value()));
}

void TfrmFollow::bRecordClick()
{
    if (recorder_.IsRecording()) {
        PosTimer->stop();
        StopRecording();
        saveRecording();
        MeasureOwnVoice();
    } else {
        StartRecording();
        PosTimer->start();
    }
}

void TfrmFollow::StartRecording()
{
    if (ComboBox1->currentIndex() < 0)
        return;
    if (!recorder_.Start()) {
        showError(kCannotRecord);
        return;
    }
    bRecord->setText(QStringLiteral("停止录音"));
    bPlay->setEnabled(false);
    bSave->setEnabled(false);
}

void TfrmFollow::StopRecording()
{
    const bool playable = recorder_.Stop();
    bRecord->setText(QStringLiteral("开始录音"));
    if (!playable) {
        showError(kCannotMakeStream);
        return;
    }
    bPlay->setEnabled(true);
    bSave->setEnabled(true);
}

void TfrmFollow::saveRecording()
{
    QString why;
    saved_ = recorder_.Save(RecordingFile(), &why);
    if (saved_)
        return;
    ReportUnexpected(QStringLiteral("录音文件“%1”无法写入：%2")
                         .arg(QDir::toNativeSeparators(RecordingFile()), why),
                     ctx_.ReportError, ctx_.Messages, this);
}

void TfrmFollow::bSaveClick()
{
    saveRecording();
}

void TfrmFollow::Button1Click()
{
    MeasureOwnVoice();
}

void TfrmFollow::bPlayClick()
{
    ctx_.Player.StopVoice();
    ctx_.Engine.BASS_ChannelPlay(recorder_.OwnVoiceStream, true);
}

void TfrmFollow::btnPlayOrginClick()
{
    AudioEngine& engine = ctx_.Engine;
    const HSTREAM voice = ctx_.Player.VoiceStream;
    engine.BASS_ChannelStop(recorder_.OwnVoiceStream);
    {
        // The jump and the start reach the device together.
        auto hold = engine.HoldDevice();
        engine.BASS_ChannelSetPosition(
            voice, engine.BASS_ChannelSeconds2Bytes(voice, ctx_.Player.PlayRangeStart / 10),
            BASS_POS_BYTE);
        engine.BASS_ChannelPlay(voice, false);
    }
    Timer1->start();
}

void TfrmFollow::Timer1Timer()
{
    AudioEngine& engine = ctx_.Engine;
    const HSTREAM voice = ctx_.Player.VoiceStream;
    const auto position = int64_t(engine.BASS_ChannelGetPosition(voice, BASS_POS_BYTE));
    const auto end =
        int64_t(engine.BASS_ChannelSeconds2Bytes(voice, ctx_.Player.PlayRangeEnd / 10));
    if (position <= end)
        return;
    engine.BASS_ChannelStop(voice);
    Timer1->stop();
    if (ComparePending) {
        ComparePending = false;
        bPlayClick();
    }
}

void TfrmFollow::Button5Click()
{
    btnPlayOrginClick();
    ComparePending = true;
}

void TfrmFollow::PosTimerTimer()
{
    const RecordingBuffer& buffer = recorder_.Buffer;
    if (buffer.empty())
        return;
    AudioEngine& engine = ctx_.Engine;
    const QString size = QString::number(buffer.size());
    if (engine.BASS_ChannelIsActive(recorder_.OwnVoiceStream))
        lPos->setText(QString::number(
                          engine.BASS_ChannelGetPosition(recorder_.OwnVoiceStream, BASS_POS_BYTE)) +
                      QStringLiteral(" / ") + size);
    else
        lPos->setText(size);
    engine.BASS_ChannelGetData(recorder_.RecordingHandle, spectrumValues_.data(),
                               BASS_DATA_FFT1024);
    Spectrum->DrawType = 1;
    Spectrum->Draw(PaintFrame->Screen(), spectrumValues_.data(), 10, -10);
    PaintFrame->ShowScreen();
}

void TfrmFollow::ShowSentence(int index)
{
    OpenBook& book = ctx_.Book;
    VoicePlayer& player = ctx_.Player;
    const SentenceTable& table = book.Content.Sentences;
    book.CurrentSentence = index;
    const QByteArray voice = table.VoiceName[index].toByteArray();
    if (!player.HoldsVoice(voice)) {
        player.SetPlaying(false);
        player.StopVoice();
        player.SelectVoice(voice);
    }
    player.PlayRangeStart = table.StartTime[size_t(index)];
    player.PlayRangeEnd = table.EndTime[size_t(index)];
    memoSentText->clear();
    memoSentText->appendPlainText(fromGbk(table.EnglishText[index]));
}

void TfrmFollow::showAndMeasure(int index)
{
    ShowSentence(index);
    MeasureReferenceVoice(ctx_.Player.PlayRangeStart, ctx_.Player.PlayRangeEnd);
}

void TfrmFollow::SelectFirstSentence()
{
    showAndMeasure(FirstOralSentence(ctx_.Book));
}

void TfrmFollow::Button4Click()
{
    ctx_.Player.StopVoice();
    const int next = NextOralSentence(ctx_.Book.Content.Sentences, ctx_.Book.CurrentSentence, 1);
    if (next >= 0)
        showAndMeasure(next);
}

void TfrmFollow::Button3Click()
{
    // Unlike the next sentence, the reference voice is not stopped first.
    const int previous =
        NextOralSentence(ctx_.Book.Content.Sentences, ctx_.Book.CurrentSentence, -1);
    if (previous >= 0)
        showAndMeasure(previous);
}

void TfrmFollow::MeasureOwnVoice()
{
    PaintFrame->Repaint();
    // Without a playable recording there is nothing to measure.
    if (recorder_.OwnVoiceStream == 0)
        return;
    OwnLevels = recorder_.MeasureOwnLevels(saved_ ? RecordingFile() : QString());
    DrawOwnWave();
}

void TfrmFollow::MeasureReferenceVoice(double start, double end)
{
    PaintFrame->Repaint();
    ReferenceLevels = MeasureRangeLevels(ctx_.Engine, ctx_.Player.VoiceDecodeStream, start, end);
    DrawReferenceWave();
}

void TfrmFollow::DrawReferenceWave()
{
    ReferenceMax = LevelMax(ReferenceLevels);
    ReferenceWavePicture =
        zarelo::DrawReferenceWave(ReferenceLevels, PaintOrgin->width(), PaintOrgin->height());
    PaintOrgin->Repaint();
}

void TfrmFollow::DrawOwnWave()
{
    OwnMax = zarelo::DrawOwnWave(OwnLevels, ReferenceMax, TrackBar2->value(), PaintOrgin->width(),
                                 OwnWavePicture);
    PaintFrame->Repaint();
}

void TfrmFollow::PaintOrginPaint(QPainter& painter)
{
    if (!ReferenceWavePicture.isNull())
        painter.drawImage(0, 0, ImageOf(ReferenceWavePicture));
}

void TfrmFollow::PaintFramePaint(QPainter& painter)
{
    if (!OwnWavePicture.isNull())
        painter.drawImage(0, 0, ImageOf(OwnWavePicture));
}

} // namespace zarelo
