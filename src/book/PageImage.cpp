#include "PageImage.h"

#include "BookError.h"
#include "PackedFile.h"

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

} // namespace

DecodedImage DecodeJpeg(QByteArrayView jpeg, const QString& name)
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

    DecodedImage image;
    image.Pixels = QByteArray(qsizetype(width) * height * 4, Qt::Uninitialized);
    // Decoded straight into the pixel buffer; a warning (recoverable damage,
    // such as a cut-off end) still yields a picture, only a fatal error fails.
    if (tjDecompress2(tj, bytes, size, reinterpret_cast<unsigned char*>(image.Pixels.data()), width,
                      width * 4, height, TJPF_BGRX, 0) != 0 &&
        tjGetErrorCode(tj) == TJERR_FATAL)
        throw BookError(QObject::tr("图片 %1 不是有效的 JPEG：%2")
                            .arg(name, QString::fromLocal8Bit(tjGetErrorStr2(tj))));
    image.Width = width;
    image.Height = height;
    return image;
}

DecodedImage LoadPicFromZipFile(const QString& path)
{
    const QByteArray jpeg = UnpackFile(path);
    return DecodeJpeg(jpeg, path);
}

} // namespace zarelo
