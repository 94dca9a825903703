#pragma once
// The one voice player as the modes drive it: the read-aloud controller, both
// tests and the oral training play ranges of the loaded voice file through
// this interface, so that the rules of the voice (same voice name, select a
// row's voice, play a range, range finished) live once, in VoicePlayer, and
// tests can stand in for it.
//
// Times are tenths of a second; positions are bytes of the voice stream's
// decoded format. UI thread only.

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace zarelo {

// True when two voice names (GBK) are equal with only the ASCII letters a-z
// folded to capitals; bytes >= 0x80 are compared as they are.
bool SameVoiceName(QByteArrayView a, QByteArrayView b);

class VoicePlayback {
public:
    virtual ~VoicePlayback() = default;

    // PlayState: "mpPlaying" while a range plays for the read-aloud view or a
    // test. Only the modes set it; the operations below leave it alone.
    virtual bool IsPlaying() const = 0;
    virtual void SetPlaying(bool playing) = 0;

    // PlayRangeStart / PlayRangeEnd.
    virtual double RangeStart() const = 0;
    virtual double RangeEnd() const = 0;
    virtual void SetRange(double start, double end) = 0;

    // True when the loaded voice is `voiceName` (SameVoiceName with
    // CurrentVoiceName).
    virtual bool HoldsVoice(QByteArrayView voiceName) const = 0;
    // Loads `voiceName` of the open book unless it is held: CurrentVoiceName
    // and LoadedVoiceName become it and its file is opened (the old stream is
    // freed with its sound). True when it was not held. A missing file is
    // reported and the old voice stays; a damaged one throws BookError.
    virtual bool SelectVoice(QByteArrayView voiceName) = 0;
    // Sets the range and plays the stream from `start` on.
    virtual void PlayRange(double start, double end) = 0;
    // True once the position is strictly past RangeEnd() of the voice the
    // range was set for.
    virtual bool RangeFinished() const = 0;
    // Moves the stream to `time` without playing.
    virtual void SeekTo(double time) = 0;
    // Plays on from where the stream stands.
    virtual void Resume() = 0;
    virtual void StopVoice() = 0;

    // The play position in bytes, and `seconds` in bytes of the stream.
    virtual int64_t Position() const = 0;
    virtual int64_t Bytes(double seconds) const = 0;

    // Rate := factor x the voice's native rate, at once (0.5..1.5 in use).
    virtual void SetPlaybackRate(float factor) = 0;
    // True, once, after a new voice was loaded: the reading speed is to be
    // applied to it.
    virtual bool TakeSpeedPending() = 0;

    // Plays `bytes` (a whole sound file) as a stream of its own, leaving the
    // voice alone; the previous cue stops. False when it cannot be played.
    virtual bool PlayCue(const QByteArray& bytes) = 0;
};

} // namespace zarelo
