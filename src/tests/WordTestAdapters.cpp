#include "tests/WordTestAdapters.h"

#include "book/BookContent.h"

namespace zarelo {

VoicePlayerTestAdapter::~VoicePlayerTestAdapter()
{
    engine_.BASS_StreamFree(cueStream_);
}

bool VoicePlayerTestAdapter::IsPlaying() const
{
    return player_.IsPlaying();
}

void VoicePlayerTestAdapter::SetPlaying(bool playing)
{
    player_.SetPlaying(playing);
}

void VoicePlayerTestAdapter::SetRange(double start, double end)
{
    player_.PlayRangeStart = start;
    player_.PlayRangeEnd = end;
}

int64_t VoicePlayerTestAdapter::Position() const
{
    return int64_t(engine_.BASS_ChannelGetPosition(player_.VoiceStream, BASS_POS_BYTE));
}

int64_t VoicePlayerTestAdapter::Bytes(double seconds) const
{
    return int64_t(engine_.BASS_ChannelSeconds2Bytes(player_.VoiceStream, seconds));
}

void VoicePlayerTestAdapter::SetPosition(int64_t bytes)
{
    engine_.BASS_ChannelSetPosition(player_.VoiceStream, QWORD(bytes), BASS_POS_BYTE);
}

void VoicePlayerTestAdapter::Play()
{
    engine_.BASS_ChannelPlay(player_.VoiceStream, false);
}

void VoicePlayerTestAdapter::Stop()
{
    player_.StopVoice();
}

void VoicePlayerTestAdapter::OpenVoiceFile()
{
    player_.OpenVoiceFile(book_.CurrentBook);
}

bool VoicePlayerTestAdapter::PlayCue(const QByteArray& bytes)
{
    engine_.BASS_StreamFree(cueStream_);
    cueStream_ = 0;
    cueBytes_ = bytes;
    cueStream_ =
        engine_.BASS_StreamCreateFile(true, cueBytes_.constData(), 0, QWORD(cueBytes_.size()), 0);
    return cueStream_ != 0 && engine_.BASS_ChannelPlay(cueStream_, true);
}

} // namespace zarelo
