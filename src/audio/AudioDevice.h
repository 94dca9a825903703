#pragma once
// The sound device seam. The device calls the engine: its playback side asks
// for frames to play, its capture side hands over frames it recorded. Engine
// time is the frames the device has pulled, so a test that pumps frames
// through ManualAudioDevice drives the engine without any real device.
//
// All samples are interleaved signed 16-bit, native byte order.

#include <cstdint>
#include <string>
#include <vector>

namespace zarelo {

// Implemented by the engine. Both calls come from the device's own thread
// (or the test's thread for the manual device), never concurrently with
// themselves for the same direction.
class AudioCallbacks {
public:
    virtual ~AudioCallbacks() = default;
    // Fill `frames` frames of `channels` interleaved samples at `out`.
    virtual void renderPlayback(int16_t* out, int frames, int channels) = 0;
    // `frames` recorded frames of `channels` interleaved samples.
    virtual void captureArrived(const int16_t* in, int frames, int channels) = 0;
};

struct DeviceFormat {
    int rate = 44100; // frames per second
    int channels = 2;
    int bufferFrames = 1024; // largest block the device may ask for at once
};

class AudioDevice {
public:
    virtual ~AudioDevice() = default;

    // Opens the default playback device in exactly `format` (the device
    // converts if its hardware differs), paused. False when there is none.
    virtual bool openPlayback(const DeviceFormat& format, AudioCallbacks& callbacks) = 0;
    // Starts pulling frames; idempotent.
    virtual void startPlayback() = 0;
    // Closes playback; once it returns no renderPlayback call is running.
    virtual void closePlayback() = 0;
    // Frames per device block actually granted; 0 when not open.
    virtual int playbackBufferFrames() const = 0;

    // Capture devices, in the device's order; they are the recording inputs.
    virtual std::vector<std::string> captureNames() = 0;
    // Opens capture input `input` (-1 = the default device) in `format` and
    // starts delivering to `callbacks`. False when it cannot be opened.
    virtual bool openCapture(int input, const DeviceFormat& format, AudioCallbacks& callbacks) = 0;
    // Closes capture; once it returns no captureArrived call is running.
    virtual void closeCapture() = 0;
};

} // namespace zarelo
