#pragma once
// The one voice player as the modes see it, without a sound device: 1000
// bytes a second, and the position moves only when a range starts, the
// stream is sought, or a test says so (PlayPastEnd). Voices are "loaded" by
// name only; the name rule is the player's own SameVoiceName.

#include "audio/VoicePlayback.h"
#include "book/BookContent.h"

#include <QList>
#include <functional>
#include <utility>
#include <vector>

namespace zarelo::fakes {

class FakeVoice final : public VoicePlayback {
public:
    explicit FakeVoice(OpenBook& book) : book_(book) {}

    bool playing = false;       // PlayState
    bool running = false;       // the stream sounds
    double start = 0, end = 0;  // the range, tenths of a second
    int64_t position = 0;       // bytes
    int plays = 0, resumed = 0; // PlayRange and Resume calls
    QList<std::pair<double, double>> played;
    std::vector<QByteArray> opened; // voices loaded, in order
    std::vector<QByteArray> cues;
    bool cuePlays = true;
    bool speedPending = false;
    QList<float> rates;
    // Runs while a cue sound starts, as input arriving during the cue would.
    std::function<void()> onCue;

    // The voice has sounded past the end of its range.
    void PlayPastEnd() { position = Bytes(end / 10) + 1; }

    bool IsPlaying() const override { return playing; }
    void SetPlaying(bool on) override { playing = on; }
    double RangeStart() const override { return start; }
    double RangeEnd() const override { return end; }
    void SetRange(double s, double e) override
    {
        start = s;
        end = e;
    }
    bool HoldsVoice(QByteArrayView name) const override
    {
        return SameVoiceName(book_.CurrentVoiceName, name);
    }
    bool SelectVoice(QByteArrayView name) override
    {
        if (HoldsVoice(name))
            return false;
        book_.CurrentVoiceName = book_.LoadedVoiceName = name.toByteArray();
        opened.push_back(book_.CurrentVoiceName);
        running = false;
        return true;
    }
    void PlayRange(double s, double e) override
    {
        SetRange(s, e);
        position = Bytes(s / 10);
        running = true;
        ++plays;
        played.append({s, e});
    }
    bool RangeFinished() const override { return position > Bytes(end / 10); }
    void SeekTo(double time) override { position = Bytes(time / 10); }
    void Resume() override
    {
        running = true;
        ++resumed;
    }
    void StopVoice() override { running = false; }
    int64_t Position() const override { return position; }
    int64_t Bytes(double seconds) const override { return int64_t(seconds * 1000); }
    void SetPlaybackRate(float factor) override { rates << factor; }
    bool TakeSpeedPending() override { return std::exchange(speedPending, false); }
    bool PlayCue(const QByteArray& bytes) override
    {
        cues.push_back(bytes);
        if (onCue)
            onCue();
        return cuePlays;
    }

private:
    OpenBook& book_;
};

} // namespace zarelo::fakes
