// A packed 1600 x 2263 JPEG page: unpack + decode (UnpackBytes + DecodeJpeg,
// and LoadPicFromZipFile from the file) against the baseline of zlib inflate
// plus tjDecompress2 alone, into buffers made once, on the same bytes.
// Goal: at most 1.15 x the baseline.
#include "book/PackedFile.h"
#include "book/PageImage.h"
#include "support/PageJpeg.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>
#include <turbojpeg.h>
#include <zlib.h>

using namespace zarelo;

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 2263;

struct Page {
    QTemporaryDir dir;
    QByteArray packed = PackBytes(fakes::PageLikeJpeg(kWidth, kHeight, 7));
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
