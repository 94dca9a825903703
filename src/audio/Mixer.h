#pragma once
// The mixer: the playback side of the engine. It owns the streams (in a
// HandleTable), keeps their positions in frames of their own format, plays
// each at its rate attribute through libsamplerate (bypassed at the device
// rate) and mixes the playing ones into the device's blocks.
//
// Threads: renderPlayback runs on the device's playback thread; every other
// function may be called from any thread. All state is guarded by one
// recursive mutex, which renderPlayback takes for each block and hold()
// hands to callers. open and close call the device without it, since
// closing waits for a running renderPlayback.
//
// Errors: a failing function stores its BASS_ERROR_* code in the engine's
// error and returns the failure value of the BASS_* operation it serves
// (named beside each function; see AudioEngine.h for the contracts).

#include "audio/AudioDevice.h"
#include "audio/AudioEngine.h"
#include "audio/HandleTable.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace zarelo {

class Decoder;

class Mixer final : public AudioCallbacks {
public:
    // `device` may be null (open then fails); `error` is the engine's last
    // error; `handles` numbers the streams.
    Mixer(AudioDevice* device, std::atomic<int>& error, HandleCounter& handles);
    ~Mixer() override;
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // BASS_Init: opens playback at `freq` Hz (44100 when out of range), stereo.
    bool open(DWORD freq);
    bool start(); // BASS_Start
    bool close(); // BASS_Free's playback half: closes the device, frees every stream
    bool isOpen() const;
    int bufferFrames() const;                      // PlaybackBufferFrames
    std::unique_lock<std::recursive_mutex> hold(); // HoldDevice

    // BASS_StreamCreateFile over an opened decoder; 0 when playback is not open.
    HSTREAM add(std::unique_ptr<Decoder> decoder, bool decodeOnly);
    bool remove(HSTREAM handle); // BASS_StreamFree; the decoder closes outside the lock

    bool play(DWORD handle, bool restart); // BASS_ChannelPlay
    bool stop(DWORD handle);               // BASS_ChannelStop
    bool isPlaying(DWORD handle);          // BASS_ChannelIsActive
    QWORD position(DWORD handle);          // BASS_ChannelGetPosition, bytes
    QWORD length(DWORD handle);            // BASS_ChannelGetLength, bytes
    bool setPosition(DWORD handle, QWORD pos);
    QWORD secondsToBytes(DWORD handle, double seconds);
    double bytesToSeconds(DWORD handle, QWORD pos);
    bool rate(DWORD handle, float* value);   // BASS_ATTRIB_FREQ, Hz
    bool setRate(DWORD handle, float value); // Hz; 0 = native
    DWORD level(DWORD handle);               // BASS_ChannelGetLevel

    // Device thread.
    void renderPlayback(int16_t* out, int frames, int channels) override;
    // The mixer is never opened for capture.
    void captureArrived(const int16_t*, int, int) override {}

private:
    struct Stream;

    bool fail(int code);
    Stream* find(DWORD handle);
    // The stream `handle` when it may sound: null, with the error set, for
    // an unknown handle or a decode-only stream. Call with the lock held.
    Stream* playable(DWORD handle);

    AudioDevice* device_;
    std::atomic<int>& error_;
    mutable std::recursive_mutex mutex_;
    bool open_ = false;
    int deviceRate_ = 44100;
    int bufferFrames_ = 0;
    HandleTable<Stream> streams_;
    std::vector<float> mix_; // one block, stereo
};

} // namespace zarelo
