#pragma once
// Decoding a page picture no larger than the view needs: libjpeg-turbo
// scales while it decodes (by 1/2, 1/4, ...), which costs a fraction of a
// full decode and leaves less to stretch. The page's natural size is kept for
// the layout, which works from its exact aspect ratio.

#include "PageImage.h"

#include <QSize>
#include <QString>
#include <functional>

namespace zarelo {

struct PagePicture {
    DecodedImage Pixels; // possibly reduced; at least the size asked for when it fits
    QSize Natural;       // the picture's own size in pixels
};

// `needed` gets the natural size and returns the smallest size either size
// mode will show the page at; the decode is reduced by the largest libjpeg
// factor that still covers it. Throws BookError naming `name` when the bytes
// are not a valid JPEG (the text of DecodeJpeg).
PagePicture DecodePagePicture(QByteArrayView jpeg, const QString& name,
                              const std::function<QSize(QSize natural)>& needed);

// UnpackFile of a page file, then DecodePagePicture.
PagePicture LoadPagePicture(const QString& path, const std::function<QSize(QSize natural)>& needed);

} // namespace zarelo
