// The real SDL backend, headless: SDL's disk driver writes what the engine
// plays to a raw file and records from another, without real-time pacing.

#include "AudioSignals.h"
#include "audio/AudioEngine.h"
#include "audio/SdlAudioDevice.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace zarelo {
namespace {

class SdlDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", QFile::encodeName(dir.filePath("played.raw")).constData(), 1);
        setenv("SDL_DISKAUDIOFILEIN", QFile::encodeName(dir.filePath("recorded.raw")).constData(),
               1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
    }
    void TearDown() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }

    template <typename Done> static bool waitFor(Done done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    QTemporaryDir dir;
};

TEST_F(SdlDisk, TheOutputFileHoldsExactlyThePlayedStretch)
{
    const int frames = 30000, from = 12345;
    const QByteArray wav = testaudio::wav(44100, 2, testaudio::ramp(2, frames));
    {
        AudioEngine engine(MakeSdlAudioDevice());
        ASSERT_TRUE(engine.BASS_Init(-1, 44100, 0, nullptr, nullptr));
        EXPECT_LE(engine.PlaybackBufferFrames(), 1024);
        EXPECT_GT(engine.PlaybackBufferFrames(), 0);
        EXPECT_TRUE(engine.BASS_Start());
        const HSTREAM s = engine.BASS_StreamCreateFile(true, wav.constData(), 0, wav.size(), 0);
        ASSERT_NE(s, 0u);
        {
            auto hold = engine.HoldDevice();
            engine.BASS_ChannelPlay(s, false);
            engine.BASS_ChannelSetPosition(s, from * 4, BASS_POS_BYTE);
        }
        ASSERT_TRUE(waitFor([&] { return engine.BASS_ChannelIsActive(s) == BASS_ACTIVE_STOPPED; }));
        EXPECT_EQ(engine.BASS_ChannelGetPosition(s, BASS_POS_BYTE), frames * 4u);
    }
    QFile played(dir.filePath("played.raw"));
    ASSERT_TRUE(played.open(QIODevice::ReadOnly));
    const QByteArray raw = played.readAll();
    const auto* samples = reinterpret_cast<const int16_t*>(raw.constData());
    const qsizetype count = raw.size() / 2;
    // Silence while nothing played, then the stretch, then silence again.
    qsizetype at = 0;
    while (at < count && samples[at] == 0)
        ++at;
    ASSERT_EQ(at % 2, 0);
    ASSERT_GE(count - at, (frames - from) * 2);
    for (int i = 0; i < frames - from; ++i) {
        ASSERT_EQ(samples[at + 2 * i], testaudio::rampValue(from + i, 0)) << i;
        ASSERT_EQ(samples[at + 2 * i + 1], testaudio::rampValue(from + i, 1)) << i;
    }
    for (qsizetype i = at + (frames - from) * 2; i < count; ++i)
        ASSERT_EQ(samples[i], 0) << i;
}

struct Collected {
    std::mutex mutex;
    QByteArray bytes;
    static bool callback(HRECORD, const void* buffer, DWORD length, void* user)
    {
        auto* self = static_cast<Collected*>(user);
        std::lock_guard lock(self->mutex);
        self->bytes.append(static_cast<const char*>(buffer), length);
        return true;
    }
    qsizetype size()
    {
        std::lock_guard lock(mutex);
        return bytes.size();
    }
};

TEST_F(SdlDisk, RecordingDeliversTheInputFile)
{
    std::vector<int16_t> input(44100 * 2);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<int16_t>(i * 31 + 7);
    QFile in(dir.filePath("recorded.raw"));
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write(reinterpret_cast<const char*>(input.data()), static_cast<qint64>(input.size() * 2));
    in.close();

    AudioEngine engine(MakeSdlAudioDevice());
    ASSERT_TRUE(engine.BASS_Init(-1, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(engine.BASS_RecordInit(-1));
    ASSERT_NE(engine.BASS_RecordGetInputName(0), nullptr);
    Collected collected;
    const HRECORD r = engine.BASS_RecordStart(44100, 2, 0, &Collected::callback, &collected);
    ASSERT_NE(r, 0u);
    ASSERT_TRUE(waitFor([&] { return collected.size() >= 20000; }));
    EXPECT_TRUE(engine.BASS_ChannelStop(r));
    const QByteArray got = collected.bytes;
    EXPECT_EQ(got.left(20000), QByteArray(reinterpret_cast<const char*>(input.data()), 20000));
}

} // namespace
} // namespace zarelo
