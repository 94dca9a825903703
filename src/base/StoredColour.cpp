#include "base/StoredColour.h"

namespace zarelo {

std::optional<int> SystemColourIndex(int32_t stored)
{
    const auto bits = static_cast<uint32_t>(stored);
    if ((bits & 0xFF000000u) != 0x80000000u)
        return std::nullopt;
    return static_cast<int>(bits & 0xFFu);
}

Rgb RgbFromStored(int32_t stored)
{
    const auto bits = static_cast<uint32_t>(stored);
    return {static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
            static_cast<int>((bits >> 16) & 0xFF)};
}

int32_t StoredFromRgb(Rgb c)
{
    return static_cast<int32_t>(static_cast<uint32_t>(c.r & 0xFF) |
                                static_cast<uint32_t>(c.g & 0xFF) << 8 |
                                static_cast<uint32_t>(c.b & 0xFF) << 16);
}

} // namespace zarelo
