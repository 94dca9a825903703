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
#include "quiz/gui/FinishEffectPanel.h"

#include <QWidget>
#include <functional>
#include <vector>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTimer;

namespace zarelo {

class AudioEngine;
class UserMessages;
class VoicePlayer;

// Everything process-wide the view works on, owned by the application. All
// references must outlive the view.
struct SentTestWindowContext {
    const ProgramPaths& Paths; // ProgramFolder for the cue sounds and the flame, SettingsPath
    OpenBook& Book;
    VoicePlayer& Player;
    AudioEngine& Engine;
    SharedTestState& TestState;
    TestSettings& Settings;
    UserMessages& Messages;
    const TickSource& Ticks;
    // The general error report for an unexpected error inside a handler of
    // this view; the handler ends there. Empty: a "提示" box through Messages.
    std::function<void(const QString& text)> ReportError;
};

class TfrmSentTest final : public QWidget, private SentenceTestView {
    Q_OBJECT
public:
    explicit TfrmSentTest(const SentTestWindowContext& context, QWidget* parent = nullptr);
    ~TfrmSentTest() override;

    void BuildSentenceTest(int mode);
    void StopSentenceTest();
    SentenceTestController& controller() { return controller_; }
    // SentenceLabels, in display order.
    const std::vector<QLabel*>& SentenceLabels() const { return labels_; }

    const Surface& FrontSurface() const { return effect_->FrontSurface(); }
    int FinishStep() const { return effect_->FinishStep(); }

    // The components, by their names (each also its objectName).
    QScrollArea* ScrollBox; // around pnlTest, for labels below the window
    QFrame* pnlTest;
    QLabel* lbTestTitle;
    QLabel* lbUnit;
    QProgressBar* ProgressBar1;
    QProgressBar* ProgressBar3;
    QFrame* PanelTest;
    QLabel* LblCore;
    QPushButton* SbtStartTesting;
    QPushButton* SbtStopTesting;
    QPushButton* SbtRetest;
    QPushButton* SpeedButton12;
    QFrame* PnShow3D;
    FinishPaintBox* PaintBox1;
    QTimer* Timer_Play;
    QTimer* Timer1;

public slots:
    void SbtStartTestingClick();
    void SbtStopTestingClick();
    void SbtRetestClick();
    void SpeedButton12Click();
    void Timer_PlayTimer();
    void SentenceLabelClick(QLabel* label);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override; // FormHide
    void resizeEvent(QResizeEvent* event) override;

private:
    // SentenceTestView
    void SetTimerActive(bool on) override;
    void SetUnitText(const QString& text) override;
    void SetScoreText(const QString& text) override;
    void ClearSentenceLabels() override;
    void AddSentenceLabel(const QString& text) override;
    int SentenceLabelCount() const override { return int(labels_.size()); }
    QString SentenceLabelText(int index) const override;
    bool SentenceLabelLime(int index) const override;
    void SetSentenceLabelLime(int index) override;
    void SetItemProgress(int maximum, int position) override;
    void SetTimeMaximum(int64_t maximum) override;
    void SetTimePosition(int64_t position) override;
    void SetStartEnabled(bool on) override;
    void SetStopEnabled(bool on) override;
    void SetRetestEnabled(bool on) override;
    void HideFinishEffect() override;
    void StartFinishEffect(int score) override;
    void CloseWindow() override;
    QObject* MessageOwner() override { return this; }

    void buildComponents();
    void layoutComponents();
    template <class F> void guarded(F&& handler);

    SentTestWindowContext ctx_;
    SentenceTestController controller_;
    std::vector<QLabel*> labels_;
    int grownHeight_ = 0; // the panel's height set by the labels, 0: none
    FinishEffectPanel* effect_ = nullptr;
};

} // namespace zarelo
