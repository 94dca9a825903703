#include "reading/gui/TextPageWidget.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

namespace zarelo {

QFont TextPageFont()
{
    QFont font(TextPageFontFamily());
    font.setPixelSize(kTextPageFontPixels);
    return font;
}

TextMeasure TextPageMeasure(const QFontMetrics& metrics)
{
    return {[&metrics](const QString& text) { return metrics.horizontalAdvance(text); },
            metrics.height()};
}

TextPageWidget::TextPageWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TextPageWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0xD5, 0xE7, 0xEA));
    painter.drawImage(0, 0, TextPageBitmap);
}

FrameStrip::FrameStrip(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FrameStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool across = orientation_ == Qt::Horizontal;
    QLinearGradient gradient(0, 0, across ? 0 : width(), across ? height() : 0);
    gradient.setColorAt(0.0, QColor(0xC0, 0x50, 0x00));
    gradient.setColorAt(0.5, QColor(0xFF, 0xD8, 0x40));
    gradient.setColorAt(1.0, QColor(0xC0, 0x50, 0x00));
    painter.fillRect(rect(), gradient);
}

} // namespace zarelo
