#pragma once
// The audio engine: streams decoded on the fly from memory or a file, mixed
// into one playback device, and recording from one capture device, under the
// operation names the rest of the program uses (BASS_*).
//
// Handles are 32-bit, 0 means failure. Positions and lengths are bytes of the
// stream's own decoded 16-bit format: frames x channels x 2, at the stream's
// native rate, whatever rate it plays at. A stream made from memory reads the
// caller's bytes in place: they must stay unchanged and alive until the
// stream is freed.
//
// Threads: every BASS_* operation may be called from any thread (the program
// calls them from the user-interface thread). The device's callbacks run on
// its own thread; they and the operations share only state guarded inside the
// engine. A recording callback runs on the capture thread and must not call
// engine operations; it returns false to end the recording.
//
// Without a device (null device, or opening it fails) BASS_Init returns false
// and every later operation fails: 0 / false / -1 as each one says.

#include "audio/AudioDevice.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace zarelo {

using DWORD = uint32_t;
using QWORD = uint64_t;
using HSTREAM = uint32_t;
using HRECORD = uint32_t;

// BASS_StreamCreateFile flags.
constexpr DWORD BASS_STREAM_DECODE = 0x200000; // decode-only: never played, read by GetLevel
// Channel attributes.
constexpr DWORD BASS_ATTRIB_FREQ = 1; // playback rate in Hz; 0 sets the native rate
// Position modes. Only byte positions exist; flags above the low 16 bits
// (the oral training passes 0x200000) are accepted and ignored.
constexpr DWORD BASS_POS_BYTE = 0;
// BASS_ChannelGetData: 512 magnitudes of a 1024-sample FFT.
constexpr DWORD BASS_DATA_FFT1024 = 0x80000002;
// BASS_ChannelIsActive results.
constexpr DWORD BASS_ACTIVE_STOPPED = 0;
constexpr DWORD BASS_ACTIVE_PLAYING = 1;
// Recording inputs.
constexpr DWORD BASS_INPUT_OFF = 0x10000;
constexpr DWORD BASS_INPUT_ON = 0x20000;
constexpr DWORD BASS_INPUT_TYPE_MASK = 0xff000000;
constexpr DWORD BASS_INPUT_TYPE_MIC = 0x03000000; // type 3, shown as the microphone

// BASS_ErrorGetCode values.
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;
constexpr int BASS_ERROR_FILEOPEN = 2;
constexpr int BASS_ERROR_DRIVER = 3;
constexpr int BASS_ERROR_HANDLE = 5;
constexpr int BASS_ERROR_FORMAT = 6;
constexpr int BASS_ERROR_POSITION = 7;
constexpr int BASS_ERROR_INIT = 8;
constexpr int BASS_ERROR_START = 9;
constexpr int BASS_ERROR_ALREADY = 14;
constexpr int BASS_ERROR_ILLPARAM = 20;
constexpr int BASS_ERROR_ILLTYPE = 19;
constexpr int BASS_ERROR_DEVICE = 23;
constexpr int BASS_ERROR_NOTAVAIL = 37;
constexpr int BASS_ERROR_DECODE = 38;
constexpr int BASS_ERROR_FILEFORM = 41;
constexpr int BASS_ERROR_UNKNOWN = -1;

// Recording callback: `length` bytes of 16-bit interleaved samples at
// `buffer`. Runs on the capture thread. Return true to go on recording.
using RECORDPROC = bool (*)(HRECORD handle, const void* buffer, DWORD length, void* user);

class AudioEngine {
public:
    // `device` null: there is no sound device; BASS_Init will fail.
    explicit AudioEngine(std::unique_ptr<AudioDevice> device);
    // Closes the devices (no callback runs afterwards), then frees every stream.
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    AudioDevice* device() const;

    // Opens the playback device: `device` -1 (default), `freq` 44100, 2
    // channels, 16-bit, blocks of at most 1024 frames. `win` and `clsid` are
    // accepted and unused. False when there is no device.
    bool BASS_Init(int device, DWORD freq, DWORD flags, void* win, void* clsid);
    // Starts output (the device begins pulling frames). False before BASS_Init.
    bool BASS_Start();
    // Closes recording and playback and frees every stream.
    bool BASS_Free();

    // mem true: `file` points at `length` bytes in memory (`offset` bytes in);
    // they are read in place. mem false: `file` is a path (UTF-8, local
    // encoding); offset and length 0 read the whole file. Flags 0 (playable)
    // or BASS_STREAM_DECODE. WAV, OGG, FLAC and MP3, found from the bytes.
    HSTREAM BASS_StreamCreateFile(bool mem, const void* file, QWORD offset, QWORD length,
                                  DWORD flags);
    bool BASS_StreamFree(HSTREAM handle); // 0 is accepted and fails quietly

    // restart: from the start; else from the current position. Fails on a
    // decode-only stream. A recording channel resumes delivery.
    bool BASS_ChannelPlay(DWORD handle, bool restart);
    // Silence from the next device block on; the position is kept. On a
    // recording channel: capture ends, no callback runs after this returns.
    bool BASS_ChannelStop(DWORD handle);
    // BASS_ACTIVE_STOPPED or BASS_ACTIVE_PLAYING (also: recording).
    DWORD BASS_ChannelIsActive(DWORD handle);

    // Bytes played (or decoded, on a decode-only stream); -1 on failure.
    QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);
    QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);
    // Moves to `pos` bytes (rounded down to a frame); past the end moves to the end.
    bool BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode);
    // At the stream's native rate; whole frames (rounded down). -1 on failure.
    QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double seconds);
    double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos); // negative on failure

    // BASS_ATTRIB_FREQ: the current playback rate in Hz (the native rate
    // until changed).
    bool BASS_ChannelGetAttribute(DWORD handle, DWORD attrib, float* value);
    bool BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value);
    // The new rate takes effect at once, whatever `time` (ms) says; speed
    // and pitch follow the rate. Positions stay exact.
    bool BASS_ChannelSlideAttribute(DWORD handle, DWORD attrib, float value, DWORD time);

    // Peaks of the next (decode-only stream: and advances) or the latest
    // (playable stream, recording) 20 ms: left in the low 16 bits, right in
    // the high, each 0..32768; mono gives the same on both. 0 past the end;
    // 0xFFFFFFFF on failure.
    DWORD BASS_ChannelGetLevel(DWORD handle);
    // Recording channel, BASS_DATA_FFT1024: writes 512 floats to `buffer`,
    // magnitudes of a Hann-windowed FFT of the latest 1024 captured frames
    // (channels averaged), a full-scale sine giving about 1.0 in its bin.
    // Returns bytes written, or 0xFFFFFFFF on failure.
    DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);

    // `device` -1: the capture side of the device. Inputs are the capture
    // devices: the first one on, the others off, volume 1.
    bool BASS_RecordInit(int device);
    bool BASS_RecordFree();
    // Name of input `input` from 0; null past the last one. Valid until
    // BASS_RecordFree.
    const char* BASS_RecordGetInputName(int input);
    // Flags (BASS_INPUT_OFF when off; the type in the top byte) and, if
    // `volume` is given, the software volume 0..1. 0xFFFFFFFF: no such input.
    DWORD BASS_RecordGetInput(int input, float* volume);
    // flags BASS_INPUT_OFF / BASS_INPUT_ON / 0 (volume only); volume 0..1 or
    // -1 (unchanged). Switching one input on switches the others off.
    bool BASS_RecordSetInput(int input, DWORD flags, float volume);
    // Starts capture from the input that is on at `freq` Hz, `chans`
    // channels, 16-bit (flags 0), calling `proc` with each block.
    HRECORD BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC proc, void* user);

    // Error of the last failed operation on this engine (any thread).
    int BASS_ErrorGetCode() const;

    // Holds the device back while the caller makes several calls that must
    // reach it together (stop, play, set position): no block is rendered
    // until the lock is released. Keep it for microseconds, not longer.
    std::unique_lock<std::recursive_mutex> HoldDevice();

    // Frames per playback block granted by the device; 0 before BASS_Init.
    int PlaybackBufferFrames() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace zarelo
