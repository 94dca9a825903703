#include "quiz/TgaImage.h"

#include "base/BookError.h"

#include <QFile>

namespace zarelo {

namespace {

constexpr int kHeaderSize = 18;
// Far beyond any flame picture; a header claiming more is damage.
constexpr qint64 kMaxPixels = 64 * 1024 * 1024;

int byteAt(QByteArrayView bytes, int offset)
{
    return quint8(bytes[offset]);
}
int wordAt(QByteArrayView bytes, int offset)
{
    return byteAt(bytes, offset) | byteAt(bytes, offset + 1) << 8;
}

[[noreturn]] void refuse(const QString& name, const QString& what)
{
    throw BookError(QStringLiteral("%1: %2").arg(name, what));
}

Pixel expand5(Pixel v)
{
    return v << 3 | v >> 2;
}

// Decodes `height` stored rows of `width` pixels, each `Bytes` bytes wide,
// through `read` (bytes of one pixel -> Pixel), into top-first rows.
template <int Bytes, typename Read>
void decodeRows(const uchar* data, Surface& out, bool topFirst, bool rightToLeft, Read read)
{
    const int width = out.Width;
    for (int stored = 0; stored < out.Height; ++stored) {
        Pixel* row = out.row(topFirst ? stored : out.Height - 1 - stored);
        const uchar* p = data + qint64(stored) * width * Bytes;
        if (rightToLeft) {
            for (int x = width - 1; x >= 0; --x, p += Bytes)
                row[x] = read(p);
        } else {
            for (int x = 0; x < width; ++x, p += Bytes)
                row[x] = read(p);
        }
    }
}

} // namespace

Surface ReadTga(QByteArrayView bytes, const QString& name)
{
    if (bytes.size() < kHeaderSize)
        refuse(name, QStringLiteral("not a TGA picture: the file holds %1 bytes, the header alone "
                                    "takes 18")
                         .arg(bytes.size()));
    const int idLength = byteAt(bytes, 0);
    const int mapType = byteAt(bytes, 1);
    const int imageType = byteAt(bytes, 2);
    const int mapLength = wordAt(bytes, 5);
    const int mapEntryBits = byteAt(bytes, 7);
    const int width = wordAt(bytes, 12);
    const int height = wordAt(bytes, 14);
    const int depth = byteAt(bytes, 16);
    const int descriptor = byteAt(bytes, 17);

    switch (imageType) {
    case 2:
        if (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32)
            refuse(name, QStringLiteral("a true-colour TGA picture with %1 bits per pixel is not "
                                        "read (8, 15, 16, 24 or 32 are)")
                             .arg(depth));
        break;
    case 3:
        if (depth != 8)
            refuse(name, QStringLiteral("a grey TGA picture with %1 bits per pixel is not read "
                                        "(8 is)")
                             .arg(depth));
        break;
    case 0:
        refuse(name, QStringLiteral("the TGA file holds no picture (image type 0)"));
    case 1:
        refuse(name, QStringLiteral("colour-mapped TGA pictures (image type 1) are not read; only "
                                    "uncompressed true-colour ones are"));
    case 9:
    case 10:
    case 11:
        refuse(name, QStringLiteral("run-length compressed TGA pictures (image type %1) are not "
                                    "read; only uncompressed true-colour ones are")
                         .arg(imageType));
    default:
        refuse(name, QStringLiteral("unknown TGA image type %1").arg(imageType));
    }
    if (mapType > 1)
        refuse(name, QStringLiteral("unknown TGA colour map type %1").arg(mapType));
    if (descriptor & 0xC0)
        refuse(name, QStringLiteral("interleaved TGA rows are not read"));
    if (width == 0 || height == 0)
        refuse(name,
               QStringLiteral("the TGA picture has no pixels (%1 × %2)").arg(width).arg(height));
    if (qint64(width) * height > kMaxPixels)
        refuse(
            name,
            QStringLiteral("the TGA picture is too large (%1 × %2 pixels)").arg(width).arg(height));

    const qint64 mapBytes = mapType == 1 ? qint64(mapLength) * ((mapEntryBits + 7) / 8) : 0;
    const qint64 pixelsAt = kHeaderSize + idLength + mapBytes;
    const int pixelBytes = (depth + 7) / 8;
    const qint64 needed = qint64(width) * height * pixelBytes;
    if (bytes.size() < pixelsAt)
        refuse(name, QStringLiteral("truncated TGA file: the header announces %1 bytes of image ID "
                                    "and colour map, the file ends %2 bytes after the header")
                         .arg(pixelsAt - kHeaderSize)
                         .arg(bytes.size() - kHeaderSize));
    if (bytes.size() - pixelsAt < needed)
        refuse(name, QStringLiteral("truncated TGA file: %1 × %2 pixels of %3 bits need %4 bytes "
                                    "of pixel data, the file holds %5")
                         .arg(width)
                         .arg(height)
                         .arg(depth)
                         .arg(needed)
                         .arg(bytes.size() - pixelsAt));

    Surface out(width, height);
    const auto* data = reinterpret_cast<const uchar*>(bytes.data()) + pixelsAt;
    const bool topFirst = descriptor & 0x20;
    const bool rightToLeft = descriptor & 0x10;
    switch (pixelBytes) {
    case 1:
        decodeRows<1>(data, out, topFirst, rightToLeft,
                      [](const uchar* p) { return 0xFF000000u | Pixel(p[0]) * 0x010101u; });
        break;
    case 2:
        decodeRows<2>(data, out, topFirst, rightToLeft, [](const uchar* p) {
            const Pixel v = Pixel(p[0]) | Pixel(p[1]) << 8;
            return 0xFF000000u | expand5(v >> 10 & 31) << 16 | expand5(v >> 5 & 31) << 8 |
                   expand5(v & 31);
        });
        break;
    case 3:
        decodeRows<3>(data, out, topFirst, rightToLeft, [](const uchar* p) {
            return 0xFF000000u | Pixel(p[2]) << 16 | Pixel(p[1]) << 8 | Pixel(p[0]);
        });
        break;
    default:
        decodeRows<4>(data, out, topFirst, rightToLeft, [](const uchar* p) {
            return 0xFF000000u | Pixel(p[2]) << 16 | Pixel(p[1]) << 8 | Pixel(p[0]);
        });
        break;
    }
    return out;
}

Surface LoadTgaFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BookError(
            QStringLiteral("%1: cannot open the picture: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw BookError(
            QStringLiteral("%1: cannot read the picture: %2").arg(path, file.errorString()));
    return ReadTga(bytes, path);
}

} // namespace zarelo
