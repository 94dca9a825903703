#include "oral/VoiceWave.h"

#include <algorithm>
#include <cmath>

namespace zarelo {
namespace {

// A scaled level in pixels, truncated toward zero, bounded so that a huge
// scale stays a valid integer (anything past the picture is clipped anyway).
int pixelsOf(double value)
{
    return int(std::trunc(std::clamp(value, -1.0e6, 1.0e6)));
}

// The drawn stretch [first, last] of `levels` under the two silence tests.
// Walking up from 0, each silent entry passed becomes first; walking down
// from the end, each silent entry passed becomes last. So one silent entry
// stays on each side of the sound; first > last when all are silent.
template <class SilentUp, class SilentDown>
std::pair<int, int> soundStretch(const std::vector<uint32_t>& levels, SilentUp silentUp,
                                 SilentDown silentDown)
{
    const int n = int(levels.size());
    int first = 0;
    for (int i = 0; i < n && silentUp(HalvesOf(levels[size_t(i)])); ++i)
        first = i;
    int last = n - 1;
    for (int i = n - 1; i >= 0 && silentDown(HalvesOf(levels[size_t(i)])); --i)
        last = i;
    return {first, last};
}

// Entry i of [first, last] as a line at its x over `width`: from mid - up to
// mid + down (pen semantics: the end pixel is left out).
template <class Extent>
void drawStretch(Surface& picture, const std::vector<uint32_t>& levels, int first, int last,
                 int width, Extent extent)
{
    const int mid = picture.Height / 2;
    for (int i = first; i <= last; ++i) {
        const int x = last == first ? 0 : int(int64_t(i - first) * width / (last - first));
        const auto [up, down] = extent(HalvesOf(levels[size_t(i)]));
        VerticalLine(picture, x, mid - up, mid + down, kWavePen);
    }
}

} // namespace

int LevelCount(double seconds)
{
    const double count = std::trunc(seconds * 50 + 1);
    return count >= 1 && count < 1e9 ? int(count) : 0;
}

std::vector<uint32_t> ReadLevels(AudioEngine& engine, HSTREAM stream, int count)
{
    std::vector<uint32_t> levels(size_t(std::max(count, 0)));
    for (uint32_t& level : levels) {
        const DWORD reading = engine.BASS_ChannelGetLevel(stream);
        level = reading == ~DWORD{0} ? 0 : reading;
    }
    return levels;
}

std::vector<uint32_t> MeasureRangeLevels(AudioEngine& engine, HSTREAM stream, double start,
                                         double end)
{
    const int count = LevelCount((end - start) / 10);
    engine.BASS_ChannelSetPosition(stream, engine.BASS_ChannelSeconds2Bytes(stream, start / 10),
                                   BASS_STREAM_DECODE);
    return ReadLevels(engine, stream, count);
}

int LevelMax(const std::vector<uint32_t>& levels)
{
    int most = 0;
    for (const uint32_t word : levels) {
        const LevelHalves h = HalvesOf(word);
        most = std::max(most, h.Left + h.Right);
    }
    return most;
}

std::optional<std::pair<int, int>> ColumnsOf(const WaveStretch& stretch, int64_t startMs,
                                             int64_t endMs, int width)
{
    if (stretch.Last <= stretch.First || endMs < startMs)
        return std::nullopt;
    // Entry i stands at x = (i - First) x width / (Last - First); a time
    // between two entries lies between their columns.
    const double perEntry = double(width) / (stretch.Last - stretch.First);
    const auto column = [&](int64_t ms) { return (ms / 20.0 - stretch.First) * perEntry; };
    const double left = column(startMs);
    const double right = column(endMs);
    if (right < 0 || left > width)
        return std::nullopt;
    const int from = std::clamp(int(std::floor(left)), 0, width - 1);
    const int to = std::clamp(int(std::ceil(right)), from + 1, width);
    return std::pair(from, to);
}

Surface DrawReferenceWave(const std::vector<uint32_t>& levels, int width, int height,
                          WaveStretch* drawn)
{
    Surface picture(width, height, kWaveBackground);
    const int mid = height / 2;
    const auto silent = [](LevelHalves h) {
        return pixelsOf(h.Left / double(kFullLevel) * 140) +
                   pixelsOf(h.Right / double(kFullLevel) * 140) <
               3;
    };
    const auto [first, last] = soundStretch(levels, silent, silent);
    if (drawn)
        *drawn = {first, last};
    drawStretch(picture, levels, first, last, width, [mid](LevelHalves h) {
        return std::pair(pixelsOf(h.Left / double(kFullLevel) * mid),
                         pixelsOf(h.Right / double(kFullLevel) * mid));
    });
    return picture;
}

int DrawOwnWave(const std::vector<uint32_t>& levels, int referenceMax, int threshold, int width,
                Surface& picture, WaveStretch* drawn)
{
    const int height = picture.Height;
    picture = Surface(width, height, kWaveBackground);
    if (drawn)
        *drawn = {};
    const int ownMax = LevelMax(levels);
    if (ownMax == 0)
        return 0;
    const double k = height / 2 * double(referenceMax) / ownMax;
    const auto scaled = [k](int half) { return half / double(kFullLevel) * k; };
    // Leading silence is judged on the exact scaled sum, trailing silence on
    // the sum of the two truncated halves, so the end is cut a little sooner.
    const auto [first, last] = soundStretch(
        levels, [&](LevelHalves h) { return scaled(h.Left) + scaled(h.Right) < threshold; },
        [&](LevelHalves h) {
            return pixelsOf(scaled(h.Left)) + pixelsOf(scaled(h.Right)) < threshold;
        });
    if (drawn)
        *drawn = {first, last};
    drawStretch(picture, levels, first, last, width, [&](LevelHalves h) {
        return std::pair(pixelsOf(scaled(h.Left)), pixelsOf(scaled(h.Right)));
    });
    return ownMax;
}

} // namespace zarelo
