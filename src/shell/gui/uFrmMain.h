#pragma once
// The main window TfrmMain: the eight menu buttons, the labels of the open
// book, its unit tree and the start page on the right; the client panel
// pnlClient hosts one mode view at a time. Creating the window runs its
// FormCreate: audio start, settings, reopening the last book. UI thread only.

#include "shell/ModeOwner.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QTextBrowser;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zarelo {

class AppContext;
class BookOpener;
class Panel;
class SplitterBar;
class TfrmOrvane;
class TfrmSentTest;
class TfrmWordTest;

class TfrmMain : public QWidget, private ModeHost {
    Q_OBJECT
public:
    // Runs FormCreate; an exception escaping it goes to the general error
    // report (the window is usable, without a book).
    explicit TfrmMain(AppContext& app, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The mode last chosen: 1 read-aloud, 2 memorise words, 3 sentence
    // listening, 4 word dictation; 0 before the first.
    int CurrentMode() const { return modes_.CurrentMode(); }
    // Which mode is on show and which holds the voice player.
    ModeOwner& modes() { return modes_; }
    // The test view shown last; null until a test view is shown.
    QWidget* CurrentTestForm = nullptr;
    // The read-aloud view, created by the first ShowModePage(1), kept to the end.
    TfrmOrvane* frmOrvane = nullptr;
    // The word test view (dictation and memorising), created on first use.
    TfrmWordTest* frmWordTest = nullptr;
    // The sentence listening test view, created on first use.
    TfrmSentTest* frmSentTest = nullptr;

    Panel* pnlClient;
    Panel* pnlRight;
    Panel* pnlRightTop;
    Panel* pnlMainMenu;
    QToolButton* SbtSelectBook;
    QToolButton* sbtHearUnit;
    QToolButton* sbtSelectSet;
    QToolButton* sbtLessonWord;
    QToolButton* sbtWriteWord;
    QToolButton* sbtSetting;
    QToolButton* sbtFollow;
    QToolButton* sbtRecord; // "学习记录"
    QToolButton* SpeedButton3;
    Panel* Panel1;
    QLabel* Label_Title;
    QLabel* Label_Public;
    QLabel* Label_Unit;
    QTreeWidget* TrvUnitLesson;
    SplitterBar* Splitter2;
    QTextBrowser* WebBrowser1;

    void FormCreate();
    void FormClose();
    void FormDestroy() {}
    // Key preview: every key of this window comes here first and goes on to
    // its receiver. Qt::Key values.
    void FormKeyDown(int key);
    // Shows mode 1 .. 4 (CurrentMode's numbers) through the mode owner.
    void ShowModePage(int mode);

public slots:
    void SbtSelectBookClick();
    void sbtHearUnitClick();
    void sbtSelectSetClick();
    void sbtLessonWordClick();
    void sbtWriteWordClick();
    void sbtSettingClick();
    void sbtFollowClick();
    // "学习记录": the learning record window over the open book; its
    // "错词听写" starts a dictation of the words answered wrong most often.
    void sbtRecordClick();
    void SpeedButton3Click();
    void TrvUnitLessonDblClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void layoutPanels();
    void setModeButtonsEnabled(bool on);
    // The four mode buttons act as a group: the active one is greyed.
    void markActiveMode(QToolButton* active);
    // A mode button's handler: the mode shown through the owner, its button greyed.
    void showMode(Mode mode, QToolButton* button);
    void showBookLabels();
    void showCurrentUnit(); // Label_Unit from the lesson row CurrentLesson
    BookOpener bookOpener();
    // After a book was opened: unit tree, labels, mode buttons, read-aloud mode.
    void showOpenedBook();
    void connectGuarded(QToolButton* button, void (TfrmMain::*handler)());
    // ModeHost: the views are made on first use and docked into pnlClient.
    ModeSession& SessionOf(Mode mode) override;
    void ShowView(Mode mode) override;
    void makeReadingView();
    void makeWordTestView();
    void makeSentenceTestView();

    AppContext& app_;
    ModeOwner modes_;
    int rightTopHeight_ = 579; // pnlRightTop, moved by Splitter2
    bool shownOnce_ = false;
    // The key press last forwarded and the widget it was first delivered
    // to, so that its passing up through the parents is not forwarded again.
    const QEvent* forwardedKey_ = nullptr;
    QPointer<QWidget> forwardedTo_;
};

} // namespace zarelo
