// The recording across threads, as the oral training window runs it: a
// capture thread feeds the engine while this thread, the user-interface
// thread, polls the recording's size and spectrum on its timer, then stops
// it. Under ThreadSanitizer this proves the two share only what is guarded
// or atomic; in any build, that the WAV image holds every captured frame
// once, in order, behind its header.

#include "audio/AudioEngine.h"
#include "audio/ManualAudioDevice.h"
#include "oral/OralRecorder.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <thread>

namespace zarelo {
namespace {

// Frame n carries n in its two samples.
void Frame(uint32_t n, int16_t* at)
{
    at[0] = int16_t(n & 0x7FFF);
    at[1] = int16_t(n >> 15 & 0x7FFF);
}

TEST(OralRecordingThreads, CaptureAppendsWhileTheWindowPollsAndEveryFrameArrivesInOrder)
{
    auto manual = std::make_unique<ManualAudioDevice>();
    ManualAudioDevice& device = *manual;
    AudioEngine engine(std::move(manual));
    ASSERT_TRUE(engine.BASS_Init(-1, 44100, 0, nullptr, nullptr));
    OralRecorder recorder(engine);
    ASSERT_TRUE(recorder.InitDevice());
    ASSERT_TRUE(recorder.Start());

    // 20 s of sound in device blocks of 10 ms: the buffer grows past one
    // of its 8 MB steps while the window reads it.
    constexpr uint32_t kFrames = 44100 * 20;
    constexpr uint32_t kBlock = 441;
    std::thread capture([&] {
        std::vector<int16_t> block(kBlock * 2);
        for (uint32_t n = 0; n < kFrames; n += kBlock) {
            for (uint32_t i = 0; i < kBlock; ++i)
                Frame(n + i, &block[i * 2]);
            device.feedCapture(block, int(kBlock));
            // As a device does, between its blocks the capture thread waits.
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    });
    // Polled until the last block has arrived, as the window sees it: by the
    // size alone, read far more often than the spectrum (whose lock the
    // capture side shares), so the size must need no lock of its own.
    size_t seen = 0;
    std::array<float, 513> spectrum{};
    const size_t whole = 44 + size_t(kFrames) * 4;
    for (int poll = 0; seen < whole; ++poll) {
        const size_t size = recorder.Buffer.size();
        if (size < seen)
            FAIL() << "the size went back from " << seen << " to " << size;
        seen = size;
        if (poll % 256 == 0)
            engine.BASS_ChannelGetData(recorder.RecordingHandle, spectrum.data(),
                                       BASS_DATA_FFT1024);
    }
    capture.join();
    ASSERT_TRUE(recorder.Stop());

    ASSERT_EQ(recorder.Buffer.size(), 44 + size_t(kFrames) * 4);
    EXPECT_LE(recorder.Buffer.capacity() - recorder.Buffer.size(), RecordingBuffer::kMaxSlack);
    const auto* samples = reinterpret_cast<const int16_t*>(recorder.Buffer.data() + 44);
    for (uint32_t n = 0; n < kFrames; ++n) {
        int16_t expected[2];
        Frame(n, expected);
        if (std::memcmp(samples + size_t(n) * 2, expected, sizeof expected) != 0)
            FAIL() << "frame " << n << " is out of place";
    }
}

} // namespace
} // namespace zarelo
