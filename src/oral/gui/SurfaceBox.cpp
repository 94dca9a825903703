#include "oral/gui/SurfaceBox.h"

#include <QImage>
#include <QPainter>

namespace zarelo {

QImage ImageOf(const Surface& surface)
{
    return QImage(reinterpret_cast<const uchar*>(surface.Pixels.data()), surface.Width,
                  surface.Height, surface.Width * 4, QImage::Format_RGB32);
}

SurfaceBox::SurfaceBox(QWidget* parent) : QWidget(parent) {}

void SurfaceBox::ShowScreen()
{
    showScreen_ = true;
    update();
}

void SurfaceBox::Repaint()
{
    showScreen_ = false;
    update();
}

void SurfaceBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (showScreen_)
        painter.drawImage(0, 0, ImageOf(screen_));
    else if (OnPaint)
        OnPaint(painter);
}

void SurfaceBox::resizeEvent(QResizeEvent*)
{
    screen_ = Surface(width(), height());
}

} // namespace zarelo
