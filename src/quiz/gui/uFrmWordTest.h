#pragma once
// The word test view TfrmWordTest of dictation and memorising: the word's
// Chinese line, the answer edit with its mark and the expected word, the two
// progress bars, the bottom bar with the score and the four commands, and the
// finish effect panel PnShow3D. The rules live in WordTestController; this
// window shows what it says. Created once, docked into the main window's
// client panel, kept until the program ends. UI thread only.

#include "quiz/WordTestAdapters.h"
#include "quiz/WordTestController.h"
#include "quiz/gui/FinishEffectPanel.h"

#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace zarelo {

class AudioEngine;
class TdmMain;
class UserMessages;
class VoicePlayer;

// Everything process-wide the view works on, owned by the application. All
// references must outlive the view.
struct WordTestWindowContext {
    const ProgramPaths& Paths; // ProgramFolder for the cue sounds and the flame, SettingsPath
    OpenBook& Book;
    VoicePlayer& Player;
    AudioEngine& Engine; // the engine VoiceStream belongs to; the cue sounds play on it
    SharedTestState& TestState;
    TestSettings& Settings;
    UserMessages& Messages;
    const TickSource& Ticks;
    TdmMain* dmMain; // the word history; null: every word is new, nothing recorded
    // The general error report for an unexpected error inside a handler of
    // this view; the handler ends there. Empty: a "提示" box through Messages.
    std::function<void(const QString& text)> ReportError;
};

class TfrmWordTest final : public QWidget, private WordTestView {
    Q_OBJECT
public:
    explicit TfrmWordTest(const WordTestWindowContext& context, QWidget* parent = nullptr);
    ~TfrmWordTest() override;

    void BuildWordTest(int mode);
    void StopWordTest();
    WordTestController& controller() { return controller_; }

    // The finish effect's state, for the window's own drawing.
    const Surface& FrontSurface() const { return effect_->FrontSurface(); }
    const Surface& FlameImage() const { return effect_->FlameImage(); }
    int FinishStep() const { return effect_->FinishStep(); }

    // The components, by their names (each also its objectName).
    QFrame* pnlTest;
    QLabel* lbTestTitle;
    QLabel* lbUnit;
    QLabel* LbWordCount;
    QFrame* PnTestEnterWord;
    QLabel* Label4; // "中文："
    QLabel* lbCN;
    QLabel* Label1; // "输入单词："
    QLineEdit* EdtEnterWord;
    QLabel* Label2; // "(输入完成后即可回车)"
    QLabel* Label5;
    QLabel* RightEn;
    QCheckBox* ChkVoice;
    QCheckBox* ChkDispCN;
    QProgressBar* ProgressBar1;
    QProgressBar* ProgressBar3;
    QFrame* PanelTest;
    QLabel* LblCore;
    QPushButton* SbtStartTesting;
    QPushButton* SbtStopTesting;
    QPushButton* SbtRetest;
    QPushButton* SbtShowError;
    QPushButton* SpeedButton12;
    QFrame* PnShow3D;
    FinishPaintBox* PaintBox1;
    QTimer* Timer_Play;
    QTimer* Timer1;

public slots:
    void SbtStartTestingClick();
    void SbtStopTestingClick();
    void SbtRetestClick();
    void SbtShowErrorClick();
    void SpeedButton12Click();
    void Timer_PlayTimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override; // FormHide
    void resizeEvent(QResizeEvent* event) override;

private:
    // WordTestView
    void SetTimerActive(bool on) override;
    void SetTitle(const QString& text) override;
    void SetUnitText(const QString& text) override;
    void SetWordCount(const QString& text) override;
    void SetChinese(const QString& text) override;
    void SetMark(const QString& text) override;
    void SetExpected(const QString& text) override;
    void SetScoreText(const QString& text) override;
    QString EnterWordText() const override;
    void SetEnterWordText(const QString& text) override;
    void SetEnterWordEnabled(bool on) override;
    void FocusEnterWord() override;
    void ShowEntryPanel() override;
    void SetVoiceCheckVisible(bool on) override;
    void SetDisplayChineseVisible(bool on) override;
    bool VoiceChecked() const override;
    bool DisplayChineseChecked() const override;
    void SetItemProgress(int maximum, int position) override;
    void SetTimeMaximum(int64_t maximum) override;
    void SetTimePosition(int64_t position) override;
    void SetStartEnabled(bool on) override;
    void SetStopEnabled(bool on) override;
    void SetRetestEnabled(bool on) override;
    void SetShowErrorEnabled(bool on) override;
    void HideFinishEffect() override;
    void StartFinishEffect(int score) override;
    void CloseWindow() override;
    QObject* MessageOwner() override { return this; }

    void buildComponents();
    void layoutComponents();
    template <class F> void guarded(F&& handler);

    WordTestWindowContext ctx_;
    DmMainHistory history_;
    WordTestController controller_;
    FinishEffectPanel* effect_ = nullptr; // PnShow3D, PaintBox1 and Timer1
};

} // namespace zarelo
