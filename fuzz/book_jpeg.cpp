// Page pictures from outside: DecodeJpeg yields a picture of the size it
// reports or raises BookError.
#include "base/BookError.h"
#include "book/PageImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const zarelo::DecodedImage image =
            zarelo::DecodeJpeg(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)),
                               QStringLiteral("Page1.zip"));
        if (image.Pixels.size() != qsizetype(image.Width) * image.Height * 4)
            abort();
    } catch (const zarelo::BookError&) {
    }
    return 0;
}
