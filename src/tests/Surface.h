#pragma once
// Plain pixel buffers of the finish effect and the pixel rules drawn on them.
// A pixel is one 32-bit word 0xXXRRGGBB (B, G, R, X bytes in memory on a
// little-endian machine, the layout of QImage::Format_RGB32), so a window
// wraps a surface in a QImage without a copy to draw text on it or present it.
// Every function writes X as 0xFF and ignores it when reading. Channels are 8
// bits (0..255); no rule here depends on the 15-bit colour of old displays.

#include <QtGlobal>

#include <vector>

namespace zarelo {

using Pixel = quint32;

constexpr Pixel MakePixel(int red, int green, int blue)
{
    return 0xFF000000u | Pixel(red) << 16 | Pixel(green) << 8 | Pixel(blue);
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

// The transparent key colour of the text surface: aqua.
constexpr Pixel kKeyColour = MakePixel(0, 255, 255);

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

// The multipliers of the flame blend in 128ths: a channel adds
// image value × gain / 128. 128 is a gain of 1.
struct FlameGains {
    int Red = 128;
    int Green = 128;
    int Blue = 128;
};

// A gain of numerator / denominator in 128ths, truncated: 1/1 gives 128,
// 100/255 gives 50.
constexpr int GainOf(int numerator, int denominator)
{
    return numerator * 128 / denominator;
}

void Fill(Surface& surface, Pixel colour);

// Turns every pixel into one grey level in all three channels: the luma of
// ITU-R BT.601 in 256ths, (77 R + 150 G + 29 B + 128) / 256, so black stays
// 0 and white stays 255.
void MakeGrey(Surface& surface);

// Copies `from` onto `to` with the two top-left corners together, over the
// area both cover, leaving out the pixels of `from` whose colour is `key`.
void CopyWithoutKey(const Surface& from, Surface& to, Pixel key = kKeyColour);

// Adds `flame` onto `to` with its centre at (centreX, centreY): its top-left
// corner lies at centreX − width / 2, centreY − height / 2, and the part
// outside `to` is left out. Per pixel and channel:
// result = min(255, old + image × gain / 128).
void AddFlame(Surface& to, const Surface& flame, int centreX, int centreY, FlameGains gains);

} // namespace zarelo
