// The import against the sample library it can be checked on: the maker's
// own books, whose true boxes and ranges are in their tables. Each voice file
// is taken as one joined recording and imported; the ranges found must lie
// within 60 ms of the true ones at both ends for at least 95% of the entries.
// The shares and the worst cases are printed.

#include "ReadBack.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "bookmaker/BookSource.h"
#include "bookmaker/VoiceImport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

using namespace zarelo;
using namespace zarelo::bookmaker;
using namespace zarelo::makertest;

namespace {

struct SampleBook {
    BookSource Source;
    OpenBook Made; // the tables the maker wrote
    QString Folder;
};

std::vector<SampleBook> sampleBooks(const QString& temp)
{
    const QString sources = qEnvironmentVariable("ZARELO_SOURCE_DIR") + "/data/books";
    const QString program = qEnvironmentVariable("ZARELO_PROGRAM_DIR");
    std::vector<SampleBook> books;
    for (const QString& name : QDir(sources).entryList({"*.txt"}, QDir::Files, QDir::Name)) {
        SampleBook b;
        b.Source = LoadBookSource(sources + u'/' + name);
        b.Made = LoadBook(program, b.Source.Publisher, b.Source.Name, temp);
        b.Folder = program + u'/' + b.Source.Publisher + u'/' + b.Source.Name;
        books.push_back(std::move(b));
    }
    return books;
}

// Hundredths of a table time (tenths, with a fraction).
int hundredths(double tenths)
{
    return static_cast<int>(std::lround(tenths * 10));
}

struct Miss {
    int Worst = 0; // ms, the larger of the two ends' errors
    QString What;
};

} // namespace

TEST(ImportQuality, JoinedVoicesGiveRangesWithin60MsAtBothEnds)
{
    QTemporaryDir temp;
    int entries = 0, within = 0;
    std::vector<Miss> misses;
    for (SampleBook& book : sampleBooks(temp.path())) {
        const SentenceTable& t = book.Made.Content.Sentences;
        std::map<QString, std::vector<size_t>> voices;
        for (size_t i = 0; i < book.Source.Entries.size(); ++i)
            voices[book.Source.Entries[i].Voice].push_back(i);
        for (const auto& [voice, rows] : voices) {
            // The voice as one recording, as a CD track would hold it.
            const QString recording = temp.path() + u'/' + voice + QStringLiteral(".wav");
            QFile file(recording);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(UnpackFile(book.Folder + u'/' + voice + QStringLiteral(".wav")));
            file.close();
            book.Source.Recordings[voice] = {recording, 1};
            const ImportedVoice imported = ImportVoice(book.Source, voice, rows);
            for (size_t k = 0; k < rows.size(); ++k) {
                const int row = static_cast<int>(rows[k]);
                const int startError =
                    10 * std::abs(imported.Times[k].Start - hundredths(t.StartTime[row]));
                const int endError =
                    10 * std::abs(imported.Times[k].End - hundredths(t.EndTime[row]));
                ++entries;
                if (startError <= 60 && endError <= 60)
                    ++within;
                misses.push_back({std::max(startError, endError),
                                  QStringLiteral("%1 “%2”: start off by %3 ms, end by %4 ms")
                                      .arg(voice, book.Source.Entries[rows[k]].spokenText())
                                      .arg(startError)
                                      .arg(endError)});
            }
        }
    }
    std::sort(misses.begin(), misses.end(),
              [](const Miss& a, const Miss& b) { return a.Worst > b.Worst; });
    std::printf("ranges within 60 ms at both ends: %d of %d (%.1f%%); worst:\n", within, entries,
                100.0 * within / entries);
    for (size_t i = 0; i < std::min<size_t>(5, misses.size()); ++i)
        std::printf("  %s\n", qPrintable(misses[i].What));
    ASSERT_GT(entries, 90);
    EXPECT_GE(within * 100, entries * 95);
}

int main(int argc, char** argv)
{
    // Pages are drawn and read with QtGui.
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
