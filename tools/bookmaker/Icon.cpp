#include "bookmaker/Icon.h"

#include <QPainter>
#include <QPainterPath>

namespace zarelo::bookmaker {

QImage ProgramIcon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    // Everything is laid out on a 256-unit grid.
    p.scale(size / 256.0, size / 256.0);

    // The tile: the teal of the program's command bars, lighter at the top.
    QLinearGradient tile(0, 0, 0, 256);
    tile.setColorAt(0, QColor(0x7F, 0xB3, 0xBE));
    tile.setColorAt(1, QColor(0x4A, 0x7C, 0x88));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);

    // The open book: two pages meeting at the spine, their lower edges curved.
    const auto page = [&](double outer) {
        QPainterPath path;
        path.moveTo(128, 92);
        path.cubicTo(128 + (outer - 128) * 0.4, 76, outer, 80, outer, 92);
        path.lineTo(outer, 196);
        path.cubicTo(outer, 184, 128 + (outer - 128) * 0.4, 180, 128, 198);
        path.closeSubpath();
        return path;
    };
    p.setBrush(QColor(0xFA, 0xF7, 0xEE));
    p.setPen(QPen(QColor(0x2B, 0x4A, 0x52), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(page(40));
    p.drawPath(page(216));
    // Lines of print on both pages.
    p.setPen(QPen(QColor(0x9A, 0xB0, 0xB6), 6, Qt::SolidLine, Qt::RoundCap));
    for (int line = 0; line < 4; ++line) {
        const double y = 112 + line * 18;
        p.drawLine(QPointF(58, y), QPointF(112, y + 3));
        p.drawLine(QPointF(144, y + 3), QPointF(198, y));
    }

    // The voice: three arcs rising from the spine.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xE0, 0x3C, 0x31), 9, Qt::SolidLine, Qt::RoundCap));
    for (int arc = 0; arc < 3; ++arc) {
        const double r = 18 + arc * 16;
        p.drawArc(QRectF(128 - r, 78 - r, 2 * r, 2 * r), 40 * 16, 100 * 16);
    }
    p.end();
    return icon;
}

} // namespace zarelo::bookmaker
