#pragma once
// The two tables of a large generated book, for the benchmarks that load or
// check one. Entries like a real book's: words and sentences, one to three
// boxes, GBK Chinese and English texts, a page per `PerPage` entries and a
// voice ("unit1", "unit2", ...) per `PerVoice`.

#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "book/BookLoader.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "support/ScriptedMessages.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace zarelo::benchbook {

struct LargeBook {
    int Entries = 20000;
    int Lessons = 1000;
    int PerPage = 25;
    int PerVoice = 100;
    // Entry k of a voice lies at Lead + k * Step for Length, hundredths.
    int Lead = 0, Step = 310, Length = 280;

    int pages() const { return (Entries + PerPage - 1) / PerPage; }
    int voices() const { return (Entries + PerVoice - 1) / PerVoice; }
};

inline QByteArray TimeText(int hundredths)
{
    return QByteArray::number(hundredths / 6000) + ':' + QByteArray::number(hundredths / 100 % 60) +
           ':' + QByteArray::number(hundredths % 100).rightJustified(2, '0');
}

// "location.txt": a header line, then one line per entry.
inline QByteArray LocationText(const LargeBook& b)
{
    const QByteArray chinese = toGbk(QStringLiteral("我们每天早上七点去学校"));
    QByteArray text = toGbk(QStringLiteral("大书;image;出版社\r\n"));
    for (int i = 0; i < b.Entries; ++i) {
        const bool word = i % 3 == 0;
        const int y = 40 + (i % b.PerPage) * 36;
        QByteArray boxes = "700," + QByteArray::number(y + 30);
        if (i % 5 == 1)
            boxes += "@60," + QByteArray::number(y + 36) + "@500," + QByteArray::number(y + 66);
        const int start = b.Lead + (i % b.PerVoice) * b.Step;
        text +=
            "Page" + QByteArray::number(i / b.PerPage + 1) + (word ? ";word;" : ";sent;") + "60," +
            QByteArray::number(y) + ';' + boxes + ";unit" + QByteArray::number(i / b.PerVoice + 1) +
            ';' + TimeText(start) + ',' + TimeText(start + b.Length) + ';' +
            chinese.left(word ? 4 : chinese.size()) + ':' +
            (word ? QByteArray("school") : QByteArray("We go to school at seven every morning.")) +
            "\r\n";
    }
    return text;
}

// "LessonIndex.txt": a unit every four lines, the lessons' pages spread over
// the book's.
inline QByteArray LessonText(const LargeBook& b)
{
    QByteArray text;
    for (int i = 0; i < b.Lessons; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        const QByteArray page = QByteArray::number(i * b.pages() / b.Lessons + 1);
        text += (i % 4 == 0 ? "Unit " : "Lesson ") + n + ";My school and my friends " + n +
                ";c;0:00:0;c;0:10:0;" + page + ';' + page + "\r\n";
    }
    return text;
}

// The book in a temporary program folder ("出版社/大书", both tables packed),
// with a temporary folder to unpack into and an open book naming it.
struct LargeBookFolder {
    QTemporaryDir Root;
    QTemporaryDir Temp;
    ProgramPaths Paths;
    OpenBook Book;
    QString Folder; // without a trailing separator

    explicit LargeBookFolder(const LargeBook& shape)
    {
        Paths.ProgramFolder = Root.path();
        Paths.TempFolder = Temp.path();
        Folder = Root.path() + QStringLiteral("/出版社/大书");
        QDir().mkpath(Folder);
        write(QStringLiteral("location.dat"), PackBytes(LocationText(shape)));
        write(QStringLiteral("LessonIndex.dat"), PackBytes(LessonText(shape)));
        Book.CurrentPublisher = QStringLiteral("出版社");
        Book.CurrentBook = QStringLiteral("大书");
    }
    // Writes a file of the book folder.
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Folder + u'/' + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
    }
};

// Opens the book as the program does (LoadBookContent: unpack, read, parse,
// fill), once per iteration of `state`.
inline void LoadEachIteration(benchmark::State& state, LargeBookFolder& folder)
{
    fakes::ScriptedMessages messages;
    for (auto _ : state) {
        if (!LoadBookContent(folder.Paths, folder.Book, messages, nullptr, {}, {}))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(folder.Book.Content.Sentences.StartTime.data());
    }
}

} // namespace zarelo::benchbook
