#include "PageImageWidget.h"

#include <QPaintEvent>
#include <QPainter>

namespace zarelo {

PageImageWidget::PageImageWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void PageImageWidget::setPicture(DecodedImage&& picture)
{
    // Wrap first, then drop the old bytes: picture_ never points at freed memory.
    DecodedImage incoming = std::move(picture);
    QImage wrapped(reinterpret_cast<const uchar*>(incoming.Pixels.constData()), incoming.Width,
                   incoming.Height, qsizetype(incoming.Width) * 4, QImage::Format_RGB32);
    stretched_ = QImage();
    picture_ = wrapped;
    pixels_ = std::move(incoming);
    update();
}

QImage StretchPage(const QImage& source, QSize size)
{
    return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

const QImage& PageImageWidget::stretched()
{
    if (picture_.size() == size())
        return picture_;
    if (stretched_.size() != size())
        stretched_ = StretchPage(picture_, size());
    return stretched_;
}

void PageImageWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (picture_.isNull() || width() <= 0 || height() <= 0) {
        painter.fillRect(event->rect(), QColor(0xD5, 0xE7, 0xEA));
        return;
    }
    const QRect dirty = event->rect();
    painter.drawImage(dirty.topLeft(), stretched(), dirty);
}

} // namespace zarelo
