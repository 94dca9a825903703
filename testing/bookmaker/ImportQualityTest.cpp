// The import against the sample library it can be checked on: the maker's
// own books, whose true boxes and ranges are in their tables. Each page of an
// image book is degraded as a scan would be (scaled to 1600 px wide, turned
// by 1 degree, blurred, saved as JPEG at quality 60) and imported; the boxes
// found must overlap the true ones (turned alike) by at least 0.8
// (intersection over union) for at least 95% of the entries. Each voice file
// is taken as one joined recording and imported; the ranges found must lie
// within 60 ms of the true ones at both ends for at least 95% of the entries,
// and any that does not must be listed as unsure. The shares and the worst
// cases are printed.

#include "ReadBack.h"
#include "ScannedPage.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "bookmaker/BookSource.h"
#include "bookmaker/BookWriter.h"
#include "bookmaker/PageImport.h"
#include "bookmaker/VoiceImport.h"
#include "bookmaker/Wav.h"
#include "speech/SphinxAligner.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTransform>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <set>

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

speech::SphinxAligner& aligner()
{
    static const speech::SpeechModel model = speech::SpeechModel::Installed(
        qEnvironmentVariable("ZARELO_PROGRAM_DIR") + QStringLiteral("/speech/names.dict"));
    static speech::SphinxAligner shared(model, speech::LoadLexicon(model));
    return shared;
}

// Imports every voice of the sample library from the recording `record`
// makes of it (the recording's bytes; `truth` gets the true range of each
// entry of `rows`, hundredths) and reports how many ranges lie within 60 ms
// of the true ones at both ends; any other must be listed as unsure.
using Recorder =
    std::function<QByteArray(const SampleBook& book, const QString& voice,
                             const std::vector<size_t>& rows, std::vector<ClipTime>& truth)>;
void importVoices(const char* goal, const Recorder& record)
{
    QTemporaryDir temp;
    int within = 0, listed = 0;
    std::vector<Result> results;
    for (SampleBook& book : sampleBooks(temp.path())) {
        std::map<QString, std::vector<size_t>> voices;
        for (size_t i = 0; i < book.Source.Entries.size(); ++i)
            voices[book.Source.Entries[i].Voice].push_back(i);
        for (const auto& [voice, rows] : voices) {
            std::vector<ClipTime> truth;
            const QString recording = temp.path() + u'/' + voice + QStringLiteral("-track.wav");
            QFile file(recording);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(record(book, voice, rows, truth));
            file.close();
            book.Source.Recordings[voice] = {recording, 1};
            const ImportedVoice imported = ImportVoice(book.Source, voice, rows, aligner());
            std::set<size_t> unsure;
            for (const UnsureEntry& u : imported.Unsure)
                unsure.insert(u.Entry);
            for (size_t k = 0; k < rows.size(); ++k) {
                const QString text = book.Source.Entries[rows[k]].spokenText();
                if (!imported.Times[k]) {
                    results.push_back(
                        {-1e9, QStringLiteral("%1 “%2”: not found").arg(voice, text)});
                    continue;
                }
                const ClipTime found = *imported.Times[k];
                const int startError = 10 * std::abs(found.Start - truth[k].Start);
                const int endError = 10 * std::abs(found.End - truth[k].End);
                const bool near = startError <= 60 && endError <= 60;
                within += near;
                listed += unsure.count(rows[k]) > 0;
                // A range far from its entry that the import did not list as
                // unsure plays wrong words without a word of warning.
                EXPECT_TRUE(near || unsure.count(rows[k]))
                    << qPrintable(voice) << " “" << qPrintable(text) << "”: off by " << startError
                    << " and " << endError << " ms, not listed as unsure";
                results.push_back({-double(std::max(startError, endError)),
                                   QStringLiteral("%1 “%2”: start off by %3 ms, end by %4 ms%5")
                                       .arg(voice, text)
                                       .arg(startError)
                                       .arg(endError)
                                       .arg(unsure.count(rows[k]) ? " (unsure)" : "")});
            }
        }
    }
    std::printf("%d entries listed as unsure\n", listed);
    report(goal, results, within, 90);
}

// The true range of table row `row`, hundredths.
ClipTime trueRange(const SampleBook& book, size_t row)
{
    const SentenceTable& t = book.Made.Content.Sentences;
    return {hundredths(t.StartTime[int(row)]), hundredths(t.EndTime[int(row)])};
}

TEST(ImportQuality, JoinedVoicesGiveRangesWithin60MsAtBothEnds)
{
    // Each voice file as it is: its entries joined, as a CD track holds them.
    importVoices("ranges within 60 ms at both ends",
                 [](const SampleBook& book, const QString& voice, const std::vector<size_t>& rows,
                    std::vector<ClipTime>& truth) {
                     for (size_t row : rows)
                         truth.push_back(trueRange(book, row));
                     return UnpackFile(book.Folder + u'/' + voice + QStringLiteral(".wav"));
                 });
}

// A harder recording than the maker's: the entries cut out at their true
// ranges and joined again with uneven pauses (0.15 to 0.9 s, some shorter
// than the pauses inside sentences) over a noise floor 50 dB down, as a
// studio recording read by a person would be.
TEST(ImportQuality, VoicesWithUnevenPausesAndNoiseGiveRangesWithin60Ms)
{
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return double(seed >> 8) / double(1 << 24); // 0..1
    };
    importVoices(
        "uneven pauses and noise: ranges within 60 ms at both ends",
        [&](const SampleBook& book, const QString& voice, const std::vector<size_t>& rows,
            std::vector<ClipTime>& truth) {
            const MonoSound made =
                ReadWav(UnpackFile(book.Folder + u'/' + voice + QStringLiteral(".wav")), voice);
            const int rate = made.SampleRate;
            MonoSound joined{rate, {}};
            for (size_t k = 0; k < rows.size(); ++k) {
                const ClipTime range = trueRange(book, rows[k]);
                const int pause = k == 0 ? 40 : 15 + int(next() * 75); // hundredths
                const int start = int(joined.Samples.size() * 100 / rate) + pause;
                joined.Samples.resize(size_t(int64_t(start) * rate / 100), 0);
                joined.Samples.insert(joined.Samples.end(),
                                      made.Samples.begin() + int64_t(range.Start) * rate / 100,
                                      made.Samples.begin() + int64_t(range.End) * rate / 100);
                truth.push_back({start, start + range.End - range.Start});
            }
            joined.Samples.resize(joined.Samples.size() + size_t(rate / 2), 0);
            for (int16_t& s : joined.Samples)
                s = int16_t(std::clamp(s + int(std::lround((next() - 0.5) * 200)), -32768, 32767));
            return WriteWav(joined);
        });
}

int main(int argc, char** argv)
{
    // Pages are drawn and read with QtGui.
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
