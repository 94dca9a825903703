#pragma once
// A thin bar between two stacked areas that the user drags up or down; the
// owner moves the areas (fixed geometry, no layout manager).

#include <QWidget>

namespace zarelo {

class SplitterBar : public QWidget {
    Q_OBJECT
public:
    explicit SplitterBar(QWidget* parent = nullptr);

signals:
    // The bar was dragged by `dy` pixels since the last signal (down positive).
    void dragged(int dy);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool dragging_ = false;
    int lastY_ = 0; // global y of the last move, pixels
};

} // namespace zarelo
