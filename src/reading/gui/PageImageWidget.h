#pragma once
// Image1: the page picture, stretched to the widget's size. The decoded
// pixels are wrapped without a copy; a stretched copy is made once per size
// and kept until the picture or the size changes, so scrolling and the
// highlight only blit.

#include "book/PageImage.h"

#include <QImage>
#include <QWidget>

namespace zarelo {

class PageImageWidget final : public QWidget {
    Q_OBJECT
public:
    explicit PageImageWidget(QWidget* parent = nullptr);

    // Takes the decoded page (possibly decoded reduced) and its natural
    // size; the previous picture is released.
    void setPicture(DecodedImage&& picture, QSize natural);
    // Natural size of the page picture in pixels; empty before the first page.
    QSize naturalSize() const { return natural_; }
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage& stretched();

    DecodedImage pixels_; // owns the bytes picture_ points into
    QImage picture_;
    QSize natural_;
    QImage stretched_; // picture_ at size(), made when first painted at that size
};

// Stretches `source` to `size` with area averaging for reductions (each
// target pixel the mean of the source pixels it covers) and bilinear
// filtering for enlargements; RGB32 in, RGB32 out.
QImage StretchPage(const QImage& source, QSize size);

} // namespace zarelo
