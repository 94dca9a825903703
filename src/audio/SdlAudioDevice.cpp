#include "audio/SdlAudioDevice.h"

#include <SDL.h>

#include <algorithm>

namespace zarelo {
namespace {

// SDL's audio subsystem only. Callbacks run on SDL's audio threads.
class SdlAudioDevice final : public AudioDevice {
public:
    ~SdlAudioDevice() override
    {
        closeCapture();
        closePlayback();
        if (initialised_)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool openPlayback(const DeviceFormat& format, AudioCallbacks& callbacks) override
    {
        if (!initialise() || playback_ != 0)
            return false;
        playbackCallbacks_ = &callbacks;
        SDL_AudioSpec want{};
        want.freq = format.rate;
        want.format = AUDIO_S16SYS;
        want.channels = static_cast<Uint8>(format.channels);
        want.samples = static_cast<Uint16>(std::min(format.bufferFrames, 1024));
        want.callback = &SdlAudioDevice::playbackThunk;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts to whatever the hardware takes, so
        // the engine always renders the format it asked for.
        playback_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (playback_ == 0)
            return false;
        playbackChannels_ = format.channels;
        bufferFrames_ = have.samples;
        return true;
    }

    void startPlayback() override
    {
        if (playback_ != 0)
            SDL_PauseAudioDevice(playback_, 0);
    }

    void closePlayback() override
    {
        if (playback_ != 0)
            SDL_CloseAudioDevice(playback_); // waits for the callback to finish
        playback_ = 0;
        bufferFrames_ = 0;
    }

    int playbackBufferFrames() const override { return bufferFrames_; }

    std::vector<std::string> captureNames() override
    {
        std::vector<std::string> names;
        if (!initialise())
            return names;
        const int count = SDL_GetNumAudioDevices(1);
        for (int i = 0; i < count; ++i) {
            const char* name = SDL_GetAudioDeviceName(i, 1);
            names.emplace_back(name ? name : "");
        }
        return names;
    }

    bool openCapture(int input, const DeviceFormat& format, AudioCallbacks& callbacks) override
    {
        if (!initialise() || capture_ != 0)
            return false;
        captureCallbacks_ = &callbacks;
        const char* name = input >= 0 ? SDL_GetAudioDeviceName(input, 1) : nullptr;
        SDL_AudioSpec want{};
        want.freq = format.rate;
        want.format = AUDIO_S16SYS;
        want.channels = static_cast<Uint8>(format.channels);
        want.samples = static_cast<Uint16>(std::clamp(format.bufferFrames, 64, 4096));
        want.callback = &SdlAudioDevice::captureThunk;
        want.userdata = this;
        SDL_AudioSpec have{};
        capture_ = SDL_OpenAudioDevice(name, 1, &want, &have, 0);
        if (capture_ == 0)
            return false;
        captureChannels_ = format.channels;
        SDL_PauseAudioDevice(capture_, 0);
        return true;
    }

    void closeCapture() override
    {
        if (capture_ != 0)
            SDL_CloseAudioDevice(capture_);
        capture_ = 0;
    }

private:
    bool initialise()
    {
        if (!initialised_)
            initialised_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        return initialised_;
    }

    static void playbackThunk(void* user, Uint8* stream, int length)
    {
        auto* self = static_cast<SdlAudioDevice*>(user);
        const int frameBytes = self->playbackChannels_ * 2;
        self->playbackCallbacks_->renderPlayback(reinterpret_cast<int16_t*>(stream),
                                                 length / frameBytes, self->playbackChannels_);
    }

    static void captureThunk(void* user, Uint8* stream, int length)
    {
        auto* self = static_cast<SdlAudioDevice*>(user);
        const int frameBytes = self->captureChannels_ * 2;
        self->captureCallbacks_->captureArrived(reinterpret_cast<const int16_t*>(stream),
                                                length / frameBytes, self->captureChannels_);
    }

    bool initialised_ = false;
    SDL_AudioDeviceID playback_ = 0;
    SDL_AudioDeviceID capture_ = 0;
    AudioCallbacks* playbackCallbacks_ = nullptr;
    AudioCallbacks* captureCallbacks_ = nullptr;
    int playbackChannels_ = 2;
    int captureChannels_ = 2;
    int bufferFrames_ = 0;
};

} // namespace

std::unique_ptr<AudioDevice> MakeSdlAudioDevice()
{
    return std::make_unique<SdlAudioDevice>();
}

} // namespace zarelo
