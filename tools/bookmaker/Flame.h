#pragma once
// The flame picture "fire2.tga" of the tests' finish effect, drawn here: a
// soft teardrop of warm colours, white-yellow at the heart through orange and
// red to black at the edges, with a swaying tip. Black is
// what the additive blend leaves unchanged, so the picture's border is black
// all round.

#include <QByteArray>

namespace zarelo::bookmaker {

constexpr int kFlameWidth = 128;
constexpr int kFlameHeight = 160;

// An uncompressed 24-bit true-colour TGA (image type 2, bottom row first, no
// image ID, no colour map). Deterministic: the same size gives the same bytes.
QByteArray FlameTga(int width = kFlameWidth, int height = kFlameHeight);

} // namespace zarelo::bookmaker
