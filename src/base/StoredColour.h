#pragma once
// Colours as the settings store and the windows' designs keep them: 32-bit
// numbers with red in the low byte, green in the next and blue in the third
// (0x00BBGGRR). A number with the top bit set (0x80000000 | index) names a
// system colour by its index instead, as the settings dialog's default
// 0x8000000F (the system button-face colour) does.

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

} // namespace zarelo
