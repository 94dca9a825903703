#include "audio/Recorder.h"

#include "audio/Samples.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zarelo {
namespace {

constexpr int kFftSize = Recorder::kSpectrumFrames;

} // namespace

Recorder::Recorder(AudioDevice* device, std::atomic<int>& error, HandleCounter& handles)
    : device_(device), error_(error), handles_(handles), fftRing_(kFftSize, 0.0f),
      fft_(kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr)), window_(kFftSize)
{
    for (int i = 0; i < kFftSize; ++i)
        window_[i] = 0.5f * (1.0f - std::cos(2.0f * std::numbers::pi_v<float> * i / kFftSize));
}

Recorder::~Recorder()
{
    kiss_fftr_free(fft_);
}

bool Recorder::fail(int code)
{
    error_ = code;
    return false;
}

void Recorder::closeCapture()
{
    bool wasOpen = false;
    {
        std::lock_guard lock(captureMutex_);
        recording_ = false;
        wasOpen = captureOpen_;
        captureOpen_ = false;
    }
    // Without the capture lock: closing waits for a running captureArrived.
    if (wasOpen && device_)
        device_->closeCapture();
}

bool Recorder::init(int device)
{
    std::lock_guard control(recordControl_);
    if (!device_ || device < -1)
        return fail(BASS_ERROR_DEVICE);
    if (inited_)
        return fail(BASS_ERROR_ALREADY);
    std::vector<std::string> names = device_->captureNames();
    if (names.empty() || (device >= 0 && device >= static_cast<int>(names.size())))
        return fail(BASS_ERROR_DEVICE);
    inputNames_ = std::move(names);
    inputFlags_.assign(inputNames_.size(), BASS_INPUT_TYPE_MIC | BASS_INPUT_OFF);
    inputFlags_[device >= 0 ? device : 0] = BASS_INPUT_TYPE_MIC;
    inputVolumes_.assign(inputNames_.size(), 1.0f);
    inited_ = true;
    return true;
}

bool Recorder::release()
{
    std::lock_guard control(recordControl_);
    if (!inited_)
        return fail(BASS_ERROR_INIT);
    closeCapture();
    {
        std::lock_guard lock(captureMutex_);
        handle_ = 0;
        proc_ = nullptr;
    }
    inited_ = false;
    inputNames_.clear();
    inputFlags_.clear();
    inputVolumes_.clear();
    return true;
}

const char* Recorder::inputName(int input)
{
    std::lock_guard control(recordControl_);
    if (!inited_)
        return fail(BASS_ERROR_INIT), nullptr;
    if (input < 0 || input >= static_cast<int>(inputNames_.size()))
        return fail(BASS_ERROR_ILLPARAM), nullptr;
    return inputNames_[input].c_str();
}

DWORD Recorder::input(int input, float* volume)
{
    std::lock_guard control(recordControl_);
    if (!inited_)
        return fail(BASS_ERROR_INIT), ~DWORD{0};
    if (input < 0 || input >= static_cast<int>(inputNames_.size()))
        return fail(BASS_ERROR_ILLPARAM), ~DWORD{0};
    if (volume)
        *volume = inputVolumes_[input];
    return inputFlags_[input];
}

bool Recorder::setInput(int input, DWORD flags, float volume)
{
    std::lock_guard control(recordControl_);
    if (!inited_)
        return fail(BASS_ERROR_INIT);
    if (input < 0 || input >= static_cast<int>(inputNames_.size()))
        return fail(BASS_ERROR_ILLPARAM);
    if (flags & BASS_INPUT_ON) {
        for (auto& f : inputFlags_)
            f |= BASS_INPUT_OFF;
        inputFlags_[input] &= ~BASS_INPUT_OFF;
    } else if (flags & BASS_INPUT_OFF) {
        inputFlags_[input] |= BASS_INPUT_OFF;
    }
    if (volume >= 0.0f && std::isfinite(volume)) {
        inputVolumes_[input] = std::min(volume, 1.0f);
        std::lock_guard lock(captureMutex_);
        if (captureOpen_ && input_ == input)
            volume_ = inputVolumes_[input];
    }
    return true;
}

HRECORD Recorder::start(DWORD freq, DWORD chans, DWORD flags, RECORDPROC proc, void* user)
{
    std::lock_guard control(recordControl_);
    if (!inited_)
        return fail(BASS_ERROR_INIT), 0;
    if (freq == 0 || freq > 384000 || chans == 0 || chans > 2 || flags != 0)
        return fail(BASS_ERROR_FORMAT), 0;
    closeCapture(); // one recording at a time: a new start ends the last one
    int input = -1;
    for (size_t i = 0; i < inputFlags_.size(); ++i)
        if (!(inputFlags_[i] & BASS_INPUT_OFF)) {
            input = static_cast<int>(i);
            break;
        }
    DeviceFormat format;
    format.rate = static_cast<int>(freq);
    format.channels = static_cast<int>(chans);
    format.bufferFrames = static_cast<int>(freq / 100); // 10 ms blocks
    const HRECORD handle = handles_.issue();
    {
        // Delivering before the device opens, so that no first block is lost.
        std::lock_guard lock(captureMutex_);
        handle_ = handle;
        format_ = format;
        input_ = input;
        proc_ = proc;
        procUser_ = user;
        volume_ = input >= 0 ? inputVolumes_[input] : 1.0f;
        std::fill(fftRing_.begin(), fftRing_.end(), 0.0f);
        fftAt_ = 0;
        levelRing_.assign(static_cast<size_t>(freq / 50) * 2, 0.0f);
        levelAt_ = 0;
        recording_ = true;
        captureOpen_ = true;
    }
    if (!device_->openCapture(input, format, *this)) {
        std::lock_guard lock(captureMutex_);
        recording_ = false;
        captureOpen_ = false;
        handle_ = 0;
        return fail(BASS_ERROR_DEVICE), 0;
    }
    return handle;
}

bool Recorder::resume()
{
    std::lock_guard control(recordControl_);
    DeviceFormat format;
    int input = -1;
    {
        std::lock_guard lock(captureMutex_);
        if (recording_)
            return true;
        if (captureOpen_) {
            recording_ = true;
            return true;
        }
        format = format_;
        input = input_;
    }
    if (!device_->openCapture(input, format, *this))
        return fail(BASS_ERROR_DEVICE);
    std::lock_guard lock(captureMutex_);
    captureOpen_ = true;
    recording_ = true;
    return true;
}

void Recorder::stop()
{
    std::lock_guard control(recordControl_);
    closeCapture();
}

bool Recorder::owns(DWORD handle) const
{
    std::lock_guard lock(captureMutex_);
    return handle != 0 && handle == handle_;
}

bool Recorder::isRecording() const
{
    std::lock_guard lock(captureMutex_);
    return recording_;
}

float Recorder::rate() const
{
    std::lock_guard lock(captureMutex_);
    return static_cast<float>(format_.rate);
}

DWORD Recorder::level() const
{
    std::lock_guard lock(captureMutex_);
    if (!recording_)
        return 0;
    return levelOf(levelRing_.data(), static_cast<int64_t>(levelRing_.size() / 2), 2);
}

void Recorder::spectrum(float* out) const
{
    std::vector<float> input(kFftSize);
    {
        std::lock_guard lock(captureMutex_);
        for (int i = 0; i < kFftSize; ++i)
            input[i] = fftRing_[(fftAt_ + i) % kFftSize] * window_[i];
    }
    std::vector<kiss_fft_cpx> bins(kFftSize / 2 + 1);
    {
        std::lock_guard lock(fftMutex_);
        kiss_fftr(fft_, input.data(), bins.data());
    }
    // A sine of amplitude A gives A x N / 4 in its bin through the Hann window.
    for (int i = 0; i < kFftSize / 2; ++i)
        out[i] = std::hypot(bins[i].r, bins[i].i) * (4.0f / kFftSize);
}

void Recorder::captureArrived(const int16_t* in, int frames, int channels)
{
    std::lock_guard lock(captureMutex_);
    if (!recording_ || frames <= 0)
        return;
    const int16_t* samples = in;
    const size_t count = static_cast<size_t>(frames) * channels;
    if (volume_ != 1.0f) {
        scaled_.resize(count);
        for (size_t i = 0; i < count; ++i)
            scaled_[i] = toSample(in[i] / 32768.0f * volume_);
        samples = scaled_.data();
    }
    const size_t levelFrames = levelRing_.size() / 2;
    for (int i = 0; i < frames; ++i) {
        const float l = samples[i * channels] / 32768.0f;
        const float r = samples[i * channels + (channels > 1 ? 1 : 0)] / 32768.0f;
        fftRing_[fftAt_] = 0.5f * (l + r);
        fftAt_ = (fftAt_ + 1) % kFftSize;
        if (levelFrames > 0) {
            levelRing_[levelAt_ * 2] = l;
            levelRing_[levelAt_ * 2 + 1] = r;
            levelAt_ = (levelAt_ + 1) % levelFrames;
        }
    }
    if (proc_ && !proc_(handle_, samples, static_cast<DWORD>(count * sizeof(int16_t)), procUser_))
        recording_ = false;
}

} // namespace zarelo
