#pragma once
// The recorder: the capture side of the engine. It keeps the recording
// inputs (the device's capture devices, each with a software volume 0..1,
// exactly one of them on), runs one recording at a time from the input that
// is on, and for each captured block: scales it by that input's volume,
// keeps the latest 20 ms for the level and the latest 1024 frames for the
// spectrum (kissfft), and hands the scaled samples to the recording callback.
//
// Threads:
// - captureArrived runs on the device's capture thread. It holds the capture
//   lock while it calls the recording callback, so the callback must not
//   call back into the recorder or the engine.
// - Every other function runs on a control thread (the program's
//   user-interface thread; any thread but the capture thread will do).
//   The control functions (init to stop) are serialised among themselves
//   by a control lock, which is never held by the capture thread, so stop()
//   and release() can wait for the device to close capture.
// - Locks: the control lock may be held while taking the capture lock,
//   never the reverse; the device is closed with the capture lock released.
//   Neither is ever held together with the mixer's lock.
//
// Errors: a failing function stores its BASS_ERROR_* code in the engine's
// error and returns the failure value of the BASS_* operation it serves
// (named beside each function; see AudioEngine.h for the contracts).

#include "audio/AudioDevice.h"
#include "audio/AudioEngine.h"
#include "audio/HandleTable.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

struct kiss_fftr_state;

namespace zarelo {

class Recorder final : public AudioCallbacks {
public:
    // Frames the spectrum is taken over; spectrum() writes half as many magnitudes.
    static constexpr int kSpectrumFrames = 1024;

    // `device` may be null (init then fails); `error` is the engine's last
    // error; `handles` numbers the recordings.
    Recorder(AudioDevice* device, std::atomic<int>& error, HandleCounter& handles);
    // Expects capture closed (release() or the engine's BASS_Free).
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // ---- control thread: inputs ----
    // BASS_RecordInit: reads the capture devices as inputs; `device` -1 or an
    // input index, which is switched on (-1: the first).
    bool init(int device);
    // BASS_RecordFree: ends a running recording (no callback runs after
    // this returns), forgets the recording handle and the inputs.
    bool release();
    const char* inputName(int input);                    // BASS_RecordGetInputName
    DWORD input(int input, float* volume);               // BASS_RecordGetInput
    bool setInput(int input, DWORD flags, float volume); // BASS_RecordSetInput

    // ---- control thread: the recording ----
    // BASS_RecordStart: ends the last recording, issues a new handle, clears
    // level and spectrum and opens capture from the input that is on.
    HRECORD start(DWORD freq, DWORD chans, DWORD flags, RECORDPROC proc, void* user);
    // BASS_ChannelPlay on the recording: delivery goes on (capture is
    // reopened if it was stopped). Always true when already recording.
    bool resume();
    // BASS_ChannelStop on the recording: closes capture; once it returns no
    // callback is running or will run. The handle stays the recording's.
    void stop();

    // ---- control thread: readings of the current recording ----
    // True when `handle` is the recording's (running or stopped). The other
    // readings are meant for such a handle.
    bool owns(DWORD handle) const;
    bool isRecording() const;
    float rate() const; // Hz, as started
    // Peaks of the latest 20 ms as a level word; 0 when not recording.
    DWORD level() const;
    // Magnitudes of a Hann-windowed FFT of the latest kSpectrumFrames frames
    // (channels averaged) into `out[0 .. kSpectrumFrames / 2 - 1]`; a
    // full-scale sine gives about 1.0 in its bin.
    void spectrum(float* out) const;

    // ---- capture thread ----
    void captureArrived(const int16_t* in, int frames, int channels) override;
    // The recorder is never opened for playback.
    void renderPlayback(int16_t*, int, int) override {}

private:
    bool fail(int code);
    void closeCapture(); // with recordControl_ held, captureMutex_ not

    AudioDevice* device_;
    std::atomic<int>& error_;
    HandleCounter& handles_;

    // Inputs, guarded by recordControl_.
    std::mutex recordControl_;
    bool inited_ = false;
    std::vector<std::string> inputNames_;
    std::vector<DWORD> inputFlags_;
    std::vector<float> inputVolumes_;

    // The recording, guarded by captureMutex_.
    mutable std::mutex captureMutex_;
    HRECORD handle_ = 0;
    bool recording_ = false; // delivering to the callback
    bool captureOpen_ = false;
    DeviceFormat format_;
    int input_ = -1;
    RECORDPROC proc_ = nullptr;
    void* procUser_ = nullptr;
    float volume_ = 1.0f;
    std::vector<int16_t> scaled_;
    std::vector<float> fftRing_; // mono, latest kSpectrumFrames frames
    size_t fftAt_ = 0;
    std::vector<float> levelRing_; // stereo, latest 20 ms
    size_t levelAt_ = 0;

    // The transform keeps scratch space in its configuration: one caller at a time.
    mutable std::mutex fftMutex_;
    kiss_fftr_state* fft_ = nullptr;
    std::vector<float> window_; // Hann, kSpectrumFrames points
};

} // namespace zarelo
