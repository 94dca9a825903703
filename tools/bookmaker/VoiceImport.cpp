#include "bookmaker/VoiceImport.h"

#include "audio/Samples.h"
#include "audio/SoundFile.h"
#include "base/BookError.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <limits>

namespace zarelo::bookmaker {

namespace {

// Runs of sound.
constexpr double kWindowSeconds = 0.010;
constexpr double kJoinSeconds = 0.030;  // quiet shorter than this stays inside a run
constexpr double kClickSeconds = 0.020; // shorter runs are clicks, unless near a longer run
constexpr double kNearSeconds = 0.150;  // a short run this close to a longer one is part of it

// Soft sound under noise: 5 ms windows of the slope, sought this far beyond
// an entry's sound, across quiet as long as a stop's closure before its
// release at the end, and hardly any at the start.
constexpr double kSoftWindowSeconds = 0.005;
constexpr double kSoftReachSeconds = 0.250;
constexpr double kSoftStartGapSeconds = 0.020;
constexpr double kSoftEndGapSeconds = 0.120;
// Noise less far below the loudest speech than this hides the soft sound of
// words even from the slope: a stop's release, a th's start.
constexpr double kHidingNoiseDb = 44.0;

// Ranges: they start before the first sound and end after the last; with the
// hundredth the end is rounded up to, at most 60 ms after it.
constexpr double kLeadSeconds = 0.030;
constexpr double kTailSeconds = 0.050;
// Where the run of sound at an entry's edge may lie around the edge of its
// words (the aligner's word edges are within 50 ms of the truth for most
// words; a soft start or a stop's release may lie outside them) for the
// entry to be sure: starting up to kEdgeBefore earlier or kEdgeAfter later,
// ending up to kEdgeAfter earlier or kEdgeLater later.
constexpr double kEdgeBeforeSeconds = 0.150;
constexpr double kEdgeAfterSeconds = 0.100;
constexpr double kEdgeLaterSeconds = 0.250;
// How far it may lie and still be the entry's sound, the entry listed as
// unsure: a word's first or last sound taken for other sound, or a word
// stretched over a pause.
constexpr double kMisheardSeconds = 0.500;
// Sound this close to an entry's heard words may hold its words not heard.
constexpr double kUnheardPauseSeconds = 0.300;

// The energies of the recording's slope (sample to sample differences) in
// 5 ms windows, and the level twice that of the quietest fifth of them.
// The slope weighs a fricative's hiss and a stop's burst far above the low
// rumble that most noise is made of.
void mapSoftSound(const std::vector<float>& frames, int rate, SoundMap& map)
{
    const size_t window = size_t(std::max<int64_t>(1, std::llround(rate * kSoftWindowSeconds)));
    map.SoftWindow = int64_t(window);
    map.Slope.reserve(frames.size() / window + 1);
    for (size_t i = 0; i < frames.size(); i += window) {
        double energy = 0;
        const size_t end = std::min(frames.size(), i + window);
        for (size_t k = std::max<size_t>(i, 1); k < end; ++k) {
            const double d = double(frames[k]) - frames[k - 1];
            energy += d * d;
        }
        map.Slope.push_back(float(energy / double(end - i)));
    }
    std::vector<float> sorted = map.Slope;
    const size_t k = sorted.size() / 5;
    std::nth_element(sorted.begin(), sorted.begin() + long(k), sorted.end());
    map.SoftLevel = 2.0f * sorted[k];
}

// Moves `edge` outward (step -1: earlier, +1: later) over the soft sound next
// to it, bridging quiet of at most `gap` frames, never past `bound`.
int64_t overSoftSound(const SoundMap& map, int64_t edge, int step, int64_t gap, int64_t bound)
{
    if (map.Slope.empty())
        return edge;
    const int64_t w = map.SoftWindow;
    int64_t reached = edge;
    int64_t quiet = 0;
    // The windows wholly outside the edge, outward.
    for (int64_t j = step < 0 ? edge / w - 1 : (edge + w - 1) / w;
         j >= 0 && j < int64_t(map.Slope.size()); j += step) {
        const int64_t begin = j * w, end = begin + w;
        if (step < 0 ? begin < bound : end > bound)
            break;
        if (map.Slope[size_t(j)] > map.SoftLevel) {
            reached = step < 0 ? begin : end;
            quiet = 0;
        } else if ((quiet += w) > gap) {
            break;
        }
    }
    return reached;
}

} // namespace

SoundMap MapSound(const std::vector<float>& frames, int rate)
{
    SoundMap map;
    map.Rate = rate;
    const int64_t total = static_cast<int64_t>(frames.size());
    const int64_t window = std::max<int64_t>(1, std::llround(rate * kWindowSeconds));
    std::vector<float> peaks;
    peaks.reserve(size_t(total / window + 1));
    for (int64_t i = 0; i < total; i += window) {
        float peak = 0;
        for (int64_t k = i; k < std::min(total, i + window); ++k)
            peak = std::max(peak, std::abs(frames[size_t(k)]));
        peaks.push_back(peak);
    }
    if (peaks.empty())
        return map;
    std::vector<float> sorted = peaks;
    const auto rank = [&](double share) {
        const size_t k = std::min(sorted.size() - 1, size_t(share * double(sorted.size())));
        std::nth_element(sorted.begin(), sorted.begin() + long(k), sorted.end());
        return sorted[k];
    };
    const float noise = rank(0.10);
    const float loud = rank(0.98);
    // 40 dB below the loud level, but at least four times the noise floor
    // and never below -80 dBFS (digital silence).
    const float threshold = std::max({loud * 0.01f, noise * 4.0f, 1e-4f});
    if (noise * 4.0f > loud * 0.01f)
        mapSoftSound(frames, rate, map);
    map.NoiseBelowLoud = 20 * std::log10(std::max(loud, 1e-6f) / std::max(noise, 1e-6f));

    std::vector<SoundRun> runs;
    const int64_t join = std::llround(rate * kJoinSeconds);
    for (size_t w = 0; w < peaks.size(); ++w) {
        if (peaks[w] < threshold)
            continue;
        // The exact first and last samples above the threshold in the window.
        const int64_t begin = int64_t(w) * window;
        const int64_t end = std::min(total, begin + window);
        int64_t first = begin, last = end - 1;
        while (std::abs(frames[size_t(first)]) < threshold)
            ++first;
        while (std::abs(frames[size_t(last)]) < threshold)
            --last;
        if (!runs.empty() && first - runs.back().End < join)
            runs.back().End = last + 1;
        else
            runs.push_back({first, last + 1});
    }
    // A short run near a longer one is speech (a stop's release after the
    // closure that ends a word, "thousand"'s d): it joins that run. Only
    // short runs that stand alone are clicks and left out.
    const int64_t click = std::llround(rate * kClickSeconds);
    const int64_t near = std::llround(rate * kNearSeconds);
    const auto isShort = [&](const SoundRun& r) { return r.End - r.Begin < click; };
    std::vector<SoundRun> after; // short runs joined to the longer run before them
    for (const SoundRun& r : runs) {
        if (isShort(r) && !after.empty() && !isShort(after.back()) &&
            r.Begin - after.back().End < near)
            after.back().End = r.End;
        else
            after.push_back(r);
    }
    std::vector<SoundRun> kept; // and those left to the longer run after them, backwards
    for (auto r = after.rbegin(); r != after.rend(); ++r) {
        if (!isShort(*r))
            kept.push_back(*r);
        else if (!kept.empty() && kept.back().Begin - r->End < near)
            kept.back().Begin = r->Begin;
    }
    std::reverse(kept.begin(), kept.end());
    map.Runs = std::move(kept);
    return map;
}

std::vector<PlacedEntry> PlaceEntries(const std::vector<HeardEntry>& heard, const SoundMap& sound,
                                      int64_t from, int64_t to)
{
    const int rate = sound.Rate;
    std::vector<SoundRun> runs;
    for (const SoundRun& r : sound.Runs)
        if (r.Begin >= from && r.End <= to)
            runs.push_back(r);
    const int64_t lead = std::llround(rate * kLeadSeconds);
    const int64_t tail = std::llround(rate * kTailSeconds);
    const int64_t before = std::llround(rate * kEdgeBeforeSeconds);
    const int64_t after = std::llround(rate * kEdgeAfterSeconds);
    const int64_t later = std::llround(rate * kEdgeLaterSeconds);
    const auto found = [&](size_t i) { return heard[i].Found > 0; };
    std::vector<PlacedEntry> placed(heard.size());
    int lastEnd = 0; // hundredths: the end of the range before
    for (size_t i = 0; i < heard.size(); ++i) {
        if (!found(i))
            continue;
        const HeardEntry& h = heard[i];
        PlacedEntry& entry = placed[i];
        entry.How = Placement::Sure;
        QStringList why;
        if (h.Found < h.Words)
            why << QStringLiteral("only %1 of its %2 words were heard").arg(h.Found).arg(h.Words);
        if (sound.NoiseBelowLoud < kHidingNoiseDb)
            why << QStringLiteral("the recording's noise, %1 dB below its loudest speech, may "
                                  "hide the soft start or end of a word")
                       .arg(std::lround(sound.NoiseBelowLoud));
        if (h.Confidence < kSureConfidence)
            why << QStringLiteral("its words match the sound weakly (confidence %1)")
                       .arg(h.Confidence, 0, 'f', 2);

        // The words of the entries beside it: its sound lies between them.
        int64_t previousWords = from, nextWords = to;
        for (size_t j = i; j-- > 0;)
            if (found(j)) {
                previousWords = heard[j].End;
                break;
            }
        for (size_t j = i + 1; j < heard.size(); ++j)
            if (found(j)) {
                nextWords = heard[j].Begin;
                break;
            }
        // The runs of sound the words lie on, and those just before and after
        // them that reach no other entry's words (a soft start, a release the
        // words leave out).
        auto first = std::find_if(runs.begin(), runs.end(), [&](const SoundRun& r) {
            return r.End > std::max(previousWords, h.Begin - after);
        });
        auto last = std::find_if(runs.rbegin(), runs.rend(), [&](const SoundRun& r) {
            return r.Begin < std::min(nextWords, h.End + after);
        });
        // Words not heard at an edge may be the sound that goes on beyond it
        // without a pause, short of the words of the entry beside.
        const int64_t chain = std::llround(rate * kUnheardPauseSeconds);
        if (h.UnheardFirst > 0)
            while (first != runs.end() && first != runs.begin() &&
                   std::prev(first)->Begin >= previousWords &&
                   first->Begin - std::prev(first)->End < chain)
                --first;
        if (h.UnheardLast > 0)
            while (last != runs.rend() && last != runs.rbegin() &&
                   std::prev(last)->End <= nextWords && std::prev(last)->Begin - last->End < chain)
                --last;
        const bool onSound = first != runs.end() && last != runs.rend() && first->Begin < h.End &&
                             last->End > h.Begin;
        // The sound's edges are the entry's; far from the words', the entry
        // is unsure, and too far, the words' own edges are taken.
        const int64_t slack = std::llround(rate * kMisheardSeconds);
        const int64_t earliest = h.UnheardFirst > 0 ? previousWords : h.Begin - slack;
        const int64_t latest = h.UnheardLast > 0 ? nextWords : h.End + slack;
        const auto seconds = [&](int64_t frames) {
            return QString::number(double(frames) / rate, 'f', 2);
        };
        int64_t begin = h.Begin, end = h.End;
        if (onSound && first->Begin >= std::max(previousWords, earliest) &&
            first->Begin <= h.Begin + slack) {
            begin = first->Begin;
            if (first->Begin < h.Begin - before || first->Begin > h.Begin + after)
                why << QStringLiteral("its sound starts %1 s from its first word")
                           .arg(seconds(std::abs(first->Begin - h.Begin)));
        } else {
            why << QStringLiteral("its start does not lie where a sound starts");
        }
        if (onSound && last->End <= std::min(nextWords, latest) && last->End >= h.End - slack) {
            end = last->End;
            if (last->End > h.End + later || last->End < h.End - after)
                why << QStringLiteral("its sound ends %1 s from its last word")
                           .arg(seconds(std::abs(last->End - h.End)));
        } else {
            why << QStringLiteral("its end does not lie where a sound ends");
        }

        // The other sounds before and after: under noise, the soft sound
        // between them and the entry's is the entry's.
        int64_t soundBefore = previousWords, soundAfter = nextWords;
        for (const SoundRun& r : runs) {
            if (r.End <= begin)
                soundBefore = std::max(soundBefore, r.End);
            if (r.Begin >= end) {
                soundAfter = std::min(soundAfter, r.Begin);
                break;
            }
        }
        // The lead and the tail hold the soft sound before and after the
        // loud; where the soft sound was found, less of them is left.
        const int64_t reach = std::llround(rate * kSoftReachSeconds);
        const int64_t softBegin =
            overSoftSound(sound, begin, -1, std::llround(rate * kSoftStartGapSeconds),
                          std::max(soundBefore, begin - reach));
        const int64_t softEnd =
            overSoftSound(sound, end, +1, std::llround(rate * kSoftEndGapSeconds),
                          std::min(soundAfter, end + reach));
        // Never past the middle of the pause to the sound before or after.
        const int64_t lowest = (soundBefore + begin) / 2;
        const int64_t highest = (end + soundAfter) / 2;
        const int64_t start = std::max(lowest, std::min(softBegin, begin - lead));
        const int64_t stop = std::max(start + 1, std::min(highest, std::max(softEnd, end + tail)));
        entry.Time = {int(start * 100 / rate), int((stop * 100 + rate - 1) / rate)};
        // Two ranges that meet in the middle of a short pause share the
        // hundredth it falls in; the later one starts after it.
        entry.Time.Start = std::max(entry.Time.Start, lastEnd);
        if (entry.Time.End <= entry.Time.Start) {
            // Its sound lies within the hundredth the entry before ends in:
            // it has no range of its own.
            entry = PlacedEntry{};
            entry.Why = QStringLiteral("its sound cannot be told from the entry before");
            continue;
        }
        lastEnd = entry.Time.End;
        if (!why.isEmpty()) {
            entry.How = Placement::Unsure;
            entry.Why = why.join(QStringLiteral("; "));
        }
    }
    return placed;
}

ImportedVoice ImportVoice(const BookSource& book, const QString& voice,
                          const std::vector<size_t>& entries, speech::WordAligner& aligner)
{
    const SourceRecording& source = book.Recordings.at(voice);
    const auto fail = [&](int line, const QString& what) {
        throw BookError(QStringLiteral("%1 line %2: voice %3 from %4: %5")
                            .arg(book.FileName)
                            .arg(line)
                            .arg(voice, source.Path, what));
    };
    ImportedVoice imported;
    QFile file(source.Path);
    if (!file.open(QIODevice::ReadOnly))
        fail(source.Line, QStringLiteral("cannot read the file: %1").arg(file.errorString()));
    imported.Bytes = file.readAll();
    const std::optional<MonoRecording> recording = DecodeRecording(imported.Bytes);
    if (!recording || recording->Rate <= 0)
        fail(source.Line, QStringLiteral("not a recording the maker reads (WAV, MP3, OGG, FLAC)"));
    const int rate = recording->Rate;
    const int64_t frames = static_cast<int64_t>(recording->Frames.size());
    const int length = int((frames * 100 + rate - 1) / rate); // hundredths
    const SoundMap sound = MapSound(recording->Frames, rate);
    std::vector<int16_t> pcm(recording->Frames.size());
    std::transform(recording->Frames.begin(), recording->Frames.end(), pcm.begin(), toSample);
    aligner.UsePronunciations(book.pronunciationDictionary());

    imported.Times.resize(entries.size());
    const auto seconds = [](int hundredths) { return QString::number(hundredths / 100.0, 'f', 2); };
    // Entries timed by hand split the rest into stretches sought one by one.
    size_t first = 0;
    int64_t from = 0;
    for (size_t k = 0; k <= entries.size(); ++k) {
        const SourceEntry* hand = k < entries.size() ? &book.Entries[entries[k]] : nullptr;
        if (hand && hand->HandStart < 0)
            continue;
        if (hand && hand->HandEnd > length)
            fail(hand->Line,
                 QStringLiteral("the time ends after the recording (%1 s)").arg(seconds(length)));
        const int64_t to = hand ? std::max(from, int64_t(hand->HandStart) * rate / 100) : frames;
        if (k > first) {
            QStringList texts;
            for (size_t e = first; e < k; ++e)
                texts << book.Entries[entries[e]].spokenText();
            const speech::PcmView view{
                std::span<const int16_t>(pcm).subspan(size_t(from), size_t(to - from)), rate, 1};
            const std::vector<std::vector<speech::WordTiming>> words =
                aligner.AlignParts(texts, view);
            std::vector<HeardEntry> heard(k - first);
            for (size_t e = 0; e < heard.size() && e < words.size(); ++e) {
                HeardEntry& h = heard[e];
                h.Words = int(words[e].size());
                h.Confidence = 1;
                for (const speech::WordTiming& w : words[e]) {
                    if (!w.Found) {
                        (h.Found == 0 ? h.UnheardFirst : h.UnheardLast) += 1;
                        continue;
                    }
                    h.UnheardLast = 0;
                    const int64_t begin = std::min(to, from + w.StartMs * rate / 1000);
                    const int64_t end = std::min(to, from + w.EndMs * rate / 1000);
                    h.Begin = h.Found == 0 ? begin : h.Begin;
                    h.End = end;
                    h.Confidence = std::min(h.Confidence, w.Confidence);
                    ++h.Found;
                }
            }
            const std::vector<PlacedEntry> placed = PlaceEntries(heard, sound, from, to);
            for (size_t e = first; e < k; ++e) {
                const SourceEntry& entry = book.Entries[entries[e]];
                const PlacedEntry& p = placed[e - first];
                const QString where = QStringLiteral("%1 line %2: voice %3")
                                          .arg(book.FileName)
                                          .arg(entry.Line)
                                          .arg(voice);
                if (p.How == Placement::Missing) {
                    imported.Missing
                        << QStringLiteral("%1 from %2: “%3” %4")
                               .arg(where, source.Path, entry.spokenText(),
                                    p.Why.isEmpty() ? QStringLiteral("is not in the recording")
                                                    : p.Why);
                    continue;
                }
                imported.Times[e] = p.Time;
                if (p.How == Placement::Unsure)
                    imported.Unsure.push_back(
                        {entries[e], QStringLiteral("%1 %2-%3 s “%4”: %5")
                                         .arg(where, seconds(p.Time.Start), seconds(p.Time.End),
                                              entry.spokenText(), p.Why)});
            }
        }
        if (hand) {
            imported.Times[k] = ClipTime{hand->HandStart, hand->HandEnd};
            // The hundredth it ends in may reach a little past the last frame.
            from = std::min(frames, std::max(from, (int64_t(hand->HandEnd) * rate + 99) / 100));
        }
        first = k + 1;
    }
    return imported;
}

} // namespace zarelo::bookmaker
