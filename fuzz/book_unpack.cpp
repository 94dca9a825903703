// Packed files from outside: UnpackBytes either yields exactly L bytes or
// raises BookError; it never crashes or reads past the input.
#include "base/BookError.h"
#include "book/PackedFile.h"

#include <QtEndian>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView packed(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QByteArray content = zarelo::UnpackBytes(packed, QStringLiteral("fuzz.dat"));
        if (size < 4 || content.size() != qFromLittleEndian<qint32>(data))
            abort();
    } catch (const zarelo::BookError&) {
    }
    return 0;
}
