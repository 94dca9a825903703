#pragma once
// The sentence listening test engine (ActiveMode 1): the build of the
// listed sentences and their play order, the click on a listed sentence and
// the 200 ms pacing timer with its states 1 (playing) and 2 (waiting for the
// click); Start, give up, new questions, Back, the finish and the mode
// session are TestFlow's. It shares the word test's state, generator, cut,
// cue sounds and voice rules, and drives the window and the voice player
// through interfaces. UI thread only.

#include "quiz/TestFlow.h"

#include <vector>

namespace zarelo {

// The sentence test window as the engine sees it (implemented by
// TfrmSentTest). The labels are SentenceLabels in display order. Its finish
// effect lies centred at top 150, shown with its first frame.
class SentenceTestView : public virtual TestFlowView {
public:
    // ClearSentenceLabels: destroys every label of the previous test.
    virtual void ClearSentenceLabels() = 0;
    // A new black label showing `text` below the others (left 30, top 150 +
    // 30 x its number), the client panel grown to 10 pixels below it.
    virtual void AddSentenceLabel(const QString& text) = 0;
    virtual int SentenceLabelCount() const = 0;
    virtual QString SentenceLabelText(int index) const = 0;
    virtual bool SentenceLabelLime(int index) const = 0;
    virtual void SetSentenceLabelLime(int index) = 0;
};

class SentenceTestController final : public TestFlow {
public:
    // Keeps references; the history of the context is not used.
    SentenceTestController(const WordTestContext& context, SentenceTestView& view,
                           VoicePlayback& player);

    // Lists the qualifying sentences of the current lesson in display order
    // and orders them again for playing. `mode` is not used; ActiveMode
    // becomes 1, or -1 without a qualifying sentence (no labels then).
    void BuildSentenceTest(int mode);
    void StopSentenceTest() { SbtStopTestingClick(); }
    // A click on the label `index` of SentenceLabels; ignored until the
    // first item has begun.
    void SentenceLabelClick(int index);
    // The rows of the items in play order.
    std::vector<int> PlayRows() const;

private:
    // TestFlow. Back leaves Start on; the score counts the lime labels.
    void build(int activeMode) override { BuildSentenceTest(activeMode); }
    bool ownsActiveMode(int activeMode) const override { return activeMode == 1; }
    bool runningState(int testState) const override { return testState == 1 || testState == 2; }
    void showReady() override;
    bool prepareRun() override;
    void step(int64_t position) override;
    void replayItem(int row) override;
    int rightItems() const override;
    void leftByBack() override { view_.SetStartEnabled(true); }
    RecordedMode recordedMode() const override { return RecordedMode::Sentence; }
    bool coversLesson() const override { return true; }

    SentenceTestView& view_;
    QString lastClicked_; // the text of the last sentence clicked during the item
};

} // namespace zarelo
