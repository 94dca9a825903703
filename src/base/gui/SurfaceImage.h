#pragma once
// A plain surface seen as a QImage, without a copy: to present it, or to
// draw on it with a painter. Valid while the surface is neither resized nor
// freed.

#include "base/Surface.h"

#include <QImage>

namespace zarelo {

inline QImage ImageOf(const Surface& surface)
{
    return QImage(reinterpret_cast<const uchar*>(surface.Pixels.data()), surface.Width,
                  surface.Height, surface.Width * 4, QImage::Format_RGB32);
}

inline QImage CanvasOf(Surface& surface)
{
    return QImage(reinterpret_cast<uchar*>(surface.Pixels.data()), surface.Width, surface.Height,
                  surface.Width * 4, QImage::Format_RGB32);
}

} // namespace zarelo
