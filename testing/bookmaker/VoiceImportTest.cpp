// Finding entries in a recording: the pause finder on known tones and
// silences (a short burst beside a tone kept, a lone click dropped), the
// fitting of runs to entries (a stretch split at an inner pause, two runs
// joined), and the import through the book writer (a time by hand wins; a
// recording with one entry too few is refused, naming the line).

#include "bookmaker/VoiceImport.h"
#include "base/BookError.h"
#include "book/PackedFile.h"
#include "bookmaker/BookSource.h"
#include "bookmaker/BookWriter.h"
#include "support/Wav.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <sndfile.h>

using namespace zarelo;
using namespace zarelo::bookmaker;

namespace {

constexpr int kRate = 16000;

// Appends `seconds` of a sine (hz 0: silence) to `frames`.
void append(std::vector<float>& frames, double seconds, double hz, float amplitude = 0.5f)
{
    const auto n = static_cast<size_t>(std::lround(seconds * kRate));
    for (size_t i = 0; i < n; ++i)
        frames.push_back(
            hz ? amplitude * float(std::sin(2 * std::numbers::pi * hz * double(i) / kRate)) : 0);
}

int64_t frameAt(double seconds)
{
    return std::llround(seconds * kRate);
}

// Runs of the given lengths (seconds), one after another with the given pauses.
std::vector<SoundRun> runsOf(const std::vector<double>& lengths, const std::vector<double>& pauses)
{
    std::vector<SoundRun> runs;
    double at = 0.5;
    for (size_t i = 0; i < lengths.size(); ++i) {
        runs.push_back({frameAt(at), frameAt(at + lengths[i])});
        at += lengths[i] + (i < pauses.size() ? pauses[i] : 0);
    }
    return runs;
}

// Start and end of each range, hundredths.
std::vector<std::pair<int, int>> ranges(const std::vector<ClipTime>& times)
{
    std::vector<std::pair<int, int>> out;
    for (const ClipTime& t : times)
        out.push_back({t.Start, t.End});
    return out;
}

// A recording of three entries: tones of 0.5, 1.0 and 0.5 s apart by 0.6 s
// pauses, from 0.4 s, and 0.5 s of silence after them.
std::vector<float> threeTones()
{
    std::vector<float> frames;
    for (double length : {0.5, 1.0, 0.5}) {
        append(frames, frames.empty() ? 0.4 : 0.6, 0);
        append(frames, length, 440);
    }
    append(frames, 0.5, 0);
    return frames;
}

// `frames` written by libsndfile in `format` (FLAC, Ogg Vorbis, MP3) to `path`.
bool writeEncoded(const QString& path, int format, const std::vector<float>& frames)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = format;
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const sf_count_t written = sf_writef_float(file, frames.data(), sf_count_t(frames.size()));
    sf_close(file);
    return written == sf_count_t(frames.size());
}

} // namespace

TEST(PauseFinder, FindsTheTonesBetweenSilences)
{
    std::vector<float> frames;
    append(frames, 0.30, 0);
    append(frames, 0.50, 440); // 0.30 .. 0.80
    append(frames, 0.40, 0);
    append(frames, 0.20, 660); // 1.20 .. 1.40, then a 20 ms dip that stays inside
    append(frames, 0.02, 0);
    append(frames, 0.30, 660); // .. 1.72
    append(frames, 0.50, 0);
    append(frames, 0.01, 1000); // a 10 ms click at 2.22: not speech
    append(frames, 0.50, 0);
    append(frames, 0.25, 220, 0.05f); // a soft tone at 2.73 .. 2.98, 20 dB down
    append(frames, 0.30, 0);
    // A noise floor 60 dB down changes nothing.
    uint32_t seed = 1;
    for (float& f : frames) {
        seed = seed * 1664525u + 1013904223u;
        f += 0.0005f * (float(seed >> 8) / float(1 << 24) - 0.5f);
    }

    const std::vector<SoundRun> runs = FindSoundRuns(frames, kRate);
    ASSERT_EQ(runs.size(), 3u);
    const double truth[3][2] = {{0.30, 0.80}, {1.20, 1.72}, {2.73, 2.98}};
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(double(runs[k].Begin) / kRate, truth[k][0], 0.002) << "run " << k;
        EXPECT_NEAR(double(runs[k].End) / kRate, truth[k][1], 0.002) << "run " << k;
    }
}

TEST(PauseFinder, KeepsAShortBurstNearSpeechAndDropsALoneClick)
{
    // A word ending in a stop: its release, 15 ms, comes 40 ms after the
    // vowel; another word starts with one 50 ms before its vowel. A 15 ms
    // click 1 s from any sound is no speech.
    std::vector<float> frames;
    append(frames, 0.30, 0);
    append(frames, 0.40, 440); // 0.30 .. 0.70
    append(frames, 0.04, 0);
    append(frames, 0.015, 1000); // 0.74 .. 0.755
    append(frames, 1.00, 0);
    append(frames, 0.015, 1000); // 1.755 .. 1.77: the click
    append(frames, 1.00, 0);
    append(frames, 0.015, 1000); // 2.77 .. 2.785
    append(frames, 0.05, 0);
    append(frames, 0.40, 660); // 2.835 .. 3.235
    append(frames, 0.30, 0);

    const std::vector<SoundRun> runs = FindSoundRuns(frames, kRate);
    ASSERT_EQ(runs.size(), 2u);
    const double truth[2][2] = {{0.30, 0.755}, {2.77, 3.235}};
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_NEAR(double(runs[k].Begin) / kRate, truth[k][0], 0.002) << "run " << k;
        EXPECT_NEAR(double(runs[k].End) / kRate, truth[k][1], 0.002) << "run " << k;
    }
}

TEST(FitRuns, SplitsAtAShortPauseAndJoinsAcrossALongerOneWhenTheLengthsSaySo)
{
    // Entries of 1, 1, 2 and 1 s. The second and third are spoken with only
    // 80 ms between them; the third holds a 150 ms pause of its own. Ending
    // entries at the three longest pauses would give lengths 1, 2.08, 1, 1.
    const std::vector<SoundRun> runs = runsOf({1.0, 1.0, 1.0, 1.0, 1.0}, {0.6, 0.08, 0.15, 0.6});
    const FittedVoice fitted = FitRuns(runs, {10, 10, 20, 10}, kRate, 0, frameAt(8));
    EXPECT_TRUE(fitted.Why.isEmpty()) << fitted.Why.toStdString();
    // Each range 30 ms before its first sound to 60 ms after its last, but
    // never past the middle of a pause to a neighbour: B ends in the middle of
    // the 80 ms before C.
    EXPECT_EQ(ranges(fitted.Times),
              (std::vector<std::pair<int, int>>{{47, 156}, {207, 314}, {315, 539}, {590, 699}}));

    // With lengths that fit the long pauses, they win.
    const FittedVoice plain = FitRuns(runs, {10, 20, 10, 10}, kRate, 0, frameAt(8));
    ASSERT_EQ(plain.Times.size(), 4u);
    EXPECT_EQ(plain.Times[1].End, 424); // B and the first half of C: 2.1 .. 4.18
    EXPECT_EQ(plain.Times[2].Start, 430);

    // Fewer runs than entries: the entry left without sound is named.
    const FittedVoice tooFew = FitRuns(runsOf({1, 1}, {0.6}), {10, 10, 10}, kRate, 0, frameAt(4));
    EXPECT_TRUE(tooFew.Times.empty());
    EXPECT_EQ(tooFew.Failed, 2);
}

TEST(ImportVoice, HandTimesWinAndARecordingWithOneEntryTooFewIsRefused)
{
    QTemporaryDir dir;
    const std::vector<float> frames = threeTones();
    std::vector<int16_t> samples;
    for (float f : frames)
        samples.push_back(int16_t(std::lround(f * 32767)));
    QFile wav(dir.path() + "/track.wav");
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write(fakes::WavBytes(kRate, 1, samples));
    wav.close();

    const QByteArray head = "publisher P\nbook B\nheading Lesson 1 | One\nvoice V from track.wav\n"
                            "page 1\nsent Good morning. | 早上好。\n";
    const QString sourceFile = dir.path() + "/b.txt";
    BookSource book = ParseBookSource(head + "sent Nice to meet you, Lily. | 很高兴见到你。\n"
                                             "sent Goodbye! | 再见！ | boy Tom | time 3.05-3.65\n",
                                      sourceFile);
    const ImportedVoice imported = ImportVoice(book, "V", {0, 1, 2});
    EXPECT_EQ(ranges(imported.Times),
              (std::vector<std::pair<int, int>>{{37, 96}, {147, 256}, {305, 365}}));
    EXPECT_EQ(imported.Bytes.size(), QFile(wav.fileName()).size()) << "the recording is kept as is";

    // Four entries for three spoken parts: refused with the line of the entry
    // that found no sound, and no book folder is left behind.
    const BookSource tooMany = ParseBookSource(head + "sent Nice to meet you. | 很高兴见到你。\n"
                                                      "sent Goodbye! | 再见！\n"
                                                      "sent See you. | 再见。\n",
                                               sourceFile);
    const QString program = dir.path() + "/program";
    try {
        WriteBook(tooMany, program, SpeechOptions{});
        ADD_FAILURE() << "a recording with one entry too few was accepted";
    } catch (const BookError& e) {
        EXPECT_TRUE(e.message().startsWith(sourceFile + " line 9: voice V from "))
            << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("“See you.”")) << e.message().toStdString();
    }
    EXPECT_FALSE(QDir(program + "/P").exists());
}

TEST(ImportVoice, FlacOggAndMp3RecordingsGiveTheRangesOfTheirWav)
{
    QTemporaryDir dir;
    const std::vector<float> frames = threeTones();
    const QByteArray source =
        "publisher P\nbook B\nheading Lesson 1 | One\nvoice V from track\n"
        "page 1\nsent Good morning. | 早上好。\n"
        "sent Nice to meet you, Lily. | 很高兴见到你。\nsent Goodbye! | 再见！\n";
    const std::vector<std::pair<int, int>> expected{{37, 96}, {147, 256}, {307, 366}};
    // Lossy coding smears the edges of a tone by some milliseconds (Vorbis's
    // pre-echo the most); MP3 is decoded gapless, so nothing is shifted.
    const struct {
        const char* name;
        int format;
        int tolerance; // hundredths
    } kinds[] = {{"FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0},
                 {"Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 3},
                 {"MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 1}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        ASSERT_TRUE(writeEncoded(dir.path() + "/track", kind.format, frames));
        const BookSource book = ParseBookSource(source, dir.path() + "/b.txt");
        const ImportedVoice imported = ImportVoice(book, "V", {0, 1, 2});
        const std::vector<std::pair<int, int>> found = ranges(imported.Times);
        ASSERT_EQ(found.size(), expected.size());
        for (size_t k = 0; k < found.size(); ++k) {
            EXPECT_NEAR(found[k].first, expected[k].first, kind.tolerance) << k;
            EXPECT_NEAR(found[k].second, expected[k].second, kind.tolerance) << k;
        }
    }
}
