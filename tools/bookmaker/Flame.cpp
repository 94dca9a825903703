#include "bookmaker/Flame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace zarelo::bookmaker {

namespace {

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Value noise on a lattice with a fixed hash: smooth, repeatable wobble.
double lattice(int x, int y)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double(h ^ (h >> 16)) / 4294967295.0;
}

double noise(double x, double y)
{
    const int ix = int(std::floor(x));
    const int iy = int(std::floor(y));
    const double fx = smoothstep(0, 1, x - ix);
    const double fy = smoothstep(0, 1, y - iy);
    const double top = lattice(ix, iy) + (lattice(ix + 1, iy) - lattice(ix, iy)) * fx;
    const double bottom =
        lattice(ix, iy + 1) + (lattice(ix + 1, iy + 1) - lattice(ix, iy + 1)) * fx;
    return top + (bottom - top) * fy;
}

struct Stop {
    double heat;
    double r, g, b;
};

// Black, deep red, orange, yellow, a pale heart.
constexpr std::array<Stop, 6> kRamp{{{0.00, 0, 0, 0},
                                     {0.22, 110, 8, 0},
                                     {0.45, 225, 55, 0},
                                     {0.68, 255, 145, 15},
                                     {0.86, 255, 215, 80},
                                     {1.00, 255, 250, 215}}};

std::array<double, 3> colourOf(double heat)
{
    heat = std::clamp(heat, 0.0, 1.0);
    for (size_t i = 1; i < kRamp.size(); ++i) {
        if (heat <= kRamp[i].heat) {
            const Stop& a = kRamp[i - 1];
            const Stop& b = kRamp[i];
            const double t = (heat - a.heat) / (b.heat - a.heat);
            return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
        }
    }
    return {kRamp.back().r, kRamp.back().g, kRamp.back().b};
}

// The heat at (u, v): u across the picture from -1 (left) to 1 (right), v down
// it from 0 (top) to 1 (bottom).
double heatAt(double u, double v)
{
    constexpr double tip = 0.04;    // where the flame ends at the top
    constexpr double bulb = 0.70;   // centre of the round base
    constexpr double radius = 0.62; // of the base, in u units
    constexpr double aspect = 1.25; // v units are this many u units tall

    // The body sways, more towards the tip.
    const double sway = (1 - v) * (0.10 * std::sin(v * 9.0 + 0.8) + 0.05 * std::sin(v * 17.0));
    const double x = u - sway;

    double d; // 0 on the axis, 1 at the flame's edge
    if (v >= bulb) {
        d = std::hypot(x, (v - bulb) * aspect * 1.6) / radius;
    } else if (v > tip) {
        const double t = (v - tip) / (bulb - tip);
        // Widens from a sharp tip and meets the round base without a corner.
        const double half = radius * std::pow(std::sin(t * 1.5707963267948966), 1.5);
        d = std::abs(x) / std::max(half, 1e-6);
    } else {
        return 0;
    }
    double heat = 1 - d;
    if (heat <= 0)
        return 0;
    heat = std::pow(heat, 0.75);
    // Tongues: the upper part breaks into brighter and darker streaks.
    const double streak = noise(x * 3.5 + 7.0, v * 5.0 - 3.0);
    const double upper = 1 - smoothstep(0.25, 0.75, v);
    heat *= 1 - upper * 0.45 * (1 - streak);
    // Hottest low in the middle, cooling towards the tip.
    heat *= 0.55 + 0.45 * smoothstep(0.0, 0.75, v);
    // Nothing reaches the picture's border.
    const double border = std::min({v, 1 - v, (1 - std::abs(u)) / 2});
    return heat * 1.15 * smoothstep(0.02, 0.08, border);
}

} // namespace

QByteArray FlameTga(int width, int height)
{
    QByteArray out(18, '\0');
    out[2] = 2; // uncompressed true colour
    out[12] = char(width & 0xFF);
    out[13] = char(width >> 8 & 0xFF);
    out[14] = char(height & 0xFF);
    out[15] = char(height >> 8 & 0xFF);
    out[16] = 24;
    out[17] = 0; // bottom row first, left to right
    out.reserve(18 + qsizetype(width) * height * 3);
    constexpr int kSamples = 3; // per axis, against jagged edges
    for (int row = height - 1; row >= 0; --row) {
        for (int column = 0; column < width; ++column) {
            std::array<double, 3> sum{0, 0, 0};
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double u = ((column + (sx + 0.5) / kSamples) / width) * 2 - 1;
                    const double v = (row + (sy + 0.5) / kSamples) / height;
                    const std::array<double, 3> c = colourOf(heatAt(u, v));
                    for (int i = 0; i < 3; ++i)
                        sum[i] += c[i];
                }
            }
            const auto channel = [&](int i) {
                return char(std::clamp(int(std::lround(sum[i] / (kSamples * kSamples))), 0, 255));
            };
            out.append(channel(2)); // B, G, R
            out.append(channel(1));
            out.append(channel(0));
        }
    }
    return out;
}

} // namespace zarelo::bookmaker
