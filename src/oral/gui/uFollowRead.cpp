#include "oral/gui/uFollowRead.h"

#include "base/UserMessages.h"
#include "base/gui/Controls.h"
#include "base/gui/SurfaceImage.h"
#include "oral/gui/SurfaceBox.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

namespace zarelo {

namespace {

constexpr int kTimerMs = 50;       // PosTimer and Timer1
constexpr int kPictureWidth = 600; // PaintOrgin and PaintFrame
constexpr int kPictureHeight = 100;
constexpr int kWordRowHeight = 36; // the window grows by it
// A clicked word's span on a picture: a translucent band over the wave.
const QColor kWordMark(255, 255, 0, 96);

// Shades columns [left, right) of a picture.
void DrawMark(QPainter& painter, const std::optional<std::pair<int, int>>& columns, int height)
{
    if (columns)
        painter.fillRect(columns->first, 0, columns->second - columns->first, height, kWordMark);
}
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
      ctx_(context), controller_(context, *this)
{
    setObjectName(QStringLiteral("frmFollow"));
    setWindowTitle(QStringLiteral("口语跟读练习"));
    setFont(PixelFont(12, false, kSongTi));
    setFixedSize(641, 451 + kWordRowHeight);
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
    Spectrum = std::make_unique<TSpectrum>(PaintFrame->width(), PaintFrame->height());
    Spectrum->DrawType = 1; // bars

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

    // The word row: the place is the window's new bottom strip, so that
    // every control above keeps its place.
    WordRow = named(new QWidget(this), "WordRow");
    WordRow->setGeometry(8, 451, 625, kWordRowHeight - 6);
    auto* words = new QHBoxLayout(WordRow);
    words->setContentsMargins(0, 0, 0, 0);
    words->setSpacing(4);
    words->addStretch();

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

bool TfrmFollow::FormCreate()
{
    return controller_.FormCreate();
}

void TfrmFollow::FormDestroy()
{
    controller_.FormDestroy();
}

void TfrmFollow::ComboBox1Change()
{
    controller_.ComboBox1Change();
}

void TfrmFollow::TrackBar1Change()
{
    controller_.TrackBar1Change();
}

void TfrmFollow::bRecordClick()
{
    controller_.bRecordClick();
}

void TfrmFollow::bPlayClick()
{
    controller_.bPlayClick();
}

void TfrmFollow::btnPlayOrginClick()
{
    controller_.btnPlayOrginClick();
}

void TfrmFollow::Button3Click()
{
    controller_.Button3Click();
}

void TfrmFollow::Button4Click()
{
    controller_.Button4Click();
}

void TfrmFollow::Button5Click()
{
    controller_.Button5Click();
}

void TfrmFollow::bSaveClick()
{
    controller_.bSaveClick();
}

void TfrmFollow::Button1Click()
{
    controller_.Button1Click();
}

void TfrmFollow::PosTimerTimer()
{
    controller_.PosTimerTimer();
}

void TfrmFollow::Timer1Timer()
{
    controller_.Timer1Timer();
}

void TfrmFollow::SetInputs(const QStringList& names)
{
    ComboBox1->addItems(names);
    ComboBox1->setCurrentIndex(-1);
}

void TfrmFollow::SetCurrentInput(int input)
{
    ComboBox1->setCurrentIndex(input);
}

int TfrmFollow::CurrentInput() const
{
    return ComboBox1->currentIndex();
}

int TfrmFollow::VolumePosition() const
{
    return TrackBar1->value();
}

void TfrmFollow::SetVolumePosition(int percent)
{
    TrackBar1->setValue(percent);
}

void TfrmFollow::ShowVolume(const QString& text)
{
    Label2->setText(text);
}

void TfrmFollow::ShowInputType(const QString& text)
{
    Label1->setText(text);
}

int TfrmFollow::NoiseThreshold() const
{
    return TrackBar2->value();
}

QSize TfrmFollow::PictureSize() const
{
    return PaintOrgin->size();
}

void TfrmFollow::ShowSentenceText(const QString& text)
{
    memoSentText->clear();
    memoSentText->appendPlainText(text);
}

void TfrmFollow::SetRecordCaption(const QString& text)
{
    bRecord->setText(text);
}

void TfrmFollow::SetOwnVoiceEnabled(bool on)
{
    bPlay->setEnabled(on);
    bSave->setEnabled(on);
}

void TfrmFollow::SetPosTimerActive(bool on)
{
    if (on)
        PosTimer->start();
    else
        PosTimer->stop();
}

void TfrmFollow::SetTimer1Active(bool on)
{
    if (on)
        Timer1->start();
    else
        Timer1->stop();
}

void TfrmFollow::ShowPosition(const QString& text)
{
    lPos->setText(text);
}

void TfrmFollow::ShowSpectrum(const float* values)
{
    Spectrum->Draw(PaintFrame->Screen(), values, 10, -10);
    PaintFrame->ShowScreen();
}

void TfrmFollow::ShowReferencePicture()
{
    PaintOrgin->Repaint();
}

void TfrmFollow::ShowOwnPicture()
{
    PaintFrame->Repaint();
}

void TfrmFollow::ShowWords(const QStringList& words)
{
    for (QPushButton* button : WordButtons)
        delete button;
    WordButtons.clear();
    auto* row = static_cast<QHBoxLayout*>(WordRow->layout());
    for (int i = 0; i < words.size(); ++i) {
        auto* button = new QPushButton(words[i], WordRow);
        button->setObjectName(QStringLiteral("WordButton%1").arg(i));
        button->setAutoDefault(false);
        // Before the stretch that keeps the buttons to the left.
        row->insertWidget(i, button);
        connect(button, &QPushButton::clicked, this,
                [this, i] { guarded([&] { controller_.WordClick(i); }); });
        WordButtons.push_back(button);
    }
}

void TfrmFollow::SetWordMissing(int index, bool missing)
{
    QPushButton* button = WordButtons.at(size_t(index));
    // Greyed but still clickable: the book's word plays alone.
    button->setStyleSheet(missing ? QStringLiteral("color: #a0a0a0;") : QString());
    button->setToolTip(missing ? QStringLiteral("没有录到这个词") : QString());
}

void TfrmFollow::PaintOrginPaint(QPainter& painter)
{
    const Surface& picture = controller_.ReferenceWavePicture;
    if (!picture.isNull())
        painter.drawImage(0, 0, ImageOf(picture));
    DrawMark(painter, controller_.ReferenceMark(), PaintOrgin->height());
}

void TfrmFollow::PaintFramePaint(QPainter& painter)
{
    const Surface& picture = controller_.OwnWavePicture;
    if (!picture.isNull())
        painter.drawImage(0, 0, ImageOf(picture));
    DrawMark(painter, controller_.OwnMark(), PaintFrame->height());
}

} // namespace zarelo
