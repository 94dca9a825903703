#pragma once
// The read-aloud controller's view of the one voice player of the program.

#include "audio/AudioEngine.h"
#include "reading/ReadingController.h"
#include "audio/VoicePlayer.h"

namespace zarelo {

class VoicePlayerAdapter final : public ReadingPlayer {
public:
    // Keeps references; all three must outlive the adapter.
    VoicePlayerAdapter(VoicePlayer& player, AudioEngine& engine, const OpenBook& book)
        : player_(player), engine_(engine), book_(book)
    {
    }

    bool IsPlaying() const override;
    void SetPlaying(bool playing) override;
    double RangeStart() const override { return player_.PlayRangeStart; }
    double RangeEnd() const override { return player_.PlayRangeEnd; }
    void SetRange(double start, double end) override;
    void PlayRange(double start, double end) override { player_.PlayRange(start, end); }
    bool RangeFinished() const override { return player_.RangeFinished(); }
    void StopVoice() override { player_.StopVoice(); }
    void Resume() override;
    void SetPlaybackRate(float factor) override { player_.SetPlaybackRate(factor); }
    bool SpeedPending() const override { return player_.SpeedPending; }
    void ClearSpeedPending() override { player_.SpeedPending = false; }
    void LoadVoiceFile() override;

private:
    VoicePlayer& player_;
    AudioEngine& engine_;
    const OpenBook& book_;
};

} // namespace zarelo
