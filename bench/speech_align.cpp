// The word aligner on one recorded minute (espeak-ng sentences with pauses),
// against decoding the same minute from its WAV file in the same run (the
// book maker decodes a recording before it aligns it). Goal: at most 2 s of
// alignment per recorded minute. Counters give the time per recorded minute.
#include "SpokenWords.h"

#include "audio/SoundFile.h"
#include "speech/SphinxAligner.h"
#include "support/Wav.h"

#include <benchmark/benchmark.h>

using namespace zarelo;
using namespace zarelo::speech;

namespace {

struct Minute {
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
        while (words.size() < 150)
            words += sentences[words.size() % sentences.size()].split(' ');
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

void BM_AlignMinute(benchmark::State& state)
{
    SphinxAligner aligner(model(), LoadLexicon(model()));
    const PcmView pcm{minute().Spoken.Samples, minute().Spoken.Rate, 1};
    size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (const WordTiming& w : aligner.Align(minute().Text, pcm))
            found += w.Found;
    }
    state.counters["recorded_min"] = recordedMinutes();
    state.counters["words_found"] = double(found);
}
BENCHMARK(BM_AlignMinute)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
