#pragma once
// The pixel rules of the finish effect, drawn on the plain surfaces of
// book/Surface.h. No rule here depends on the 15-bit colour of old displays.

#include "base/Surface.h"

namespace zarelo {

// The transparent key colour of the text surface: aqua.
constexpr Pixel kKeyColour = MakePixel(0, 255, 255);

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
