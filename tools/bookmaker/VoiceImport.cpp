#include "bookmaker/VoiceImport.h"

#include "audio/SoundFile.h"
#include "base/BookError.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <limits>

namespace zarelo::bookmaker {

namespace {

constexpr double kWindowSeconds = 0.010;
constexpr double kJoinSeconds = 0.030;  // quiet shorter than this stays inside a run
constexpr double kClickSeconds = 0.020; // shorter runs are clicks, unless near a longer run
constexpr double kNearSeconds = 0.150;  // a short run this close to a longer one is part of it
constexpr double kLeadSeconds = 0.030;  // range start before the first sound
constexpr double kTailSeconds = 0.060;  // range end after the last sound
// Weights of the assignment's cost: a misfit of the lengths (squared log
// ratio) against a pause chosen or passed over out of its rank (log ratio).
constexpr double kFitWeight = 4.0;
constexpr double kPauseWeight = 1.0;
// The most runs one entry may take, and the share of its expected length an
// entry must get at least and at most.
constexpr int kMaxRunsPerEntry = 64;
constexpr double kMinShare = 0.3, kMaxShare = 3.3;

} // namespace

std::vector<SoundRun> FindSoundRuns(const std::vector<float>& frames, int rate)
{
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
        return {};
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
    return kept;
}

double SpokenWeight(const QString& english)
{
    double weight = 0;
    const QString text = english.trimmed();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isLetterOrNumber())
            weight += 1.0;
        else if (c == u' ')
            weight += 1.0;
        else if ((c == u',' || c == u';' || c == u'.' || c == u'!' || c == u'?') &&
                 i + 1 < text.size())
            weight += c == u',' ? 3.0 : 5.0; // a pause inside the text
    }
    return weight + 3.0; // the first sound of an entry takes its time too
}

FittedVoice FitRuns(const std::vector<SoundRun>& runs, const std::vector<double>& weights, int rate,
                    int64_t from, int64_t to)
{
    FittedVoice fitted;
    const int n = static_cast<int>(weights.size());
    const int m = static_cast<int>(runs.size());
    if (n == 0)
        return fitted;
    if (m < n) {
        fitted.Failed = m;
        fitted.Why = QStringLiteral("the recording has %1 spoken part%2 apart by pauses for %3 "
                                    "entries; none is left for")
                         .arg(m)
                         .arg(m == 1 ? "" : "s")
                         .arg(n);
        return fitted;
    }

    // Pauses between runs, seconds, and their rank: the n-1 longest would be
    // the entry ends if every entry were one run.
    std::vector<double> gaps(size_t(std::max(0, m - 1)));
    for (int j = 0; j + 1 < m; ++j)
        gaps[j] = double(runs[j + 1].Begin - runs[j].End) / rate;
    std::vector<double> ranked = gaps;
    std::sort(ranked.begin(), ranked.end(), std::greater<>());
    const double shortestEnd = n >= 2 ? ranked[n - 2] : std::numeric_limits<double>::infinity();
    const double longestInner = m - 1 >= n ? ranked[n - 1] : 0.0;
    const auto cutCost = [&](double g) {
        return kPauseWeight * std::max(0.0, std::log(shortestEnd / g));
    };
    const auto keepCost = [&](double g) {
        return longestInner > 0 ? kPauseWeight * std::max(0.0, std::log(g / longestInner)) : 0.0;
    };
    std::vector<double> keptBefore(size_t(m), 0.0); // sum of keepCost of gaps 0..j-1
    for (int j = 1; j < m; ++j)
        keptBefore[j] = keptBefore[j - 1] + keepCost(gaps[j - 1]);

    // The expected length of each entry: its share of all speech, counting
    // the n-1 longest pauses as the pauses between entries.
    double speech = double(runs.back().End - runs.front().Begin) / rate;
    for (int k = 0; k + 1 < n; ++k)
        speech -= ranked[k];
    double total = 0;
    for (double w : weights)
        total += w;
    std::vector<double> expected(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        expected[i] = std::max(0.05, speech * weights[i] / total);

    // best[i][j]: the least cost of entries 0..i-1 taking runs 0..j-1.
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<std::vector<double>> best(size_t(n + 1), std::vector<double>(size_t(m + 1), inf));
    std::vector<std::vector<int>> start(size_t(n + 1), std::vector<int>(size_t(m + 1), -1));
    best[0][0] = 0;
    for (int i = 1; i <= n; ++i) {
        // Every entry needs at least one run: entry i-1 ends at run j-1 with
        // i-1 <= j-1 and leaves n-i runs for the rest.
        for (int j = i; j <= m - (n - i); ++j) {
            for (int k = j - 1; k >= i - 1 && j - k <= kMaxRunsPerEntry; --k) {
                if (best[i - 1][k] == inf)
                    continue;
                const double length = double(runs[j - 1].End - runs[k].Begin) / rate;
                const double misfit = std::log(length / expected[i - 1]);
                double cost = best[i - 1][k] + kFitWeight * misfit * misfit +
                              (keptBefore[j - 1] - keptBefore[k]);
                if (k > 0)
                    cost += cutCost(gaps[k - 1]);
                if (cost < best[i][j]) {
                    best[i][j] = cost;
                    start[i][j] = k;
                }
            }
        }
    }
    if (best[n][m] == inf) {
        fitted.Failed = n - 1;
        fitted.Why = QStringLiteral("the recording's %1 spoken parts cannot be shared out among "
                                    "%2 entries; no place was found for")
                         .arg(m)
                         .arg(n);
        return fitted;
    }

    // Back from the last entry: the runs of each.
    std::vector<std::pair<int, int>> taken(static_cast<size_t>(n)); // first run, one past the last
    for (int i = n, j = m; i > 0; --i) {
        const int k = start[i][j];
        taken[i - 1] = {k, j};
        j = k;
    }
    for (int i = 0; i < n; ++i) {
        const auto [k, j] = taken[i];
        const double length = double(runs[j - 1].End - runs[k].Begin) / rate;
        const double share = length / expected[i];
        if (share < kMinShare || share > kMaxShare) {
            fitted.Failed = i;
            fitted.Why = QStringLiteral("the best share of the recording for the entry is "
                                        "%1 s long where about %2 s were expected; looking for")
                             .arg(length, 0, 'f', 2)
                             .arg(expected[i], 0, 'f', 2);
            return fitted;
        }
    }

    const auto hundredthsDown = [&](int64_t frame) { return int(frame * 100 / rate); };
    const auto hundredthsUp = [&](int64_t frame) { return int((frame * 100 + rate - 1) / rate); };
    const int64_t lead = std::llround(rate * kLeadSeconds);
    const int64_t tail = std::llround(rate * kTailSeconds);
    for (int i = 0; i < n; ++i) {
        const auto [k, j] = taken[i];
        const int64_t lowest = k > 0 ? (runs[k - 1].End + runs[k].Begin) / 2 : from;
        const int64_t highest = j < m ? (runs[j - 1].End + runs[j].Begin) / 2 : to;
        const int64_t begin = std::max(lowest, runs[k].Begin - lead);
        const int64_t end = std::min(highest, runs[j - 1].End + tail);
        ClipTime time{hundredthsDown(begin), hundredthsUp(end)};
        // Two ranges that meet in the middle of a short pause share the
        // hundredth it falls in; the later one starts after it.
        if (!fitted.Times.empty())
            time.Start = std::max(time.Start, fitted.Times.back().End);
        fitted.Times.push_back(time);
    }
    return fitted;
}

ImportedVoice ImportVoice(const BookSource& book, const QString& voice,
                          const std::vector<size_t>& entries)
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
    const std::vector<SoundRun> runs = FindSoundRuns(recording->Frames, rate);

    imported.Times.resize(entries.size());
    // Entries timed by hand split the rest into stretches fitted one by one.
    size_t first = 0;
    int64_t from = 0;
    for (size_t k = 0; k <= entries.size(); ++k) {
        const SourceEntry* hand = k < entries.size() ? &book.Entries[entries[k]] : nullptr;
        if (hand && hand->HandStart < 0)
            continue;
        if (hand && hand->HandEnd > length)
            fail(hand->Line, QStringLiteral("the time ends after the recording (%1 s)")
                                 .arg(length / 100.0, 0, 'f', 2));
        const int64_t to = hand ? int64_t(hand->HandStart) * rate / 100 : frames;
        if (k > first) {
            std::vector<SoundRun> inside;
            for (const SoundRun& r : runs)
                if (r.Begin >= from && r.End <= to)
                    inside.push_back(r);
            std::vector<double> weights;
            for (size_t e = first; e < k; ++e)
                weights.push_back(SpokenWeight(book.Entries[entries[e]].spokenText()));
            const FittedVoice fitted = FitRuns(inside, weights, rate, from, to);
            if (fitted.Times.empty()) {
                const SourceEntry& sought = book.Entries[entries[first + size_t(fitted.Failed)]];
                fail(sought.Line, fitted.Why + QStringLiteral(" “%1”").arg(sought.spokenText()));
            }
            for (size_t e = first; e < k; ++e)
                imported.Times[e] = fitted.Times[e - first];
        }
        if (hand) {
            imported.Times[k] = {hand->HandStart, hand->HandEnd};
            from = (int64_t(hand->HandEnd) * rate + 99) / 100;
        }
        first = k + 1;
    }
    return imported;
}

} // namespace zarelo::bookmaker
