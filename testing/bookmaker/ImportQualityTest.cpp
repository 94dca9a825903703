// The import against the sample library it can be checked on: the maker's
// own books, whose true boxes and ranges are in their tables. Each page of an
// image book is degraded as a scan would be (scaled to 1600 px wide, turned
// by 1 degree, blurred, saved as JPEG at quality 60) and imported; the boxes
// found must overlap the true ones (turned alike) by at least 0.8
// (intersection over union) for at least 95% of the entries. Each voice file
// is taken as one joined recording and imported; the ranges found must lie
// within 60 ms of the true ones at both ends for at least 95% of the entries.
// The shares and the worst cases are printed.

#include "ReadBack.h"
#include "ScannedPage.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "bookmaker/BookSource.h"
#include "bookmaker/BookWriter.h"
#include "bookmaker/PageImport.h"
#include "bookmaker/VoiceImport.h"
#include "bookmaker/Wav.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTransform>
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

// Intersection over union.
double overlap(const EntryBox& a, const EntryBox& b)
{
    const double w = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
    const double h = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
    const double inside = w > 0 && h > 0 ? w * h : 0;
    const double area = double(a.Right - a.Left) * (a.Bottom - a.Top) +
                        double(b.Right - b.Left) * (b.Bottom - b.Top) - inside;
    return area > 0 ? inside / area : 0;
}

// One entry's result: how far it is from the goal (the smaller, the worse)
// and what to print of it.
struct Result {
    double Score = 0;
    QString What;
};

// Prints the share of `results` that met the goal and the five worst, and
// checks the share is at least 95%.
void report(const char* goal, std::vector<Result> results, int within, int least)
{
    const int entries = static_cast<int>(results.size());
    std::sort(results.begin(), results.end(),
              [](const Result& a, const Result& b) { return a.Score < b.Score; });
    std::printf("%s: %d of %d (%.1f%%); worst:\n", goal, within, entries,
                100.0 * within / std::max(1, entries));
    for (size_t i = 0; i < std::min<size_t>(5, results.size()); ++i)
        std::printf("  %s\n", qPrintable(results[i].What));
    ASSERT_GT(entries, least);
    EXPECT_GE(within * 100, entries * 95);
}

} // namespace

TEST(ImportQuality, ScannedPagesGiveBoxesOverlappingTheTrueOnesByAtLeast08)
{
    QTemporaryDir temp;
    int within = 0;
    std::vector<Result> results;
    for (SampleBook& book : sampleBooks(temp.path())) {
        if (book.Source.IsTextBook)
            continue; // a text book's pages are drawn by the program, never scanned
        const SentenceTable& t = book.Made.Content.Sentences;
        for (SourcePage& page : book.Source.Pages) {
            page.Picture = temp.path() + QStringLiteral("/scan%1.jpg").arg(page.Number);
            const QTransform turn = ScanMadePage(
                book.Folder + QStringLiteral("/Page%1.zip").arg(page.Number), page.Picture);
            const DrawnPage imported = ImportPage(book.Source, page);
            const double up = 1600.0 / kPageWidth, down = kPageWidth / 1600.0;
            for (const auto& [row, boxes] : imported.Boxes) {
                const std::vector<Rect> truth = BoxesOf(t, row);
                double worstOverlap = truth.size() == boxes.size() ? 1.0 : 0.0;
                for (size_t k = 0; k < std::min(truth.size(), boxes.size()); ++k) {
                    const QRectF moved =
                        turn.mapRect(QRectF(QPointF(truth[k].Left * up, truth[k].Top * up),
                                            QPointF(truth[k].Right * up, truth[k].Bottom * up)));
                    const EntryBox expected{int(std::lround(moved.left() * down)),
                                            int(std::lround(moved.top() * down)),
                                            int(std::lround(moved.right() * down)),
                                            int(std::lround(moved.bottom() * down))};
                    worstOverlap = std::min(worstOverlap, overlap(boxes[k], expected));
                }
                within += worstOverlap >= 0.8;
                results.push_back(
                    {worstOverlap, QStringLiteral("%1 page %2 “%3”: %4 box(es), IoU %5")
                                       .arg(book.Source.Name)
                                       .arg(page.Number)
                                       .arg(fromGbk(t.EnglishText[row]))
                                       .arg(boxes.size())
                                       .arg(worstOverlap, 0, 'f', 2)});
            }
        }
    }
    report("boxes with IoU >= 0.8", results, within, 80);
}

TEST(ImportQuality, JoinedVoicesGiveRangesWithin60MsAtBothEnds)
{
    QTemporaryDir temp;
    int within = 0;
    std::vector<Result> results;
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
                if (startError <= 60 && endError <= 60)
                    ++within;
                results.push_back({-double(std::max(startError, endError)),
                                   QStringLiteral("%1 “%2”: start off by %3 ms, end by %4 ms")
                                       .arg(voice, book.Source.Entries[rows[k]].spokenText())
                                       .arg(startError)
                                       .arg(endError)});
            }
        }
    }
    report("ranges within 60 ms at both ends", results, within, 90);
}

// A harder recording than the maker's: the entries cut out at their true
// ranges and joined again with uneven pauses (0.15 to 0.9 s, some shorter than the
// pauses inside sentences) over a noise
// floor 50 dB down, as a studio recording read by a person would be.
TEST(ImportQuality, VoicesWithUnevenPausesAndNoiseGiveRangesWithin60Ms)
{
    QTemporaryDir temp;
    int within = 0;
    std::vector<Result> results;
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return double(seed >> 8) / double(1 << 24); // 0..1
    };
    for (SampleBook& book : sampleBooks(temp.path())) {
        const SentenceTable& t = book.Made.Content.Sentences;
        std::map<QString, std::vector<size_t>> voices;
        for (size_t i = 0; i < book.Source.Entries.size(); ++i)
            voices[book.Source.Entries[i].Voice].push_back(i);
        for (const auto& [voice, rows] : voices) {
            const MonoSound made =
                ReadWav(UnpackFile(book.Folder + u'/' + voice + QStringLiteral(".wav")), voice);
            const int rate = made.SampleRate;
            MonoSound joined{rate, {}};
            std::vector<ClipTime> truth;
            for (size_t k = 0; k < rows.size(); ++k) {
                const int row = static_cast<int>(rows[k]);
                const int pause = k == 0 ? 40 : 15 + int(next() * 75); // hundredths
                const int start = int(joined.Samples.size() * 100 / rate) + pause;
                joined.Samples.resize(size_t(int64_t(start) * rate / 100), 0);
                const int64_t from = int64_t(hundredths(t.StartTime[row])) * rate / 100;
                const int64_t to = int64_t(hundredths(t.EndTime[row])) * rate / 100;
                joined.Samples.insert(joined.Samples.end(), made.Samples.begin() + from,
                                      made.Samples.begin() + to);
                truth.push_back(
                    {start, start + hundredths(t.EndTime[row]) - hundredths(t.StartTime[row])});
            }
            joined.Samples.resize(joined.Samples.size() + size_t(rate / 2), 0);
            for (int16_t& s : joined.Samples)
                s = int16_t(std::clamp(s + int(std::lround((next() - 0.5) * 200)), -32768, 32767));
            const QString recording = temp.path() + u'/' + voice + QStringLiteral("-uneven.wav");
            QFile file(recording);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(WriteWav(joined));
            file.close();
            book.Source.Recordings[voice] = {recording, 1};
            const ImportedVoice imported = ImportVoice(book.Source, voice, rows);
            for (size_t k = 0; k < rows.size(); ++k) {
                const int startError = 10 * std::abs(imported.Times[k].Start - truth[k].Start);
                const int endError = 10 * std::abs(imported.Times[k].End - truth[k].End);
                within += startError <= 60 && endError <= 60;
                results.push_back({-double(std::max(startError, endError)),
                                   QStringLiteral("%1 “%2”: start off by %3 ms, end by %4 ms")
                                       .arg(voice, book.Source.Entries[rows[k]].spokenText())
                                       .arg(startError)
                                       .arg(endError)});
            }
        }
    }
    report("uneven pauses and noise: ranges within 60 ms at both ends", results, within, 90);
}

int main(int argc, char** argv)
{
    // Pages are drawn and read with QtGui.
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
