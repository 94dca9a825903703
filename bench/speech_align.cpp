// The word aligner on about two recorded minutes (espeak-ng sentences with
// pauses), against decoding the same recording from its WAV file in the same
// run (the book maker decodes a recording before it aligns it): read as a
// book's track of sentences, as the book maker aligns it (goal: at most 2 s
// of wall time per recorded minute), and as one long sentence, the oral
// training's grammar (for comparison). Counters give the seconds per
// recorded minute.
#include "SpokenWords.h"

#include "audio/SoundFile.h"
#include "speech/SphinxAligner.h"
#include "support/Wav.h"

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace zarelo;
using namespace zarelo::speech;

namespace {

struct Minute {
    QStringList Parts; // the sentences in the order read
    QString Text;
    fakes::SpokenText Spoken;
    QByteArray Wav;
};

// About a minute of sentences, each word spoken alone and joined with
// pauses as a reader makes them.
const Minute& minute()
{
    static const Minute m = [] {
        Minute out;
        QStringList words;
        const QStringList sentences = {"Good morning boys and girls",
                                       "This is my friend Meimei",
                                       "I like red apples and green pears",
                                       "Where is the library please",
                                       "It is next to the park",
                                       "How old are you today",
                                       "My brother likes to play football",
                                       "We go to school by bus every day"};
        while (words.size() < 150) {
            out.Parts << sentences[out.Parts.size() % sentences.size()];
            words += out.Parts.back().split(' ');
        }
        out.Text = words.join(' ');
        out.Spoken = fakes::SpeakWords(words, {120, 60, 200, 90, 400});
        out.Wav = fakes::WavBytes(out.Spoken.Rate, 1, out.Spoken.Samples);
        return out;
    }();
    return m;
}

double recordedMinutes()
{
    return double(minute().Spoken.Samples.size()) / minute().Spoken.Rate / 60;
}

SpeechModel model()
{
    SpeechModel m;
    m.AcousticModel = QStringLiteral("/usr/share/pocketsphinx/model/en-us/en-us");
    m.Dictionary = QStringLiteral("/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict");
    return m;
}

void BM_DecodeRecording(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeRecording(minute().Wav));
    state.counters["recorded_min"] = recordedMinutes();
}
BENCHMARK(BM_DecodeRecording)->Unit(benchmark::kMillisecond);

size_t foundIn(const std::vector<WordTiming>& words)
{
    return size_t(
        std::count_if(words.begin(), words.end(), [](const WordTiming& w) { return w.Found; }));
}

// Aligns the recording with `align` (given the aligner and the recording, it
// answers how many words were found) and reports the time per minute.
template <class Align> void alignRecording(benchmark::State& state, Align align)
{
    SphinxAligner aligner(model(), LoadLexicon(model()));
    const PcmView pcm{minute().Spoken.Samples, minute().Spoken.Rate, 1};
    size_t found = 0;
    for (auto _ : state)
        found = align(aligner, pcm);
    state.counters["recorded_min"] = recordedMinutes();
    state.counters["words_found"] = double(found);
    state.counters["s_per_minute"] =
        benchmark::Counter(recordedMinutes(), benchmark::Counter::kIsIterationInvariantRate |
                                                  benchmark::Counter::kInvert);
}

void BM_AlignMinute(benchmark::State& state)
{
    alignRecording(state, [](SphinxAligner& aligner, const PcmView& pcm) {
        return foundIn(aligner.Align(minute().Text, pcm));
    });
}
BENCHMARK(BM_AlignMinute)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_AlignMinuteAsTrack(benchmark::State& state)
{
    alignRecording(state, [](SphinxAligner& aligner, const PcmView& pcm) {
        size_t found = 0;
        for (const auto& part : aligner.AlignParts(minute().Parts, pcm))
            found += foundIn(part);
        return found;
    });
}
BENCHMARK(BM_AlignMinuteAsTrack)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
