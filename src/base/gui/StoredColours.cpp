#include "base/gui/StoredColours.h"

#include <optional>

namespace zarelo {

namespace {

// The palette role that stands for system colour `index` (Windows'
// numbering); none for an index without one.
std::optional<QPalette::ColorRole> SystemRole(int index)
{
    switch (index) {
    case 1:  // desktop
    case 4:  // menu
    case 15: // button face
    case 25: // 3D light
        return QPalette::Button;
    case 5: // window
        return QPalette::Base;
    case 6:  // window frame
    case 16: // button shadow
        return QPalette::Dark;
    case 7: // menu text
    case 8: // window text
        return QPalette::Text;
    case 9:  // caption text
    case 18: // button text
        return QPalette::ButtonText;
    case 13: // highlight
        return QPalette::Highlight;
    case 14: // highlight text
        return QPalette::HighlightedText;
    case 17: // grey text
        return QPalette::PlaceholderText;
    case 20: // button highlight
        return QPalette::Light;
    case 21: // dark shadow
        return QPalette::Shadow;
    case 23: // tooltip text
        return QPalette::ToolTipText;
    case 24: // tooltip background
        return QPalette::ToolTipBase;
    default:
        return std::nullopt;
    }
}

} // namespace

QColor ColourOfValue(int32_t stored, const QPalette& system)
{
    if (const auto index = SystemColourIndex(stored)) {
        const auto role = SystemRole(*index);
        return role ? system.color(QPalette::Active, *role) : QColor();
    }
    const Rgb c = RgbFromStored(stored);
    return QColor(c.r, c.g, c.b);
}

QColor StoredColour(int32_t stored)
{
    const Rgb c = RgbFromStored(stored);
    return QColor(c.r, c.g, c.b);
}

} // namespace zarelo
