#pragma once
// The sentence listening test engine (ActiveMode 1): the build of the
// listed sentences and their play order, Start, give up, new questions,
// Back, the click on a listed sentence, the 200 ms pacing timer with its
// states 1 (playing) and 2 (waiting for the click) and the finish. It shares
// the word test's state, generator, cut, cue sounds and voice rules, and
// drives the window and the voice player through interfaces. As a mode it
// holds the voice player while its test is built. UI thread only.

#include "quiz/WordTestController.h"

namespace zarelo {

// The sentence test window as the engine sees it (implemented by
// TfrmSentTest). The labels are SentenceLabels in display order.
class SentenceTestView {
public:
    virtual ~SentenceTestView() = default;
    virtual void SetTimerActive(bool on) = 0;           // Timer_Play
    virtual void SetUnitText(const QString& text) = 0;  // lbUnit
    virtual void SetScoreText(const QString& text) = 0; // LblCore
    // ClearSentenceLabels: destroys every label of the previous test.
    virtual void ClearSentenceLabels() = 0;
    // A new black label showing `text` below the others (left 30, top 150 +
    // 30 x its number), the client panel grown to 10 pixels below it.
    virtual void AddSentenceLabel(const QString& text) = 0;
    virtual int SentenceLabelCount() const = 0;
    virtual QString SentenceLabelText(int index) const = 0;
    virtual bool SentenceLabelLime(int index) const = 0;
    virtual void SetSentenceLabelLime(int index) = 0;
    // ProgressBar1 (items) and ProgressBar3 (time of the item, in bytes of
    // the voice stream). A maximum of -1 leaves it as it is.
    virtual void SetItemProgress(int maximum, int position) = 0;
    virtual void SetTimeMaximum(int64_t maximum) = 0;
    virtual void SetTimePosition(int64_t position) = 0;
    virtual void SetStartEnabled(bool on) = 0;  // SbtStartTesting "开 始"
    virtual void SetStopEnabled(bool on) = 0;   // SbtStopTesting "放弃"
    virtual void SetRetestEnabled(bool on) = 0; // SbtRetest "重新出题"
    // Ends the finish effect: Timer1 off, PaintBox1 hidden (silver),
    // PnShow3D hidden.
    virtual void HideFinishEffect() = 0;
    // ShowFinishEffect's drawing part for the sentence test (PnShow3D centred
    // at top 150, shown with its first frame).
    virtual void StartFinishEffect(int score) = 0;
    virtual void CloseWindow() = 0;
    virtual QObject* MessageOwner() = 0;
};

class SentenceTestController final : public ModeSession {
public:
    // Keeps references; the history of the context is not used.
    SentenceTestController(const WordTestContext& context, SentenceTestView& view,
                           VoicePlayback& player);

    // Lists the qualifying sentences of the current lesson in display order
    // and orders them again for playing. `mode` is not used; ActiveMode
    // becomes 1, or -1 without a qualifying sentence (no labels then).
    void BuildSentenceTest(int mode);
    void StopSentenceTest() { SbtStopTestingClick(); }
    void SbtStartTestingClick();
    void SbtStopTestingClick(); // give up
    void SbtRetestClick();      // new questions
    void SpeedButton12Click();  // Back
    // A click on the label `index` of SentenceLabels; ignored until the
    // first item has begun.
    void SentenceLabelClick(int index);
    // One step of the 200 ms pacing timer.
    void Timer_PlayTimer();
    void FormHide() { setPacing(false); }
    int ItemCount() const { return int(ctx_.State.TestOrder.size()); }
    // The sentence-table row of the item playing, -1 when there is none.
    int CurrentRow() const { return rowAt(ctx_.State.TestPos); }
    // The rows of the items in play order.
    std::vector<int> PlayRows() const;

    // ModeSession: the sentence test of the current lesson.
    bool Enter(Mode mode) override;
    void Leave() override;
    void Suspend() override;
    void Resume() override;

private:
    void setPacing(bool on);
    int rowAt(int pos) const;
    void setRangeFrom(int row);
    void finish();
    int64_t B(double seconds) const { return player_.Bytes(seconds); }
    QString english(int row) const;

    WordTestContext ctx_;
    SentenceTestView& view_;
    VoicePlayback& player_;
    TestRun run_;
};

} // namespace zarelo
