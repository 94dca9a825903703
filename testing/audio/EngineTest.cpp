// The engine driven through the manual device: every frame the device plays
// is one the test asked for, so positions, levels and output are exact.

#include "AudioSignals.h"
#include "audio/AudioEngine.h"
#include "audio/ManualAudioDevice.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace zarelo {
namespace {

using testaudio::rampValue;

class Engine : public ::testing::Test {
protected:
    Engine()
    {
        auto owned =
            std::make_unique<ManualAudioDevice>(std::vector<std::string>{"Mic A", "Line B"});
        device = owned.get();
        engine = std::make_unique<AudioEngine>(std::move(owned));
        EXPECT_TRUE(engine->BASS_Init(-1, 44100, 0, nullptr, nullptr));
        EXPECT_TRUE(engine->BASS_Start());
    }

    // A stream over `bytes`, which the fixture keeps alive.
    HSTREAM open(const QByteArray& bytes, DWORD flags = 0)
    {
        kept.push_back(std::make_unique<QByteArray>(bytes));
        return engine->BASS_StreamCreateFile(true, kept.back()->constData(), 0,
                                             static_cast<QWORD>(kept.back()->size()), flags);
    }

    ManualAudioDevice* device = nullptr;
    std::unique_ptr<AudioEngine> engine;
    std::vector<std::unique_ptr<QByteArray>> kept;
};

TEST(EngineWithoutDevice, EveryOperationFailsCleanly)
{
    for (bool deviceExists : {false, true}) {
        std::unique_ptr<AudioDevice> device;
        if (deviceExists)
            device = std::make_unique<ManualAudioDevice>(std::vector<std::string>{}, false);
        AudioEngine engine(std::move(device));
        EXPECT_FALSE(engine.BASS_Init(-1, 44100, 0, nullptr, nullptr));
        EXPECT_FALSE(engine.BASS_Start());
        const QByteArray bytes = testaudio::wav(44100, 2, testaudio::ramp(2, 100));
        const HSTREAM s = engine.BASS_StreamCreateFile(true, bytes.constData(), 0, bytes.size(), 0);
        EXPECT_EQ(s, 0u);
        EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_ERROR_INIT);
        EXPECT_FALSE(engine.BASS_ChannelPlay(s, false));
        EXPECT_FALSE(engine.BASS_ChannelStop(s));
        EXPECT_EQ(engine.BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
        EXPECT_EQ(engine.BASS_ChannelGetPosition(s, BASS_POS_BYTE), ~QWORD{0});
        EXPECT_FALSE(engine.BASS_ChannelSetPosition(s, 0, BASS_POS_BYTE));
        EXPECT_EQ(engine.BASS_ChannelSeconds2Bytes(s, 1.0), ~QWORD{0});
        float rate = 0;
        EXPECT_FALSE(engine.BASS_ChannelGetAttribute(s, BASS_ATTRIB_FREQ, &rate));
        EXPECT_FALSE(engine.BASS_ChannelSlideAttribute(s, BASS_ATTRIB_FREQ, 22050, 0));
        EXPECT_EQ(engine.BASS_ChannelGetLevel(s), 0xFFFFFFFFu);
        EXPECT_FALSE(engine.BASS_StreamFree(s));
        EXPECT_FALSE(engine.BASS_RecordInit(-1));
        EXPECT_EQ(engine.BASS_RecordGetInputName(0), nullptr);
        EXPECT_EQ(engine.BASS_RecordStart(44100, 2, 0, nullptr, nullptr), 0u);
        EXPECT_FALSE(engine.BASS_Free());
    }
}

TEST_F(Engine, DeviceIsOpenedAt44100StereoWithSmallBlocks)
{
    EXPECT_TRUE(device->playbackStarted());
    EXPECT_EQ(device->playbackFormat().rate, 44100);
    EXPECT_EQ(device->playbackFormat().channels, 2);
    EXPECT_LE(engine->PlaybackBufferFrames(), 1024);
    EXPECT_GT(engine->PlaybackBufferFrames(), 0);
}

TEST_F(Engine, PositionsAreBytesOfTheStreamsOwnFormat)
{
    for (int rate : {22050, 44100}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(testing::Message() << rate << " Hz, " << channels << " ch");
            const int frames = rate * 2; // 2 s
            const HSTREAM s =
                open(testaudio::wav(rate, channels, testaudio::ramp(channels, frames)));
            ASSERT_NE(s, 0u);
            const QWORD frameBytes = static_cast<QWORD>(channels) * 2;
            EXPECT_EQ(engine->BASS_ChannelGetLength(s, BASS_POS_BYTE), frames * frameBytes);
            EXPECT_EQ(engine->BASS_ChannelSeconds2Bytes(s, 0.5),
                      static_cast<QWORD>(rate / 2) * frameBytes);
            // Tenths of a second as the program passes them: 12.3 s is frame 12.3 x rate.
            EXPECT_EQ(engine->BASS_ChannelSeconds2Bytes(s, 123 / 10.0),
                      static_cast<QWORD>(std::llround(12.3 * rate)) * frameBytes);
            EXPECT_DOUBLE_EQ(engine->BASS_ChannelBytes2Seconds(s, rate * frameBytes), 1.0);
            EXPECT_DOUBLE_EQ(
                engine->BASS_ChannelBytes2Seconds(s, static_cast<QWORD>(rate / 10) * frameBytes),
                0.1);
            float freq = 0;
            ASSERT_TRUE(engine->BASS_ChannelGetAttribute(s, BASS_ATTRIB_FREQ, &freq));
            EXPECT_EQ(freq, static_cast<float>(rate));

            EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE), 0u);
            ASSERT_TRUE(engine->BASS_ChannelPlay(s, false));
            EXPECT_EQ(engine->BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);
            device->render(4410); // 100 ms of device time
            EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE),
                      static_cast<QWORD>(rate / 10) * frameBytes);

            ASSERT_TRUE(engine->BASS_ChannelStop(s));
            EXPECT_EQ(engine->BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
            device->render(4410);
            EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE),
                      static_cast<QWORD>(rate / 10) * frameBytes);

            ASSERT_TRUE(engine->BASS_ChannelSetPosition(
                s, static_cast<QWORD>(rate) * frameBytes + 1, BASS_POS_BYTE));
            EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE),
                      static_cast<QWORD>(rate) * frameBytes);
            ASSERT_TRUE(engine->BASS_ChannelPlay(s, false));
            device->render(44100 * 2); // past the end
            EXPECT_EQ(engine->BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
            EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE), frames * frameBytes);

            ASSERT_TRUE(engine->BASS_ChannelPlay(s, true));
            EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE), 0u);
            // Past the end moves to the end.
            ASSERT_TRUE(engine->BASS_ChannelSetPosition(s, 1u << 30, BASS_POS_BYTE));
            EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE), frames * frameBytes);
            EXPECT_TRUE(engine->BASS_StreamFree(s));
            EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE), ~QWORD{0});
        }
    }
}

TEST_F(Engine, PlaysFromTheSetPositionToTheSample)
{
    for (int channels : {1, 2}) {
        const HSTREAM s = open(testaudio::wav(44100, channels, testaudio::ramp(channels, 44100)));
        ASSERT_NE(s, 0u);
        ASSERT_TRUE(engine->BASS_ChannelPlay(s, false));
        ASSERT_TRUE(engine->BASS_ChannelSetPosition(s, 12345 * channels * 2, BASS_POS_BYTE));
        const std::vector<int16_t> out = device->render(3000);
        for (int i = 0; i < 3000; ++i) {
            ASSERT_EQ(out[i * 2], rampValue(12345 + i, 0)) << "frame " << i;
            ASSERT_EQ(out[i * 2 + 1], rampValue(12345 + i, channels - 1)) << "frame " << i;
        }
        engine->BASS_StreamFree(s);
    }
}

TEST_F(Engine, DecodeOnlyStreamsAreNeverPlayed)
{
    const HSTREAM s = open(testaudio::wav(44100, 2, testaudio::ramp(2, 4410)), BASS_STREAM_DECODE);
    ASSERT_NE(s, 0u);
    EXPECT_FALSE(engine->BASS_ChannelPlay(s, false));
    EXPECT_EQ(engine->BASS_ErrorGetCode(), BASS_ERROR_DECODE);
    const std::vector<int16_t> out = device->render(1000);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t v) { return v == 0; }));
}

TEST_F(Engine, FormatsAreFoundFromTheBytes)
{
    const std::vector<int16_t> samples = testaudio::sine(22050, 2, 1.0, 440, 0.5);
    const QByteArray flacBytes = testaudio::flac(22050, 2, samples);
    const QByteArray oggBytes = testaudio::ogg(22050, 2, samples);
    const QByteArray mp3Bytes = testaudio::mp3(22050, 2, samples);
    ASSERT_FALSE(flacBytes.isEmpty());
    ASSERT_FALSE(oggBytes.isEmpty());
    ASSERT_FALSE(mp3Bytes.isEmpty());
    for (const QByteArray* bytes : {&flacBytes, &oggBytes, &mp3Bytes}) {
        const HSTREAM s = open(*bytes);
        ASSERT_NE(s, 0u) << bytes->left(4).toHex().toStdString();
        float rate = 0;
        engine->BASS_ChannelGetAttribute(s, BASS_ATTRIB_FREQ, &rate);
        EXPECT_EQ(rate, 22050.0f);
        // Lossless and gapless decoders give back exactly the frames written.
        EXPECT_EQ(engine->BASS_ChannelGetLength(s, BASS_POS_BYTE), samples.size() * 2)
            << bytes->left(4).toStdString();
    }
    // Not audio: a clean failure.
    for (const QByteArray& junk :
         {QByteArray(1000, 'x'), QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16),
          QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(600, '\0'), QByteArray("ID3")}) {
        EXPECT_EQ(open(junk), 0u);
        EXPECT_EQ(engine->BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    }
}

TEST_F(Engine, Mp3PlaysFromAnyPositionLikeDecodingFromTheStart)
{
    const std::vector<int16_t> samples = testaudio::sine(44100, 2, 3.0, 440, 0.5);
    const QByteArray bytes = testaudio::mp3(44100, 2, samples);
    const HSTREAM s = open(bytes);
    const HSTREAM reference = open(bytes);
    ASSERT_NE(s, 0u);
    ASSERT_NE(reference, 0u);
    ASSERT_TRUE(engine->BASS_ChannelPlay(reference, false));
    const std::vector<int16_t> fromStart = device->render(44100 * 2);
    engine->BASS_ChannelStop(reference);
    const int at = 50000;
    ASSERT_TRUE(engine->BASS_ChannelPlay(s, false));
    ASSERT_TRUE(engine->BASS_ChannelSetPosition(s, at * 4, BASS_POS_BYTE));
    const std::vector<int16_t> fromMiddle = device->render(10000);
    int worst = 0;
    for (int i = 0; i < 20000; ++i)
        worst = std::max(worst, std::abs(fromMiddle[i] - fromStart[at * 2 + i]));
    EXPECT_LE(worst, 2);
}

TEST_F(Engine, StreamsFromAFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tone.wav");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(testaudio::wav(22050, 1, testaudio::ramp(1, 22050)));
    file.close();
    const QByteArray local = path.toLocal8Bit();
    const HSTREAM s =
        engine->BASS_StreamCreateFile(false, local.constData(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(s, 0u);
    EXPECT_EQ(engine->BASS_ChannelGetLength(s, BASS_POS_BYTE), 44100u);
    EXPECT_EQ(engine->BASS_StreamCreateFile(false, "/no/such/file.wav", 0, 0, 0), 0u);
    EXPECT_EQ(engine->BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
}

TEST_F(Engine, RateChangesSpeedAndPitchAtOnceAndPositionsStayExact)
{
    const HSTREAM s = open(testaudio::wav(44100, 1, testaudio::sine(44100, 1, 10.0, 1000, 0.5)));
    ASSERT_NE(s, 0u);
    ASSERT_TRUE(engine->BASS_ChannelPlay(s, false));
    EXPECT_NEAR(testaudio::frequency(device->render(44100), 2, 44100), 1000.0, 2.0);
    EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE), 44100u * 2);

    ASSERT_TRUE(engine->BASS_ChannelSlideAttribute(s, BASS_ATTRIB_FREQ, 0.5f * 44100, 0));
    float freq = 0;
    engine->BASS_ChannelGetAttribute(s, BASS_ATTRIB_FREQ, &freq);
    EXPECT_EQ(freq, 22050.0f);
    EXPECT_NEAR(testaudio::frequency(device->render(44100), 2, 44100), 500.0, 2.0);
    // One second of device time at half speed is half a second of the stream.
    EXPECT_NEAR(static_cast<double>(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE)),
                1.5 * 44100 * 2, 2.0);

    ASSERT_TRUE(engine->BASS_ChannelSlideAttribute(s, BASS_ATTRIB_FREQ, 1.5f * 44100, 0));
    const std::vector<int16_t> fast = device->render(44100);
    EXPECT_NEAR(testaudio::frequency(fast, 2, 44100), 1500.0, 3.0);
    EXPECT_NEAR(static_cast<double>(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE)),
                3.0 * 44100 * 2, 2.0);

    // Back at the native rate the stream is copied unchanged again, from where it stands.
    ASSERT_TRUE(engine->BASS_ChannelSetAttribute(s, BASS_ATTRIB_FREQ, 0));
    EXPECT_NEAR(testaudio::frequency(device->render(44100), 2, 44100), 1000.0, 2.0);
    EXPECT_NEAR(static_cast<double>(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE)),
                4.0 * 44100 * 2, 2.0);
}

TEST_F(Engine, A22050StreamPlaysAtItsOwnPitchAndKeepsItsPlace)
{
    const HSTREAM s = open(testaudio::wav(22050, 1, testaudio::sine(22050, 1, 3.0, 440, 0.5)));
    ASSERT_TRUE(engine->BASS_ChannelPlay(s, false));
    ASSERT_TRUE(engine->BASS_ChannelSetPosition(s, 22050 * 2, BASS_POS_BYTE));
    EXPECT_NEAR(testaudio::frequency(device->render(44100), 2, 44100), 440.0, 1.0);
    EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE), 2u * 22050 * 2);
    device->render(44100 * 2);
    EXPECT_EQ(engine->BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
    EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE), 3u * 22050 * 2);
}

TEST_F(Engine, TwoStreamsAreMixed)
{
    const std::vector<int16_t> a = testaudio::ramp(2, 20000);
    const std::vector<int16_t> b = testaudio::sine(44100, 2, 1.0, 300, 0.25);
    const HSTREAM voice = open(testaudio::wav(44100, 2, a));
    const HSTREAM cue = open(testaudio::wav(44100, 2, b));
    ASSERT_TRUE(engine->BASS_ChannelPlay(voice, false));
    device->render(1000);
    ASSERT_TRUE(engine->BASS_ChannelPlay(cue, false));
    const std::vector<int16_t> out = device->render(5000);
    for (int i = 0; i < 5000 * 2; ++i) {
        const int sum = std::clamp(a[2000 + i] + b[i], -32768, 32767);
        ASSERT_EQ(out[i], sum) << "sample " << i;
    }
    // Each keeps its own place; stopping one leaves the other.
    EXPECT_EQ(engine->BASS_ChannelGetPosition(voice, BASS_POS_BYTE), 6000u * 4);
    EXPECT_EQ(engine->BASS_ChannelGetPosition(cue, BASS_POS_BYTE), 5000u * 4);
    engine->BASS_ChannelStop(cue);
    const std::vector<int16_t> alone = device->render(10);
    EXPECT_EQ(alone[0], a[12000]);

    // One at rate 1.5 beside one at its own rate.
    engine->BASS_ChannelSlideAttribute(voice, BASS_ATTRIB_FREQ, 1.5f * 44100, 0);
    engine->BASS_ChannelPlay(cue, true);
    device->render(4410);
    EXPECT_NEAR(static_cast<double>(engine->BASS_ChannelGetPosition(voice, BASS_POS_BYTE)),
                (6010 + 6615) * 4.0, 8.0);
    EXPECT_EQ(engine->BASS_ChannelGetPosition(cue, BASS_POS_BYTE), 4410u * 4);
}

TEST_F(Engine, LevelsOfADecodeStreamCoverTheStretchIn20MsSteps)
{
    // Left at half scale, right at a quarter; 2 s give 101 readings.
    const std::vector<int16_t> tone = testaudio::sine(22050, 2, 2.0, 250, 0.5, {1.0, 0.5});
    const HSTREAM s = open(testaudio::wav(22050, 2, tone), BASS_STREAM_DECODE);
    ASSERT_NE(s, 0u);
    const int readings = static_cast<int>(2.0 * 50 + 1);
    ASSERT_EQ(readings, 101);
    for (int i = 0; i < readings; ++i) {
        const DWORD level = engine->BASS_ChannelGetLevel(s);
        if (i < 100) {
            EXPECT_NEAR(level & 0xFFFF, 16384, 3) << i;
            EXPECT_NEAR(level >> 16, 8192, 3) << i;
            EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE), (i + 1) * 441u * 4);
        } else {
            EXPECT_EQ(level, 0u); // past the end: silence
        }
    }
    // Mono gives the same on both sides; full scale of a negative peak is 32768.
    std::vector<int16_t> mono(441, 0);
    mono[100] = -32768;
    const HSTREAM m = open(testaudio::wav(22050, 1, mono), BASS_STREAM_DECODE);
    EXPECT_EQ(engine->BASS_ChannelGetLevel(m), (32768u << 16) | 32768u);
    // A seek of the decode stream moves where the next reading starts.
    ASSERT_TRUE(engine->BASS_ChannelSetPosition(s, 0, 0x200000));
    EXPECT_NEAR(engine->BASS_ChannelGetLevel(s) & 0xFFFF, 16384, 3);
}

TEST_F(Engine, LevelOfAPlayingStreamIsItsLast20Ms)
{
    const HSTREAM s = open(testaudio::wav(44100, 1, testaudio::sine(44100, 1, 1.0, 500, 0.25)));
    EXPECT_EQ(engine->BASS_ChannelGetLevel(s), 0u);
    engine->BASS_ChannelPlay(s, false);
    device->render(2048);
    const DWORD level = engine->BASS_ChannelGetLevel(s);
    EXPECT_NEAR(level & 0xFFFF, 8192, 3);
    EXPECT_EQ(level & 0xFFFF, level >> 16);
}

// Appends what the engine delivers; stops after `limit` bytes when given.
struct Recorder {
    std::vector<uint8_t> bytes;
    size_t limit = SIZE_MAX;
    HRECORD handle = 0;
    static bool callback(HRECORD handle, const void* buffer, DWORD length, void* user)
    {
        auto* self = static_cast<Recorder*>(user);
        self->handle = handle;
        const auto* b = static_cast<const uint8_t*>(buffer);
        self->bytes.insert(self->bytes.end(), b, b + length);
        return self->bytes.size() < self->limit;
    }
};

TEST_F(Engine, InputsAreTheCaptureDevicesOneOfThemOn)
{
    ASSERT_TRUE(engine->BASS_RecordInit(-1));
    EXPECT_STREQ(engine->BASS_RecordGetInputName(0), "Mic A");
    EXPECT_STREQ(engine->BASS_RecordGetInputName(1), "Line B");
    EXPECT_EQ(engine->BASS_RecordGetInputName(2), nullptr);
    float volume = 0;
    EXPECT_EQ(engine->BASS_RecordGetInput(0, &volume), BASS_INPUT_TYPE_MIC);
    EXPECT_EQ(volume, 1.0f);
    EXPECT_EQ(engine->BASS_RecordGetInput(1, nullptr), BASS_INPUT_TYPE_MIC | BASS_INPUT_OFF);
    EXPECT_EQ(engine->BASS_RecordGetInput(2, nullptr), 0xFFFFFFFFu);

    // What the oral training does when an input is picked: all off, the chosen on.
    for (int i = 0; engine->BASS_RecordSetInput(i, BASS_INPUT_OFF, -1.0f); ++i) {
    }
    EXPECT_TRUE(engine->BASS_RecordSetInput(1, BASS_INPUT_ON, -1.0f));
    EXPECT_EQ(engine->BASS_RecordGetInput(0, nullptr) & BASS_INPUT_OFF, BASS_INPUT_OFF);
    EXPECT_EQ(engine->BASS_RecordGetInput(1, &volume) & BASS_INPUT_OFF, 0u);
    EXPECT_EQ(volume, 1.0f);
    EXPECT_FALSE(engine->BASS_RecordSetInput(2, BASS_INPUT_ON, -1.0f));

    Recorder recorder;
    const HRECORD r = engine->BASS_RecordStart(44100, 2, 0, &Recorder::callback, &recorder);
    ASSERT_NE(r, 0u);
    EXPECT_EQ(device->openedCaptureInput(), 1);
    EXPECT_EQ(device->captureFormat().rate, 44100);
    EXPECT_EQ(device->captureFormat().channels, 2);

    // A software volume of one half halves what is delivered.
    EXPECT_TRUE(engine->BASS_RecordSetInput(1, 0, 0.5f));
    device->feedCapture(std::vector<int16_t>(200, 1000));
    ASSERT_EQ(recorder.bytes.size(), 400u);
    EXPECT_EQ(recorder.bytes[0] | (recorder.bytes[1] << 8), 500);
}

TEST_F(Engine, TheCallbackReceivesExactlyTheCapturedBytes)
{
    ASSERT_TRUE(engine->BASS_RecordInit(-1));
    Recorder recorder;
    const HRECORD r = engine->BASS_RecordStart(44100, 2, 0, &Recorder::callback, &recorder);
    ASSERT_NE(r, 0u);
    EXPECT_EQ(engine->BASS_ChannelIsActive(r), BASS_ACTIVE_PLAYING);
    std::vector<int16_t> captured(44100 * 2);
    for (size_t i = 0; i < captured.size(); ++i)
        captured[i] = static_cast<int16_t>((i * 7919) & 0xFFFF);
    device->feedCapture(captured, 441);
    ASSERT_EQ(recorder.bytes.size(), captured.size() * 2);
    EXPECT_EQ(std::memcmp(recorder.bytes.data(), captured.data(), recorder.bytes.size()), 0);
    EXPECT_EQ(recorder.handle, r);

    // Stopped: the device is closed and nothing more arrives.
    ASSERT_TRUE(engine->BASS_ChannelStop(r));
    EXPECT_EQ(engine->BASS_ChannelIsActive(r), BASS_ACTIVE_STOPPED);
    EXPECT_FALSE(device->captureOpen());
    device->feedCapture(captured);
    EXPECT_EQ(recorder.bytes.size(), captured.size() * 2);

    // A callback returning false ends the recording after that block.
    Recorder limited;
    limited.limit = 1000;
    const HRECORD second = engine->BASS_RecordStart(44100, 2, 0, &Recorder::callback, &limited);
    ASSERT_NE(second, 0u);
    device->feedCapture(captured, 100); // 400-byte blocks
    EXPECT_EQ(limited.bytes.size(), 1200u);
    EXPECT_EQ(engine->BASS_ChannelIsActive(second), BASS_ACTIVE_STOPPED);
    EXPECT_TRUE(engine->BASS_RecordFree());
    EXPECT_FALSE(device->captureOpen());
}

TEST_F(Engine, SpectrumOfASinePeaksInItsBinAtAboutOne)
{
    ASSERT_TRUE(engine->BASS_RecordInit(-1));
    Recorder recorder;
    const HRECORD r = engine->BASS_RecordStart(44100, 2, 0, &Recorder::callback, &recorder);
    ASSERT_NE(r, 0u);
    for (int bin : {10, 93}) {
        const double hz = bin * 44100.0 / 1024;
        device->feedCapture(testaudio::sine(44100, 2, 0.1, hz, 1.0));
        std::vector<float> fft(513, -1.0f);
        ASSERT_EQ(engine->BASS_ChannelGetData(r, fft.data(), BASS_DATA_FFT1024),
                  512u * sizeof(float));
        const auto peak = std::max_element(fft.begin(), fft.begin() + 512) - fft.begin();
        EXPECT_EQ(peak, bin);
        EXPECT_NEAR(fft[bin], 1.0f, 0.02f);
        EXPECT_LT(fft[bin + 3], 0.01f);
        EXPECT_EQ(fft[512], -1.0f); // 512 values, no more
    }
    // Silence gives nothing; a stream handle gives a clean failure.
    device->feedCapture(std::vector<int16_t>(2048 * 2, 0));
    std::vector<float> fft(513);
    engine->BASS_ChannelGetData(r, fft.data(), BASS_DATA_FFT1024);
    EXPECT_LT(*std::max_element(fft.begin(), fft.begin() + 512), 1e-6f);
    EXPECT_EQ(engine->BASS_ChannelGetData(12345, fft.data(), BASS_DATA_FFT1024), 0xFFFFFFFFu);
}

TEST_F(Engine, FreeClosesTheDeviceAndEveryStream)
{
    const HSTREAM s = open(testaudio::wav(44100, 2, testaudio::ramp(2, 1000)));
    ASSERT_TRUE(engine->BASS_RecordInit(-1));
    EXPECT_TRUE(engine->BASS_Free());
    EXPECT_FALSE(device->playbackOpen());
    EXPECT_EQ(engine->BASS_ChannelGetPosition(s, BASS_POS_BYTE), ~QWORD{0});
    EXPECT_EQ(engine->BASS_RecordGetInputName(0), nullptr);
    EXPECT_TRUE(engine->BASS_Init(-1, 44100, 0, nullptr, nullptr));
}

} // namespace
} // namespace zarelo
