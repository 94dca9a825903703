#pragma once
// The recording side of the oral training: the recording device and its
// inputs, the running or last recording (RecordingHandle), the WAV image it
// fills (RecordingBuffer) and the playable stream made from that image
// (OwnVoiceStream). The oral training window drives one OralRecorder.
//
// Threads: RecordCallback runs on the capture thread and only appends to
// RecordingBuffer; everything else runs on the user-interface thread. While
// recording, that thread reads only the buffer's size; it rewrites the header,
// saves the file and makes OwnVoiceStream only after capture has stopped.

#include "audio/AudioEngine.h"
#include "oral/RecordingBuffer.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace zarelo {

// The name shown for the input type in the top byte of an input's flags:
// 1 "digital" ... 10 "analog", anything else "undefined".
QString InputTypeName(DWORD flags);

class OralRecorder {
public:
    explicit OralRecorder(AudioEngine& engine);
    // Release().
    ~OralRecorder();
    OralRecorder(const OralRecorder&) = delete;
    OralRecorder& operator=(const OralRecorder&) = delete;

    // The running or last recording channel; 0 before the first recording.
    HRECORD RecordingHandle = 0;
    // Playable stream over RecordingBuffer made by Stop(); 0 while there is none.
    HSTREAM OwnVoiceStream = 0;
    // The WAV image: the header followed by the recorded samples.
    RecordingBuffer Buffer;

    // ---- the device and its inputs ----
    // Opens the default recording device. False when there is none.
    bool InitDevice();
    // The names of the inputs, in the device's order.
    QStringList InputNames();
    // Flags of input `input` (BASS_INPUT_OFF when off, the type in the top
    // byte) and its volume 0..1 into `volume`.
    DWORD InputFlags(int input, float* volume);
    // Switches every input off, then `input` on; volumes stay.
    void SelectInput(int input);
    void SetInputVolume(int input, float volume);

    // ---- the recording ----
    bool IsRecording() const;
    // Discards the last recording (its stream first, then the buffer), writes
    // the header and starts capture at 44100 Hz, 2 channels, 16-bit from the
    // input that is on. False when capture could not start; the buffer is
    // empty then.
    bool Start();
    // Ends capture, writes the header's sizes and makes OwnVoiceStream over
    // the buffer in place. False when the stream could not be made.
    bool Stop();
    // Writes the buffer whole to `path`, replacing the file. False, with the
    // reason in `error`, when it cannot be written.
    bool Save(const QString& path, QString* error) const;
    // One level word per 20 ms of OwnVoiceStream, read from a decode-only
    // stream over `savedFile` or, when that is empty, over the buffer. Empty
    // when there is no OwnVoiceStream or the decoder refuses the bytes.
    std::vector<uint32_t> MeasureOwnLevels(const QString& savedFile);
    // Ends a running recording (no callback runs afterwards), frees
    // OwnVoiceStream and then the buffer, and closes the recording device.
    void Release();

    // The recording callback: appends `length` bytes to the recorder's buffer.
    // Capture thread. False (ending the recording) only when memory runs out.
    static bool RecordCallback(HRECORD handle, const void* buffer, DWORD length, void* user);

private:
    AudioEngine& engine_;
    bool deviceOpen_ = false;
};

} // namespace zarelo
