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

// The book with its files: small pictures (any size is scaled to the
// table's 800 px width) and voices of 31 s at 1,000 Hz, so that every range
// lies inside.
benchbook::LargeBookFolder& generated()
{
    static benchbook::LargeBookFolder book(kBook);
    static const bool files = [] {
        fakes::PagePicture picture;
        picture.Width = 80;
        picture.Height = 100;
        const QByteArray page = PackBytes(fakes::PageJpeg(picture));
        for (int p = 1; p <= kBook.pages(); ++p)
            book.write(QStringLiteral("Page%1.zip").arg(p), page);
        const QByteArray voice =
            PackBytes(fakes::WavBytes(1000, 1, fakes::ToneSamples(1000, 31.0, 100.0, 8000)));
        for (int v = 1; v <= kBook.voices(); ++v)
            book.write(QStringLiteral("unit%1.wav").arg(v), voice);
        return true;
    }();
    Q_UNUSED(files);
    return book;
}

void BM_Baseline_LoadBookContent(benchmark::State& state)
{
    benchbook::LargeBookFolder& g = generated();
    benchbook::LoadEachIteration(state, g);
}

void BM_CheckBookFolder(benchmark::State& state)
{
    benchbook::LargeBookFolder& g = generated();
    size_t findings = 0;
    for (auto _ : state) {
        findings = bookmaker::CheckBookFolder(g.Folder).size();
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
