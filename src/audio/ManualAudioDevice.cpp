#include "audio/ManualAudioDevice.h"

#include <algorithm>

namespace zarelo {

ManualAudioDevice::ManualAudioDevice(std::vector<std::string> captureInputs, bool hasPlayback,
                                     int bufferFrames)
    : inputs_(std::move(captureInputs)), hasPlayback_(hasPlayback),
      bufferFrames_(std::clamp(bufferFrames, 1, 1024))
{
}

bool ManualAudioDevice::openPlayback(const DeviceFormat& format, AudioCallbacks& callbacks)
{
    if (!hasPlayback_)
        return false;
    std::lock_guard lock(renderMutex_);
    playbackFormat_ = format;
    playbackFormat_.bufferFrames = std::min(bufferFrames_, format.bufferFrames);
    playback_ = &callbacks;
    playbackOpen_ = true;
    started_ = false;
    return true;
}

void ManualAudioDevice::startPlayback()
{
    if (playbackOpen_)
        started_ = true;
}

void ManualAudioDevice::closePlayback()
{
    std::lock_guard lock(renderMutex_);
    playbackOpen_ = false;
    started_ = false;
    playback_ = nullptr;
}

int ManualAudioDevice::playbackBufferFrames() const
{
    return playbackOpen_ ? playbackFormat_.bufferFrames : 0;
}

std::vector<std::string> ManualAudioDevice::captureNames()
{
    return inputs_;
}

bool ManualAudioDevice::openCapture(int input, const DeviceFormat& format,
                                    AudioCallbacks& callbacks)
{
    if (inputs_.empty() || input >= static_cast<int>(inputs_.size()))
        return false;
    std::lock_guard lock(captureMutex_);
    captureFormat_ = format;
    capture_ = &callbacks;
    captureInput_ = input;
    return true;
}

void ManualAudioDevice::closeCapture()
{
    std::lock_guard lock(captureMutex_);
    capture_ = nullptr;
    captureInput_ = -2;
}

bool ManualAudioDevice::captureOpen() const
{
    std::lock_guard lock(captureMutex_);
    return capture_ != nullptr;
}

std::vector<int16_t> ManualAudioDevice::render(int frames)
{
    std::lock_guard lock(renderMutex_);
    const int channels = playbackOpen_ ? playbackFormat_.channels : 2;
    std::vector<int16_t> out(static_cast<size_t>(std::max(frames, 0)) * channels, 0);
    if (!playbackOpen_ || !started_ || !playback_)
        return out;
    const int block = playbackFormat_.bufferFrames;
    for (int done = 0; done < frames;) {
        const int n = std::min(block, frames - done);
        playback_->renderPlayback(out.data() + static_cast<size_t>(done) * channels, n, channels);
        done += n;
    }
    return out;
}

int ManualAudioDevice::feedCapture(const std::vector<int16_t>& samples, int blockFrames)
{
    std::lock_guard lock(captureMutex_);
    if (!capture_)
        return 0;
    const int channels = captureFormat_.channels;
    const int frames = static_cast<int>(samples.size() / channels);
    blockFrames = std::max(blockFrames, 1);
    for (int done = 0; done < frames;) {
        const int n = std::min(blockFrames, frames - done);
        capture_->captureArrived(samples.data() + static_cast<size_t>(done) * channels, n,
                                 channels);
        done += n;
    }
    return frames;
}

} // namespace zarelo
