#pragma once
// The word test engine's views of the real voice player, audio engine and
// word history.

#include "audio/AudioEngine.h"
#include "audio/VoicePlayer.h"
#include "tests/WordTestController.h"
#include "tests/uDmMain.h"

namespace zarelo {

class VoicePlayerTestAdapter final : public WordTestPlayer {
public:
    // Keeps references; all three must outlive the adapter.
    VoicePlayerTestAdapter(VoicePlayer& player, AudioEngine& engine, const OpenBook& book)
        : player_(player), engine_(engine), book_(book)
    {
    }
    // Frees the cue stream before its bytes go.
    ~VoicePlayerTestAdapter() override;

    bool IsPlaying() const override;
    void SetPlaying(bool playing) override;
    double RangeStart() const override { return player_.PlayRangeStart; }
    double RangeEnd() const override { return player_.PlayRangeEnd; }
    void SetRange(double start, double end) override;
    int64_t Position() const override;
    int64_t Bytes(double seconds) const override;
    void SetPosition(int64_t bytes) override;
    void Play() override;
    void Stop() override;
    void OpenVoiceFile() override;
    // The previous cue stops and is freed; the new one reads its own copy
    // of the bytes in place until the next cue replaces it.
    bool PlayCue(const QByteArray& bytes) override;

private:
    VoicePlayer& player_;
    AudioEngine& engine_;
    const OpenBook& book_;
    QByteArray cueBytes_;
    HSTREAM cueStream_ = 0;
};

// TdmMain as the engine's history. Without a data module every word counts
// as new and answers are not recorded.
class DmMainHistory final : public WordHistory {
public:
    explicit DmMainHistory(TdmMain* dmMain) : dmMain_(dmMain) {}
    bool IsNotPassedWord(const QString& word) override
    {
        return !dmMain_ || dmMain_->IsNotPassedWord(word);
    }
    void RecordRightAnswer(const QString& word, QObject* owner) override
    {
        if (dmMain_)
            dmMain_->RecordRightAnswer(word, owner);
    }
    void RecordWrongAnswer(const QString& word, QObject* owner) override
    {
        if (dmMain_)
            dmMain_->RecordWrongAnswer(word, owner);
    }

private:
    TdmMain* dmMain_;
};

} // namespace zarelo
