#include "book/PageImage.h"

#include "base/BookError.h"
#include "book/PackedFile.h"

#include <QObject>
#include <turbojpeg.h>

#include <memory>

namespace zarelo {

namespace {

// One decompressor per thread, kept for the thread's life: pages are decoded
// one after another and the handle is cheap to keep but not free to make.
tjhandle decompressor()
{
    struct Handle {
        tjhandle h = tjInitDecompress();
        ~Handle()
        {
            if (h)
                tjDestroy(h);
        }
    };
    thread_local Handle handle;
    return handle.h;
}

// Larger than any page (a 1600 x 2263 page is 3.6 million pixels); a header
// claiming more is taken as damage rather than allocated.
constexpr qint64 kMaxPixels = 64 * 1024 * 1024;

// The largest reduction that keeps width x height at least `want`; 1/1 when
// none does.
tjscalingfactor reduction(int width, int height, std::pair<int, int> want)
{
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    tjscalingfactor best{1, 1};
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num >= f.denom || f.num * best.denom >= best.num * f.denom)
            continue; // only reductions, and only smaller than the best so far
        if (TJSCALED(width, f) >= want.first && TJSCALED(height, f) >= want.second)
            best = f;
    }
    return best;
}

} // namespace

DecodedImage DecodeJpeg(QByteArrayView jpeg, const QString& name, const NeededSizeFn& needed)
{
    tjhandle tj = decompressor();
    if (!tj)
        throw BookError(
            QObject::tr("不能解码图片 %1：%2").arg(name, QString::fromLocal8Bit(tjGetErrorStr())));
    if (jpeg.isEmpty())
        throw BookError(QObject::tr("图片 %1 无效：内容为空").arg(name));

    const auto* bytes = reinterpret_cast<const unsigned char*>(jpeg.data());
    const auto size = static_cast<unsigned long>(jpeg.size());
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(tj, bytes, size, &width, &height, &subsampling, &colorspace) != 0)
        throw BookError(QObject::tr("图片 %1 不是有效的 JPEG：%2")
                            .arg(name, QString::fromLocal8Bit(tjGetErrorStr2(tj))));
    if (width <= 0 || height <= 0 || qint64(width) * height > kMaxPixels)
        throw BookError(
            QObject::tr("图片 %1 的尺寸 %2 x %3 无效").arg(name).arg(width).arg(height));

    const tjscalingfactor factor =
        needed ? reduction(width, height, needed(width, height)) : tjscalingfactor{1, 1};
    DecodedImage image;
    image.NaturalWidth = width;
    image.NaturalHeight = height;
    image.Width = TJSCALED(width, factor);
    image.Height = TJSCALED(height, factor);
    image.Pixels = QByteArray(qsizetype(image.Width) * image.Height * 4, Qt::Uninitialized);
    // Decoded straight into the pixel buffer; a warning (recoverable damage,
    // such as a cut-off end) still yields a picture, only a fatal error fails.
    if (tjDecompress2(tj, bytes, size, reinterpret_cast<unsigned char*>(image.Pixels.data()),
                      image.Width, image.Width * 4, image.Height, TJPF_BGRX, 0) != 0 &&
        tjGetErrorCode(tj) == TJERR_FATAL)
        throw BookError(QObject::tr("图片 %1 不是有效的 JPEG：%2")
                            .arg(name, QString::fromLocal8Bit(tjGetErrorStr2(tj))));
    return image;
}

DecodedImage LoadPicFromZipFile(const QString& path, const NeededSizeFn& needed)
{
    const QByteArray jpeg = UnpackFile(path);
    return DecodeJpeg(jpeg, path, needed);
}

} // namespace zarelo
