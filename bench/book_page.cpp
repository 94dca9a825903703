// links: book PkgConfig::TURBOJPEG ZLIB::ZLIB
// A packed 1600 x 2263 JPEG page: unpack + decode (UnpackBytes + DecodeJpeg,
// and LoadPicFromZipFile from the file) against the baseline of zlib inflate
// plus tjDecompress2 alone, into buffers made once, on the same bytes.
// Goal: at most 1.15 x the baseline.
#include "PackedFile.h"
#include "PageImage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <random>

using namespace zarelo;

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 2263;

// A page-like picture: white paper, dark text-like strokes, a coloured band.
QByteArray pageJpeg()
{
    std::vector<unsigned char> rgb(size_t(kWidth) * kHeight * 3, 255);
    std::mt19937 random(7);
    for (int line = 0; line < 60; ++line) {
        const int y0 = 120 + line * 34;
        for (int x = 100; x < 1500; ++x) {
            if ((random() % 9) < 3)
                continue;
            for (int y = y0; y < y0 + 14; ++y) {
                unsigned char* p = &rgb[(size_t(y) * kWidth + x) * 3];
                p[0] = p[1] = p[2] = static_cast<unsigned char>(random() % 60);
            }
        }
    }
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < kWidth; ++x) {
            unsigned char* p = &rgb[(size_t(y) * kWidth + x) * 3];
            p[0] = 40;
            p[1] = static_cast<unsigned char>(120 + x % 100);
            p[2] = 200;
        }
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, rgb.data(), kWidth, 0, kHeight, TJPF_RGB, &out, &size, TJSAMP_420, 85, 0);
    QByteArray jpeg(reinterpret_cast<char*>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(tj);
    return jpeg;
}

struct Page {
    QTemporaryDir dir;
    QByteArray packed = PackBytes(pageJpeg());
    QString path = dir.path() + "/Page1.zip";
    Page()
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write page");
        file.write(packed);
    }
};

Page& page()
{
    static Page p;
    return p;
}

void BM_Baseline_InflateAndDecompress(benchmark::State& state)
{
    const QByteArray& packed = page().packed;
    const qint32 length = qFromLittleEndian<qint32>(packed.constData());
    std::vector<unsigned char> jpeg(length);
    std::vector<unsigned char> pixels(size_t(kWidth) * kHeight * 4);
    tjhandle tj = tjInitDecompress();
    for (auto _ : state) {
        uLongf out = uLongf(length);
        uncompress(jpeg.data(), &out, reinterpret_cast<const Bytef*>(packed.constData() + 4),
                   uLong(packed.size() - 4));
        tjDecompress2(tj, jpeg.data(), out, pixels.data(), kWidth, kWidth * 4, kHeight, TJPF_BGRX,
                      0);
        benchmark::DoNotOptimize(pixels.data());
    }
    tjDestroy(tj);
    state.counters["jpeg_KB"] = length / 1024.0;
}

void BM_UnpackBytesAndDecodeJpeg(benchmark::State& state)
{
    const QByteArray& packed = page().packed;
    for (auto _ : state) {
        const DecodedImage image = DecodeJpeg(UnpackBytes(packed, "Page1.zip"), "Page1.zip");
        benchmark::DoNotOptimize(image.Pixels.constData());
    }
}

void BM_LoadPicFromZipFile(benchmark::State& state)
{
    const QString& path = page().path;
    for (auto _ : state) {
        const DecodedImage image = LoadPicFromZipFile(path);
        benchmark::DoNotOptimize(image.Pixels.constData());
    }
}

} // namespace

BENCHMARK(BM_Baseline_InflateAndDecompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpackBytesAndDecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPicFromZipFile)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
