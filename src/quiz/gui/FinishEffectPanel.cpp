#include "quiz/gui/FinishEffectPanel.h"

#include "base/BookError.h"
#include "base/gui/SurfaceImage.h"
#include "quiz/TgaImage.h"

#include <QFrame>
#include <QPainter>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace zarelo {

namespace {

const QColor kPanelQColour(RedOf(kPanelColour), GreenOf(kPanelColour), BlueOf(kPanelColour));
const QColor kSilver(192, 192, 192);

void fill(QWidget* widget, const QColor& colour)
{
    widget->setAutoFillBackground(true);
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
}

} // namespace

void FinishPaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!Front || Front->isNull()) {
        painter.fillRect(rect(), palette().color(QPalette::Window));
        return;
    }
    painter.drawImage(0, 0, ImageOf(*Front));
}

FinishEffectPanel::FinishEffectPanel(QWidget* parent, const FinishEffectValues& values,
                                     const QString& programFolder)
    : QObject(parent), values_(values), programFolder_(programFolder), animation_(values)
{
    PnShow3D = new QFrame(parent);
    PnShow3D->setObjectName(QStringLiteral("PnShow3D"));
    PnShow3D->setFrameShape(QFrame::NoFrame);
    fill(PnShow3D, kPanelQColour);
    PaintBox1 = new FinishPaintBox(PnShow3D);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->Front = &front_;
    fill(PaintBox1, kSilver);
    PaintBox1->hide();
    PnShow3D->hide();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(values_.DesignIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &FinishEffectPanel::Timer1Timer);
}

FinishEffectPanel::~FinishEffectPanel()
{
    Timer1->stop();
}

void FinishEffectPanel::Hide()
{
    PaintBox1->hide();
    fill(PaintBox1, kSilver);
    Timer1->stop();
    running_ = false;
    PnShow3D->hide();
}

void FinishEffectPanel::Start(int score, const QRect& geometry)
{
    score_ = score;
    PnShow3D->setGeometry(geometry);
    PaintBox1->setGeometry(0, 0, PnShow3D->width(), PnShow3D->height());
    front_ = Surface(PnShow3D->width(), PnShow3D->height());
    text_ = Surface(PnShow3D->width(), PnShow3D->height(), kKeyColour);
    try {
        flame_ = LoadTgaFile(programFolder_ + QStringLiteral("/fire2.tga"));
        MakeGrey(flame_);
    } catch (const BookError&) {
        flame_ = Surface();
    }
    animation_ = FinishAnimation(values_);
    Timer1->setInterval(values_.DesignIntervalMs);
    PaintBox1->show();
    if (!values_.HiddenUntilFirstFrame)
        PnShow3D->show();
    PnShow3D->raise();
    running_ = true;
    Timer1->start();
}

void FinishEffectPanel::Timer1Timer()
{
    Timer1->stop();
    UpdateMe();
    // Give up, Back or a new build may have ended the effect meanwhile.
    if (running_)
        Timer1->start();
}

void FinishEffectPanel::UpdateMe()
{
    if (front_.isNull())
        return;
    PaintBox1->raise();
    Fill(front_, background_.NextFrame());
    Fill(text_, kKeyColour);
    const FinishFrame frame = animation_.Step(PaintBox1->width());
    {
        QImage canvas = CanvasOf(text_);
        QPainter painter(&canvas);
        QFont font(QStringLiteral("华文隶书"));
        font.setBold(true);
        font.setPointSize(frame.PointSize);
        // No smoothing: every pixel of the message is the message colour or
        // the key colour, so that the key leaves out exactly the background.
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        painter.setPen(
            QColor(RedOf(kMessageColour), GreenOf(kMessageColour), BlueOf(kMessageColour)));
        painter.drawText(QRect(frame.TextX, frame.TextY, text_.Width * 2, text_.Height * 2),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, FinishMessage(score_));
    }
    if (frame.PauseMs > 0)
        QThread::msleep(frame.PauseMs);
    if (frame.TimerIntervalMs > 0)
        Timer1->setInterval(frame.TimerIntervalMs);
    CopyWithoutKey(text_, front_);
    if (!flame_.isNull())
        AddFlame(front_, flame_, frame.SpriteX, frame.SpriteY, values_.Gains);
    PaintBox1->update();
    if (values_.HiddenUntilFirstFrame && PnShow3D->isHidden())
        PnShow3D->show();
}

} // namespace zarelo
