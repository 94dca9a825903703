#include "quiz/Surface.h"

#include <algorithm>

namespace zarelo {

void MakeGrey(Surface& surface)
{
    for (Pixel& p : surface.Pixels) {
        const Pixel grey =
            (77 * (p >> 16 & 0xFF) + 150 * (p >> 8 & 0xFF) + 29 * (p & 0xFF) + 128) >> 8;
        p = 0xFF000000u | grey << 16 | grey << 8 | grey;
    }
}

void CopyWithoutKey(const Surface& from, Surface& to, Pixel key)
{
    const int width = std::min(from.Width, to.Width);
    const int height = std::min(from.Height, to.Height);
    const Pixel keyColour = key & 0xFFFFFFu;
    for (int y = 0; y < height; ++y) {
        const Pixel* source = from.row(y);
        Pixel* target = to.row(y);
        // A select rather than a branch, so the loop vectorises.
        for (int x = 0; x < width; ++x) {
            const Pixel p = source[x];
            target[x] = (p & 0xFFFFFFu) == keyColour ? target[x] : p | 0xFF000000u;
        }
    }
}

void AddFlame(Surface& to, const Surface& flame, int centreX, int centreY, FlameGains gains)
{
    const int left = centreX - flame.Width / 2;
    const int top = centreY - flame.Height / 2;
    const int x0 = std::max(0, left);
    const int y0 = std::max(0, top);
    const int x1 = std::min(to.Width, left + flame.Width);
    const int y1 = std::min(to.Height, top + flame.Height);
    if (x0 >= x1 || y0 >= y1)
        return;
    // Gains past 256 saturate every lit pixel anyway; the bound keeps the
    // products inside 32 bits.
    const auto bounded = [](int gain) { return Pixel(std::clamp(gain, 0, 1 << 16)); };
    const Pixel gr = bounded(gains.Red);
    const Pixel gg = bounded(gains.Green);
    const Pixel gb = bounded(gains.Blue);
    for (int y = y0; y < y1; ++y) {
        const Pixel* source = flame.row(y - top) + (x0 - left);
        Pixel* target = to.row(y) + x0;
        const int count = x1 - x0;
        for (int x = 0; x < count; ++x) {
            const Pixel f = source[x];
            const Pixel o = target[x];
            const Pixel r = std::min<Pixel>(255, (o >> 16 & 0xFF) + ((f >> 16 & 0xFF) * gr >> 7));
            const Pixel g = std::min<Pixel>(255, (o >> 8 & 0xFF) + ((f >> 8 & 0xFF) * gg >> 7));
            const Pixel b = std::min<Pixel>(255, (o & 0xFF) + ((f & 0xFF) * gb >> 7));
            target[x] = 0xFF000000u | r << 16 | g << 8 | b;
        }
    }
}

} // namespace zarelo
