#pragma once
// The word test view TfrmWordTest of dictation and memorising: the word's
// Chinese line, the answer edit with its mark and the expected word, the two
// progress bars, the bottom bar with the score and the four commands, and the
// finish effect panel PnShow3D. The rules live in WordTestController; this
// window shows what it says. Created once, docked into the main window's
// client panel, kept until the program ends. UI thread only.

#include "quiz/WordTestAdapters.h"
#include "quiz/WordTestController.h"
#include "quiz/gui/TestWindow.h"

#include <functional>

class QCheckBox;
class QLineEdit;

namespace zarelo {

class TdmMain;
class UserMessages;
class VoicePlayer;

// Everything process-wide the view works on, owned by the application. All
// references must outlive the view.
struct WordTestWindowContext {
    const ProgramPaths& Paths; // Data() for the cue sounds and the flame, SettingsPath
    OpenBook& Book;
    VoicePlayer& Player;
    SharedTestState& TestState;
    TestSettings& Settings;
    UserMessages& Messages;
    const TickSource& Ticks;
    TdmMain* dmMain; // the word history; null: every word is new, nothing recorded
    // The general error report for an unexpected error inside a handler of
    // this view; the handler ends there. Empty: a "提示" box through Messages.
    std::function<void(const QString& text)> ReportError;
    // Where each test is recorded (the history's learning record); null: not recorded.
    TestJournal* Journal = nullptr;
};

class TfrmWordTest final : public TestWindow, private WordTestView {
    Q_OBJECT
public:
    explicit TfrmWordTest(const WordTestWindowContext& context, QWidget* parent = nullptr);

    void BuildWordTest(int mode);
    // Give up, as the command.
    void StopWordTest() { SbtStopTestingClick(); }
    WordTestController& controller() { return controller_; }

    // The components of the word test, by their names (each also its
    // objectName); the others are TestWindow's.
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
    QPushButton* SbtShowError;

public slots:
    void SbtShowErrorClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TestFlow& flow() override { return controller_; }

    // WordTestView
    void SetTitle(const QString& text) override;
    void SetWordCount(const QString& text) override;
    void SetChinese(const QString& text) override;
    void SetMark(const QString& text) override;
    void SetExpected(const QString& text) override;
    QString EnterWordText() const override;
    void SetEnterWordText(const QString& text) override;
    void SetEnterWordEnabled(bool on) override;
    void FocusEnterWord() override;
    void ShowEntryPanel() override;
    void SetVoiceCheckVisible(bool on) override;
    void SetDisplayChineseVisible(bool on) override;
    bool VoiceChecked() const override;
    bool DisplayChineseChecked() const override;
    void SetShowErrorEnabled(bool on) override;
    void StartFinishEffect(int score) override;

    void buildComponents();
    void layoutComponents() override;

    WordTestWindowContext ctx_;
    DmMainHistory history_;
    WordTestController controller_;
};

} // namespace zarelo
