#pragma once
// PaintBox2: shows the drawn page of a text book (TextPageBitmap).

#include <QImage>
#include <QWidget>

namespace zarelo {

class TextPageWidget final : public QWidget {
    Q_OBJECT
public:
    explicit TextPageWidget(QWidget* parent = nullptr);
    QImage TextPageBitmap; // the drawn page, the size of the page panel

protected:
    void paintEvent(QPaintEvent* event) override; // PaintBox2Paint: the bitmap at (0, 0)
};

// One strip of the highlight frame: a gradient across its thickness.
class FrameStrip final : public QWidget {
    Q_OBJECT
public:
    FrameStrip(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation orientation_; // Horizontal: BvTop, BvBot; Vertical: BvLeft, BvRight
};

} // namespace zarelo
