#pragma once
// Stored colour numbers (base/StoredColour.h) as the colours widgets paint.

#include "base/StoredColour.h"

#include <QColor>
#include <QPalette>

namespace zarelo {

// The colour a stored value stands for: a plain 0x00BBGGRR colour, or a
// system colour (0x80000000 | index, Windows' numbering: 15 button face,
// 5 window, 8 window text, ...) looked up in `system`. Invalid for a system
// colour the palette has no role for.
QColor ColourOfValue(int32_t stored, const QPalette& system);
// A plain stored 0x00BBGGRR colour as a QColor.
QColor StoredColour(int32_t stored);

} // namespace zarelo
