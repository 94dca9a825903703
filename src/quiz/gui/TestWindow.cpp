#include "quiz/gui/TestWindow.h"

#include "quiz/gui/QuizWidgets.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace zarelo {

using namespace quizview;

TestWindow::TestWindow(UserMessages& messages, std::function<void(const QString&)> reportError,
                       const QString& programFolder, QWidget* parent)
    : QWidget(parent), messages_(messages), reportError_(std::move(reportError)),
      programFolder_(programFolder)
{
    resize(1000, 700);
    // Timer_Play starts with the first build (which switches it off and the
    // Start button on again), so it never acts before a test exists.
    Timer_Play = named(new QTimer(this), "Timer_Play");
    Timer_Play->setInterval(200);
    connect(Timer_Play, &QTimer::timeout, this, &TestWindow::Timer_PlayTimer);
}

TestWindow::~TestWindow()
{
    Timer_Play->stop();
}

void TestWindow::makeClientPanel(QWidget* parent)
{
    pnlTest = named(new QFrame(parent), "pnlTest");
    pnlTest->setFrameShape(QFrame::NoFrame);
    fill(pnlTest, kPanelQColour);
}

void TestWindow::makeHeading(const QString& title)
{
    lbTestTitle = label(pnlTest, "lbTestTitle", title, 28, QColor(0, 0, 0x80));
    lbTestTitle->setFont(PixelFont(28, true));
    lbTestTitle->setAlignment(Qt::AlignCenter);
    lbUnit = label(pnlTest, "lbUnit", QString(), 14, QColor(0, 0, 0x80));
}

void TestWindow::makeProgressBars(int skinResID)
{
    ProgressBar1 = named(new QProgressBar(pnlTest), "ProgressBar1");
    ProgressBar3 = named(new QProgressBar(pnlTest), "ProgressBar3");
    for (QProgressBar* bar : {ProgressBar1, ProgressBar3}) {
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    // FormCreate: the time bar's skin resource number (what the skin layer's
    // sppSetWindowResID sets; a skin sheet may select on it), and its own
    // look for skins that do not.
    ProgressBar3->setProperty("skinResID", skinResID);
    ProgressBar3->setStyleSheet(
        QStringLiteral("QProgressBar { border: 1px solid #60939F; background: white; }"
                       "QProgressBar::chunk { background: #F0A040; }"));
}

void TestWindow::makeCommandBar(QWidget* parent, bool withShowError)
{
    PanelTest = new TestCommandBar(parent, withShowError);
    LblCore = PanelTest->LblCore;
    SbtStartTesting = PanelTest->SbtStartTesting;
    SbtStopTesting = PanelTest->SbtStopTesting;
    SbtRetest = PanelTest->SbtRetest;
    SpeedButton12 = PanelTest->SpeedButton12;
    connect(SbtStartTesting, &QPushButton::clicked, this, &TestWindow::SbtStartTestingClick);
    connect(SbtStopTesting, &QPushButton::clicked, this, &TestWindow::SbtStopTestingClick);
    connect(SbtRetest, &QPushButton::clicked, this, &TestWindow::SbtRetestClick);
    connect(SpeedButton12, &QPushButton::clicked, this, &TestWindow::SpeedButton12Click);
}

void TestWindow::makeFinishEffect(const FinishEffectValues& values)
{
    effect_ = new FinishEffectPanel(pnlTest, values, programFolder_);
    PnShow3D = effect_->PnShow3D;
    PaintBox1 = effect_->PaintBox1;
    Timer1 = effect_->Timer1;
}

void TestWindow::SbtStartTestingClick()
{
    guarded([&] { flow().SbtStartTestingClick(); });
}

void TestWindow::SbtStopTestingClick()
{
    guarded([&] { flow().SbtStopTestingClick(); });
}

void TestWindow::SbtRetestClick()
{
    guarded([&] { flow().SbtRetestClick(); });
}

void TestWindow::SpeedButton12Click()
{
    guarded([&] { flow().SpeedButton12Click(); });
}

void TestWindow::Timer_PlayTimer()
{
    guarded([&] { flow().Timer_PlayTimer(); });
}

void TestWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    flow().FormHide();
}

void TestWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutComponents();
}

// TestFlowView

void TestWindow::SetTimerActive(bool on)
{
    if (on)
        Timer_Play->start();
    else
        Timer_Play->stop();
}

void TestWindow::SetUnitText(const QString& text)
{
    lbUnit->setText(text);
}

void TestWindow::SetScoreText(const QString& text)
{
    LblCore->setText(text);
}

void TestWindow::SetItemProgress(int maximum, int position)
{
    if (maximum >= 0)
        ProgressBar1->setMaximum(maximum);
    ProgressBar1->setValue(std::clamp(position, 0, ProgressBar1->maximum()));
}

void TestWindow::SetTimeMaximum(int64_t maximum)
{
    ProgressBar3->setMaximum(clampBar(maximum));
}

void TestWindow::SetTimePosition(int64_t position)
{
    ProgressBar3->setValue(std::min(clampBar(position), ProgressBar3->maximum()));
}

void TestWindow::SetStartEnabled(bool on)
{
    SbtStartTesting->setEnabled(on);
}

void TestWindow::SetStopEnabled(bool on)
{
    SbtStopTesting->setEnabled(on);
}

void TestWindow::SetRetestEnabled(bool on)
{
    SbtRetest->setEnabled(on);
}

void TestWindow::HideFinishEffect()
{
    effect_->Hide();
}

void TestWindow::CloseWindow()
{
    close();
}

} // namespace zarelo
