#pragma once
// Sample arithmetic shared by the mixer and the recorder: float samples are
// -1..1, 16-bit samples -32768..32767, and a level word carries two peaks on
// the 0..32768 scale, left in the low 16 bits and right in the high.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zarelo {

// Clamped and rounded to the nearest 16-bit value.
inline int16_t toSample(float value)
{
    const float scaled = value * 32768.0f;
    if (scaled >= 32767.0f)
        return 32767;
    if (scaled <= -32768.0f)
        return -32768;
    return static_cast<int16_t>(std::lrintf(scaled));
}

// Peak of one sample on the 0..32768 scale.
inline int peakOf(float sample)
{
    const float magnitude = std::fabs(sample) * 32768.0f;
    return magnitude >= 32768.0f ? 32768 : static_cast<int>(std::lround(magnitude));
}

inline uint32_t levelWord(int left, int right)
{
    return static_cast<uint32_t>(left & 0xFFFF) | (static_cast<uint32_t>(right & 0xFFFF) << 16);
}

// Peaks of `frames` interleaved frames: channel 0 is left, channel 1 (or 0
// when mono) right.
inline uint32_t levelOf(const float* samples, int64_t frames, int channels)
{
    int left = 0, right = 0;
    for (int64_t i = 0; i < frames; ++i) {
        const float* frame = samples + i * channels;
        left = std::max(left, peakOf(frame[0]));
        right = std::max(right, peakOf(frame[channels > 1 ? 1 : 0]));
    }
    return levelWord(left, right);
}

} // namespace zarelo
