// `bookmaker check` of a book of 20,000 entries and 1,000 lesson lines on
// 800 pages in 200 voices, against the baseline of loading its tables as the
// program does (LoadBookContent: unpack, read, parse, fill). Goal: at most
// 3 x the baseline. The check also reads every page and voice file once; so
// that the figure measures the per-entry work, the pages are small pictures
// (any size is scaled to the table's 800 px width) and the voices short
// low-rate recordings that still hold every entry's range.
#include "book/BookLoader.h"
#include "book/Gbk.h"
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

constexpr int kEntries = 20000;
constexpr int kLessons = 1000;
constexpr int kPerPage = 25;
constexpr int kPerVoice = 100;

QByteArray timeText(int hundredths)
{
    return QByteArray::number(hundredths / 6000) + ':' + QByteArray::number(hundredths / 100 % 60) +
           ':' + QByteArray::number(hundredths % 100).rightJustified(2, '0');
}

// Each entry of a voice 0.25 s long, 0.05 s apart.
QByteArray locationText()
{
    const QByteArray chinese = toGbk(QStringLiteral("我们每天早上七点去学校"));
    QByteArray text = "大书;image;出版社\r\n";
    for (int i = 0; i < kEntries; ++i) {
        const bool word = i % 3 == 0;
        const int y = 40 + (i % kPerPage) * 36;
        QByteArray boxes = "700," + QByteArray::number(y + 30);
        if (i % 5 == 1)
            boxes += "@60," + QByteArray::number(y + 36) + "@500," + QByteArray::number(y + 66);
        const int start = 10 + (i % kPerVoice) * 30;
        text +=
            "Page" + QByteArray::number(i / kPerPage + 1) + (word ? ";word;" : ";sent;") + "60," +
            QByteArray::number(y) + ';' + boxes + ";unit" + QByteArray::number(i / kPerVoice + 1) +
            ';' + timeText(start) + ',' + timeText(start + 25) + ';' +
            chinese.left(word ? 4 : chinese.size()) + ':' +
            (word ? QByteArray("school") : QByteArray("We go to school at seven every morning.")) +
            "\r\n";
    }
    return text;
}

QByteArray lessonText()
{
    const int pages = kEntries / kPerPage;
    QByteArray text;
    for (int i = 0; i < kLessons; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        const QByteArray page = QByteArray::number(i * pages / kLessons + 1);
        text += (i % 4 == 0 ? "Unit " : "Lesson ") + n + ";My school and my friends " + n +
                ";c;0:00:0;c;0:10:0;" + page + ';' + page + "\r\n";
    }
    return text;
}

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
        write("location.dat", PackBytes(locationText()));
        write("LessonIndex.dat", PackBytes(lessonText()));
        fakes::PagePicture picture;
        picture.Width = 80;
        picture.Height = 100;
        const QByteArray page = PackBytes(fakes::PageJpeg(picture));
        for (int p = 1; p <= kEntries / kPerPage; ++p)
            write(QStringLiteral("Page%1.zip").arg(p), page);
        // 31 s at 1,000 Hz: every range of the voice lies inside.
        const QByteArray voice =
            PackBytes(fakes::WavBytes(1000, 1, fakes::ToneSamples(1000, 31.0, 100.0, 8000)));
        for (int v = 1; v <= kEntries / kPerVoice; ++v)
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
    state.counters["entries"] = kEntries;
}

} // namespace

BENCHMARK(BM_Baseline_LoadBookContent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckBookFolder)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
