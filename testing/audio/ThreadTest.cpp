// The device threads and the user-interface thread at once: a render thread
// and a capture thread pump the engine while this thread opens, plays,
// seeks, changes rates, reads levels and spectra, records and frees. Under
// ThreadSanitizer this proves they share only what the engine guards.

#include "audio/AudioEngine.h"
#include "AudioSignals.h"
#include "audio/ManualAudioDevice.h"
#include "audio/VoicePlayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zarelo {
namespace {

struct Counting {
    std::atomic<size_t> bytes{0};
    static bool callback(HRECORD, const void*, DWORD length, void* user)
    {
        static_cast<Counting*>(user)->bytes += length;
        return true;
    }
};

TEST(EngineThreads, DeviceThreadsAndTheUserThreadShareOnlyGuardedState)
{
    auto owned = std::make_unique<ManualAudioDevice>(std::vector<std::string>{"Mic"}, true, 256);
    ManualAudioDevice* device = owned.get();
    AudioEngine engine(std::move(owned));
    ASSERT_TRUE(engine.BASS_Init(-1, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(engine.BASS_Start());
    ASSERT_TRUE(engine.BASS_RecordInit(-1));

    std::atomic<bool> running{true};
    std::thread render([&] {
        while (running)
            device->render(256);
    });
    const std::vector<int16_t> tone = testaudio::sine(44100, 2, 0.01, 1000, 0.5);
    std::thread capture([&] {
        while (running)
            device->feedCapture(tone, 147);
    });

    const QByteArray voice = testaudio::wav(22050, 1, testaudio::sine(22050, 1, 2.0, 440, 0.5));
    const QByteArray cue = testaudio::wav(44100, 2, testaudio::sine(44100, 2, 0.2, 880, 0.3));
    Counting counted;
    for (int round = 0; round < 60; ++round) {
        const HSTREAM v = engine.BASS_StreamCreateFile(true, voice.constData(), 0, voice.size(), 0);
        const HSTREAM d = engine.BASS_StreamCreateFile(true, voice.constData(), 0, voice.size(),
                                                       BASS_STREAM_DECODE);
        const HSTREAM c = engine.BASS_StreamCreateFile(true, cue.constData(), 0, cue.size(), 0);
        ASSERT_NE(v, 0u);
        ASSERT_NE(c, 0u);
        {
            auto hold = engine.HoldDevice();
            engine.BASS_ChannelStop(v);
            engine.BASS_ChannelPlay(v, false);
            engine.BASS_ChannelSetPosition(v, engine.BASS_ChannelSeconds2Bytes(v, 0.5),
                                           BASS_POS_BYTE);
        }
        engine.BASS_ChannelPlay(c, true);
        engine.BASS_ChannelSlideAttribute(v, BASS_ATTRIB_FREQ, round % 2 ? 11025.0f : 33075.0f, 0);
        const HRECORD r = engine.BASS_RecordStart(44100, 2, 0, &Counting::callback, &counted);
        for (int i = 0; i < 20; ++i) {
            engine.BASS_ChannelGetPosition(v, BASS_POS_BYTE);
            engine.BASS_ChannelGetLevel(v);
            engine.BASS_ChannelGetLevel(d);
            engine.BASS_ChannelGetLevel(r);
            float fft[513];
            engine.BASS_ChannelGetData(r, fft, BASS_DATA_FFT1024);
            engine.BASS_ChannelIsActive(c);
            std::this_thread::yield();
        }
        engine.BASS_RecordSetInput(0, 0, round % 2 ? 0.5f : 1.0f);
        engine.BASS_ChannelStop(r);
        engine.BASS_ChannelStop(v);
        engine.BASS_StreamFree(v);
        engine.BASS_StreamFree(d);
        engine.BASS_StreamFree(c);
    }
    running = false;
    render.join();
    capture.join();
    EXPECT_GT(counted.bytes.load(), 0u);
    EXPECT_TRUE(engine.BASS_Free());
}

} // namespace
} // namespace zarelo
