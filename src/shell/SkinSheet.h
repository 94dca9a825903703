#pragma once
// The pure side of the skin layer: colour numbers as the settings store keeps
// them, the colourising rule, and rewriting the colours of a skin's style
// sheet. The widget side (applying a sheet and a palette) is SkinLayer in gui/.
//
// Stored colours are 32-bit numbers with red in the low byte, green in the
// next and blue in the third (0x00BBGGRR). A number with the top bit set
// (0x80000000 | index) names a system colour by its index instead, as the
// settings dialog's default 0x8000000F (the system button-face colour) does.

#include <QString>
#include <cstdint>
#include <optional>

namespace zarelo {

struct Rgb {
    int r = 0; // 0..255
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The settings dialog's default tint value: the system button-face colour.
constexpr int32_t SystemButtonFaceColour = static_cast<int32_t>(0x8000000F);

// The index of a system colour value (0x80000000 | index), or nothing when
// `stored` is a plain 0x00BBGGRR colour.
std::optional<int> SystemColourIndex(int32_t stored);

// A plain stored colour as red, green, blue; the top byte is ignored.
Rgb RgbFromStored(int32_t stored);
int32_t StoredFromRgb(Rgb colour);

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
