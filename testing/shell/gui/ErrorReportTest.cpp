// The one general error report: an exception escaping a handler or a timer
// shows one box with its text and ends only that handler; the program goes on.

#include "ShellRig.h"
#include "base/BookError.h"
#include "shell/gui/ZareloApplication.h"
#include "shell/gui/uFrmMain.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

using namespace zarelo;
using namespace zarelo::shelltest;

class ErrorReportTest : public QObject {
    Q_OBJECT
private slots:
    void anExceptionInATimerIsReportedOnceAndTheLoopGoesOn()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        auto* application = static_cast<ZareloApplication*>(qApp);
        application->setErrorReport([&app](const QString& text) { app.ReportError(text); });

        int failing = 0, later = 0;
        bool restOfHandler = false;
        QTimer::singleShot(0, [&] {
            ++failing;
            throw BookError(QStringLiteral("location.txt 第 3 行：字段 5 不是数字"));
            restOfHandler = true;
        });
        QTimer::singleShot(20, [&] { ++later; });
        QTRY_COMPARE(later, 1);
        QCOMPARE(failing, 1);
        QVERIFY(!restOfHandler);
        QCOMPARE(rig.Messages->shown.size(), 1);
        QCOMPARE(rig.Messages->shown.first().text,
                 QStringLiteral("location.txt 第 3 行：字段 5 不是数字"));
        QCOMPARE(rig.Messages->shown.first().caption, ApplicationTitle);

        // Any standard exception, from a button's handler.
        QPushButton button;
        int clicks = 0;
        connect(&button, &QPushButton::clicked, [&] {
            ++clicks;
            throw std::runtime_error("disk full");
        });
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        QCOMPARE(rig.Messages->texts().mid(1), (QStringList{"disk full", "disk full"}));
        application->setErrorReport({});
    }

    void aFailingMenuHandlerLeavesTheWindowWorking()
    {
        ShellRig rig;
        rig.addBook(QStringLiteral("Sunny Press"), QStringLiteral("Book One"));
        rig.setting(QStringLiteral("bookname"), QStringLiteral("Book One"));
        rig.setting(QStringLiteral("publicname"), QStringLiteral("Sunny Press"));
        AppContext& app = rig.makeApp();
        TfrmMain w(app);
        w.show();
        // The book selection fails unexpectedly: one box, the book stays.
        app.ChooseBook = [](QWidget*) -> bool { throw BookError(QStringLiteral("书库无法读取")); };
        QTest::mouseClick(w.SbtSelectBook, Qt::LeftButton);
        QCOMPARE(rig.Messages->texts(), QStringList{QStringLiteral("书库无法读取")});
        QCOMPARE(w.Label_Title->text(), QStringLiteral("Book One"));
        QTest::mouseClick(w.sbtLessonWord, Qt::LeftButton);
        QCOMPARE(w.CurrentMode(), 4);
    }
};

int main(int argc, char** argv)
{
    ZareloApplication application(argc, argv);
    ErrorReportTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ErrorReportTest.moc"
