#include "quiz/gui/uFrmWordTest.h"

#include "audio/AudioEngine.h"
#include "audio/VoicePlayer.h"
#include "base/BookError.h"
#include "base/Settings.h"
#include "base/UserMessages.h"
#include "quiz/gui/QuizWidgets.h"
#include "quiz/gui/uShowErrorWord.h"
#include "quiz/uDmMain.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace zarelo {

using namespace quizview;

TfrmWordTest::TfrmWordTest(const WordTestWindowContext& context, QWidget* parent)
    : QWidget(parent), ctx_(context), history_(context.dmMain),
      controller_(WordTestContext{context.Book, context.TestState, context.Settings,
                                  context.Messages, context.Ticks, context.Paths.ProgramFolder,
                                  [this] { ReadSettings(ctx_.Paths.SettingsPath, ctx_.Settings); }},
                  *this, context.Player, history_)
{
    setObjectName(QStringLiteral("frmWordTest"));
    buildComponents();
}

TfrmWordTest::~TfrmWordTest()
{
    Timer_Play->stop();
}

template <class F> void TfrmWordTest::guarded(F&& handler)
{
    RunReportingBookErrors(std::forward<F>(handler), ctx_.ReportError, ctx_.Messages, this);
}

void TfrmWordTest::buildComponents()
{
    resize(1000, 700);
    pnlTest = named(new QFrame(this), "pnlTest");
    pnlTest->setFrameShape(QFrame::NoFrame);
    fill(pnlTest, kPanelQColour);

    lbTestTitle = label(pnlTest, "lbTestTitle", QStringLiteral("单词测试"), 28, QColor(0, 0, 0x80));
    lbTestTitle->setFont(PixelFont(28, true));
    lbTestTitle->setAlignment(Qt::AlignCenter);
    lbUnit = label(pnlTest, "lbUnit", QString(), 14, QColor(0, 0, 0x80));
    LbWordCount = label(pnlTest, "LbWordCount", QString(), 14, QColor(0, 0, 0x80));
    LbWordCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    PnTestEnterWord = named(new QFrame(pnlTest), "PnTestEnterWord");
    PnTestEnterWord->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    fill(PnTestEnterWord, QColor(0xEE, 0xF5, 0xF6));
    Label4 = label(PnTestEnterWord, "Label4", QStringLiteral("中文："), 20);
    Label4->setGeometry(24, 24, 110, 32);
    lbCN = label(PnTestEnterWord, "lbCN", QStringLiteral("   "), 24, QColor(0, 0, 0xFF));
    Label1 = label(PnTestEnterWord, "Label1", QStringLiteral("输入单词："), 20);
    Label1->setGeometry(24, 90, 110, 44);
    EdtEnterWord = named(new QLineEdit(PnTestEnterWord), "EdtEnterWord");
    EdtEnterWord->setFont(PixelFont(30));
    EdtEnterWord->installEventFilter(this);
    Label5 = label(PnTestEnterWord, "Label5", QStringLiteral(" "), 32, Qt::red);
    Label2 = label(PnTestEnterWord, "Label2", QStringLiteral("(输入完成后即可回车)"), 13,
                   QColor(0x80, 0x80, 0x80));
    RightEn = label(PnTestEnterWord, "RightEn", QStringLiteral("   "), 24, Qt::red);
    ChkVoice = named(new QCheckBox(QStringLiteral("语音提示"), PnTestEnterWord), "ChkVoice");
    ChkDispCN = named(new QCheckBox(QStringLiteral("显示中文"), PnTestEnterWord), "ChkDispCN");
    for (QCheckBox* box : {ChkVoice, ChkDispCN}) {
        box->setFont(PixelFont(14));
        box->setFocusPolicy(Qt::NoFocus);
        box->resize(120, 24);
    }

    ProgressBar1 = named(new QProgressBar(pnlTest), "ProgressBar1");
    ProgressBar3 = named(new QProgressBar(pnlTest), "ProgressBar3");
    for (QProgressBar* bar : {ProgressBar1, ProgressBar3}) {
        bar->setRange(0, 0);
        bar->setTextVisible(false);
        bar->setMaximum(100);
        bar->setValue(0);
    }
    // FormCreate: the time bar's skin resource number (what the skin layer's
    // sppSetWindowResID sets; a skin sheet may select on it), and its own
    // look for skins that do not.
    ProgressBar3->setProperty("skinResID", 1002);
    ProgressBar3->setStyleSheet(
        QStringLiteral("QProgressBar { border: 1px solid #60939F; background: white; }"
                       "QProgressBar::chunk { background: #F0A040; }"));

    PanelTest = named(new QFrame(pnlTest), "PanelTest");
    PanelTest->setFrameStyle(QFrame::Panel | QFrame::Raised);
    fill(PanelTest, kBarColour);
    LblCore = label(PanelTest, "LblCore", QStringLiteral("总分：        "), 18, Qt::white);
    LblCore->setFont(PixelFont(18, true));
    SbtStartTesting = button(PanelTest, "SbtStartTesting", QStringLiteral("开 始"));
    SbtStopTesting = button(PanelTest, "SbtStopTesting", QStringLiteral("放弃"));
    SbtRetest = button(PanelTest, "SbtRetest", QStringLiteral("重新出题"));
    SbtShowError = button(PanelTest, "SbtShowError", QStringLiteral("查看答案"));
    SpeedButton12 = button(PanelTest, "SpeedButton12", QStringLiteral("返回"));
    SpeedButton12->hide();
    connect(SbtStartTesting, &QPushButton::clicked, this, &TfrmWordTest::SbtStartTestingClick);
    connect(SbtStopTesting, &QPushButton::clicked, this, &TfrmWordTest::SbtStopTestingClick);
    connect(SbtRetest, &QPushButton::clicked, this, &TfrmWordTest::SbtRetestClick);
    connect(SbtShowError, &QPushButton::clicked, this, &TfrmWordTest::SbtShowErrorClick);
    connect(SpeedButton12, &QPushButton::clicked, this, &TfrmWordTest::SpeedButton12Click);
    SbtStopTesting->setEnabled(false);
    SbtRetest->setEnabled(false);
    SbtShowError->setEnabled(false);

    effect_ = new FinishEffectPanel(pnlTest, kWordTestFinish, ctx_.Paths.ProgramFolder);
    PnShow3D = effect_->PnShow3D;
    PaintBox1 = effect_->PaintBox1;
    Timer1 = effect_->Timer1;

    // Timer_Play starts with the first build (which switches it off and the
    // Start button on again), so it never acts before a test exists.
    Timer_Play = named(new QTimer(this), "Timer_Play");
    Timer_Play->setInterval(200);
    connect(Timer_Play, &QTimer::timeout, this, &TfrmWordTest::Timer_PlayTimer);

    layoutComponents();
}

void TfrmWordTest::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutComponents();
}

// The test fills the view: title and counts on top, the answer panel in the
// middle, the two bars under it and the command bar along the bottom.
void TfrmWordTest::layoutComponents()
{
    const int w = width(), h = height();
    pnlTest->setGeometry(0, 0, w, h);
    // Everything but the title row lies under the finish panel (30 .. w - 50).
    const int inner = std::max(200, w - 90);
    lbTestTitle->setGeometry(40, 12, inner, 38);
    lbUnit->setGeometry(40, 52, inner / 2, 24);
    LbWordCount->setGeometry(40 + inner / 2, 52, inner - inner / 2, 24);
    PnTestEnterWord->setGeometry(40, 104, inner, 300);
    const int edit = std::min(480, inner - 230);
    lbCN->setGeometry(134, 20, inner - 160, 40);
    EdtEnterWord->setGeometry(134, 90, edit, 46);
    Label5->setGeometry(144 + edit, 90, 50, 46);
    Label2->setGeometry(134, 140, edit, 20);
    RightEn->setGeometry(134, 170, inner - 160, 40);
    ChkVoice->move(24, 250);
    ChkDispCN->move(24, 250);
    ProgressBar1->setGeometry(40, 424, inner, 18);
    ProgressBar3->setGeometry(40, 450, inner, 10);
    PanelTest->setGeometry(0, h - kBottomBarHeight, w, kBottomBarHeight);
    LblCore->setGeometry(20, 10, 240, 30);
    int x = w - 20;
    for (QPushButton* b :
         {SpeedButton12, SbtShowError, SbtRetest, SbtStopTesting, SbtStartTesting}) {
        x -= b->width() + 10;
        b->move(x, 11);
    }
}

void TfrmWordTest::BuildWordTest(int mode)
{
    guarded([&] { controller_.BuildWordTest(mode); });
}

void TfrmWordTest::StopWordTest()
{
    guarded([&] { controller_.StopWordTest(); });
}

void TfrmWordTest::SbtStartTestingClick()
{
    guarded([&] { controller_.SbtStartTestingClick(); });
}

void TfrmWordTest::SbtStopTestingClick()
{
    guarded([&] { controller_.SbtStopTestingClick(); });
}

void TfrmWordTest::SbtRetestClick()
{
    guarded([&] { controller_.SbtRetestClick(); });
}

void TfrmWordTest::SpeedButton12Click()
{
    guarded([&] { controller_.SpeedButton12Click(); });
}

void TfrmWordTest::Timer_PlayTimer()
{
    guarded([&] { controller_.Timer_PlayTimer(); });
}

void TfrmWordTest::SbtShowErrorClick()
{
    TfrmShowErrorWord dialog(this);
    dialog.FillAnswerGrid(ctx_.TestState.Answers);
    dialog.exec();
}

bool TfrmWordTest::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == EdtEnterWord && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            guarded([&] { controller_.EdtEnterWordKeyPress(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmWordTest::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    controller_.FormHide();
}

// WordTestView

void TfrmWordTest::SetTimerActive(bool on)
{
    if (on)
        Timer_Play->start();
    else
        Timer_Play->stop();
}

void TfrmWordTest::SetTitle(const QString& text)
{
    lbTestTitle->setText(text);
}

void TfrmWordTest::SetUnitText(const QString& text)
{
    lbUnit->setText(text);
}

void TfrmWordTest::SetWordCount(const QString& text)
{
    LbWordCount->setText(text);
}

void TfrmWordTest::SetChinese(const QString& text)
{
    lbCN->setText(text);
}

void TfrmWordTest::SetMark(const QString& text)
{
    Label5->setText(text);
}

void TfrmWordTest::SetExpected(const QString& text)
{
    RightEn->setText(text);
}

void TfrmWordTest::SetScoreText(const QString& text)
{
    LblCore->setText(text);
}

QString TfrmWordTest::EnterWordText() const
{
    return EdtEnterWord->text();
}

void TfrmWordTest::SetEnterWordText(const QString& text)
{
    EdtEnterWord->setText(text);
}

void TfrmWordTest::SetEnterWordEnabled(bool on)
{
    EdtEnterWord->setEnabled(on);
}

void TfrmWordTest::FocusEnterWord()
{
    EdtEnterWord->setFocus();
}

void TfrmWordTest::ShowEntryPanel()
{
    PnTestEnterWord->show();
    EdtEnterWord->show();
}

void TfrmWordTest::SetVoiceCheckVisible(bool on)
{
    ChkVoice->setVisible(on);
}

void TfrmWordTest::SetDisplayChineseVisible(bool on)
{
    ChkDispCN->setVisible(on);
}

bool TfrmWordTest::VoiceChecked() const
{
    return ChkVoice->isChecked();
}

bool TfrmWordTest::DisplayChineseChecked() const
{
    return ChkDispCN->isChecked();
}

void TfrmWordTest::SetItemProgress(int maximum, int position)
{
    if (maximum >= 0)
        ProgressBar1->setMaximum(maximum);
    ProgressBar1->setValue(std::clamp(position, 0, ProgressBar1->maximum()));
}

void TfrmWordTest::SetTimeMaximum(int64_t maximum)
{
    ProgressBar3->setMaximum(clampBar(maximum));
}

void TfrmWordTest::SetTimePosition(int64_t position)
{
    ProgressBar3->setValue(std::min(clampBar(position), ProgressBar3->maximum()));
}

void TfrmWordTest::SetStartEnabled(bool on)
{
    SbtStartTesting->setEnabled(on);
}

void TfrmWordTest::SetStopEnabled(bool on)
{
    SbtStopTesting->setEnabled(on);
}

void TfrmWordTest::SetRetestEnabled(bool on)
{
    SbtRetest->setEnabled(on);
}

void TfrmWordTest::SetShowErrorEnabled(bool on)
{
    SbtShowError->setEnabled(on);
}

void TfrmWordTest::CloseWindow()
{
    close();
}

// The finish effect

void TfrmWordTest::HideFinishEffect()
{
    effect_->Hide();
}

void TfrmWordTest::StartFinishEffect(int score)
{
    const int w = std::max(1, pnlTest->width() - 80);
    effect_->Start(score, QRect(30, PanelTest->height() + 30, w, std::max(1, w * 5 / 10)));
}

} // namespace zarelo
