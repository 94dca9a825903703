#include "oral/gui/SurfaceBox.h"

#include "base/gui/SurfaceImage.h"

#include <QPainter>

namespace zarelo {

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
