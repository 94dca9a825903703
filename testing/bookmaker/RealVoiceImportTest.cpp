// The import of a recording on a real person's voice: each track of
// RealVoices.h is written with its book source into a temporary folder and
// imported as the maker imports it; every entry's range is judged against the
// true span of its speech, and the shares are printed per track. No range may
// hold wrong words unless the import reports the entry, and on every track
// but the one under loud hiss nearly all entries must be placed.

#include "RealVoices.h"
#include "audio/SoundFile.h"
#include "base/BookError.h"
#include "bookmaker/BookSource.h"
#include "bookmaker/VoiceImport.h"
#include "speech/SphinxAligner.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <numeric>

using namespace zarelo;
using namespace zarelo::bookmaker;
using namespace zarelo::makertest;

namespace {

speech::SphinxAligner& aligner()
{
    static const speech::SpeechModel model = speech::SpeechModel::Installed({});
    static speech::SphinxAligner shared(model, speech::LoadLexicon(model));
    return shared;
}

// The track imported as the maker imports `voice V from FILE`: a range per
// entry, none for an entry reported missing or unsure.
ImportOutcome importByWords(const RealTrack& track)
{
    QTemporaryDir dir;
    const BookSource book = LoadBookSource(WriteRealBook(track, dir.path()));
    std::vector<size_t> entries(book.Entries.size());
    std::iota(entries.begin(), entries.end(), size_t(0));
    ImportOutcome outcome;
    const ImportedVoice imported = ImportVoice(book, "V", entries, aligner());
    outcome.Ranges = imported.Times;
    QStringList messages = imported.Missing;
    for (const UnsureEntry& u : imported.Unsure) {
        outcome.Ranges[u.Entry] = std::nullopt;
        messages << u.Text;
    }
    outcome.Message = messages.join(u'\n');
    return outcome;
}

double rmsOf(const std::vector<int16_t>& samples, int64_t begin, int64_t end)
{
    double power = 0;
    for (int64_t i = begin; i < end; ++i)
        power += double(samples[size_t(i)]) * samples[size_t(i)];
    return std::sqrt(power / double(std::max<int64_t>(1, end - begin)));
}

double peakOf(const std::vector<int16_t>& samples, int64_t begin, int64_t end)
{
    int peak = 0;
    for (int64_t i = begin; i < end; ++i)
        peak = std::max(peak, std::abs(int(samples[size_t(i)])));
    return peak;
}

} // namespace

TEST(RealVoices, EveryTrackHoldsTheSpeechWhereItsTruthSays)
{
    const size_t n = RealBookEntries().size();
    for (TrackCase c : AllTrackCases()) {
        SCOPED_TRACE(TrackCaseName(c).toStdString());
        const RealTrack track = MakeRealTrack(c);
        ASSERT_EQ(track.Truth.size(), n);
        // Entries in book order, inside the track, never overlapping.
        int64_t previous = 0;
        double speech = 0;
        size_t readings = 0;
        for (size_t e = 0; e < n; ++e) {
            const size_t expected = c == TrackCase::EntryLeftOut && e == 5     ? 0
                                    : c == TrackCase::EntryReadTwice && e == 2 ? 2
                                                                               : 1;
            ASSERT_EQ(track.Truth[e].size(), expected) << "entry " << e;
            for (const SpeechSpan& s : track.Truth[e]) {
                EXPECT_GT(s.Begin, previous) << "entry " << e;
                EXPECT_GT(s.End - s.Begin, track.Rate / 3) << "entry " << e;
                previous = s.End;
                // Where the track is clean around the entry: its first and
                // last 10 ms hold sound (-50 dB of its peak), the 50 ms
                // before and after it none above -34 dB.
                const bool clean = c == TrackCase::EvenPauses || c == TrackCase::UnevenPauses ||
                                   c == TrackCase::EntryLeftOut || c == TrackCase::EntryReadTwice;
                const double level = peakOf(track.Samples, s.Begin, s.End);
                const int64_t ms = track.Rate / 1000;
                if (clean) {
                    EXPECT_GT(peakOf(track.Samples, s.Begin, s.Begin + 10 * ms), level / 300) << e;
                    EXPECT_GT(peakOf(track.Samples, s.End - 10 * ms, s.End), level / 300) << e;
                    EXPECT_LT(peakOf(track.Samples, s.Begin - 50 * ms, s.Begin), level / 50) << e;
                    EXPECT_LT(peakOf(track.Samples, s.End, s.End + 50 * ms), level / 50) << e;
                }
                speech += rmsOf(track.Samples, s.Begin, s.End);
                ++readings;
            }
        }
        EXPECT_LT(previous, int64_t(track.Samples.size()) - track.Rate / 2);
        speech /= double(readings);
        // The first 0.4 s: room tone 60 dB below the speech, or the hiss at
        // its level; the music is about as loud as the speech.
        const double quiet = rmsOf(track.Samples, 0, track.Rate * 4 / 10);
        const double below = 20 * std::log10(speech / quiet);
        if (c == TrackCase::Hiss40) {
            EXPECT_NEAR(below, 40, 3);
        } else if (c == TrackCase::Hiss30) {
            EXPECT_NEAR(below, 30, 3);
        } else {
            EXPECT_GT(below, 50);
        }
        if (c == TrackCase::InstructionAndMusic) {
            const double music = rmsOf(track.Samples, track.Rate, 3 * track.Rate);
            EXPECT_NEAR(20 * std::log10(speech / music), 6, 4);
        }

        // The file decodes to the track as recorded, MP3 without a shift.
        const std::optional<MonoRecording> decoded = DecodeRecording(track.Bytes);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->Rate, track.Rate);
        ASSERT_EQ(decoded->Frames.size(), track.Samples.size());
        if (c == TrackCase::Mp3) {
            // Correlated at lag 0 better than 2 ms early or late.
            const auto match = [&](int lag) {
                double sum = 0;
                for (size_t i = 100; i + 100 < track.Samples.size(); ++i)
                    sum += decoded->Frames[i] * track.Samples[size_t(int64_t(i) + lag)];
                return sum;
            };
            EXPECT_GT(match(0), match(track.Rate / 500));
            EXPECT_GT(match(0), match(-track.Rate / 500));
        }
    }
}

TEST(RealVoices, JudgesARangeByTheSpeechItHolds)
{
    RealTrack track;
    track.Rate = 8000;
    // Speech from 1.0 s to 2.0 s; a second entry read twice; a third left out.
    track.Truth = {{{8000, 16000}}, {{24000, 30000}, {40000, 46000}}, {}};
    const auto verdict = [&](std::optional<ClipTime> first, std::optional<ClipTime> second = {},
                             std::optional<ClipTime> third = {}) {
        return JudgeImport(track, {{first, second, third}, {}});
    };
    using V = Verdict;
    // At most 40 ms early and not late at the start; not early and at most
    // 70 ms late at the end.
    EXPECT_EQ(verdict(ClipTime{96, 207})[0], V::Right);
    EXPECT_EQ(verdict(ClipTime{100, 200})[0], V::Right);
    EXPECT_EQ(verdict(ClipTime{95, 200})[0], V::Wrong);
    EXPECT_EQ(verdict(ClipTime{101, 200})[0], V::Wrong);
    EXPECT_EQ(verdict(ClipTime{100, 199})[0], V::Wrong);
    EXPECT_EQ(verdict(ClipTime{100, 208})[0], V::Wrong);
    // Either reading of an entry read twice; not a range over both.
    EXPECT_EQ(verdict({}, ClipTime{299, 376})[1], V::Right);
    EXPECT_EQ(verdict({}, ClipTime{497, 576})[1], V::Right);
    EXPECT_EQ(verdict({}, ClipTime{297, 576})[1], V::Wrong);
    // No range is reported; a range for an entry left out is wrong.
    EXPECT_EQ(verdict({}, {}, {}), (std::vector<V>{V::Reported, V::Reported, V::Reported}));
    EXPECT_EQ(verdict({}, {}, ClipTime{600, 700})[2], V::Wrong);
    // An import that gives fewer ranges than entries is wrong for the rest.
    EXPECT_EQ(JudgeImport(track, {{ClipTime{100, 200}}, {}}),
              (std::vector<V>{V::Right, V::Wrong, V::Wrong}));
}

TEST(RealVoices, WordImportGivesNoEntryWrongWordsOnAnyTrack)
{
    for (TrackCase c : AllTrackCases()) {
        SCOPED_TRACE(TrackCaseName(c).toStdString());
        const RealTrack track = MakeRealTrack(c);
        const ImportOutcome outcome = importByWords(track);
        ASSERT_EQ(outcome.Ranges.size(), RealBookEntries().size());
        const std::vector<Verdict> verdicts = JudgeImport(track, outcome);
        std::printf("%s", qPrintable(DescribeImport(track, outcome, verdicts)));
        const auto right = std::count(verdicts.begin(), verdicts.end(), Verdict::Right);
        // Each range holds its own entry's speech, or the import says it is
        // unsure of it or cannot find it.
        EXPECT_EQ(std::count(verdicts.begin(), verdicts.end(), Verdict::Wrong), 0);
        switch (c) {
        case TrackCase::Hiss30:
            // Hiss hides soft consonants: every range is listed to listen to.
            break;
        case TrackCase::EntryLeftOut:
            // The entry left out is named with its line and text, and the
            // entries after it are still found.
            EXPECT_TRUE(outcome.Message.contains(
                QRegularExpression("book.txt line 13: voice V from \\S*track.wav: “Saturday” is "
                                   "not in the recording")))
                << outcome.Message.toStdString();
            EXPECT_FALSE(outcome.Ranges[5]);
            EXPECT_GE(std::count(verdicts.begin() + 6, verdicts.end(), Verdict::Right), 5);
            break;
        default:
            // Titles, music, a repeat, close entries: the entries are found.
            EXPECT_GE(right, 10);
        }
    }
}

int main(int argc, char** argv)
{
    // lame runs through QProcess.
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
