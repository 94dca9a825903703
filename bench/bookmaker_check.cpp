// `bookmaker check` of a book of 20,000 entries and 1,000 lesson lines on
// 800 pages in 200 voices, against the baseline of loading its tables as the
// program does (LoadBookContent: unpack, read, parse, fill). Goal: at most
// 3 x the baseline. The check also reads every page and voice file once; so
// that the figure measures the per-entry work, the pages are small pictures
// (any size is scaled to the table's 800 px width) and the voices short
// low-rate recordings that still hold every entry's range.
#include "LargeBook.h"
#include "book/BookLoader.h"
#include "book/PackedFile.h"
#include "bookmaker/BookCheck.h"
#include "support/PageJpeg.h"
#include "support/ScriptedMessages.h"
#include "support/Wav.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace zarelo;

namespace {

// Entries 0.25 s long, 0.05 s apart in their voice, from 0.1 s.
constexpr benchbook::LargeBook kBook{.Lead = 10, .Step = 30, .Length = 25};

struct GeneratedBook {
    QTemporaryDir root;
    QTemporaryDir temp;
    ProgramPaths paths;
    OpenBook book;
    QString folder;

    GeneratedBook()
    {
        paths.ProgramFolder = root.path();
        paths.TempFolder = temp.path();
        folder = root.path() + "/出版社/大书";
        QDir().mkpath(folder);
        write("location.dat", PackBytes(benchbook::LocationText(kBook)));
        write("LessonIndex.dat", PackBytes(benchbook::LessonText(kBook)));
        fakes::PagePicture picture;
        picture.Width = 80;
        picture.Height = 100;
        const QByteArray page = PackBytes(fakes::PageJpeg(picture));
        for (int p = 1; p <= kBook.pages(); ++p)
            write(QStringLiteral("Page%1.zip").arg(p), page);
        // 31 s at 1,000 Hz: every range of the voice lies inside.
        const QByteArray voice =
            PackBytes(fakes::WavBytes(1000, 1, fakes::ToneSamples(1000, 31.0, 100.0, 8000)));
        for (int v = 1; v <= kBook.voices(); ++v)
            write(QStringLiteral("unit%1.wav").arg(v), voice);
        book.CurrentPublisher = "出版社";
        book.CurrentBook = "大书";
    }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(name));
        file.write(bytes);
    }
};

GeneratedBook& generated()
{
    static GeneratedBook book;
    return book;
}

void BM_Baseline_LoadBookContent(benchmark::State& state)
{
    GeneratedBook& g = generated();
    fakes::ScriptedMessages messages;
    for (auto _ : state) {
        if (!LoadBookContent(g.paths, g.book, messages, nullptr, {}, {}))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(g.book.Content.Sentences.StartTime.data());
    }
}

void BM_CheckBookFolder(benchmark::State& state)
{
    GeneratedBook& g = generated();
    size_t findings = 0;
    for (auto _ : state) {
        findings = bookmaker::CheckBookFolder(g.folder).size();
        benchmark::DoNotOptimize(findings);
    }
    if (findings != 0)
        state.SkipWithError("the generated book has problems");
    state.counters["entries"] = kBook.Entries;
}

} // namespace

BENCHMARK(BM_Baseline_LoadBookContent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckBookFolder)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
