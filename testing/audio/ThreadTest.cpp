// The device threads and the user-interface thread at once: a render thread
// and a capture thread pump the engine while this thread opens, plays,
// seeks, changes rates, reads levels and spectra, records and frees. Under
// ThreadSanitizer this proves they share only what the engine guards; in any
// build, that every recording holds exactly the frames the device delivered
// while it ran, in order, none lost or repeated, at the input's volume.

#include "AudioSignals.h"
#include "audio/AudioEngine.h"
#include "audio/ManualAudioDevice.h"
#include "audio/VoicePlayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace zarelo {
namespace {

constexpr int kFeedFrames = 441; // frames per feedCapture call, in blocks of 147

// Frame n of the capture signal, stereo, carries n modulo 2^27. Both samples
// are even, the left one at least 16384, so that the input volumes the test
// uses, 1 and 0.5, both leave it readable and show which of them was applied.
constexpr uint64_t kCarried = uint64_t{1} << 27;

void encodeFrame(uint64_t n, int16_t* frame)
{
    frame[0] = static_cast<int16_t>(2 * (8192 + (n & 0x1FFF)));
    frame[1] = static_cast<int16_t>(2 * ((n >> 13) & 0x3FFF));
}

// False when the frame is not a frame of the signal at volume 1 or 0.5.
bool decodeFrame(const int16_t* frame, uint64_t* carried, bool* half)
{
    int left = frame[0], right = frame[1];
    *half = left < 16384;
    if (!*half) {
        if (left % 2 != 0 || right % 2 != 0)
            return false;
        left /= 2;
        right /= 2;
    }
    if (left < 8192 || left > 16383 || right < 0 || right > 16383)
        return false;
    *carried = static_cast<uint64_t>(left - 8192) | (static_cast<uint64_t>(right) << 13);
    return true;
}

// What one recording delivered to its callback, checked frame by frame as it
// arrives (on the capture thread; read once that thread has ended).
struct Recorded {
    HRECORD handle = 0;
    uint64_t first = 0; // sequence number of its first frame
    uint64_t next = 0;  // the one expected next
    uint64_t frames = 0;
    std::vector<bool> volumeRuns; // half volume or not, per run of equal frames
    std::string fault;            // the first frame out of place; empty when none
};

struct Recordings {
    std::vector<Recorded> list;
    // The manual device calls the engine, and so the callback, on the thread
    // that feeds it: the callback reads here which frames are being fed.
    uint64_t feeding = 0; // sequence number of the first frame of the feed in progress
    // Frames delivered so far, for the test's thread to wait on. Relaxed, so
    // that it orders nothing else between the threads ThreadSanitizer watches.
    std::atomic<uint64_t> delivered{0};

    void waitForMoreThan(uint64_t frames) const
    {
        while (delivered.load(std::memory_order_relaxed) <= frames)
            std::this_thread::yield();
    }

    static bool callback(HRECORD handle, const void* buffer, DWORD length, void* user)
    {
        auto* self = static_cast<Recordings*>(user);
        if (self->list.empty() || self->list.back().handle != handle)
            self->list.push_back({handle});
        Recorded& r = self->list.back();
        const auto* samples = static_cast<const int16_t*>(buffer);
        if (length % 4 != 0 && r.fault.empty())
            r.fault = "a block of " + std::to_string(length) + " bytes";
        for (DWORD i = 0; i < length / 4 && r.fault.empty(); ++i) {
            uint64_t carried = 0;
            bool half = false;
            const bool decoded = decodeFrame(samples + 2 * i, &carried, &half);
            // The one frame of the feed in progress that carries this number.
            const uint64_t n = self->feeding + (carried - self->feeding) % kCarried;
            if (!decoded || n >= self->feeding + kFeedFrames) {
                r.fault = "frame " + std::to_string(r.frames) + " was not being fed";
                break;
            }
            if (r.frames == 0)
                r.first = r.next = n;
            if (n != r.next)
                r.fault = "frame " + std::to_string(r.frames) + " is fed frame " +
                          std::to_string(n) + ", expected " + std::to_string(r.next);
            if (r.volumeRuns.empty() || r.volumeRuns.back() != half)
                r.volumeRuns.push_back(half);
            r.next = n + 1;
            ++r.frames;
        }
        self->delivered.store(self->delivered.load(std::memory_order_relaxed) + length / 4,
                              std::memory_order_relaxed);
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
    // Frames are numbered in the order the device delivers them; a feed
    // that finds capture closed delivers nothing and uses no numbers.
    Recordings recordings;
    uint64_t fed = 0;
    std::thread capture([&] {
        std::vector<int16_t> block(kFeedFrames * 2);
        while (running) {
            for (int i = 0; i < kFeedFrames; ++i)
                encodeFrame(fed + i, block.data() + 2 * i);
            recordings.feeding = fed;
            fed += static_cast<uint64_t>(device->feedCapture(block, 147));
        }
    });

    const QByteArray voice = testaudio::wav(22050, 1, testaudio::sine(22050, 1, 2.0, 440, 0.5));
    const QByteArray cue = testaudio::wav(44100, 2, testaudio::sine(44100, 2, 0.2, 880, 0.3));
    std::vector<HRECORD> rounds; // the recording of each round
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
        const HRECORD r = engine.BASS_RecordStart(44100, 2, 0, &Recordings::callback, &recordings);
        ASSERT_NE(r, 0u);
        rounds.push_back(r);
        recordings.waitForMoreThan(recordings.delivered.load(std::memory_order_relaxed));
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
        // Applies at once to the running recording (seen in the next block)
        // and to the next recording.
        engine.BASS_RecordSetInput(0, 0, round % 2 ? 0.5f : 1.0f);
        recordings.waitForMoreThan(recordings.delivered.load(std::memory_order_relaxed));
        engine.BASS_ChannelStop(r);
        engine.BASS_ChannelStop(v);
        engine.BASS_StreamFree(v);
        engine.BASS_StreamFree(d);
        engine.BASS_StreamFree(c);
    }
    running = false;
    render.join();
    capture.join();
    EXPECT_TRUE(engine.BASS_Free());

    // Each round's recording got blocks before and after its volume change.
    ASSERT_EQ(recordings.list.size(), rounds.size());
    uint64_t after = 0; // sequence numbers below this were recorded already
    for (size_t round = 0; round < rounds.size(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Recorded& r = recordings.list[round];
        EXPECT_EQ(r.handle, rounds[round]);
        EXPECT_EQ(r.fault, "");
        EXPECT_GE(r.first, after) << "frames recorded twice or out of order";
        EXPECT_LE(r.next, fed);
        after = r.next;
        // A round sets volume 1 (even rounds) or 0.5 (odd) while recording;
        // it records first at the volume the round before set (1 at first).
        const bool endHalf = round % 2 == 1;
        const bool startHalf = round > 0 && !endHalf;
        const std::vector<bool> runs = startHalf == endHalf ? std::vector<bool>{startHalf}
                                                            : std::vector<bool>{startHalf, endHalf};
        EXPECT_EQ(r.volumeRuns, runs);
    }
}

} // namespace
} // namespace zarelo
