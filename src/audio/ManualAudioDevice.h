#pragma once
// A sound device for tests: plays exactly the frames a test asks for, on the
// test's thread (or any thread it chooses), and records from frames the test
// feeds in. Nothing moves by itself.

#include "audio/AudioDevice.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace zarelo {

class ManualAudioDevice final : public AudioDevice {
public:
    // `captureInputs`: names of the capture devices; empty means none.
    explicit ManualAudioDevice(std::vector<std::string> captureInputs = {"Manual input"},
                               bool hasPlayback = true, int bufferFrames = 1024);

    bool openPlayback(const DeviceFormat& format, AudioCallbacks& callbacks) override;
    void startPlayback() override;
    void closePlayback() override;
    int playbackBufferFrames() const override;
    std::vector<std::string> captureNames() override;
    bool openCapture(int input, const DeviceFormat& format, AudioCallbacks& callbacks) override;
    void closeCapture() override;

    // Renders `frames` frames (in device blocks of at most bufferFrames) and
    // returns them interleaved. Silence, with the engine not asked, while
    // playback is not open and started.
    std::vector<int16_t> render(int frames);
    // Hands `samples` (interleaved, capture format) to the engine in blocks
    // of `blockFrames`. Ignored while capture is closed. Returns frames delivered.
    int feedCapture(const std::vector<int16_t>& samples, int blockFrames = 441);

    bool playbackOpen() const { return playbackOpen_; }
    bool playbackStarted() const { return started_; }
    bool captureOpen() const;
    int openedCaptureInput() const { return captureInput_; }
    DeviceFormat playbackFormat() const { return playbackFormat_; }
    DeviceFormat captureFormat() const { return captureFormat_; }

private:
    std::vector<std::string> inputs_;
    bool hasPlayback_;
    int bufferFrames_;
    std::atomic<bool> playbackOpen_{false};
    std::atomic<bool> started_{false};
    DeviceFormat playbackFormat_;
    DeviceFormat captureFormat_;
    AudioCallbacks* playback_ = nullptr;
    mutable std::mutex captureMutex_; // held while delivering and while closing
    AudioCallbacks* capture_ = nullptr;
    int captureInput_ = -2;
    std::mutex renderMutex_; // held while rendering and while closing playback
};

} // namespace zarelo
