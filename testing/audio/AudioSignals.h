#pragma once
// Known test signals and the files that carry them, made in memory: sines,
// ramps with a distinct value per frame, WAV (the shared writer), and FLAC, OGG
// and MP3 written through libsndfile (its MP3 writer is LAME).

#include "support/Wav.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace zarelo::testaudio {

// Interleaved 16-bit frames: `channels` copies of a sine (channel c scaled by
// gains[c] when given), amplitude 1.0 = 32767.
std::vector<int16_t> sine(int rate, int channels, double seconds, double hz, double amplitude,
                          std::vector<double> gains = {});
// Frame i, channel c holds a value that identifies i and c (repeats every 16384 frames).
std::vector<int16_t> ramp(int channels, int frames);
int16_t rampValue(int frame, int channel);

// A 44-byte-header PCM WAV of `samples`.
inline QByteArray wav(int rate, int channels, const std::vector<int16_t>& samples)
{
    return fakes::WavBytes(rate, channels, samples);
}
// Encoded through libsndfile: format e.g. SF_FORMAT_FLAC | SF_FORMAT_PCM_16.
QByteArray encoded(int format, int rate, int channels, const std::vector<int16_t>& samples);
QByteArray flac(int rate, int channels, const std::vector<int16_t>& samples);
QByteArray ogg(int rate, int channels, const std::vector<int16_t>& samples);
QByteArray mp3(int rate, int channels, const std::vector<int16_t>& samples);

// Frequency of channel `channel` from its rising zero crossings, Hz.
double frequency(const std::vector<int16_t>& interleaved, int channels, int rate, int channel = 0);

} // namespace zarelo::testaudio
