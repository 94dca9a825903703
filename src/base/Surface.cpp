#include "base/Surface.h"

#include <algorithm>

namespace zarelo {

void Fill(Surface& surface, Pixel colour)
{
    std::fill(surface.Pixels.begin(), surface.Pixels.end(), colour | 0xFF000000u);
}

void FillRect(Surface& surface, int left, int top, int right, int bottom, Pixel colour)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, surface.Width);
    bottom = std::min(bottom, surface.Height);
    for (int y = top; y < bottom; ++y)
        std::fill(surface.row(y) + left, surface.row(y) + std::max(left, right),
                  colour | 0xFF000000u);
}

void VerticalLine(Surface& surface, int x, int fromY, int toY, Pixel colour)
{
    if (x < 0 || x >= surface.Width || fromY == toY)
        return;
    // Downward: fromY .. toY - 1; upward: toY + 1 .. fromY.
    const int top = std::max(fromY < toY ? fromY : toY + 1, 0);
    const int bottom = std::min(fromY < toY ? toY : fromY + 1, surface.Height);
    for (int y = top; y < bottom; ++y)
        surface.row(y)[x] = colour | 0xFF000000u;
}

void CopyAt(const Surface& from, Surface& to, int left, int top)
{
    const int x0 = std::max(left, 0);
    const int x1 = std::min(left + from.Width, to.Width);
    const int y0 = std::max(top, 0);
    const int y1 = std::min(top + from.Height, to.Height);
    if (x0 >= x1)
        return;
    for (int y = y0; y < y1; ++y)
        std::copy(from.row(y - top) + (x0 - left), from.row(y - top) + (x1 - left), to.row(y) + x0);
}

} // namespace zarelo
