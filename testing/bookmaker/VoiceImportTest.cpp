// Finding entries in a recording: the pause finder on known tones and
// silences (a short burst beside a tone kept, a lone click dropped), the
// placing of ranges around heard words on made-up runs and under hiss, and
// the import by words of espeak-ng readings with a title before the entries
// (an entry left out named by line, a time by hand winning, an unsure entry
// listed for `check`, compressed recordings giving the ranges of the WAV).

#include "bookmaker/VoiceImport.h"
#include "base/BookError.h"
#include "book/PackedFile.h"
#include "bookmaker/BookCheck.h"
#include "bookmaker/BookSource.h"
#include "bookmaker/BookWriter.h"
#include "speech/SphinxAligner.h"
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

// A heard entry over [begin, end) seconds: `found` of `words` words, the
// last `unheardLast` of them not heard.
HeardEntry heard(double begin, double end, int words = 1, int found = 1, int unheardLast = 0)
{
    HeardEntry h{frameAt(begin), frameAt(end), words, found, 0.9};
    h.UnheardLast = unheardLast;
    return h;
}

std::pair<int, int> range(const PlacedEntry& p)
{
    return {p.Time.Start, p.Time.End};
}

speech::SphinxAligner& aligner()
{
    static const speech::SpeechModel model = speech::SpeechModel::Installed({});
    static speech::SphinxAligner shared(model, speech::LoadLexicon(model));
    return shared;
}

// A recording made of espeak-ng readings: `texts` spoken in turn after
// `lead` s of silence, `pause` s apart, 0.5 s of silence after; `spans` gets
// each reading's clip in hundredths (20 ms before its speech to 60 ms after).
std::vector<float> spoken(const QStringList& texts, double lead, double pause,
                          std::vector<ClipTime>* spans = nullptr)
{
    const std::vector<MonoSound> clips = SpeakAll(texts, SpeechOptions{});
    std::vector<float> frames(size_t(frameAt(lead)), 0.0f);
    for (const MonoSound& clip : clips) {
        EXPECT_EQ(clip.SampleRate, 22050) << "espeak-ng speaks at 22050 Hz";
        // Resampled by picking: the test only needs speech at kRate.
        const int64_t begin = int64_t(frames.size());
        for (int64_t i = 0; i * clip.SampleRate / kRate < int64_t(clip.Samples.size()); ++i)
            frames.push_back(clip.Samples[size_t(i * clip.SampleRate / kRate)] / 32768.0f);
        if (spans)
            spans->push_back({int(begin * 100 / kRate), int(int64_t(frames.size()) * 100 / kRate)});
        frames.resize(frames.size() + size_t(frameAt(pause)), 0.0f);
    }
    frames.resize(frames.size() + size_t(frameAt(0.5 - pause)), 0.0f);
    return frames;
}

QByteArray wavOf(const std::vector<float>& frames)
{
    std::vector<int16_t> samples;
    for (float f : frames)
        samples.push_back(int16_t(std::lround(f * 32767)));
    return fakes::WavBytes(kRate, 1, samples);
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

    const std::vector<SoundRun> runs = MapSound(frames, kRate).Runs;
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

    const std::vector<SoundRun> runs = MapSound(frames, kRate).Runs;
    ASSERT_EQ(runs.size(), 2u);
    const double truth[2][2] = {{0.30, 0.755}, {2.77, 3.235}};
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_NEAR(double(runs[k].Begin) / kRate, truth[k][0], 0.002) << "run " << k;
        EXPECT_NEAR(double(runs[k].End) / kRate, truth[k][1], 0.002) << "run " << k;
    }
}

TEST(PlaceEntries, TakesTheEdgesOfTheSoundAroundTheHeardWords)
{
    const std::vector<SoundRun> runs = {
        {frameAt(1.00), frameAt(1.50)},                                 // A
        {frameAt(2.50), frameAt(2.90)}, {frameAt(2.98), frameAt(3.06)}, // B and a release
        {frameAt(4.00), frameAt(4.60)}, {frameAt(4.75), frameAt(5.10)}, // C, its last word
        {frameAt(5.40), frameAt(6.50)}, // music running into E's words
    };
    SoundMap sound;
    sound.Rate = kRate;
    sound.Runs = runs;
    std::vector<HeardEntry> words = {heard(1.02, 1.48), heard(2.52, 2.90),
                                     heard(4.01, 4.58, 3, 2, 1), heard(0, 0, 2, 0),
                                     heard(6.00, 6.50)};
    words[0].Confidence = 0.95;
    const std::vector<PlacedEntry> placed = PlaceEntries(words, sound, 0, frameAt(7));

    // 30 ms before the first sound, 50 ms after the last (60 with the
    // hundredth rounded up to); the release after B's words stays in.
    EXPECT_EQ(placed[0].How, Placement::Sure);
    EXPECT_EQ(range(placed[0]), std::make_pair(97, 155));
    EXPECT_EQ(placed[1].How, Placement::Sure) << placed[1].Why.toStdString();
    EXPECT_EQ(range(placed[1]), std::make_pair(247, 311));
    // C's last word was not heard: the sound right after its words is taken
    // for it, and the entry is listed.
    EXPECT_EQ(placed[2].How, Placement::Unsure);
    EXPECT_EQ(range(placed[2]), std::make_pair(397, 515));
    EXPECT_TRUE(placed[2].Why.contains("only 2 of its 3 words were heard"));
    // Not one word of D heard: it is not in the recording.
    EXPECT_EQ(placed[3].How, Placement::Missing);
    // The sound under E's first word began 0.6 s earlier: the start is the
    // words', and unsure.
    EXPECT_EQ(placed[4].How, Placement::Unsure);
    EXPECT_EQ(placed[4].Time.Start, 597);
    EXPECT_TRUE(placed[4].Why.contains("its start does not lie where a sound starts"));

    // A weak match is unsure, however well its edges fit.
    words[0].Confidence = 0.2;
    EXPECT_EQ(PlaceEntries(words, sound, 0, frameAt(7))[0].How, Placement::Unsure);
}

TEST(PlaceEntries, UnderHissTheSoftStartOfAWordIsKept)
{
    // Hiss 30 dB below a tone; before the tone 120 ms of a fricative's hiss,
    // twice as loud as the noise: below the runs' threshold, but its slope
    // stands out.
    std::vector<float> frames;
    append(frames, 1.00, 0);
    const int64_t fricative = int64_t(frames.size());
    uint32_t seed = 7;
    const auto noise = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return float(seed >> 8) / float(1 << 24) - 0.5f;
    };
    for (int64_t i = 0; i < frameAt(0.12); ++i)
        frames.push_back(0.032f * noise());
    append(frames, 0.50, 440);
    append(frames, 1.00, 0);
    for (float& f : frames)
        f += 0.016f * noise();

    const SoundMap sound = MapSound(frames, kRate);
    ASSERT_FALSE(sound.Runs.empty());
    EXPECT_GT(sound.Runs.front().Begin, fricative + frameAt(0.1)) << "the runs miss the hiss";
    const std::vector<PlacedEntry> placed =
        PlaceEntries({heard(1.12, 1.62)}, sound, 0, int64_t(frames.size()));
    EXPECT_NEAR(placed[0].Time.Start, fricative * 100 / kRate, 2);
    // Noise this loud may hide what the slope cannot find either.
    EXPECT_EQ(placed[0].How, Placement::Unsure);
    EXPECT_TRUE(placed[0].Why.contains("noise")) << placed[0].Why.toStdString();
}

TEST(ImportVoice, FindsEntriesByTheirWordsPastATitleAndNamesOneLeftOut)
{
    QTemporaryDir dir;
    std::vector<ClipTime> spans;
    const std::vector<float> frames =
        spoken({"Unit one. Listen and repeat.", "Good morning.", "Nice to meet you.", "Goodbye!"},
               0.4, 0.8, &spans);
    QFile wav(dir.path() + "/track.wav");
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write(wavOf(frames));
    wav.close();
    const QByteArray head = "publisher P\nbook B\nheading Lesson 1 | One\nvoice V from track.wav\n"
                            "page 1\nsent Good morning. | 早上好。\n";
    const QString sourceFile = dir.path() + "/b.txt";

    // The title is passed over; the last entry's time is given by hand.
    const QString hand = QStringLiteral("%1-%2")
                             .arg(spans[3].Start / 100.0, 0, 'f', 2)
                             .arg(spans[3].End / 100.0, 0, 'f', 2);
    const BookSource book = ParseBookSource(head +
                                                "sent Nice to meet you. | 很高兴见到你。\n"
                                                "sent Goodbye! | 再见！ | time " +
                                                hand.toUtf8() + "\n",
                                            sourceFile);
    const ImportedVoice imported = ImportVoice(book, "V", {0, 1, 2}, aligner());
    EXPECT_TRUE(imported.Missing.isEmpty()) << imported.Missing.join("\n").toStdString();
    for (size_t k = 0; k < 2; ++k) {
        ASSERT_TRUE(imported.Times[k]) << k;
        // The clip holds 20 ms before the speech and 60 ms after it; the
        // range 30 ms before and 50-60 ms after.
        EXPECT_NEAR(imported.Times[k]->Start, spans[k + 1].Start - 1, 2) << k;
        EXPECT_NEAR(imported.Times[k]->End, spans[k + 1].End, 2) << k;
    }
    ASSERT_TRUE(imported.Times[2]);
    EXPECT_EQ(imported.Times[2]->Start, spans[3].Start);
    EXPECT_EQ(imported.Times[2]->End, spans[3].End);
    EXPECT_EQ(imported.Bytes.size(), QFile(wav.fileName()).size()) << "the recording is kept as is";

    // An entry the recording lacks, between two it holds: named with its line
    // and text while the others are found (the next one starts with the same
    // word), and no book folder is left behind.
    const BookSource lacking = ParseBookSource(head + "sent Good evening. | 晚上好。\n"
                                                      "sent Good afternoon. | 下午好。\n"
                                                      "sent Goodbye! | 再见！\n",
                                               sourceFile);
    const ImportedVoice partial = ImportVoice(lacking, "V", {0, 1, 2, 3}, aligner());
    EXPECT_FALSE(partial.Times[1]);
    for (size_t k : {0, 2, 3})
        ASSERT_TRUE(partial.Times[k]) << k;
    // Each range holds its entry's reading, or the entry is listed as unsure.
    for (size_t k : {0, 2, 3}) {
        const ClipTime& span = spans[k == 0 ? 1 : k];
        const bool right = std::abs(partial.Times[k]->Start - (span.Start - 1)) <= 2 &&
                           std::abs(partial.Times[k]->End - span.End) <= 2;
        const bool listed = std::any_of(partial.Unsure.begin(), partial.Unsure.end(),
                                        [&](const UnsureEntry& u) { return u.Entry == k; });
        EXPECT_TRUE(right || listed) << k;
    }
    const QString program = dir.path() + "/program";
    try {
        WriteBook(lacking, program, SpeechOptions{});
        ADD_FAILURE() << "a recording without an entry was accepted";
    } catch (const BookError& e) {
        EXPECT_EQ(e.message(), sourceFile + " line 7: voice V from " + dir.path() +
                                   "/track.wav: “Good evening.” is not in the recording");
    }
    EXPECT_FALSE(QDir(program + "/P").exists());

    // A time by hand up to the recording's last hundredth leaves nothing in
    // which to seek the entry after it.
    const int last = int((int64_t(frames.size()) * 100 + kRate - 1) / kRate);
    const BookSource crowded =
        ParseBookSource(head + "sent Good afternoon. | 下午好。 | time 5.00-" +
                            QByteArray::number(last / 100.0, 'f', 2) + "\nsent Goodbye! | 再见！\n",
                        sourceFile);
    const ImportedVoice none = ImportVoice(crowded, "V", {0, 1, 2}, aligner());
    EXPECT_FALSE(none.Times[2]);
    EXPECT_EQ(none.Missing.size(), 1);
}

TEST(ImportVoice, AnEntryOnlyPartlyHeardIsListedForCheck)
{
    QTemporaryDir dir;
    QFile wav(dir.path() + "/track.wav");
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write(wavOf(spoken({"Good morning.", "Goodbye!"}, 0.4, 0.8)));
    wav.close();
    // The book says more than the recording does.
    const BookSource book = ParseBookSource(
        "publisher P\nbook B\nheading Lesson 1 | One\nvoice V from track.wav\npage 1\n"
        "sent Good morning, Miss Zhang. | 早上好，张老师。\nsent Goodbye! | 再见！\n",
        dir.path() + "/b.txt");
    const WrittenBook written = WriteBook(book, dir.path() + "/program", SpeechOptions{});
    ASSERT_EQ(written.Unsure.size(), 1) << written.Unsure.join("\n").toStdString();
    EXPECT_TRUE(written.Unsure[0].startsWith(dir.path() + "/b.txt line 6: voice V "));
    EXPECT_TRUE(written.Unsure[0].contains("“Good morning, Miss Zhang.”: only 2 of its 4 words"));

    // Remembered beside the book and listed by the check, as a note.
    bool listed = false;
    for (const Finding& f : CheckBookFolder(written.Folder)) {
        EXPECT_TRUE(f.Note) << f.Text.toStdString();
        listed = listed || (f.File == kUnsureRangesName && f.Text.contains(written.Unsure[0]));
    }
    EXPECT_TRUE(listed);
}

TEST(ImportVoice, FlacOggAndMp3RecordingsGiveTheRangesOfTheirWav)
{
    QTemporaryDir dir;
    const std::vector<float> frames =
        spoken({"Good morning.", "Nice to meet you, Lily.", "Goodbye!"}, 0.4, 0.7);
    const QByteArray source =
        "publisher P\nbook B\nheading Lesson 1 | One\nvoice V from track\n"
        "page 1\nsent Good morning. | 早上好。\n"
        "sent Nice to meet you, Lily. | 很高兴见到你。\nsent Goodbye! | 再见！\n";
    const auto rangesOf = [&](int format) {
        EXPECT_TRUE(writeEncoded(dir.path() + "/track", format, frames));
        const BookSource book = ParseBookSource(source, dir.path() + "/b.txt");
        std::vector<std::pair<int, int>> found;
        for (const auto& t : ImportVoice(book, "V", {0, 1, 2}, aligner()).Times)
            found.push_back(t ? std::make_pair(t->Start, t->End) : std::make_pair(-1, -1));
        return found;
    };
    const std::vector<std::pair<int, int>> expected = rangesOf(SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(expected.size(), 3u);
    for (const auto& [start, end] : expected)
        ASSERT_GT(start, 0) << "every entry found in the WAV";
    // Lossy coding smears the edges of a sound by some milliseconds (Vorbis's
    // pre-echo the most); MP3 is decoded gapless, so nothing is shifted.
    const struct {
        const char* name;
        int format;
        int tolerance; // hundredths
    } kinds[] = {{"FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0},
                 {"Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 3},
                 {"MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 2}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const std::vector<std::pair<int, int>> found = rangesOf(kind.format);
        ASSERT_EQ(found.size(), expected.size());
        for (size_t k = 0; k < found.size(); ++k) {
            EXPECT_NEAR(found[k].first, expected[k].first, kind.tolerance) << k;
            EXPECT_NEAR(found[k].second, expected[k].second, kind.tolerance) << k;
        }
    }
}
