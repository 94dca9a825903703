#include "bookmaker/Pictures.h"

#include <QFont>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRect>
#include <functional>

namespace zarelo::bookmaker {

namespace {

// All drawings work in a 100 x 100 square.
using Drawing = std::function<void(QPainter&, const QString& argument)>;

const QColor kInk(60, 50, 45);
const QColor kSkin(255, 222, 190);

void pen(QPainter& p, const QColor& c, qreal width = 2.5)
{
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void fill(QPainter& p, const QColor& c)
{
    p.setBrush(c);
}

void eyesAndSmile(QPainter& p, qreal cx, qreal cy, qreal r)
{
    pen(p, kInk, 2);
    fill(p, kInk);
    p.drawEllipse(QPointF(cx - r * 0.35, cy - r * 0.1), r * 0.09, r * 0.11);
    p.drawEllipse(QPointF(cx + r * 0.35, cy - r * 0.1), r * 0.09, r * 0.11);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(cx - r * 0.4, cy - r * 0.1, r * 0.8, r * 0.6), 200 * 16, 140 * 16);
}

void child(QPainter& p, qreal cx, qreal cy, qreal r, bool girl, const QColor& shirt)
{
    pen(p, kInk, 2);
    fill(p, shirt);
    p.drawRoundedRect(QRectF(cx - r * 0.9, cy + r * 0.85, r * 1.8, r * 1.2), r * 0.4, r * 0.4);
    if (girl) {
        fill(p, QColor(70, 45, 30));
        p.drawEllipse(QPointF(cx - r * 0.95, cy + r * 0.2), r * 0.3, r * 0.55);
        p.drawEllipse(QPointF(cx + r * 0.95, cy + r * 0.2), r * 0.3, r * 0.55);
    }
    fill(p, kSkin);
    p.drawEllipse(QPointF(cx, cy), r, r);
    fill(p, girl ? QColor(70, 45, 30) : QColor(40, 30, 25));
    QPainterPath hair;
    hair.moveTo(cx - r, cy - r * 0.05);
    hair.arcTo(QRectF(cx - r, cy - r, 2 * r, 2 * r), 180, -180);
    hair.quadTo(cx + r * 0.3, cy - r * 0.75, cx - r, cy - r * 0.05);
    p.drawPath(hair);
    if (girl) {
        fill(p, QColor(240, 80, 120));
        p.drawEllipse(QPointF(cx + r * 0.7, cy - r * 0.75), r * 0.22, r * 0.22);
    }
    eyesAndSmile(p, cx, cy + r * 0.1, r);
}

void boy(QPainter& p, const QString&)
{
    child(p, 50, 38, 26, false, QColor(80, 150, 230));
}
void girl(QPainter& p, const QString&)
{
    child(p, 50, 38, 26, true, QColor(250, 140, 170));
}

void teacher(QPainter& p, const QString&)
{
    child(p, 50, 36, 25, true, QColor(120, 180, 120));
    pen(p, kInk, 2);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(41, 37), 7, 6);
    p.drawEllipse(QPointF(59, 37), 7, 6);
    p.drawLine(QPointF(48, 37), QPointF(52, 37));
}

void friends(QPainter& p, const QString&)
{
    child(p, 30, 40, 19, false, QColor(80, 150, 230));
    child(p, 70, 40, 19, true, QColor(250, 140, 170));
    pen(p, QColor(230, 60, 80), 2);
    fill(p, QColor(240, 90, 110));
    QPainterPath heart;
    heart.moveTo(50, 20);
    heart.cubicTo(44, 12, 36, 20, 50, 30);
    heart.cubicTo(64, 20, 56, 12, 50, 20);
    p.drawPath(heart);
}

// A face with one part marked by a red ring: "face", "eye", "nose", "mouth".
void face(QPainter& p, const QString& part)
{
    pen(p, kInk, 2.5);
    fill(p, kSkin);
    p.drawEllipse(QPointF(50, 52), 38, 42);
    fill(p, QColor(40, 30, 25));
    QPainterPath hair;
    hair.moveTo(12, 45);
    hair.arcTo(QRectF(12, 10, 76, 84), 180, -180);
    hair.quadTo(55, 22, 12, 45);
    p.drawPath(hair);
    fill(p, Qt::white);
    p.drawEllipse(QPointF(36, 50), 8, 6);
    p.drawEllipse(QPointF(64, 50), 8, 6);
    fill(p, kInk);
    p.drawEllipse(QPointF(36, 50), 3.5, 3.5);
    p.drawEllipse(QPointF(64, 50), 3.5, 3.5);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(45, 50, 10, 16), 200 * 16, 140 * 16);
    fill(p, QColor(220, 80, 80));
    QPainterPath mouth;
    mouth.moveTo(38, 74);
    mouth.quadTo(50, 86, 62, 74);
    mouth.closeSubpath();
    p.drawPath(mouth);
    QRectF ring;
    if (part == u"eye")
        ring = QRectF(24, 40, 24, 20);
    else if (part == u"nose")
        ring = QRectF(40, 52, 20, 20);
    else if (part == u"mouth")
        ring = QRectF(32, 68, 36, 22);
    if (!ring.isNull()) {
        pen(p, QColor(230, 30, 30), 3);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(ring);
    }
}

void penPicture(QPainter& p, const QString&)
{
    p.save();
    p.translate(50, 50);
    p.rotate(-35);
    pen(p, kInk, 2);
    fill(p, QColor(40, 70, 160));
    p.drawRoundedRect(QRectF(-38, -7, 62, 14), 4, 4);
    fill(p, QColor(200, 200, 210));
    p.drawRect(QRectF(-30, -9, 26, 4));
    fill(p, QColor(230, 200, 80));
    QPolygonF nib({QPointF(24, -7), QPointF(40, 0), QPointF(24, 7)});
    p.drawPolygon(nib);
    p.restore();
}

void pencil(QPainter& p, const QString& colour)
{
    p.save();
    p.translate(50, 50);
    p.rotate(-35);
    pen(p, kInk, 2);
    fill(p, colour == u"crayon" ? QColor(230, 70, 60) : QColor(250, 200, 40));
    const qreal width = colour == u"crayon" ? 10 : 7;
    p.drawRect(QRectF(-36, -width, 58, 2 * width));
    fill(p, colour == u"crayon" ? QColor(230, 70, 60) : QColor(240, 210, 170));
    p.drawPolygon(QPolygonF({QPointF(22, -width), QPointF(42, 0), QPointF(22, width)}));
    if (colour != u"crayon") {
        fill(p, kInk);
        p.drawPolygon(QPolygonF({QPointF(36, -2.2), QPointF(42, 0), QPointF(36, 2.2)}));
        fill(p, QColor(240, 130, 150));
        p.drawRect(QRectF(-44, -width, 8, 2 * width));
    } else {
        fill(p, Qt::white);
        p.drawRect(QRectF(-22, -width, 24, 2 * width));
    }
    p.restore();
}

void crayon(QPainter& p, const QString&)
{
    pencil(p, QStringLiteral("crayon"));
}

void ruler(QPainter& p, const QString&)
{
    p.save();
    p.translate(50, 50);
    p.rotate(-20);
    pen(p, kInk, 2);
    fill(p, QColor(250, 230, 120));
    p.drawRect(QRectF(-44, -11, 88, 22));
    pen(p, kInk, 1.5);
    for (int i = 0; i <= 16; ++i) {
        const qreal x = -40 + i * 5;
        p.drawLine(QPointF(x, -11), QPointF(x, i % 2 ? -5 : -1));
    }
    p.restore();
}

void bookPicture(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(220, 80, 70));
    p.drawRect(QRectF(20, 14, 60, 74));
    fill(p, QColor(250, 245, 230));
    p.drawRect(QRectF(28, 14, 52, 70));
    fill(p, QColor(220, 80, 70));
    p.drawRect(QRectF(20, 14, 10, 74));
    pen(p, QColor(150, 140, 130), 2);
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(38, 32 + i * 12), QPointF(72, 32 + i * 12));
}

void bag(QPainter& p, const QString&)
{
    pen(p, kInk, 2.5);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(34, 10, 32, 30), 0, 180 * 16);
    fill(p, QColor(70, 140, 220));
    p.drawRoundedRect(QRectF(18, 24, 64, 66), 12, 12);
    fill(p, QColor(50, 110, 190));
    p.drawRoundedRect(QRectF(28, 54, 44, 26), 6, 6);
    fill(p, QColor(250, 210, 60));
    p.drawEllipse(QPointF(50, 54), 4, 4);
}

void eraser(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(250, 150, 170));
    p.drawRoundedRect(QRectF(16, 36, 68, 30), 6, 6);
    fill(p, QColor(90, 160, 230));
    p.drawRect(QRectF(40, 36, 26, 30));
}

void desk(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(200, 140, 80));
    p.drawRect(QRectF(10, 30, 80, 12));
    fill(p, QColor(170, 110, 60));
    p.drawRect(QRectF(16, 42, 8, 46));
    p.drawRect(QRectF(76, 42, 8, 46));
    p.drawRect(QRectF(30, 42, 40, 18));
}

void chair(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(90, 170, 110));
    p.drawRect(QRectF(28, 10, 44, 40));
    fill(p, QColor(200, 140, 80));
    p.drawRect(QRectF(24, 50, 52, 10));
    p.drawRect(QRectF(28, 60, 7, 30));
    p.drawRect(QRectF(65, 60, 7, 30));
}

void box(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(220, 170, 100));
    p.drawPolygon(QPolygonF({QPointF(14, 40), QPointF(56, 40), QPointF(56, 88), QPointF(14, 88)}));
    fill(p, QColor(200, 150, 85));
    p.drawPolygon(QPolygonF({QPointF(56, 40), QPointF(86, 26), QPointF(86, 72), QPointF(56, 88)}));
    fill(p, QColor(235, 190, 120));
    p.drawPolygon(QPolygonF({QPointF(14, 40), QPointF(44, 26), QPointF(86, 26), QPointF(56, 40)}));
}

QColor namedColour(const QString& name)
{
    static const QMap<QString, QColor> colours{
        {QStringLiteral("red"), QColor(230, 40, 40)},
        {QStringLiteral("blue"), QColor(40, 90, 220)},
        {QStringLiteral("green"), QColor(40, 170, 70)},
        {QStringLiteral("yellow"), QColor(250, 215, 30)},
        {QStringLiteral("black"), QColor(25, 25, 25)},
        {QStringLiteral("white"), QColor(255, 255, 255)},
        {QStringLiteral("orange"), QColor(250, 140, 20)},
        {QStringLiteral("pink"), QColor(250, 150, 190)},
        {QStringLiteral("brown"), QColor(140, 85, 40)},
        {QStringLiteral("purple"), QColor(140, 60, 180)},
    };
    return colours.value(name);
}

// A paint splash of a named colour, with a brush.
void paint(QPainter& p, const QString& colour)
{
    pen(p, kInk, 2);
    fill(p, namedColour(colour));
    QPainterPath blob;
    blob.moveTo(50, 14);
    blob.cubicTo(76, 10, 90, 34, 84, 54);
    blob.cubicTo(80, 76, 60, 90, 42, 84);
    blob.cubicTo(18, 80, 8, 56, 16, 38);
    blob.cubicTo(22, 22, 34, 16, 50, 14);
    p.drawPath(blob);
    fill(p, QColor(255, 255, 255, 140));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(38, 34), 8, 5);
}

void catOrDog(QPainter& p, bool cat)
{
    pen(p, kInk, 2);
    const QColor fur = cat ? QColor(250, 170, 70) : QColor(200, 150, 100);
    fill(p, cat ? fur : QColor(130, 85, 50));
    if (cat) {
        p.drawPolygon(QPolygonF({QPointF(20, 42), QPointF(24, 10), QPointF(44, 28)}));
        p.drawPolygon(QPolygonF({QPointF(80, 42), QPointF(76, 10), QPointF(56, 28)}));
    } else {
        p.drawEllipse(QRectF(8, 24, 20, 42));
        p.drawEllipse(QRectF(72, 24, 20, 42));
    }
    fill(p, fur);
    p.drawEllipse(QPointF(50, 52), 32, 30);
    eyesAndSmile(p, 50, 52, 30);
    fill(p, cat ? QColor(240, 110, 130) : kInk);
    p.drawEllipse(QPointF(50, 56), 4, 3);
    if (cat) {
        pen(p, kInk, 1.5);
        p.drawLine(QPointF(30, 58), QPointF(12, 54));
        p.drawLine(QPointF(30, 62), QPointF(12, 64));
        p.drawLine(QPointF(70, 58), QPointF(88, 54));
        p.drawLine(QPointF(70, 62), QPointF(88, 64));
    }
}

void cat(QPainter& p, const QString&)
{
    catOrDog(p, true);
}
void dog(QPainter& p, const QString&)
{
    catOrDog(p, false);
}

void bird(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(80, 180, 230));
    p.drawEllipse(QPointF(48, 56), 30, 24);
    p.drawEllipse(QPointF(70, 36), 15, 15);
    fill(p, QColor(60, 140, 200));
    p.drawPolygon(QPolygonF({QPointF(30, 50), QPointF(52, 48), QPointF(40, 70)}));
    fill(p, QColor(250, 180, 40));
    p.drawPolygon(QPolygonF({QPointF(84, 32), QPointF(96, 38), QPointF(84, 42)}));
    fill(p, kInk);
    p.drawEllipse(QPointF(74, 33), 2.5, 2.5);
    pen(p, QColor(250, 180, 40), 2.5);
    p.drawLine(QPointF(44, 80), QPointF(42, 92));
    p.drawLine(QPointF(54, 80), QPointF(56, 92));
}

void fish(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(250, 120, 60));
    p.drawPolygon(QPolygonF({QPointF(22, 50), QPointF(6, 32), QPointF(6, 68)}));
    p.drawEllipse(QPointF(52, 50), 34, 22);
    fill(p, Qt::white);
    p.drawEllipse(QPointF(70, 45), 5, 5);
    fill(p, kInk);
    p.drawEllipse(QPointF(71, 45), 2.2, 2.2);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(36, 36, 16, 28), -60 * 16, 120 * 16);
}

void duck(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(250, 225, 60));
    p.drawEllipse(QPointF(44, 64), 32, 22);
    p.drawEllipse(QPointF(64, 34), 17, 17);
    fill(p, QColor(250, 140, 30));
    p.drawEllipse(QRectF(76, 34, 20, 9));
    fill(p, kInk);
    p.drawEllipse(QPointF(68, 30), 2.5, 2.5);
    fill(p, QColor(235, 200, 40));
    p.drawEllipse(QRectF(24, 56, 30, 14));
}

void pig(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(250, 170, 190));
    p.drawPolygon(QPolygonF({QPointF(22, 36), QPointF(26, 12), QPointF(42, 26)}));
    p.drawPolygon(QPolygonF({QPointF(78, 36), QPointF(74, 12), QPointF(58, 26)}));
    p.drawEllipse(QPointF(50, 52), 34, 32);
    fill(p, QColor(240, 130, 160));
    p.drawEllipse(QPointF(50, 62), 13, 9);
    fill(p, kInk);
    p.drawEllipse(QPointF(45, 62), 2.5, 3);
    p.drawEllipse(QPointF(55, 62), 2.5, 3);
    p.drawEllipse(QPointF(38, 44), 3, 3.5);
    p.drawEllipse(QPointF(62, 44), 3, 3.5);
}

void bearFace(QPainter& p, const QColor& fur, const QColor& ears, bool patches)
{
    pen(p, kInk, 2);
    fill(p, ears);
    p.drawEllipse(QPointF(24, 24), 12, 12);
    p.drawEllipse(QPointF(76, 24), 12, 12);
    fill(p, fur);
    p.drawEllipse(QPointF(50, 54), 34, 32);
    if (patches) {
        fill(p, ears);
        p.drawEllipse(QPointF(37, 48), 9, 11);
        p.drawEllipse(QPointF(63, 48), 9, 11);
        fill(p, Qt::white);
        p.drawEllipse(QPointF(38, 47), 3, 3);
        p.drawEllipse(QPointF(62, 47), 3, 3);
    } else {
        fill(p, kInk);
        p.drawEllipse(QPointF(38, 47), 3, 3.5);
        p.drawEllipse(QPointF(62, 47), 3, 3.5);
        fill(p, QColor(220, 180, 130));
        p.drawEllipse(QPointF(50, 64), 13, 10);
    }
    fill(p, kInk);
    p.drawEllipse(QPointF(50, 60), 5, 3.5);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(42, 60, 16, 10), 200 * 16, 140 * 16);
}

void bear(QPainter& p, const QString&)
{
    bearFace(p, QColor(150, 95, 50), QColor(120, 75, 40), false);
}
void panda(QPainter& p, const QString&)
{
    bearFace(p, Qt::white, QColor(30, 30, 30), true);
}

void monkey(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(140, 90, 50));
    p.drawEllipse(QPointF(16, 50), 11, 12);
    p.drawEllipse(QPointF(84, 50), 11, 12);
    p.drawEllipse(QPointF(50, 50), 32, 34);
    fill(p, QColor(240, 205, 160));
    p.drawEllipse(QPointF(40, 44), 12, 13);
    p.drawEllipse(QPointF(60, 44), 12, 13);
    p.drawEllipse(QPointF(50, 64), 20, 14);
    fill(p, kInk);
    p.drawEllipse(QPointF(40, 45), 3, 3.5);
    p.drawEllipse(QPointF(60, 45), 3, 3.5);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(40, 58, 20, 12), 200 * 16, 140 * 16);
}

void rabbit(QPainter& p, const QString&)
{
    pen(p, kInk, 2);
    fill(p, QColor(245, 245, 245));
    p.drawEllipse(QRectF(28, 2, 14, 44));
    p.drawEllipse(QRectF(58, 2, 14, 44));
    fill(p, QColor(250, 180, 200));
    p.drawEllipse(QRectF(32, 8, 6, 32));
    p.drawEllipse(QRectF(62, 8, 6, 32));
    fill(p, QColor(245, 245, 245));
    p.drawEllipse(QPointF(50, 64), 28, 26);
    fill(p, QColor(220, 60, 90));
    p.drawEllipse(QPointF(40, 58), 3.5, 4);
    p.drawEllipse(QPointF(60, 58), 3.5, 4);
    fill(p, QColor(250, 150, 170));
    p.drawEllipse(QPointF(50, 68), 4, 3);
}

// "number N": the digits of N in a circle with N dots below.
void number(QPainter& p, const QString& argument)
{
    const int n = argument.toInt();
    pen(p, kInk, 2);
    fill(p, QColor(255, 235, 150));
    p.drawEllipse(QPointF(50, 38), 30, 30);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(36);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(200, 70, 40));
    p.drawText(QRectF(20, 8, 60, 60), Qt::AlignCenter, QString::number(n));
    p.setPen(QPen(kInk, 1));
    fill(p, QColor(60, 150, 230));
    const int perRow = 5;
    for (int i = 0; i < n; ++i) {
        const int row = i / perRow;
        const int inRow = std::min(perRow, n - row * perRow);
        const qreal x = 50 - (inRow - 1) * 8 + (i % perRow) * 16;
        p.drawEllipse(QPointF(x, 78 + row * 14), 5, 5);
    }
}

const QMap<QString, Drawing>& drawings()
{
    static const QMap<QString, Drawing> all{
        {QStringLiteral("boy"), boy},         {QStringLiteral("girl"), girl},
        {QStringLiteral("teacher"), teacher}, {QStringLiteral("friends"), friends},
        {QStringLiteral("face"), face},       {QStringLiteral("pen"), penPicture},
        {QStringLiteral("pencil"), pencil},   {QStringLiteral("crayon"), crayon},
        {QStringLiteral("ruler"), ruler},     {QStringLiteral("book"), bookPicture},
        {QStringLiteral("bag"), bag},         {QStringLiteral("eraser"), eraser},
        {QStringLiteral("desk"), desk},       {QStringLiteral("chair"), chair},
        {QStringLiteral("box"), box},         {QStringLiteral("paint"), paint},
        {QStringLiteral("cat"), cat},         {QStringLiteral("dog"), dog},
        {QStringLiteral("bird"), bird},       {QStringLiteral("fish"), fish},
        {QStringLiteral("duck"), duck},       {QStringLiteral("pig"), pig},
        {QStringLiteral("bear"), bear},       {QStringLiteral("panda"), panda},
        {QStringLiteral("monkey"), monkey},   {QStringLiteral("rabbit"), rabbit},
        {QStringLiteral("number"), number},
    };
    return all;
}

// Splits "paint red" into ("paint", "red").
std::pair<QString, QString> splitHint(const QString& hint)
{
    const qsizetype space = hint.indexOf(u' ');
    if (space < 0)
        return {hint, QString()};
    return {hint.left(space), hint.mid(space + 1)};
}

bool argumentFits(const QString& name, const QString& argument)
{
    if (name == u"paint")
        return namedColour(argument).isValid();
    if (name == u"number") {
        bool ok = false;
        const int n = argument.toInt(&ok);
        return ok && n >= 0 && n <= 10;
    }
    if (name == u"face")
        return argument.isEmpty() || argument == u"eye" || argument == u"nose" ||
               argument == u"mouth";
    return argument.isEmpty();
}

} // namespace

bool IsKnownPicture(const QString& hint)
{
    const auto [name, argument] = splitHint(hint);
    return drawings().contains(name) && argumentFits(name, argument);
}

void DrawPicture(QPainter& painter, const QRect& area, const QString& hint)
{
    const auto [name, argument] = splitHint(hint);
    const auto found = drawings().find(name);
    if (found == drawings().end() || !argumentFits(name, argument))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(area.topLeft());
    painter.scale(area.width() / 100.0, area.height() / 100.0);
    found.value()(painter, argument);
    painter.restore();
}

QStringList PictureNames()
{
    return drawings().keys();
}

} // namespace zarelo::bookmaker
