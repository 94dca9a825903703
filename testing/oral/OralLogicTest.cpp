// The oral training's logic: the recording's WAV image made through the
// engine over the manual device (its release while a capture thread feeds
// it, also in the ThreadSanitizer build), the loudness pictures on known
// level arrays, the live spectrum's frames pixel by pixel and the choice of
// sentences.

#include "audio/AudioEngine.h"
#include "audio/ManualAudioDevice.h"
#include "base/BookError.h"
#include "base/ProgramLocations.h"
#include "book/BookContent.h"
#include "oral/OralRecorder.h"
#include "oral/SentenceChoice.h"
#include "oral/VoiceWave.h"
#include "oral/spectrum_vis.h"
#include "support/Wav.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

namespace zarelo {
namespace {

constexpr Pixel kBlack = MakePixel(0, 0, 0);
constexpr Pixel kWhite = MakePixel(255, 255, 255);
constexpr Pixel kYellow = MakePixel(255, 255, 0);

uint32_t Word(int left, int right)
{
    return uint32_t(left) | uint32_t(right) << 16;
}

uint32_t Le32(const uint8_t* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

uint16_t Le16(const uint8_t* at)
{
    return uint16_t(at[0] | at[1] << 8);
}

// The rows of column x that are lit, as [top, bottom); {0, 0} when none.
std::pair<int, int> LitRows(const Surface& s, int x)
{
    int top = -1, bottom = 0;
    for (int y = 0; y < s.Height; ++y)
        if (s.at(x, y) != kBlack) {
            if (top < 0)
                top = y;
            bottom = y + 1;
        }
    return top < 0 ? std::pair(0, 0) : std::pair(top, bottom);
}

std::vector<int> LitColumns(const Surface& s)
{
    std::vector<int> columns;
    for (int x = 0; x < s.Width; ++x)
        if (LitRows(s, x).second > 0)
            columns.push_back(x);
    return columns;
}

// An engine over the manual device with one capture input, playback started.
struct Engine {
    ManualAudioDevice* device = nullptr;
    std::unique_ptr<AudioEngine> engine;
    Engine()
    {
        auto manual = std::make_unique<ManualAudioDevice>();
        device = manual.get();
        engine = std::make_unique<AudioEngine>(std::move(manual));
        engine->BASS_Init(-1, 44100, 0, nullptr, nullptr);
        engine->BASS_Start();
    }
};

std::vector<int16_t> Frames(int count, int seed)
{
    std::vector<int16_t> samples(size_t(count) * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t((int(i) * 37 + seed) % 20000 - 10000);
    return samples;
}

TEST(OralRecording, WavImageOfNBytesSavedAndPlayableAndASecondRecordingDiscardsTheFirst)
{
    Engine e;
    OralRecorder recorder(*e.engine);
    ASSERT_TRUE(recorder.InitDevice());
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(recorder.IsRecording());
    // While recording the header says nothing is recorded yet.
    EXPECT_EQ(Le32(recorder.Buffer.data() + 4), 36u);
    EXPECT_EQ(Le32(recorder.Buffer.data() + 40), 0u);
    const std::vector<int16_t> first = Frames(4410, 1);
    e.device->feedCapture(first);
    ASSERT_TRUE(recorder.Stop());
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(e.device->feedCapture(first), 0) << "capture stays closed after the stop";

    const size_t n = first.size() * 2;
    QTemporaryDir dir;
    const QString path = dir.filePath("zarelotmp.wav");
    ASSERT_TRUE(recorder.Save(path, nullptr));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(size_t(bytes.size()), n + 44);
    const auto* h = reinterpret_cast<const uint8_t*>(bytes.constData());
    EXPECT_EQ(QByteArray(bytes.constData(), 4), "RIFF");
    EXPECT_EQ(Le32(h + 4), n + 36);
    EXPECT_EQ(QByteArray(bytes.constData() + 8, 8), "WAVEfmt ");
    EXPECT_EQ(Le32(h + 16), 16u);
    EXPECT_EQ(Le16(h + 20), 1);
    EXPECT_EQ(Le16(h + 22), 2);
    EXPECT_EQ(Le32(h + 24), 44100u);
    EXPECT_EQ(Le32(h + 28), 176400u);
    EXPECT_EQ(Le16(h + 32), 4);
    EXPECT_EQ(Le16(h + 34), 16);
    EXPECT_EQ(QByteArray(bytes.constData() + 36, 4), "data");
    EXPECT_EQ(Le32(h + 40), n);
    EXPECT_EQ(std::memcmp(bytes.constData() + 44, first.data(), n), 0);

    // The stream plays the recording as it was captured.
    ASSERT_NE(recorder.OwnVoiceStream, 0u);
    ASSERT_TRUE(e.engine->BASS_ChannelPlay(recorder.OwnVoiceStream, true));
    const std::vector<int16_t> played = e.device->render(4410);
    EXPECT_EQ(played, first);

    // 0.1 s of sound: trunc(0.1 x 50 + 1) level words, from the file or the buffer.
    EXPECT_EQ(recorder.MeasureOwnLevels(path).size(), 6u);
    EXPECT_EQ(recorder.MeasureOwnLevels(QString()).size(), 6u);

    const HSTREAM firstStream = recorder.OwnVoiceStream;
    ASSERT_TRUE(recorder.Start());
    EXPECT_EQ(recorder.OwnVoiceStream, 0u);
    EXPECT_EQ(e.engine->BASS_ChannelGetLength(firstStream, BASS_POS_BYTE), ~QWORD{0})
        << "the first recording's stream is freed";
    EXPECT_EQ(recorder.Buffer.size(), 44u);
    const std::vector<int16_t> second = Frames(441, 7);
    e.device->feedCapture(second);
    ASSERT_TRUE(recorder.Stop());
    ASSERT_EQ(recorder.Buffer.size(), 44 + second.size() * 2);
    EXPECT_EQ(std::memcmp(recorder.Buffer.data() + 44, second.data(), second.size() * 2), 0);
    EXPECT_EQ(Le32(recorder.Buffer.data() + 40), second.size() * 2);

    // An empty recording is a valid file of no samples.
    ASSERT_TRUE(recorder.Start());
    recorder.Stop();
    EXPECT_EQ(recorder.Buffer.size(), 44u);
    EXPECT_EQ(Le32(recorder.Buffer.data() + 4), 36u);
}

TEST(OralRecording, FailuresLeaveNothingBehind)
{
    // No capture device: the device cannot be opened, playback goes on.
    {
        auto manual = std::make_unique<ManualAudioDevice>(std::vector<std::string>{});
        AudioEngine engine(std::move(manual));
        ASSERT_TRUE(engine.BASS_Init(-1, 44100, 0, nullptr, nullptr));
        OralRecorder recorder(engine);
        EXPECT_FALSE(recorder.InitDevice());
        EXPECT_FALSE(recorder.Start());
        EXPECT_TRUE(recorder.Buffer.empty());
        EXPECT_TRUE(recorder.MeasureOwnLevels(QString()).empty());
    }
    // An unwritable file says why; the recording is kept.
    Engine e;
    OralRecorder recorder(*e.engine);
    ASSERT_TRUE(recorder.InitDevice());
    ASSERT_TRUE(recorder.Start());
    e.device->feedCapture(Frames(441, 3));
    ASSERT_TRUE(recorder.Stop());
    QString why;
    EXPECT_FALSE(recorder.Save(QStringLiteral("/nonexistent-folder/zarelotmp.wav"), &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(recorder.Buffer.size(), 44u + 441 * 4);
    // Releasing while a capture thread delivers ends the capture before the
    // buffer goes. The thread feeds until it finds capture closed; this
    // thread waits for it by a relaxed count, which orders nothing, so only
    // ending capture orders the thread's appends before the buffer is freed.
    // Freed first, the appends race the free (ThreadSanitizer reports it)
    // and may leave a new buffer behind.
    ASSERT_TRUE(recorder.Start());
    std::atomic<int> feeds{0};
    std::thread capture([&] {
        const std::vector<int16_t> block = Frames(441 * 4, 5);
        while (e.device->feedCapture(block) > 0)
            feeds.fetch_add(1, std::memory_order_relaxed);
    });
    while (feeds.load(std::memory_order_relaxed) < 3)
        std::this_thread::yield();
    recorder.Release();
    capture.join();
    EXPECT_FALSE(e.device->captureOpen());
    EXPECT_EQ(recorder.OwnVoiceStream, 0u);
    EXPECT_TRUE(recorder.Buffer.empty());
}

TEST(OralRecording, InputTypesAndTheRecordingFileName)
{
    EXPECT_EQ(InputTypeName(0x01000000), "digital");
    EXPECT_EQ(InputTypeName(0x03010000), "话筒");
    EXPECT_EQ(InputTypeName(0x0A000000), "analog");
    EXPECT_EQ(InputTypeName(0x0B000000), "undefined");
    EXPECT_EQ(InputTypeName(0), "undefined");
    EXPECT_EQ(RecordingFilePath("D:\\App\\Learn.exe"), "D:\\App\\Learntmp.wav");
    EXPECT_EQ(RecordingFilePath("/opt/zarelo/zarelo"), "/opt/zarelo/zarelotmp.wav");
    EXPECT_EQ(RecordingFilePath("/opt/v1.2/zarelo"), "/opt/v1.2/zarelotmp.wav");
}

TEST(OralPictures, LevelCountsAndTheReferenceRangeMeasured)
{
    EXPECT_EQ(LevelCount(2.0), 101);
    EXPECT_EQ(LevelCount(0.0), 1);
    EXPECT_EQ(LevelCount(-1.0), 0);

    // A voice of 1 s silence, 2 s of a tone, 1 s silence: the range over the
    // tone is measured from its start.
    Engine e;
    std::vector<int16_t> samples = fakes::ToneSamples(22050, 1.0, 0, 0);
    const std::vector<int16_t> tone = fakes::ToneSamples(22050, 2.0, 500, 16384);
    samples.insert(samples.end(), tone.begin(), tone.end());
    samples.resize(samples.size() + 22050, 0);
    const QByteArray wav = fakes::WavBytes(22050, 1, samples);
    const HSTREAM decoder =
        e.engine->BASS_StreamCreateFile(true, wav.constData(), 0, wav.size(), BASS_STREAM_DECODE);
    ASSERT_NE(decoder, 0u);
    const std::vector<uint32_t> levels = MeasureRangeLevels(*e.engine, decoder, 10, 30);
    ASSERT_EQ(levels.size(), 101u);
    for (size_t i = 0; i < 100; ++i) {
        EXPECT_NEAR(HalvesOf(levels[i]).Left, 16384, 200) << i;
        EXPECT_EQ(HalvesOf(levels[i]).Left, HalvesOf(levels[i]).Right) << i;
    }
    EXPECT_EQ(levels[100], 0u) << "the entry after the range is the silence after the tone";
    EXPECT_EQ(LevelMax(levels), HalvesOf(levels[0]).Left * 2);
}

TEST(OralPictures, ReferencePictureCutsSilenceKeepingOneSilentEntryEachSide)
{
    const uint32_t loud = Word(16384, 8192);
    const Surface picture = DrawReferenceWave({0, 0, 0, loud, loud, 0, 0}, 600, 100);
    ASSERT_EQ(picture.Width, 600);
    ASSERT_EQ(picture.Height, 100);
    // Entries 2..5 spread over the width: the loud ones at 200 and 400.
    EXPECT_EQ(LitColumns(picture), (std::vector<int>{200, 400}));
    // Left level above the middle line, right level below it, end pixel left out.
    EXPECT_EQ(LitRows(picture, 200), std::pair(25, 62));
    EXPECT_EQ(picture.at(200, 30), kWavePen);

    // Quiet entries count as silence: on a scale of 140 they add up to less than 3.
    const uint32_t quiet = Word(300, 300); // 1.28 each, truncated 1 + 1
    const Surface cut = DrawReferenceWave({quiet, quiet, loud, quiet, quiet}, 600, 100);
    EXPECT_EQ(LitColumns(cut), (std::vector<int>{300}));

    // Full scale stays on its own side of the middle line.
    const Surface full = DrawReferenceWave({Word(32768, 0)}, 600, 100);
    EXPECT_EQ(LitRows(full, 0), std::pair(0, 50));

    EXPECT_TRUE(LitColumns(DrawReferenceWave({0, 0, 0}, 600, 100)).empty());
    EXPECT_TRUE(LitColumns(DrawReferenceWave({}, 600, 100)).empty());
}

TEST(OralPictures, OwnPictureScaledToTheReferenceAndCutByTheNoiseThreshold)
{
    // Half as loud as the reference: drawn twice as tall as unscaled, as
    // tall as the reference.
    const int referenceMax = 32768;
    Surface picture(600, 100);
    DrawOwnWave({0, Word(8192, 8192), 0}, referenceMax, 3, 600, picture);
    EXPECT_EQ(LitRows(picture, 300), std::pair(25, 75));
    const Surface reference = DrawReferenceWave({0, Word(16384, 16384), 0}, 600, 100);
    EXPECT_EQ(LitRows(reference, 300), LitRows(picture, 300));

    // The sound with a quiet run-up and run-out: 8 cuts them, 2 keeps them.
    const uint32_t loud = Word(16384, 16384), faint = Word(1000, 1000), soft = Word(3000, 3000);
    const std::vector<uint32_t> levels{0, faint, soft, loud, soft, faint, 0};
    DrawOwnWave(levels, referenceMax, 2, 600, picture);
    EXPECT_EQ(LitColumns(picture), (std::vector<int>{100, 200, 300, 400, 500}));
    DrawOwnWave(levels, referenceMax, 8, 600, picture);
    EXPECT_EQ(LitColumns(picture), (std::vector<int>{0, 150, 300, 450}));

    // One entry is drawn at x = 0; a recording of zeros leaves the picture black.
    DrawOwnWave({loud}, referenceMax, 3, 600, picture);
    EXPECT_EQ(LitColumns(picture), (std::vector<int>{0}));
    DrawOwnWave({0, 0, 0}, referenceMax, 3, 600, picture);
    EXPECT_TRUE(LitColumns(picture).empty());
    EXPECT_EQ(picture.Height, 100);
    EXPECT_EQ(picture.Width, 600);
}

TEST(OralSpectrum, StartsAsDesignedAndBarsAndPeaksSinkEachTick)
{
    TSpectrum s(600, 100);
    EXPECT_EQ(s.Buffer.Width, 600);
    EXPECT_EQ(s.Buffer.Height, 100);
    EXPECT_EQ(s.PenColor, kWhite);
    EXPECT_EQ(s.PeakColor, kYellow);
    EXPECT_EQ(s.DrawType, 0);
    Surface screen(600, 100, MakePixel(1, 2, 3));
    float values[TSpectrum::kValues] = {};
    values[5] = 0.2f; // band 0: 100 px, the highest bar
    s.Draw(screen, values, 10, -10);
    EXPECT_EQ(s.Bars[0], 100);
    EXPECT_EQ(s.Peaks[0], 100);
    values[5] = 0;
    for (int tick = 1; tick <= 40; ++tick) {
        s.Draw(screen, values, 10, -10);
        EXPECT_EQ(s.Bars[0], std::max(100 - 3 * tick, 0)) << tick;
        EXPECT_EQ(s.Peaks[0], 100 - tick) << tick;
    }
    for (int tick = 0; tick < 100; ++tick)
        s.Draw(screen, values, 10, -10);
    EXPECT_EQ(s.Peaks[0], 0);
    EXPECT_EQ(s.Bars[0], 0);
}

TEST(OralSpectrum, ExactPixelsOfBarsAndLines)
{
    float values[TSpectrum::kValues] = {};
    // Bars, as the oral training draws them: base line 10 px above the
    // bottom, bars 5 wide and 6 apart from x = 10.
    TSpectrum bars(600, 100);
    bars.DrawType = 1;
    Surface screen(600, 100);
    values[5] = 0.1f;       // band 0: 50 px
    values[5 + 98] = 1.0f;  // band 98: x 598 .. 599 on the surface
    values[5 + 128] = 1.0f; // band 128: past the right edge
    bars.Draw(screen, values, 10, -10);
    values[5] = 0;
    bars.Draw(screen, values, 10, -10);
    // Bar 47 px over [43, 90), its peak mark 49 px at row 41.
    EXPECT_EQ(LitRows(screen, 10), std::pair(41, 90));
    for (int x = 10; x < 15; ++x) {
        EXPECT_EQ(screen.at(x, 41), kYellow) << x;
        EXPECT_EQ(screen.at(x, 42), kBlack) << x;
        EXPECT_EQ(screen.at(x, 43), kWhite) << x;
        EXPECT_EQ(screen.at(x, 89), kWhite) << x;
    }
    EXPECT_EQ(LitRows(screen, 15), std::pair(0, 0)) << "the gap between two bars";
    EXPECT_EQ(LitRows(screen, 599), std::pair(0, 90));
    EXPECT_EQ(screen.at(599, 0), kWhite) << "a full bar covers its peak mark";
    EXPECT_EQ(screen.at(599, 90), kBlack);

    // Lines: one pixel per band from the bottom edge up, the peak a pixel above.
    TSpectrum lines(200, 100);
    Surface small(200, 100);
    std::fill(std::begin(values), std::end(values), 0.0f);
    values[5 + 3] = 0.041f; // band 3: 20 px
    lines.Draw(small, values, 0, 0);
    EXPECT_EQ(LitRows(small, 3), std::pair(80, 100));
    values[5 + 3] = 0;
    lines.Draw(small, values, 0, 0);
    EXPECT_EQ(LitRows(small, 3), std::pair(81, 100));
    EXPECT_EQ(small.at(3, 81), kWhite); // peak 19
    EXPECT_EQ(small.at(3, 82), kBlack);
    EXPECT_EQ(small.at(3, 83), kBlack);
    EXPECT_EQ(small.at(3, 84), kWhite); // bar 17
    EXPECT_EQ(LitColumns(small), (std::vector<int>{3}));
}

TEST(OralSentences, FirstAtOrAfterTheCurrentPageThenNextAndPrevious)
{
    OpenBook book;
    SentenceTable& t = book.Content.Sentences;
    const auto add = [&](const char* page, const char* kind, const char* english) {
        t.PageName.append(page);
        t.Kind.append(kind);
        t.EnglishText.append(english);
    };
    add("Page1", "word", "cat");    // 0
    add("Page1", "sent", "Hello."); // 1
    add("Page2", "sent", "");       // 2: no text
    add("Page2", "other", "Sing."); // 3
    add("Page3", "sent", "Bye.");   // 4
    book.CurrentPage = 1;
    EXPECT_EQ(FirstOralSentence(book), 1);
    book.CurrentPage = 2;
    EXPECT_EQ(FirstOralSentence(book), 4);
    book.CurrentPage = 4;
    EXPECT_EQ(FirstOralSentence(book), 0) << "none at or after the page: entry 0";
    EXPECT_EQ(NextOralSentence(t, 1, 1), 4);
    EXPECT_EQ(NextOralSentence(t, 4, 1), -1);
    EXPECT_EQ(NextOralSentence(t, 4, -1), 1);
    EXPECT_EQ(NextOralSentence(t, 1, -1), -1);
    EXPECT_EQ(NextOralSentence(t, 0, -1), -1);

    add("PageX", "sent", "Broken.");
    book.CurrentPage = 5;
    EXPECT_THROW(FirstOralSentence(book), BookError);
}

} // namespace
} // namespace zarelo
