// The oral training's word row: how long after a recording ends its words are
// known (posted to the aligning thread, decoded, aligned by the installed
// speech model, delivered back through the event loop), against decoding the
// same recording alone in the same run. The recording is a 3-second sentence
// spoken by espeak-ng. Goal: under 0.5 s, so the row is ready about as soon
// as the pupil looks at it; the window itself never waits.
#include "audio/SoundFile.h"
#include "base/uPublicVarDefine.h"
#include "oral/WordAlignWorker.h"
#include "speech/SphinxAligner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

using namespace zarelo;

namespace {

const QString kSentence = QStringLiteral("This is my friend Lily. She is in Class One.");

// The sentence as a WAV file, spoken once for the run.
const QByteArray& Sentence()
{
    static const QByteArray wav = [] {
        QProcess speak;
        speak.start(QStringLiteral("espeak-ng"), {QStringLiteral("-v"), QStringLiteral("en-us"),
                                                  QStringLiteral("--stdout"), kSentence});
        if (!speak.waitForFinished(30000) || speak.exitCode() != 0) {
            std::fprintf(stderr, "espeak-ng gave no reading\n");
            std::exit(1);
        }
        return speak.readAllStandardOutput();
    }();
    return wav;
}

void BM_Baseline_DecodeSentence(benchmark::State& state)
{
    const QByteArray& wav = Sentence();
    for (auto _ : state) {
        const auto decoded = DecodeRecording(wav);
        benchmark::DoNotOptimize(decoded->Frames.data());
    }
    const auto decoded = DecodeRecording(wav);
    state.counters["seconds"] = double(decoded->Frames.size()) / decoded->Rate;
}
BENCHMARK(BM_Baseline_DecodeSentence)->Unit(benchmark::kMillisecond);

void BM_WordsOfARecordingDelivered(benchmark::State& state)
{
    ProgramPaths paths;
    paths.ProgramFolder = QStringLiteral(ZARELO_PROGRAM_DIR);
    const speech::SpeechModel model = speech::SpeechModel::Installed(paths.HandDictionary());
    const auto lexicon = speech::LoadLexicon(model);
    QEventLoop loop;
    AlignResult last;
    WordAlignWorker worker([&] { return std::make_unique<speech::SphinxAligner>(model, lexicon); },
                           [&](AlignResult result) {
                               last = std::move(result);
                               loop.quit();
                           });
    int ticket = 0;
    const auto alignOnce = [&] {
        AlignJob job;
        job.Kind = AlignKind::Own;
        job.Ticket = ++ticket;
        job.Text = kSentence;
        // A new copy each time, as each recording is: decoded again.
        job.Sound = QByteArray(Sentence().constData(), Sentence().size());
        worker.Post(std::move(job));
        loop.exec();
    };
    alignOnce(); // the model is opened by the first job, when the window opens
    for (auto _ : state)
        alignOnce();
    int found = 0;
    for (const speech::WordTiming& word : last.Words)
        found += word.Found;
    state.counters["words"] = double(last.Words.size());
    state.counters["found"] = found;
    if (!last.Error.isEmpty())
        state.SkipWithError(qPrintable(last.Error));
}
BENCHMARK(BM_WordsOfARecordingDelivered)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // The results come back through this thread's event loop.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
