#include "PageDecode.h"

#include "PackedFile.h"

#include <turbojpeg.h>

namespace zarelo {

namespace {

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
    thread_local Handle handle; // one per thread, reused for every page
    return handle.h;
}

} // namespace

PagePicture DecodePagePicture(QByteArrayView jpeg, const QString& name,
                              const std::function<QSize(QSize natural)>& needed)
{
    tjhandle tj = decompressor();
    const auto* bytes = reinterpret_cast<const unsigned char*>(jpeg.data());
    const auto size = static_cast<unsigned long>(jpeg.size());
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (!tj || jpeg.isEmpty() ||
        tjDecompressHeader3(tj, bytes, size, &width, &height, &subsampling, &colorspace) != 0 ||
        width <= 0 || height <= 0) {
        // Not a picture this path can reduce: the full decoder reports why.
        const DecodedImage full = DecodeJpeg(jpeg, name);
        return {full, QSize(full.Width, full.Height)};
    }

    const QSize natural(width, height);
    const QSize want = needed(natural);
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    tjscalingfactor best{1, 1};
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num >= f.denom || f.num * best.denom >= best.num * f.denom)
            continue; // only reductions, and only smaller than the best so far
        if (TJSCALED(width, f) >= want.width() && TJSCALED(height, f) >= want.height())
            best = f;
    }
    if (best.num == best.denom)
        return {DecodeJpeg(jpeg, name), natural};

    DecodedImage image;
    image.Width = TJSCALED(width, best);
    image.Height = TJSCALED(height, best);
    image.Pixels = QByteArray(qsizetype(image.Width) * image.Height * 4, Qt::Uninitialized);
    if (tjDecompress2(tj, bytes, size, reinterpret_cast<unsigned char*>(image.Pixels.data()),
                      image.Width, image.Width * 4, image.Height, TJPF_BGRX, 0) != 0 &&
        tjGetErrorCode(tj) == TJERR_FATAL)
        return {DecodeJpeg(jpeg, name), natural}; // throws with the file's name and the reason
    return {std::move(image), natural};
}

PagePicture LoadPagePicture(const QString& path, const std::function<QSize(QSize natural)>& needed)
{
    const QByteArray jpeg = UnpackFile(path);
    return DecodePagePicture(jpeg, path, needed);
}

} // namespace zarelo
