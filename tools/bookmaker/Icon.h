#pragma once
// The program's icon, drawn here at any size: an open book, white pages on
// the program's teal, with a red speech wave rising from its spine (reading
// aloud and listening). Deterministic: the same size gives the same pixels.

#include <QImage>

namespace zarelo::bookmaker {

// A square ARGB picture of `size` pixels, transparent outside the rounded
// tile.
QImage ProgramIcon(int size);

} // namespace zarelo::bookmaker
