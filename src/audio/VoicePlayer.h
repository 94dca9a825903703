#pragma once
// The one voice player of the program: holds one voice file of the open book
// and plays time ranges of it. The read-aloud view, the tests and the oral
// training all drive this one instance and its one VoiceStream.
//
// Times are tenths of a second (64-bit floats); a time t addresses the byte
// position of t / 10 seconds of VoiceStream. Byte positions are compared as
// signed numbers. All operations run on the user-interface thread.

#include "audio/AudioEngine.h"
#include "audio/VoicePlayback.h"

#include <QByteArray>
#include <QString>

namespace zarelo {

struct OpenBook;
struct ProgramPaths;
class UserMessages;

class VoicePlayer final : public VoicePlayback {
public:
    // Keeps references to all four; they must outlive the player.
    VoicePlayer(AudioEngine& engine, OpenBook& book, const ProgramPaths& paths,
                UserMessages& messages);
    // Frees the streams before their bytes go.
    ~VoicePlayer() override;
    VoicePlayer(const VoicePlayer&) = delete;
    VoicePlayer& operator=(const VoicePlayer&) = delete;

    HSTREAM VoiceStream = 0;       // playable stream over VoiceBytes; 0 before the first load
    HSTREAM VoiceDecodeStream = 0; // decode-only stream over the same bytes; never played
    // Unpacked bytes of the loaded voice file; both streams read them in
    // place. Never modified; replaced only after both streams are freed.
    QByteArray VoiceBytes;
    float VoiceBaseFreq = 44100.0f;               // native rate of the loaded voice, Hz
    bool SpeedPending = false;                    // set by every successful load
    double PlayRangeStart = 0.0;                  // tenths of a second
    double PlayRangeEnd = 0.0;                    // tenths of a second
    QString PlayState = QStringLiteral("mpStop"); // "mpPlaying" or "mpStop"
    bool IsPlaying() const override { return PlayState == QLatin1String("mpPlaying"); }
    void SetPlaying(bool playing) override
    {
        PlayState = playing ? QStringLiteral("mpPlaying") : QStringLiteral("mpStop");
    }
    double RangeStart() const override { return PlayRangeStart; }
    double RangeEnd() const override { return PlayRangeEnd; }
    void SetRange(double start, double end) override
    {
        PlayRangeStart = start;
        PlayRangeEnd = end;
    }

    // Loads OpenBook::CurrentVoiceName of book folder `bookFolder` (under the
    // program folder and CurrentPublisher). False, with the message
    // "语音文件不存在！         ", when the file is missing; nothing changes
    // then. Throws BookError when the packed file is damaged; nothing changes
    // then either. A voice that does not play shows "不能播放！         " and
    // still returns true.
    bool OpenVoiceFile(const QString& bookFolder);

    bool HoldsVoice(QByteArrayView voiceName) const override;
    bool SelectVoice(QByteArrayView voiceName) override;
    // The start and the jump reach the device together.
    void PlayRange(double start, double end) override;
    // Also false while CurrentVoiceName and LoadedVoiceName differ.
    bool RangeFinished() const override;
    void SeekTo(double time) override;
    void Resume() override;
    void StopVoice() override;
    int64_t Position() const override;
    int64_t Bytes(double seconds) const override;
    void SetPlaybackRate(float factor) override;
    bool TakeSpeedPending() override;
    // The cue reads its own copy of the bytes in place until the next cue.
    bool PlayCue(const QByteArray& bytes) override;

    // Path of the voice file CurrentVoiceName + ".wav" in book folder `bookFolder` of
    // CurrentPublisher; each name is found as FindBookEntry finds it (letter case).
    QString VoiceFilePath(const QString& bookFolder) const;

private:
    AudioEngine& engine_;
    OpenBook& book_;
    const ProgramPaths& paths_;
    UserMessages& messages_;
    QByteArray cueBytes_;
    HSTREAM cueStream_ = 0;
};

} // namespace zarelo
