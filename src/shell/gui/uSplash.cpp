#include "shell/gui/uSplash.h"

#include "base/gui/Controls.h"

#include "base/BookError.h"
#include "base/uFunc.h"
#include "book/Gbk.h"
#include "shell/SplashSettings.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/SkinLayer.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace zarelo {

namespace {

constexpr QColor Navy(0x00, 0x00, 0x80);
constexpr QColor Aqua(0x00, 0xFF, 0xFF);

QFont Italic(QFont font)
{
    font.setItalic(true);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QFont& font,
                  const QColor& colour, QPoint at)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->adjustSize();
    label->move(at);
    return label;
}

// The background: a light band fading into the splash colour (stored
// 10976568, a steel blue), with soft ruled lines like a notebook page.
QPixmap Background(QSize size)
{
    QPixmap pix(size);
    QPainter p(&pix);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0.0, QColor(0x9c, 0xc4, 0xe4));
    g.setColorAt(0.55, QColor(0xe8, 0xf2, 0xfa));
    g.setColorAt(1.0, StoredColour(10976568));
    p.fillRect(pix.rect(), g);
    p.setPen(QColor(255, 255, 255, 90));
    for (int y = 60; y < size.height() - 40; y += 18)
        p.drawLine(0, y, size.width(), y);
    return pix;
}

// The logo: an open book with a speech bubble.
QPixmap Logo()
{
    QPixmap pix(106, 102);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Navy, 2));
    p.setBrush(Qt::white);
    QPainterPath left, right;
    left.moveTo(53, 40);
    left.cubicTo(40, 30, 20, 30, 8, 36);
    left.lineTo(8, 92);
    left.cubicTo(20, 86, 40, 86, 53, 96);
    left.closeSubpath();
    right.moveTo(53, 40);
    right.cubicTo(66, 30, 86, 30, 98, 36);
    right.lineTo(98, 92);
    right.cubicTo(86, 86, 66, 86, 53, 96);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(StoredColour(10976568), 1.5));
    for (int i = 0; i < 4; ++i) {
        p.drawLine(16, 48 + i * 10, 46, 48 + i * 10);
        p.drawLine(60, 48 + i * 10, 90, 48 + i * 10);
    }
    p.setPen(QPen(Navy, 2));
    p.setBrush(QColor(0xff, 0xd8, 0x4a));
    p.drawEllipse(QRectF(56, 2, 44, 28));
    p.setFont(PixelFont(16, false, QStringLiteral("Arial")));
    p.drawText(QRectF(56, 2, 44, 28), Qt::AlignCenter, QStringLiteral("ABC"));
    return pix;
}

} // namespace

TfrmSplash::TfrmSplash(AppContext& app, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), app_(app)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(450, 272);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, StoredColour(10976568));
    setPalette(pal);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 450, 272);
    Image1->setPixmap(Background(size()));
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(23, 91, 106, 102);
    Image2->setScaledContents(true);
    Image2->setPixmap(Logo());

    Label1 = MakeLabel(this, QStringLiteral("Label1"), QStringLiteral("Zarelo学习软件"),
                       PixelFont(24, false, QStringLiteral("隶书")), Navy, {13, 8});
    Label2 = MakeLabel(this, QStringLiteral("Label2"), QStringLiteral("英语学习辅导"),
                       Italic(PixelFont(35, false, QStringLiteral("隶书"))), Aqua, {178, 105});
    Label3 = MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("英语学习辅导"),
                       Italic(PixelFont(35, false, QStringLiteral("隶书"))), Navy, {176, 105});
    Label4 = MakeLabel(this, QStringLiteral("Label4"), QStringLiteral("Ver 2.10"),
                       PixelFont(12, false, QStringLiteral("宋体")), Navy, {248, 146});
    Label5 = MakeLabel(this, QStringLiteral("Label5"), QStringLiteral("http://www.zarelo.example"),
                       PixelFont(12, false, QStringLiteral("宋体")), Navy, {211, 244});
    LblStat = MakeLabel(this, QStringLiteral("LblStat"), QStringLiteral("加载数据..."),
                        PixelFont(14, false, QStringLiteral("宋体")), Navy, {5, 232});
    LblStat->setFixedSize(87, 19);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { app_.Guarded([this] { Timer1Timer(); }); });
    Timer1->start();

    if (const QScreen* s = screen())
        move(s->geometry().center() - rect().center());
}

void TfrmSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TfrmSplash::closeEvent(QCloseEvent* event)
{
    setAttribute(Qt::WA_DeleteOnClose);
    QWidget::closeEvent(event);
}

void TfrmSplash::FormShow()
{
    app_.SplashHandle = this;
    DataFolder = app_.Paths.Data();
    const SplashSettings stored = ReadSplashSettings(app_.Paths.SettingsPath);
    SkinFileName = stored.SkinFileName;
    SkinColour = -1;
    app_.Guarded([&] { SkinColour = ParseSkinColour(stored.ColourText); });
}

void TfrmSplash::Timer1Timer()
{
    const qsizetype n = gbkLength(LblStat->text());
    LblStat->setText(QStringLiteral("加载数据"));
    if (n > 15)
        return;
    QPointer<TfrmSplash> self(this);
    for (qsizetype i = 0; i < 16 - n; ++i) {
        LblStat->setText(LblStat->text() + u'.');
        Delay(app_.Ticks, 100);
        if (!self)
            return; // closed and freed while messages were processed
        repaint();
    }
}

} // namespace zarelo
