#include "audio/VoicePlayer.h"

#include "base/UserMessages.h"
#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "book/BookFiles.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"

#include <QFileInfo>
#include <utility>

namespace zarelo {

bool SameVoiceName(QByteArrayView a, QByteArrayView b)
{
    const auto upper = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    };
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i]))
            return false;
    return true;
}

VoicePlayer::VoicePlayer(AudioEngine& engine, OpenBook& book, const ProgramPaths& paths,
                         UserMessages& messages)
    : engine_(engine), book_(book), paths_(paths), messages_(messages)
{
}

VoicePlayer::~VoicePlayer()
{
    engine_.BASS_StreamFree(cueStream_);
    engine_.BASS_StreamFree(VoiceStream);
    engine_.BASS_StreamFree(VoiceDecodeStream);
}

QString VoicePlayer::VoiceFilePath(const QString& bookFolder) const
{
    const QString folder = FindBookFolder(paths_.Libraries(), book_.CurrentPublisher, bookFolder);
    return FindBookEntry(folder, fromGbk(book_.CurrentVoiceName) + QStringLiteral(".wav"));
}

bool VoicePlayer::OpenVoiceFile(const QString& bookFolder)
{
    const QString path = VoiceFilePath(bookFolder);
    if (!QFileInfo(path).isFile()) {
        messages_.showMessage(QStringLiteral("语音文件不存在！         "), QStringLiteral("提示"),
                              nullptr);
        return false;
    }
    // Throws BookError on a damaged file, before anything is replaced.
    QByteArray bytes = UnpackFile(path);

    // Both streams read the old buffer in place: free them before it goes.
    engine_.BASS_StreamFree(VoiceStream);
    engine_.BASS_StreamFree(VoiceDecodeStream);
    VoiceStream = 0;
    VoiceDecodeStream = 0;
    VoiceBytes = std::move(bytes);

    const auto length = static_cast<QWORD>(VoiceBytes.size());
    VoiceStream = engine_.BASS_StreamCreateFile(true, VoiceBytes.constData(), 0, length, 0);
    VoiceDecodeStream =
        engine_.BASS_StreamCreateFile(true, VoiceBytes.constData(), 0, length, BASS_STREAM_DECODE);

    if (!engine_.BASS_ChannelPlay(VoiceStream, false))
        messages_.showMessage(QStringLiteral("不能播放！         "), QStringLiteral("提示"),
                              nullptr);
    engine_.BASS_ChannelStop(VoiceStream);

    float rate = 0.0f;
    if (engine_.BASS_ChannelGetAttribute(VoiceStream, BASS_ATTRIB_FREQ, &rate))
        VoiceBaseFreq = rate;
    SpeedPending = true;
    return true;
}

bool VoicePlayer::HoldsVoice(QByteArrayView voiceName) const
{
    return SameVoiceName(book_.CurrentVoiceName, voiceName);
}

bool VoicePlayer::SelectVoice(QByteArrayView voiceName)
{
    if (HoldsVoice(voiceName))
        return false;
    book_.CurrentVoiceName = voiceName.toByteArray();
    book_.LoadedVoiceName = book_.CurrentVoiceName;
    OpenVoiceFile(book_.CurrentBook);
    return true;
}

void VoicePlayer::PlayRange(double start, double end)
{
    PlayRangeStart = start;
    PlayRangeEnd = end;
    // Held together so that the device never renders a block between the
    // play and the jump to the range start.
    auto hold = engine_.HoldDevice();
    engine_.BASS_ChannelStop(VoiceStream);
    engine_.BASS_ChannelPlay(VoiceStream, false);
    engine_.BASS_ChannelSetPosition(VoiceStream, QWORD(Bytes(start / 10.0)), BASS_POS_BYTE);
}

bool VoicePlayer::RangeFinished() const
{
    // Positions are kept as signed 32-bit values, widened with their sign.
    const auto position = static_cast<int64_t>(
        static_cast<int32_t>(engine_.BASS_ChannelGetPosition(VoiceStream, BASS_POS_BYTE)));
    return position > Bytes(PlayRangeEnd / 10.0) && book_.CurrentVoiceName == book_.LoadedVoiceName;
}

void VoicePlayer::SeekTo(double time)
{
    engine_.BASS_ChannelSetPosition(VoiceStream, QWORD(Bytes(time / 10.0)), BASS_POS_BYTE);
}

void VoicePlayer::Resume()
{
    engine_.BASS_ChannelPlay(VoiceStream, false);
}

void VoicePlayer::StopVoice()
{
    engine_.BASS_ChannelStop(VoiceStream);
}

int64_t VoicePlayer::Position() const
{
    return int64_t(engine_.BASS_ChannelGetPosition(VoiceStream, BASS_POS_BYTE));
}

int64_t VoicePlayer::Bytes(double seconds) const
{
    return int64_t(engine_.BASS_ChannelSeconds2Bytes(VoiceStream, seconds));
}

void VoicePlayer::SetPlaybackRate(float factor)
{
    engine_.BASS_ChannelSlideAttribute(VoiceStream, BASS_ATTRIB_FREQ, factor * VoiceBaseFreq, 0);
}

bool VoicePlayer::TakeSpeedPending()
{
    return std::exchange(SpeedPending, false);
}

bool VoicePlayer::PlayCue(const QByteArray& bytes)
{
    engine_.BASS_StreamFree(cueStream_);
    cueStream_ = 0;
    cueBytes_ = bytes;
    cueStream_ =
        engine_.BASS_StreamCreateFile(true, cueBytes_.constData(), 0, QWORD(cueBytes_.size()), 0);
    return cueStream_ != 0 && engine_.BASS_ChannelPlay(cueStream_, true);
}

} // namespace zarelo
