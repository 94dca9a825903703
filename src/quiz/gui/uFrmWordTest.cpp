#include "quiz/gui/uFrmWordTest.h"

#include "audio/VoicePlayer.h"
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

#include <algorithm>

namespace zarelo {

using namespace quizview;

TfrmWordTest::TfrmWordTest(const WordTestWindowContext& context, QWidget* parent)
    : TestWindow(context.Messages, context.ReportError, context.Paths.Data(), parent),
      ctx_(context), history_(context.dmMain),
      controller_(FlowContextOf(context), *this, context.Player, history_)
{
    setObjectName(QStringLiteral("frmWordTest"));
    buildComponents();
}

void TfrmWordTest::buildComponents()
{
    makeClientPanel(this);
    makeHeading(QStringLiteral("单词测试"));
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

    makeProgressBars(1002);
    makeCommandBar(pnlTest, true);
    SbtShowError = PanelTest->SbtShowError;
    connect(SbtShowError, &QPushButton::clicked, this, &TfrmWordTest::SbtShowErrorClick);
    makeFinishEffect(kWordTestFinish);

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
    PanelTest->PlaceAlongBottom(w, h);
}

void TfrmWordTest::BuildWordTest(int mode)
{
    guarded([&] { controller_.BuildWordTest(mode); });
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

// WordTestView

void TfrmWordTest::SetTitle(const QString& text)
{
    lbTestTitle->setText(text);
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

void TfrmWordTest::SetShowErrorEnabled(bool on)
{
    SbtShowError->setEnabled(on);
}

void TfrmWordTest::StartFinishEffect(int score)
{
    const int w = std::max(1, pnlTest->width() - 80);
    effect_->Start(score, QRect(30, PanelTest->height() + 30, w, std::max(1, w * 5 / 10)));
}

} // namespace zarelo
