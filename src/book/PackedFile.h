#pragma once
// The packed-file container of every book file (pages, voices, tables):
// a 32-bit little-endian content length L, then a zlib stream (RFC 1950)
// whose first L inflated bytes are the content. Whatever the stream would
// still yield after L bytes, and anything after the stream, is ignored.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace zarelo {

// Reads and unpacks one packed file. Throws BookError naming the file when it
// cannot be read, is shorter than 4 bytes, declares a negative length, holds
// invalid zlib data or inflates to fewer than L bytes.
QByteArray UnpackFile(const QString& path);

// The same over bytes already in memory; `name` is only used in error texts.
QByteArray UnpackBytes(QByteArrayView packed, const QString& name);

// The inverse, for the book maker and tests: length word, then zlib data.
QByteArray PackBytes(QByteArrayView content, int level = 9);

} // namespace zarelo
