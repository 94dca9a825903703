#pragma once
// The sentence listening test view TfrmSentTest ("听辨句子"): the title, the
// unit line, the two progress bars, the listed sentences (SentenceLabels) on
// the client panel pnlTest inside a scroll area, the bottom bar with the
// score and the commands, and the finish effect panel PnShow3D. The rules
// live in SentenceTestController; this window shows what it says. Created
// once, docked into the main window's client panel, kept until the program
// ends. UI thread only.

#include "quiz/SentenceTestController.h"
#include "quiz/WordTestAdapters.h"
#include "quiz/gui/TestWindow.h"

#include <functional>
#include <vector>

class QScrollArea;

namespace zarelo {

class UserMessages;
class VoicePlayer;

// Everything process-wide the view works on, owned by the application. All
// references must outlive the view.
struct SentTestWindowContext {
    const ProgramPaths& Paths; // Data() for the cue sounds and the flame, SettingsPath
    OpenBook& Book;
    VoicePlayer& Player;
    SharedTestState& TestState;
    TestSettings& Settings;
    UserMessages& Messages;
    const TickSource& Ticks;
    // The general error report for an unexpected error inside a handler of
    // this view; the handler ends there. Empty: a "提示" box through Messages.
    std::function<void(const QString& text)> ReportError;
    // Where each test is recorded (the history's learning record); null: not recorded.
    TestJournal* Journal = nullptr;
};

class TfrmSentTest final : public TestWindow, private SentenceTestView {
    Q_OBJECT
public:
    explicit TfrmSentTest(const SentTestWindowContext& context, QWidget* parent = nullptr);

    void BuildSentenceTest(int mode);
    // Give up, as the command.
    void StopSentenceTest() { SbtStopTestingClick(); }
    SentenceTestController& controller() { return controller_; }
    // SentenceLabels, in display order.
    const std::vector<QLabel*>& SentenceLabels() const { return labels_; }

    // The scroll area around pnlTest, for labels below the window; the other
    // components are TestWindow's.
    QScrollArea* ScrollBox;

public slots:
    void SentenceLabelClick(QLabel* label);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TestFlow& flow() override { return controller_; }

    // SentenceTestView
    void ClearSentenceLabels() override;
    void AddSentenceLabel(const QString& text) override;
    int SentenceLabelCount() const override { return int(labels_.size()); }
    QString SentenceLabelText(int index) const override;
    bool SentenceLabelLime(int index) const override;
    void SetSentenceLabelLime(int index) override;
    void StartFinishEffect(int score) override;

    void buildComponents();
    void layoutComponents() override;

    SentTestWindowContext ctx_;
    SentenceTestController controller_;
    std::vector<QLabel*> labels_;
    int grownHeight_ = 0; // the panel's height set by the labels, 0: none
};

} // namespace zarelo
