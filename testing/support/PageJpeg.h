#pragma once
// Page pictures as the books hold them, encoded with TurboJPEG: paper of one
// colour, filled rectangles over it (where the entries stand) and, for
// benchmarks, rows of text-like strokes under a coloured band.

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace zarelo::fakes {

struct PaintedRect {
    int Left, Top, Right, Bottom; // Right and Bottom exclusive
    uint32_t Rgb = 0x000000;      // 0xRRGGBB
};

struct PagePicture {
    int Width = 800;
    int Height = 1000;
    uint32_t Paper = 0xFAF5E6;
    std::vector<PaintedRect> Rects; // painted in order over the paper
    // Non-zero: 60 rows of dark text-like strokes from y = 120 and a coloured
    // band over the top 90 rows; the seed varies the strokes, so that two
    // pages are not the same bytes.
    unsigned TextSeed = 0;
    int Quality = 85;
    bool FullChroma = false; // 4:4:4 instead of the 4:2:0 of scanned pages
};

// Empty when TurboJPEG refuses the picture.
QByteArray PageJpeg(const PagePicture& picture);

// A scanned-looking white page of text, quality 85, 4:2:0.
QByteArray PageLikeJpeg(int width, int height, unsigned seed);

} // namespace zarelo::fakes
