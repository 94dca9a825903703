// Recordings from outside, after decoding: the pause finder and the fitting
// of runs to entries over any samples and any spoken weights. The first
// bytes give the entry count and weights, the rest 16-bit samples at 8 kHz.
// The ranges found must be in order, inside the recording, and one per entry.
#include "bookmaker/VoiceImport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace zarelo::bookmaker;
    if (size < 1)
        return 0;
    const size_t entries = data[0] % 16;
    if (size < 1 + entries)
        return 0;
    std::vector<double> weights;
    for (size_t i = 0; i < entries; ++i)
        weights.push_back(1 + data[1 + i] % 64);
    std::vector<float> frames((size - 1 - entries) / 2);
    for (size_t i = 0; i < frames.size(); ++i) {
        int16_t s;
        std::memcpy(&s, data + 1 + entries + 2 * i, 2);
        frames[i] = s / 32768.0f;
    }
    constexpr int rate = 8000;
    const std::vector<SoundRun> runs = FindSoundRuns(frames, rate);
    int64_t previous = 0;
    for (const SoundRun& r : runs) {
        if (r.Begin < previous || r.End <= r.Begin || r.End > int64_t(frames.size()))
            abort();
        previous = r.End;
    }
    const FittedVoice fitted = FitRuns(runs, weights, rate, 0, int64_t(frames.size()));
    if (!fitted.Times.empty()) {
        if (fitted.Times.size() != entries)
            abort();
        const int length = int((int64_t(frames.size()) * 100 + rate - 1) / rate);
        int end = 0;
        for (const ClipTime& t : fitted.Times) {
            if (t.Start < end || t.End <= t.Start || t.End > length)
                abort();
            end = t.End;
        }
    } else if (entries > 0 && (fitted.Failed < 0 || fitted.Failed >= int(entries))) {
        abort();
    }
    return 0;
}
