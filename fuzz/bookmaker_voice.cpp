// Recordings from outside, after decoding: the pause finder and the placing
// of entries over any samples and any heard words. The first bytes give the
// entry count and, per entry, where its words were heard (eighths of the
// recording) and how many of how many were; the rest are 16-bit samples at
// 8 kHz. The ranges placed must be in order, inside the recording, and one
// per entry.
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
    if (size < 1 + 2 * entries)
        return 0;
    std::vector<float> frames((size - 1 - 2 * entries) / 2);
    for (size_t i = 0; i < frames.size(); ++i) {
        int16_t s;
        std::memcpy(&s, data + 1 + 2 * entries + 2 * i, 2);
        frames[i] = s / 32768.0f;
    }
    constexpr int rate = 8000;
    const int64_t length = int64_t(frames.size());
    const SoundMap sound = MapSound(frames, rate);
    int64_t previous = 0;
    for (const SoundRun& r : sound.Runs) {
        if (r.Begin < previous || r.End <= r.Begin || r.End > length)
            abort();
        previous = r.End;
    }
    // Heard words in order and apart, as the aligner gives them.
    std::vector<HeardEntry> heard(entries);
    int64_t at = 0;
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t where = data[1 + 2 * i], count = data[2 + 2 * i];
        HeardEntry& h = heard[i];
        h.Words = 1 + count % 4;
        h.Found = (count >> 2) % (h.Words + 1);
        h.Confidence = (count >> 4) / 15.0;
        // The aligner's shortest word: three 10 ms frames.
        h.Begin = at + length * (where % 8) / 16;
        h.End = h.Begin + rate * 3 / 100 + length * ((where >> 3) % 8) / 16;
        if (h.End > length)
            h.Found = 0;
        if (h.Found > 0) {
            at = h.End;
            h.UnheardFirst = (where >> 6) & 1;
            h.UnheardLast = h.Words - h.Found - h.UnheardFirst > 0 ? (where >> 7) : 0;
        }
    }
    const std::vector<PlacedEntry> placed = PlaceEntries(heard, sound, 0, length);
    if (placed.size() != entries)
        abort();
    const int hundredths = int((length * 100 + rate - 1) / rate);
    int end = 0;
    for (size_t i = 0; i < entries; ++i) {
        const PlacedEntry& p = placed[i];
        // Missing when not heard, or squeezed into its neighbour's hundredth.
        if (heard[i].Found == 0 && p.How != Placement::Missing)
            abort();
        if (heard[i].Found > 0 && p.How == Placement::Missing && p.Why.isEmpty())
            abort();
        if (p.How == Placement::Missing)
            continue;
        if (p.Time.Start < end || p.Time.End <= p.Time.Start || p.Time.End > hundredths)
            abort();
        end = p.Time.End;
    }
    return 0;
}
