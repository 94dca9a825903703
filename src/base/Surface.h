#pragma once
// Plain pixel buffers that logic draws on without a widget library. A pixel
// is one 32-bit word 0xXXRRGGBB (B, G, R, X bytes in memory on a
// little-endian machine, the layout of QImage::Format_RGB32), so a window
// wraps a surface in a QImage without a copy to draw on it or present it.
// Every function writes X as 0xFF and ignores it when reading. Channels are 8
// bits (0..255).

#include <QtGlobal>

#include <vector>

namespace zarelo {

using Pixel = quint32;

constexpr Pixel MakePixel(int red, int green, int blue)
{
    return 0xFF000000u | Pixel(red) << 16 | Pixel(green) << 8 | Pixel(blue);
}
// The pixel of a colour number as the book files and settings write colours:
// red in the low byte, blue in the high byte (0xBBGGRR).
constexpr Pixel PixelOfColour(quint32 bgr)
{
    return MakePixel(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF));
}
constexpr int RedOf(Pixel p)
{
    return int(p >> 16 & 0xFF);
}
constexpr int GreenOf(Pixel p)
{
    return int(p >> 8 & 0xFF);
}
constexpr int BlueOf(Pixel p)
{
    return int(p & 0xFF);
}

struct Surface {
    int Width = 0;
    int Height = 0;
    std::vector<Pixel> Pixels; // Height rows of Width pixels, top row first

    Surface() = default;
    Surface(int width, int height, Pixel fill = MakePixel(0, 0, 0))
        : Width(width), Height(height), Pixels(size_t(width) * size_t(height), fill)
    {
    }
    bool isNull() const { return Width == 0 || Height == 0; }
    Pixel at(int x, int y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
    Pixel* row(int y) { return Pixels.data() + size_t(y) * size_t(Width); }
    const Pixel* row(int y) const { return Pixels.data() + size_t(y) * size_t(Width); }
};

void Fill(Surface& surface, Pixel colour);

// Fills the pixels of [left, right) x [top, bottom) that lie on the surface.
void FillRect(Surface& surface, int left, int top, int right, int bottom, Pixel colour);

// A one-pixel vertical line from (x, fromY) towards (x, toY), the end point
// left out (a pen moved to the start and drawn to the end): fromY itself is
// drawn, and nothing at all when the two are equal. Clipped to the surface.
void VerticalLine(Surface& surface, int x, int fromY, int toY, Pixel colour);

// Copies the pixels of `from` that land on `to`, with `from`'s top-left corner
// at (left, top) of `to`.
void CopyAt(const Surface& from, Surface& to, int left, int top);

} // namespace zarelo
