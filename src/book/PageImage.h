#pragma once
// Page pictures: a packed JPEG per page, decoded with libjpeg-turbo into
// 32-bit pixels that the page view wraps without a copy (QImage::Format_RGB32
// byte order, B G R X on little-endian machines).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <utility>

namespace zarelo {

struct DecodedImage {
    int Width = 0;
    int Height = 0;
    QByteArray Pixels; // Height rows of Width * 4 bytes
    // The picture's own size; larger than Width x Height when it was decoded
    // reduced.
    int NaturalWidth = 0;
    int NaturalHeight = 0;

    bool isNull() const { return Width == 0; }
};

// Given the natural width and height, the smallest width and height the
// caller will show the picture at.
using NeededSizeFn = std::function<std::pair<int, int>(int naturalWidth, int naturalHeight)>;

// Throws BookError naming `name` when the bytes are not a valid JPEG. With
// `needed`, the picture is decoded reduced by the largest libjpeg-turbo
// factor (1/2, 1/4, ...) that still covers the needed size: a fraction of the
// cost of a full decode, and less left to stretch.
DecodedImage DecodeJpeg(QByteArrayView jpeg, const QString& name, const NeededSizeFn& needed = {});

// UnpackFile + DecodeJpeg of one page file.
DecodedImage LoadPicFromZipFile(const QString& path, const NeededSizeFn& needed = {});

} // namespace zarelo
