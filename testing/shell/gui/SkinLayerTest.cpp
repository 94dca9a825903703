// The skin layer: style sheets applied to the whole program, tinting, and
// that a missing or unreadable skin leaves the default look.

#include "shell/gui/SkinLayer.h"
#include "ShellRig.h"
#include "shell/SkinFiles.h"
#include "shell/gui/ZareloApplication.h"
#include "shell/gui/uFrmMain.h"

#include "reading/gui/uOrvane.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace zarelo;
using namespace zarelo::shelltest;

namespace {

// The text colour of a tool button polished now, under the current sheet.
QColor ButtonTextColour()
{
    QToolButton button;
    button.ensurePolished();
    return button.palette().color(QPalette::ButtonText);
}

} // namespace

class SkinLayerTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { qApp->setStyleSheet(QString()); }

    void aSkinIsAStyleSheetForTheWholeProgram()
    {
        ShellRig rig;
        rig.addSkin(QStringLiteral("Skin"), QStringLiteral("Blue.SSK"),
                    "QToolButton { color: #102030; }");
        SkinLayer skin;
        QVERIFY(skin.sppLoadSkin(SkinFilePath(rig.ProgramFolder, QStringLiteral("blue.ssk")), 0));
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QToolButton { color: #102030; }"));
        QToolButton button;
        button.ensurePolished();
        QCOMPARE(button.palette().color(QPalette::ButtonText), QColor(0x10, 0x20, 0x30));
    }

    void aMissingOrUnreadableSkinLeavesTheDefaultLook()
    {
        ShellRig rig;
        SkinLayer skin;
        const QColor defaultText = ButtonTextColour();
        rig.addSkin(QStringLiteral("skin"), QStringLiteral("blue.ssk"),
                    "QToolButton { color: #102030; }");
        const QString blue = rig.ProgramFolder + QStringLiteral("/skin/blue.ssk");
        QDir().mkpath(rig.ProgramFolder + QStringLiteral("/skin/dir.ssk"));
        // Each failed load follows a good one, whose look must not stay.
        for (const QString& path :
             {SkinFilePath(rig.ProgramFolder, QStringLiteral("默认.ssk")),
              rig.ProgramFolder + QStringLiteral("/skin/dir.ssk"), QString()}) {
            QVERIFY(skin.sppLoadSkin(blue, 0));
            QCOMPARE(ButtonTextColour(), QColor(0x10, 0x20, 0x30));
            QVERIFY2(!skin.sppLoadSkin(path, 0), qPrintable(path));
            QCOMPARE(qApp->styleSheet(), QString());
            QCOMPARE(ButtonTextColour(), defaultText);
        }
        // Garbage is handed to Qt, which ignores what it cannot parse: the
        // default look again, not the skin before.
        rig.addSkin(QStringLiteral("skin"), QStringLiteral("bad.ssk"), "\xff\xfe{{{ color: ;;");
        QVERIFY(skin.sppLoadSkin(blue, 0));
        QVERIFY(skin.sppLoadSkin(rig.ProgramFolder + QStringLiteral("/skin/bad.ssk"), 0));
        QCOMPARE(ButtonTextColour(), defaultText);
    }

    // The program's start-up sequence over the rig's fakes, with a stored skin
    // that is not there: the splash reads the settings, the skin load fails,
    // and the main window still comes up with the last book, the default look
    // and no message.
    void startUpGoesOnWithoutTheSkin()
    {
        ShellRig rig;
        rig.addBook(QStringLiteral("Sunny Press"), QStringLiteral("Book One"));
        rig.setting(QStringLiteral("bookname"), QStringLiteral("Book One"));
        rig.setting(QStringLiteral("publicname"), QStringLiteral("Sunny Press"));
        rig.setting(QStringLiteral("selectskin"), QStringLiteral("nowhere.ssk"));
        qApp->setStyleSheet(QStringLiteral("QToolButton { color: #102030; }"));
        auto* application = static_cast<ZareloApplication*>(qApp);

        bool mainShown = false;
        QString pageShown;
        QStringList messages;
        QString sheet;
        QTimer watch;
        watch.setInterval(10);
        connect(&watch, &QTimer::timeout, &watch, [&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                auto* main = qobject_cast<TfrmMain*>(window);
                if (!main || !main->isVisible())
                    continue;
                watch.stop();
                mainShown = true;
                pageShown = main->frmOrvane ? main->frmOrvane->Edit1->text() : QString();
                messages = rig.Messages->texts();
                sheet = qApp->styleSheet();
                application->requestClose();
                return;
            }
        });
        watch.start();
        QCOMPARE(application->run(rig.makeSeams()), 0);
        QVERIFY(mainShown);
        QCOMPARE(pageShown, QStringLiteral("1"));
        QCOMPARE(messages, QStringList());
        QCOMPARE(sheet, QString());
    }

    void colourisingTintsPaletteAndSheetAndCanBeUndone()
    {
        ShellRig rig;
        rig.addSkin(QStringLiteral("skin"), QStringLiteral("a.ssk"), "QLabel { color: #808080; }");
        SkinLayer skin;
        const QPalette original = QApplication::palette();
        QVERIFY(skin.sppLoadSkin(rig.ProgramFolder + QStringLiteral("/skin/a.ssk"), 0));
        QVERIFY(skin.sppColorize(StoredFromRgb({255, 0, 0}), 0.5, 0));
        QVERIFY(!qApp->styleSheet().contains(QStringLiteral("#808080")));
        const QColor window = QApplication::palette().color(QPalette::Window);
        QVERIFY(window.red() > window.blue());
        QVERIFY(skin.sppColorize(-1, 0.5, 0));
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QLabel { color: #808080; }"));
        QCOMPARE(QApplication::palette().color(QPalette::Window), original.color(QPalette::Window));
    }

    void theSystemButtonFaceColourTintsWithTheButtonColour()
    {
        SkinLayer skin;
        const QColor face = skin.systemPalette().color(QPalette::Active, QPalette::Button);
        QCOMPARE(ColourOfValue(SystemButtonFaceColour, skin.systemPalette()), face);
        QVERIFY(skin.sppColorize(SystemButtonFaceColour, 0.5, 0));
        QCOMPARE(*skin.tint(), (Rgb{face.red(), face.green(), face.blue()}));
        // An unknown system colour index changes nothing.
        QVERIFY(!skin.sppColorize(static_cast<int32_t>(0x800000FE), 0.5, 0));
        QCOMPARE(*skin.tint(), (Rgb{face.red(), face.green(), face.blue()}));
        skin.sppColorize(-1, 0.5, 0);
    }

    void aWindowMarkedWithAResourceIdCanBeStyled()
    {
        SkinLayer skin;
        QToolButton bar;
        qApp->setStyleSheet(QStringLiteral("QToolButton[skinResID=\"7\"] { color: #0a0b0c; }"));
        skin.sppSetWindowResID(&bar, 7);
        bar.ensurePolished();
        QCOMPARE(bar.property("skinResID").toInt(), 7);
        QCOMPARE(bar.palette().color(QPalette::ButtonText), QColor(0x0a, 0x0b, 0x0c));
    }
};

// The start-up sequence belongs to the program's application object.
int main(int argc, char** argv)
{
    ZareloApplication application(argc, argv);
    SkinLayerTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "SkinLayerTest.moc"
