#pragma once
// Reader of uncompressed Truevision TGA pictures (the flame "fire2.tga").
//
// Read: image type 2 (true colour) with 15 or 16 bits per pixel (5-5-5, the
// top bit ignored), 24 (B, G, R) or 32 (B, G, R, A; alpha ignored), and
// 8 bits per pixel read as grey levels, which is also how image type 3
// (uncompressed grey) with 8 bits is read: Truevision defines no 8-bit
// true-colour layout, and one byte per pixel is a grey level in every
// program that writes such files. The image ID field is skipped, and so is a
// colour map that a type 2 or 3 file carries along (it is unused there). Rows
// stored bottom row first (descriptor bit 5 clear) or top row first (set),
// pixels left to right or right to left (descriptor bit 4); the result is
// always top row first, left to right. Bytes after the pixel data (a TGA 2.0
// extension area and footer) are ignored.
//
// Refused, with a BookError that names the file and says what is wrong:
// colour-mapped pictures (type 1), run-length compressed ones (types 9, 10,
// 11), other types, other pixel depths, interleaved rows, pictures with no
// pixels or more than 64 million, and files too short for the header, the ID,
// the colour map or the pixels the header announces.

#include "quiz/Surface.h"

#include <QByteArrayView>
#include <QString>

namespace zarelo {

// `name` is the file name used in the error texts.
Surface ReadTga(QByteArrayView bytes, const QString& name);

// Reads the whole file and ReadTga's it; a file that cannot be opened or read
// is a BookError naming `path` too.
Surface LoadTgaFile(const QString& path);

} // namespace zarelo
