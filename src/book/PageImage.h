#pragma once
// Page pictures: a packed JPEG per page, decoded with libjpeg-turbo into
// 32-bit pixels that the page view wraps without a copy (QImage::Format_RGB32
// byte order, B G R X on little-endian machines).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace zarelo {

struct DecodedImage {
    int Width = 0;
    int Height = 0;
    QByteArray Pixels; // Height rows of Width * 4 bytes

    bool isNull() const { return Width == 0; }
};

// Throws BookError naming `name` when the bytes are not a valid JPEG.
DecodedImage DecodeJpeg(QByteArrayView jpeg, const QString& name);

// UnpackFile + DecodeJpeg of one page file.
DecodedImage LoadPicFromZipFile(const QString& path);

} // namespace zarelo
