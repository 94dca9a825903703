// Opening a book of 20,000 entries and 1,000 lesson lines: LoadBookContent
// (unpack both tables to the temporary folder, read, parse, fill) against the
// baseline of inflating the same files and splitting their lines at ';'.
// Goal: at most 3 x the baseline; the filled tables at most 10 MB (reported
// as counters of the load).
#include "LargeBook.h"
#include "base/uFunc.h"
#include "book/BookLoader.h"
#include "book/PackedFile.h"
#include "support/ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace zarelo;

namespace {

// Each voice file holding 100 entries.
benchbook::LargeBookFolder& generated()
{
    static benchbook::LargeBookFolder book{benchbook::LargeBook{}};
    return book;
}

size_t tableBytes(const SentenceTable& s, const LessonTable& l)
{
    size_t bytes = 0;
    for (const TextColumn* c : {&s.PageName, &s.Kind, &s.VoiceName, &s.ChineseText, &s.EnglishText,
                                &l.Name, &l.Title, &l.Column2, &l.Column4})
        bytes += c->memoryUsed();
    for (const auto* v : {&s.Box1Left, &s.Box1Top, &s.Box1Right, &s.Box1Bottom, &s.Box2Left,
                          &s.Box2Top, &s.Box2Right, &s.Box2Bottom, &s.Box3Left, &s.Box3Top,
                          &s.Box3Right, &s.Box3Bottom, &l.FirstPage, &l.EndPage})
        bytes += v->capacity() * sizeof(int);
    for (const auto* v : {&s.StartTime, &s.EndTime, &l.StartTime, &l.EndTime})
        bytes += v->capacity() * sizeof(double);
    return bytes;
}

void BM_LoadBookContent(benchmark::State& state)
{
    benchbook::LargeBookFolder& g = generated();
    benchbook::LoadEachIteration(state, g);
    const BookContent& c = g.Book.Content;
    const size_t tables = tableBytes(c.Sentences, c.Lessons);
    state.counters["entries"] = c.Sentences.count();
    state.counters["tables_MB"] = tables / 1e6;
    state.counters["with_lines_MB"] =
        (tables + c.LocationLines.memoryUsed() + c.LessonIndexLines.memoryUsed()) / 1e6;
}

void BM_Baseline_InflateAndSplit(benchmark::State& state)
{
    benchbook::LargeBookFolder& g = generated();
    for (auto _ : state) {
        size_t fields = 0;
        for (const char* name : {"location.dat", "LessonIndex.dat"}) {
            const QByteArray text = UnpackFile(g.Folder + u'/' + name);
            for (QByteArrayView line : SplitFields(text, '\n'))
                fields += SplitFields(line, ';').size();
        }
        benchmark::DoNotOptimize(fields);
    }
}

} // namespace

BENCHMARK(BM_Baseline_InflateAndSplit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBookContent)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
