#pragma once
// The pure side of the skin layer: the colourising rule, and rewriting the
// colours of a skin's style sheet. The widget side (applying a sheet and a
// palette) is SkinLayer in gui/. Colours are stored colour numbers
// (base/StoredColour.h).

#include "base/StoredColour.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace zarelo {

// Colourising one colour: keep its lightness, take the hue and saturation of
// `tint`, and mix that with the original by `strength` (0 = unchanged,
// 1 = fully coloured). Lightness is kept so that text stays readable.
Rgb Colorize(Rgb colour, Rgb tint, double strength);

// Rewrites every colour literal (#rgb, #rrggbb, rgb(r, g, b)) inside the
// declaration blocks of a Qt style sheet with Colorize. Selectors (where '#'
// starts an object name) and comments are left as they are.
QString TintStyleSheet(const QString& sheet, Rgb tint, double strength);

// The integer value of a stored `selectcolor` text: -1 (no tint) when empty.
// Throws BookError naming the value when it is not a decimal 32-bit integer.
int32_t ParseSkinColour(const QString& text);

} // namespace zarelo
