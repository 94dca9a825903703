// The real main window over a temporary program folder and settings file:
// its controls, start without a book, choosing a book through the real
// selection dialog, the mode-button group, the unit tree, keys and closing.

#include "ShellRig.h"
#include "base/gui/Panel.h"
#include "book/gui/UnitTree.h"
#include "book/gui/uSelectBook.h"
#include "oral/gui/uFollowRead.h"
#include "quiz/gui/uFrmSentTest.h"
#include "quiz/gui/uFrmWordTest.h"
#include "reading/gui/PageImageWidget.h"
#include "reading/gui/uOrvane.h"
#include "shell/gui/SplitterBar.h"
#include "shell/gui/ZareloApplication.h"
#include "shell/gui/uFrmMain.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>

using namespace zarelo;
using namespace zarelo::shelltest;

namespace {

// Chooses `book` of `publisher` in the selection dialog as a user does: the
// publisher, the book's row, then "进入".
void ChooseInDialog(const QString& publisher, const QString& book)
{
    AnswerNextModal([publisher, book](QWidget* modal) {
        auto* dialog = qobject_cast<TfrmSelectBook*>(modal);
        QVERIFY(dialog);
        dialog->CmbPublic->setCurrentIndex(dialog->CmbPublic->findText(publisher));
        dialog->CmbPublicChange();
        auto* grid = modal->findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
        QVERIFY(grid);
        for (int row = 0; row < grid->rowCount(); ++row)
            if (grid->item(row, 0) && grid->item(row, 0)->text() == book)
                grid->setCurrentCell(row, 0);
        QTest::mouseClick(modal->findChild<QToolButton*>(QStringLiteral("SpeedButton2")),
                          Qt::LeftButton);
    });
}

void LeaveDialog()
{
    AnswerNextModal([](QWidget* modal) {
        QTest::mouseClick(modal->findChild<QToolButton*>(QStringLiteral("SpeedButton3")),
                          Qt::LeftButton);
    });
}

QList<QToolButton*> ModeButtons(const TfrmMain& w)
{
    return {w.sbtHearUnit, w.sbtSelectSet, w.sbtLessonWord, w.sbtWriteWord};
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void aDictationGoesOnAfterTheOralTraining()
    {
        ShellRig rig;
        rig.addLastBook();
        rig.setting(QStringLiteral("waittime"), QStringLiteral("1"));
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        app.dmMain->DataModuleCreate();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(w.sbtLessonWord, Qt::LeftButton);
        TfrmWordTest* test = w.frmWordTest;
        QTest::mouseClick(test->SbtStartTesting, Qt::LeftButton);
        QTRY_COMPARE(app.TestState.TestPos, 0); // the first word sounds

        AnswerNextModal([](QWidget* modal) { modal->close(); });
        QTest::mouseClick(w.sbtFollow, Qt::LeftButton);
        QVERIFY(app.Voice.IsPlaying());
        QVERIFY(test->Timer_Play->isActive());
        // The word is asked again, its wait runs out and the next word comes.
        for (int i = 0; i < 200 && app.TestState.TestPos < 1; ++i) {
            rig.Device->render(4410);
            rig.Clock->advance(100);
            QTest::qWait(20);
        }
        QCOMPARE(app.TestState.TestPos, 1);
        QCOMPARE(int(app.TestState.Answers.size()), 1);
        QVERIFY2(rig.Messages->shown.isEmpty(), qPrintable(rig.Messages->texts().join(u'|')));
    }

    void settingsThatCannotBeSavedAreReportedOnce()
    {
        ShellRig rig;
        rig.addLastBook();
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.frmOrvane->SbtNextPageClick();
        // The settings folder is gone, a file in its place.
        const QString folder = QFileInfo(rig.SettingsPath).absolutePath();
        QVERIFY(QDir(folder).removeRecursively());
        QFile(folder).open(QIODevice::WriteOnly);
        w.close();
        w.FormClose(); // the last page is written a second time
        QCOMPARE(rig.Messages->shown.size(), 1);
        const QString text = rig.Messages->shown[0].text;
        QVERIFY2(text.contains(QDir::toNativeSeparators(rig.SettingsPath)), qPrintable(text));
        QVERIFY2(text.startsWith(QStringLiteral("设置文件")), qPrintable(text));
    }

    void anInstalledProgramWithoutItsDataHomeSaysSoAndGoesOn()
    {
        ShellRig rig;
        rig.addLastBook();
        // The user's data folder would lie under a file.
        const QString blocker = rig.root.filePath("not-a-folder");
        QFile(blocker).open(QIODevice::WriteOnly);
        AppSeams seams = rig.makeSeams();
        seams.UserFolder = blocker + QStringLiteral("/ZareloEnglish");
        seams.LibraryFolders = {seams.UserFolder + QStringLiteral("/books"), rig.ProgramFolder};
        AppContext app(std::move(seams));
        QCOMPARE(rig.Messages->shown.size(), 1);
        const QString text = rig.Messages->shown[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("文件夹“%1”无法建立：")
                                     .arg(QDir::toNativeSeparators(blocker + "/ZareloEnglish"))),
                 qPrintable(text));
        TfrmMain w(app);
        app.dmMain->DataModuleCreate(); // no history, said as for any history that cannot open
        QCOMPARE(app.Book.CurrentBook, QStringLiteral("Book One"));
        QVERIFY(w.frmOrvane);
        QVERIFY(
            rig.Messages->texts().last().startsWith(QStringLiteral("打开数据连接时发生错误！")));
    }

    void theWindowCanBeResized()
    {
        ShellRig rig;
        rig.addLastBook();
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        QVERIFY(w.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(!(w.windowFlags() & Qt::CustomizeWindowHint));
        QVERIFY(w.minimumSize() != w.maximumSize());
        w.showNormal();
        w.resize(900, 650);
        QTRY_COMPARE(w.size(), QSize(900, 650));
        QCOMPARE(w.pnlRight->geometry(), QRect(900 - 178, 0, 178, 650));
        QCOMPARE(w.pnlClient->geometry(), QRect(0, 0, 900 - 178, 650));
        QCOMPARE(w.frmOrvane->geometry(), w.pnlClient->clientRect());
    }

    void controlsSitWhereTheyWereDesigned()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        LeaveDialog();
        TfrmMain w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        QCOMPARE(w.windowTitle(), QStringLiteral("Zarelo学习软件 v2.10"));
        QVERIFY(w.windowState() & Qt::WindowMaximized);
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);

        const int width = w.width(), height = w.height();
        QCOMPARE(w.pnlRight->geometry(), QRect(width - 178, 0, 178, height));
        QCOMPARE(w.pnlClient->geometry(), QRect(0, 0, width - 178, height));
        QCOMPARE(w.pnlRight->fillColour(), QColor(0x81, 0xAE, 0xF3)); // stored 15969921
        QCOMPARE(w.pnlClient->bevelOuter(), Panel::Bevel::Lowered);
        QCOMPARE(w.pnlClient->bevelInner(), Panel::Bevel::Raised);
        QCOMPARE(w.pnlRightTop->geometry(), QRect(0, 0, 178, 579));
        QCOMPARE(w.pnlRightTop->bevelOuter(), Panel::Bevel::None);
        QCOMPARE(w.pnlMainMenu->geometry(), QRect(8, 0, 153, 332));
        QCOMPARE(w.pnlMainMenu->parentWidget(), w.pnlRightTop);

        const struct {
            QToolButton* button;
            const char* name;
            int y;
            QString text;
        } buttons[] = {
            {w.SbtSelectBook, "SbtSelectBook", 16, QStringLiteral("选书")},
            {w.sbtHearUnit, "sbtHearUnit", 51, QStringLiteral("朗读")},
            {w.sbtSelectSet, "sbtSelectSet", 86, QStringLiteral("听辨句子")},
            {w.sbtLessonWord, "sbtLessonWord", 121, QStringLiteral("听写单词")},
            {w.sbtWriteWord, "sbtWriteWord", 156, QStringLiteral("背单词")},
            {w.sbtSetting, "sbtSetting", 191, QStringLiteral("设置")},
            {w.sbtFollow, "sbtFollow", 226, QStringLiteral("口语训练")},
            {w.sbtRecord, "sbtRecord", 261, QStringLiteral("学习记录")},
            {w.SpeedButton3, "SpeedButton3", 296, QStringLiteral("退出")},
        };
        for (const auto& b : buttons) {
            QCOMPARE(w.findChild<QToolButton*>(QString::fromLatin1(b.name)), b.button);
            QCOMPARE(b.button->parentWidget(), w.pnlMainMenu);
            QCOMPARE(b.button->geometry(), QRect(10, b.y, 122, 32));
            QCOMPARE(b.button->text(), b.text);
        }

        QCOMPARE(w.Panel1->geometry(), QRect(0, 339, 178, 55));
        QCOMPARE(w.Panel1->parentWidget(), w.pnlRightTop);
        QCOMPARE(w.Label_Title->pos(), QPoint(2, 0));
        QCOMPARE(w.Label_Title->text(), QStringLiteral("书名"));
        QCOMPARE(w.Label_Title->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
        QCOMPARE(w.Label_Title->font().pixelSize(), 12);
        QCOMPARE(w.Label_Public->pos(), QPoint(0, 16));
        QCOMPARE(w.Label_Public->text(), QStringLiteral("出版社"));
        QCOMPARE(w.Label_Public->palette().color(QPalette::WindowText), QColor(0, 0xFF, 0));
        QCOMPARE(w.Label_Public->font().pixelSize(), 16);
        QCOMPARE(w.Label_Public->font().family(), QStringLiteral("宋体"));
        QCOMPARE(w.Label_Unit->pos(), QPoint(2, 40));
        QCOMPARE(w.Label_Unit->text(), QStringLiteral("单元"));

        QCOMPARE(w.TrvUnitLesson->geometry(), QRect(0, 395, 176, 184));
        QCOMPARE(w.TrvUnitLesson->frameShape(), QFrame::NoFrame);
        QCOMPARE(w.TrvUnitLesson->palette().color(QPalette::Base),
                 QColor(0xD5, 0xE7, 0xEA)); // 15394773
        QCOMPARE(w.TrvUnitLesson->palette().color(QPalette::Text), QColor(0, 0, 0xFF));
        QCOMPARE(w.TrvUnitLesson->font().pixelSize(), 16);
        QVERIFY(!w.TrvUnitLesson->rootIsDecorated());
        QCOMPARE(w.TrvUnitLesson->editTriggers(), QAbstractItemView::NoEditTriggers);

        QCOMPARE(w.Splitter2->geometry(), QRect(0, 579, 178, 3));
        QCOMPARE(w.WebBrowser1->geometry(), QRect(0, 582, 178, height - 582));

        // Dragging the splitter moves the browser's top edge.
        QTest::mousePress(w.Splitter2, Qt::LeftButton, {}, QPoint(80, 1));
        QMouseEvent move(QEvent::MouseMove, QPointF(80, -39),
                         w.Splitter2->mapToGlobal(QPointF(80, -39)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w.Splitter2, &move);
        QTest::mouseRelease(w.Splitter2, Qt::LeftButton, {}, QPoint(80, -39));
        QCOMPARE(w.pnlRightTop->height(), 539);
        QCOMPARE(w.WebBrowser1->y(), 542);
    }

    void startWithoutABookDisablesTheModeButtons()
    {
        ShellRig rig;
        rig.addSkin(QStringLiteral("skin"), QStringLiteral("默认.ssk"),
                    "QToolButton { color: #123456; }");
        WriteFile(rig.ProgramFolder + QStringLiteral("/smalldefault.htm"),
                  QStringLiteral("<html><body><p>欢迎 start page</p></body></html>").toUtf8());
        AppContext& app = rig.makeApp();
        bool dialogShown = false;
        AnswerNextModal([&](QWidget* modal) {
            dialogShown = true;
            QTest::mouseClick(modal->findChild<QToolButton*>(QStringLiteral("SpeedButton3")),
                              Qt::LeftButton);
        });
        TfrmMain w(app);
        QVERIFY(dialogShown); // the selection opened before the window was shown
        QVERIFY(!w.isVisible());
        w.show();

        for (QToolButton* b : ModeButtons(w))
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(w.SbtSelectBook->isEnabled());
        QVERIFY(w.sbtSetting->isEnabled());
        QCOMPARE(w.pnlClient->caption(), QStringLiteral("请选书... ..."));
        QVERIFY(!w.frmOrvane);
        QCOMPARE(w.TrvUnitLesson->topLevelItemCount(), 0);
        QVERIFY(w.WebBrowser1->toPlainText().contains(QStringLiteral("欢迎 start page")));
        QVERIFY(rig.Messages->shown.isEmpty());
        QVERIFY(rig.Device->playbackStarted());
        // The values of the first start, created in their order.
        QCOMPARE(SettingNames(rig.SettingsPath),
                 (QStringList{"testarea", "wordnumber", "waittime", "seririghttimes",
                              "lasttestrightdays", "righttestovertimes", "bookname", "publicname",
                              "LastPage", "LastVoiceName"}));
        QCOMPARE(app.Settings.WaitMs, 10000);

        // Without a book, keys and closing touch nothing that is not there.
        QTest::keyClick(&w, Qt::Key_PageDown);
        w.close();
        QVERIFY(rig.setting(QStringLiteral("LastPage")).isEmpty());
    }

    void withoutASoundDeviceItSaysSoAndGoesOn()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp(false);
        LeaveDialog();
        TfrmMain w(app);
        QCOMPARE(rig.Messages->texts(), QStringList{QStringLiteral("不能初始化音频设备！")});
        // The standard message dialog: captioned with the application title.
        QCOMPARE(rig.Messages->shown.first().caption, ApplicationTitle);
        QCOMPARE(rig.Messages->shown.first().caption, QStringLiteral("Zarelo英语学习软件"));
        QVERIFY(w.SbtSelectBook->isEnabled());
    }

    // The faces the windows ask for by name, drawn with installed faces of
    // the same kind.
    void namedFontsAreDrawnWithInstalledFaces()
    {
        const auto drawnWith = [](const char* family) {
            return QFontInfo(QFont(QString::fromUtf8(family))).family();
        };
        QCOMPARE(drawnWith("华文隶书"), QStringLiteral("AR PL UKai CN"));
        QCOMPARE(drawnWith("Arial"), QStringLiteral("Liberation Sans"));
        QCOMPARE(drawnWith("宋体"), QStringLiteral("WenQuanYi Zen Hei"));
        QCOMPARE(drawnWith("隶书"), QStringLiteral("WenQuanYi Zen Hei"));
    }

    void modeButtonsActAsAGroup()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        LeaveDialog();
        TfrmMain w(app);
        w.show();
        // Without a book neither test finds an item (ActiveMode -1); each
        // keeps its empty window, shown one at a time.
        const struct {
            QToolButton* button;
            int mode;
            bool sentenceTest;
        } steps[] = {{w.sbtLessonWord, 4, false},
                     {w.sbtWriteWord, 2, false},
                     {w.sbtSelectSet, 3, true},
                     {w.sbtLessonWord, 4, false}};
        for (const auto& step : steps) {
            step.button->setEnabled(true);
            QTest::mouseClick(step.button, Qt::LeftButton);
            QCOMPARE(w.CurrentMode(), step.mode);
            for (QToolButton* b : ModeButtons(w))
                QCOMPARE(b->isEnabled(), b != step.button);
            QWidget* shown = step.sentenceTest ? static_cast<QWidget*>(w.frmSentTest)
                                               : static_cast<QWidget*>(w.frmWordTest);
            QWidget* other = step.sentenceTest ? static_cast<QWidget*>(w.frmWordTest)
                                               : static_cast<QWidget*>(w.frmSentTest);
            QVERIFY(shown);
            QCOMPARE(w.CurrentTestForm, shown);
            QVERIFY(shown->isVisible());
            QVERIFY(!other || !other->isVisible());
        }
        QCOMPARE(app.TestState.ActiveMode, -1);
        QVERIFY(!w.frmOrvane); // nothing is shown over the empty client panel
        QVERIFY(rig.Messages->shown.isEmpty());
    }

    void wordTestFollowsTheModeButtonsAndTheLessons()
    {
        ShellRig rig;
        rig.addLastBook();
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        app.dmMain->DataModuleCreate();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY2(rig.Messages->shown.isEmpty(), qPrintable(rig.Messages->texts().join(u'|')));
        QCOMPARE(app.Settings.TestAreaSetting, 1);

        QTest::mouseClick(w.sbtLessonWord, Qt::LeftButton);
        TfrmWordTest* test = w.frmWordTest;
        QVERIFY(test && test->isVisible());
        QCOMPARE(w.CurrentTestForm, static_cast<QWidget*>(test));
        QCOMPARE(test->geometry(), w.pnlClient->clientRect());
        QCOMPARE(app.TestState.ActiveMode, 2);
        QCOMPARE(test->lbTestTitle->text(), QStringLiteral("听写单词"));
        QCOMPARE(test->lbUnit->text(), QStringLiteral("当前单元:Unit 1:Hello"));
        QCOMPARE(test->LbWordCount->text(), QStringLiteral("本次测试单词共2个"));
        if (!qEnvironmentVariableIsEmpty("ZARELO_SCREENSHOTS"))
            w.grab().save(qEnvironmentVariable("ZARELO_SCREENSHOTS") + "/main-wordtest.png");

        // A double-click on the second unit's lesson rebuilds the test there.
        QTreeWidgetItem* lesson = w.TrvUnitLesson->topLevelItem(1)->child(0);
        w.TrvUnitLesson->setCurrentItem(lesson);
        w.TrvUnitLessonDblClick();
        QCOMPARE(test->lbUnit->text(), QStringLiteral("当前单元:Unit 2:My school"));
        for (int candidate : app.TestState.TestCandidates)
            QVERIFY(app.Book.EntryPage(candidate) >= 3);

        QTest::mouseClick(w.sbtWriteWord, Qt::LeftButton);
        QCOMPARE(app.TestState.ActiveMode, 3);
        QCOMPARE(test->lbTestTitle->text(), QStringLiteral("背单词"));
        QTest::mouseClick(test->SbtStartTesting, Qt::LeftButton);
        QCOMPARE(app.TestState.TestState, 5);

        // With testarea 0 a double-click leaves the running test alone.
        app.Settings.TestAreaSetting = 0;
        w.TrvUnitLesson->setCurrentItem(w.TrvUnitLesson->topLevelItem(0)->child(0));
        w.TrvUnitLessonDblClick();
        QCOMPARE(app.TestState.TestState, 5);

        // "朗读" gives the test up and takes the player back.
        QTest::mouseClick(w.sbtHearUnit, Qt::LeftButton);
        QCOMPARE(app.TestState.TestState, -1);
        QCOMPARE(app.TestState.ActiveMode, -1);
        QVERIFY(!test->isVisible());
        QVERIFY(!test->Timer_Play->isActive());
        QVERIFY(w.frmOrvane->isVisible());
        QVERIFY2(rig.Messages->shown.isEmpty(), qPrintable(rig.Messages->texts().join(u'|')));
    }

    void sentenceTestFollowsTheModeButtonsAndTheLessons()
    {
        ShellRig rig;
        fakes::TestBook files =
            fakes::FourPageBook(QStringLiteral("Sunny Press"), QStringLiteral("Book One"));
        for (fakes::TestEntry& e : files.Entries)
            if (e.Kind == "sent")
                e.English += " to you";
        files.write(rig.ProgramFolder);
        rig.setting(QStringLiteral("bookname"), QStringLiteral("Book One"));
        rig.setting(QStringLiteral("publicname"), QStringLiteral("Sunny Press"));
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(app.Settings.TestAreaSetting, 1);

        // "听辨句子" stops the reading, builds the test and shows it.
        w.frmOrvane->sbtReadAllLessonClick();
        QVERIFY(w.frmOrvane->Timer_Play->isActive());
        QTest::mouseClick(w.sbtSelectSet, Qt::LeftButton);
        QVERIFY(!w.frmOrvane->Timer_Play->isActive());
        TfrmSentTest* test = w.frmSentTest;
        QVERIFY(test && test->isVisible());
        QCOMPARE(w.CurrentTestForm, static_cast<QWidget*>(test));
        QCOMPARE(test->parentWidget(), static_cast<QWidget*>(w.pnlClient));
        QCOMPARE(test->geometry(), w.pnlClient->clientRect());
        QCOMPARE(app.TestState.ActiveMode, 1);
        QCOMPARE(test->lbUnit->text(), QStringLiteral("当前单元:Unit 1:Hello"));
        QCOMPARE(int(test->SentenceLabels().size()), 2);

        // A double-click on the second unit's lesson rebuilds the test there.
        w.TrvUnitLesson->setCurrentItem(w.TrvUnitLesson->topLevelItem(1)->child(0));
        w.TrvUnitLessonDblClick();
        QCOMPARE(test->lbUnit->text(), QStringLiteral("当前单元:Unit 2:My school"));
        for (int candidate : app.TestState.TestCandidates)
            QVERIFY(app.Book.EntryPage(candidate) >= 3);

        QTest::mouseClick(test->SbtStartTesting, Qt::LeftButton);
        QCOMPARE(app.TestState.TestState, 1);
        // With testarea 0 a double-click leaves the running test alone.
        app.Settings.TestAreaSetting = 0;
        w.TrvUnitLesson->setCurrentItem(w.TrvUnitLesson->topLevelItem(0)->child(0));
        w.TrvUnitLessonDblClick();
        QCOMPARE(app.TestState.TestState, 1);
        QCOMPARE(test->lbUnit->text(), QStringLiteral("当前单元:Unit 2:My school"));

        // "朗读" gives the test up and takes the player back.
        QTest::mouseClick(w.sbtHearUnit, Qt::LeftButton);
        QCOMPARE(app.TestState.TestState, -1);
        QCOMPARE(app.TestState.ActiveMode, -1);
        QVERIFY(!test->isVisible());
        QVERIFY(w.frmOrvane->isVisible());
        QVERIFY2(rig.Messages->shown.isEmpty(), qPrintable(rig.Messages->texts().join(u'|')));
    }

    void oralTrainingStopsReadingAndOpensModally()
    {
        ShellRig rig;
        rig.addLastBook();
        rig.setting(QStringLiteral("LastPage"), QStringLiteral("2"));
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        w.frmOrvane->sbtReadAllLessonClick();
        QVERIFY(w.frmOrvane->Timer_Play->isActive());
        QString title;
        bool readingStopped = false;
        int sentence = -1, page = -1;
        QPointer<QWidget> window;
        AnswerNextModal([&](QWidget* modal) {
            window = modal;
            page = app.Book.CurrentPage;
            title = modal->windowTitle();
            readingStopped = !w.frmOrvane->Timer_Play->isActive() && !app.Voice.IsPlaying();
            sentence = app.Book.CurrentSentence;
            QVERIFY(qobject_cast<TfrmFollow*>(modal));
            modal->close();
        });
        QTest::mouseClick(w.sbtFollow, Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("口语跟读练习"));
        QVERIFY(readingStopped);
        // The first sentence of the page being read (each page has one).
        QCOMPARE(app.Book.Content.Sentences.Kind[sentence], "sent");
        QCOMPARE(app.Book.EntryPage(sentence), page);
        QVERIFY(window.isNull()); // freed once closed
        QVERIFY(!w.findChild<TfrmFollow*>());
        QVERIFY(!rig.Device->captureOpen());
        QVERIFY2(rig.Messages->shown.isEmpty(), qPrintable(rig.Messages->texts().join(u'|')));

        // Without a recording device the window says so and stays closed.
        ShellRig deaf;
        auto seams = deaf.makeSeams();
        auto noCapture = std::make_unique<ManualAudioDevice>(std::vector<std::string>{});
        ManualAudioDevice& device = *noCapture;
        seams.Device = std::move(noCapture);
        AppContext quiet(std::move(seams));
        deaf.addBook(QStringLiteral("Sunny Press"), QStringLiteral("Book One"));
        deaf.setting(QStringLiteral("bookname"), QStringLiteral("Book One"));
        deaf.setting(QStringLiteral("publicname"), QStringLiteral("Sunny Press"));
        TfrmMain other(quiet);
        QTest::mouseClick(other.sbtFollow, Qt::LeftButton);
        QCOMPARE(deaf.Messages->texts(),
                 QStringList{QStringLiteral("Cannot start default recording device!")});
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(device.playbackStarted()); // the sound goes on
    }

    void choosingTheBookAtTheFirstStartOpensIt()
    {
        ShellRig rig;
        rig.addBook(QStringLiteral("Sunny Press"), QStringLiteral("Book One"));
        AppContext& app = rig.makeApp();
        ChooseInDialog(QStringLiteral("Sunny Press"), QStringLiteral("Book One"));
        TfrmMain w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        QVERIFY2(rig.Messages->shown.isEmpty(), qPrintable(rig.Messages->texts().join(u'|')));
        QCOMPARE(app.Book.CurrentBook, QStringLiteral("Book One"));
        QCOMPARE(w.Label_Title->text(), QStringLiteral("Book One"));
        QCOMPARE(w.Label_Public->text(), QStringLiteral("Sunny Press"));
        QCOMPARE(w.TrvUnitLesson->topLevelItemCount(), 2);
        QVERIFY(w.frmOrvane);
        QCOMPARE(w.frmOrvane->parentWidget(), w.pnlClient);
        QCOMPARE(w.frmOrvane->geometry(), w.pnlClient->clientRect());
        QVERIFY(w.frmOrvane->isVisible());
        QCOMPARE(w.frmOrvane->Edit1->text(), QStringLiteral("1"));
        QCOMPARE(w.CurrentMode(), 1);
        QCOMPARE(app.TestState.ActiveMode, -1);
        QVERIFY(!w.sbtHearUnit->isEnabled());
        QVERIFY(w.sbtSelectSet->isEnabled() && w.sbtLessonWord->isEnabled() &&
                w.sbtWriteWord->isEnabled());
        QVERIFY(app.Voice.VoiceStream != 0); // the first voice was loaded
        QCOMPARE(app.Book.CurrentVoiceName, QByteArray("voice1"));

        // Page Down goes through the main window to the page view, once,
        // wherever the focus is.
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && focus->window() == &w ? focus : &w, Qt::Key_PageDown);
        QCOMPARE(w.frmOrvane->Edit1->text(), QStringLiteral("2"));
        w.TrvUnitLesson->setFocus();
        QTest::keyClick(w.TrvUnitLesson, Qt::Key_PageDown);
        QCOMPARE(w.frmOrvane->Edit1->text(), QStringLiteral("3"));
        QTest::keyClick(w.frmOrvane, Qt::Key_PageUp);
        QCOMPARE(w.frmOrvane->Edit1->text(), QStringLiteral("2"));

        // Double-clicking the second lesson shows its first page and unit.
        QTreeWidgetItem* lesson = w.TrvUnitLesson->topLevelItem(1)->child(0);
        QVERIFY(lesson);
        w.TrvUnitLesson->setCurrentItem(lesson);
        w.TrvUnitLessonDblClick();
        QCOMPARE(app.Book.CurrentPage, 3);
        QCOMPARE(w.frmOrvane->Edit1->text(), QStringLiteral("3"));
        QCOMPARE(w.Label_Unit->text(), QStringLiteral("当前单元:Lesson 2:Our classroom"));

        w.close();
        QCOMPARE(SettingNames(rig.SettingsPath),
                 (QStringList{"testarea", "wordnumber", "waittime", "seririghttimes",
                              "lasttestrightdays", "righttestovertimes", "bookname", "publicname",
                              "LastPage", "LastVoiceName"}));
        QCOMPARE(rig.setting(QStringLiteral("bookname")), QStringLiteral("Book One"));
        QCOMPARE(rig.setting(QStringLiteral("publicname")), QStringLiteral("Sunny Press"));
        QCOMPARE(rig.setting(QStringLiteral("LastPage")), QStringLiteral("3"));
        QCOMPARE(rig.setting(QStringLiteral("LastVoiceName")), QStringLiteral("voice1"));
    }

    void theLastBookReopensOnItsPage()
    {
        ShellRig rig;
        rig.addLastBook();
        rig.setting(QStringLiteral("LastPage"), QStringLiteral("4"));
        AppContext& app = rig.makeApp();
        TfrmMain w(app); // no dialog: none is answered
        QVERIFY(w.frmOrvane);
        QCOMPARE(w.frmOrvane->Edit1->text(), QStringLiteral("4"));
        QCOMPARE(app.Book.CurrentPage, 4);
        QVERIFY(rig.Messages->shown.isEmpty());
    }

    void bookFilesAreFoundWhateverTheLetterCaseOfTheirNames()
    {
        // Copied from a file system that ignores case: the settings and the
        // tables name every folder and file in another case than the disk.
        ShellRig rig;
        fakes::TestBook files;
        files.Publisher = QStringLiteral("Sunny Press");
        files.Book = QStringLiteral("Book One");
        files.LocationFile = QStringLiteral("LOCATION.DAT");
        files.LessonFile = QStringLiteral("lessonindex.dat");
        files.PageFile = QStringLiteral("PAGE%1.zip");
        files.Entries = {{1, "sent", {{100, 100, 300, 130}}, "u1"},
                         {1, "word", {{100, 300, 300, 330}}, "U2"},
                         {1, "word", {{100, 500, 300, 530}}, "u1"}};
        files.Voices = {{"u1", {QStringLiteral("U1.wav"), 22050}},
                        {"U2", {QStringLiteral("u2.WAV"), 11025}}};
        files.write(rig.ProgramFolder);
        rig.setting(QStringLiteral("bookname"), QStringLiteral("BOOK ONE"));
        rig.setting(QStringLiteral("publicname"), QStringLiteral("sunny press"));
        rig.setting(QStringLiteral("LastPage"), QStringLiteral("1"));
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY2(rig.Messages->shown.isEmpty(), qPrintable(rig.Messages->texts().join(u'|')));
        QCOMPARE(app.Book.Content.Sentences.count(), 3);
        TfrmOrvane* view = w.frmOrvane;
        QVERIFY(view && view->Image1->isVisible());

        // Each voice plays its own entries, the later "u1" entry after "U2" too.
        const SentenceTable& t = app.Book.Content.Sentences;
        for (int row : {0, 1, 2}) {
            const QPointF centre((t.Box1Left[row] + t.Box1Right[row]) / 2.0,
                                 (t.Box1Top[row] + t.Box1Bottom[row]) / 2.0);
            QTest::mouseClick(view->Image1, Qt::LeftButton, {},
                              (centre * view->PageScale()).toPoint());
            QCOMPARE(app.Book.CurrentSentence, row);
            QCOMPARE(fakes::TestBook::RowHeard(rig.Device->render(8192), 3), row);
        }
        QVERIFY2(rig.Messages->shown.isEmpty(), qPrintable(rig.Messages->texts().join(u'|')));
    }

    void aDamagedBookAtStartIsReportedAndLeavesNoBook()
    {
        ShellRig rig;
        rig.addBook(QStringLiteral("Sunny Press"), QStringLiteral("Book One"));
        // A lesson line with a page that is not a number.
        WriteFile(rig.ProgramFolder + QStringLiteral("/Sunny Press/Book One/LessonIndex.dat"),
                  PackBytes("Unit 1;Hello;c2;0:00:0;c4;0:10:0;one;2\r\n"));
        rig.setting(QStringLiteral("bookname"), QStringLiteral("Book One"));
        rig.setting(QStringLiteral("publicname"), QStringLiteral("Sunny Press"));
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        QCOMPARE(rig.Messages->shown.size(), 1);
        QCOMPARE(rig.Messages->shown.first().caption, ApplicationTitle);
        QVERIFY2(rig.Messages->shown.first().text.contains(QStringLiteral("LessonIndex.txt")),
                 qPrintable(rig.Messages->shown.first().text));
        for (QToolButton* b : ModeButtons(w))
            QVERIFY(!b->isEnabled());
        QVERIFY(!w.frmOrvane);
    }

    void openingAnotherBookFromTheMenu()
    {
        ShellRig rig;
        rig.addBook(QStringLiteral("Sunny Press"), QStringLiteral("Book One"));
        rig.addBook(QStringLiteral("Bright Books"), QStringLiteral("Book Two"));
        rig.setting(QStringLiteral("bookname"), QStringLiteral("Book One"));
        rig.setting(QStringLiteral("publicname"), QStringLiteral("Sunny Press"));
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        w.show();
        QVERIFY(w.frmOrvane);
        TfrmOrvane* view = w.frmOrvane;
        view->Edit1->setText(QStringLiteral("3"));

        ChooseInDialog(QStringLiteral("Bright Books"), QStringLiteral("Book Two"));
        QTest::mouseClick(w.SbtSelectBook, Qt::LeftButton);
        QVERIFY2(rig.Messages->shown.isEmpty(), qPrintable(rig.Messages->texts().join(u'|')));
        QCOMPARE(app.Book.CurrentBook, QStringLiteral("Book Two"));
        QCOMPARE(w.Label_Title->text(), QStringLiteral("Book Two"));
        QCOMPARE(w.Label_Public->text(), QStringLiteral("Bright Books"));
        QCOMPARE(w.frmOrvane, view); // the view is kept
        QCOMPARE(view->Edit1->text(), QStringLiteral("1"));
        QCOMPARE(app.Book.CurrentPage, 1);
        // The loading splash lived only during the click.
        QVERIFY(!w.findChild<QWidget*>(QStringLiteral("frmSplash")));
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(top->objectName() != QStringLiteral("frmSplash") || !top->isVisible());

        // Leaving the dialog keeps the open book.
        LeaveDialog();
        QTest::mouseClick(w.SbtSelectBook, Qt::LeftButton);
        QCOMPARE(app.Book.CurrentBook, QStringLiteral("Book Two"));
        QCOMPARE(w.Label_Title->text(), QStringLiteral("Book Two"));
    }

    void aBrokenChoiceKeepsThePreviousBook()
    {
        ShellRig rig;
        rig.addBook(QStringLiteral("Sunny Press"), QStringLiteral("Book One"));
        rig.addBook(QStringLiteral("Bright Books"), QStringLiteral("Book Two"));
        WriteFile(rig.ProgramFolder + QStringLiteral("/Bright Books/Book Two/LessonIndex.dat"),
                  PackBytes("Unit 1;Hello;c2;0:00:0;c4;0:10:0;1;two\r\n"));
        rig.setting(QStringLiteral("bookname"), QStringLiteral("Book One"));
        rig.setting(QStringLiteral("publicname"), QStringLiteral("Sunny Press"));
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        w.show();
        const int rows = app.Book.Content.Sentences.count();

        ChooseInDialog(QStringLiteral("Bright Books"), QStringLiteral("Book Two"));
        QTest::mouseClick(w.SbtSelectBook, Qt::LeftButton); // reported by the general report
        QCOMPARE(rig.Messages->shown.size(), 1);
        QCOMPARE(app.Book.CurrentBook, QStringLiteral("Book One"));
        QCOMPARE(app.Book.CurrentPublisher, QStringLiteral("Sunny Press"));
        QCOMPARE(app.Book.Content.Sentences.count(), rows);
        QCOMPARE(w.Label_Title->text(), QStringLiteral("Book One"));
        QCOMPARE(rig.setting(QStringLiteral("bookname")), QStringLiteral("Book One"));
        QCOMPARE(w.TrvUnitLesson->topLevelItemCount(), 2);
    }

    void settingsButtonReloadsTheTestSettings()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        LeaveDialog();
        TfrmMain w(app);
        QCOMPARE(app.Settings.WaitTimeSetting, 10);
        AnswerNextModal([](QWidget* modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("frmSettingPara"));
            auto* wait = modal->findChild<QComboBox*>(QStringLiteral("CmbWaitTime"));
            wait->setCurrentIndex(wait->findText(QStringLiteral("25")));
            QTest::mouseClick(modal->findChild<QToolButton*>(QStringLiteral("SpeedButton3")),
                              Qt::LeftButton);
        });
        QTest::mouseClick(w.sbtSetting, Qt::LeftButton);
        QCOMPARE(app.Settings.WaitTimeSetting, 25);
        QCOMPARE(app.Settings.WaitMs, 25000);
    }

    void eachKeyActsOnceWhereverTheFocusIs()
    {
        ShellRig rig;
        rig.addLastBook();
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        TfrmOrvane* view = w.frmOrvane;
        QVERIFY(view);
        QScrollBar* scroll = view->ScrollBox1->verticalScrollBar();
        QVERIFY2(scroll->maximum() >= 30, "the page must be taller than the scroll box");
        QCOMPARE(app.Book.CurrentPage, 1);

        // The mouse resting on the page gives the hidden focus edit the keyboard.
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), view->Image1->mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view->Image1, &move);
        QCOMPARE(QApplication::focusWidget(), view->EdtFocus);

        QTest::keyClick(view->EdtFocus, Qt::Key_PageDown);
        QCOMPARE(app.Book.CurrentPage, 2);
        QCOMPARE(view->Edit1->text(), QStringLiteral("2"));
        QCOMPARE(scroll->value(), 0);
        QTest::keyClick(view->EdtFocus, Qt::Key_Down);
        QCOMPARE(scroll->value(), 10);
        QTest::keyClick(view->EdtFocus, Qt::Key_Space);
        QCOMPARE(scroll->value(), 20);
        QTest::keyClick(view->EdtFocus, Qt::Key_Up);
        QCOMPARE(scroll->value(), 10);
        QTest::keyClick(view->EdtFocus, Qt::Key_PageUp);
        QCOMPARE(app.Book.CurrentPage, 1);
        QCOMPARE(scroll->value(), 0);

        // The unit tree, the page number box and the window itself.
        for (QWidget* holder : {static_cast<QWidget*>(w.TrvUnitLesson),
                                static_cast<QWidget*>(view->Edit1), static_cast<QWidget*>(&w)}) {
            holder->setFocus();
            QCOMPARE(QApplication::focusWidget(), holder);
            QTest::keyClick(holder, Qt::Key_PageDown);
            QVERIFY2(app.Book.CurrentPage == 2, qPrintable(holder->objectName()));
            QTest::keyClick(holder, Qt::Key_Down);
            QVERIFY2(scroll->value() == 10, qPrintable(holder->objectName()));
            QTest::keyClick(holder, Qt::Key_Up);
            QVERIFY2(scroll->value() == 0, qPrintable(holder->objectName()));
            QTest::keyClick(holder, Qt::Key_PageUp);
            QVERIFY2(app.Book.CurrentPage == 1, qPrintable(holder->objectName()));
        }
        QVERIFY(rig.Messages->shown.isEmpty());
    }

    void aMissingRememberedPageIsReportedOnce()
    {
        ShellRig rig;
        rig.addLastBook();
        rig.setting(QStringLiteral("LastPage"), QStringLiteral("9")); // the book has 4 pages
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        QCOMPARE(rig.Messages->texts(), QStringList{QStringLiteral("页面文件不存在！         ")});
        QCOMPARE(rig.Messages->shown.first().owner, w.frmOrvane);
        QCOMPARE(app.Book.CurrentPage, 9);
        QCOMPARE(w.frmOrvane->Edit1->text(), QStringLiteral("9"));

        // The pupil types a page that is there.
        w.frmOrvane->Edit1->setText(QStringLiteral("1"));
        QCOMPARE(app.Book.CurrentPage, 1);
        QVERIFY(!w.frmOrvane->Image1->isHidden());
        QCOMPARE(rig.Messages->shown.size(), 1);
    }

    void exitButtonClosesTheWindow()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        LeaveDialog();
        TfrmMain w(app);
        w.show();
        QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
