#pragma once
// PaintBox2: shows the drawn page of a text book (TextPageBitmap).

#include "reading/TextPageLayout.h"

#include <QFont>
#include <QImage>
#include <QWidget>

class QFontMetrics;

namespace zarelo {

// The font text pages are drawn with (TextPageFontFamily at kTextPageFontPixels).
QFont TextPageFont();

// The text page layout's measure in a font: horizontal advance and line height.
// The metrics must outlive the measure.
TextMeasure TextPageMeasure(const QFontMetrics& metrics);

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
