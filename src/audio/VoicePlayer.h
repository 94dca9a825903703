#pragma once
// The one voice player of the program: holds one voice file of the open book
// and plays time ranges of it. The read-aloud view, the tests and the oral
// training all drive this one instance and its one VoiceStream.
//
// Times are tenths of a second (64-bit floats); a time t addresses the byte
// position of t / 10 seconds of VoiceStream. Byte positions are compared as
// signed numbers. All operations run on the user-interface thread.

#include "audio/AudioEngine.h"

#include <QByteArray>
#include <QString>

namespace zarelo {

struct OpenBook;
struct ProgramPaths;
class UserMessages;

class VoicePlayer {
public:
    // Keeps references to all four; they must outlive the player.
    VoicePlayer(AudioEngine& engine, OpenBook& book, const ProgramPaths& paths,
                UserMessages& messages);
    // Frees both streams before VoiceBytes goes.
    ~VoicePlayer();
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
    // PlayState read and written as a flag: "mpPlaying" while a range plays for
    // the read-aloud view or a test.
    bool IsPlaying() const { return PlayState == QLatin1String("mpPlaying"); }
    void SetPlaying(bool playing)
    {
        PlayState = playing ? QStringLiteral("mpPlaying") : QStringLiteral("mpStop");
    }

    // Loads OpenBook::CurrentVoiceName of book folder `bookFolder` (under the
    // program folder and CurrentPublisher). False, with the message
    // "语音文件不存在！         ", when the file is missing; nothing changes
    // then. Throws BookError when the packed file is damaged; nothing changes
    // then either. A voice that does not play shows "不能播放！         " and
    // still returns true.
    bool OpenVoiceFile(const QString& bookFolder);
    // True when `voiceName` (GBK) equals CurrentVoiceName with the ASCII
    // letters folded to capitals.
    bool HoldsVoice(const QByteArray& voiceName) const;
    // Loads `voiceName` from OpenBook::CurrentBook unless the player holds it.
    void SelectVoice(const QByteArray& voiceName);
    // Plays VoiceStream from `start` on; the range ends at `end` (tenths of a second).
    void PlayRange(double start, double end);
    // True once the position is strictly past PlayRangeEnd and
    // CurrentVoiceName equals LoadedVoiceName exactly.
    bool RangeFinished() const;
    // Stops VoiceStream; callers set PlayState themselves.
    void StopVoice();
    // Rate of VoiceStream := factor x VoiceBaseFreq, at once (0.5..1.5 in use).
    void SetPlaybackRate(float factor);

    // Path of the voice file CurrentVoiceName + ".wav" in book folder `bookFolder` of
    // CurrentPublisher; each name is found as FindBookEntry finds it (letter case).
    QString VoiceFilePath(const QString& bookFolder) const;

private:
    AudioEngine& engine_;
    OpenBook& book_;
    const ProgramPaths& paths_;
    UserMessages& messages_;
};

} // namespace zarelo
