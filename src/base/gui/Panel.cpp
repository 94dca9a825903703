#include "base/gui/Panel.h"

#include "base/gui/StoredColours.h"

#include <QApplication>
#include <QPainter>

namespace zarelo {

Panel::Panel(QWidget* parent) : QWidget(parent) {}

void Panel::setCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void Panel::setColourValue(std::optional<int32_t> colour)
{
    colour_ = colour;
    update();
}

QColor Panel::fillColour() const
{
    if (colour_) {
        const QColor c = ColourOfValue(*colour_, QApplication::palette());
        if (c.isValid())
            return c;
    }
    return palette().color(QPalette::Window);
}

void Panel::setBevels(Bevel outer, Bevel inner)
{
    outer_ = outer;
    inner_ = inner;
    update();
}

QRect Panel::clientRect() const
{
    const int inset = (outer_ != Bevel::None ? 1 : 0) + (inner_ != Bevel::None ? 1 : 0);
    return rect().adjusted(inset, inset, -inset, -inset);
}

void Panel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), fillColour());
    QRect r = rect();
    auto bevel = [&](Bevel kind) {
        if (kind == Bevel::None)
            return;
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        const QColor topLeft = kind == Bevel::Raised ? light : dark;
        const QColor bottomRight = kind == Bevel::Raised ? dark : light;
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    };
    bevel(outer_);
    bevel(inner_);
    if (!caption_.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter, caption_);
    }
}

} // namespace zarelo
