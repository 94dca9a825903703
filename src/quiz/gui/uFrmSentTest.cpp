#include "quiz/gui/uFrmSentTest.h"

#include "audio/VoicePlayer.h"
#include "base/UserMessages.h"
#include "quiz/gui/QuizWidgets.h"

#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace zarelo {

using namespace quizview;

namespace {

const QColor kLime(0, 255, 0);

} // namespace

TfrmSentTest::TfrmSentTest(const SentTestWindowContext& context, QWidget* parent)
    : TestWindow(context.Messages, context.ReportError, context.Paths.Data(), parent),
      ctx_(context), controller_(FlowContextOf(context), *this, context.Player)
{
    setObjectName(QStringLiteral("frmSentTest"));
    setWindowTitle(QStringLiteral("听辨句子"));
    buildComponents();
}

void TfrmSentTest::buildComponents()
{
    ScrollBox = named(new QScrollArea(this), "ScrollBox");
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setWidgetResizable(false);
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fill(ScrollBox->viewport(), kPanelQColour);
    makeClientPanel(nullptr);
    ScrollBox->setWidget(pnlTest);
    makeHeading(QStringLiteral("听辨句子"));
    makeProgressBars(1001);
    makeCommandBar(this, false);
    makeFinishEffect(kSentenceTestFinish);

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
    PanelTest->PlaceAlongBottom(w, h);
}

void TfrmSentTest::BuildSentenceTest(int mode)
{
    guarded([&] { controller_.BuildSentenceTest(mode); });
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

// SentenceTestView

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

// Centred on pnlTest at top 150, shown with its first frame.
void TfrmSentTest::StartFinishEffect(int score)
{
    const int w = std::max(1, pnlTest->width() - 80);
    effect_->Start(score, QRect((pnlTest->width() - w) / 2, 150, w, std::max(1, w * 5 / 10)));
}

} // namespace zarelo
