#include "shell/gui/uFrmMain.h"

#include "base/gui/Controls.h"

#include "base/Settings.h"
#include "base/gui/Panel.h"
#include "book/BookLibrary.h"
#include "book/BookLoader.h"
#include "book/Gbk.h"
#include "book/gui/UnitTree.h"
#include "oral/gui/uFollowRead.h"
#include "quiz/LearningRecord.h"
#include "quiz/gui/LearningRecordWindow.h"
#include "quiz/gui/uFrmSentTest.h"
#include "quiz/gui/uFrmWordTest.h"
#include "reading/gui/uOrvane.h"
#include "shell/BookOpener.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/SkinLayer.h"
#include "shell/gui/SplitterBar.h"
#include "shell/gui/uSettingPara.h"
#include "shell/gui/uSplash.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include <memory>

namespace zarelo {

namespace {

constexpr int RightWidth = 178;   // pnlRight
constexpr int SplitterHeight = 3; // Splitter2
constexpr QColor Navy(0x00, 0x00, 0x80);
constexpr QColor Lime(0x00, 0xFF, 0x00);
constexpr QColor Blue(0x00, 0x00, 0xFF);

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint at,
                  const QColor& colour, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    label->move(at);
    label->adjustSize();
    return label;
}

Panel* MakePanel(QWidget* parent, const char* name, Panel::Bevel outer, Panel::Bevel inner)
{
    auto* panel = new Panel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setBevels(outer, inner);
    return panel;
}

} // namespace

TfrmMain::TfrmMain(AppContext& app, QWidget* parent)
    // A normal window frame: the pupil may resize, maximise and restore it;
    // the panels follow its size.
    : QWidget(parent, Qt::Window), app_(app), modes_(app.TestState, *this)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zarelo学习软件 v2.10"));
    setFont(PixelFont(12, false, QStringLiteral("宋体")));
    buildControls();
    qApp->installEventFilter(this);
    app_.Guarded([this] { FormCreate(); });
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    FormDestroy();
}

void TfrmMain::buildControls()
{
    using B = Panel::Bevel;
    pnlClient = MakePanel(this, "pnlClient", B::Lowered, B::Raised);
    pnlClient->setCaption(QStringLiteral("请选书... ..."));
    pnlRight = MakePanel(this, "pnlRight", B::Raised, B::None);
    pnlRight->setColourValue(15969921);
    pnlRightTop = MakePanel(pnlRight, "pnlRightTop", B::None, B::None);
    pnlRightTop->setColourValue(15969921);
    pnlMainMenu = MakePanel(pnlRightTop, "pnlMainMenu", B::None, B::None);
    pnlMainMenu->setColourValue(15969921);
    pnlMainMenu->setGeometry(8, 0, 153, 332);

    auto button = [this](const char* name, int y, const QString& text) {
        auto* b = new QToolButton(pnlMainMenu);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setGeometry(10, y, 122, 32);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    SbtSelectBook = button("SbtSelectBook", 16, QStringLiteral("选书"));
    sbtHearUnit = button("sbtHearUnit", 51, QStringLiteral("朗读"));
    sbtSelectSet = button("sbtSelectSet", 86, QStringLiteral("听辨句子"));
    sbtLessonWord = button("sbtLessonWord", 121, QStringLiteral("听写单词"));
    sbtWriteWord = button("sbtWriteWord", 156, QStringLiteral("背单词"));
    sbtSetting = button("sbtSetting", 191, QStringLiteral("设置"));
    sbtFollow = button("sbtFollow", 226, QStringLiteral("口语训练"));
    sbtRecord = button("sbtRecord", 261, QStringLiteral("学习记录"));
    SpeedButton3 = button("SpeedButton3", 296, QStringLiteral("退出"));
    connectGuarded(SbtSelectBook, &TfrmMain::SbtSelectBookClick);
    connectGuarded(sbtHearUnit, &TfrmMain::sbtHearUnitClick);
    connectGuarded(sbtSelectSet, &TfrmMain::sbtSelectSetClick);
    connectGuarded(sbtLessonWord, &TfrmMain::sbtLessonWordClick);
    connectGuarded(sbtWriteWord, &TfrmMain::sbtWriteWordClick);
    connectGuarded(sbtSetting, &TfrmMain::sbtSettingClick);
    connectGuarded(sbtFollow, &TfrmMain::sbtFollowClick);
    connectGuarded(sbtRecord, &TfrmMain::sbtRecordClick);
    connectGuarded(SpeedButton3, &TfrmMain::SpeedButton3Click);

    Panel1 = MakePanel(pnlRightTop, "Panel1", B::Raised, B::None);
    Panel1->setColourValue(15969921);
    Panel1->setGeometry(0, 339, 178, 55);
    Label_Title = MakeLabel(Panel1, "Label_Title", QStringLiteral("书名"), {2, 0}, Navy, font());
    Label_Public = MakeLabel(Panel1, "Label_Public", QStringLiteral("出版社"), {0, 16}, Lime,
                             PixelFont(16, false, QStringLiteral("宋体")));
    Label_Unit = MakeLabel(Panel1, "Label_Unit", QStringLiteral("单元"), {2, 40}, Navy, font());

    TrvUnitLesson = new QTreeWidget(pnlRightTop);
    TrvUnitLesson->setObjectName(QStringLiteral("TrvUnitLesson"));
    TrvUnitLesson->setGeometry(0, 395, 176, 184);
    TrvUnitLesson->setFrameShape(QFrame::NoFrame);
    TrvUnitLesson->setHeaderHidden(true);
    TrvUnitLesson->setRootIsDecorated(false);
    TrvUnitLesson->setItemsExpandable(true);
    TrvUnitLesson->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TrvUnitLesson->setIndentation(12);
    TrvUnitLesson->setFont(PixelFont(16, false, font().family()));
    QPalette treePalette = TrvUnitLesson->palette();
    treePalette.setColor(QPalette::Base, StoredColour(15394773));
    treePalette.setColor(QPalette::Text, Blue);
    TrvUnitLesson->setPalette(treePalette);
    connect(TrvUnitLesson, &QTreeWidget::itemDoubleClicked, this,
            [this] { app_.Guarded([this] { TrvUnitLessonDblClick(); }); });

    Splitter2 = new SplitterBar(pnlRight);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    connect(Splitter2, &SplitterBar::dragged, this, [this](int dy) {
        rightTopHeight_ =
            std::clamp(rightTopHeight_ + dy, 0, std::max(0, pnlRight->height() - SplitterHeight));
        layoutPanels();
    });

    WebBrowser1 = new QTextBrowser(pnlRight);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setFrameShape(QFrame::NoFrame);
    WebBrowser1->setOpenExternalLinks(true);

    resize(800, 710);
    layoutPanels();
}

void TfrmMain::connectGuarded(QToolButton* button, void (TfrmMain::*handler)())
{
    connect(button, &QToolButton::clicked, this,
            [this, handler] { app_.Guarded([this, handler] { (this->*handler)(); }); });
}

// The read-aloud view is made while this window is still hidden, so its own
// parts get their sizes only now; the page it showed then is laid out again
// at the real size.
void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    if (frmOrvane && !app_.Book.Content.Sentences.PageName.empty())
        app_.Guarded([this] { frmOrvane->RefreshPage(); });
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPanels();
}

// Fixed geometry in the way the window was designed: pnlRight on the right
// edge, pnlClient filling the rest, pnlRightTop, Splitter2 and the browser
// stacked in pnlRight, a mode view filling pnlClient's inside.
void TfrmMain::layoutPanels()
{
    const int w = width(), h = height();
    pnlRight->setGeometry(std::max(0, w - RightWidth), 0, RightWidth, h);
    pnlClient->setGeometry(0, 0, std::max(0, w - RightWidth), h);
    const int top = std::min(rightTopHeight_, std::max(0, h - SplitterHeight));
    pnlRightTop->setGeometry(0, 0, RightWidth, top);
    Splitter2->setGeometry(0, top, RightWidth, SplitterHeight);
    WebBrowser1->setGeometry(0, top + SplitterHeight, RightWidth,
                             std::max(0, h - top - SplitterHeight));
    const QRect inside = pnlClient->clientRect();
    if (frmOrvane)
        frmOrvane->setGeometry(inside);
    if (CurrentTestForm)
        CurrentTestForm->setGeometry(inside);
}

void TfrmMain::FormCreate()
{
    OpenBook& book = app_.Book;
    book.CurrentPage = 0;
    CurrentTestForm = nullptr;

    // The local start page; nothing is fetched from the network.
    const QString startPage = app_.Paths.Data() + QStringLiteral("/smalldefault.htm");
    if (QFileInfo::exists(startPage))
        WebBrowser1->setSource(QUrl::fromLocalFile(startPage));

    if (const QScreen* s = screen())
        setGeometry(0, 0, s->geometry().width(), s->geometry().height());
    setWindowState(Qt::WindowMaximized);

    app_.Voice.SetPlaying(false);
    // The standard message dialog, captioned with the application title.
    if (!app_.Audio.BASS_Init(-1, 44100, 0, nullptr, nullptr))
        app_.Messages.showMessage(QStringLiteral("不能初始化音频设备！"), ApplicationTitle,
                                  nullptr);
    app_.Audio.BASS_Start();

    ReadSettings(app_.Paths.SettingsPath, app_.Settings);
    // A damaged book raises out of the opening: the window then stays
    // without a book, its mode buttons off, and the error is reported.
    try {
        if (!bookOpener().OpenLastBook([this] { return app_.ChooseBook(nullptr); },
                                       app_.SplashHandle.data(), this)) {
            setModeButtonsEnabled(false);
            return;
        }
        showOpenedBook();
        // The remembered page, shown (and a missing page file reported) once.
        if (frmOrvane)
            frmOrvane->Edit1->setText(QString::number(book.CurrentPage));
    } catch (...) {
        setModeButtonsEnabled(false);
        throw;
    }
}

BookOpener TfrmMain::bookOpener()
{
    return BookOpener(app_.Paths, app_.Book, app_.Messages,
                      [this] { app_.Voice.OpenVoiceFile(app_.Book.CurrentBook); });
}

void TfrmMain::showOpenedBook()
{
    BuildUnitTree(TrvUnitLesson, app_.Book.Content.LessonIndexLines);
    showBookLabels();
    setModeButtonsEnabled(true);
    sbtHearUnitClick();
}

void TfrmMain::showBookLabels()
{
    Label_Title->setText(app_.Book.CurrentBook);
    Label_Title->adjustSize();
    Label_Public->setText(app_.Book.CurrentPublisher);
    Label_Public->adjustSize();
}

void TfrmMain::showCurrentUnit()
{
    const QString unit = app_.Book.CurrentUnitText();
    if (unit.isEmpty())
        return;
    Label_Unit->setText(unit);
    Label_Unit->adjustSize();
}

void TfrmMain::setModeButtonsEnabled(bool on)
{
    for (QToolButton* b : {sbtHearUnit, sbtSelectSet, sbtLessonWord, sbtWriteWord})
        b->setEnabled(on);
}

void TfrmMain::markActiveMode(QToolButton* active)
{
    for (QToolButton* b : {sbtHearUnit, sbtSelectSet, sbtLessonWord, sbtWriteWord})
        b->setEnabled(b != active);
}

void TfrmMain::ShowModePage(int mode)
{
    modes_.Show(Mode(mode));
}

ModeSession& TfrmMain::SessionOf(Mode mode)
{
    switch (mode) {
    case Mode::Dictation:
    case Mode::Memorise:
        makeWordTestView();
        return frmWordTest->controller();
    case Mode::SentenceTest:
        makeSentenceTestView();
        return frmSentTest->controller();
    default:
        makeReadingView();
        return frmOrvane->controller();
    }
}

void TfrmMain::ShowView(Mode mode)
{
    QWidget* view = frmOrvane;
    if (mode == Mode::Dictation || mode == Mode::Memorise)
        view = frmWordTest;
    else if (mode == Mode::SentenceTest)
        view = frmSentTest;
    if (CurrentTestForm && CurrentTestForm != view)
        CurrentTestForm->hide();
    // The read-aloud view stays under a test view; CurrentTestForm names
    // the test view shown last.
    if (view != frmOrvane) {
        view->setParent(pnlClient);
        view->setGeometry(pnlClient->clientRect());
        CurrentTestForm = view;
    }
    view->show();
    view->raise();
}

void TfrmMain::makeReadingView()
{
    if (frmOrvane)
        return;
    OrvaneContext context{app_.Paths,
                          app_.Book,
                          app_.Voice,
                          app_.TestState,
                          app_.Messages,
                          app_.Ticks,
                          [this] { showCurrentUnit(); },
                          [this](const QString& text) { app_.ReportError(text); },
                          true};
    frmOrvane = new TfrmOrvane(context, pnlClient);
    frmOrvane->setObjectName(QStringLiteral("frmOrvane"));
    frmOrvane->controller().SetPracticeLog(app_.ReadingPractice.get());
    frmOrvane->setGeometry(pnlClient->clientRect());
}

void TfrmMain::makeSentenceTestView()
{
    if (frmSentTest)
        return;
    SentTestWindowContext context{
        app_.Paths,       app_.Book,
        app_.Voice,       app_.TestState,
        app_.Settings,    app_.Messages,
        app_.Ticks,       [this](const QString& text) { app_.ReportError(text); },
        app_.dmMain.get()};
    frmSentTest = new TfrmSentTest(context, pnlClient);
    frmSentTest->hide();
}

void TfrmMain::makeWordTestView()
{
    if (frmWordTest)
        return;
    WordTestWindowContext context{app_.Paths,
                                  app_.Book,
                                  app_.Voice,
                                  app_.TestState,
                                  app_.Settings,
                                  app_.Messages,
                                  app_.Ticks,
                                  app_.dmMain.get(),
                                  [this](const QString& text) { app_.ReportError(text); },
                                  app_.dmMain.get()};
    frmWordTest = new TfrmWordTest(context, pnlClient);
    frmWordTest->hide();
}

void TfrmMain::showMode(Mode mode, QToolButton* button)
{
    modes_.Show(mode);
    markActiveMode(button);
}

void TfrmMain::sbtHearUnitClick()
{
    showMode(Mode::ReadAloud, sbtHearUnit);
}

void TfrmMain::sbtSelectSetClick()
{
    showMode(Mode::SentenceTest, sbtSelectSet);
}

void TfrmMain::sbtLessonWordClick()
{
    showMode(Mode::Dictation, sbtLessonWord);
}

void TfrmMain::sbtWriteWordClick()
{
    showMode(Mode::Memorise, sbtWriteWord);
}

void TfrmMain::sbtSettingClick()
{
    {
        TfrmSettingPara dialog(app_, this);
        dialog.exec();
    }
    ReadSettings(app_.Paths.SettingsPath, app_.Settings);
}

void TfrmMain::sbtFollowClick()
{
    // The window works on the open book's sentences; without a book there
    // are none and nothing plays.
    if (app_.Book.Content.Sentences.count() == 0)
        return;
    // Reading stops; a test keeps its state and goes on once the window is
    // closed.
    modes_.Lend([this] {
        auto* frmFollow = new TfrmFollow(
            FollowWindowContext{app_.Paths, app_.Book, app_.Voice, app_.Audio, app_.Messages,
                                [this](const QString& text) { app_.ReportError(text); },
                                app_.MakeWordAligner, app_.OralPractice.get()},
            this);
        // Freed when it closes, after exec returns.
        frmFollow->setAttribute(Qt::WA_DeleteOnClose);
        std::unique_ptr<TfrmFollow> unopened(frmFollow);
        if (!frmFollow->FormCreate())
            return;
        unopened.release()->exec();
    });
}

void TfrmMain::sbtRecordClick()
{
    LearningRecord record(app_.dmMain->databasePath());
    const LearningSummary summary =
        record.Summarize(app_.Book, app_.Settings, QDateTime::currentDateTime());
    LearningRecordActions actions;
    actions.ExportTable = [&record](const QString& path) { return record.ExportCsv(path); };
    // Like oral training, the window borrows the player: reading stops, a
    // running test waits and goes on afterwards.
    bool wrongWords = false;
    modes_.Lend([&] {
        LearningRecordWindow window(summary, actions, app_.Messages, this);
        wrongWords = window.exec() == LearningRecordWindow::StartWrongWordDictation;
    });
    if (!wrongWords)
        return;
    QStringList words;
    for (const HardWord& word : summary.HardWords)
        words << word.Word;
    makeWordTestView();
    frmWordTest->controller().AskWordsNext(words);
    showMode(Mode::Dictation, sbtLessonWord);
}

void TfrmMain::SpeedButton3Click()
{
    close();
}

void TfrmMain::SbtSelectBookClick()
{
    // The loading screen, shown once the choice has been checked.
    auto* splash = new TfrmSplash(app_);
    QPointer<TfrmSplash> guard(splash);
    const auto showLoading = [&] {
        if (guard) {
            guard->show();
            guard->repaint();
        }
        update();
        if (guard)
            guard->show();
    };
    // Freed however the opening ends.
    struct FreeSplash {
        QPointer<TfrmSplash>& splash;
        ~FreeSplash() { delete splash.data(); }
    } freeSplash{guard};
    // The mode on show lends the voice player while the book is chosen and
    // loaded; after a new book the read-aloud view takes it.
    modes_.Suspend();
    bool opened = false;
    try {
        opened = bookOpener().OpenChosenBook([this] { return app_.ChooseBook(this); }, this,
                                             showLoading);
    } catch (...) {
        modes_.Resume(); // the previous book is back
        throw;
    }
    if (!opened) {
        modes_.Resume();
        return;
    }
    showOpenedBook();
    if (frmOrvane) {
        frmOrvane->Edit1->setText(QStringLiteral("1"));
        frmOrvane->ShowPage();
    }
}

void TfrmMain::TrvUnitLessonDblClick()
{
    const QTreeWidgetItem* node = TrvUnitLesson->currentItem();
    if (!node || !node->isSelected() || !node->data(0, LineIndexRole).isValid())
        return;
    const UnitNodeData data = UnitNodeDataOf(node);
    if (frmOrvane)
        frmOrvane->ShowLesson(data.Name, data.Title);
    showCurrentUnit();
    // A built test follows the newly chosen lesson.
    if (app_.Settings.TestAreaSetting != 0)
        modes_.RebuildTest();
}

void TfrmMain::FormKeyDown(int key)
{
    if (frmOrvane)
        frmOrvane->HandlePageKey(key);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        forwardedKey_ = nullptr;
    } else if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* target = static_cast<QWidget*>(watched);
        if (target->window() != this)
            return QWidget::eventFilter(watched, event);
        // A key goes first to one widget (the focus widget, or the one it was
        // sent to) and then, while nobody takes it, up through its parents,
        // as the same event. Only that first delivery is forwarded, so each
        // key reaches HandlePageKey once whichever widget holds the focus.
        const bool passedUp = event == forwardedKey_ && forwardedTo_ && forwardedTo_ != target &&
                              target->isAncestorOf(forwardedTo_);
        if (!passedUp) {
            forwardedKey_ = event;
            forwardedTo_ = target;
            app_.Guarded([&] { FormKeyDown(static_cast<QKeyEvent*>(event)->key()); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::FormClose()
{
    if (frmOrvane)
        frmOrvane->RemLastPage();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    app_.Guarded([this] { FormClose(); });
    event->accept();
}

} // namespace zarelo
