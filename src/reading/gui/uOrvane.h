#pragma once
// The read-aloud view TfrmOrvane: one page of the open book (its picture, or
// for a text book its English text drawn here), the boxes of its entries,
// the highlight with the Chinese line, page navigation and the reading
// commands. Created once, docked into the main window's client panel, kept
// until the program ends. UI thread only.

#include "reading/PageGeometry.h"
#include "reading/PageTurner.h"
#include "reading/ReadingController.h"

#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSlider;
class QTimer;

namespace zarelo {

class PageImageWidget;
class TextPageWidget;
class FrameStrip;
class UserMessages;
class VoicePlayer;
struct DecodedImage;

// Everything process-wide the view works on, owned by the application. All
// references must outlive the view.
struct OrvaneContext {
    const ProgramPaths& Paths; // ProgramFolder for the page files, SettingsPath for RemLastPage
    OpenBook& Book;
    VoicePlayer& Player;
    SharedTestState& TestState;
    UserMessages& Messages;
    const TickSource& Ticks; // read by the 2 ms wait between entries
    // Called whenever the current lesson may have changed (page number box,
    // ShowLesson): the main window refreshes Label_Unit from CurrentLesson.
    std::function<void()> CurrentLessonChanged;
    // The general error report for an unexpected error (BookError) inside a
    // handler of this view; the handler ends there. Empty: a "提示" box
    // through Messages.
    std::function<void(const QString& text)> ReportError;
    // True when the hosting window passes every key it receives to
    // HandlePageKey (its key preview): the view then acts on no key itself,
    // so that each key acts once. False: the view handles its own keys.
    bool HostForwardsKeys = false;
};

class TfrmOrvane final : public QWidget, private ReadingView, private PageScreen {
    Q_OBJECT
public:
    // FormCreate: builds the components, sets TestState := -1, shows
    // CurrentPage, and sets the player's SpeedPending false and VoiceBaseFreq 44100.
    explicit TfrmOrvane(const OrvaneContext& context, QWidget* parent = nullptr);
    ~TfrmOrvane() override; // FormDestroy: StopReading

    // Shows CurrentPage (PageTurner::ShowPage). False when its page file is
    // missing (after the message "页面文件不存在！         ") or, for a text
    // book, when the page has no entry. Throws BookError for a damaged page
    // file; the previous picture stays then.
    bool ShowPage();
    // Lays the page on screen out again at the view's present size; no
    // message when CurrentPage is not on screen (its file is missing).
    void RefreshPage();
    // The first lesson row whose Name and Title (GBK) equal these becomes
    // CurrentLesson and its first page is shown. No such row: nothing happens.
    void ShowLesson(const QByteArray& name, const QByteArray& title);
    // Keyboard scrolling and paging while the page picture is shown: Up -10,
    // Down or Space +10, PageUp / PageDown as the page buttons. Qt::Key values.
    void HandlePageKey(int key);
    // Timer off, "mpStop", voice stopped (before the sentence test and oral training).
    void StopReading();
    // Writes "LastPage" (trimmed text of Edit1) and "LastVoiceName" into the
    // settings key when those values exist there.
    void RemLastPage();

    // Highlights one entry: boxes already scaled to the screen, Chinese text.
    void DisplaySelectedBox(const EntryBoxes& boxes, const QString& chinese);
    void UnVisibleBox() override;
    // Unpacks and decodes one page file into Image1. Throws BookError.
    void LoadPicFromZipFile(const QString& path);
    void LoadVoiceFile(); // OpenVoiceFile(CurrentBook)
    void SetCurrentSentIndex(int row);

    double PageScale() const { return PageScale_; } // 1.0: standard size
    ReadingController& controller() { return controller_; }
    PageTurner& pages() { return pages_; }

    // The components, by their names (each also its objectName).
    QTimer* Timer_Play;
    QLabel* Label3;
    QObject* ImageList1;
    QFrame* PnCn;
    QLineEdit* EdtCn;
    QScrollArea* ScrollBox1;
    QFrame* pnlPagePic;
    PageImageWidget* Image1;
    FrameStrip* BvTop;
    FrameStrip* BvBot;
    FrameStrip* BvLeft;
    FrameStrip* BvRight;
    QFrame* PTop;
    QFrame* PLine1;
    QFrame* PLine2;
    QFrame* PLine3;
    QObject* MediaPlayerTip;
    QLineEdit* EdtFocus;
    QFrame* pnlBtn;
    QPushButton* SbtOrign;
    QPushButton* SbtPrivPage;
    QPushButton* SbtNextPage;
    QPushButton* SpeedBtn_Pause;
    QPushButton* SbtFill;
    QPushButton* sbtReadAllLesson;
    QPushButton* sbtReadAllPage;
    QCheckBox* ChkFromHere;
    QCheckBox* ChkDisplayChinese;
    QCheckBox* ChkRecycle;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* lbSoundLR;
    QLineEdit* Edit1;
    QLabel* Label4;
    QSlider* TrackBar1;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    TextPageWidget* PaintBox2;

public slots:
    void SbtFillClick();
    void SbtOrignClick();
    void SbtNextPageClick();
    void SbtPrivPageClick();
    void Edit1Change();
    void sbtReadAllPageClick();
    void sbtReadAllLessonClick();
    void SpeedBtn_PauseClick();
    void ChkFromHereClick();
    void ChkRecycleClick();
    void TrackBar2Change();
    void Timer_PlayTimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override; // FormKeyDown

private:
    // ReadingView
    void DisplayEntry(int row) override;
    void SetReadAllPageEnabled(bool on) override;
    void SetReadAllLessonEnabled(bool on) override;
    void SetPauseEnabled(bool on) override;
    bool PauseEnabled() const override;
    bool RecycleChecked() const override;
    bool FromHereChecked() const override;
    float ReadingSpeed() const override;
    void SetTimerActive(bool on) override;

    // PageScreen
    void ShowPicture(const QString& path) override;
    void ShowTextPage() override;
    QString PageNumberText() const override;
    void SetPageNumberText(const QString& text) override;
    void SetStatusText(const QString& text) override;
    void StopForPageTurn() override;
    void CurrentLessonChanged() override;

    void buildComponents();
    void ScrollBox1Resize();
    void Image1MouseDown(QMouseEvent* event);
    void Image1MouseMove(QMouseEvent* event);
    void Image1MouseUp(QMouseEvent* event);
    void ScrollBy(int pixels);
    int ScrollPosition() const;
    void SetScrollPosition(int position);
    void placePanel(const PanelLayout& layout);
    void updateContentSize();
    void drawTextPage();
    double boxScale() const;
    // Runs a handler; an unexpected error goes to the general error report.
    template <class F> void guarded(F&& handler);
    void report(const QString& text);

    OrvaneContext ctx_;
    PageTurner pages_;
    ReadingController controller_;
    QWidget* scrollContent_ = nullptr;
    double PageScale_ = 1.0;
    bool wholePage_ = false; // "整页显示" chosen (PageScale may then be any value, even 1.0)
    bool DragScrolling = false;
    int DragStartY = 0;
    int wheelRemainder_ = 0; // angle delta not yet turned into a step, 1/8 degree
};

} // namespace zarelo
