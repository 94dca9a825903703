#pragma once
// A page-like JPEG for benchmarks: white paper, dark text-like strokes and a
// coloured band, encoded with libjpeg-turbo at quality 85, 4:2:0. `seed`
// varies the strokes, so that two pages are not the same bytes.

#include <QByteArray>
#include <turbojpeg.h>

#include <random>
#include <vector>

namespace zarelo::fakes {

inline QByteArray PageLikeJpeg(int width, int height, unsigned seed)
{
    std::vector<unsigned char> rgb(size_t(width) * height * 3, 255);
    std::mt19937 random(seed);
    for (int line = 0; line < 60; ++line) {
        const int y0 = 120 + line * 34;
        for (int x = 100; x < 1500 && x < width; ++x) {
            if ((random() % 9) < 3)
                continue;
            for (int y = y0; y < y0 + 14 && y < height; ++y) {
                unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
                p[0] = p[1] = p[2] = static_cast<unsigned char>(random() % 60);
            }
        }
    }
    for (int y = 0; y < 90 && y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
            p[0] = 40;
            p[1] = static_cast<unsigned char>(120 + x % 100);
            p[2] = 200;
        }
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, rgb.data(), width, 0, height, TJPF_RGB, &out, &size, TJSAMP_420, 85, 0);
    QByteArray jpeg(reinterpret_cast<char*>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(tj);
    return jpeg;
}

} // namespace zarelo::fakes
