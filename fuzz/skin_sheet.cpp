// Skin style sheets and the stored tint from outside. The first four bytes
// pick the tint (red, green, blue) and its strength, the rest is the sheet
// as UTF-8. Tinting rewrites colour literals only, which hold no brace,
// comment mark, ';' or ':', so those keep their count; and it is stable:
// tinting the result again at strength 0 changes nothing. The same text as
// a stored "selectcolor" value gives a number or a BookError.
#include "base/BookError.h"
#include "shell/SkinSheet.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace zarelo;
    if (size < 4)
        return 0;
    const Rgb tint{data[0], data[1], data[2]};
    const double strength = data[3] / 255.0;
    const QString sheet =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));

    const QString tinted = TintStyleSheet(sheet, tint, strength);
    for (QChar c : {QChar(u'{'), QChar(u'}'), QChar(u'/'), QChar(u'*'), QChar(u';'), QChar(u':')})
        if (tinted.count(c) != sheet.count(c))
            abort();
    const QString plain = TintStyleSheet(sheet, tint, 0);
    if (TintStyleSheet(plain, tint, 0) != plain)
        abort();

    const Rgb c =
        Colorize(RgbFromStored(int32_t(data[0] | data[1] << 8 | data[2] << 16)), tint, strength);
    if (c.r < 0 || c.r > 255 || c.g < 0 || c.g > 255 || c.b < 0 || c.b > 255)
        abort();

    try {
        const int32_t stored = ParseSkinColour(sheet);
        if (sheet.isEmpty() && stored != -1)
            abort();
        if (!SystemColourIndex(stored))
            RgbFromStored(stored);
    } catch (const BookError&) {
    }
    return 0;
}
