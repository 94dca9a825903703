#include "shell/gui/SplitterBar.h"

#include <QMouseEvent>

namespace zarelo {

SplitterBar::SplitterBar(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::SizeVerCursor);
}

void SplitterBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    lastY_ = event->globalPosition().toPoint().y();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const int y = event->globalPosition().toPoint().y();
    if (y != lastY_) {
        const int dy = y - lastY_;
        lastY_ = y;
        emit dragged(dy);
    }
}

void SplitterBar::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
}

} // namespace zarelo
