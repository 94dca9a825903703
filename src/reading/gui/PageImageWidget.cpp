#include "reading/gui/PageImageWidget.h"

#include <QPaintEvent>
#include <QPainter>

namespace zarelo {

PageImageWidget::PageImageWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void PageImageWidget::setPicture(DecodedImage&& picture, QSize natural)
{
    natural_ = natural;
    // Wrap first, then drop the old bytes: picture_ never points at freed memory.
    DecodedImage incoming = std::move(picture);
    QImage wrapped(reinterpret_cast<const uchar*>(incoming.Pixels.constData()), incoming.Width,
                   incoming.Height, qsizetype(incoming.Width) * 4, QImage::Format_RGB32);
    stretched_ = QImage();
    picture_ = wrapped;
    pixels_ = std::move(incoming);
    update();
}

namespace {

// Each target pixel the mean of a 2 x 2 block of the source (an odd last row
// or column is dropped). The channels are summed two at a time in 16-bit
// lanes of a 32-bit word, which the compiler turns into vector code.
QImage halve(const QImage& source)
{
    const int w = source.width() / 2;
    const int h = source.height() / 2;
    QImage out(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const auto* a = reinterpret_cast<const uint32_t*>(source.constScanLine(2 * y));
        const auto* b = reinterpret_cast<const uint32_t*>(source.constScanLine(2 * y + 1));
        auto* o = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const uint32_t p0 = a[2 * x], p1 = a[2 * x + 1], p2 = b[2 * x], p3 = b[2 * x + 1];
            const uint32_t rb = (p0 & 0x00ff00ffu) + (p1 & 0x00ff00ffu) + (p2 & 0x00ff00ffu) +
                                (p3 & 0x00ff00ffu) + 0x00020002u;
            const uint32_t g = ((p0 >> 8) & 0x00ff00ffu) + ((p1 >> 8) & 0x00ff00ffu) +
                               ((p2 >> 8) & 0x00ff00ffu) + ((p3 >> 8) & 0x00ff00ffu) + 0x00020002u;
            o[x] = ((rb >> 2) & 0x00ff00ffu) | (((g >> 2) & 0x00ff00ffu) << 8);
        }
    }
    return out;
}

} // namespace

QImage StretchPage(const QImage& source, QSize size)
{
    // Halving first is exact area averaging and cheap; the rest of the way
    // (less than a factor 2) goes through Qt's smooth scaling.
    const QImage* from = &source;
    QImage reduced;
    while (from->width() >= 2 * size.width() && from->height() >= 2 * size.height()) {
        reduced = halve(*from);
        from = &reduced;
    }
    if (from->size() == size)
        return from == &source ? source.copy() : reduced;
    return from->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
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
