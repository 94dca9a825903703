#include "reading/VoicePlayerAdapter.h"

#include "book/BookContent.h"

namespace zarelo {

bool VoicePlayerAdapter::IsPlaying() const
{
    return player_.IsPlaying();
}

void VoicePlayerAdapter::SetPlaying(bool playing)
{
    player_.SetPlaying(playing);
}

void VoicePlayerAdapter::SetRange(double start, double end)
{
    player_.PlayRangeStart = start;
    player_.PlayRangeEnd = end;
}

void VoicePlayerAdapter::Resume()
{
    engine_.BASS_ChannelPlay(player_.VoiceStream, false);
}

void VoicePlayerAdapter::LoadVoiceFile()
{
    player_.OpenVoiceFile(book_.CurrentBook);
}

} // namespace zarelo
