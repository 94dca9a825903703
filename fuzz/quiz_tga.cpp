// Flame pictures from outside: ReadTga yields a picture whose pixel buffer
// matches its reported size, or raises BookError.
#include "base/BookError.h"
#include "quiz/TgaImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const zarelo::Surface image =
            zarelo::ReadTga(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)),
                            QStringLiteral("fire2.tga"));
        if (image.Width <= 0 || image.Height <= 0 ||
            image.Pixels.size() != size_t(image.Width) * size_t(image.Height))
            abort();
        for (zarelo::Pixel p : image.Pixels)
            if (p >> 24 != 0xFF)
                abort();
    } catch (const zarelo::BookError&) {
    }
    return 0;
}
