#include "support/PageJpeg.h"

#include <turbojpeg.h>

#include <algorithm>
#include <random>

namespace zarelo::fakes {

namespace {

void paint(std::vector<unsigned char>& rgb, int width, int x, int y, uint32_t colour)
{
    unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
    p[0] = static_cast<unsigned char>(colour >> 16);
    p[1] = static_cast<unsigned char>(colour >> 8);
    p[2] = static_cast<unsigned char>(colour);
}

void paintText(std::vector<unsigned char>& rgb, int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    for (int line = 0; line < 60; ++line) {
        const int y0 = 120 + line * 34;
        for (int x = 100; x < 1500 && x < width; ++x) {
            if ((random() % 9) < 3)
                continue;
            for (int y = y0; y < y0 + 14 && y < height; ++y) {
                const auto grey = static_cast<uint32_t>(random() % 60);
                paint(rgb, width, x, y, grey * 0x010101);
            }
        }
    }
    for (int y = 0; y < 90 && y < height; ++y)
        for (int x = 0; x < width; ++x)
            paint(rgb, width, x, y, 0x2800C8 | uint32_t(120 + x % 100) << 8);
}

} // namespace

QByteArray PageJpeg(const PagePicture& picture)
{
    const int width = picture.Width;
    const int height = picture.Height;
    std::vector<unsigned char> rgb(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            paint(rgb, width, x, y, picture.Paper);
    if (picture.TextSeed)
        paintText(rgb, width, height, picture.TextSeed);
    for (const PaintedRect& r : picture.Rects)
        for (int y = std::max(0, r.Top); y < std::min(height, r.Bottom); ++y)
            for (int x = std::max(0, r.Left); x < std::min(width, r.Right); ++x)
                paint(rgb, width, x, y, r.Rgb);

    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int status =
        tjCompress2(tj, rgb.data(), width, 0, height, TJPF_RGB, &out, &size,
                    picture.FullChroma ? TJSAMP_444 : TJSAMP_420, picture.Quality, 0);
    QByteArray jpeg =
        status == 0 ? QByteArray(reinterpret_cast<char*>(out), qsizetype(size)) : QByteArray();
    tjFree(out);
    tjDestroy(tj);
    return jpeg;
}

QByteArray PageLikeJpeg(int width, int height, unsigned seed)
{
    PagePicture page;
    page.Width = width;
    page.Height = height;
    page.Paper = 0xFFFFFF;
    page.TextSeed = seed ? seed : 1;
    return PageJpeg(page);
}

} // namespace zarelo::fakes
