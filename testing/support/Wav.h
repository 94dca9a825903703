#pragma once
// WAV files for tests and benchmarks, made in memory: 16-bit PCM with the
// plain 44-byte header, and the tones the test books put in them.

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace zarelo::fakes {

// A PCM WAV file of interleaved 16-bit `samples` (frames x channels).
QByteArray WavBytes(int rate, int channels, const std::vector<int16_t>& samples);

// `seconds` of a mono sine of `hz` with peak `amplitude` (in sample units);
// hz 0 gives silence.
std::vector<int16_t> ToneSamples(int rate, double seconds, double hz, double amplitude);
// The same tone as stereo frames, both channels alike.
std::vector<int16_t> StereoTone(int rate, double seconds, double hz, double amplitude);
// True when every sample is 0.
bool Silent(const std::vector<int16_t>& samples);

} // namespace zarelo::fakes
