#include "quiz/gui/uFrmSentTest.h"

#include "audio/AudioEngine.h"
#include "audio/VoicePlayer.h"
#include "base/BookError.h"
#include "base/Settings.h"
#include "base/UserMessages.h"
#include "quiz/gui/QuizWidgets.h"

#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace zarelo {

using namespace quizview;

namespace {

const QColor kLime(0, 255, 0);

} // namespace

TfrmSentTest::TfrmSentTest(const SentTestWindowContext& context, QWidget* parent)
    : QWidget(parent), ctx_(context),
      controller_(WordTestContext{context.Book, context.TestState, context.Settings,
                                  context.Messages, context.Ticks, context.Paths.ProgramFolder,
                                  [this] { ReadSettings(ctx_.Paths.SettingsPath, ctx_.Settings); }},
                  *this, context.Player)
{
    setObjectName(QStringLiteral("frmSentTest"));
    setWindowTitle(QStringLiteral("听辨句子"));
    buildComponents();
}

TfrmSentTest::~TfrmSentTest()
{
    Timer_Play->stop();
}

template <class F> void TfrmSentTest::guarded(F&& handler)
{
    RunReportingBookErrors(std::forward<F>(handler), ctx_.ReportError, ctx_.Messages, this);
}

void TfrmSentTest::buildComponents()
{
    resize(1000, 700);
    ScrollBox = named(new QScrollArea(this), "ScrollBox");
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setWidgetResizable(false);
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fill(ScrollBox->viewport(), kPanelQColour);
    pnlTest = named(new QFrame, "pnlTest");
    pnlTest->setFrameShape(QFrame::NoFrame);
    fill(pnlTest, kPanelQColour);
    ScrollBox->setWidget(pnlTest);

    lbTestTitle = label(pnlTest, "lbTestTitle", QStringLiteral("听辨句子"), 28, QColor(0, 0, 0x80));
    lbTestTitle->setFont(PixelFont(28, true));
    lbTestTitle->setAlignment(Qt::AlignCenter);
    lbUnit = label(pnlTest, "lbUnit", QString(), 14, QColor(0, 0, 0x80));

    ProgressBar1 = named(new QProgressBar(pnlTest), "ProgressBar1");
    ProgressBar3 = named(new QProgressBar(pnlTest), "ProgressBar3");
    for (QProgressBar* bar : {ProgressBar1, ProgressBar3}) {
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    // FormCreate: the time bar's skin resource number, and its own look for
    // skins that do not select on it.
    ProgressBar3->setProperty("skinResID", 1001);
    ProgressBar3->setStyleSheet(
        QStringLiteral("QProgressBar { border: 1px solid #60939F; background: white; }"
                       "QProgressBar::chunk { background: #F0A040; }"));

    PanelTest = named(new QFrame(this), "PanelTest");
    PanelTest->setFrameStyle(QFrame::Panel | QFrame::Raised);
    fill(PanelTest, kBarColour);
    LblCore = label(PanelTest, "LblCore", QStringLiteral("总分：        "), 18, Qt::white);
    LblCore->setFont(PixelFont(18, true));
    SbtStartTesting = button(PanelTest, "SbtStartTesting", QStringLiteral("开 始"));
    SbtStopTesting = button(PanelTest, "SbtStopTesting", QStringLiteral("放弃"));
    SbtRetest = button(PanelTest, "SbtRetest", QStringLiteral("重新出题"));
    SpeedButton12 = button(PanelTest, "SpeedButton12", QStringLiteral("返回"));
    SpeedButton12->hide();
    connect(SbtStartTesting, &QPushButton::clicked, this, &TfrmSentTest::SbtStartTestingClick);
    connect(SbtStopTesting, &QPushButton::clicked, this, &TfrmSentTest::SbtStopTestingClick);
    connect(SbtRetest, &QPushButton::clicked, this, &TfrmSentTest::SbtRetestClick);
    connect(SpeedButton12, &QPushButton::clicked, this, &TfrmSentTest::SpeedButton12Click);
    SbtStopTesting->setEnabled(false);
    SbtRetest->setEnabled(false);

    effect_ = new FinishEffectPanel(pnlTest, kSentenceTestFinish, ctx_.Paths.ProgramFolder);
    PnShow3D = effect_->PnShow3D;
    PaintBox1 = effect_->PaintBox1;
    Timer1 = effect_->Timer1;

    Timer_Play = named(new QTimer(this), "Timer_Play");
    Timer_Play->setInterval(200);
    connect(Timer_Play, &QTimer::timeout, this, &TfrmSentTest::Timer_PlayTimer);

    layoutComponents();
}

void TfrmSentTest::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutComponents();
}

// The scroll area fills the view above the command bar; pnlTest is as wide
// as its viewport and as high as the viewport or the labels need.
void TfrmSentTest::layoutComponents()
{
    const int w = width(), h = height();
    ScrollBox->setGeometry(0, 0, w, std::max(1, h - kBottomBarHeight));
    const QSize view = ScrollBox->maximumViewportSize();
    const int panelHeight = std::max(view.height(), grownHeight_);
    const int panelWidth = panelHeight > view.height()
                               ? view.width() - ScrollBox->verticalScrollBar()->sizeHint().width()
                               : view.width();
    pnlTest->resize(std::max(1, panelWidth), panelHeight);
    const int inner = std::max(200, pnlTest->width() - 80);
    lbTestTitle->setGeometry(40, 12, inner, 38);
    lbUnit->setGeometry(40, 56, inner, 24);
    ProgressBar1->setGeometry(40, 90, inner, 18);
    ProgressBar3->setGeometry(40, 116, inner, 10);
    PanelTest->setGeometry(0, h - kBottomBarHeight, w, kBottomBarHeight);
    LblCore->setGeometry(20, 10, 240, 30);
    int x = w - 20;
    for (QPushButton* b : {SpeedButton12, SbtRetest, SbtStopTesting, SbtStartTesting}) {
        x -= b->width() + 10;
        b->move(x, 11);
    }
}

void TfrmSentTest::BuildSentenceTest(int mode)
{
    guarded([&] { controller_.BuildSentenceTest(mode); });
}

void TfrmSentTest::StopSentenceTest()
{
    guarded([&] { controller_.StopSentenceTest(); });
}

void TfrmSentTest::SbtStartTestingClick()
{
    guarded([&] { controller_.SbtStartTestingClick(); });
}

void TfrmSentTest::SbtStopTestingClick()
{
    guarded([&] { controller_.SbtStopTestingClick(); });
}

void TfrmSentTest::SbtRetestClick()
{
    guarded([&] { controller_.SbtRetestClick(); });
}

void TfrmSentTest::SpeedButton12Click()
{
    guarded([&] { controller_.SpeedButton12Click(); });
}

void TfrmSentTest::Timer_PlayTimer()
{
    guarded([&] { controller_.Timer_PlayTimer(); });
}

void TfrmSentTest::SentenceLabelClick(QLabel* clicked)
{
    const auto it = std::find(labels_.begin(), labels_.end(), clicked);
    if (it != labels_.end())
        guarded([&] { controller_.SentenceLabelClick(int(it - labels_.begin())); });
}

bool TfrmSentTest::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (auto* l = qobject_cast<QLabel*>(watched);
            l && std::find(labels_.begin(), labels_.end(), l) != labels_.end()) {
            SentenceLabelClick(l);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmSentTest::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    controller_.FormHide();
}

// SentenceTestView

void TfrmSentTest::SetTimerActive(bool on)
{
    if (on)
        Timer_Play->start();
    else
        Timer_Play->stop();
}

void TfrmSentTest::SetUnitText(const QString& text)
{
    lbUnit->setText(text);
}

void TfrmSentTest::SetScoreText(const QString& text)
{
    LblCore->setText(text);
}

void TfrmSentTest::ClearSentenceLabels()
{
    for (QLabel* l : labels_)
        delete l;
    labels_.clear();
    grownHeight_ = 0;
    layoutComponents();
}

void TfrmSentTest::AddSentenceLabel(const QString& text)
{
    const int i = int(labels_.size());
    auto* l = new QLabel(text, pnlTest);
    l->setObjectName(QStringLiteral("SentenceLabel%1").arg(i));
    QFont font = l->font();
    font.setPointSize(12);
    l->setFont(font);
    setTextColour(l, Qt::black);
    l->setGeometry(30, 150 + 30 * i, 500, 20);
    l->adjustSize();
    l->setCursor(Qt::PointingHandCursor);
    l->installEventFilter(this);
    l->show();
    const int bottom = l->y() + l->height();
    if (bottom > pnlTest->height()) {
        grownHeight_ = bottom + 10;
        layoutComponents();
    }
    labels_.push_back(l);
}

QString TfrmSentTest::SentenceLabelText(int index) const
{
    return labels_[size_t(index)]->text();
}

bool TfrmSentTest::SentenceLabelLime(int index) const
{
    return labels_[size_t(index)]->palette().color(QPalette::WindowText) == kLime;
}

void TfrmSentTest::SetSentenceLabelLime(int index)
{
    setTextColour(labels_[size_t(index)], kLime);
}

void TfrmSentTest::SetItemProgress(int maximum, int position)
{
    if (maximum >= 0)
        ProgressBar1->setMaximum(maximum);
    ProgressBar1->setValue(std::clamp(position, 0, ProgressBar1->maximum()));
}

void TfrmSentTest::SetTimeMaximum(int64_t maximum)
{
    ProgressBar3->setMaximum(clampBar(maximum));
}

void TfrmSentTest::SetTimePosition(int64_t position)
{
    ProgressBar3->setValue(std::min(clampBar(position), ProgressBar3->maximum()));
}

void TfrmSentTest::SetStartEnabled(bool on)
{
    SbtStartTesting->setEnabled(on);
}

void TfrmSentTest::SetStopEnabled(bool on)
{
    SbtStopTesting->setEnabled(on);
}

void TfrmSentTest::SetRetestEnabled(bool on)
{
    SbtRetest->setEnabled(on);
}

void TfrmSentTest::HideFinishEffect()
{
    effect_->Hide();
}

// Centred on pnlTest at top 150, shown with its first frame.
void TfrmSentTest::StartFinishEffect(int score)
{
    const int w = std::max(1, pnlTest->width() - 80);
    effect_->Start(score, QRect((pnlTest->width() - w) / 2, 150, w, std::max(1, w * 5 / 10)));
}

void TfrmSentTest::CloseWindow()
{
    close();
}

} // namespace zarelo
