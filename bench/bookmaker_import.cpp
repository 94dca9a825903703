// Importing a book from real material, with its parts timed: the ten image
// pages of the sample library as scans (1600 px wide, turned by 1 degree,
// blurred, JPEG quality 60) each read and matched (ImportPage), and a
// 10-minute recording (the sample voices joined, over and over) whose entries
// are found by their words (ImportVoice). Goal: at most 3 s per page plus 2 s per minute of
// recording; the counters give the seconds per page and per minute. The
// baseline reads the same inputs: decodes the ten scans and the recording.
#include "ScannedPage.h"
#include "audio/SoundFile.h"
#include "book/PackedFile.h"
#include "book/PageImage.h"
#include "bookmaker/BookSource.h"
#include "bookmaker/PageImport.h"
#include "bookmaker/VoiceImport.h"
#include "speech/SphinxAligner.h"
#include "support/Wav.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace zarelo;
using namespace zarelo::bookmaker;

namespace {

constexpr double kRecordingMinutes = 10;

struct Material {
    QTemporaryDir temp;
    std::vector<BookSource> Books; // the image books, their pages from scans
    BookSource Track;              // every entry of every voice, in one recording
    std::vector<size_t> TrackEntries;
    double TrackMinutes = 0;

    Material()
    {
        const QString sources = QStringLiteral(ZARELO_SOURCE_DIR "/data/books");
        const QString program = QStringLiteral(ZARELO_PROGRAM_DIR);
        std::vector<float> joined;
        std::vector<QString> spoken;
        int rate = 0;
        for (const QString& name : QDir(sources).entryList({"*.txt"}, QDir::Files, QDir::Name)) {
            BookSource book = LoadBookSource(sources + u'/' + name);
            const QString made = program + u'/' + book.Publisher + u'/' + book.Name;
            QStringList voices;
            for (const SourceEntry& e : book.Entries) {
                if (!voices.contains(e.Voice))
                    voices << e.Voice;
                spoken.push_back(e.spokenText());
            }
            for (const QString& voice : voices) {
                const auto sound = DecodeRecording(UnpackFile(made + u'/' + voice + ".wav"));
                if (!sound)
                    qFatal("cannot decode %s", qPrintable(voice));
                rate = sound->Rate;
                joined.insert(joined.end(), sound->Frames.begin(), sound->Frames.end());
            }
            if (book.IsTextBook)
                continue;
            for (SourcePage& page : book.Pages) {
                page.Picture =
                    temp.path() + QStringLiteral("/%1-%2.jpg").arg(Books.size()).arg(page.Number);
                makertest::ScanMadePage(made + QStringLiteral("/Page%1.zip").arg(page.Number),
                                        page.Picture);
            }
            Books.push_back(std::move(book));
        }

        // The joined voices over and over, until the recording is long enough.
        std::vector<int16_t> samples;
        for (int round = 0; double(samples.size()) / rate < kRecordingMinutes * 60; ++round) {
            for (float f : joined)
                samples.push_back(int16_t(std::lround(std::clamp(f, -1.0f, 1.0f) * 32767)));
            for (const QString& text : spoken) {
                SourceEntry e;
                e.English = text;
                e.Voice = QStringLiteral("Track");
                e.Line = int(Track.Entries.size()) + 1;
                TrackEntries.push_back(Track.Entries.size());
                Track.Entries.push_back(e);
            }
        }
        TrackMinutes = double(samples.size()) / rate / 60;
        const QString track = temp.path() + QStringLiteral("/track.wav");
        write(track, fakes::WavBytes(rate, 1, samples));
        Track.FileName = QStringLiteral("track.txt");
        Track.Recordings[QStringLiteral("Track")] = {track, 1};
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    int pages() const
    {
        int n = 0;
        for (const BookSource& b : Books)
            n += int(b.Pages.size());
        return n;
    }
};

Material& material()
{
    static Material m;
    return m;
}

void BM_Baseline_DecodeScansAndRecording(benchmark::State& state)
{
    Material& m = material();
    for (auto _ : state) {
        for (const BookSource& book : m.Books)
            for (const SourcePage& page : book.Pages) {
                const QImage picture(page.Picture);
                benchmark::DoNotOptimize(picture.constBits());
            }
        QFile file(m.Track.Recordings.at("Track").Path);
        file.open(QIODevice::ReadOnly);
        const auto sound = DecodeRecording(file.readAll());
        benchmark::DoNotOptimize(sound->Frames.data());
    }
}

void BM_ImportPages(benchmark::State& state)
{
    Material& m = material();
    for (auto _ : state)
        for (const BookSource& book : m.Books)
            for (const SourcePage& page : book.Pages)
                benchmark::DoNotOptimize(ImportPage(book, page).Boxes.size());
    state.counters["pages"] = m.pages();
    state.counters["s_per_page"] = benchmark::Counter(
        m.pages(), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ImportRecording(benchmark::State& state)
{
    Material& m = material();
    const speech::SpeechModel model = speech::SpeechModel::Installed({});
    speech::SphinxAligner aligner(model, speech::LoadLexicon(model));
    size_t found = 0;
    for (auto _ : state) {
        const ImportedVoice imported = ImportVoice(m.Track, "Track", m.TrackEntries, aligner);
        found = size_t(std::count_if(imported.Times.begin(), imported.Times.end(),
                                     [](const auto& t) { return t.has_value(); }));
    }
    state.counters["found"] = double(found);
    state.counters["minutes"] = m.TrackMinutes;
    state.counters["entries"] = double(m.TrackEntries.size());
    state.counters["s_per_minute"] =
        benchmark::Counter(m.TrackMinutes, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_Baseline_DecodeScansAndRecording)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportPages)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ImportRecording)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

int main(int argc, char** argv)
{
    // Pages are read with QtGui; nothing is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
