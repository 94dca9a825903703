#pragma once
// The loudness pictures of the oral training: one level word per 20 ms of a
// voice (left peak in the low 16 bits, right in the high, 0..32768 each),
// cut to the part that is not silent and drawn over the picture's width as
// vertical lines, the left level rising above the middle line and the right
// one hanging below it. Drawn on plain surfaces; the window only shows them.

#include "audio/AudioEngine.h"
#include "base/Surface.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace zarelo {

// The wave pen, 0x80FF00: red 0, green 255, blue 128.
constexpr Pixel kWavePen = PixelOfColour(0x80FF00);
constexpr Pixel kWaveBackground = MakePixel(0, 0, 0);
// Full scale of a level half.
constexpr int kFullLevel = 32768;

struct LevelHalves {
    int Left = 0;
    int Right = 0;
};
// The two halves of a level word. A half of 32768 is full scale (the
// engine's largest level), never read as -32768.
constexpr LevelHalves HalvesOf(uint32_t word)
{
    return {int(word & 0xFFFF), int(word >> 16)};
}

// Level words for `seconds` of sound: trunc(seconds x 50 + 1), 0 for none.
int LevelCount(double seconds);

// `count` successive level readings of the decode-only stream `stream`, each
// the next 20 ms from its position. A failed reading counts as silence.
std::vector<uint32_t> ReadLevels(AudioEngine& engine, HSTREAM stream, int count);

// The levels of the range [start, end] (tenths of a second) of the
// decode-only stream `stream`: LevelCount((end - start) / 10) readings from
// the byte position of start / 10 seconds.
std::vector<uint32_t> MeasureRangeLevels(AudioEngine& engine, HSTREAM stream, double start,
                                         double end);

// The largest left + right over `levels`; 0 for none.
int LevelMax(const std::vector<uint32_t>& levels);

// The picture of the book's voice, `width` x `height`: black, and from the
// last silent entry before the sound to the first silent one after it, entry
// i as a line at x = (i - first) x width / (last - first), left level x mid /
// 32768 above the middle line, right level below. An entry is silent when its
// two halves, each on a scale of 140, add up to less than 3. Every entry
// silent: nothing is drawn. One entry to draw: at x = 0.
// The level entries a picture was drawn over: entry First at x = 0, entry
// Last at the picture's width. Nothing was drawn when Last <= First but for
// the one entry at x = 0.
struct WaveStretch {
    int First = 0;
    int Last = -1;
};

// The columns [left, right) that the sound from `startMs` to `endMs` (from
// the start of the levels, 20 ms an entry) covers on a picture `width` wide
// drawn over `stretch`, clipped to the picture and at least one column wide.
// nullopt when the picture spans no time or the sound lies wholly outside it.
std::optional<std::pair<int, int>> ColumnsOf(const WaveStretch& stretch, int64_t startMs,
                                             int64_t endMs, int width);

Surface DrawReferenceWave(const std::vector<uint32_t>& levels, int width, int height,
                          WaveStretch* drawn = nullptr);

// The pupil's picture, redrawn in place over `picture` (its height kept, its
// width set to `width`): as the reference picture, but each half scaled by
// k = mid x referenceMax / (the recording's largest left + right), so that the
// loudest moments of the two pictures stand equally tall, and cut where the
// two scaled halves add up to less than `threshold` (the noise setting,
// 2..8). A recording whose levels are all 0 leaves the picture black.
// Returns the recording's largest left + right.
// `drawn` (when given) receives the stretch drawn.
int DrawOwnWave(const std::vector<uint32_t>& levels, int referenceMax, int threshold, int width,
                Surface& picture, WaveStretch* drawn = nullptr);

} // namespace zarelo
